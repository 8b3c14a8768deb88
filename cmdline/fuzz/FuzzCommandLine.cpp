#include "cmdline/fuzz/FuzzCommandLine.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ProfileSettings.h"
#include "cmdline/CmdSwitches.h"
#include "cmdline/InterpretSwitches.h"
#include "registry/JoinArguments.h"

namespace
{
// Windows caps a command line at 32,767 characters; beyond that nothing real arrives.
constexpr size_t g_cMaxArguments = 4096;
constexpr size_t g_cbMaxInput = 32767;

void Require(bool bHolds, const char* pszRule)
{
    if (!bHolds)
    {
        fprintf(stderr, "broken rule: %s\n", pszRule);
        abort();
    }
}

std::vector<std::string> SplitArguments(const uint8_t* pData, size_t cbData)
{
    std::vector<std::string> vecArgs;
    std::string strCurrent;
    for (size_t i = 0; i < cbData && vecArgs.size() < g_cMaxArguments; ++i)
    {
        if (pData[i] == 0)
        {
            vecArgs.push_back(strCurrent);
            strCurrent.clear();
        }
        else
        {
            strCurrent += static_cast<char>(pData[i]);
        }
    }
    if (cbData > 0 && vecArgs.size() < g_cMaxArguments)
        vecArgs.push_back(strCurrent);
    return vecArgs;
}

void CheckWidened(const std::wstring& wstrWide, const std::string& strNarrow, const char* pszRule)
{
    Require(wstrWide.size() == strNarrow.size(), pszRule);
    for (size_t i = 0; i < strNarrow.size(); ++i)
        Require(wstrWide[i] == static_cast<wchar_t>(static_cast<unsigned char>(strNarrow[i])), pszRule);
}
} // namespace

void RunCommandLineCase(const uint8_t* pData, size_t cbData)
{
    if (cbData > g_cbMaxInput)
        return;
    const std::vector<std::string> vecArgs = SplitArguments(pData, cbData);
    std::vector<const char*> vecArgv = {"Quillmere.exe"};
    size_t cchArguments = 0;
    for (const std::string& strArg : vecArgs)
    {
        vecArgv.push_back(strArg.c_str());
        cchArguments += strArg.size();
    }
    const int argc = static_cast<int>(vecArgv.size());

    const std::string strJoined = JoinArguments(argc, vecArgv.data());
    Require(strJoined.size() == cchArguments + vecArgs.size(), "the join is each argument after one blank");

    CCmdSwitches switches;
    switches.Parse(argc, vecArgv.data());
    CProfileSettings settings;
    InterpretSwitches(switches, settings);

    Require(settings.m_nPriority >= 0 && settings.m_nPriority <= 2, "priority is 0, 1 or 2");
    Require(settings.m_nCacheMode >= 0 && settings.m_nCacheMode <= 2, "cache mode is 0, 1 or 2");
    Require(settings.m_strServerName == switches.LookupArgument("-s", "-S", 0), "server as typed");
    Require(settings.m_strProfileName == switches.LookupArgument("-p", "-P", 0), "profile as typed");
    Require(settings.m_bHasHttpProxy == (switches.IsPresent("-h") || switches.IsPresent("-H")), "proxy flag");
    if (settings.m_bHasHttpProxy)
        CheckWidened(settings.m_wstrHttpProxyServer, switches.LookupArgument("-h", "-H", 0), "proxy widened bytewise");
    else
        Require(settings.m_wstrHttpProxyServer.empty(), "no proxy, no proxy text");
    if (settings.m_bHasFqPrincipalName)
        CheckWidened(settings.m_wstrFqPrincipalName, switches.LookupArgument("-n", "-N", 0),
                     "principal widened bytewise");
    if (settings.m_bHasPst)
        Require(switches.CountArguments("-b") == 2 || switches.CountArguments("-B") == 2,
                "personal folders only with two arguments");
    // Asking past the arguments is an empty text, never a read beyond them.
    Require(switches.LookupArgument("-s", "-S", 1 << 20).empty(), "lookup past the end is empty");
}
