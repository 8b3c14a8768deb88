#include "app/RunLock.h"

#include <sddl.h>

#include <memory>
#include <string>

namespace
{
struct CHandleCloser
{
    void operator()(HANDLE hObject) const { CloseHandle(hObject); }
};
using CUniqueHandle = std::unique_ptr<void, CHandleCloser>;

struct CLocalFreer
{
    void operator()(void* pv) const { LocalFree(pv); }
};
using CLocalString = std::unique_ptr<char, CLocalFreer>;

// "Global\Quillmere-S-1-5-21-...": the user's, whichever session runs it.
// Empty when the user's SID cannot be read.
std::string NameRunLock()
{
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return std::string();
    const CUniqueHandle token(hToken);
    // TOKEN_USER and the SID after it; a SID takes at most 68 bytes.
    union
    {
        TOKEN_USER m_user;
        BYTE m_rgb[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } buffer = {};
    DWORD cb = 0;
    if (!GetTokenInformation(token.get(), TokenUser, &buffer, sizeof(buffer), &cb))
        return std::string();
    LPSTR pszSid = nullptr;
    if (!ConvertSidToStringSidA(buffer.m_user.User.Sid, &pszSid))
        return std::string();
    const CLocalString sid(pszSid);
    return std::string("Global\\Quillmere-") + sid.get();
}
} // namespace

ERunLock TakeRunLock(DWORD dwWait)
{
    const std::string strName = NameRunLock();
    CUniqueHandle mutex(strName.empty() ? nullptr : CreateMutexA(nullptr, FALSE, strName.c_str()));
    if (!mutex)
        return ERunLock::Unavailable;
    switch (WaitForSingleObject(mutex.get(), dwWait))
    {
    // Every run leaves the lock abandoned, ended or killed; the list of
    // unfinished profiles is consistent at every step, so taking over is safe.
    case WAIT_ABANDONED:
    case WAIT_OBJECT_0:
        static_cast<void>(mutex.release());
        return ERunLock::Taken;
    case WAIT_TIMEOUT:
        return ERunLock::Busy;
    default:
        return ERunLock::Unavailable;
    }
}
