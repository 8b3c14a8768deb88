// A profile that an earlier run created and did not finish, as the list of
// unfinished profiles names it: never taken for done, never deleted unless
// the run was asked to replace it, and off the list once it is gone.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/tests/ExpectedOutput.h"
#include "profile/tests/CreationFixture.h"
#include "testbed/harness/Harness.h"
#include "testbed/harness/RegistryProbe.h"
#include "testbed/harness/StandInSteering.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace
{
using namespace creation;
using namespace expected;

TEST_F(CreationTest, AnEarlierRunsEntryNeverDeletesAProfileUnasked)
{
    const std::string strStart = StepLines(g_vecFirstSteps);
    const std::string strWhole = StepLines(g_vecCreationSteps);
    enum EProfile
    {
        profileGone,
        profileThere,
        profileInUse, // another client (Outlook) holds a session on it
    };
    const struct
    {
        const char* m_pszCase;
        EProfile m_profile;
        bool m_bReplace;
        std::string m_strSteps;
        bool m_bDone;
        DWORD m_dwExit;
        std::vector<std::string> m_vecAdminCalls;
        bool m_bStillListed;
    } rows[] = {
        // Finished by hand since, perhaps, and in use: left as it is.
        {"there, no -a", profileThere, false, strStart + szLeftUnfinished + szReplaceAdvice, false, 2,
         {g_strRefused, g_strLookedUp}, true},
        {"gone, no -a", profileGone, false, strStart + strWhole, true, 1, {g_strCreated}, false},
        {"there, -a Y", profileThere, true, strStart + szLeftUnfinished + szDeleted + strWhole, true, 1,
         {g_strDeleted, g_strLookedUp, g_strCreated}, false},
        // Only marked for deletion: it stays listed until it has really gone.
        {"in use, -a Y", profileInUse, true, strStart + szLeftUnfinished + szDeleted + szExists, false, 2,
         {g_strDeleted, g_strLookedUp, g_strRefused, "ProfAdmin#1.GetProfileTable(flags=0x00000000) -> 0x00000000 S_OK "
                                               "out=Table#4"},
         true},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        SetUp();
        if (row.m_profile != profileGone)
            MakeProfile();
        if (row.m_profile == profileInUse)
            harness::WriteRegValue(HKEY_CURRENT_USER, ProfileKey().c_str(), standin::szSessionsValue,
                                   {REG_MULTI_SZ, std::to_string(GetCurrentProcessId()) + std::string(2, '\0')});
        ListAsUnfinished();
        // Another profile's entry is no business of this run's.
        ListAsUnfinished("Other Profile");
        const std::vector<std::string> vecSectionsBefore =
            harness::ListRegSubkeys(HKEY_CURRENT_USER, ProfileKey().c_str());

        const harness::CRunResult result =
            harness::RunQuillmere(Concat(g_vecRoadArgs, {"-a", row.m_bReplace ? "Y" : "N"}));

        CEcho echo = RoadEcho();
        echo.m_strDelete = row.m_bReplace ? "true" : "false";
        EXPECT_EQ(harness::Crlf(CreationRun(echo, row.m_strSteps, row.m_bDone)), result.m_strStdout);
        EXPECT_EQ("", result.m_strStderr);
        EXPECT_EQ(row.m_dwExit, result.m_dwExitCode);
        EXPECT_EQ(ExpectedLog(row.m_strSteps), ReadLog());
        EXPECT_EQ(row.m_vecAdminCalls, ReadJournal({"ProfAdmin#1.DeleteProfile(", "ProfAdmin#1.CreateProfile(",
                                                    "ProfAdmin#1.GetProfileTable("}));
        EXPECT_EQ(row.m_bStillListed ? Sorted({g_szProfile, "Other Profile"}) : std::vector<std::string>{"Other Profile"},
                  Sorted(harness::ListRegValues(HKEY_CURRENT_USER, g_szUnfinishedKey)));
        EXPECT_EQ(std::vector<std::string>{g_szProfile},
                  harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
        if (row.m_profile == profileThere && !row.m_bReplace)
        {
            EXPECT_EQ(vecSectionsBefore, harness::ListRegSubkeys(HKEY_CURRENT_USER, ProfileKey().c_str()));
        }
        EXPECT_EQ("DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[] buffers=0", ReadReleases().back());
    }
}
} // namespace
