// Whole runs with -e: the Exchange service given only the user's SMTP
// address, in the profile sections of its providers, as Outlook 2016 and
// later take it. What the run prints, its journal of section calls, the step
// log, and the profile as the stand-in's dump tool shows it.

#include <gtest/gtest.h>

#include <windows.h>

#include <mapidefs.h>
#include <mapicode.h>
#include <mapitags.h>

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

constexpr char g_szAddress[] = "jane.doe@example.com";
constexpr char g_szJournalAddress[] = "L\"jane.doe@example.com\"";
// Microsoft's tag, written out here rather than taken from the program.
constexpr ULONG ulEmsmdbSectionUid = 0x3D150102;
constexpr ULONG ulStoreProviders = 0x3D000102;
constexpr ULONG ulSmtpAddressW = 0x6641001F;

const std::vector<std::string> g_vecArgs = {"-p", g_szProfile, "-e", g_szAddress};

CEcho AddressEcho()
{
    CEcho echo;
    echo.m_strProfile = g_szProfile;
    echo.m_strSmtpAddress = g_szAddress;
    return echo;
}

std::string WholeSteps(bool bPst = false)
{
    return bPst ? StepLines({stepInit, stepAdminProfiles, stepCreateProfile, stepLogon, stepAdminServices,
                             stepExchange, stepAddressBook, stepPersonalFolders, stepServiceTable, stepQueryRows})
                : StepLines({stepInit, stepAdminProfiles, stepCreateProfile, stepLogon, stepAdminServices,
                             stepExchange, stepAddressBook, stepServiceTable, stepQueryRows});
}

// The calls of the section procedure, one journal line each, as a whole
// configuration makes them: the service's own section names the EMSMDB
// section, which takes the address and names the store provider's section.
enum ESectionCall
{
    callOpenService,
    callReadEmsmdbUid,
    callFreeEmsmdbUid,
    callOpenEmsmdb,
    callSetEmsmdb,
    callSaveEmsmdb,
    callReadStoreUid,
    callFreeStoreUid,
    callOpenStore,
    callSetStore,
    callSaveStore,
    NUM_SECTION_CALLS
};

std::vector<std::string> SectionCalls(const std::string& strAddress = g_szJournalAddress,
                                      const std::string& strCacheProp = "")
{
    return {
        "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS, iid=null, flags=0x00080000) -> 0x00000000 S_OK out=ProfSect#6",
        "ProfSect#6.GetProps(tags=[0x3D150102], flags=0x00000000) -> 0x00000000 S_OK out=Props#7 "
        "[0x3D150102 <{1:MSEMS/EMSMDB}>]",
        "MAPIFreeBuffer(Props#7)",
        "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS/EMSMDB, iid=null, flags=0x00000001) -> 0x00000000 S_OK "
        "out=ProfSect#8",
        "ProfSect#8.SetProps(props=[0x6641001F " + strAddress + ", 0x3001001F " + strAddress + strCacheProp +
            "]) -> 0x00000000 S_OK problems=null",
        "ProfSect#8.SaveChanges(flags=0x00000002) -> 0x00000000 S_OK",
        "ProfSect#8.GetProps(tags=[0x3D000102], flags=0x00000000) -> 0x00000000 S_OK out=Props#9 "
        "[0x3D000102 <{1:MSEMS/store}>]",
        "MAPIFreeBuffer(Props#9)",
        "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS/store, iid=null, flags=0x00080001) -> 0x00000000 S_OK "
        "out=ProfSect#10",
        "ProfSect#10.SetProps(props=[0x6641001F " + strAddress + ", 0x3001001F " + strAddress +
            "]) -> 0x00000000 S_OK problems=null",
        "ProfSect#10.SaveChanges(flags=0x00000002) -> 0x00000000 S_OK",
    };
}

// A whole configuration's calls, then its sections released, last opened first.
std::vector<std::string> WholeSectionCalls(std::vector<std::string> vecCalls)
{
    vecCalls.insert(vecCalls.end(),
                    {"UlRelease(ProfSect#10) -> 0", "UlRelease(ProfSect#8) -> 0", "UlRelease(ProfSect#6) -> 0"});
    return vecCalls;
}

