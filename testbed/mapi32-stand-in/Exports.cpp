// MAPI32's flat functions as the stand-in answers them, and its MAPI buffers.

#include <windows.h>

#include <mapix.h>
#include <mapiutil.h>

#include "testbed/mapi32-stand-in/Format.h"
#include "testbed/mapi32-stand-in/Objects.h"
#include "testbed/mapi32-stand-in/Runtime.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

#ifndef MAPI_USE_DEFAULT
#define MAPI_USE_DEFAULT 0x00000040
#endif

using namespace standin;

namespace
{
// Every MAPI buffer starts with this header. Buffers from MAPIAllocateMore hang
// on their parent's chain and go when it is freed.
struct CBufferHeader
{
    CBufferHeader* m_pNextLinked;
    CBufferHeader* m_pParent; // null for a buffer of its own
};
// What follows the header keeps the alignment the heap gives, which any property value needs.
static_assert(sizeof(CBufferHeader) % MEMORY_ALLOCATION_ALIGNMENT == 0, "buffers must stay aligned");

CBufferHeader* AllocateHeader(ULONG cbSize)
{
    return static_cast<CBufferHeader*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(CBufferHeader) + cbSize));
}

CBufferHeader* HeaderOf(LPVOID pv)
{
    return static_cast<CBufferHeader*>(pv) - 1;
}

std::string FormatInit(LPVOID lpMapiInit)
{
    if (!lpMapiInit)
        return "null";
    const auto* pInit = static_cast<const MAPIINIT_0*>(lpMapiInit);
    return "{version=" + std::to_string(pInit->ulVersion) + ", flags=" + FormatHex(pInit->ulFlags) + "}";
}
} // namespace

SCODE WINAPI MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer)
{
    if (!lppBuffer)
        return MAPI_E_INVALID_PARAMETER;
    CBufferHeader* pHeader = AllocateHeader(cbSize);
    *lppBuffer = pHeader ? pHeader + 1 : nullptr;
    if (!pHeader)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    TrackBuffer(*lppBuffer);
    return S_OK;
}

SCODE WINAPI MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer)
{
    if (!lppBuffer || !lpObject)
        return MAPI_E_INVALID_PARAMETER;
    CBufferHeader* pParent = HeaderOf(lpObject);
    if (pParent->m_pParent)
        pParent = pParent->m_pParent;
    CBufferHeader* pHeader = AllocateHeader(cbSize);
    *lppBuffer = pHeader ? pHeader + 1 : nullptr;
    if (!pHeader)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    pHeader->m_pParent = pParent;
    pHeader->m_pNextLinked = pParent->m_pNextLinked;
    pParent->m_pNextLinked = pHeader;
    return S_OK;
}

void standin::FreeBuffer(LPVOID lpBuffer)
{
    // A buffer from MAPIAllocateMore goes with its parent, never alone; and
    // one freed already is not freed twice.
    if (!UntrackBuffer(lpBuffer))
        return;
    for (CBufferHeader* pHeader = HeaderOf(lpBuffer); pHeader;)
    {
        CBufferHeader* pNext = pHeader->m_pNextLinked;
        HeapFree(GetProcessHeap(), 0, pHeader);
        pHeader = pNext;
    }
}

ULONG WINAPI MAPIFreeBuffer(LPVOID lpBuffer)
{
    const std::string strLabel = DescribeAddress(lpBuffer);
    const CLiveEntry* pEntry = FindLive(lpBuffer);
    if (!pEntry || !pEntry->m_pObject)
    {
        UnregisterLive(lpBuffer);
        FreeBuffer(lpBuffer);
    }
    Journal("MAPIFreeBuffer(" + strLabel + ")");
    return S_OK;
}

HRESULT WINAPI MAPIInitialize(LPVOID lpMapiInit)
{
    HRESULT hr = ReadForcedStatus(szForceMAPIInitialize);
    if (SUCCEEDED(hr))
        CountInitialize();
    Journal("MAPIInitialize(init=" + FormatInit(lpMapiInit) + ") -> " + FormatStatus(hr));
    return hr;
}

void WINAPI MAPIUninitialize()
{
    const bool bBalanced = CountUninitialize();
    Journal(std::string("MAPIUninitialize() -> ") + (bBalanced ? "" : "unbalanced ") + DescribeBalance());
}

HRESULT WINAPI MAPIAdminProfiles(ULONG ulFlags, LPPROFADMIN* lppProfAdmin)
{
    HRESULT hr = lppProfAdmin ? S_OK : MAPI_E_INVALID_PARAMETER;
    if (lppProfAdmin)
        *lppProfAdmin = nullptr;
    if (SUCCEEDED(hr))
        hr = Perform(ReadForcedStatus(szForceMAPIAdminProfiles), [&] {
            if (ulFlags & MAPI_UNICODE)
                return MAPI_E_BAD_CHARWIDTH;
            *lppProfAdmin = new CProfAdmin;
            return S_OK;
        });
    Journal("MAPIAdminProfiles(flags=" + FormatHex(ulFlags) + ") -> " + FormatStatus(hr) +
            FormatOut(lppProfAdmin ? *lppProfAdmin : nullptr));
    return hr;
}

