// A run that hangs inside MAPI and is killed, as Intune or Configuration
// Manager kill one that overruns: the log its output was redirected to must
// already hold every line printed before the hang, and the next run must not
// take what it left for a profile. Wine's C runtime writes
// each line out by itself; Windows' holds a redirected output back, which
// only the program's own flushing overcomes.

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

bool EndsWith(const std::string& strText, const std::string& strEnd)
{
    return strText.size() >= strEnd.size() &&
           strText.compare(strText.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}

class KilledRun : public testing::Test
{
protected:
    void TearDown() override
    {
        // A hang left asked for would hang every later run.
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szControlKey);
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);
        DeleteFileA(m_strLog.c_str());
        DeleteFileA(m_strJournal.c_str());
    }

    const std::string m_strLog = harness::TempPath("quillmere-killed-run.log");
    std::string m_strJournal;
};

TEST_F(KilledRun, TheLogKeepsEveryLineAndTheNextRunReplacesWhatWasLeft)
{
    CEcho echo;
    echo.m_strServer = "mail.example.com";
    echo.m_strMailbox = "Doe, Jane";
    echo.m_strProfile = "Mail - Jane Doe";
    const std::vector<std::string> vecArgs = {"-s", echo.m_strServer, "-m", echo.m_strMailbox,
                                              "-p", echo.m_strProfile};
    const struct
    {
        std::string m_strBlocked; // the stand-in operation that hangs
        std::string m_strSteps;   // the step lines printed before it
        bool m_bLeftUnfinished;   // a profile made before the hang
    } rows[] = {
        {standin::szForceMAPIInitialize, "", false},
        {standin::szForceMAPILogonEx, StepLines({stepInit, stepAdminProfiles, stepCreateProfile}), true},
        {standin::ForcePerService(standin::szForceConfigureMsgService, "MSEMS"),
         StepLines({stepInit, stepAdminProfiles, stepCreateProfile, stepLogon, stepAdminServices, stepExchange,
                    stepAddressBook, stepServiceTable, stepQueryRows}),
         true},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_strBlocked);
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);
        harness::DeleteRegTree(HKEY_CURRENT_USER, "Software\\Quillmere");
        m_strJournal = harness::StartStandInJournal("quillmere-killed-run-journal.txt");
        harness::SetStandInText(standin::szBlockValue, row.m_strBlocked);
        {
            harness::CRunningProgram run(vecArgs, m_strLog);
            // Bounded: a 32-bit run through qemu takes seconds to get there.
            const std::string strBlocking = row.m_strBlocked + " -> blocks until killed\n";
            bool bBlocked = false;
            for (int nWait = 0; nWait < 1200 && !bBlocked && !run.WaitForExit(100); ++nWait)
                bBlocked = EndsWith(harness::ReadWholeFile(m_strJournal), strBlocking);
            ASSERT_TRUE(bBlocked) << harness::ReadWholeFile(m_strJournal);
            ASSERT_TRUE(run.Kill());
        }
        EXPECT_EQ(harness::Crlf(CreationStart(echo) + row.m_strSteps), harness::ReadWholeFile(m_strLog));

        // Run again, as the next logon would, MAPI working now: a profile the
        // killed run left half made is replaced, never taken for done.
        harness::SetStandInText(standin::szBlockValue, "");
        const harness::CRunResult again = harness::RunQuillmere(vecArgs);
        const std::string strReplaced = row.m_bLeftUnfinished ? std::string(szLeftUnfinished) + szDeleted : "";
        EXPECT_EQ(harness::Crlf(CreationRun(echo, StepLines({stepInit, stepAdminProfiles}) + strReplaced +
                                                      StepLines({stepCreateProfile, stepLogon, stepAdminServices,
                                                                 stepExchange, stepAddressBook, stepServiceTable,
                                                                 stepQueryRows, stepConfigureExchange}))),
                  again.m_strStdout);
        EXPECT_EQ(1u, again.m_dwExitCode);
        EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, "Software\\Quillmere\\Unfinished"));
    }
}
} // namespace
