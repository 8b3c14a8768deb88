#include "profile/ProfileTable.h"

#include "profile/MapiOwners.h"
#include "profile/TagArrays.h"

namespace
{
enum
{
    iProfileName,
    NUM_PROFILE_COLS
};
const SizedSPropTagArray(NUM_PROFILE_COLS, s_profileColumns) = {NUM_PROFILE_COLS, {PR_DISPLAY_NAME_A}};

bool IsNamed(const SRow& row, const char* pszProfile)
{
    return row.cValues >= NUM_PROFILE_COLS && row.lpProps[iProfileName].ulPropTag == PR_DISPLAY_NAME_A &&
           row.lpProps[iProfileName].Value.lpszA && lstrcmpiA(row.lpProps[iProfileName].Value.lpszA, pszProfile) == 0;
}
} // namespace

EProfileListed FindProfile(IProfAdmin* pProfAdmin, const char* pszProfile)
{
    // Declared so that the table goes back before the rows, as in every query here.
    CRowSet rows;
    CMapiPtr<IMAPITable> table;
    LPMAPITABLE pTable = nullptr;
    HRESULT hr = pProfAdmin->GetProfileTable(0, &pTable);
    AdoptOnSuccess(table, hr, pTable);
    if (FAILED(hr))
        return EProfileListed::Unknown;

    LPSRowSet pRows = nullptr;
    hr = HrQueryAllRows(table.get(), AsTagArray(s_profileColumns), nullptr, nullptr, 0, &pRows);
    AdoptOnSuccess(rows, hr, pRows);
    if (FAILED(hr) || !rows)
        return EProfileListed::Unknown;
    for (ULONG iRow = 0; iRow < rows->cRows; ++iRow)
        if (IsNamed(rows->aRow[iRow], pszProfile))
            return EProfileListed::Listed;
    return EProfileListed::NotListed;
}
