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

// The full path of a program that stands beside the running test executable.
std::string LocateBesideSelf(const char* pszFileName);

// Quotes one argument so that the C runtime's parser gives it back unchanged.
std::string QuoteArgument(const std::string& strArg);
std::string BuildCommandLine(const std::string& strProgram, const std::vector<std::string>& vecArgs);

// Standard output is in text mode: every "\n" the program prints arrives as CR LF.
std::string Crlf(const std::string& strText);
} // namespace harness
