#include "cmdline/InterpretSwitches.h"

#include <new>

#include "cmdline/AnsiText.h"

namespace
{
bool IsEitherPresent(const CCmdSwitches& switches, const char* pszLower, const char* pszUpper)
{
    return switches.IsPresent(pszLower) || switches.IsPresent(pszUpper);
}

bool HasTwoArguments(const CCmdSwitches& switches, const char* pszSwitch)
{
    return switches.IsPresent(pszSwitch) && switches.CountArguments(pszSwitch) == 2;
}
} // namespace

std::string ReadCacheModeText(const CCmdSwitches& switches)
{
    std::string strText = "0";
    try
    {
        strText = switches.LookupArgument("-c", "-C", 0);
    }
    catch (const std::bad_alloc&)
    {
        return "0";
    }
    return strText;
}

// By value: interpretation works on a copy of its own, so whatever it does
// can never reach the driver's table.
// cppcheck-suppress passedByValue
void InterpretSwitches(CCmdSwitches switches, CProfileSettings& settings) // NOLINT(performance-unnecessary-value-param)
{
    settings.m_strServerName = switches.LookupArgument("-s", "-S", 0);
    settings.m_strProfileName = switches.LookupArgument("-p", "-P", 0);

    const std::string strDelete = switches.LookupArgument("-a", "-A", 0);
    settings.m_bDeleteProfile = strDelete == "Y" || strDelete == "y";

    const std::string strPriority = switches.LookupArgument("-d", "-D", 0);
    settings.m_nPriority = strPriority == "D" ? 0 : strPriority == "P" ? 1 : 2;

    const std::string strCacheMode = ReadCacheModeText(switches);
    settings.m_nCacheMode = strCacheMode == "1" ? 1 : strCacheMode == "2" ? 2 : 0;

    settings.m_bHasHttpProxy = IsEitherPresent(switches, "-h", "-H");
    if (settings.m_bHasHttpProxy)
        settings.m_wstrHttpProxyServer = WidenAnsiText(switches.LookupArgument("-h", "-H", 0));

    settings.m_bHasFqPrincipalName = IsEitherPresent(switches, "-n", "-N");
    if (settings.m_bHasFqPrincipalName)
        settings.m_wstrFqPrincipalName = WidenAnsiText(switches.LookupArgument("-n", "-N", 0));

    if (IsEitherPresent(switches, "-t", "-T"))
        settings.m_strAuthentication = switches.LookupArgument("-t", "-T", 0);

    if (IsEitherPresent(switches, "-f", "-F"))
        settings.m_strTryHttpFirst = switches.LookupArgument("-f", "-F", 0);

    // The flag and the texts may come from different spellings: each index is
    // looked up lower case first.
    settings.m_bHasPst = HasTwoArguments(switches, "-b") || HasTwoArguments(switches, "-B");
    if (settings.m_bHasPst)
    {
        settings.m_strPstDisplay = switches.LookupArgument("-b", "-B", 0);
        settings.m_strPstFileName = switches.LookupArgument("-b", "-B", 1);
    }

    if (IsEitherPresent(switches, "-m", "-M"))
        settings.m_strMailboxName = switches.LookupArgument("-m", "-M", 0);

    settings.m_bSuppressFirstRun = IsEitherPresent(switches, "-r", "-R");

    // An empty address is no address, as an empty name is no name.
    if (IsEitherPresent(switches, "-e", "-E"))
        settings.m_strSmtpAddress = switches.LookupArgument("-e", "-E", 0);
}
