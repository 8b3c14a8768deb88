#include "testbed/mapi32-stand-in/Objects.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "testbed/mapi32-stand-in/Format.h"
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

const CKnownService* FindKnownService(LPCSTR pszName)
{
    for (const CKnownService& known : g_rgKnownServices)
        if (pszName && _stricmp(known.m_pszName, pszName) == 0)
            return &known;
    return nullptr;
}

// The table's columns when the caller sets none.
enum
{
    defcolDisplayName,
    defcolServiceName,
    defcolServiceUid,
    defcolCount
};
const SizedSPropTagArray(defcolCount, g_sptDefaultColumns) = {
    defcolCount,
    {PR_DISPLAY_NAME_A, PR_SERVICE_NAME_A, PR_SERVICE_UID},
};

std::string FormatIid(REFIID riid)
{
    char szIid[40];
    snprintf(szIid, sizeof(szIid), "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", riid.Data1, riid.Data2,
             riid.Data3, riid.Data4[0], riid.Data4[1], riid.Data4[2], riid.Data4[3], riid.Data4[4], riid.Data4[5],
             riid.Data4[6], riid.Data4[7]);
    return szIid;
}

std::string FormatOut(const void* pOut)
{
    return " out=" + DescribeAddress(pOut);
}

template <typename T>
HRESULT PresetOut(T** ppOut)
{
    if (!ppOut)
        return MAPI_E_INVALID_PARAMETER;
    *ppOut = nullptr;
    return S_OK;
}

// Profile administration takes 8-bit names only.
HRESULT CheckNarrow(ULONG ulFlags)
{
    return ulFlags & MAPI_UNICODE ? MAPI_E_BAD_CHARWIDTH : S_OK;
}

HRESULT CheckNarrowName(ULONG ulFlags, LPCSTR pszName)
{
    if (FAILED(CheckNarrow(ulFlags)))
        return CheckNarrow(ulFlags);
    return IsAcceptableProfileName(pszName) ? S_OK : MAPI_E_INVALID_PARAMETER;
}

bool IsValidConfigProperty(const SPropValue& prop)
{
    switch (PROP_TYPE(prop.ulPropTag))
    {
    case PT_UNSPECIFIED:
    case PT_NULL:
    case PT_ERROR:
        return false;
    case PT_STRING8:
        return prop.Value.lpszA != nullptr;
    case PT_UNICODE:
        return prop.Value.lpszW != nullptr;
    case PT_BINARY:
        return prop.Value.bin.lpb != nullptr || prop.Value.bin.cb == 0;
    case PT_CLSID:
        return prop.Value.lpguid != nullptr;
    default:
        return true;
    }
}

HRESULT Allocate(size_t cb, void* pParent, void** ppv)
{
    const ULONG cbAsked = static_cast<ULONG>(cb ? cb : 1);
    return pParent ? MAPIAllocateMore(cbAsked, pParent, ppv) : MAPIAllocateBuffer(cbAsked, ppv);
}

void FillColumn(ULONG ulPropTag, const CService& service, LPSPropValue pProps, SPropValue& prop)
{
    const auto CopyText = [&](const std::string& strText) {
        void* pv = nullptr;
        if (PROP_TYPE(ulPropTag) == PT_UNICODE)
        {
            if (SUCCEEDED(Allocate((strText.size() + 1) * sizeof(WCHAR), pProps, &pv)))
                for (size_t i = 0; i <= strText.size(); ++i)
                    static_cast<LPWSTR>(pv)[i] = static_cast<unsigned char>(strText.c_str()[i]);
            prop.Value.lpszW = static_cast<LPWSTR>(pv);
        }
        else
        {
            if (SUCCEEDED(Allocate(strText.size() + 1, pProps, &pv)))
                memcpy(pv, strText.c_str(), strText.size() + 1);
            prop.Value.lpszA = static_cast<LPSTR>(pv);
        }
    };

    prop.ulPropTag = ulPropTag;
    switch (ulPropTag)
    {
    case PR_SERVICE_NAME_A:
    case PR_SERVICE_NAME_W:
        CopyText(service.m_strName);
        break;
    case PR_DISPLAY_NAME_A:
    case PR_DISPLAY_NAME_W:
        CopyText(service.m_strDisplayName);
        break;
    case PR_SERVICE_UID:
    {
        void* pv = nullptr;
        if (SUCCEEDED(Allocate(sizeof(MAPIUID), pProps, &pv)))
            memcpy(pv, &service.m_uid, sizeof(MAPIUID));
        prop.Value.bin.cb = pv ? sizeof(MAPIUID) : 0;
        prop.Value.bin.lpb = static_cast<LPBYTE>(pv);
        break;
    }
    default:
        prop.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(ulPropTag));
        prop.Value.err = MAPI_E_NOT_FOUND;
    }
}
} // namespace