// The calls up to the one that answered otherwise, its line, whatever it
// left to free, and the sections released: every one before the undo.
std::vector<std::string> SectionCallsUpTo(ESectionCall last, std::vector<std::string> vecLastLines)
{
    const std::vector<std::string> vecWhole = SectionCalls();
    std::vector<std::string> vecCalls(vecWhole.begin(), vecWhole.begin() + last);
    vecCalls.insert(vecCalls.end(), vecLastLines.begin(), vecLastLines.end());
    for (const auto& [open, strRelease] : {std::pair<ESectionCall, const char*>{callOpenStore, "UlRelease(ProfSect#10) -> 0"},
                                           {callOpenEmsmdb, "UlRelease(ProfSect#8) -> 0"},
                                           {callOpenService, "UlRelease(ProfSect#6) -> 0"}})
        if (last > open || (last == open && vecLastLines.front().find(" S_OK out=") != std::string::npos))
            vecCalls.push_back(strRelease);
    return vecCalls;
}

class SmtpAddressTest : public CreationTest
{
protected:
    std::vector<std::string> ReadSectionCalls() const
    {
        return ReadJournal({"ServiceAdmin#3.OpenProfileSection(", "ProfSect#", "MAPIFreeBuffer(", "UlRelease(ProfSect#"});
    }

    // ReadEnd without the sections' releases, which come within the step.
    std::vector<std::string> ReadEndOfRun() const
    {
        std::vector<std::string> vecEnd;
        for (const std::string& strLine : ReadEnd())
            if (strLine.rfind("UlRelease(ProfSect#", 0) != 0)
                vecEnd.push_back(strLine);
        return vecEnd;
    }

    static std::string Dump()
    {
        harness::CRunOptions options;
        options.m_strProgram = harness::LocateBesideSelf("mapi32_stand_in_dump.exe");
        return harness::RunQuillmere({}, options).m_strStdout;
    }
};

