// Whole runs of Quillmere.exe against the test bed's MAPI32 stand-in: what the
// program prints, its exit status, what it leaves in the registry, and every
// MAPI call it made as the stand-in's journal recorded it.

#include <gtest/gtest.h>

#include <windows.h>

#include <mapidefs.h>
#include <mapicode.h>
#include <mapitags.h>

#include <algorithm>
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
using harness::CRegValue;
using harness::ExpandSz;
using harness::ReadRegValue;
using namespace creation;
using namespace expected;

// The road of one run, compared whole: here, and against the second x64 layout.
class CreationRoadTest : public CreationTest
{
protected:
    void RunTheRoad();
};

// The road of one ordinary run: -s, -m, -p, -d D, -c 1, -r.
void CreationRoadTest::RunTheRoad()
{
    harness::WriteRegValue(HKEY_CURRENT_USER, g_szSetupKey, "First-Run", {REG_BINARY, std::string("\x01", 1)});
    harness::WriteRegValue(HKEY_CURRENT_USER, g_szSetupKey, "FirstRun", {REG_DWORD, std::string("\x01\0\0\0", 4)});

    const harness::CRunResult result =
        harness::RunQuillmere(Concat(g_vecRoadArgs, {"-d", "D", "-c", "1", "-r"}));

    expected::CEcho echo = RoadEcho();
    echo.m_strPriority = "Profile will become default";
    echo.m_strCacheMode = "1";
    echo.m_strSuppressFirstRun = "true";
    const std::string strSteps = StepLines(RoadSteps());
    EXPECT_EQ(harness::Crlf(CreationRun(echo, strSteps)), result.m_strStdout);
    EXPECT_EQ("", result.m_strStderr);
    EXPECT_EQ(1u, result.m_dwExitCode);

    EXPECT_EQ((std::vector<std::string>{
                  "MAPIInitialize(init=null) -> 0x00000000 S_OK",
                  "MAPIAdminProfiles(flags=0x00000000) -> 0x00000000 S_OK out=ProfAdmin#1",
                  "ProfAdmin#1.CreateProfile(profile=\"Mail - Jane Doe\", password=null, ui=0x0, flags=0x00000000) "
                  "-> 0x00000000 S_OK",
                  "MAPILogonEx(ui=0x0, profile=\"Mail - Jane Doe\", password=null, flags=0x00008002) -> 0x00000000 "
                  "S_OK out=Session#2",
                  "Session#2.AdminServices(flags=0x00000000) -> 0x00000000 S_OK out=ServiceAdmin#3",
                  "ServiceAdmin#3.CreateMsgService(service=\"MSEMS\", display=\"Microsoft Exchange Server\", "
                  "ui=0x0, flags=0x00000000) -> 0x00000000 S_OK created=1:MSEMS",
                  "ServiceAdmin#3.CreateMsgService(service=\"CONTAB\", display=\"Outlook Address Book\", ui=0x0, "
                  "flags=0x00000000) -> 0x00000000 S_OK created=2:CONTAB",
                  "ServiceAdmin#3.GetMsgServiceTable(flags=0x00000000) -> 0x00000000 S_OK out=Table#4",
                  "HrQueryAllRows(table=Table#4, columns=[0x3D09001E, 0x3D0C0102], restriction=null, sort=null, "
                  "max=0) -> 0x00000000 S_OK out=Rows#5 [1:MSEMS, 2:CONTAB]",
                  "ServiceAdmin#3.ConfigureMsgService(uid=1:MSEMS, ui=0x0, flags=0x00000000, props=[0x6608001E "
                  "\"mail.example.com\", 0x6607001E \"Doe, Jane\", 0x3A03000B false, 0x3D04000B true, 0x66010003 "
                  "0x00000180]) -> 0x00000000 S_OK",
                  // Only a whole profile may become the default.
                  "ProfAdmin#1.SetDefaultProfile(profile=\"Mail - Jane Doe\", flags=0x00000000) -> 0x00000000 S_OK",
                  "UlRelease(Table#4) -> 0",
                  "UlRelease(ServiceAdmin#3) -> 0",
                  "Session#2.Logoff(ui=0x0, flags=0x00000000, reserved=0x00000000) -> 0x00000000 S_OK",
                  "UlRelease(Session#2) -> 0",
                  "UlRelease(ProfAdmin#1) -> 0",
                  "FreeProws(Rows#5)",
                  "MAPIUninitialize() -> inits=1 uninits=1 alive=[] buffers=0",
                  "DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[] buffers=0",
              }),
              ReadJournal());

    EXPECT_EQ(ExpectedLog(strSteps), ReadLog());
    EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szUnfinishedKey));
    EXPECT_EQ(CRegValue({REG_EXPAND_SZ, std::string("0\0", 2)}),
              ReadRegValue(HKEY_CURRENT_USER, g_szOptionsKey, "PickLogonProfile"));
    EXPECT_EQ(CRegValue({REG_SZ, std::string(g_szProfile) + '\0'}),
              ReadRegValue(HKEY_CURRENT_USER, standin::szOutlookKey, standin::szDefaultProfileValue));
    EXPECT_TRUE(harness::ListRegValues(HKEY_CURRENT_USER, g_szSetupKey).empty());

    // The Exchange service's section as the stand-in stores it: one REG_BINARY
    // value per property, named by its tag, type first.
    const std::string strProfileKey = std::string(standin::szProfilesKey) + "\\" + g_szProfile;
    const auto order = ReadRegValue(HKEY_CURRENT_USER, strProfileKey.c_str(), standin::szServiceOrderValue);
    ASSERT_TRUE(order);
    ASSERT_EQ(static_cast<size_t>(2 * 33 + 1), order->m_strData.size());
    const std::string strSection = order->m_strData.substr(0, 32);
    std::string strUid;
    for (size_t i = 0; i < strSection.size(); i += 2)
        strUid += static_cast<char>(std::stoi(strSection.substr(i, 2), nullptr, 16));
    const std::string strSectionKey = strProfileKey + "\\" + strSection;
    const std::vector<std::pair<const char*, std::string>> vecStored = {
        {"00036601", std::string("\x80\x01\0\0", 4)},
        {"000b3a03", std::string("\0\0", 2)},
        {"000b3d04", std::string("\x01\0", 2)},
        {"001e3001", std::string("Microsoft Exchange\0", 19)},
        {"001e3d09", std::string("MSEMS\0", 6)},
        {"001e6607", std::string("Doe, Jane\0", 10)},
        {"001e6608", std::string("mail.example.com\0", 17)},
        {"01023d0c", strUid},
    };
    std::vector<std::string> vecNames = {"01023d15"};
    for (const auto& stored : vecStored)
    {
        vecNames.push_back(stored.first);
        EXPECT_EQ(CRegValue({REG_BINARY, stored.second}),
                  ReadRegValue(HKEY_CURRENT_USER, strSectionKey.c_str(), stored.first))
            << stored.first;
    }
    EXPECT_EQ(Sorted(vecNames), Sorted(harness::ListRegValues(HKEY_CURRENT_USER, strSectionKey.c_str())));

    // MAPI's own: the service names the section of its EMSMDB provider, one
    // of the profile's sections that is no service's.
    const auto emsmdbUid = ReadRegValue(HKEY_CURRENT_USER, strSectionKey.c_str(), "01023d15");
    ASSERT_TRUE(emsmdbUid);
    ASSERT_EQ(sizeof(MAPIUID), emsmdbUid->m_strData.size());
    std::string strEmsmdbSection;
    for (unsigned char ch : emsmdbUid->m_strData)
        strEmsmdbSection += "0123456789abcdef"[ch >> 4] + std::string(1, "0123456789abcdef"[ch & 0xF]);
    const std::vector<std::string> vecSections = harness::ListRegSubkeys(HKEY_CURRENT_USER, strProfileKey.c_str());
    EXPECT_NE(vecSections.end(), std::find(vecSections.begin(), vecSections.end(), strEmsmdbSection));
    EXPECT_EQ(std::string::npos, order->m_strData.find(strEmsmdbSection));
}