CObjectBase::CObjectBase(const void* pInterface, const char* pszKind)
    : m_pInterface(pInterface), m_strLabel(RegisterLive(pInterface, pszKind, this))
{
}

CObjectBase::~CObjectBase()
{
    UnregisterLive(m_pInterface);
}

ULONG CObjectBase::ReleaseQuietly()
{
    const ULONG cRef = --m_cRef;
    if (cRef == 0)
        delete this;
    return cRef;
}

HRESULT CObjectBase::JournalNoSupport(const char* pszMethod) const
{
    Journal(m_strLabel + "." + pszMethod + "(...) -> " + FormatStatus(MAPI_E_NO_SUPPORT));
    return MAPI_E_NO_SUPPORT;
}

template <typename TBase>
STDMETHODIMP CStandInObject<TBase>::QueryInterface(REFIID riid, LPVOID* ppvObj)
{
    HRESULT hr = PresetOut(ppvObj);
    if (SUCCEEDED(hr) && (riid == IID_IUnknown || riid == m_iidOwn))
    {
        *ppvObj = static_cast<TBase*>(this);
        AddRefQuietly();
    }
    else if (SUCCEEDED(hr))
        hr = MAPI_E_INTERFACE_NOT_SUPPORTED;
    Journal(GetLabel() + ".QueryInterface(iid=" + FormatIid(riid) + ") -> " + FormatStatus(hr) +
            FormatOut(ppvObj ? *ppvObj : nullptr));
    return hr;
}

template <typename TBase>
STDMETHODIMP_(ULONG) CStandInObject<TBase>::AddRef()
{
    const ULONG cRef = AddRefQuietly();
    Journal(GetLabel() + ".AddRef() -> " + std::to_string(cRef));
    return cRef;
}

template <typename TBase>
STDMETHODIMP_(ULONG) CStandInObject<TBase>::Release()
{
    const std::string strLabel = GetLabel();
    const ULONG cRef = ReleaseQuietly();
    Journal(strLabel + ".Release() -> " + std::to_string(cRef));
    return cRef;
}

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
        if (_stricmp(ReadDefaultProfile().c_str(), lpszProfileName) == 0)
            WriteDefaultProfile(nullptr);
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

CSession::CSession(const std::string& strProfile)
    : CStandInObject("Session", IID_IMAPISession), m_strProfile(strProfile)
{
}

