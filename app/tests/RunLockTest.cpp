// Two runs for one user, as a logon script and a deployment tool start them
// at the same logon: the second waits for the first, then goes on as usual;
// a run still held at the end of the wait changes nothing; a killed run's
// lock goes to the next run; without a lock a run says so and goes on.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
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

constexpr char g_szProgramKey[] = "Software\\Quillmere";
constexpr char g_szLoggingKey[] = "Software\\Quillmere\\Logging";
constexpr char g_szUnfinishedKey[] = "Software\\Quillmere\\Unfinished";

// Runs of the x86 program take several times as long under Wine.
#ifdef _WIN64
constexpr int g_cTogether = 12;
#else
constexpr int g_cTogether = 4;
#endif

// The name the README gives the lock: the user's SID in the global namespace.
std::string NameRunLock()
{
    return "Global\\Quillmere-" + harness::ReadUserSid();
}

// Where each run's initialisation, uninitialisation and unload stand in the
// journal that both runs write to: two runs one after the other, never inside
// each other.
std::vector<std::string> ReadRunMarks(const std::string& strJournal)
{
    std::vector<std::string> vecMarks;
    for (const std::string& strLine : harness::SplitLines(harness::ReadWholeFile(strJournal)))
        for (const char* pszMark : {"MAPIInitialize(", "MAPIUninitialize(", "DllMain("})
            if (strLine.rfind(pszMark, 0) == 0)
                vecMarks.push_back(pszMark);
    return vecMarks;
}

const std::vector<std::string> g_vecTwoRuns = {"MAPIInitialize(", "MAPIUninitialize(", "DllMain(",
                                               "MAPIInitialize(", "MAPIUninitialize(", "DllMain("};

std::vector<std::string> Sorted(std::vector<std::string> vec)
{
    std::sort(vec.begin(), vec.end());
    return vec;
}

// The step log as the labels it holds, sorted.
std::vector<std::string> ReadLoggedLabels()
{
    return Sorted(harness::ListRegValues(HKEY_CURRENT_USER, g_szLoggingKey));
}

std::vector<std::string> LoggedLabels(const std::vector<EStep>& steps)
{
    std::vector<std::string> vecLabels = {"timestamp"};
    for (EStep step : steps)
        vecLabels.push_back(StepLabel(step));
    return Sorted(vecLabels);
}

// A kernel object of this test's, closed however the case ends; a lock is
// given back first. Left held, it would make every later run of the suite wait.
class CTestHandle
{
public:
    explicit CTestHandle(HANDLE hObject, bool bHeldMutex = false) : m_hObject(hObject), m_bHeldMutex(bHeldMutex) {}
    ~CTestHandle()
    {
        if (m_hObject && m_bHeldMutex)
            ReleaseMutex(m_hObject);
        if (m_hObject)
            CloseHandle(m_hObject);
    }
    CTestHandle(const CTestHandle&) = delete;
    CTestHandle& operator=(const CTestHandle&) = delete;
    HANDLE Get() const { return m_hObject; }

private:
    HANDLE m_hObject;
    bool m_bHeldMutex;
};

class RunLockTest : public testing::Test
{
protected:
    void SetUp() override
    {
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);
        harness::DeleteRegTree(HKEY_CURRENT_USER, g_szProgramKey);
        m_strJournal = harness::StartStandInJournal("quillmere-run-lock-journal.txt");
    }

    void TearDown() override
    {
        if (HasFailure())
            printf("Stand-in journal:\n%s", harness::ReadWholeFile(m_strJournal).c_str());
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szControlKey);
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);
        for (const std::string& strFile : {m_strJournal, m_strOut[0], m_strOut[1], m_strErr[0], m_strErr[1]})
            DeleteFileA(strFile.c_str());
    }

    // Waits until the run's output file holds exactly the text given.
    bool WaitForOutput(const std::string& strFile, const std::string& strText) const
    {
        for (int nWait = 0; nWait < 1200; ++nWait, Sleep(50))
            if (harness::ReadWholeFile(strFile) == harness::Crlf(strText))
                return true;
        return false;
    }

    std::string WholeRun() const
    {
        return CreationRun(m_echo, StepLines(RoadSteps()));
    }

    std::string m_strJournal;
    const std::string m_strOut[2] = {harness::TempPath("quillmere-run-a.log"), harness::TempPath("quillmere-run-b.log")};
    const std::string m_strErr[2] = {harness::TempPath("quillmere-run-a.err"), harness::TempPath("quillmere-run-b.err")};
    const CEcho m_echo = RoadEcho();
};