TEST_F(CreationRoadTest, CreatesTheDefaultProfileWithExchangeAndAddressBook)
{
    RunTheRoad();
}

#ifdef QUILLMERE_WINE_SHAPED_MAPI32
// A 64-bit MAPI32 shaped as Wine's, which copies the 32-bit table: three of
// the functions are there under their decorated names only.
TEST_F(CreationRoadTest, CreatesTheProfileWhereSomeFunctionsHaveDecoratedNamesOnly)
{
    const harness::CSystemMapi32Swap swap(harness::WindowsPathOf(QUILLMERE_WINE_SHAPED_MAPI32));
    ASSERT_TRUE(swap.IsInPlace());
    RunTheRoad();
}
#endif

// The proxy entries reach MAPI whole, after the cache entry, in wide text.
TEST_F(CreationTest, PassesTheWholeExchangeArrayWithProxy)
{
    const harness::CRunResult result = harness::RunQuillmere(
        {"-p", g_szProfile, "-m", "Doe, Jane", "-c", "2", "-h", "webmail.example.com", "-n",
         "msstd:webmail.example.com", "-t", "n", "-f", "s"});

    EXPECT_EQ(1u, result.m_dwExitCode);
    EXPECT_EQ((std::vector<std::string>{
                  "ServiceAdmin#3.ConfigureMsgService(uid=1:MSEMS, ui=0x0, flags=0x00000000, props=[0x6607001E "
                  "\"Doe, Jane\", 0x3A03000B false, 0x3D04000B true, 0x66010003 0x00000400, 0x66230003 0x00000027, "
                  "0x6622001F L\"webmail.example.com\", 0x6625001F L\"msstd:webmail.example.com\", 0x66270003 "
                  "0x00000002]) -> 0x00000000 S_OK",
              }),
              ReadJournal({"ServiceAdmin#3.ConfigureMsgService("}));
}

