// IMAPISession and IMsgServiceAdmin: a profile's message services.

#include "testbed/mapi32-stand-in/Objects.h"

#include <ntsecapi.h>

#include <cstring>

#include "testbed/mapi32-stand-in/Format.h"
#include "testbed/mapi32-stand-in/ProfSect.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace standin
{
namespace
{
// The message services MAPISVC.INF would name, with the display name it gives each.
struct CKnownService
{
    const char* m_pszName;
    const char* m_pszDisplayName;
};

constexpr CKnownService g_rgKnownServices[] = {
    {"MSEMS", "Microsoft Exchange"},
    {"CONTAB", "Outlook Address Book"},
    {"MSUPST MS", "Personal Folders"},
};

// The service table's columns when the caller sets none.
enum
{
    svccolDisplayName,
    svccolServiceName,
    svccolServiceUid,
    NUM_SERVICE_TABLE_COLS
};
const SizedSPropTagArray(NUM_SERVICE_TABLE_COLS, g_sptServiceTableColumns) = {
    NUM_SERVICE_TABLE_COLS,
    {PR_DISPLAY_NAME_A, PR_SERVICE_NAME_A, PR_SERVICE_UID},
};

const CKnownService* FindKnownService(LPCSTR pszName)
{
    for (const CKnownService& known : g_rgKnownServices)
        if (pszName && _stricmp(known.m_pszName, pszName) == 0)
            return &known;
    return nullptr;
}

bool IsValidConfigProperty(const SPropValue& prop)
{
    switch (PROP_TYPE(prop.ulPropTag))
    {
    case PT_UNSPECIFIED:
    case PT_NULL:
    case PT_ERROR:
        return false;
    default:
        return PointsToValue(prop);
    }
}
} // namespace

CSession::CSession(const std::string& strProfile)
    : CStandInObject("Session", IID_IMAPISession), m_strProfile(strProfile)
{
    OpenSession(m_strProfile);
}

CSession::~CSession()
{
    End();
}

void CSession::End()
{
    if (m_bLoggedOff)
        return;
    m_bLoggedOff = true;
    if (CloseSession(m_strProfile))
        Journal(GetLabel() + " ended: profile " + FormatStringA(m_strProfile.c_str()) + " deleted, as marked");
}

// The session ends here, not at its release: from now on its profile is no
// longer in use, and a profile marked for deletion goes with its last session.
STDMETHODIMP CSession::Logoff(ULONG_PTR ulUIParam, ULONG ulFlags, ULONG ulReserved)
{
    const HRESULT hr = Perform(ReadForcedStatus(szForceLogoff), [&] {
        if (m_bLoggedOff)
            return MAPI_E_END_OF_SESSION;
        End();
        return S_OK;
    });
    Journal(GetLabel() + ".Logoff(ui=" + FormatPointer(ulUIParam) + ", flags=" + FormatHex(ulFlags) +
            ", reserved=" + FormatHex(ulReserved) + ") -> " + FormatStatus(hr));
    return hr;
}

STDMETHODIMP CSession::AdminServices(ULONG ulFlags, LPSERVICEADMIN* lppServiceAdmin)
{
    HRESULT hr = PresetOut(lppServiceAdmin);
    if (SUCCEEDED(hr))
        hr = Perform(ReadForcedStatus(szForceAdminServices), [&] {
            if (m_bLoggedOff)
                return MAPI_E_END_OF_SESSION;
            if (!ProfileExists(m_strProfile))
                return MAPI_E_NOT_FOUND;
            *lppServiceAdmin = new CServiceAdmin(m_strProfile);
            return S_OK;
        });
    Journal(GetLabel() + ".AdminServices(flags=" + FormatHex(ulFlags) + ") -> " + FormatStatus(hr) +
            FormatOut(lppServiceAdmin ? *lppServiceAdmin : nullptr));
    return hr;
}

CServiceAdmin::CServiceAdmin(const std::string& strProfile)
    : CStandInObject("ServiceAdmin", IID_IMsgServiceAdmin), m_strProfile(strProfile)
{
}

STDMETHODIMP CServiceAdmin::GetMsgServiceTable(ULONG ulFlags, LPMAPITABLE* lppTable)
{
    HRESULT hr = PresetOut(lppTable);
    if (SUCCEEDED(hr))
        hr = Perform(ReadForcedStatus(szForceGetMsgServiceTable), [&] {
            if (!ProfileExists(m_strProfile))
                return MAPI_E_NOT_FOUND;
            const std::vector<CService> vecServices = ListServices(m_strProfile);
            std::vector<CTableRow> vecRows;
            for (size_t nIndex : ReadRowOrder(vecServices.size()))
                vecRows.push_back(MakeServiceRow(nIndex + 1, vecServices[nIndex]));
            *lppTable = new CTable(szServiceTable, ColumnsOf(g_sptServiceTableColumns), std::move(vecRows));
            return S_OK;
        });
    Journal(GetLabel() + ".GetMsgServiceTable(flags=" + FormatHex(ulFlags) + ") -> " + FormatStatus(hr) +
            FormatOut(lppTable ? *lppTable : nullptr));
    return hr;
}

STDMETHODIMP CServiceAdmin::CreateMsgService(LPSTR lpszService, LPSTR lpszDisplayName, ULONG_PTR ulUIParam,
                                             ULONG ulFlags)
{
    const CKnownService* pKnown = FindKnownService(lpszService);
    std::string strCreated;
    const HRESULT hrForced = ReadForcedStatus(szForceCreateMsgService, pKnown   ? pKnown->m_pszName
                                                                       : lpszService ? lpszService
                                                                                     : "");
    const HRESULT hr = Perform(hrForced, [&] {
        if (FAILED(CheckNarrow(ulFlags)))
            return CheckNarrow(ulFlags);
        if (!lpszService)
            return MAPI_E_INVALID_PARAMETER;
        if (!pKnown)
            return MAPI_E_NOT_FOUND;
        if (!ProfileExists(m_strProfile))
            return MAPI_E_NOT_FOUND;
        // MAPI takes the display name from MAPISVC.INF; the caller's is ignored.
        CService service;
        service.m_strName = pKnown->m_pszName;
        service.m_strDisplayName = pKnown->m_pszDisplayName;
        // From ADVAPI32, which the program loads anyway: CoCreateGuid would
        // bring in OLE32, and USER32 with it, for sixteen random bytes.
        if (!RtlGenRandom(&service.m_uid, sizeof(service.m_uid)) || !AddService(m_strProfile, service) ||
            !AddProviderSections(m_strProfile, service))
            return MAPI_E_CALL_FAILED;
        strCreated = " created=" + DescribeService(ListServices(m_strProfile).size(), service);
        return S_OK;
    });
    Journal(GetLabel() + ".CreateMsgService(service=" + FormatStringA(lpszService) +
            ", display=" + FormatStringA(lpszDisplayName) + ", ui=" + FormatPointer(ulUIParam) +
            ", flags=" + FormatHex(ulFlags) + ") -> " + FormatStatus(hr) + strCreated);
    return hr;
}

STDMETHODIMP CServiceAdmin::ConfigureMsgService(LPMAPIUID lpUID, ULONG_PTR ulUIParam, ULONG ulFlags, ULONG cValues,
                                                LPSPropValue lpProps)
{
    const std::vector<CService> vecServices = ListServices(m_strProfile);
    const CService* pService = nullptr;
    std::string strUid = lpUID ? "unknown" : "null";
    for (size_t i = 0; lpUID && i < vecServices.size(); ++i)
        if (IsEqualMAPIUID(lpUID, &vecServices[i].m_uid))
        {
            pService = &vecServices[i];
            strUid = DescribeService(i + 1, *pService);
        }

    const HRESULT hrForced = ReadForcedStatus(szForceConfigureMsgService, pService ? pService->m_strName : "");
    const HRESULT hr = Perform(hrForced, [&] {
        if (!lpUID || (cValues && !lpProps))
            return MAPI_E_INVALID_PARAMETER;
        if (!pService)
            return MAPI_E_NOT_FOUND;
        for (ULONG i = 0; i < cValues; ++i)
            if (!IsValidConfigProperty(lpProps[i]))
                return MAPI_E_INVALID_PARAMETER;
        for (ULONG i = 0; i < cValues; ++i)
            if (!IsStorableType(lpProps[i].ulPropTag))
                return MAPI_E_NO_SUPPORT;
        for (ULONG i = 0; i < cValues; ++i)
            if (!WriteProperty(m_strProfile, pService->m_uid, lpProps[i]))
                return MAPI_E_CALL_FAILED;
        return S_OK;
    });
    Journal(GetLabel() + ".ConfigureMsgService(uid=" + strUid + ", ui=" + FormatPointer(ulUIParam) +
            ", flags=" + FormatHex(ulFlags) + ", props=" + FormatProps(cValues, lpProps) + ") -> " +
            FormatStatus(hr));
    return hr;
}
} // namespace standin
