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
} // namespace

CProfAdmin::CProfAdmin() : CStandInObject("ProfAdmin", IID_IProfAdmin)
{
}

STDMETHODIMP CProfAdmin::CreateProfile(LPSTR lpszProfileName, LPSTR lpszPassword, ULONG_PTR ulUIParam,
                                       ULONG ulFlags)
{
    const HRESULT hr = Perform(ReadForcedStatus(szForceCreateProfile), [&] {
        if (FAILED(CheckNarrowName(ulFlags, lpszProfileName)))
            return CheckNarrowName(ulFlags, lpszProfileName);
        if (ProfileExists(lpszProfileName))
            return MAPI_E_NO_ACCESS;
        return CreateProfileKey(lpszProfileName) ? S_OK : MAPI_E_CALL_FAILED;
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