// An existing profile, with and without -a Y; with -a Y, a profile that is
// still there afterwards is a replacement that did not happen: a failure.
// MAPI_E_NO_ACCESS means "exists" only when the profile table lists it.
TEST_F(CreationTest, ExistingProfileIsLeftAloneUnlessReplaced)
{
    const std::string strFullRun = StepLines(g_vecCreationSteps);
    const std::string strStart = StepLines(g_vecFirstSteps);
    enum EBefore
    {
        beforeNone,
        beforeThere,
        beforeInUse, // another client (Outlook) holds a session on it
    };
    const struct
    {
        const char* m_pszCase;
        EBefore m_before;
        bool m_bDeleteFirst;
        bool m_bDeletionFails;
        std::string m_strSteps;
        bool m_bDone;
        DWORD m_dwExit;
        std::vector<std::string> m_vecAdminCalls;
        bool m_bMarked; // for deletion when its last session ends
    } rows[] = {
        {"exists, no -a", beforeThere, false, false, strStart + szExists, false, 0, {g_strRefused, g_strLookedUp}, false},
        {"-a Y, none there", beforeNone, true, false, strStart + szNotDeleted + strFullRun, true, 1,
         {"ProfAdmin#1.DeleteProfile(profile=\"Mail - Jane Doe\", flags=0x00000000) -> 0x8004010F MAPI_E_NOT_FOUND",
          g_strCreated},
         false},
        {"-a Y, deleted and made anew", beforeThere, true, false, strStart + szDeleted + strFullRun, true, 1,
         {g_strDeleted, g_strCreated}, false},
        {"-a Y, deletion fails", beforeThere, true, true, strStart + szNotDeleted + szExists, false, 2,
         {"ProfAdmin#1.DeleteProfile(profile=\"Mail - Jane Doe\", flags=0x00000000) -> 0x80004005 MAPI_E_CALL_FAILED",
          g_strRefused, g_strLookedUp},
         false},
        // MAPI answers the deletion of a profile in use with success and only marks it.
        {"-a Y, in use", beforeInUse, true, false, strStart + szDeleted + szExists, false, 2,
         {g_strDeleted, g_strRefused, g_strLookedUp}, true},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        SetUp();
        if (row.m_before != beforeNone)
            MakeProfile();
        // This test's own process stands for the client holding the profile.
        if (row.m_before == beforeInUse)
            harness::WriteRegValue(HKEY_CURRENT_USER, ProfileKey().c_str(), standin::szSessionsValue,
                                   {REG_MULTI_SZ, std::to_string(GetCurrentProcessId()) + std::string(2, '\0')});
        if (row.m_bDeletionFails)
            harness::SetStandInStatus(standin::szForceDeleteProfile, MAPI_E_CALL_FAILED);

        const harness::CRunResult result =
            harness::RunQuillmere(Concat(g_vecRoadArgs, {"-a", row.m_bDeleteFirst ? "Y" : "N"}));

        expected::CEcho echo = RoadEcho();
        echo.m_strDelete = row.m_bDeleteFirst ? "true" : "false";
        EXPECT_EQ(harness::Crlf(CreationRun(echo, row.m_strSteps, row.m_bDone)), result.m_strStdout);
        EXPECT_EQ("", result.m_strStderr);
        EXPECT_EQ(row.m_dwExit, result.m_dwExitCode);
        EXPECT_EQ(ExpectedLog(row.m_strSteps), ReadLog());
        EXPECT_EQ(row.m_vecAdminCalls, ReadJournal({"ProfAdmin#1.DeleteProfile(", "ProfAdmin#1.CreateProfile(",
                                                    "ProfAdmin#1.GetProfileTable("}));
        const std::vector<std::string> vecReleases = ReadReleases();
        ASSERT_FALSE(vecReleases.empty());
        EXPECT_EQ("DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[] buffers=0", vecReleases.back());
        if (!row.m_bDone)
        {
            EXPECT_EQ((std::vector<std::string>{"UlRelease(Table#2) -> 0", "FreeProws(Rows#3)",
                                                "UlRelease(ProfAdmin#1) -> 0",
                                                "MAPIUninitialize() -> inits=1 uninits=1 alive=[] buffers=0",
                                                "DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[] buffers=0"}),
                      vecReleases);
        }
        EXPECT_EQ(std::vector<std::string>{g_szProfile},
                  harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
        EXPECT_EQ(row.m_bMarked,
                  harness::ReadRegValue(HKEY_CURRENT_USER, ProfileKey().c_str(), standin::szMarkedForDeletionValue)
                      .has_value());
    }
}

// CreateProfile's MAPI_E_NO_ACCESS is also a refusal for want of rights: a
// profile the table does not list was refused, and the run fails; a table
// that cannot be read leaves MAPI's answer standing.
TEST_F(CreationTest, ARefusedCreationIsAFailureUnlessTheTableListsTheProfile)
{
    const struct
    {
        const char* m_pszCase;
        HRESULT m_hrTable;
        std::string m_strSteps;
        std::string m_strStderr;
        bool m_bDone;
        DWORD m_dwExit;
        std::vector<std::string> m_vecLookup;
    } rows[] = {
        {"no such profile", S_OK, StepLine(stepCreateProfile, EOutcome::Failed),
         StatusLine(stepCreateProfile, szNoAccess), true, 2,
         {"ProfAdmin#1.GetProfileTable(flags=0x00000000) -> 0x00000000 S_OK out=Table#2",
          "HrQueryAllRows(table=Table#2, columns=[0x3001001E], restriction=null, sort=null, max=0) -> 0x00000000 "
          "S_OK out=Rows#3 [\"Other Profile\"]"}},
        {"the table cannot be read", MAPI_E_CALL_FAILED, szExists, "", false, 0,
         {"ProfAdmin#1.GetProfileTable(flags=0x00000000) -> 0x80004005 MAPI_E_CALL_FAILED out=null"}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        SetUp();
        harness::RunQuillmere({"-s", "mail.example.com", "-m", "Doe, Jane", "-p", "Other Profile"});
        ASSERT_EQ(std::vector<std::string>{"Other Profile"},
                  harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
        harness::StartStandInJournal("quillmere-stand-in-journal.txt");
        harness::SetStandInStatus(standin::szForceCreateProfile, MAPI_E_NO_ACCESS);
        harness::SetStandInStatus(standin::szForceGetProfileTable, row.m_hrTable);

        const harness::CRunResult result = harness::RunQuillmere(g_vecRoadArgs);

        const std::string strSteps = StepLines(g_vecFirstSteps) + row.m_strSteps;
        EXPECT_EQ(harness::Crlf(CreationRun(RoadEcho(), strSteps, row.m_bDone)), result.m_strStdout);
        EXPECT_EQ(harness::Crlf(row.m_strStderr), result.m_strStderr);
        EXPECT_EQ(row.m_dwExit, result.m_dwExitCode);
        EXPECT_EQ(ExpectedLog(strSteps), ReadLog());
        EXPECT_EQ(row.m_vecLookup, ReadJournal({"ProfAdmin#1.GetProfileTable(", "HrQueryAllRows("}));
        EXPECT_EQ("DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[] buffers=0", ReadReleases().back());
        EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szUnfinishedKey));
        EXPECT_EQ(std::vector<std::string>{"Other Profile"},
                  harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
    }
}

// Personal folders: created without its dialog, which nobody could answer in
// a logon script, and configured path first wherever its row stands among
// the first three.
TEST_F(CreationTest, ConfiguresPersonalFoldersInTheOrderOfTheRows)
{
    const struct
    {
        const char* m_pszOrder;
        const char* m_pszRows;
        std::vector<EStep> m_vecConfigured;
        std::vector<std::string> m_vecConfigureCalls;
    } rows[] = {
        {standin::szRowOrderCreated, "[1:MSEMS, 2:CONTAB, 3:MSUPST MS]", {stepConfigureExchange, stepConfigurePst},
         {g_strConfigureExchange, g_strConfigurePst}},
        {standin::szRowOrderReversed, "[3:MSUPST MS, 2:CONTAB, 1:MSEMS]", {stepConfigurePst, stepConfigureExchange},
         {g_strConfigurePst, g_strConfigureExchange}},
        {"1,2,0", "[2:CONTAB, 3:MSUPST MS, 1:MSEMS]", {stepConfigurePst, stepConfigureExchange},
         {g_strConfigurePst, g_strConfigureExchange}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszOrder);
        SetUp();
        harness::SetStandInText(standin::szRowOrderValue, row.m_pszOrder);

        const harness::CRunResult result = harness::RunQuillmere(PstArgs());

        std::string strSteps = StepLines({stepInit, stepAdminProfiles, stepCreateProfile, stepLogon, stepAdminServices,
                                          stepExchange, stepAddressBook, stepPersonalFolders, stepServiceTable,
                                          stepQueryRows});
        for (EStep step : row.m_vecConfigured)
            strSteps += StepLine(step);
        EXPECT_EQ(harness::Crlf(CreationRun(PstEcho(), strSteps)), result.m_strStdout);
        EXPECT_EQ(1u, result.m_dwExitCode);
        EXPECT_EQ((std::vector<std::string>{
                      "ServiceAdmin#3.CreateMsgService(service=\"MSUPST MS\", display=\"MSUPST MS\", ui=0x0, "
                      "flags=0x00000000) -> 0x00000000 S_OK created=3:MSUPST MS"}),
                  ReadJournal({"ServiceAdmin#3.CreateMsgService(service=\"MSUPST MS\""}));
        EXPECT_EQ(std::vector<std::string>{"HrQueryAllRows(table=Table#4, columns=[0x3D09001E, 0x3D0C0102], "
                                           "restriction=null, sort=null, max=0) -> 0x00000000 S_OK out=Rows#5 " +
                                           std::string(row.m_pszRows)},
                  ReadJournal({"HrQueryAllRows("}));
        EXPECT_EQ(row.m_vecConfigureCalls, ReadJournal({"ServiceAdmin#3.ConfigureMsgService("}));
    }
}

// A service the walk did not configure fails the run as a service not found,
// once the walk is over: its row beyond the rows walked (the limit counts
// rows, whatever they hold), its name or UID unreadable (a table answers a
// column it cannot fill with PT_ERROR), or no row of it at all.
TEST_F(CreationTest, AServiceLeftUnconfiguredFailsTheRunAndIsUndone)
{
    const struct
    {
        const char* m_pszCase;
        bool m_bPst;
        const char* m_pszOrder;
        ULONG m_ulErrorColumn;
        std::vector<EStep> m_vecConfigured;
        EStep m_failing;
        std::vector<std::string> m_vecConfigureCalls;
    } rows[] = {
        {"no -b, Exchange third", false, "1,1,0", 0, {}, stepConfigureExchange, {}},
        {"-b, Exchange fourth", true, "1,1,2,0", 0, {stepConfigurePst}, stepConfigureExchange, {g_strConfigurePst}},
        {"-b, names unreadable", true, standin::szRowOrderCreated, PR_SERVICE_NAME_A, {}, stepConfigureExchange, {}},
        {"-b, UIDs unreadable", true, standin::szRowOrderCreated, PR_SERVICE_UID, {}, stepConfigureExchange, {}},
        {"-b, no personal folders row", true, "0,1", 0, {stepConfigureExchange}, stepConfigurePst,
         {g_strConfigureExchange}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        SetUp();
        harness::SetStandInText(standin::szRowOrderValue, row.m_pszOrder);
        if (row.m_ulErrorColumn)
            harness::SetStandInNumber(standin::szErrorColumnValue, row.m_ulErrorColumn);

        const harness::CRunResult result = harness::RunQuillmere(row.m_bPst ? PstArgs() : g_vecRoadArgs);

        std::string strSteps = row.m_bPst ? StepLines({stepInit, stepAdminProfiles, stepCreateProfile, stepLogon,
                                                       stepAdminServices, stepExchange, stepAddressBook,
                                                       stepPersonalFolders, stepServiceTable, stepQueryRows})
                                          : StepLines({stepInit, stepAdminProfiles, stepCreateProfile, stepLogon,
                                                       stepAdminServices, stepExchange, stepAddressBook,
                                                       stepServiceTable, stepQueryRows});
        for (EStep step : row.m_vecConfigured)
            strSteps += StepLine(step);
        strSteps += StepLine(row.m_failing, EOutcome::Failed) + UndoLine();
        EXPECT_EQ(harness::Crlf(CreationRun(row.m_bPst ? PstEcho() : RoadEcho(), strSteps)), result.m_strStdout);
        EXPECT_EQ(harness::Crlf(StatusLine(row.m_failing, szNotFound)), result.m_strStderr);
        EXPECT_EQ(2u, result.m_dwExitCode);
        EXPECT_EQ(ExpectedLog(strSteps), ReadLog());
        EXPECT_EQ(row.m_vecConfigureCalls, ReadJournal({"ServiceAdmin#3.ConfigureMsgService("}));
        EXPECT_EQ(ExpectedEnd(row.m_failing), ReadEnd());
        EXPECT_TRUE(harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey).empty());
    }
}

TEST_F(CreationTest, PrioritySetsTheLogonChoiceAndTheDefault)
{
    const CRegValue earlierChoice{REG_SZ, std::string("earlier\0", 8)};
    const CRegValue earlierDefault{REG_SZ, std::string("Earlier Profile\0", 16)};
    const struct
    {
        const char* m_pszCase;
        std::vector<std::string> m_vecArgs;
        CRegValue m_choice;
        CRegValue m_default;
        std::vector<std::string> m_vecDefaultCalls;
    } rows[] = {
        {"-d P", {"-d", "P"}, {REG_EXPAND_SZ, std::string("1\0", 2)}, {REG_NONE, ""},
         {"ProfAdmin#1.SetDefaultProfile(profile=null, flags=0x00000000) -> 0x00000000 S_OK"}},
        {"-d N", {"-d", "N"}, earlierChoice, earlierDefault, {}},
        {"no -d", {}, earlierChoice, earlierDefault, {}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        SetUp();
        harness::WriteRegValue(HKEY_CURRENT_USER, g_szOptionsKey, "PickLogonProfile", earlierChoice);
        harness::WriteRegValue(HKEY_CURRENT_USER, standin::szOutlookKey, standin::szDefaultProfileValue,
                               earlierDefault);

        const harness::CRunResult result = harness::RunQuillmere(Concat(g_vecRoadArgs, row.m_vecArgs));

        EXPECT_EQ(1u, result.m_dwExitCode);
        EXPECT_EQ(row.m_choice, ReadRegValue(HKEY_CURRENT_USER, g_szOptionsKey, "PickLogonProfile"));
        EXPECT_EQ(row.m_default.m_dwType == REG_NONE ? std::nullopt : std::optional<CRegValue>(row.m_default),
                  ReadRegValue(HKEY_CURRENT_USER, standin::szOutlookKey, standin::szDefaultProfileValue));
        EXPECT_EQ(row.m_vecDefaultCalls, ReadJournal({"ProfAdmin#1.SetDefaultProfile("}));
    }
}

// Every step forced to fail in turn, with and without -d D, on a run with
// personal folders: what was taken goes back in MAPI's order, the profile
// this run created goes too, the user's default and logon choice stay as they
// were, and the next run, the fault gone, creates the profile.
TEST_F(CreationTest, AFailedRunLeavesNothingBehindAndCanBeRunAgain)
{
    const CRegValue earlierChoice{REG_SZ, std::string("earlier\0", 8)};
    const CRegValue earlierDefault{REG_SZ, std::string("Earlier Profile\0", 16)};
    for (const char* pszPriority : {"N", "D"})
        for (int nFailing = stepInit; nFailing < NUM_STEPS; ++nFailing)
        {
            const EStep failing = static_cast<EStep>(nFailing);
            SCOPED_TRACE(std::string(StepLabel(failing)) + ", -d " + pszPriority);
            SetUp();
            harness::WriteRegValue(HKEY_CURRENT_USER, g_szOptionsKey, "PickLogonProfile", earlierChoice);
            harness::WriteRegValue(HKEY_CURRENT_USER, standin::szOutlookKey, standin::szDefaultProfileValue,
                                   earlierDefault);
            harness::SetStandInStatus(g_rgForcedOperations[failing], MAPI_E_CALL_FAILED);
            const std::vector<std::string> vecArgs = Concat(PstArgs(), {"-d", pszPriority});

            const harness::CRunResult result = harness::RunQuillmere(vecArgs);

            // Up to "MAPI Create Profile" nothing was created, and nothing is undone.
            const bool bUndone = failing > stepCreateProfile;
            expected::CEcho echo = PstEcho();
            if (std::string(pszPriority) == "D")
                echo.m_strPriority = "Profile will become default";
            std::string strSteps;
            for (int nStep = stepInit; nStep <= failing; ++nStep)
            {
                const EStep step = static_cast<EStep>(nStep);
                strSteps += StepLine(step, step == failing ? EOutcome::Failed : EOutcome::Successful);
            }
            if (bUndone)
                strSteps += UndoLine();
            EXPECT_EQ(harness::Crlf(CreationRun(echo, strSteps)), result.m_strStdout);
            EXPECT_EQ(harness::Crlf(StatusLine(failing, szCallFailed)), result.m_strStderr);
            EXPECT_EQ(2u, result.m_dwExitCode);
            EXPECT_EQ(ExpectedLog(strSteps), ReadLog());
            EXPECT_EQ(ExpectedEnd(failing), ReadEnd());
            EXPECT_TRUE(harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey).empty());
            EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szUnfinishedKey));
            EXPECT_EQ(earlierChoice, ReadRegValue(HKEY_CURRENT_USER, g_szOptionsKey, "PickLogonProfile"));
            EXPECT_EQ(earlierDefault,
                      ReadRegValue(HKEY_CURRENT_USER, standin::szOutlookKey, standin::szDefaultProfileValue));

            harness::SetStandInStatus(g_rgForcedOperations[failing], S_OK);
            EXPECT_EQ(1u, harness::RunQuillmere(vecArgs).m_dwExitCode);
            EXPECT_EQ(std::vector<std::string>{g_szProfile},
                      harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
        }
}

// The undo follows creation whatever "MAPI Create Profile" answered short of
// a failure, and reports its own failure like any step.
TEST_F(CreationTest, TheUndoIsAStepOfItsOwn)
{
    const struct
    {
        const char* m_pszCase;
        EOutcome m_create;
        EOutcome m_undo;
        std::vector<std::string> m_vecProfilesLeft;
    } rows[] = {
        {"creation warned", EOutcome::Warning, EOutcome::Successful, {}},
        {"undo fails", EOutcome::Successful, EOutcome::Failed, {g_szProfile}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        SetUp();
        harness::SetStandInStatus(standin::ForcePerService(standin::szForceConfigureMsgService, "MSEMS"),
                                  MAPI_E_CALL_FAILED);
        if (row.m_create == EOutcome::Warning)
            harness::SetStandInStatus(standin::szForceCreateProfile, MAPI_W_ERRORS_RETURNED);
        if (row.m_undo == EOutcome::Failed)
            harness::SetStandInStatus(standin::szForceDeleteProfile, MAPI_E_CALL_FAILED);

        const harness::CRunResult result = harness::RunQuillmere(Concat(g_vecRoadArgs, {"-d", "D"}));

        expected::CEcho echo = RoadEcho();
        echo.m_strPriority = "Profile will become default";
        const std::string strSteps =
            StepLines(g_vecFirstSteps) + StepLine(stepCreateProfile, row.m_create) +
            StepLines({stepLogon, stepAdminServices, stepExchange, stepAddressBook, stepServiceTable, stepQueryRows}) +
            StepLine(stepConfigureExchange, EOutcome::Failed) + UndoLine(row.m_undo);
        const std::string strStderr =
            (row.m_create == EOutcome::Warning ? StatusLine(stepCreateProfile, szErrorsReturned) : "") +
            StatusLine(stepConfigureExchange, szCallFailed) +
            (row.m_undo == EOutcome::Failed ? StatusLine(szUndoLabel, szCallFailed) : "");
        EXPECT_EQ(harness::Crlf(CreationRun(echo, strSteps)), result.m_strStdout);
        EXPECT_EQ(harness::Crlf(strStderr), result.m_strStderr);
        EXPECT_EQ(2u, result.m_dwExitCode);
        EXPECT_EQ(ExpectedLog(strSteps), ReadLog());
        EXPECT_EQ(row.m_vecProfilesLeft, harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
        // Never the default, whether or not it could be taken away again.
        EXPECT_EQ(std::nullopt, ReadRegValue(HKEY_CURRENT_USER, standin::szOutlookKey, standin::szDefaultProfileValue));
        EXPECT_EQ(std::nullopt, ReadRegValue(HKEY_CURRENT_USER, g_szOptionsKey, "PickLogonProfile"));
        if (row.m_undo == EOutcome::Successful)
        {
            EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szUnfinishedKey));
            continue;
        }

        // The profile left behind is listed as unfinished: the next run, the
        // faults gone, neither takes it for done nor deletes it unasked; the
        // one after, with -a Y, replaces it.
        harness::StartStandInJournal("quillmere-stand-in-journal.txt");
        const harness::CRunResult again = harness::RunQuillmere(Concat(g_vecRoadArgs, {"-d", "D"}));
        EXPECT_EQ(harness::Crlf(CreationRun(echo, StepLines(g_vecFirstSteps) + szLeftUnfinished + szReplaceAdvice,
                                            false)),
                  again.m_strStdout);
        EXPECT_EQ(2u, again.m_dwExitCode);
        EXPECT_TRUE(harness::ReadRegValue(HKEY_CURRENT_USER, g_szUnfinishedKey, g_szProfile));

        const harness::CRunResult replaced = harness::RunQuillmere(Concat(g_vecRoadArgs, {"-d", "D", "-a", "Y"}));
        echo.m_strDelete = "true";
        EXPECT_EQ(harness::Crlf(CreationRun(echo, StepLines(g_vecFirstSteps) + szLeftUnfinished + szDeleted +
                                                      StepLines(g_vecCreationSteps))),
                  replaced.m_strStdout);
        EXPECT_EQ(1u, replaced.m_dwExitCode);
        EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szUnfinishedKey));
        EXPECT_EQ(CRegValue({REG_SZ, std::string(g_szProfile) + '\0'}),
                  ReadRegValue(HKEY_CURRENT_USER, standin::szOutlookKey, standin::szDefaultProfileValue));
    }
}

