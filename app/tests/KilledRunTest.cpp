// A run that is killed midway, as Intune or Configuration Manager kill one
// that overruns: the log its output was redirected to must already hold every
// line printed before the kill, and the next run must neither take what it
// left for a profile nor delete it unasked. Wine's C runtime writes each line
// out by itself; Windows' holds a redirected output back, which only the
// program's own flushing overcomes.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/tests/ExpectedOutput.h"
#include "testbed/harness/Harness.h"
#include "testbed/harness/RegistryProbe.h"
#include "testbed/harness/StandInSteering.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace
{
using namespace expected;

constexpr char g_szUnfinishedKey[] = "Software\\Quillmere\\Unfinished";

// What a killed run leaves: no profile, a complete one, or one listed as
// unfinished, which the next run leaves alone and reports, until it is run
// with -a Y.
enum class ELeft
{
    Nothing,
    Complete,
    Unfinished,
};

class KilledRun : public testing::Test
{
protected:
    void SetUp() override
    {
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);
        harness::DeleteRegTree(HKEY_CURRENT_USER, "Software\\Quillmere");
        m_strJournal = harness::StartStandInJournal("quillmere-killed-run-journal.txt");
    }

    void TearDown() override
    {
        // A hang left asked for would hang every later run.
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szControlKey);
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);
        DeleteFileA(m_strLog.c_str());
        DeleteFileA(m_strJournal.c_str());
    }

    // The runs after the kill, MAPI working again, as the next logons would
    // make them: what they print, and the record of unfinished profiles.
    void ExpectNextRuns(ELeft left)
    {
        harness::StartStandInJournal("quillmere-killed-run-journal.txt");
        const std::string strStart = StepLines(g_vecFirstSteps);
        const std::string strWhole = StepLines(g_vecCreationSteps);
        const harness::CRunResult next = harness::RunQuillmere(RoadArgs());
        switch (left)
        {
        case ELeft::Nothing:
            EXPECT_EQ(harness::Crlf(CreationRun(m_echo, strStart + strWhole)), next.m_strStdout);
            EXPECT_EQ(1u, next.m_dwExitCode);
            break;
        case ELeft::Complete:
            EXPECT_EQ(harness::Crlf(CreationRun(m_echo, strStart + szExists, false)), next.m_strStdout);
            EXPECT_EQ(0u, next.m_dwExitCode);
            break;
        case ELeft::Unfinished:
        {
            EXPECT_EQ(harness::Crlf(CreationRun(m_echo, strStart + szLeftUnfinished + szReplaceAdvice, false)),
                      next.m_strStdout);
            EXPECT_EQ(2u, next.m_dwExitCode);
            EXPECT_TRUE(harness::ReadRegValue(HKEY_CURRENT_USER, g_szUnfinishedKey, szRoadProfile));

            const harness::CRunResult replaced = harness::RunQuillmere(RoadArgs({"-a", "Y"}));
            CEcho echo = m_echo;
            echo.m_strDelete = "true";
            EXPECT_EQ(harness::Crlf(CreationRun(echo, strStart + szLeftUnfinished + szDeleted + strWhole)),
                      replaced.m_strStdout);
            EXPECT_EQ(1u, replaced.m_dwExitCode);
            break;
        }
        }
        EXPECT_EQ("", next.m_strStderr);
        EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szUnfinishedKey));
    }

    const std::string m_strLog = harness::TempPath("quillmere-killed-run.log");
    std::string m_strJournal;
    const CEcho m_echo = RoadEcho();
};

TEST_F(KilledRun, TheLogKeepsEveryLineAndTheNextRunsNeitherTakeNorDeleteWhatWasLeft)
{
    const struct
    {
        std::string m_strBlocked; // the stand-in operation that hangs
        std::vector<std::string> m_vecMore;
        std::string m_strSteps;   // the step lines printed before it
        ELeft m_left;
    } rows[] = {
        {standin::szForceMAPIInitialize, {}, "", ELeft::Nothing},
        {standin::szForceMAPILogonEx, {}, StepLines({stepInit, stepAdminProfiles, stepCreateProfile}),
         ELeft::Unfinished},
        {standin::ForcePerService(standin::szForceConfigureMsgService, "MSEMS"), {},
         StepLines({stepInit, stepAdminProfiles, stepCreateProfile, stepLogon, stepAdminServices, stepExchange,
                    stepAddressBook, stepServiceTable, stepQueryRows}),
         ELeft::Unfinished},
        // The profile is whole before it is made the default: nothing is
        // listed any more while that happens.
        {standin::szForceSetDefaultProfile, {"-d", "D"}, StepLines(RoadSteps()), ELeft::Complete},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_strBlocked);
        SetUp();
        harness::SetStandInText(standin::szBlockValue, row.m_strBlocked);
        {
            harness::CRunningProgram run(RoadArgs(row.m_vecMore), m_strLog);
            ASSERT_TRUE(harness::WaitUntilBlocked(m_strJournal, row.m_strBlocked, run))
                << harness::ReadWholeFile(m_strJournal);
            ASSERT_TRUE(run.Kill());
        }
        CEcho echo = m_echo;
        if (!row.m_vecMore.empty())
            echo.m_strPriority = "Profile will become default";
        EXPECT_EQ(harness::Crlf(CreationStart(echo) + row.m_strSteps), harness::ReadWholeFile(m_strLog));

        ExpectNextRuns(row.m_left);
    }
}

// A run whose redirected output stalls right after CreateProfile answered,
// before the step's line could go out, and is killed there: the profile it
// made is listed already, so the next run does not take it for one that an
// administrator set up.
TEST_F(KilledRun, ARunHeldUpRightAfterCreatingTheProfileHasListedIt)
{
    {
        harness::CStalledOutputRun run(RoadArgs());
        const std::string strBefore = CreationStart(m_echo) + StepLines(g_vecFirstSteps);
        ASSERT_TRUE(run.ReadUntil(harness::Crlf(strBefore), 60000)) << harness::Printable(run.GetOutput());
        // Waiting to write the line of "MAPI Create Profile".
        ASSERT_TRUE(run.WaitForBlockedWrite(60000));
        ASSERT_TRUE(run.Kill());
    }
    EXPECT_EQ(std::vector<std::string>{szRoadProfile}, harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
    EXPECT_EQ(std::vector<std::string>{szRoadProfile}, harness::ListRegValues(HKEY_CURRENT_USER, g_szUnfinishedKey));

    ExpectNextRuns(ELeft::Unfinished);
}
} // namespace
