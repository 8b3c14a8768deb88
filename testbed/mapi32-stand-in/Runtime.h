#pragma once

// The stand-in's process-wide state: initialisation count, live objects and
// row sets, the journal and the test controls.

#include <windows.h>

#include <mapix.h>

#include <optional>
#include <string>
#include <vector>

namespace standin
{
class CObjectBase;

// Something handed to the caller that the caller must give back.
struct CLiveEntry
{
    const void* m_pAddress = nullptr;
    std::string m_strKind;                // "Session", "Rows", "Props"
    std::string m_strLabel;               // "Session#2", "Rows#5"
    CObjectBase* m_pObject = nullptr;     // null for a row set or another buffer
};

std::string RegisterLive(const void* pAddress, const char* pszKind, CObjectBase* pObject);
void UnregisterLive(const void* pAddress);
const CLiveEntry* FindLive(const void* pAddress);
// The label of a live object or row set, "null", or "unknown".
std::string DescribeAddress(const void* pAddress);
// " out=Session#2": what a call handed out, for its journal line.
std::string FormatOut(const void* pOut);

void CountInitialize();
// False when no initialisation was left to balance: the call is counted, but
// cannot make MAPI any less initialised than not at all.
bool CountUninitialize();
bool IsInitialized();
// MAPI buffers (MAPIAllocateBuffer's) not yet freed. Untracking answers
// whether the address was one of them.
void TrackBuffer(const void* pBuffer);
bool UntrackBuffer(const void* pBuffer);
// Frees a MAPI buffer and what MAPIAllocateMore hung on it, unjournaled: the
// stand-in's own frees (FreeProws's) are no call of the client's.
void FreeBuffer(LPVOID lpBuffer);
// "inits=1 uninits=1 alive=[] buffers=0"
std::string DescribeBalance();

// Appends one line to the journal, when the control key names one.
void Journal(const std::string& strLine);

// The status the control key forces on an operation, S_OK when none. An
// operation the control key says to block never gets its answer: it blocks
// here, until its process is killed.
HRESULT ReadForcedStatus(const std::string& strOperation);
HRESULT ReadForcedStatus(const char* pszOperation, const std::string& strService);
// A value steering one property (StandInControl.h's szProperty...Prefix), the
// section kind's own asked first; nothing when neither is set.
std::optional<DWORD> ReadPropertySteering(const char* pszPrefix, const std::string& strKind, ULONG ulPropTag);
// How long the unload at the end of the process takes, 0 when not steered.
DWORD ReadUnloadDelay();
// The column the service table cannot fill, 0 when none.
ULONG ReadErrorColumn();
// Creation indices in the order the service table lists them.
std::vector<size_t> ReadRowOrder(size_t cRows);

// Runs an operation as the controls and the initialisation count allow: a
// forced failure replaces it, a forced warning replaces only its success.
template <typename TOperation>
HRESULT Perform(HRESULT hrForced, TOperation&& fnOperation)
{
    if (FAILED(hrForced))
        return hrForced;
    if (!IsInitialized())
        return MAPI_E_NOT_INITIALIZED;
    const HRESULT hr = fnOperation();
    return hr == S_OK ? hrForced : hr;
}
} // namespace standin