// A warning is reported as "Failed" but does not stop creation.
TEST_F(CreationTest, AWarningIsReportedAndCreationGoesOn)
{
    constexpr HRESULT hrWarning = MAPI_W_ERRORS_RETURNED;
    for (EStep warned : {stepLogon, stepConfigureExchange})
    {
        SCOPED_TRACE(StepLabel(warned));
        SetUp();
        harness::SetStandInStatus(g_rgForcedOperations[warned], hrWarning);

        const harness::CRunResult result = harness::RunQuillmere(g_vecRoadArgs);

        std::string strSteps;
        for (EStep step : RoadSteps())
            strSteps += StepLine(step, step == warned ? EOutcome::Warning : EOutcome::Successful);
        EXPECT_EQ(harness::Crlf(CreationRun(RoadEcho(), strSteps)), result.m_strStdout);
        EXPECT_EQ(harness::Crlf(StatusLine(warned, szErrorsReturned)), result.m_strStderr);
        EXPECT_EQ(1u, result.m_dwExitCode);
        EXPECT_EQ(ExpandSz("Failed"), ReadRegValue(HKEY_CURRENT_USER, g_szLoggingKey, StepLabel(warned)));
        EXPECT_EQ("DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[] buffers=0", ReadReleases().back());
    }
}

