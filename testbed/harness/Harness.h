#pragma once

// The end-to-end harness: starts Quillmere.exe under the harness's own
// control, with an exact argument vector, and gives back every byte it printed.

#include <windows.h>

#include <string>
#include <vector>

namespace harness
{
struct CRunResult
{
    DWORD m_dwExitCode = 0xDEADBEEF;
    std::string m_strStdout;
    std::string m_strStderr;
};

// Extra environment variables for the child, "NAME=value" each; the rest of
// the harness's environment is inherited.
struct CRunOptions
{
    std::vector<std::string> m_vecEnvironment;
    std::string m_strProgram; // empty: Quillmere.exe beside the harness
    std::string m_strWorkingDirectory; // empty: the harness's own
};

CRunResult RunQuillmere(const std::vector<std::string>& vecArgs, const CRunOptions& options = {});

// A run left going, its standard output written straight into a file, as a
// deployment tool's log is: for a test that kills it midway. Killed when it
// goes out of scope, if the test has not done so.
class CRunningProgram
{
public:
    CRunningProgram(const std::vector<std::string>& vecArgs, const std::string& strStdoutFile,
                    const CRunOptions& options = {});
    ~CRunningProgram();
    CRunningProgram(const CRunningProgram&) = delete;
    CRunningProgram& operator=(const CRunningProgram&) = delete;

    // True once it has ended, waiting for that at most the time given.
    bool WaitForExit(DWORD dwMilliseconds) const;
    // As TerminateProcess ends it: no exit code of its own, no clean-up. True
    // once it is gone.
    bool Kill();

private:
    PROCESS_INFORMATION m_pi = {};
};

// The full path of a program that stands beside the running test executable.
std::string LocateBesideSelf(const char* pszFileName);

// Quotes one argument so that the C runtime's parser gives it back unchanged.
std::string QuoteArgument(const std::string& strArg);
std::string BuildCommandLine(const std::string& strProgram, const std::vector<std::string>& vecArgs);

// A Linux path as Windows programs under Wine see it, on drive Z:.
std::string WindowsPathOf(const std::string& strUnixPath);

// Standard output is in text mode: every "\n" the program prints arrives as CR LF.
std::string Crlf(const std::string& strText);
} // namespace harness