// Started together, many times: one run makes the profile, the other finds it
// (or, with -a Y, replaces it); never a lost or doubled profile, never one
// run's calls inside the other's, and the log is the later run's alone.
TEST_F(RunLockTest, TwoRunsStartedTogetherTakeTurns)
{
    for (bool bReplace : {false, true})
        for (int nRound = 0; nRound < g_cTogether; ++nRound)
        {
            SCOPED_TRACE(std::string(bReplace ? "-a Y" : "no -a") + ", round " + std::to_string(nRound));
            SetUp();
            const std::vector<std::string> vecArgs = RoadArgs(bReplace ? std::vector<std::string>{"-a", "Y"}
                                                                   : std::vector<std::string>{});
            DWORD rgdwExit[2] = {};
            {
                harness::CRunningProgram first(vecArgs, m_strOut[0], {}, m_strErr[0]);
                harness::CRunningProgram second(vecArgs, m_strOut[1], {}, m_strErr[1]);
                ASSERT_TRUE(first.WaitForExit(120000) && second.WaitForExit(120000));
                rgdwExit[0] = first.GetExitCode();
                rgdwExit[1] = second.GetExitCode();
            }
            const std::string rgstrOut[2] = {harness::ReadWholeFile(m_strOut[0]), harness::ReadWholeFile(m_strOut[1])};

            CEcho echo = m_echo;
            echo.m_strDelete = bReplace ? "true" : "false";
            const std::string strWhole = StepLines(g_vecCreationSteps);
            const std::string strStart = StepLines(g_vecFirstSteps);
            // Which run took the lock first shows in what it printed.
            const std::string strFirst =
                harness::Crlf(CreationRun(echo, strStart + (bReplace ? szNotDeleted : "") + strWhole));
            const std::string strLater = harness::Crlf(
                bReplace ? CreationRun(echo, strStart + szDeleted + strWhole) : CreationRun(echo, strStart + szExists, false));
            const int iLater = rgstrOut[0] == strFirst ? 1 : 0;
            EXPECT_EQ(strFirst, rgstrOut[1 - iLater]);
            EXPECT_EQ(strLater, rgstrOut[iLater]);
            EXPECT_EQ(1u, rgdwExit[1 - iLater]);
            EXPECT_EQ(bReplace ? 1u : 0u, rgdwExit[iLater]);
            EXPECT_EQ("", harness::ReadWholeFile(m_strErr[0]));
            EXPECT_EQ("", harness::ReadWholeFile(m_strErr[1]));

            EXPECT_EQ(g_vecTwoRuns, ReadRunMarks(m_strJournal));
            EXPECT_EQ(LoggedLabels(bReplace ? RoadSteps() : g_vecFirstSteps), ReadLoggedLabels());
            EXPECT_EQ(std::vector<std::string>{szRoadProfile},
                      harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
            const std::string strProfileKey = std::string(standin::szProfilesKey) + "\\" + szRoadProfile;
            // Its two services, once: 2 section names of 32 digits, each with its NUL, and the list's.
            const auto order =
                harness::ReadRegValue(HKEY_CURRENT_USER, strProfileKey.c_str(), standin::szServiceOrderValue);
            EXPECT_EQ(2u * 33 + 1, order ? order->m_strData.size() : 0);
            EXPECT_FALSE(harness::ReadRegValue(HKEY_CURRENT_USER, strProfileKey.c_str(),
                                               standin::szMarkedForDeletionValue));
            EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szUnfinishedKey));
            if (HasFailure())
                return;
        }
}

