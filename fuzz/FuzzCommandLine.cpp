#include "fuzz/FuzzCommandLine.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <set>
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

// The rule of a switch, stated apart from the parser: a hyphen, then anything but a digit.
bool IsSwitchShaped(const std::string& strArg)
{
    return strArg.size() >= 2 && strArg[0] == '-' && !(strArg[1] >= '0' && strArg[1] <= '9');
}

const char* const g_rgpszSpellings[] = {"-s", "-S", "-m", "-M", "-p", "-P", "-a", "-A", "-d", "-D", "-c", "-C", "-b",
                                        "-B", "-h", "-H", "-n", "-N", "-t", "-T", "-f", "-F", "-r", "-R", "-e", "-E"};

// A reused table answers like a fresh one: nothing of an earlier Parse is left behind.
void CheckSameAnswers(const CCmdSwitches& fresh, const CCmdSwitches& reused)
{
    for (const char* pszSwitch : g_rgpszSpellings)
    {
        Require(fresh.IsPresent(pszSwitch) == reused.IsPresent(pszSwitch), "reparse: presence");
        Require(fresh.CountArguments(pszSwitch) == reused.CountArguments(pszSwitch), "reparse: count");
        for (int i = 0; i < 3; ++i)
            Require(fresh.LookupArgument(pszSwitch, "", i) == reused.LookupArgument(pszSwitch, "", i),
                    "reparse: arguments");
    }
}

// Whatever the code page, ASCII comes through as it was typed, and a wide
// text has no more characters than its argument has bytes.
void CheckWidened(const std::wstring& wstrWide, const std::string& strNarrow, const char* pszRule)
{
    Require(wstrWide.size() <= strNarrow.size(), pszRule);
    bool bAscii = true;
    for (char ch : strNarrow)
        bAscii = bAscii && static_cast<unsigned char>(ch) < 0x80;
    if (!bAscii)
        return;
    Require(wstrWide.size() == strNarrow.size(), pszRule);
    for (size_t i = 0; i < strNarrow.size(); ++i)
        Require(wstrWide[i] == static_cast<wchar_t>(strNarrow[i]), pszRule);
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

    std::set<std::string> setSwitches;
    for (const std::string& strArg : vecArgs)
        if (IsSwitchShaped(strArg))
            setSwitches.insert(strArg);

    CCmdSwitches switches;
    const int cEntries = switches.Parse(argc, vecArgv.data());
    Require(cEntries == static_cast<int>(setSwitches.size()), "one entry per distinct switch");

    static const char* const s_rgpszEarlier[] = {"Quillmere.exe", "-s", "earlier", "-B", "x", "y", "-r"};
    CCmdSwitches reused;
    reused.Parse(static_cast<int>(std::size(s_rgpszEarlier)), s_rgpszEarlier);
    reused.Parse(argc, vecArgv.data());
    CheckSameAnswers(switches, reused);

    CProfileSettings settings;
    InterpretSwitches(switches, settings);

    Require(settings.m_nPriority >= 0 && settings.m_nPriority <= 2, "priority is 0, 1 or 2");
    Require(settings.m_nCacheMode >= 0 && settings.m_nCacheMode <= 2, "cache mode is 0, 1 or 2");
    Require(settings.m_strServerName == switches.LookupArgument("-s", "-S", 0), "server as typed");
    Require(settings.m_strProfileName == switches.LookupArgument("-p", "-P", 0), "profile as typed");
    Require(settings.m_bHasHttpProxy == (switches.IsPresent("-h") || switches.IsPresent("-H")), "proxy flag");
    if (settings.m_bHasHttpProxy)
        CheckWidened(settings.m_wstrHttpProxyServer, switches.LookupArgument("-h", "-H", 0), "proxy widened from its code page");
    else
        Require(settings.m_wstrHttpProxyServer.empty(), "no proxy, no proxy text");
    if (settings.m_bHasFqPrincipalName)
        CheckWidened(settings.m_wstrFqPrincipalName, switches.LookupArgument("-n", "-N", 0),
                     "principal widened from its code page");
    if (settings.m_bHasPst)
        Require(switches.CountArguments("-b") == 2 || switches.CountArguments("-B") == 2,
                "personal folders only with two arguments");
    Require(settings.m_strSmtpAddress == (switches.IsPresent("-e") || switches.IsPresent("-E")
                                              ? switches.LookupArgument("-e", "-E", 0)
                                              : std::string()),
            "address as typed, and only with -e");
    // Asking past the arguments is an empty text, never a read beyond them.
    Require(switches.LookupArgument("-s", "-S", 1 << 20).empty(), "lookup past the end is empty");
}
