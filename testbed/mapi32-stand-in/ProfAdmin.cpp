// IProfAdmin: profiles created, deleted and made the default.

#include "testbed/mapi32-stand-in/Objects.h"

#include "testbed/mapi32-stand-in/Format.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace standin
{
namespace
{
HRESULT CheckNarrowName(ULONG ulFlags, LPCSTR pszName)
{
    if (FAILED(CheckNarrow(ulFlags)))
        return CheckNarrow(ulFlags);
    return IsAcceptableProfileName(pszName) ? S_OK : MAPI_E_INVALID_PARAMETER;
}

// The profile table's columns when the caller sets none.
enum
{
    profcolDisplayName,
    profcolDefaultProfile,
    NUM_PROFILE_TABLE_COLS
};
const SizedSPropTagArray(NUM_PROFILE_TABLE_COLS, g_sptProfileTableColumns) = {
    NUM_PROFILE_TABLE_COLS,
    {PR_DISPLAY_NAME_A, PR_DEFAULT_PROFILE},
};
} // namespace

CProfAdmin::CProfAdmin() : CStandInObject("ProfAdmin", IID_IProfAdmin)
{
}

// One row a profile, in the order the store lists them; a profile marked for
// deletion is there until it has gone.
STDMETHODIMP CProfAdmin::GetProfileTable(ULONG ulFlags, LPMAPITABLE* lppTable)
{
    HRESULT hr = PresetOut(lppTable);
    if (SUCCEEDED(hr))
        hr = Perform(ReadForcedStatus(szForceGetProfileTable), [&] {
            if (FAILED(CheckNarrow(ulFlags)))
                return CheckNarrow(ulFlags);
            const std::string strDefault = ReadDefaultProfile();
            std::vector<CTableRow> vecRows;
            for (const std::string& strProfile : ListProfiles())
                vecRows.push_back(MakeProfileRow(strProfile, _stricmp(strProfile.c_str(), strDefault.c_str()) == 0));
            *lppTable = new CTable(szProfileTable, ColumnsOf(g_sptProfileTableColumns), std::move(vecRows));
            return S_OK;
        });
    Journal(GetLabel() + ".GetProfileTable(flags=" + FormatHex(ulFlags) + ") -> " + FormatStatus(hr) +
            FormatOut(lppTable ? *lppTable : nullptr));
    return hr;
}

STDMETHODIMP CProfAdmin::CreateProfile(LPSTR lpszProfileName, LPSTR lpszPassword, ULONG_PTR ulUIParam,
                                       ULONG ulFlags)
{
    const HRESULT hr = Perform(ReadForcedStatus(szForceCreateProfile), [&] {
        if (FAILED(CheckNarrowName(ulFlags, lpszProfileName)))
            return CheckNarrowName(ulFlags, lpszProfileName);
        switch (CreateProfileKey(lpszProfileName))
        {
        case ECreateProfile::Created: return S_OK;
        case ECreateProfile::Exists: return MAPI_E_NO_ACCESS;
        case ECreateProfile::Failed: break;
        }
        return MAPI_E_CALL_FAILED;
    });
    Journal(GetLabel() + ".CreateProfile(profile=" + FormatStringA(lpszProfileName) +
            ", password=" + FormatStringA(lpszPassword) + ", ui=" + FormatPointer(ulUIParam) +
            ", flags=" + FormatHex(ulFlags) + ") -> " + FormatStatus(hr));
    return hr;
}

STDMETHODIMP CProfAdmin::DeleteProfile(LPSTR lpszProfileName, ULONG ulFlags)
{
    const HRESULT hr = Perform(ReadForcedStatus(szForceDeleteProfile), [&] {
        if (FAILED(CheckNarrowName(ulFlags, lpszProfileName)))
            return CheckNarrowName(ulFlags, lpszProfileName);
        if (!ProfileExists(lpszProfileName))
            return MAPI_E_NOT_FOUND;
        // A profile in use is only marked, and goes when its last session ends.
        if (CountSessions(lpszProfileName))
            return MarkForDeletion(lpszProfileName) ? S_OK : MAPI_E_CALL_FAILED;
        return DeleteProfileKey(lpszProfileName) ? S_OK : MAPI_E_CALL_FAILED;
    });
    Journal(GetLabel() + ".DeleteProfile(profile=" + FormatStringA(lpszProfileName) + ", flags=" + FormatHex(ulFlags) +
            ") -> " + FormatStatus(hr));
    return hr;
}

STDMETHODIMP CProfAdmin::SetDefaultProfile(LPSTR lpszProfileName, ULONG ulFlags)
{
    const HRESULT hr = Perform(ReadForcedStatus(szForceSetDefaultProfile), [&] {
        if (FAILED(CheckNarrow(ulFlags)))
            return CheckNarrow(ulFlags);
        // A null name takes the default away.
        if (lpszProfileName && !IsAcceptableProfileName(lpszProfileName))
            return MAPI_E_INVALID_PARAMETER;
        if (lpszProfileName && !ProfileExists(lpszProfileName))
            return MAPI_E_NOT_FOUND;
        WriteDefaultProfile(lpszProfileName);
        return S_OK;
    });
    Journal(GetLabel() + ".SetDefaultProfile(profile=" + FormatStringA(lpszProfileName) +
            ", flags=" + FormatHex(ulFlags) + ") -> " + FormatStatus(hr));
    return hr;
}
} // namespace standin