// Outlook's MAPI may take its time to unload at the very end of a run: the
// next run, started as the first prints its last line, starts MAPI only once
// the first run's is gone.
TEST_F(RunLockTest, TheNextRunWaitsUntilTheFirstHasUnloadedMapi)
{
    harness::SetStandInNumber(standin::szUnloadDelayValue, 3000);
    harness::CRunningProgram first(RoadArgs(), m_strOut[0], {}, m_strErr[0]);
    ASSERT_TRUE(WaitForOutput(m_strOut[0], WholeRun()));
    harness::CRunningProgram second(RoadArgs(), m_strOut[1], {}, m_strErr[1]);
    ASSERT_TRUE(first.WaitForExit(60000) && second.WaitForExit(60000));

    EXPECT_EQ(g_vecTwoRuns, ReadRunMarks(m_strJournal));
    EXPECT_EQ(1u, first.GetExitCode());
    EXPECT_EQ(harness::Crlf(CreationRun(m_echo, StepLines(g_vecFirstSteps) + szExists, false)),
              harness::ReadWholeFile(m_strOut[1]));
    EXPECT_EQ(0u, second.GetExitCode());
}

// A run held up (its redirected output stalled) at any point after it took
// the lock: a second run started then waits, touching nothing, not even its
// own record, and goes on once the first has ended.
TEST_F(RunLockTest, ASecondRunWaitsForARunHeldAtAnyStep)
{
    const struct
    {
        const char* m_pszCase;
        std::string m_strHeldAfter; // what the first run printed when it is held
    } rows[] = {
        {"before MAPI", CreationStart(m_echo)},
        {"after creating the profile", CreationStart(m_echo) + StepLines({stepInit, stepAdminProfiles, stepCreateProfile})},
        {"after configuring it", CreationStart(m_echo) + StepLines(RoadSteps())},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        SetUp();
        harness::CStalledOutputRun first(RoadArgs());
        ASSERT_TRUE(first.ReadUntil(harness::Crlf(row.m_strHeldAfter), 60000))
            << harness::Printable(first.GetOutput());
        ASSERT_TRUE(first.WaitForBlockedWrite(60000));

        harness::CRunningProgram second(RoadArgs({"-d", "N"}), m_strOut[1], {}, m_strErr[1]);
        ASSERT_TRUE(WaitForOutput(m_strOut[1], Banner()));
        // Long enough for a run that does not wait to print its next line.
        EXPECT_FALSE(second.WaitForExit(1000));
        EXPECT_EQ(harness::Crlf(Banner()), harness::ReadWholeFile(m_strOut[1]));
        EXPECT_EQ(harness::ExpandSz(" -s mail.example.com -m Doe, Jane -p Mail - Jane Doe"),
                  harness::ReadRegValue(HKEY_CURRENT_USER, g_szProgramKey, "CmdLine"));

        ASSERT_TRUE(first.ReadToEnd(60000));
        EXPECT_EQ(harness::Crlf(WholeRun()), first.GetOutput());
        EXPECT_EQ(1u, first.GetExitCode());
        ASSERT_TRUE(second.WaitForExit(60000));
        EXPECT_EQ(harness::Crlf(CreationRun(m_echo, StepLines(g_vecFirstSteps) + szExists, false)),
                  harness::ReadWholeFile(m_strOut[1]));
        EXPECT_EQ(0u, second.GetExitCode());
        EXPECT_EQ(g_vecTwoRuns, ReadRunMarks(m_strJournal));
        EXPECT_EQ(LoggedLabels(g_vecFirstSteps), ReadLoggedLabels());
    }
}