// The profile as Outlook 2016 and later complete it: the address in the
// EMSMDB and store sections and nothing of a server or a connection,
// whatever else the command line gives; -c, -b, -d and -a as without -e.
TEST_F(SmtpAddressTest, TheAddressGoesIntoTheProvidersSections)
{
    const std::string strSections = "    Section 1:MSEMS/EMSMDB\n"
                                    "      PR_DISPLAY_NAME_W 0x3001001F = L\"jane.doe@example.com\"\n"
                                    "      PR_STORE_PROVIDERS 0x3D000102 = <{1:MSEMS/store}>\n";
    const std::string strAddressInEmsmdb =
        "      PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W 0x6641001F = L\"jane.doe@example.com\"\n";
    const std::string strStore = "    Section 1:MSEMS/store\n"
                                 "      PR_DISPLAY_NAME_W 0x3001001F = L\"jane.doe@example.com\"\n"
                                 "      PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W 0x6641001F = L\"jane.doe@example.com\"\n";
    const std::string strExchange = "  Service 1: MSEMS \"Microsoft Exchange\"\n"
                                    "    PR_EMSMDB_SECTION_UID 0x3D150102 = <{1:MSEMS/EMSMDB}>\n";
    const std::string strAddressBook = "  Service 2: CONTAB \"Outlook Address Book\"\n";
    const std::string strWholeDump = "Profile \"Mail - Jane Doe\"\n" + strExchange + strSections + strAddressInEmsmdb +
                                     strStore + strAddressBook;
    const struct
    {
        const char* m_pszCase;
        std::vector<std::string> m_vecMore;
        void (*m_fnEcho)(CEcho&);
        std::string m_strCacheProp;
        std::string m_strDump;
    } rows[] = {
        {"-e alone", {}, [](CEcho&) {}, "", strWholeDump},
        {"-c 1", {"-c", "1"}, [](CEcho& e) { e.m_strCacheMode = "1"; }, ", 0x66010003 0x00000180",
         "Profile \"Mail - Jane Doe\"\n" + strExchange + strSections +
             "      PR_PROFILE_CONFIG_FLAGS 0x66010003 = 0x00000180\n" + strAddressInEmsmdb + strStore + strAddressBook},
        {"-c 2", {"-c", "2"}, [](CEcho& e) { e.m_strCacheMode = "2"; }, ", 0x66010003 0x00000400",
         "Profile \"Mail - Jane Doe\"\n" + strExchange + strSections +
             "      PR_PROFILE_CONFIG_FLAGS 0x66010003 = 0x00000400\n" + strAddressInEmsmdb + strStore + strAddressBook},
        {"-b", {"-b", "Janes Mailbox", "c:\\myMailbox.pst"},
         [](CEcho& e) {
             e.m_strPstDisplay = "Janes Mailbox";
             e.m_strPstFileName = "c:\\myMailbox.pst";
         },
         "",
         strWholeDump + "  Service 3: MSUPST MS \"Janes Mailbox\"\n"
                        "    PR_PST_PATH 0x6700001E = \"c:\\\\myMailbox.pst\"\n"},
        {"-d D", {"-d", "D"}, [](CEcho& e) { e.m_strPriority = "Profile will become default"; }, "",
         "Profile \"Mail - Jane Doe\" (default)\n" + strExchange + strSections + strAddressInEmsmdb + strStore +
             strAddressBook},
        {"-d P", {"-d", "P"}, [](CEcho& e) { e.m_strPriority = "Will prompt for profile"; }, "", strWholeDump},
        {"-a Y", {"-a", "Y"}, [](CEcho& e) { e.m_strDelete = "true"; }, "", strWholeDump},
        // Autodiscover gives the server and the connection: none is written.
        {"-s, -m, -h, -n, -t, -f",
         {"-s", "mail.example.com", "-m", "Doe, Jane", "-h", "webmail.example.com", "-n", "msstd:webmail.example.com",
          "-t", "N", "-f", "F"},
         [](CEcho& e) {
             e.m_strServer = "mail.example.com";
             e.m_strMailbox = "Doe, Jane";
             e.m_strHttpProxy = "webmail.example.com";
             e.m_strPrincipal = "msstd:webmail.example.com";
             e.m_strAuthentication = "NTLM";
             e.m_strTryHttpFirst = "Fast";
         },
         "", strWholeDump},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        SetUp();
        CEcho echo = AddressEcho();
        row.m_fnEcho(echo);
        const bool bReplace = echo.m_strDelete == "true";
        const bool bPst = !echo.m_strPstDisplay.empty();
        if (bReplace)
            MakeProfile();

        const harness::CRunResult result = harness::RunQuillmere(Concat(g_vecArgs, row.m_vecMore));

        std::string strSteps = WholeSteps(bPst);
        if (bReplace)
            strSteps.insert(StepLines(g_vecFirstSteps).size(), szDeleted);
        strSteps += StepLine(stepConfigureExchange) + (bPst ? StepLine(stepConfigurePst) : "");
        EXPECT_EQ(harness::Crlf(CreationRun(echo, strSteps)), result.m_strStdout);
        EXPECT_EQ("", result.m_strStderr);
        EXPECT_EQ(1u, result.m_dwExitCode);
        EXPECT_EQ(ExpectedLog(strSteps), ReadLog());

        EXPECT_EQ(WholeSectionCalls(SectionCalls(g_szJournalAddress, row.m_strCacheProp)), ReadSectionCalls());
        // The service's own configuration is not called for Exchange.
        EXPECT_EQ(bPst ? std::vector<std::string>{g_strConfigurePst} : std::vector<std::string>{},
                  ReadJournal({"ServiceAdmin#3.ConfigureMsgService("}));
        EXPECT_EQ("DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[] buffers=0", ReadReleases().back());
        EXPECT_EQ(harness::Crlf(row.m_strDump), Dump());
    }
}

