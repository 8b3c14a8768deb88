#include "testbed/harness/Harness.h"

#include <stdexcept>
#include <string>
#include <thread>

namespace harness
{
namespace
{
// A pipe whose write end the child inherits and whose read end stays ours.
struct CPipe
{
    HANDLE m_hRead = nullptr;
    HANDLE m_hWrite = nullptr;

    CPipe()
    {
        SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
        if (!CreatePipe(&m_hRead, &m_hWrite, &sa, 0))
            throw std::runtime_error("CreatePipe failed");
        SetHandleInformation(m_hRead, HANDLE_FLAG_INHERIT, 0);
    }
    ~CPipe()
    {
        CloseWriteEnd();
        CloseHandle(m_hRead);
    }
    CPipe(const CPipe&) = delete;
    CPipe& operator=(const CPipe&) = delete;

    void CloseWriteEnd()
    {
        if (m_hWrite)
            CloseHandle(m_hWrite);
        m_hWrite = nullptr;
    }
};

std::string ReadToEnd(HANDLE hRead)
{
    std::string strData;
    char rgchBuffer[4096];
    DWORD cbRead = 0;
    while (ReadFile(hRead, rgchBuffer, sizeof(rgchBuffer), &cbRead, nullptr) && cbRead > 0)
        strData.append(rgchBuffer, cbRead);
    return strData;
}

std::string NameOf(const std::string& strAssignment)
{
    return strAssignment.substr(0, strAssignment.find('='));
}

// The harness's own environment with the given variables added or replaced.
std::string BuildEnvironmentBlock(const std::vector<std::string>& vecExtra)
{
    std::string strBlock;
    LPCH pchEnvironment = GetEnvironmentStringsA();
    for (const char* psz = pchEnvironment; *psz; psz += strlen(psz) + 1)
    {
        const std::string strName = NameOf(psz);
        bool bReplaced = false;
        for (const std::string& strExtra : vecExtra)
            bReplaced = bReplaced || _stricmp(NameOf(strExtra).c_str(), strName.c_str()) == 0;
        if (!bReplaced)
            strBlock.append(psz).push_back('\0');
    }
    FreeEnvironmentStringsA(pchEnvironment);
    for (const std::string& strExtra : vecExtra)
        strBlock.append(strExtra).push_back('\0');
    strBlock.push_back('\0');
    return strBlock;
}
} // namespace

std::string LocateBesideSelf(const char* pszFileName)
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath = szPath;
    strPath.erase(strPath.find_last_of("\\/") + 1);
    return strPath + pszFileName;
}

std::string QuoteArgument(const std::string& strArg)
{
    if (!strArg.empty() && strArg.find_first_of(" \t\n\v\"") == std::string::npos)
        return strArg;

    std::string strQuoted = "\"";
    size_t cBackslashes = 0;
    for (char ch : strArg)
    {
        if (ch == '\\')
        {
            ++cBackslashes;
            continue;
        }
        // Backslashes double only where a quote follows them.
        strQuoted.append(ch == '"' ? 2 * cBackslashes + 1 : cBackslashes, '\\');
        strQuoted.push_back(ch);
        cBackslashes = 0;
    }
    strQuoted.append(2 * cBackslashes, '\\');
    strQuoted.push_back('"');
    return strQuoted;
}

std::string BuildCommandLine(const std::string& strProgram, const std::vector<std::string>& vecArgs)
{
    std::string strCommandLine = QuoteArgument(strProgram);
    for (const std::string& strArg : vecArgs)
        strCommandLine.append(" ").append(QuoteArgument(strArg));
    return strCommandLine;
}

