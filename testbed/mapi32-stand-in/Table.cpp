// IMAPITable: the service table, and the row sets it hands out.

#include "testbed/mapi32-stand-in/Objects.h"

#include <algorithm>
#include <cstring>

#include "testbed/mapi32-stand-in/Format.h"

namespace standin
{
namespace
{
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

CTable* FindTable(const void* pAddress)
{
    const CLiveEntry* pEntry = FindLive(pAddress);
    return pEntry ? dynamic_cast<CTable*>(pEntry->m_pObject) : nullptr;
}

void FreeRowSet(LPSRowSet lpRows)
{
    for (ULONG i = 0; i < lpRows->cRows; ++i)
        FreeBuffer(lpRows->aRow[i].lpProps);
    FreeBuffer(lpRows);
}
} // namespace standin