// Each call of the procedure answering otherwise in turn: a failure stops it
// and the run takes back its profile; a warning is reported and the run goes
// on. A UID that comes back as an error or cut short, and a property SetProps
// reports as a problem, fail the step as MAPI's answer says.
TEST_F(SmtpAddressTest, EachSectionCallThatFailsUndoesTheProfile)
{
    const HRESULT hrFailed = MAPI_E_CALL_FAILED;
    const std::string strSetEmsmdb = "ProfSect#8.SetProps(props=[0x6641001F " + std::string(g_szJournalAddress) +
                                     ", 0x3001001F " + g_szJournalAddress + "])";
    const std::string strSetStore = "ProfSect#10.SetProps(props=[0x6641001F " + std::string(g_szJournalAddress) +
                                    ", 0x3001001F " + g_szJournalAddress + "])";
    const struct
    {
        const char* m_pszCase;
        std::string m_strSteering;
        HRESULT m_hrValue; // the status, or the length
        ESectionCall m_last;
        std::vector<std::string> m_vecLastLines;
        const char* m_pszStatus; // on standard error
    } rows[] = {
        {"open the service's section", standin::ForcePerService(standin::szForceOpenProfileSection, "MSEMS"),
         hrFailed, callOpenService,
         {"ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS, iid=null, flags=0x00080000) -> 0x80004005 "
          "MAPI_E_CALL_FAILED out=null"},
         szCallFailed},
        {"read the EMSMDB UID", standin::ForcePerService(standin::szForceGetProps, "MSEMS"), hrFailed,
         callReadEmsmdbUid,
         {"ProfSect#6.GetProps(tags=[0x3D150102], flags=0x00000000) -> 0x80004005 MAPI_E_CALL_FAILED out=null"},
         szCallFailed},
        {"the EMSMDB UID an error",
         standin::SteerProperty(standin::szPropertyErrorPrefix, ulEmsmdbSectionUid), MAPI_E_NOT_FOUND,
         callReadEmsmdbUid,
         {"ProfSect#6.GetProps(tags=[0x3D150102], flags=0x00000000) -> 0x00040380 MAPI_W_ERRORS_RETURNED out=Props#7 "
          "[0x3D15000A error 0x8004010F MAPI_E_NOT_FOUND]",
          "MAPIFreeBuffer(Props#7)"},
         szNotFound},
        {"the EMSMDB UID cut short", standin::SteerProperty(standin::szPropertyLengthPrefix, ulEmsmdbSectionUid), 15,
         callReadEmsmdbUid,
         {"ProfSect#6.GetProps(tags=[0x3D150102], flags=0x00000000) -> 0x00000000 S_OK out=Props#7 "
          "[0x3D150102 <{1:MSEMS/EMSMDB, first 15 bytes}>]",
          "MAPIFreeBuffer(Props#7)"},
         szNotFound},
        {"open the EMSMDB section", standin::ForcePerService(standin::szForceOpenProfileSection, standin::szSectionEmsmdb),
         hrFailed, callOpenEmsmdb,
         {"ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS/EMSMDB, iid=null, flags=0x00000001) -> 0x80004005 "
          "MAPI_E_CALL_FAILED out=null"},
         szCallFailed},
        {"set the EMSMDB section", standin::ForcePerService(standin::szForceSetProps, standin::szSectionEmsmdb),
         hrFailed, callSetEmsmdb, {strSetEmsmdb + " -> 0x80004005 MAPI_E_CALL_FAILED problems=null"}, szCallFailed},
        {"a problem in the EMSMDB section",
         standin::SteerProperty(standin::szPropertyProblemPrefix, PR_DISPLAY_NAME_W, standin::szSectionEmsmdb),
         MAPI_E_NO_ACCESS, callSetEmsmdb,
         {strSetEmsmdb + " -> 0x00000000 S_OK problems=Problems#9 [1: 0x3001001F 0x80070005 MAPI_E_NO_ACCESS]",
          "MAPIFreeBuffer(Problems#9)", "ProfSect#8 ended: unsaved [0x6641001F] dropped"},
         szNoAccess},
        {"save the EMSMDB section", standin::ForcePerService(standin::szForceSaveChanges, standin::szSectionEmsmdb),
         hrFailed, callSaveEmsmdb,
         {"ProfSect#8.SaveChanges(flags=0x00000002) -> 0x80004005 MAPI_E_CALL_FAILED",
          "ProfSect#8 ended: unsaved [0x3001001F, 0x6641001F] dropped"},
         szCallFailed},
        {"read the store UID", standin::ForcePerService(standin::szForceGetProps, standin::szSectionEmsmdb), hrFailed,
         callReadStoreUid,
         {"ProfSect#8.GetProps(tags=[0x3D000102], flags=0x00000000) -> 0x80004005 MAPI_E_CALL_FAILED out=null"},
         szCallFailed},
        {"the store UID an error",
         standin::SteerProperty(standin::szPropertyErrorPrefix, ulStoreProviders, standin::szSectionEmsmdb),
         MAPI_E_NO_ACCESS, callReadStoreUid,
         {"ProfSect#8.GetProps(tags=[0x3D000102], flags=0x00000000) -> 0x00040380 MAPI_W_ERRORS_RETURNED out=Props#9 "
          "[0x3D00000A error 0x80070005 MAPI_E_NO_ACCESS]",
          "MAPIFreeBuffer(Props#9)"},
         szNoAccess},
        {"the store UID cut short",
         standin::SteerProperty(standin::szPropertyLengthPrefix, ulStoreProviders, standin::szSectionEmsmdb), 5,
         callReadStoreUid,
         {"ProfSect#8.GetProps(tags=[0x3D000102], flags=0x00000000) -> 0x00000000 S_OK out=Props#9 "
          "[0x3D000102 <{1:MSEMS/store, first 5 bytes}>]",
          "MAPIFreeBuffer(Props#9)"},
         szNotFound},
        {"open the store section", standin::ForcePerService(standin::szForceOpenProfileSection, standin::szSectionStore),
         hrFailed, callOpenStore,
         {"ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS/store, iid=null, flags=0x00080001) -> 0x80004005 "
          "MAPI_E_CALL_FAILED out=null"},
         szCallFailed},
        {"set the store section", standin::ForcePerService(standin::szForceSetProps, standin::szSectionStore), hrFailed,
         callSetStore, {strSetStore + " -> 0x80004005 MAPI_E_CALL_FAILED problems=null"}, szCallFailed},
        {"a problem in the store section",
         standin::SteerProperty(standin::szPropertyProblemPrefix, ulSmtpAddressW,
                                standin::szSectionStore),
         MAPI_E_NOT_FOUND, callSetStore,
         {strSetStore + " -> 0x00000000 S_OK problems=Problems#11 [0: 0x6641001F 0x8004010F MAPI_E_NOT_FOUND]",
          "MAPIFreeBuffer(Problems#11)", "ProfSect#10 ended: unsaved [0x3001001F] dropped"},
         szNotFound},
        {"save the store section", standin::ForcePerService(standin::szForceSaveChanges, standin::szSectionStore),
         hrFailed, callSaveStore,
         {"ProfSect#10.SaveChanges(flags=0x00000002) -> 0x80004005 MAPI_E_CALL_FAILED",
          "ProfSect#10 ended: unsaved [0x3001001F, 0x6641001F] dropped"},
         szCallFailed},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        SetUp();
        harness::SetStandInNumber(row.m_strSteering, static_cast<DWORD>(row.m_hrValue));

        const harness::CRunResult result = harness::RunQuillmere(Concat(g_vecArgs, {"-d", "D"}));

        CEcho echo = AddressEcho();
        echo.m_strPriority = "Profile will become default";
        const std::string strSteps = WholeSteps() + StepLine(stepConfigureExchange, EOutcome::Failed) + UndoLine();
        EXPECT_EQ(harness::Crlf(CreationRun(echo, strSteps)), result.m_strStdout);
        EXPECT_EQ(harness::Crlf(StatusLine(stepConfigureExchange, row.m_pszStatus)), result.m_strStderr);
        EXPECT_EQ(2u, result.m_dwExitCode);
        EXPECT_EQ(ExpectedLog(strSteps), ReadLog());
        const std::vector<std::string> vecSectionCalls = SectionCallsUpTo(row.m_last, row.m_vecLastLines);
        EXPECT_EQ(vecSectionCalls, ReadSectionCalls());
        // Every section and buffer handed out took a number before the profile table.
        int nNextLabel = 6;
        for (const std::string& strLine : vecSectionCalls)
            for (const char* pszHandedOut : {" out=ProfSect#", " out=Props#", " problems=Problems#"})
                nNextLabel += strLine.find(pszHandedOut) != std::string::npos ? 1 : 0;
        EXPECT_EQ(ExpectedEnd(stepConfigureExchange, nNextLabel), ReadEndOfRun());
        EXPECT_TRUE(harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey).empty());
        EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szUnfinishedKey));
        EXPECT_EQ(std::nullopt, harness::ReadRegValue(HKEY_CURRENT_USER, standin::szOutlookKey,
                                                      standin::szDefaultProfileValue));
    }
}
// A warning does not stop the procedure: the step says "Failed" without
// "Action Failed", standard error says why, and the profile is made.
TEST_F(SmtpAddressTest, AWarningOfASectionCallIsReportedAndTheRunGoesOn)
{
    harness::SetStandInStatus(standin::ForcePerService(standin::szForceSaveChanges, standin::szSectionEmsmdb),
                              MAPI_W_ERRORS_RETURNED);

    const harness::CRunResult result = harness::RunQuillmere(Concat(g_vecArgs, {"-d", "D"}));

    CEcho echo = AddressEcho();
    echo.m_strPriority = "Profile will become default";
    const std::string strSteps = WholeSteps() + StepLine(stepConfigureExchange, EOutcome::Warning);
    EXPECT_EQ(harness::Crlf(CreationRun(echo, strSteps)), result.m_strStdout);
    EXPECT_EQ(harness::Crlf(StatusLine(stepConfigureExchange, szErrorsReturned)), result.m_strStderr);
    EXPECT_EQ(1u, result.m_dwExitCode);
    std::vector<std::string> vecSectionCalls = SectionCalls();
    vecSectionCalls[callSaveEmsmdb] = "ProfSect#8.SaveChanges(flags=0x00000002) -> 0x00040380 MAPI_W_ERRORS_RETURNED";
    EXPECT_EQ(WholeSectionCalls(vecSectionCalls), ReadSectionCalls());
    EXPECT_EQ(std::vector<std::string>{g_szProfile}, harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
    EXPECT_EQ(harness::CRegValue({REG_SZ, std::string(g_szProfile) + '\0'}),
              harness::ReadRegValue(HKEY_CURRENT_USER, standin::szOutlookKey, standin::szDefaultProfileValue));
}

// An address Autodiscover could not use stops the run before MAPI is loaded
// and before -r or -a Y deletes anything: one failed step, what is wrong with
// the address, exit 2.
TEST_F(SmtpAddressTest, AnAddressThatBreaksARuleChangesNothing)
{
    const std::string strLocal243(243, 'a');
    const struct
    {
        const char* m_pszCase;
        std::string m_strAddress;
        const char* m_pszFault;
    } rows[] = {
        {"no @", "jane.doe.example.com", "The SMTP address has no \"@\".\n"},
        {"two @", "jane@doe@example.com", "The SMTP address has more than one \"@\".\n"},
        {"nothing before @", "@example.com", "The SMTP address needs text before and after its \"@\".\n"},
        {"nothing after @", "jane.doe@", "The SMTP address needs text before and after its \"@\".\n"},
        {"a space", "jane doe@example.com", "The SMTP address holds a space, a tab or another control character.\n"},
        {"a tab", "jane\tdoe@example.com", "The SMTP address holds a space, a tab or another control character.\n"},
        {"a control character", "jane\x01@example.com",
         "The SMTP address holds a space, a tab or another control character.\n"},
        {"255 bytes", strLocal243 + "@example.com", "The SMTP address is longer than 254 bytes.\n"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        SetUp();
        MakeProfile();
        harness::WriteRegValue(HKEY_CURRENT_USER, g_szSetupKey, "FirstRun", {REG_DWORD, std::string("\x01\0\0\0", 4)});
        const std::vector<std::string> vecSectionsBefore = harness::ListRegSubkeys(HKEY_CURRENT_USER, ProfileKey().c_str());

        const harness::CRunResult result =
            harness::RunQuillmere({"-p", g_szProfile, "-a", "Y", "-r", "-e", row.m_strAddress});

        CEcho echo;
        echo.m_strProfile = g_szProfile;
        echo.m_strDelete = "true";
        echo.m_strSuppressFirstRun = "true";
        echo.m_strSmtpAddress = row.m_strAddress;
        const std::string strSteps = SmtpAddressLine();
        EXPECT_EQ(harness::Crlf(CreationRun(echo, strSteps + row.m_pszFault)), result.m_strStdout);
        EXPECT_EQ(harness::Crlf(StatusLine(szSmtpAddressLabel, szInvalidParameter)), result.m_strStderr);
        EXPECT_EQ(2u, result.m_dwExitCode);
        EXPECT_EQ(ExpectedLog(strSteps), ReadLog());
        // MAPI32 was never loaded.
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_strJournal.c_str()));
        EXPECT_EQ(vecSectionsBefore, harness::ListRegSubkeys(HKEY_CURRENT_USER, ProfileKey().c_str()));
        EXPECT_EQ(std::vector<std::string>{"FirstRun"}, harness::ListRegValues(HKEY_CURRENT_USER, g_szSetupKey));
        harness::DeleteRegTree(HKEY_CURRENT_USER, g_szSetupKey);
    }
}

