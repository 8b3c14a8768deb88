// Quillmere.exe started by the harness, its whole standard output compared.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tests/ExpectedOutput.h"
#include "testbed/harness/Harness.h"

namespace
{
using expected::CEcho;

void ExpectRun(const std::vector<std::string>& vecArgs, const std::string& strExpected, DWORD dwExpectedExit)
{
    const harness::CRunResult result = harness::RunQuillmere(vecArgs);

    EXPECT_EQ(harness::Crlf(strExpected), result.m_strStdout);
    EXPECT_EQ("", result.m_strStderr);
    EXPECT_EQ(dwExpectedExit, result.m_dwExitCode);
}

TEST(Console, NoArgumentsPrintsBannerAndNoticeOnly)
{
    ExpectRun({}, expected::Banner() + expected::MissingNameNotice() + expected::Closing(), 0);
}

struct NoProfileCase
{
    const char* m_pszName;
    std::vector<std::string> m_vecArgs;
    CEcho m_echo;
};

void PrintTo(const NoProfileCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

// Runs that name no usable profile: the echo shows what was taken, then the notice.
class EchoTest : public testing::TestWithParam<NoProfileCase>
{
};

TEST_P(EchoTest, EchoesTheSettingsThenTheNotice)
{
    const NoProfileCase& c = GetParam();
    ExpectRun(c.m_vecArgs,
              expected::Banner() + expected::Echo(c.m_echo) + expected::MissingNameNotice() + expected::Closing(),
              0);
}

CEcho With(void (*fnEdit)(CEcho&))
{
    CEcho echo;
    fnEdit(echo);
    return echo;
}

INSTANTIATE_TEST_SUITE_P(Rows, EchoTest, testing::Values(
    NoProfileCase{"ServerAndMailboxOnly", {"-s", "mail.example.com", "-m", "Doe, Jane"},
                  With([](CEcho& e) { e.m_strServer = "mail.example.com"; e.m_strMailbox = "Doe, Jane"; })},
    NoProfileCase{"EmptyProfileArgument", {"-p", "", "-s", "x"}, With([](CEcho& e) { e.m_strServer = "x"; })},
    NoProfileCase{"PlaceholderProfileName", {"-p", "Test Profile ="},
                  With([](CEcho& e) { e.m_strProfile = "Test Profile ="; })},
    NoProfileCase{"FormatDirectivesPrintedAsTyped", {"-s", "%s%n%d", "-m", "100% %x", "-t", "%s"},
                  With([](CEcho& e) { e.m_strServer = "%s%n%d"; e.m_strMailbox = "100% %x"; })},
    NoProfileCase{"QuotesBlanksBackslashesAndHighBytes", {"-s", "a \"b\" c\\", "-m", "\\\\srv\\\"x", "-b", "", "\x80\xE9\xFF"},
                  With([](CEcho& e) { e.m_strServer = "a \"b\" c\\"; e.m_strMailbox = "\\\\srv\\\"x"; })},
    NoProfileCase{"PriorityD", {"-d", "D"}, With([](CEcho& e) { e.m_strPriority = "Profile will become default"; })},
    NoProfileCase{"PriorityP", {"-D", "P"}, With([](CEcho& e) { e.m_strPriority = "Will prompt for profile"; })},
    NoProfileCase{"PriorityLowerCase", {"-d", "d"}, With([](CEcho&) {})},
    NoProfileCase{"DeleteAndFirstRun", {"-a", "y", "-R"},
                  With([](CEcho& e) { e.m_strDelete = "true"; e.m_strSuppressFirstRun = "true"; })},
    NoProfileCase{"CacheModes", {"-c", "2"}, With([](CEcho& e) { e.m_strCacheMode = "2"; })},
    NoProfileCase{"CacheModeOutOfRange", {"-c", "3"}, With([](CEcho&) {})},
    NoProfileCase{"PersonalFolders", {"-b", "Janes Mailbox", "c:\\myMailbox.pst"},
                  With([](CEcho& e) { e.m_strPstDisplay = "Janes Mailbox"; e.m_strPstFileName = "c:\\myMailbox.pst"; })},
    NoProfileCase{"WideTextsEchoedByteForByte", {"-h", "prox\xE9\x80\xFF", "-n", "msstd:\x81\x8D\x8F\x90\x9D"},
                  With([](CEcho& e) { e.m_strHttpProxy = "prox\xE9\x80\xFF"; e.m_strPrincipal = "msstd:\x81\x8D\x8F\x90\x9D"; })},
    NoProfileCase{"AuthenticationBasic", {"-t", "B"}, With([](CEcho& e) { e.m_strAuthentication = "Basic"; })},
    NoProfileCase{"AuthenticationNtlm", {"-T", "N"}, With([](CEcho& e) { e.m_strAuthentication = "NTLM"; })},
    NoProfileCase{"AuthenticationLowerB", {"-t", "b"}, With([](CEcho&) {})},
    NoProfileCase{"AuthenticationLowerN", {"-t", "n"}, With([](CEcho&) {})},
    NoProfileCase{"AuthenticationWord", {"-t", "NTLM"}, With([](CEcho&) {})},
    NoProfileCase{"TryFirstF", {"-f", "F"}, With([](CEcho& e) { e.m_strTryHttpFirst = "Fast"; })},
    NoProfileCase{"TryFirstLowerF", {"-f", "f"}, With([](CEcho& e) { e.m_strTryHttpFirst = "Fast"; })},
    NoProfileCase{"TryFirstS", {"-F", "S"}, With([](CEcho& e) { e.m_strTryHttpFirst = "Slow"; })},
    NoProfileCase{"TryFirstLowerS", {"-f", "s"}, With([](CEcho& e) { e.m_strTryHttpFirst = "Slow"; })},
    NoProfileCase{"TryFirstN", {"-f", "N"}, With([](CEcho& e) { e.m_strTryHttpFirst = "Neither"; })},
    NoProfileCase{"TryFirstLowerN", {"-f", "n"}, With([](CEcho& e) { e.m_strTryHttpFirst = "Neither"; })},
    NoProfileCase{"TryFirstWord", {"-f", "Fast"}, With([](CEcho&) {})},
    NoProfileCase{"TryFirstUnknown", {"-f", "x"}, With([](CEcho&) {})}),
    [](const testing::TestParamInfo<NoProfileCase>& info) { return std::string(info.param.m_pszName); });

// Wine takes the ANSI code page from the locale; every byte test above relies on 1252.
TEST(TestBed, AnsiCodePageIs1252)
{
    EXPECT_EQ(1252u, GetACP());
}

// The harness quotes the way CommandLineToArgvW and the C runtime split.
TEST(Harness, QuotesArgumentsTheWindowsWay)
{
    static const struct
    {
        const char* m_pszArg;
        const char* m_pszQuoted;
    } s_rows[] = {
        {"plain", "plain"},
        {"", "\"\""},
        {"a b", "\"a b\""},
        {"a\\b", "a\\b"},
        {"a\"b", "\"a\\\"b\""},
        {"a\\\"b", "\"a\\\\\\\"b\""},
        {"tail\\ ", "\"tail\\ \""},
        {"end \\\\", "\"end \\\\\\\\\""},
    };
    for (const auto& row : s_rows)
    {
        SCOPED_TRACE(row.m_pszArg);
        EXPECT_EQ(row.m_pszQuoted, harness::QuoteArgument(row.m_pszArg));
    }
}
} // namespace
