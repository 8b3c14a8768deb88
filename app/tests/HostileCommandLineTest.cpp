// Command lines no administrator means to type, but a script may produce:
// the program neither crashes nor prints anything but what its rules say.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/tests/ExpectedOutput.h"
#include "testbed/harness/Harness.h"
#include "testbed/harness/RegistryProbe.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace
{
using namespace expected;

std::string HighBytes()
{
    std::string str;
    for (int ch = 0x80; ch <= 0xFF; ++ch)
        str += static_cast<char>(ch);
    return str;
}

const std::string g_strHigh = HighBytes();
// MAPI takes profile names of up to 64 characters.
const std::string g_strHighProfile = "P" + g_strHigh.substr(0, 63);
const std::string g_strLong(32000, 'L');

std::vector<std::string> ThousandArguments()
{
    std::vector<std::string> vecArgs = {"-m"};
    for (int i = 1; i < 1000; ++i)
        vecArgs.push_back("w" + std::to_string(i));
    return vecArgs;
}

struct HostileCase
{
    const char* m_pszName;
    std::vector<std::string> m_vecArgs;
    std::function<std::string()> m_expected;
    DWORD m_dwExit;
    std::string m_strStderr;
};

void PrintTo(const HostileCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

CEcho With(const std::function<void(CEcho&)>& adjust)
{
    CEcho echo;
    adjust(echo);
    return echo;
}

std::string NoProfile(const CEcho& echo)
{
    return Banner() + Echo(echo) + MissingNameNotice() + Closing();
}

// The stand-in, like MAPI, refuses such a name when asked to create it.
std::string RefusedName(const std::string& strProfile)
{
    return CreationRun(With([&](CEcho& e) { e.m_strProfile = strProfile; }),
                       StepLines(g_vecFirstSteps) + StepLine(stepCreateProfile, EOutcome::Failed));
}

class HostileTest : public testing::TestWithParam<HostileCase>
{
};

TEST_P(HostileTest, OutputFollowsTheRules)
{
    harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szControlKey);
    harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);

    const harness::CRunResult result = harness::RunQuillmere(GetParam().m_vecArgs);

    EXPECT_EQ(harness::Crlf(GetParam().m_expected()), result.m_strStdout);
    EXPECT_EQ(harness::Crlf(GetParam().m_strStderr), result.m_strStderr);
    EXPECT_EQ(GetParam().m_dwExit, result.m_dwExitCode);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileTest, testing::Values(
    HostileCase{"ArgumentOf32000Characters", {"-s", g_strLong},
                [] { return NoProfile(With([](CEcho& e) { e.m_strServer = g_strLong; })); }, 0, ""},
    HostileCase{"ThousandArguments", ThousandArguments(),
                [] { return NoProfile(With([](CEcho& e) { e.m_strMailbox = "w1"; })); }, 0, ""},
    HostileCase{"EmptyArgumentsEverywhere",
                {"", "-s", "", "-m", "", "-p", "", "-a", "", "-d", "", "-c", "", "-b", "", "", "-h", "", "-n", "",
                 "-t", "", "-f", "", "-r", "", ""},
                [] {
                    return NoProfile(With([](CEcho& e) { e.m_strSuppressFirstRun = "true"; }));
                },
                0, ""},
    HostileCase{"QuotesAndBackslashes",
                {"-s", "\"mail\\\\\"", "-m", "\\\"Doe, \"Jane\"\\", "-t", "\"B\"", "-f", "\\"},
                [] {
                    return NoProfile(With([](CEcho& e) {
                        e.m_strServer = "\"mail\\\\\"";
                        e.m_strMailbox = "\\\"Doe, \"Jane\"\\";
                    }));
                },
                0, ""},
    HostileCase{"HighBytesInEveryTextSwitch",
                {"-s", g_strHigh, "-m", g_strHigh, "-p", g_strHighProfile, "-b", g_strHigh, g_strHigh, "-h", g_strHigh,
                 "-n", g_strHigh, "-t", g_strHigh, "-f", g_strHigh},
                [] {
                    const CEcho echo = With([](CEcho& e) {
                        e.m_strServer = e.m_strMailbox = e.m_strPstDisplay = e.m_strPstFileName = g_strHigh;
                        e.m_strHttpProxy = e.m_strPrincipal = g_strHigh;
                        e.m_strProfile = g_strHighProfile;
                    });
                    return CreationRun(echo, StepLines({stepInit, stepAdminProfiles, stepCreateProfile, stepLogon,
                                                        stepAdminServices, stepExchange, stepAddressBook,
                                                        stepPersonalFolders, stepServiceTable, stepQueryRows,
                                                        stepConfigureExchange, stepConfigurePst}));
                },
                1, ""},
    HostileCase{"ProfileNameOf300Characters", {"-p", std::string(300, 'P')},
                [] { return RefusedName(std::string(300, 'P')); }, 2, StatusLine(stepCreateProfile, szInvalidParameter)},
    HostileCase{"ProfileNameWithBackslash", {"-p", "Mail\\Jane"}, [] { return RefusedName("Mail\\Jane"); }, 2,
                StatusLine(stepCreateProfile, szInvalidParameter)}),
    [](const testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.m_pszName); });
} // namespace
