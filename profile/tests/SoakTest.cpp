// Runs in a row against the stand-in, as a fleet's logon scripts would make
// them: nothing leaks from one run into the next.

#include <gtest/gtest.h>

#include <windows.h>

#include <mapidefs.h>
#include <mapicode.h>

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

// The x86 program runs the same code, and under Wine several times slower
// (through an emulator where the kernel runs no 32-bit code): its soak is
// shorter, still fifteen rounds of every kind of run.
#ifdef _WIN64
constexpr int g_cRuns = 200;
#else
constexpr int g_cRuns = 60;
#endif

std::string LastLine(const std::string& strText)
{
    std::string strTrimmed = strText;
    while (!strTrimmed.empty() && (strTrimmed.back() == '\n' || strTrimmed.back() == '\r'))
        strTrimmed.pop_back();
    return strTrimmed.substr(strTrimmed.rfind('\n') + 1);
}

std::vector<std::string> Sorted(std::vector<std::string> vec)
{
    std::sort(vec.begin(), vec.end());
    return vec;
}

// Runs of four kinds in turn: one that creates the profile, one that finds it
// there, one that makes it anew, and one that fails and takes its profile
// with it, so that the next run creates it again.
TEST(Soak, RunsInARowLeaveAtMostOneProfileAndTheLastRunsLog)
{
    harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);
    const std::string strJournal = harness::StartStandInJournal("quillmere-soak-journal.txt");
    const std::string strForced =
        standin::ForcePerService(standin::szForceConfigureMsgService, "MSEMS");

    const std::vector<std::string> vecRoad = {"-s", "mail.example.com", "-m", "Doe, Jane", "-p", "Soak"};
    std::vector<std::string> vecRecreate = vecRoad;
    vecRecreate.insert(vecRecreate.end(), {"-a", "Y"});
    enum
    {
        kindCreates,
        kindFindsIt,
        kindRecreates,
        kindFails,
        NUM_KINDS
    };

    for (int nRun = 0; nRun < g_cRuns; ++nRun)
    {
        SCOPED_TRACE("run " + std::to_string(nRun));
        DeleteFileA(strJournal.c_str());
        const int nKind = nRun % NUM_KINDS;
        if (nKind == kindFails)
            harness::SetStandInStatus(strForced, MAPI_E_CALL_FAILED);

        const bool bRecreate = nKind == kindRecreates || nKind == kindFails;
        const harness::CRunResult result = harness::RunQuillmere(bRecreate ? vecRecreate : vecRoad);

        std::vector<std::string> vecLogged = {"timestamp", "MAPI Init\t", "MAPI Admin Profiles"};
        DWORD dwExpectedExit = 0;
        std::vector<std::string> vecProfiles = {"Soak"};
        if (nKind != kindFindsIt)
        {
            for (EStep step : g_vecCreationSteps)
                vecLogged.push_back(StepLabel(step));
            dwExpectedExit = 1;
        }
        if (nKind == kindFails)
        {
            vecLogged.push_back(szUndoLabel);
            dwExpectedExit = 2;
            vecProfiles.clear();
        }
        EXPECT_EQ(dwExpectedExit, result.m_dwExitCode);
        EXPECT_EQ("DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[] buffers=0",
                  LastLine(harness::ReadWholeFile(strJournal)));
        EXPECT_EQ(vecProfiles, harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
        EXPECT_EQ(Sorted(vecLogged), Sorted(harness::ListRegValues(HKEY_CURRENT_USER, "Software\\Quillmere\\Logging")));

        harness::DeleteRegValue(HKEY_CURRENT_USER, standin::szControlKey, strForced.c_str());
        if (HasFailure())
            break;
    }
    DeleteFileA(strJournal.c_str());
    harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szControlKey);
}
} // namespace
