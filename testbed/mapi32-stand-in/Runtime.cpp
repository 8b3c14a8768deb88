#include "testbed/mapi32-stand-in/Runtime.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "testbed/mapi32-stand-in/Registry.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace standin
{
namespace
{
struct CState
{
    LONG m_nInits = 0;
    LONG m_nUninits = 0;
    LONG m_nActive = 0; // initialisations not yet balanced
    std::set<const void*> m_setBuffers;
    ULONG m_nNextSerial = 1;
    std::vector<CLiveEntry> m_vecLive;
};

// Never destroyed: the leak report at DLL_PROCESS_DETACH still needs it.
CState& GetState()
{
    static CState* const s_pState = new CState;
    return *s_pState;
}

CRegKey OpenControlKey()
{
    return OpenKey(HKEY_CURRENT_USER, szControlKey);
}

// Never returns when the control key names the operation to block under any
// of its names (a service operation has two: with and without the service).
void BlockWhenAsked(const CRegKey& key, std::initializer_list<std::string> names)
{
    // REG_SZ alone: one query of the registry at every call, not two.
    const std::optional<std::string> strValue = ReadValue(key.Get(), szBlockValue, REG_SZ);
    const std::string strBlocked = strValue ? strValue->c_str() : "";
    if (std::find(names.begin(), names.end(), strBlocked) == names.end())
        return;
    Journal(strBlocked + " -> blocks until killed");
    for (;;)
        Sleep(INFINITE);
}
} // namespace

std::string RegisterLive(const void* pAddress, const char* pszKind, CObjectBase* pObject)
{
    CState& state = GetState();
    CLiveEntry entry;
    entry.m_pAddress = pAddress;
    entry.m_strKind = pszKind;
    entry.m_strLabel = std::string(pszKind) + "#" + std::to_string(state.m_nNextSerial++);
    entry.m_pObject = pObject;
    state.m_vecLive.push_back(entry);
    return entry.m_strLabel;
}

void UnregisterLive(const void* pAddress)
{
    std::vector<CLiveEntry>& vecLive = GetState().m_vecLive;
    vecLive.erase(std::remove_if(vecLive.begin(), vecLive.end(),
                                 [&](const CLiveEntry& entry) { return entry.m_pAddress == pAddress; }),
                  vecLive.end());
}

const CLiveEntry* FindLive(const void* pAddress)
{
    for (const CLiveEntry& entry : GetState().m_vecLive)
        if (pAddress && entry.m_pAddress == pAddress)
            return &entry;
    return nullptr;
}

std::string DescribeAddress(const void* pAddress)
{
    if (!pAddress)
        return "null";
    const CLiveEntry* pEntry = FindLive(pAddress);
    return pEntry ? pEntry->m_strLabel : "unknown";
}

std::string FormatOut(const void* pOut)
{
    return " out=" + DescribeAddress(pOut);
}

void CountInitialize()
{
    ++GetState().m_nInits;
    ++GetState().m_nActive;
}

bool CountUninitialize()
{
    CState& state = GetState();
    ++state.m_nUninits;
    if (state.m_nActive == 0)
        return false;
    --state.m_nActive;
    return true;
}

bool IsInitialized()
{
    return GetState().m_nActive > 0;
}

void TrackBuffer(const void* pBuffer)
{
    GetState().m_setBuffers.insert(pBuffer);
}

bool UntrackBuffer(const void* pBuffer)
{
    return GetState().m_setBuffers.erase(pBuffer) != 0;
}

std::string DescribeBalance()
{
    const CState& state = GetState();
    std::string strAlive;
    for (const CLiveEntry& entry : state.m_vecLive)
        strAlive.append(strAlive.empty() ? "" : ", ").append(entry.m_strLabel);
    return "inits=" + std::to_string(state.m_nInits) + " uninits=" + std::to_string(state.m_nUninits) +
           " alive=[" + strAlive + "] buffers=" + std::to_string(state.m_setBuffers.size());
}

void Journal(const std::string& strLine)
{
    const std::optional<std::string> strPath = ReadString(OpenControlKey().Get(), szJournalValue);
    if (!strPath || strPath->empty())
        return;
    const HANDLE hFile = CreateFileA(strPath->c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    const std::string strText = strLine + "\n";
    DWORD cbWritten = 0;
    WriteFile(hFile, strText.data(), static_cast<DWORD>(strText.size()), &cbWritten, nullptr);
    CloseHandle(hFile);
}

HRESULT ReadForcedStatus(const std::string& strOperation)
{
    const CRegKey key = OpenControlKey();
    BlockWhenAsked(key, {strOperation});
    return static_cast<HRESULT>(ReadDword(key.Get(), strOperation.c_str()).value_or(S_OK));
}

HRESULT ReadForcedStatus(const char* pszOperation, const std::string& strService)
{
    const CRegKey key = OpenControlKey();
    BlockWhenAsked(key, {ForcePerService(pszOperation, strService), pszOperation});
    const std::optional<DWORD> dwForced = ReadDword(key.Get(), ForcePerService(pszOperation, strService).c_str());
    return static_cast<HRESULT>(dwForced ? *dwForced : ReadDword(key.Get(), pszOperation).value_or(S_OK));
}

std::optional<DWORD> ReadPropertySteering(const char* pszPrefix, const std::string& strKind, ULONG ulPropTag)
{
    const CRegKey key = OpenControlKey();
    const std::optional<DWORD> dwOwn =
        strKind.empty() ? std::nullopt : ReadDword(key.Get(), SteerProperty(pszPrefix, ulPropTag, strKind).c_str());
    return dwOwn ? dwOwn : ReadDword(key.Get(), SteerProperty(pszPrefix, ulPropTag).c_str());
}

DWORD ReadUnloadDelay()
{
    return ReadDword(OpenControlKey().Get(), szUnloadDelayValue).value_or(0);
}

ULONG ReadErrorColumn()
{
    return ReadDword(OpenControlKey().Get(), szErrorColumnValue).value_or(0);
}

std::vector<size_t> ReadRowOrder(size_t cRows)
{
    const std::string strOrder = ReadString(OpenControlKey().Get(), szRowOrderValue).value_or(szRowOrderCreated);
    std::vector<size_t> vecOrder;
    if (strOrder == szRowOrderCreated || strOrder == szRowOrderReversed)
    {
        for (size_t i = 0; i < cRows; ++i)
            vecOrder.push_back(strOrder == szRowOrderCreated ? i : cRows - 1 - i);
        return vecOrder;
    }
    // A list of creation indices: the rows it names, in its order; others are left out.
    for (const char* psz = strOrder.c_str(); *psz;)
    {
        char* pszEnd = nullptr;
        const unsigned long ulIndex = strtoul(psz, &pszEnd, 10);
        if (pszEnd != psz && ulIndex < cRows)
            vecOrder.push_back(ulIndex);
        psz = *pszEnd ? pszEnd + 1 : pszEnd;
    }
    return vecOrder;
}
} // namespace standin
