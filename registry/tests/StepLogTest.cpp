// The step log against the real registry of the test prefix.

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "registry/RegistryPaths.h"
#include "registry/StepLog.h"
#include "testbed/harness/RegistryProbe.h"

namespace
{
using harness::ExpandSz;
using harness::ReadRegValue;

class StepLogTest : public testing::Test
{
protected:
    void SetUp() override { harness::DeleteRegTree(HKEY_CURRENT_USER, g_szProgramKey); }
    void TearDown() override { harness::DeleteRegTree(HKEY_CURRENT_USER, g_szProgramKey); }
};

TEST_F(StepLogTest, PrintsRecordsAndAnswersByTheStatusSign)
{
    static const struct
    {
        const char* m_pszLabel;
        HRESULT m_hrResult;
        const char* m_pszConsole;
        const char* m_pszStored;
        bool m_bGoOn;
    } s_rows[] = {
        {"MAPI Init\t", S_OK, "MAPI Init\t\t\t= Successful\n", "Successful", true},
        {"MAPI Logon\t", static_cast<HRESULT>(0x80040111), "MAPI Logon\t\t\t= Failed\nAction Failed\n", "Failed",
         false},
        {"MAPI Create Profile", static_cast<HRESULT>(0x80070005), "MAPI Create Profile\t\t= Failed\nAction Failed\n",
         "Failed", false},
        {"Configure MSEMS\t", 0x00040380, "Configure MSEMS\t\t\t= Failed\n", "Failed", true},
        {"Personal Folders", 1, "Personal Folders\t\t= Failed\n", "Failed", true},
        {"100%s of %d", S_OK, "100%s of %d\t\t= Successful\n", "Successful", true},
    };
    for (const auto& row : s_rows)
    {
        SCOPED_TRACE(row.m_pszConsole);
        testing::internal::CaptureStdout();
        const bool bGoOn = LogStep(row.m_pszLabel, row.m_hrResult);
        fflush(stdout);
        EXPECT_EQ(row.m_pszConsole, testing::internal::GetCapturedStdout());
        EXPECT_EQ(row.m_bGoOn, bGoOn);
        EXPECT_EQ(ExpandSz(row.m_pszStored), ReadRegValue(HKEY_CURRENT_USER, g_szLoggingKey, row.m_pszLabel));
    }
}

TEST_F(StepLogTest, LabelsDifferingByATrailingTabAreTwoValues)
{
    testing::internal::CaptureStdout();
    LogStep("MAPI Init\t", S_OK);
    LogStep("MAPI Init", E_FAIL);
    LogStep("MAPI Init\t", S_OK);
    testing::internal::GetCapturedStdout();

    EXPECT_EQ(ExpandSz("Successful"), ReadRegValue(HKEY_CURRENT_USER, g_szLoggingKey, "MAPI Init\t"));
    EXPECT_EQ(ExpandSz("Failed"), ReadRegValue(HKEY_CURRENT_USER, g_szLoggingKey, "MAPI Init"));
    EXPECT_EQ(2u, harness::ListRegValues(HKEY_CURRENT_USER, g_szLoggingKey).size());
}

TEST_F(StepLogTest, TimestampIsNowInTheAsctimeLayout)
{
    const std::time_t before = std::time(nullptr);
    LogTimestamp();
    const std::time_t after = std::time(nullptr);

    const auto value = ReadRegValue(HKEY_CURRENT_USER, g_szLoggingKey, "timestamp");
    ASSERT_TRUE(value);
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), value->m_dwType);
    ASSERT_EQ(26u, value->m_strData.size());
    EXPECT_EQ('\0', value->m_strData.back());

    const std::string strStamp = value->m_strData.substr(0, 25);
    std::vector<std::string> vecAround;
    for (std::time_t t = before - 1; t <= after + 1; ++t)
    {
        std::tm localTime = {};
        localtime_s(&localTime, &t);
        vecAround.push_back(FormatTimestamp(localTime));
    }
    EXPECT_NE(vecAround.end(), std::find(vecAround.begin(), vecAround.end(), strStamp)) << strStamp;
}

TEST(FormatTimestamp, PadsTheDayWithAZero)
{
    static const struct
    {
        int m_nYear, m_nMonth, m_nDay, m_nHour, m_nMinute, m_nSecond, m_nWeekday;
        const char* m_pszStamp;
    } s_rows[] = {
        {2026, 12, 8, 9, 5, 3, 2, "Tue Dec 08 09:05:03 2026\n"},
        {2027, 1, 1, 0, 0, 0, 5, "Fri Jan 01 00:00:00 2027\n"},
        {2026, 5, 31, 23, 59, 59, 0, "Sun May 31 23:59:59 2026\n"},
        {2026, 9, 19, 12, 30, 7, 6, "Sat Sep 19 12:30:07 2026\n"},
    };
    for (const auto& row : s_rows)
    {
        std::tm t = {};
        t.tm_year = row.m_nYear - 1900;
        t.tm_mon = row.m_nMonth - 1;
        t.tm_mday = row.m_nDay;
        t.tm_hour = row.m_nHour;
        t.tm_min = row.m_nMinute;
        t.tm_sec = row.m_nSecond;
        t.tm_wday = row.m_nWeekday;
        EXPECT_EQ(row.m_pszStamp, FormatTimestamp(t));
    }
}
} // namespace
