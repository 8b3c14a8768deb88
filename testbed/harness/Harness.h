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

// A started program, killed when it goes out of scope if the test has not
// waited for its end.
class CChildProcess
{
public:
    explicit CChildProcess(const PROCESS_INFORMATION& pi) : m_pi(pi) {}
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // True once it has ended, waiting for that at most the time given.
    bool WaitForExit(DWORD dwMilliseconds) const;
    // As TerminateProcess ends it: no exit code of its own, no clean-up. True
    // once it is gone.
    bool Kill();
    // Its exit status once it has ended.
    DWORD GetExitCode() const;

private:
    PROCESS_INFORMATION m_pi;
};

// A run left going, its standard output written straight into a file, as a
// deployment tool's log is: for a test that kills it midway, or that starts
// another run beside it. Standard error goes to a file of its own when one is
// named, else to the harness's.
class CRunningProgram
{
public:
    CRunningProgram(const std::vector<std::string>& vecArgs, const std::string& strStdoutFile,
                    const CRunOptions& options = {}, const std::string& strStderrFile = "");

    bool WaitForExit(DWORD dwMilliseconds) const { return m_process.WaitForExit(dwMilliseconds); }
    bool Kill() { return m_process.Kill(); }
    DWORD GetExitCode() const { return m_process.GetExitCode(); }

private:
    CChildProcess m_process;
};

// A run whose standard output is a pipe that the harness reads only when the
// test asks, and that holds no more than one byte: each write of the program
// waits until what came before it has been read, as a run does whose
// redirected output has stalled. The test holds the run between any two lines.
class CStalledOutputRun
{
public:
    explicit CStalledOutputRun(const std::vector<std::string>& vecArgs, const CRunOptions& options = {});
    ~CStalledOutputRun();
    CStalledOutputRun(const CStalledOutputRun&) = delete;
    CStalledOutputRun& operator=(const CStalledOutputRun&) = delete;

    // Reads until the output so far ends with the text given; false when the
    // time given runs out first, or the program ends.
    bool ReadUntil(const std::string& strEnd, DWORD dwMilliseconds);
    // True once the program waits in a write that nothing reads.
    bool WaitForBlockedWrite(DWORD dwMilliseconds) const;
    // Lets it run to its end, reading all it prints; true once it has ended.
    bool ReadToEnd(DWORD dwMilliseconds);
    const std::string& GetOutput() const { return m_strOutput; }

    bool Kill() { return m_process.Kill(); }
    DWORD GetExitCode() const { return m_process.GetExitCode(); }

private:
    DWORD ReadAvailable();

    HANDLE m_hRead = nullptr;
    CChildProcess m_process;
    std::string m_strOutput;
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
