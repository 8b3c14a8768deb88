#include "cmdline/InterpretSwitches.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace
{
std::string ShowWide(const std::wstring& wstr)
{
    std::string str;
    for (wchar_t wch : wstr)
    {
        char szUnit[12];
        snprintf(szUnit, sizeof(szUnit), wch < 0x80 ? "%c" : "<U+%04X>", static_cast<unsigned>(wch));
        str += szUnit;
    }
    return str;
}
} // namespace

bool operator==(const CProfileSettings& a, const CProfileSettings& b)
{
    return a.m_strProfileName == b.m_strProfileName && a.m_strServerName == b.m_strServerName &&
           a.m_nPriority == b.m_nPriority && a.m_bDeleteProfile == b.m_bDeleteProfile &&
           a.m_bHasHttpProxy == b.m_bHasHttpProxy && a.m_wstrHttpProxyServer == b.m_wstrHttpProxyServer &&
           a.m_nCacheMode == b.m_nCacheMode && a.m_bHasPst == b.m_bHasPst &&
           a.m_strPstDisplay == b.m_strPstDisplay && a.m_strPstFileName == b.m_strPstFileName &&
           a.m_strMailboxName == b.m_strMailboxName && a.m_bSuppressFirstRun == b.m_bSuppressFirstRun &&
           a.m_bHasFqPrincipalName == b.m_bHasFqPrincipalName &&
           a.m_wstrFqPrincipalName == b.m_wstrFqPrincipalName &&
           a.m_strAuthentication == b.m_strAuthentication && a.m_strTryHttpFirst == b.m_strTryHttpFirst &&
           a.m_strSmtpAddress == b.m_strSmtpAddress;
}

void PrintTo(const CProfileSettings& s, std::ostream* os)
{
    *os << "{profile '" << s.m_strProfileName << "', server '" << s.m_strServerName << "', priority "
        << s.m_nPriority << ", delete " << s.m_bDeleteProfile << ", proxy " << s.m_bHasHttpProxy << " '"
        << ShowWide(s.m_wstrHttpProxyServer) << "', cache " << s.m_nCacheMode << ", pst " << s.m_bHasPst
        << " '" << s.m_strPstDisplay << "' '" << s.m_strPstFileName << "', mailbox '" << s.m_strMailboxName
        << "', first-run " << s.m_bSuppressFirstRun << ", principal " << s.m_bHasFqPrincipalName << " '"
        << ShowWide(s.m_wstrFqPrincipalName) << "', auth '" << s.m_strAuthentication << "', try-first '"
        << s.m_strTryHttpFirst << "', smtp '" << s.m_strSmtpAddress << "'}";
}

