// Two hundred runs in a row against the stand-in, as a fleet's logon scripts
// would make them: nothing leaks from one run into the next.

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

constexpr int g_cRuns = 200;

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

TEST(Soak, TwoHundredRunsLeaveOneProfileAndTheLastRunsLog)
{
    harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);
    const std::string strJournal = harness::StartStandInJournal("quillmere-soak-journal.txt");
    const std::string strForced =
        standin::ForcePerService(standin::szForceConfigureMsgService, "MSEMS");

    const std::vector<std::string> vecRoad = {"-s", "mail.example.com", "-m", "Doe, Jane", "-p", "Soak"};
    std::vector<std::string> vecRecreate = vecRoad;
    vecRecreate.insert(vecRecreate.end(), {"-a", "Y"});

    for (int nRun = 0; nRun < g_cRuns; ++nRun)
    {
        SCOPED_TRACE("run " + std::to_string(nRun));
        DeleteFileA(strJournal.c_str());
        const int nKind = nRun % 3;
        if (nKind == 2)
            harness::SetStandInStatus(strForced, MAPI_E_CALL_FAILED);

        const harness::CRunResult result = harness::RunQuillmere(nKind == 0 ? vecRoad : vecRecreate);

        std::vector<std::string> vecLogged = {"timestamp", "MAPI Init\t", "MAPI Admin Profiles"};
        DWORD dwExpectedExit = 1;
        if (nKind == 0 && nRun > 0)
        {
            dwExpectedExit = 0; // made by an earlier run and left alone
        }
        else
        {
            for (EStep step : {stepCreateProfile, stepLogon, stepAdminServices, stepExchange, stepAddressBook,
                               stepServiceTable, stepQueryRows, stepConfigureExchange})
                vecLogged.push_back(StepLabel(step));
        }
        if (nKind == 2)
            dwExpectedExit = 2;
        EXPECT_EQ(dwExpectedExit, result.m_dwExitCode);
        EXPECT_EQ("DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[] buffers=0",
                  LastLine(harness::ReadWholeFile(strJournal)));
        EXPECT_EQ(std::vector<std::string>{"Soak"}, harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
        EXPECT_EQ(Sorted(vecLogged), Sorted(harness::ListRegValues(HKEY_CURRENT_USER, "Software\\Quillmere\\Logging")));

        harness::DeleteRegValue(HKEY_CURRENT_USER, standin::szControlKey, strForced.c_str());
        if (HasFailure())
            break;
    }
    DeleteFileA(strJournal.c_str());
    harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szControlKey);
}
} // namespace