STDMETHODIMP CSession::AdminServices(ULONG ulFlags, LPSERVICEADMIN* lppServiceAdmin)
{
    HRESULT hr = PresetOut(lppServiceAdmin);
    if (SUCCEEDED(hr))
        hr = Perform(ReadForcedStatus(szForceAdminServices), [&] {
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
                vecRows.push_back({nIndex + 1, vecServices[nIndex]});
            *lppTable = new CTable(std::move(vecRows));
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
        if (FAILED(CoCreateGuid(reinterpret_cast<GUID*>(&service.m_uid))) || !AddService(m_strProfile, service))
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

CTable::CTable(std::vector<CTableRow> vecRows)
    : CStandInObject("Table", IID_IMAPITable), m_vecRows(std::move(vecRows)),
      m_vecColumns(g_sptDefaultColumns.aulPropTag, g_sptDefaultColumns.aulPropTag + defcolCount)
{
}

STDMETHODIMP CTable::SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags)
{
    const HRESULT hr = Perform(ReadForcedStatus("SetColumns"), [&] {
        if (!lpPropTagArray)
            return MAPI_E_INVALID_PARAMETER;
        SelectColumns(*lpPropTagArray);
        return S_OK;
    });
    Journal(GetLabel() + ".SetColumns(columns=" + FormatTags(lpPropTagArray) + ", flags=" + FormatHex(ulFlags) +
            ") -> " + FormatStatus(hr));
    return hr;
}

STDMETHODIMP CTable::QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows)
{
    std::string strRows;
    HRESULT hr = PresetOut(lppRows);
    if (SUCCEEDED(hr))
        hr = Perform(ReadForcedStatus("QueryRows"), [&] {
            // Backwards is not needed by anyone the stand-in serves.
            if (lRowCount < 0)
                return MAPI_E_NO_SUPPORT;
            return FetchRows(static_cast<size_t>(lRowCount), lppRows, strRows);
        });
    Journal(GetLabel() + ".QueryRows(count=" + std::to_string(lRowCount) + ", flags=" + FormatHex(ulFlags) +
            ") -> " + FormatStatus(hr) + " out=" + (strRows.empty() ? "null" : strRows));
    return hr;
}

void CTable::SelectColumns(const SPropTagArray& tags)
{
    m_vecColumns.assign(tags.aulPropTag, tags.aulPropTag + tags.cValues);
}

HRESULT CTable::FetchRows(size_t cMax, LPSRowSet* lppRows, std::string& strDescription)
{
    const size_t cRows = std::min(cMax, CountRemaining());
    LPSRowSet lpRows = nullptr;
    if (FAILED(Allocate(CbNewSRowSet(cRows), nullptr, reinterpret_cast<void**>(&lpRows))))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    lpRows->cRows = 0;
    const ULONG ulErrorColumn = ReadErrorColumn();
    std::string strServices;
    for (; lpRows->cRows < cRows; ++lpRows->cRows, ++m_nPosition)
    {
        const CTableRow& row = m_vecRows[m_nPosition];
        SRow& sRow = lpRows->aRow[lpRows->cRows];
        sRow.ulAdrEntryPad = 0;
        sRow.cValues = static_cast<ULONG>(m_vecColumns.size());
        if (FAILED(Allocate(sizeof(SPropValue) * m_vecColumns.size(), nullptr,
                            reinterpret_cast<void**>(&sRow.lpProps))))
        {
            FreeRowSet(lpRows);
            return MAPI_E_NOT_ENOUGH_MEMORY;
        }
        for (size_t iColumn = 0; iColumn < m_vecColumns.size(); ++iColumn)
        {
            SPropValue& prop = sRow.lpProps[iColumn];
            if (m_vecColumns[iColumn] == ulErrorColumn)
            {
                prop.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(ulErrorColumn));
                prop.Value.err = MAPI_E_NOT_FOUND;
            }
            else
            {
                FillColumn(m_vecColumns[iColumn], row.m_service, sRow.lpProps, prop);
            }
        }
        strServices.append(strServices.empty() ? "" : ", ").append(DescribeService(row.m_nCreation, row.m_service));
    }
    *lppRows = lpRows;
    strDescription = RegisterLive(lpRows, "Rows", nullptr) + " [" + strServices + "]";
    return S_OK;
}

std::string DescribeService(size_t nCreation, const CService& service)
{
    return std::to_string(nCreation) + ":" + service.m_strName;
}

CTable* FindTable(const void* pAddress)
{
    const CLiveEntry* pEntry = FindLive(pAddress);
    return pEntry ? dynamic_cast<CTable*>(pEntry->m_pObject) : nullptr;
}

void FreeRowSet(LPSRowSet lpRows)
{
    for (ULONG i = 0; i < lpRows->cRows; ++i)
        MAPIFreeBuffer(lpRows->aRow[i].lpProps);
    MAPIFreeBuffer(lpRows);
}
} // namespace standin
