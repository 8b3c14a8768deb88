#pragma once

// Steering the test bed's MAPI32 stand-in from a test, and reading its journal.

#include <windows.h>

#include <string>
#include <vector>

#include "testbed/harness/Harness.h"

namespace harness
{
// %TEMP%\<name>, as this process sees it.
std::string TempPath(const std::string& strName);
std::string ReadWholeFile(const std::string& strPath);
// One element per line; a line's CR, if any, is dropped.
std::vector<std::string> SplitLines(const std::string& strText);

// Clears every control of the stand-in, then has it journal to a fresh file
// of the given name in %TEMP%, whose path it returns.
std::string StartStandInJournal(const std::string& strFileName);
void SetStandInText(const std::string& strName, const std::string& strText);     // REG_SZ
void SetStandInNumber(const std::string& strName, DWORD dwValue);               // REG_DWORD
// The status the operation answers instead of its own.
void SetStandInStatus(const std::string& strOperation, HRESULT hr);

// True once the run waits in the operation the stand-in was asked to block,
// as the journal's last line says; false when it ended, or two minutes went by
// (a 32-bit run through qemu takes seconds to get there).
bool WaitUntilBlocked(const std::string& strJournal, const std::string& strOperation, const CRunningProgram& run);

// A file in this process's system directory: system32, or for a 32-bit
// process syswow64 under that name.
std::string InSystemDirectory(const char* pszFileName);

// For its lifetime, the MAPI32.DLL of this process's system directory is the
// one given: a test's own layout of the stand-in. The one installed there
// before comes back however the test ends.
class CSystemMapi32Swap
{
public:
    explicit CSystemMapi32Swap(const std::string& strReplacement);
    ~CSystemMapi32Swap();
    CSystemMapi32Swap(const CSystemMapi32Swap&) = delete;
    CSystemMapi32Swap& operator=(const CSystemMapi32Swap&) = delete;

    bool IsInPlace() const { return m_bInPlace; }

private:
    std::string m_strSystemMapi32;
    std::string m_strSaved;
    bool m_bSaved = false;
    bool m_bInPlace = false;
};
} // namespace harness