// Wine's own MAPI32, which has no provider behind it: what a machine without
// Outlook gives. The test bed gives the stand-in to programs by name, so the
// same program under another name gets Wine's.
TEST_F(CreationTest, WithoutAMailProviderMapiInitFails)
{
    harness::CRunOptions options;
    options.m_strProgram = harness::TempPath("QuillmereWithoutProvider.exe");
    ASSERT_TRUE(CopyFileA(harness::LocateBesideSelf("Quillmere.exe").c_str(), options.m_strProgram.c_str(), FALSE));

    const harness::CRunResult result = harness::RunQuillmere(g_vecRoadArgs, options);

    EXPECT_EQ(harness::Crlf(CreationRun(RoadEcho(), StepLine(stepInit, EOutcome::Failed))), result.m_strStdout);
    EXPECT_EQ(harness::Crlf(StatusLine(stepInit, szNotInitialized)), result.m_strStderr);
    EXPECT_EQ(2u, result.m_dwExitCode);
    // The stand-in was never loaded.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_strJournal.c_str()));
    EXPECT_EQ(Sorted({"timestamp", "MAPI Init\t"}), Sorted(harness::ListRegValues(HKEY_CURRENT_USER, g_szLoggingKey)));
    DeleteFileA(options.m_strProgram.c_str());
}
} // namespace
