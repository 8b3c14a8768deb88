// IMAPITable: the service and profile tables, and the row sets they hand out.

#include "testbed/mapi32-stand-in/Objects.h"

#include <algorithm>
#include <cstring>

#include "testbed/mapi32-stand-in/Format.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace standin
{
namespace
{
HRESULT Allocate(size_t cb, void* pParent, void** ppv)
{
    const ULONG cbAsked = static_cast<ULONG>(cb ? cb : 1);
    return pParent ? MAPIAllocateMore(cbAsked, pParent, ppv) : MAPIAllocateBuffer(cbAsked, ppv);
}

const CTableCell* FindCell(const CTableRow& row, ULONG ulPropTag)
{
    for (const CTableCell& cell : row.m_vecCells)
        if (PROP_ID(cell.m_ulPropTag) == PROP_ID(ulPropTag))
            return &cell;
    return nullptr;
}

// The cell in the type asked for: 8-bit text also as wide text, as MAPI's
// tables give it; anything else the row does not have is PT_ERROR.
void FillColumn(ULONG ulPropTag, const CTableRow& row, LPSPropValue pProps, SPropValue& prop)
{
    const CTableCell* pCell = FindCell(row, ulPropTag);
    const ULONG ulHas = pCell ? PROP_TYPE(pCell->m_ulPropTag) : PT_ERROR;
    const ULONG ulAsked = PROP_TYPE(ulPropTag);
    void* pv = nullptr;
    prop.ulPropTag = ulPropTag;
    if (ulHas == PT_STRING8 && ulAsked == PT_UNICODE)
    {
        const std::string& strText = pCell->m_strBytes;
        if (SUCCEEDED(Allocate((strText.size() + 1) * sizeof(WCHAR), pProps, &pv)))
            for (size_t i = 0; i <= strText.size(); ++i)
                static_cast<LPWSTR>(pv)[i] = static_cast<unsigned char>(strText.c_str()[i]);
        prop.Value.lpszW = static_cast<LPWSTR>(pv);
    }
    else if (ulHas == PT_STRING8 && ulAsked == PT_STRING8)
    {
        if (SUCCEEDED(Allocate(pCell->m_strBytes.size() + 1, pProps, &pv)))
            memcpy(pv, pCell->m_strBytes.c_str(), pCell->m_strBytes.size() + 1);
        prop.Value.lpszA = static_cast<LPSTR>(pv);
    }
    else if (ulHas == PT_BINARY && ulAsked == PT_BINARY)
    {
        if (SUCCEEDED(Allocate(pCell->m_strBytes.size(), pProps, &pv)))
            memcpy(pv, pCell->m_strBytes.data(), pCell->m_strBytes.size());
        prop.Value.bin.cb = pv ? static_cast<ULONG>(pCell->m_strBytes.size()) : 0;
        prop.Value.bin.lpb = static_cast<LPBYTE>(pv);
    }
    else if (ulHas == PT_BOOLEAN && ulAsked == PT_BOOLEAN)
    {
        prop.Value.b = pCell->m_b;
    }
    else
    {
        prop.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(ulPropTag));
        prop.Value.err = MAPI_E_NOT_FOUND;
    }
}
} // namespace

CTable::CTable(const char* pszContents, std::vector<ULONG> vecDefaultColumns, std::vector<CTableRow> vecRows)
    : CStandInObject("Table", IID_IMAPITable), m_vecRows(std::move(vecRows)), m_pszContents(pszContents),
      m_vecColumns(std::move(vecDefaultColumns))
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
    // Only the service table carries the column a test makes unreadable.
    const ULONG ulErrorColumn = strcmp(m_pszContents, szServiceTable) == 0 ? ReadErrorColumn() : 0;
    std::string strRows;
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
                FillColumn(m_vecColumns[iColumn], row, sRow.lpProps, prop);
            }
        }
        strRows.append(strRows.empty() ? "" : ", ").append(row.m_strDescription);
    }
    *lppRows = lpRows;
    strDescription = RegisterLive(lpRows, "Rows", nullptr) + " [" + strRows + "]";
    return S_OK;
}

CTableRow MakeServiceRow(size_t nCreation, const CService& service)
{
    CTableRow row;
    row.m_strDescription = DescribeService(nCreation, service);
    row.m_vecCells = {{PR_DISPLAY_NAME_A, service.m_strDisplayName},
                      {PR_SERVICE_NAME_A, service.m_strName},
                      {PR_SERVICE_UID, std::string(reinterpret_cast<const char*>(service.m_uid.ab), sizeof(MAPIUID))}};
    return row;
}

CTableRow MakeProfileRow(const std::string& strProfile, bool bDefault)
{
    CTableRow row;
    row.m_strDescription = FormatStringA(strProfile.c_str());
    row.m_vecCells = {{PR_DISPLAY_NAME_A, strProfile}, {PR_DEFAULT_PROFILE, "", bDefault}};
    return row;
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