// A run whose lock was never given back, held by this test to the end of the
// wait: the run says so after its banner and changes nothing, not even the
// record and log of the run it waited for. The program built with a short
// wait stands in for the two minutes of Quillmere.exe.
TEST_F(RunLockTest, ARunThatWaitsInVainChangesNothing)
{
    harness::WriteRegValue(HKEY_CURRENT_USER, g_szProgramKey, "CmdLine", harness::ExpandSz(" earlier"));
    harness::WriteRegValue(HKEY_CURRENT_USER, g_szLoggingKey, "timestamp", harness::ExpandSz("earlier\n"));
    harness::CRunResult result;
    {
        const CTestHandle lock(CreateMutexA(nullptr, TRUE, NameRunLock().c_str()), true);
        ASSERT_NE(nullptr, lock.Get());
        harness::CRunOptions options;
        options.m_strProgram = harness::LocateBesideSelf("quillmere_short_wait.exe");
        result = harness::RunQuillmere(RoadArgs({"-a", "Y"}), options);
    }

    EXPECT_EQ(harness::Crlf(Banner() + szOtherRunBusy + Closing()), result.m_strStdout);
    EXPECT_EQ("", result.m_strStderr);
    EXPECT_EQ(2u, result.m_dwExitCode);
    EXPECT_EQ(harness::ExpandSz(" earlier"), harness::ReadRegValue(HKEY_CURRENT_USER, g_szProgramKey, "CmdLine"));
    EXPECT_EQ(std::vector<std::string>{"timestamp"}, harness::ListRegValues(HKEY_CURRENT_USER, g_szLoggingKey));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_strJournal.c_str()));
}

// A run killed while it held the lock: the run waiting for it takes it over
// and goes on, and finds the profile the killed run left unfinished.
TEST_F(RunLockTest, AKilledRunsLockGoesToTheRunWaitingForIt)
{
    harness::SetStandInText(standin::szBlockValue, standin::szForceMAPILogonEx);
    harness::CRunningProgram first(RoadArgs(), m_strOut[0], {}, m_strErr[0]);
    ASSERT_TRUE(harness::WaitUntilBlocked(m_strJournal, standin::szForceMAPILogonEx, first));
    harness::SetStandInText(standin::szBlockValue, "");

    harness::CRunningProgram second(RoadArgs(), m_strOut[1], {}, m_strErr[1]);
    ASSERT_TRUE(WaitForOutput(m_strOut[1], Banner()));
    EXPECT_FALSE(second.WaitForExit(1000));
    ASSERT_TRUE(first.Kill());

    ASSERT_TRUE(second.WaitForExit(60000));
    EXPECT_EQ(harness::Crlf(CreationRun(m_echo, StepLines(g_vecFirstSteps) + szLeftUnfinished +
                                                    szReplaceAdvice,
                                        false)),
              harness::ReadWholeFile(m_strOut[1]));
    EXPECT_EQ(2u, second.GetExitCode());
    EXPECT_EQ("", harness::ReadWholeFile(m_strErr[1]));
    EXPECT_EQ(LoggedLabels(g_vecFirstSteps), ReadLoggedLabels());
    EXPECT_EQ(std::vector<std::string>{szRoadProfile}, harness::ListRegValues(HKEY_CURRENT_USER, g_szUnfinishedKey));
}

// Something of another kind under the lock's name: no lock can be made. The
// run says so in one line and goes on as it would with the lock.
TEST_F(RunLockTest, WithoutALockTheRunSaysSoAndGoesOn)
{
    harness::CRunResult result;
    {
        const CTestHandle squatter(CreateEventA(nullptr, TRUE, FALSE, NameRunLock().c_str()));
        ASSERT_NE(nullptr, squatter.Get());
        result = harness::RunQuillmere(RoadArgs());
    }

    const std::string strWhole = WholeRun();
    EXPECT_EQ(harness::Crlf(Banner() +
                            "Could not make sure that no other run of Quillmere for this user is running; going on.\n" +
                            strWhole.substr(Banner().size())),
              result.m_strStdout);
    EXPECT_EQ(1u, result.m_dwExitCode);
}
} // namespace
