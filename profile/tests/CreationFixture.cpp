#include "profile/tests/CreationFixture.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "testbed/harness/Harness.h"
#include "testbed/harness/RegistryProbe.h"
#include "testbed/harness/StandInSteering.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace creation
{
using namespace expected;

const std::string g_rgForcedOperations[NUM_STEPS] = {
    standin::szForceMAPIInitialize,
    standin::szForceMAPIAdminProfiles,
    standin::szForceCreateProfile,
    standin::szForceMAPILogonEx,
    standin::szForceAdminServices,
    standin::ForcePerService(standin::szForceCreateMsgService, "MSEMS"),
    standin::ForcePerService(standin::szForceCreateMsgService, "CONTAB"),
    standin::ForcePerService(standin::szForceCreateMsgService, "MSUPST MS"),
    standin::szForceGetMsgServiceTable,
    standin::ForcePerService(standin::szForceHrQueryAllRows, standin::szServiceTable),
    standin::ForcePerService(standin::szForceConfigureMsgService, "MSEMS"),
    standin::ForcePerService(standin::szForceConfigureMsgService, "MSUPST MS"),
};

const std::vector<std::string> g_vecRoadArgs = RoadArgs();

std::vector<std::string> PstArgs()
{
    return Concat(g_vecRoadArgs, {"-b", "Janes Mailbox", "c:\\myMailbox.pst"});
}

CEcho PstEcho()
{
    CEcho echo = RoadEcho();
    echo.m_strPstDisplay = "Janes Mailbox";
    echo.m_strPstFileName = "c:\\myMailbox.pst";
    return echo;
}

const std::string g_strConfigureExchange =
    "ServiceAdmin#3.ConfigureMsgService(uid=1:MSEMS, ui=0x0, flags=0x00000000, props=[0x6608001E "
    "\"mail.example.com\", 0x6607001E \"Doe, Jane\", 0x3A03000B false, 0x3D04000B true]) -> 0x00000000 S_OK";
const std::string g_strConfigurePst =
    "ServiceAdmin#3.ConfigureMsgService(uid=3:MSUPST MS, ui=0x0, flags=0x00000000, props=[0x6700001E "
    "\"c:\\\\myMailbox.pst\", 0x3001001E \"Janes Mailbox\"]) -> 0x00000000 S_OK";

const std::string g_strCreated =
    "ProfAdmin#1.CreateProfile(profile=\"Mail - Jane Doe\", password=null, ui=0x0, flags=0x00000000) -> 0x00000000 "
    "S_OK";
const std::string g_strRefused =
    "ProfAdmin#1.CreateProfile(profile=\"Mail - Jane Doe\", password=null, ui=0x0, flags=0x00000000) -> 0x80070005 "
    "MAPI_E_NO_ACCESS";
const std::string g_strDeleted =
    "ProfAdmin#1.DeleteProfile(profile=\"Mail - Jane Doe\", flags=0x00000000) -> 0x00000000 S_OK";
const std::string g_strLookedUp = "ProfAdmin#1.GetProfileTable(flags=0x00000000) -> 0x00000000 S_OK out=Table#2";

std::vector<std::string> Concat(std::vector<std::string> vecHead, const std::vector<std::string>& vecTail)
{
    vecHead.insert(vecHead.end(), vecTail.begin(), vecTail.end());
    return vecHead;
}

std::vector<std::string> Sorted(std::vector<std::string> vec)
{
    std::sort(vec.begin(), vec.end());
    return vec;
}

std::string ProfileKey(const std::string& strProfile)
{
    return std::string(standin::szProfilesKey) + "\\" + strProfile;
}

void ListAsUnfinished(const std::string& strProfile)
{
    harness::WriteRegValue(HKEY_CURRENT_USER, g_szUnfinishedKey, strProfile.c_str(), harness::ExpandSz(""));
}

void CreationTest::SetUp()
{
    for (const char* pszKey : {g_szProgramKey, standin::szOutlookKey, g_szOptionsKey})
        harness::DeleteRegTree(HKEY_CURRENT_USER, pszKey);
    m_strJournal = harness::StartStandInJournal("quillmere-stand-in-journal.txt");
}

void CreationTest::TearDown()
{
    // The journal of a failed case helps the reader more than any message.
    if (HasFailure())
        printf("Stand-in journal:\n%s", harness::ReadWholeFile(m_strJournal).c_str());
    DeleteFileA(m_strJournal.c_str());
    harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szControlKey);
}

void CreationTest::MakeProfile()
{
    ASSERT_EQ(1u, harness::RunQuillmere(g_vecRoadArgs).m_dwExitCode);
    DeleteFileA(m_strJournal.c_str());
}

