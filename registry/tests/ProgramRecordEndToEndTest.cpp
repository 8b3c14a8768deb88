// What a whole run of Quillmere.exe leaves under Software\Quillmere.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/ProductInfo.h"
#include "registry/RegistryPaths.h"
#include "testbed/harness/Harness.h"
#include "testbed/harness/RegistryProbe.h"

namespace
{
using harness::CRegValue;
using harness::ExpandSz;
using harness::ReadRegValue;

struct RecordCase
{
    const char* m_pszName;
    std::vector<std::string> m_vecArgs;
    std::string m_strCmdLine;
};

void PrintTo(const RecordCase& c, std::ostream* os)
{
    *os << c.m_pszName;
}

class ProgramRecordTest : public testing::TestWithParam<RecordCase>
{
};

TEST_P(ProgramRecordTest, RecordsTheRunAndClearsTheLastLog)
{
    harness::DeleteRegTree(HKEY_CURRENT_USER, g_szProgramKey);
    harness::DeleteRegTree(HKEY_LOCAL_MACHINE, g_szProgramKey);
    harness::WriteRegValue(HKEY_CURRENT_USER, g_szLoggingKey, "timestamp", ExpandSz("Mon Jan 05 08:00:00 2026\n"));
    harness::WriteRegValue(HKEY_CURRENT_USER, g_szLoggingKey, "MAPI Init\t", ExpandSz("Successful"));
    // A subkey, which nothing of ours makes, must not keep the old log alive.
    const std::string strLeftover = std::string(g_szLoggingKey) + "\\Leftover\\Deeper";
    harness::WriteRegValue(HKEY_CURRENT_USER, strLeftover.c_str(), "MAPI Logon\t", ExpandSz("Failed"));

    const harness::CRunResult result = harness::RunQuillmere(GetParam().m_vecArgs);

    EXPECT_EQ(0u, result.m_dwExitCode);
    EXPECT_EQ(CRegValue({REG_EXPAND_SZ, std::string("5.0\0", 4)}),
              ReadRegValue(HKEY_CURRENT_USER, g_szProgramKey, "Version"));
    EXPECT_EQ(ExpandSz(GetParam().m_strCmdLine), ReadRegValue(HKEY_CURRENT_USER, g_szProgramKey, "CmdLine"));
    std::vector<std::string> vecNames = harness::ListRegValues(HKEY_CURRENT_USER, g_szProgramKey);
    std::sort(vecNames.begin(), vecNames.end());
    EXPECT_EQ((std::vector<std::string>{"CmdLine", "Version"}), vecNames);
    EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szLoggingKey));
    EXPECT_EQ(ExpandSz(QUILLMERE_SUPPORT_ADDRESS), ReadRegValue(HKEY_LOCAL_MACHINE, g_szProgramKey, "Support"));
#ifndef _WIN64
    // Seen from 64-bit Windows, a 32-bit program's HKLM\Software is WOW6432Node.
    EXPECT_EQ(ExpandSz(QUILLMERE_SUPPORT_ADDRESS),
              ReadRegValue(HKEY_LOCAL_MACHINE, "Software\\WOW6432Node\\Quillmere", "Support", KEY_WOW64_64KEY));
#endif
}

const std::string g_strLong(30000, 'x');

INSTANTIATE_TEST_SUITE_P(Rows, ProgramRecordTest, testing::Values(
    RecordCase{"NoArguments", {}, ""},
    RecordCase{"FourArguments", {"-a", "Y", "-d", "N"}, " -a Y -d N"},
    RecordCase{"ArgumentWithBlanks", {"-m", "Doe, Jane", "-s", "x"}, " -m Doe, Jane -s x"},
    RecordCase{"QuotesAndEmptyArguments", {"-s", "", "a\"b", "c\\"}, " -s  a\"b c\\"},
    RecordCase{"ThirtyThousandCharacters", {"-s", g_strLong}, " -s " + g_strLong}),
    [](const testing::TestParamInfo<RecordCase>& info) { return std::string(info.param.m_pszName); });
} // namespace

namespace
{
// The previous run's log is a registry link, or holds one, put there by
// anything that can write to the user's registry: the run deletes the link
// as a link, and never the key it points to.
TEST(ProgramRecordLinks, ALinkInTheLastLogGoesAndWhatItPointsToStays)
{
    const std::string strTarget = "Software\\Quillmere Test Bed\\Link Target";
    const std::string strTargetChild = strTarget + "\\Child";
    const struct
    {
        const char* m_pszCase;
        std::string m_strLink;
    } rows[] = {
        {"the log is a link", g_szLoggingKey},
        {"the log holds a link", std::string(g_szLoggingKey) + "\\Inner"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        harness::DeleteRegLink(row.m_strLink.c_str());
        harness::DeleteRegTree(HKEY_CURRENT_USER, g_szProgramKey);
        harness::DeleteRegTree(HKEY_CURRENT_USER, strTarget.c_str());
        harness::WriteRegValue(HKEY_CURRENT_USER, strTarget.c_str(), "Kept", ExpandSz("target"));
        harness::WriteRegValue(HKEY_CURRENT_USER, strTargetChild.c_str(), "Kept", ExpandSz("child"));
        if (row.m_strLink != g_szLoggingKey)
            harness::WriteRegValue(HKEY_CURRENT_USER, g_szLoggingKey, "timestamp", ExpandSz("earlier\n"));
        ASSERT_TRUE(harness::CreateRegLink(row.m_strLink.c_str(), strTarget.c_str()));
        // Through the link, the target's value.
        ASSERT_EQ(ExpandSz("target"), ReadRegValue(HKEY_CURRENT_USER, row.m_strLink.c_str(), "Kept"));

        const harness::CRunResult result = harness::RunQuillmere({});

        EXPECT_EQ(0u, result.m_dwExitCode);
        EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szLoggingKey));
        EXPECT_EQ(ExpandSz("target"), ReadRegValue(HKEY_CURRENT_USER, strTarget.c_str(), "Kept"));
        EXPECT_EQ(ExpandSz("child"), ReadRegValue(HKEY_CURRENT_USER, strTargetChild.c_str(), "Kept"));
        harness::DeleteRegLink(row.m_strLink.c_str());
        harness::DeleteRegTree(HKEY_CURRENT_USER, "Software\\Quillmere Test Bed\\Link Target");
    }
}
} // namespace