namespace
{
// Starts the program with the given handles as its standard output and error.
PROCESS_INFORMATION StartProgram(const std::vector<std::string>& vecArgs, const CRunOptions& options,
                                 HANDLE hStdout, HANDLE hStderr)
{
    const std::string strProgram =
        options.m_strProgram.empty() ? LocateBesideSelf("Quillmere.exe") : options.m_strProgram;
    std::string strCommandLine = BuildCommandLine(strProgram, vecArgs);
    std::string strEnvironment = BuildEnvironmentBlock(options.m_vecEnvironment);

    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = hStdout;
    si.hStdError = hStderr;

    // Wine on a loaded machine now and then loses a new process before its
    // first instruction, and answers ERROR_INTERNAL_ERROR: the program never
    // ran, so it is started again. Any other refusal is the test's failure.
    PROCESS_INFORMATION pi = {};
    DWORD dwError = ERROR_SUCCESS;
    for (int nAttempt = 0; nAttempt < 3; ++nAttempt)
    {
        if (CreateProcessA(strProgram.c_str(), &strCommandLine[0], nullptr, nullptr, TRUE, 0, &strEnvironment[0],
                           options.m_strWorkingDirectory.empty() ? nullptr : options.m_strWorkingDirectory.c_str(),
                           &si, &pi))
            return pi;
        dwError = GetLastError();
        if (dwError != ERROR_INTERNAL_ERROR)
            break;
    }
    throw std::runtime_error("CreateProcessA failed for " + strProgram + " with error " + std::to_string(dwError));
}
} // namespace

CRunResult RunQuillmere(const std::vector<std::string>& vecArgs, const CRunOptions& options)
{
    CPipe stdoutPipe;
    CPipe stderrPipe;
    const PROCESS_INFORMATION pi = StartProgram(vecArgs, options, stdoutPipe.m_hWrite, stderrPipe.m_hWrite);
    stdoutPipe.CloseWriteEnd();
    stderrPipe.CloseWriteEnd();

    CRunResult result;
    std::thread stderrReader([&] { result.m_strStderr = ReadToEnd(stderrPipe.m_hRead); });
    result.m_strStdout = ReadToEnd(stdoutPipe.m_hRead);
    stderrReader.join();

    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &result.m_dwExitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}

CChildProcess::~CChildProcess()
{
    Kill();
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
}

bool CChildProcess::WaitForExit(DWORD dwMilliseconds) const
{
    return WaitForSingleObject(m_pi.hProcess, dwMilliseconds) == WAIT_OBJECT_0;
}

bool CChildProcess::Kill()
{
    if (!WaitForExit(0))
        TerminateProcess(m_pi.hProcess, 1);
    return WaitForExit(30000);
}

DWORD CChildProcess::GetExitCode() const
{
    DWORD dwExitCode = 0xDEADBEEF;
    GetExitCodeProcess(m_pi.hProcess, &dwExitCode);
    return dwExitCode;
}

namespace
{
HANDLE CreateInheritableFile(const std::string& strPath)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    const HANDLE hFile = CreateFileA(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + strPath);
    return hFile;
}

// The program holds its own handles to the files once it has started; the
// files are complete once it is gone.
PROCESS_INFORMATION StartIntoFiles(const std::vector<std::string>& vecArgs, const CRunOptions& options,
                                   const std::string& strStdoutFile, const std::string& strStderrFile)
{
    const HANDLE hStdout = CreateInheritableFile(strStdoutFile);
    HANDLE hStderr = nullptr;
    try
    {
        hStderr = strStderrFile.empty() ? nullptr : CreateInheritableFile(strStderrFile);
        const PROCESS_INFORMATION pi =
            StartProgram(vecArgs, options, hStdout, hStderr ? hStderr : GetStdHandle(STD_ERROR_HANDLE));
        CloseHandle(hStdout);
        if (hStderr)
            CloseHandle(hStderr);
        return pi;
    }
    catch (...)
    {
        CloseHandle(hStdout);
        if (hStderr)
            CloseHandle(hStderr);
        throw;
    }
}

PROCESS_INFORMATION StartIntoStalledPipe(const std::vector<std::string>& vecArgs, const CRunOptions& options,
                                         HANDLE& hRead)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hWrite = nullptr;
    if (!CreatePipe(&hRead, &hWrite, &sa, 1))
        throw std::runtime_error("CreatePipe failed");
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    try
    {
        const PROCESS_INFORMATION pi = StartProgram(vecArgs, options, hWrite, GetStdHandle(STD_ERROR_HANDLE));
        CloseHandle(hWrite);
        return pi;
    }
    catch (...)
    {
        CloseHandle(hWrite);
        CloseHandle(hRead);
        throw;
    }
}