std::vector<std::string> CreationTest::ReadJournal() const
{
    return harness::SplitLines(harness::ReadWholeFile(m_strJournal));
}

std::vector<std::string> CreationTest::ReadJournal(std::initializer_list<const char*> prefixes) const
{
    std::vector<std::string> vecLines;
    for (const std::string& strLine : ReadJournal())
        for (const char* pszPrefix : prefixes)
            if (strLine.compare(0, strlen(pszPrefix), pszPrefix) == 0)
                vecLines.push_back(strLine);
    return vecLines;
}

std::vector<std::string> CreationTest::ReadReleases() const
{
    return ReadJournal({"UlRelease(", "FreeProws(", "MAPIUninitialize(", "DllMain("});
}

std::vector<std::string> CreationTest::ReadLog()
{
    std::vector<std::string> vecLog;
    for (const std::string& strName : harness::ListRegValues(HKEY_CURRENT_USER, g_szLoggingKey))
    {
        const std::optional<harness::CRegValue> value =
            harness::ReadRegValue(HKEY_CURRENT_USER, g_szLoggingKey, strName.c_str());
        const bool bText = value && value->m_dwType == REG_EXPAND_SZ && !value->m_strData.empty() &&
                           value->m_strData.back() == '\0';
        if (strName == "timestamp")
            vecLog.push_back(strName);
        else
            vecLog.push_back(strName + "=" +
                             (bText ? value->m_strData.substr(0, value->m_strData.size() - 1) : "(not text)"));
    }
    return Sorted(vecLog);
}

std::vector<std::string> CreationTest::ExpectedLog(const std::string& strStepLines)
{
    std::vector<std::string> vecLog = {"timestamp"};
    for (const std::string& strLine : harness::SplitLines(strStepLines))
    {
        const size_t ich = strLine.find("\t\t= ");
        if (ich != std::string::npos)
            vecLog.push_back(strLine.substr(0, ich) + "=" + strLine.substr(ich + 4));
    }
    return Sorted(vecLog);
}

std::vector<std::string> CreationTest::ReadEnd() const
{
    return ReadJournal({"UlRelease(", "Session#2.Logoff(", "ProfAdmin#1.DeleteProfile(", "ProfAdmin#1.GetProfileTable(",
                        "ProfAdmin#1.SetDefaultProfile(", "FreeProws(", "MAPIUninitialize(", "DllMain("});
}

std::vector<std::string> CreationTest::ExpectedEnd(EStep failing, int nNextLabel)
{
    // Objects and row sets are numbered in the order they were handed out.
    if (nNextLabel == 0)
    {
        nNextLabel = 2;
        for (EStep obtained : {stepLogon, stepAdminServices, stepServiceTable, stepQueryRows})
            nNextLabel += failing > obtained ? 1 : 0;
    }
    std::vector<std::string> vecEnd;
    if (failing > stepServiceTable)
        vecEnd.push_back("UlRelease(Table#4) -> 0");
    if (failing > stepAdminServices)
        vecEnd.push_back("UlRelease(ServiceAdmin#3) -> 0");
    if (failing > stepLogon)
    {
        vecEnd.push_back("Session#2.Logoff(ui=0x0, flags=0x00000000, reserved=0x00000000) -> 0x00000000 S_OK");
        vecEnd.push_back("UlRelease(Session#2) -> 0");
    }
    if (failing > stepCreateProfile)
    {
        const std::string strTable = "Table#" + std::to_string(nNextLabel);
        vecEnd.push_back("ProfAdmin#1.DeleteProfile(profile=\"Mail - Jane Doe\", flags=0x00000000) -> 0x00000000 S_OK");
        vecEnd.push_back("ProfAdmin#1.GetProfileTable(flags=0x00000000) -> 0x00000000 S_OK out=" + strTable);
        vecEnd.push_back("UlRelease(" + strTable + ") -> 0");
        vecEnd.push_back("FreeProws(Rows#" + std::to_string(nNextLabel + 1) + ")");
    }
    if (failing > stepAdminProfiles)
        vecEnd.push_back("UlRelease(ProfAdmin#1) -> 0");
    if (failing > stepQueryRows)
        vecEnd.push_back("FreeProws(Rows#5)");
    const std::string strBalance =
        failing == stepInit ? "inits=0 uninits=0 alive=[] buffers=0" : "inits=1 uninits=1 alive=[] buffers=0";
    if (failing != stepInit)
        vecEnd.push_back("MAPIUninitialize() -> " + strBalance);
    vecEnd.push_back("DllMain(DLL_PROCESS_DETACH) -> " + strBalance);
    return vecEnd;
}
} // namespace creation