// The wide texts reach MAPI converted from the ANSI code page (1252 here),
// and come back in the echo as typed: the address with a letter outside
// ASCII, and -h and -n with letters where 1252 and Latin-1 part, which a
// byte-for-byte widening got wrong.
TEST_F(SmtpAddressTest, WideTextsAreTheLettersTypedInTheCodePage)
{
    const std::string strAddress = "j\xF6rg@example.com";
    const harness::CRunResult withAddress = harness::RunQuillmere({"-p", g_szProfile, "-e", strAddress});

    CEcho echo;
    echo.m_strProfile = g_szProfile;
    echo.m_strSmtpAddress = strAddress;
    EXPECT_EQ(harness::Crlf(CreationRun(echo, WholeSteps() + StepLine(stepConfigureExchange))), withAddress.m_strStdout);
    EXPECT_EQ(1u, withAddress.m_dwExitCode);
    EXPECT_EQ(WholeSectionCalls(SectionCalls("L\"j\\u00F6rg@example.com\"")), ReadSectionCalls());

    SetUp();
    const std::string strProxy = "\x8Aproxy.example.com";
    const std::string strPrincipal = "msstd:\x9Eproxy.example.com";
    const harness::CRunResult withProxy =
        harness::RunQuillmere(Concat(g_vecRoadArgs, {"-h", strProxy, "-n", strPrincipal}));

    echo = RoadEcho();
    echo.m_strHttpProxy = strProxy;
    echo.m_strPrincipal = strPrincipal;
    EXPECT_EQ(harness::Crlf(CreationRun(echo, WholeSteps() + StepLine(stepConfigureExchange))), withProxy.m_strStdout);
    EXPECT_EQ(1u, withProxy.m_dwExitCode);
    EXPECT_EQ(std::vector<std::string>{"ServiceAdmin#3.ConfigureMsgService(uid=1:MSEMS, ui=0x0, flags=0x00000000, "
                                       "props=[0x6608001E \"mail.example.com\", 0x6607001E \"Doe, Jane\", 0x3A03000B "
                                       "false, 0x3D04000B true, 0x66230003 0x00000007, 0x6622001F "
                                       "L\"\\u0160proxy.example.com\", 0x6625001F L\"msstd:\\u017Eproxy.example.com\", "
                                       "0x66270003 0x00000001]) -> 0x00000000 S_OK"},
              ReadJournal({"ServiceAdmin#3.ConfigureMsgService("}));
}
} // namespace