namespace
{
CProfileSettings Interpret(const std::vector<std::string>& vecArgs)
{
    std::vector<const char*> vecArgv = {"Quillmere.exe"};
    for (const std::string& str : vecArgs)
        vecArgv.push_back(str.c_str());
    CCmdSwitches switches;
    switches.Parse(static_cast<int>(vecArgv.size()), vecArgv.data());
    CProfileSettings settings;
    InterpretSwitches(switches, settings);
    return settings;
}

struct InterpretCase
{
    std::vector<std::string> m_vecArgs;
    // Changes from a record that interpretation of an empty line leaves.
    std::function<void(CProfileSettings&)> m_fnExpected;
};

void PrintTo(const InterpretCase& c, std::ostream* os)
{
    for (const std::string& str : c.m_vecArgs)
        *os << '[' << str << ']';
}

class InterpretTest : public testing::TestWithParam<InterpretCase>
{
};

TEST_P(InterpretTest, FillsTheRecord)
{
    CProfileSettings expected;
    GetParam().m_fnExpected(expected);

    EXPECT_EQ(expected, Interpret(GetParam().m_vecArgs));
}

INSTANTIATE_TEST_SUITE_P(Rows, InterpretTest, testing::Values(
    InterpretCase{{"-S", "srv"}, [](CProfileSettings& s) { s.m_strServerName = "srv"; }},
    InterpretCase{{"-s", "A", "-S", "B"}, [](CProfileSettings& s) { s.m_strServerName = "A"; }},
    InterpretCase{{"-P", "x", "-p"}, [](CProfileSettings& s) { s.m_strProfileName = "x"; }},
    InterpretCase{{"-a", "y"}, [](CProfileSettings& s) { s.m_bDeleteProfile = true; }},
    InterpretCase{{"-A", "Y"}, [](CProfileSettings& s) { s.m_bDeleteProfile = true; }},
    InterpretCase{{"-a", "yes"}, [](CProfileSettings&) {}},
    InterpretCase{{"-a"}, [](CProfileSettings&) {}},
    InterpretCase{{"-a", "Y "}, [](CProfileSettings&) {}},
    InterpretCase{{"-D", "D"}, [](CProfileSettings& s) { s.m_nPriority = 0; }},
    InterpretCase{{"-d", "P"}, [](CProfileSettings& s) { s.m_nPriority = 1; }},
    InterpretCase{{"-d", "d"}, [](CProfileSettings& s) { s.m_nPriority = 2; }},
    InterpretCase{{"-d", "N"}, [](CProfileSettings& s) { s.m_nPriority = 2; }},
    InterpretCase{{"-s", "x"}, [](CProfileSettings& s) { s.m_strServerName = "x"; }},
    InterpretCase{{"-C", "1"}, [](CProfileSettings& s) { s.m_nCacheMode = 1; }},
    InterpretCase{{"-c", "2"}, [](CProfileSettings& s) { s.m_nCacheMode = 2; }},
    InterpretCase{{"-c", "3"}, [](CProfileSettings&) {}},
    InterpretCase{{"-c", "01"}, [](CProfileSettings&) {}},
    InterpretCase{{"-c"}, [](CProfileSettings&) {}},
    InterpretCase{{"-h"}, [](CProfileSettings& s) { s.m_bHasHttpProxy = true; }},
    InterpretCase{{"-H", "proxy"}, [](CProfileSettings& s) {
        s.m_bHasHttpProxy = true;
        s.m_wstrHttpProxyServer = L"proxy";
    }},
    InterpretCase{{"-n"}, [](CProfileSettings& s) { s.m_bHasFqPrincipalName = true; }},
    InterpretCase{{"-N", "msstd:\xE9"}, [](CProfileSettings& s) {
        s.m_bHasFqPrincipalName = true;
        s.m_wstrFqPrincipalName = L"msstd:\x00E9";
    }},
    InterpretCase{{"-m", "x"}, [](CProfileSettings& s) { s.m_strMailboxName = "x"; }},
    InterpretCase{{"-t"}, [](CProfileSettings&) {}},
    InterpretCase{{"-t", "x"}, [](CProfileSettings& s) { s.m_strAuthentication = "x"; }},
    InterpretCase{{"-F", "Fast"}, [](CProfileSettings& s) { s.m_strTryHttpFirst = "Fast"; }},
    InterpretCase{{"-b", "name"}, [](CProfileSettings&) {}},
    InterpretCase{{"-b", "name", "path"}, [](CProfileSettings& s) {
        s.m_bHasPst = true;
        s.m_strPstDisplay = "name";
        s.m_strPstFileName = "path";
    }},
    InterpretCase{{"-b", "name", "path", "extra"}, [](CProfileSettings&) {}},
    InterpretCase{{"-B", "name", "path"}, [](CProfileSettings& s) {
        s.m_bHasPst = true;
        s.m_strPstDisplay = "name";
        s.m_strPstFileName = "path";
    }},
    InterpretCase{{"-b", "x", "-B", "y", "z"}, [](CProfileSettings& s) {
        s.m_bHasPst = true;
        s.m_strPstDisplay = "x";
        s.m_strPstFileName = "z";
    }},
    InterpretCase{{"-r"}, [](CProfileSettings& s) { s.m_bSuppressFirstRun = true; }},
    InterpretCase{{"-R", "anything"}, [](CProfileSettings& s) { s.m_bSuppressFirstRun = true; }},
    InterpretCase{{"-m"}, [](CProfileSettings&) {}},
    InterpretCase{{"-e", "jane@example.com"}, [](CProfileSettings& s) { s.m_strSmtpAddress = "jane@example.com"; }},
    InterpretCase{{"-E", "J@x"}, [](CProfileSettings& s) { s.m_strSmtpAddress = "J@x"; }},
    InterpretCase{{"-E", "upper@x", "-e", "lower@x"}, [](CProfileSettings& s) { s.m_strSmtpAddress = "lower@x"; }},
    InterpretCase{{"-e"}, [](CProfileSettings&) {}},
    InterpretCase{{"-e", ""}, [](CProfileSettings&) {}},
    InterpretCase{{"-x", "unknown", "-s"}, [](CProfileSettings&) {}}));

TEST(InterpretSwitches, OneCommandLineSetsEveryField)
{
    CProfileSettings expected;
    expected.m_strProfileName = "Mail - Jane Doe";
    expected.m_strServerName = "mail.example.com";
    expected.m_nPriority = 1;
    expected.m_bDeleteProfile = true;
    expected.m_bHasHttpProxy = true;
    expected.m_wstrHttpProxyServer = L"webmail.example.com";
    expected.m_nCacheMode = 2;
    expected.m_bHasPst = true;
    expected.m_strPstDisplay = "Janes Mailbox";
    expected.m_strPstFileName = "c:\\myMailbox.pst";
    expected.m_strMailboxName = "Doe, Jane";
    expected.m_bSuppressFirstRun = true;
    expected.m_bHasFqPrincipalName = true;
    expected.m_wstrFqPrincipalName = L"msstd:webmail.example.com";
    expected.m_strAuthentication = "N";
    expected.m_strTryHttpFirst = "s";
    expected.m_strSmtpAddress = "jane@example.com";

    EXPECT_EQ(expected, Interpret({"-S", "mail.example.com", "-m", "Doe, Jane", "-P", "Mail - Jane Doe",
                                   "-A", "y", "-d", "P", "-c", "2", "-b", "Janes Mailbox", "c:\\myMailbox.pst",
                                   "-H", "webmail.example.com", "-n", "msstd:webmail.example.com", "-T", "N",
                                   "-f", "s", "-r", "-e", "jane@example.com"}));
}

// Fields that interpretation leaves alone keep what the record already held.
TEST(InterpretSwitches, AbsentTextSwitchesLeaveTheirFieldsAlone)
{
    CProfileSettings settings;
    settings.m_strAuthentication = "kept";
    settings.m_strMailboxName = "kept";
    settings.m_wstrHttpProxyServer = L"kept";
    settings.m_strPstDisplay = "kept";
    CCmdSwitches switches;
    const char* rgpszArgs[] = {"Quillmere.exe", "-s", "x"};
    switches.Parse(3, rgpszArgs);

    InterpretSwitches(switches, settings);

    EXPECT_EQ("kept", settings.m_strAuthentication);
    EXPECT_EQ("kept", settings.m_strMailboxName);
    EXPECT_EQ(L"kept", settings.m_wstrHttpProxyServer);
    EXPECT_EQ("kept", settings.m_strPstDisplay);
    EXPECT_FALSE(settings.m_bHasHttpProxy);
    EXPECT_FALSE(settings.m_bHasPst);
}

} // namespace
