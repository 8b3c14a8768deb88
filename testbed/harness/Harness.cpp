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

    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(strProgram.c_str(), &strCommandLine[0], nullptr, nullptr, TRUE, 0, &strEnvironment[0],
                        options.m_strWorkingDirectory.empty() ? nullptr : options.m_strWorkingDirectory.c_str(),
                        &si, &pi))
        throw std::runtime_error("CreateProcessA failed for " + strProgram + " with error " +
                                 std::to_string(GetLastError()));
    return pi;
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

CRunningProgram::CRunningProgram(const std::vector<std::string>& vecArgs, const std::string& strStdoutFile,
                                 const CRunOptions& options)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    const HANDLE hFile = CreateFileA(strStdoutFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + strStdoutFile);
    try
    {
        m_pi = StartProgram(vecArgs, options, hFile, GetStdHandle(STD_ERROR_HANDLE));
    }
    catch (...)
    {
        CloseHandle(hFile);
        throw;
    }
    // The program holds the file now; the file is complete once it is gone.
    CloseHandle(hFile);
}

CRunningProgram::~CRunningProgram()
{
    Kill();
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
}

bool CRunningProgram::WaitForExit(DWORD dwMilliseconds) const
{
    return WaitForSingleObject(m_pi.hProcess, dwMilliseconds) == WAIT_OBJECT_0;
}

bool CRunningProgram::Kill()
{
    if (!WaitForExit(0))
        TerminateProcess(m_pi.hProcess, 1);
    return WaitForExit(30000);
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