bool EndsWith(const std::string& strText, const std::string& strEnd)
{
    return strText.size() >= strEnd.size() &&
           strText.compare(strText.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}
} // namespace

CRunningProgram::CRunningProgram(const std::vector<std::string>& vecArgs, const std::string& strStdoutFile,
                                 const CRunOptions& options, const std::string& strStderrFile)
    : m_process(StartIntoFiles(vecArgs, options, strStdoutFile, strStderrFile))
{
}

CStalledOutputRun::CStalledOutputRun(const std::vector<std::string>& vecArgs, const CRunOptions& options)
    : m_process(StartIntoStalledPipe(vecArgs, options, m_hRead))
{
}

CStalledOutputRun::~CStalledOutputRun()
{
    // Killed first: a program waiting in a write would never end by itself.
    m_process.Kill();
    CloseHandle(m_hRead);
}

// What the pipe holds now, read whole; 0 when nothing waits.
DWORD CStalledOutputRun::ReadAvailable()
{
    DWORD cbAvailable = 0;
    if (!PeekNamedPipe(m_hRead, nullptr, 0, nullptr, &cbAvailable, nullptr) || cbAvailable == 0)
        return 0;
    std::string strChunk(cbAvailable, '\0');
    DWORD cbRead = 0;
    if (!ReadFile(m_hRead, &strChunk[0], cbAvailable, &cbRead, nullptr))
        return 0;
    m_strOutput.append(strChunk, 0, cbRead);
    return cbRead;
}

bool CStalledOutputRun::ReadUntil(const std::string& strEnd, DWORD dwMilliseconds)
{
    const ULONGLONG ullDeadline = GetTickCount64() + dwMilliseconds;
    while (!EndsWith(m_strOutput, strEnd))
    {
        // Byte by byte near the end, so that nothing past it is read.
        DWORD cbAvailable = 0;
        PeekNamedPipe(m_hRead, nullptr, 0, nullptr, &cbAvailable, nullptr);
        if (cbAvailable > 0)
        {
            char ch = 0;
            DWORD cbRead = 0;
            if (ReadFile(m_hRead, &ch, 1, &cbRead, nullptr) && cbRead == 1)
                m_strOutput.push_back(ch);
            continue;
        }
        if (m_process.WaitForExit(0) || GetTickCount64() > ullDeadline)
            return false;
        Sleep(10);
    }
    return true;
}

bool CStalledOutputRun::WaitForBlockedWrite(DWORD dwMilliseconds) const
{
    const ULONGLONG ullDeadline = GetTickCount64() + dwMilliseconds;
    for (;;)
    {
        DWORD cbAvailable = 0;
        if (PeekNamedPipe(m_hRead, nullptr, 0, nullptr, &cbAvailable, nullptr) && cbAvailable > 0)
            return true;
        if (m_process.WaitForExit(0) || GetTickCount64() > ullDeadline)
            return false;
        Sleep(10);
    }
}

bool CStalledOutputRun::ReadToEnd(DWORD dwMilliseconds)
{
    const ULONGLONG ullDeadline = GetTickCount64() + dwMilliseconds;
    for (;;)
    {
        if (ReadAvailable() > 0)
            continue;
        if (m_process.WaitForExit(0))
        {
            ReadAvailable();
            return true;
        }
        if (GetTickCount64() > ullDeadline)
            return false;
        Sleep(10);
    }
}

std::string WindowsPathOf(const std::string& strUnixPath)
{
    std::string strPath = "Z:" + strUnixPath;
    for (char& ch : strPath)
        if (ch == '/')
            ch = '\\';
    return strPath;
}

std::string Crlf(const std::string& strText)
{
    std::string strOut;
    for (char ch : strText)
    {
        if (ch == '\n')
            strOut.push_back('\r');
        strOut.push_back(ch);
    }
    return strOut;
}
} // namespace harness