HRESULT WINAPI MAPILogonEx(ULONG_PTR ulUIParam, LPTSTR lpszProfileName, LPTSTR lpszPassword, ULONG ulFlags,
                           LPMAPISESSION* lppSession)
{
    HRESULT hr = lppSession ? S_OK : MAPI_E_INVALID_PARAMETER;
    if (lppSession)
        *lppSession = nullptr;
    if (SUCCEEDED(hr))
        hr = Perform(ReadForcedStatus(szForceMAPILogonEx), [&] {
            if (ulFlags & MAPI_UNICODE)
                return MAPI_E_BAD_CHARWIDTH;
            std::string strProfile;
            if (lpszProfileName && !IsAcceptableProfileName(lpszProfileName))
                return MAPI_E_INVALID_PARAMETER;
            if (lpszProfileName)
                strProfile = lpszProfileName;
            else if (ulFlags & MAPI_USE_DEFAULT)
                strProfile = ReadDefaultProfile();
            if (strProfile.empty() || !ProfileExists(strProfile))
                return MAPI_E_LOGON_FAILED;
            *lppSession = new CSession(strProfile);
            return S_OK;
        });
    Journal("MAPILogonEx(ui=" + FormatPointer(ulUIParam) + ", profile=" + FormatStringA(lpszProfileName) +
            ", password=" + FormatStringA(lpszPassword) + ", flags=" + FormatHex(ulFlags) + ") -> " +
            FormatStatus(hr) + FormatOut(lppSession ? *lppSession : nullptr));
    return hr;
}

STDAPI HrQueryAllRows(LPMAPITABLE lpTable, LPSPropTagArray lpPropTags, LPSRestriction lpRestriction,
                      LPSSortOrderSet lpSortOrderSet, LONG crowsMax, LPSRowSet* lppRows)
{
    std::string strRows;
    HRESULT hr = lppRows ? S_OK : MAPI_E_INVALID_PARAMETER;
    if (lppRows)
        *lppRows = nullptr;
    CTable* const pTable = FindTable(lpTable);
    if (SUCCEEDED(hr))
        hr = Perform(ReadForcedStatus(szForceHrQueryAllRows, pTable ? pTable->GetContents() : ""), [&] {
            if (!pTable)
                return MAPI_E_INVALID_PARAMETER;
            if (lpRestriction || lpSortOrderSet)
                return MAPI_E_NO_SUPPORT;
            if (lpPropTags)
                pTable->SelectColumns(*lpPropTags);
            pTable->SeekToStart();
            if (crowsMax > 0 && pTable->CountRemaining() > static_cast<size_t>(crowsMax))
                return MAPI_E_TABLE_TOO_BIG;
            return pTable->FetchRows(pTable->CountRemaining(), lppRows, strRows);
        });
    Journal("HrQueryAllRows(table=" + DescribeAddress(lpTable) + ", columns=" + FormatTags(lpPropTags) +
            ", restriction=" + (lpRestriction ? "set" : "null") + ", sort=" + (lpSortOrderSet ? "set" : "null") +
            ", max=" + std::to_string(crowsMax) + ") -> " + FormatStatus(hr) +
            " out=" + (strRows.empty() ? "null" : strRows));
    return hr;
}

STDAPI_(ULONG) UlRelease(LPVOID lpUnk)
{
    // Only objects the stand-in knows to be alive: a second release is journaled, not made.
    const CLiveEntry* pEntry = FindLive(lpUnk);
    const std::string strLabel = DescribeAddress(lpUnk);
    const ULONG cRef = pEntry && pEntry->m_pObject ? pEntry->m_pObject->ReleaseQuietly() : 0;
    Journal("UlRelease(" + strLabel + ") -> " + std::to_string(cRef));
    return cRef;
}

STDAPI_(void) FreeProws(LPSRowSet lpRows)
{
    const CLiveEntry* pEntry = FindLive(lpRows);
    const std::string strLabel = DescribeAddress(lpRows);
    if (pEntry && pEntry->m_strKind == "Rows")
    {
        UnregisterLive(lpRows);
        FreeRowSet(lpRows);
    }
    Journal("FreeProws(" + strLabel + ")");
}

extern "C" BOOL WINAPI DllMain(HINSTANCE /*hinstDll*/, DWORD dwReason, LPVOID /*lpReserved*/)
{
    if (dwReason != DLL_PROCESS_DETACH)
        return TRUE;
    Sleep(ReadUnloadDelay());
    Journal("DllMain(DLL_PROCESS_DETACH) -> " + DescribeBalance());
    return TRUE;
}
