// What the program's tests lean on in the MAPI32 stand-in: MAPI's answers,
// reference counts and the unload report, forced statuses, row orders and
// where profiles are kept. Every case loads the DLL afresh, so that labels
// count from 1 and the unload report is the case's own.

#include <gtest/gtest.h>

#include <windows.h>

#include <mapix.h>
#include <mapiutil.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "testbed/harness/Harness.h"
#include "testbed/harness/RegistryProbe.h"
#include "testbed/harness/StandInSteering.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

// From MAPI's reference pages, apart from the stand-in's own: a wrong value
// there must fail here.
#ifndef MAPI_FORCE_ACCESS
#define MAPI_FORCE_ACCESS ((ULONG)0x00080000)
#endif
#ifndef PR_EMSMDB_SECTION_UID
#define PR_EMSMDB_SECTION_UID PROP_TAG(PT_BINARY, 0x3D15)
#endif
#ifndef PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W
#define PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W PROP_TAG(PT_UNICODE, 0x6641)
#endif
#ifndef PR_PROFILE_CONFIG_FLAGS
#define PR_PROFILE_CONFIG_FLAGS PROP_TAG(PT_LONG, 0x6601)
#endif

namespace
{
using harness::CRegValue;

// No MinGW import library carries MAPI's own interface IDs.
constexpr IID g_iidIMAPIProp = {0x00020303, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID g_iidIProfSect = {0x00020304, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// The stand-in's exports, taken by name from the system directory's MAPI32:
// the plain name where its layout has one, else the decorated one.
class CStandIn
{
public:
    CStandIn() : m_hModule(LoadLibraryExA("MAPI32.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {}
    ~CStandIn() { Unload(); }
    CStandIn(const CStandIn&) = delete;
    CStandIn& operator=(const CStandIn&) = delete;

    // The last reference: DllMain journals its report.
    void Unload()
    {
        if (m_hModule)
            FreeLibrary(m_hModule);
        m_hModule = nullptr;
    }

    HRESULT Initialize() { return Bind<MAPIINITIALIZE>("MAPIInitialize", "MAPIInitialize@4")(nullptr); }
    void Uninitialize() { Bind<MAPIUNINITIALIZE>("MAPIUninitialize", "MAPIUninitialize@0")(); }
    HRESULT AdminProfiles(LPPROFADMIN* ppAdmin)
    {
        return Bind<MAPIADMINPROFILES>("MAPIAdminProfiles", "MAPIAdminProfiles@8")(0, ppAdmin);
    }
    HRESULT LogonEx(const char* pszProfile, LPMAPISESSION* ppSession)
    {
        return Bind<MAPILOGONEX>("MAPILogonEx", "MAPILogonEx@20")(0, const_cast<LPSTR>(pszProfile), nullptr,
                                                MAPI_NEW_SESSION | MAPI_NO_MAIL, ppSession);
    }
    HRESULT QueryAllRows(LPMAPITABLE pTable, LPSPropTagArray pColumns, LONG cMax, LPSRowSet* ppRows)
    {
        using HRQUERYALLROWS =
            HRESULT WINAPI(LPMAPITABLE, LPSPropTagArray, LPSRestriction, LPSSortOrderSet, LONG, LPSRowSet*);
        return Bind<HRQUERYALLROWS>("HrQueryAllRows", "HrQueryAllRows@24")(pTable, pColumns, nullptr, nullptr, cMax,
                                                                            ppRows);
    }
    ULONG Release(LPVOID pObject) { return Bind<ULONG WINAPI(LPVOID)>("UlRelease", "UlRelease@4")(pObject); }
    void FreeRows(LPSRowSet pRows) { Bind<void WINAPI(LPSRowSet)>("FreeProws", "FreeProws@4")(pRows); }
    void FreeBuffer(LPVOID pBuffer) { Bind<ULONG WINAPI(LPVOID)>("MAPIFreeBuffer", "MAPIFreeBuffer@4")(pBuffer); }
    FARPROC BindOrdinal(WORD wOrdinal) const { return GetProcAddress(m_hModule, MAKEINTRESOURCEA(wOrdinal)); }

private:
    template <typename TFunction>
    TFunction* Bind(const char* pszName, const char* pszDecoratedName) const
    {
        FARPROC pfn = GetProcAddress(m_hModule, pszName);
        if (!pfn)
            pfn = GetProcAddress(m_hModule, pszDecoratedName);
        EXPECT_NE(nullptr, pfn) << pszName;
        return reinterpret_cast<TFunction*>(reinterpret_cast<void (*)()>(pfn));
    }

    HMODULE m_hModule;
};

constexpr char g_szProfile[] = "Mail - Jane Doe";

std::string ProfileKey(const std::string& strProfile)
{
    return std::string(standin::szProfilesKey) + "\\" + strProfile;
}

std::string HexOf(const BYTE* pb, size_t cb)
{
    static const char s_szDigits[] = "0123456789abcdef";
    std::string strHex;
    for (size_t i = 0; i < cb; ++i)
        strHex.append(1, s_szDigits[pb[i] >> 4]).append(1, s_szDigits[pb[i] & 0xF]);
    return strHex;
}

MAPIUID UidOfSection(const std::string& strSection)
{
    MAPIUID uid = {};
    for (size_t i = 0; i < sizeof(uid.ab) && 2 * i + 2 <= strSection.size(); ++i)
        uid.ab[i] = static_cast<BYTE>(std::stoi(strSection.substr(2 * i, 2), nullptr, 16));
    return uid;
}

// The sections the stand-in lists in creation order, as it keeps them.
std::vector<std::string> ReadSectionOrder(const std::string& strProfile)
{
    std::vector<std::string> vecSections;
    const auto order = harness::ReadRegValue(HKEY_CURRENT_USER, ProfileKey(strProfile).c_str(),
                                             standin::szServiceOrderValue);
    if (!order || order->m_dwType != REG_MULTI_SZ)
        return vecSections;
    std::istringstream stream(order->m_strData);
    for (std::string strItem; std::getline(stream, strItem, '\0') && !strItem.empty();)
        vecSections.push_back(strItem);
    return vecSections;
}

SPropValue MakeText(ULONG ulPropTag, LPCWSTR pwzText)
{
    SPropValue prop = {};
    prop.ulPropTag = ulPropTag;
    prop.Value.lpszW = const_cast<LPWSTR>(pwzText);
    return prop;
}

// The Exchange service's sections as the stand-in keeps them.
struct CExchangeUids
{
    MAPIUID m_uidService;
    MAPIUID m_uidEmsmdb;
    MAPIUID m_uidStore;
};

MAPIUID ReadUidValue(const MAPIUID& uidSection, const char* pszValue)
{
    const auto value = harness::ReadRegValue(
        HKEY_CURRENT_USER, (ProfileKey(g_szProfile) + "\\" + HexOf(uidSection.ab, sizeof(uidSection.ab))).c_str(),
        pszValue);
    MAPIUID uid = {};
    if (value)
        memcpy(uid.ab, value->m_strData.data(), std::min(sizeof(uid.ab), value->m_strData.size()));
    return uid;
}

// What Microsoft's procedure for Outlook 2016 journals when every step
// succeeds: the steps of TakeExchangeProcedure, one line each.
const char* const g_rgszProcedureJournal[] = {
    "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS, iid=null, flags=0x00080000) -> 0x00000000 S_OK out=ProfSect#4",
    "ProfSect#4.GetProps(tags=[0x3D150102], flags=0x00000000) -> 0x00000000 S_OK out=Props#5 "
    "[0x3D150102 <{1:MSEMS/EMSMDB}>]",
    "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS/EMSMDB, iid=null, flags=0x00000001) -> 0x00000000 S_OK "
    "out=ProfSect#6",
    "ProfSect#6.SetProps(props=[0x6641001F L\"jane@example.com\", 0x3001001F L\"Jane Doe\", 0x66010003 0x00000100]) "
    "-> 0x00000000 S_OK problems=null",
    "ProfSect#6.SaveChanges(flags=0x00000002) -> 0x00000000 S_OK",
    "ProfSect#6.GetProps(tags=[0x3D000102], flags=0x00000000) -> 0x00000000 S_OK out=Props#7 "
    "[0x3D000102 <{1:MSEMS/store}>]",
    "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS/store, iid=null, flags=0x00080001) -> 0x00000000 S_OK "
    "out=ProfSect#8",
    "ProfSect#8.SetProps(props=[0x6641001F L\"jane@example.com\", 0x3001001F L\"Jane Doe\"]) -> 0x00000000 S_OK "
    "problems=null",
    "ProfSect#8.SaveChanges(flags=0x00000002) -> 0x00000000 S_OK",
};

// The dump of g_szProfile holding the Exchange service alone, its EMSMDB
// section holding these lines.
std::string DumpOfExchange(const std::string& strEmsmdb, const std::string& strStore = "",
                           const std::string& strOthers = "")
{
    return harness::Crlf("Profile \"Mail - Jane Doe\"\n"
                         "  Service 1: MSEMS \"Microsoft Exchange\"\n"
                         "    PR_EMSMDB_SECTION_UID 0x3D150102 = <{1:MSEMS/EMSMDB}>\n"
                         "    Section 1:MSEMS/EMSMDB\n" +
                         strEmsmdb + "    Section 1:MSEMS/store\n" + strStore + strOthers);
}

constexpr char g_szStoreProvidersLine[] = "      PR_STORE_PROVIDERS 0x3D000102 = <{1:MSEMS/store}>\n";

std::string RunDump()
{
    harness::CRunOptions options;
    options.m_strProgram = harness::LocateBesideSelf("mapi32_stand_in_dump.exe");
    const harness::CRunResult dump = harness::RunQuillmere({}, options);
    EXPECT_EQ(0u, dump.m_dwExitCode);
    return dump.m_strStdout;
}

// Public: the cases' tables hold steps that act on the fixture.
class StandInTest : public testing::Test
{
public:
    void SetUp() override { Restart(); }

    void TearDown() override
    {
        if (HasFailure())
            printf("Stand-in journal:\n%s", harness::ReadWholeFile(m_strJournal).c_str());
        m_pMapi.reset();
        DeleteFileA(m_strJournal.c_str());
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szControlKey);
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);
    }

    // A fresh DLL over an empty store and an empty journal.
    void Restart()
    {
        m_pMapi.reset();
        m_pAdmin = nullptr;
        m_pSession = nullptr;
        m_pServiceAdmin = nullptr;
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);
        m_strJournal = harness::StartStandInJournal("quillmere-stand-in-tests.txt");
        m_pMapi = std::make_unique<CStandIn>();
    }

    static void SetControl(const char* pszName, const std::string& strText) { harness::SetStandInText(pszName, strText); }
    static void Force(const std::string& strOperation, HRESULT hr) { harness::SetStandInStatus(strOperation, hr); }
    std::vector<std::string> ReadJournal() const { return harness::SplitLines(harness::ReadWholeFile(m_strJournal)); }

    std::string ReadLastJournalLine() const
    {
        const std::vector<std::string> vecLines = ReadJournal();
        return vecLines.empty() ? "" : vecLines.back();
    }

    // Initialises, makes the profile and opens its service administration:
    // ProfAdmin#1, Session#2, ServiceAdmin#3.
    // The same without a stop: the status of AdminServices.
    HRESULT OpenSession(const char* pszProfile)
    {
        m_pMapi->Initialize();
        m_pMapi->AdminProfiles(&m_pAdmin);
        m_pAdmin->CreateProfile(const_cast<LPSTR>(pszProfile), nullptr, 0, 0);
        m_pMapi->LogonEx(pszProfile, &m_pSession);
        return m_pSession->AdminServices(0, &m_pServiceAdmin);
    }

    void OpenProfile(const char* pszProfile)
    {
        ASSERT_EQ(S_OK, m_pMapi->Initialize());
        ASSERT_EQ(S_OK, m_pMapi->AdminProfiles(&m_pAdmin));
        ASSERT_EQ(S_OK, m_pAdmin->CreateProfile(const_cast<LPSTR>(pszProfile), nullptr, 0, 0));
        ASSERT_EQ(S_OK, m_pMapi->LogonEx(pszProfile, &m_pSession));
        ASSERT_EQ(S_OK, m_pSession->AdminServices(0, &m_pServiceAdmin));
    }

    void CloseProfile()
    {
        for (LPUNKNOWN pObject : {static_cast<LPUNKNOWN>(m_pServiceAdmin), static_cast<LPUNKNOWN>(m_pSession),
                                  static_cast<LPUNKNOWN>(m_pAdmin)})
            m_pMapi->Release(pObject);
        m_pServiceAdmin = nullptr;
        m_pSession = nullptr;
        m_pAdmin = nullptr;
        m_pMapi->Uninitialize();
    }

    HRESULT CreateService(const char* pszService)
    {
        return m_pServiceAdmin->CreateMsgService(const_cast<LPSTR>(pszService), const_cast<LPSTR>(pszService), 0, 0);
    }

    CExchangeUids CreateExchange()
    {
        EXPECT_EQ(S_OK, CreateService("MSEMS"));
        CExchangeUids uids = {};
        uids.m_uidService = UidOfSection(ReadSectionOrder(g_szProfile).at(0));
        uids.m_uidEmsmdb = ReadUidValue(uids.m_uidService, "01023d15");
        uids.m_uidStore = ReadUidValue(uids.m_uidEmsmdb, "01023d00");
        return uids;
    }

    LPPROFSECT OpenSection(const MAPIUID& uid, ULONG ulFlags)
    {
        LPPROFSECT pSection = nullptr;
        m_pServiceAdmin->OpenProfileSection(const_cast<LPMAPIUID>(&uid), nullptr, ulFlags, &pSection);
        return pSection;
    }

    // Microsoft's procedure for the Exchange service on Outlook 2016, as the
    // program is to take it, the sections found through their UID
    // properties: each step's status, up to the first that fails or gives no
    // UID. Every buffer is freed and every section released after.
    std::vector<HRESULT> TakeExchangeProcedure(const MAPIUID& uidService)
    {
        enum
        {
            iAddress,
            iName,
            iFlags,
            NUM_PROPS
        };
        SPropValue rgProps[NUM_PROPS] = {MakeText(PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W, L"jane@example.com"),
                                         MakeText(PR_DISPLAY_NAME_W, L"Jane Doe"), {}};
        rgProps[iFlags].ulPropTag = PR_PROFILE_CONFIG_FLAGS;
        rgProps[iFlags].Value.l = 0x100;
        static SizedSPropTagArray(1, s_sptEmsmdb) = {1, {PR_EMSMDB_SECTION_UID}};
        static SizedSPropTagArray(1, s_sptStore) = {1, {PR_STORE_PROVIDERS}};

        std::vector<HRESULT> vecSteps;
        LPPROFSECT rgpSections[3] = {};
        LPSPropValue rgpUids[2] = {};
        const auto Step = [&](HRESULT hr) {
            vecSteps.push_back(hr);
            return SUCCEEDED(hr);
        };
        const auto GetUid = [&](LPPROFSECT pSection, LPSPropTagArray pTags, LPSPropValue& pUid, MAPIUID& uid) {
            ULONG cValues = 0;
            if (!Step(pSection->GetProps(pTags, 0, &cValues, &pUid)) || pUid->ulPropTag != pTags->aulPropTag[0] ||
                pUid->Value.bin.cb < sizeof(uid))
                return false;
            memcpy(&uid, pUid->Value.bin.lpb, sizeof(uid));
            return true;
        };
        const auto SetAndSave = [&](LPPROFSECT pSection, ULONG cValues) {
            LPSPropProblemArray pProblems = nullptr;
            const bool bSet = Step(pSection->SetProps(cValues, rgProps, &pProblems));
            if (pProblems)
                m_pMapi->FreeBuffer(pProblems);
            return bSet && Step(pSection->SaveChanges(KEEP_OPEN_READWRITE));
        };
        [&] {
            MAPIUID uidEmsmdb = {};
            MAPIUID uidStore = {};
            if (!Step(m_pServiceAdmin->OpenProfileSection(const_cast<LPMAPIUID>(&uidService), nullptr,
                                                          MAPI_FORCE_ACCESS, &rgpSections[0])) ||
                !GetUid(rgpSections[0], reinterpret_cast<LPSPropTagArray>(&s_sptEmsmdb), rgpUids[0], uidEmsmdb) ||
                !Step(m_pServiceAdmin->OpenProfileSection(&uidEmsmdb, nullptr, MAPI_MODIFY, &rgpSections[1])) ||
                !SetAndSave(rgpSections[1], NUM_PROPS) ||
                !GetUid(rgpSections[1], reinterpret_cast<LPSPropTagArray>(&s_sptStore), rgpUids[1], uidStore))
                return;
            if (Step(m_pServiceAdmin->OpenProfileSection(&uidStore, nullptr, MAPI_FORCE_ACCESS | MAPI_MODIFY,
                                                         &rgpSections[2])))
                SetAndSave(rgpSections[2], iFlags);
        }();
        for (LPSPropValue pUid : rgpUids)
            if (pUid)
                m_pMapi->FreeBuffer(pUid);
        for (LPPROFSECT pSection : {rgpSections[2], rgpSections[1], rgpSections[0]})
            if (pSection)
                m_pMapi->Release(pSection);
        return vecSteps;
    }

    std::string m_strJournal;
    std::unique_ptr<CStandIn> m_pMapi;
    LPPROFADMIN m_pAdmin = nullptr;
    LPMAPISESSION m_pSession = nullptr;
    LPSERVICEADMIN m_pServiceAdmin = nullptr;
};

TEST_F(StandInTest, AnswersAsMapiDoes)
{
    // Nothing works before MAPIInitialize.
    LPPROFADMIN pAdmin = reinterpret_cast<LPPROFADMIN>(0x5E17);
    EXPECT_EQ(MAPI_E_NOT_INITIALIZED, m_pMapi->AdminProfiles(&pAdmin));
    EXPECT_EQ(nullptr, pAdmin);
    EXPECT_EQ("MAPIAdminProfiles(flags=0x00000000) -> 0x80040605 MAPI_E_NOT_INITIALIZED out=null",
              ReadLastJournalLine());

    OpenProfile("Existing");
    const std::string strLongest(64, 'p');
    const std::string strTooLong(65, 'p');
    static MAPIUID s_uidUnknown = {{0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                    0x11, 0x11, 0x11}};
    const auto Configure = [&](ULONG ulPropTag) {
        SPropValue rgProps[2] = {};
        rgProps[0].ulPropTag = PR_DISPLAY_NAME_A;
        rgProps[0].Value.lpszA = const_cast<LPSTR>("kept out");
        rgProps[1].ulPropTag = ulPropTag;
        rgProps[1].Value.err = MAPI_E_NOT_FOUND;
        // The Exchange service is the first and only one.
        MAPIUID uid = UidOfSection(ReadSectionOrder("Existing").at(0));
        return m_pServiceAdmin->ConfigureMsgService(&uid, 0, 0, 2, rgProps);
    };
    ASSERT_EQ(S_OK, CreateService("MSEMS"));

    const struct
    {
        const char* m_pszCase;
        std::function<HRESULT()> m_fnCall;
        HRESULT m_hrExpected;
        std::string m_strJournal;
    } rows[] = {
        {"create an existing profile",
         [&] { return m_pAdmin->CreateProfile(const_cast<LPSTR>("existing"), nullptr, 0, 0); }, MAPI_E_NO_ACCESS,
         "ProfAdmin#1.CreateProfile(profile=\"existing\", password=null, ui=0x0, flags=0x00000000) -> 0x80070005 "
         "MAPI_E_NO_ACCESS"},
        {"delete a missing profile", [&] { return m_pAdmin->DeleteProfile(const_cast<LPSTR>("Missing"), 0); },
         MAPI_E_NOT_FOUND,
         "ProfAdmin#1.DeleteProfile(profile=\"Missing\", flags=0x00000000) -> 0x8004010F MAPI_E_NOT_FOUND"},
        {"log on to a missing profile",
         [&] {
             LPMAPISESSION pSession = reinterpret_cast<LPMAPISESSION>(0x5E17);
             const HRESULT hr = m_pMapi->LogonEx("Missing", &pSession);
             EXPECT_EQ(nullptr, pSession);
             return hr;
         },
         MAPI_E_LOGON_FAILED,
         "MAPILogonEx(ui=0x0, profile=\"Missing\", password=null, flags=0x00008002) -> 0x80040111 MAPI_E_LOGON_FAILED "
         "out=null"},
        {"64 characters", [&] { return m_pAdmin->CreateProfile(const_cast<LPSTR>(strLongest.c_str()), nullptr, 0, 0); },
         S_OK,
         "ProfAdmin#1.CreateProfile(profile=\"" + strLongest +
             "\", password=null, ui=0x0, flags=0x00000000) -> 0x00000000 S_OK"},
        {"65 characters", [&] { return m_pAdmin->CreateProfile(const_cast<LPSTR>(strTooLong.c_str()), nullptr, 0, 0); },
         MAPI_E_INVALID_PARAMETER,
         "ProfAdmin#1.CreateProfile(profile=\"" + strTooLong +
             "\", password=null, ui=0x0, flags=0x00000000) -> 0x80070057 MAPI_E_INVALID_PARAMETER"},
        {"backslash, create", [&] { return m_pAdmin->CreateProfile(const_cast<LPSTR>("Existing\\x"), nullptr, 0, 0); },
         MAPI_E_INVALID_PARAMETER,
         "ProfAdmin#1.CreateProfile(profile=\"Existing\\\\x\", password=null, ui=0x0, flags=0x00000000) -> "
         "0x80070057 MAPI_E_INVALID_PARAMETER"},
        {"backslash, log on",
         [&] {
             LPMAPISESSION pSession = nullptr;
             return m_pMapi->LogonEx("a\\b", &pSession);
         },
         MAPI_E_INVALID_PARAMETER,
         "MAPILogonEx(ui=0x0, profile=\"a\\\\b\", password=null, flags=0x00008002) -> 0x80070057 "
         "MAPI_E_INVALID_PARAMETER out=null"},
        {"unknown service", [&] { return CreateService("MSFOO"); }, MAPI_E_NOT_FOUND,
         "ServiceAdmin#3.CreateMsgService(service=\"MSFOO\", display=\"MSFOO\", ui=0x0, flags=0x00000000) -> "
         "0x8004010F MAPI_E_NOT_FOUND"},
        {"unknown service UID",
         [&] { return m_pServiceAdmin->ConfigureMsgService(&s_uidUnknown, 0, 0, 0, nullptr); }, MAPI_E_NOT_FOUND,
         "ServiceAdmin#3.ConfigureMsgService(uid=unknown, ui=0x0, flags=0x00000000, props=null) -> 0x8004010F "
         "MAPI_E_NOT_FOUND"},
        {"PT_NULL entry", [&] { return Configure(PROP_TAG(PT_NULL, 0x6608)); }, MAPI_E_INVALID_PARAMETER,
         "ServiceAdmin#3.ConfigureMsgService(uid=1:MSEMS, ui=0x0, flags=0x00000000, props=[0x3001001E \"kept out\", "
         "0x66080001 null]) -> 0x80070057 MAPI_E_INVALID_PARAMETER"},
        {"PT_ERROR entry", [&] { return Configure(PROP_TAG(PT_ERROR, 0x6608)); }, MAPI_E_INVALID_PARAMETER,
         "ServiceAdmin#3.ConfigureMsgService(uid=1:MSEMS, ui=0x0, flags=0x00000000, props=[0x3001001E \"kept out\", "
         "0x6608000A error 0x8004010F MAPI_E_NOT_FOUND]) -> 0x80070057 MAPI_E_INVALID_PARAMETER"},
        {"zero tag, PT_UNSPECIFIED", [&] { return Configure(0); }, MAPI_E_INVALID_PARAMETER,
         "ServiceAdmin#3.ConfigureMsgService(uid=1:MSEMS, ui=0x0, flags=0x00000000, props=[0x3001001E \"kept out\", "
         "0x00000000 ?]) -> 0x80070057 MAPI_E_INVALID_PARAMETER"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        const HRESULT hr = row.m_fnCall();
        EXPECT_EQ(row.m_hrExpected, hr);
        EXPECT_EQ(row.m_strJournal, ReadLastJournalLine());
    }
    // A refused array is refused whole: its valid entry was not kept either.
    EXPECT_EQ(CRegValue({REG_BINARY, std::string("Microsoft Exchange\0", 19)}),
              harness::ReadRegValue(HKEY_CURRENT_USER,
                                    (ProfileKey("Existing") + "\\" + ReadSectionOrder("Existing").at(0)).c_str(),
                                    "001e3001"));
    // The names refused never reached the store.
    EXPECT_EQ((std::vector<std::string>{"Existing", strLongest}),
              harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
    CloseProfile();
}

// What a client gives back, and what it does not, as MAPIUninitialize and the
// unload report it.
TEST_F(StandInTest, TheUnloadReportsWhatTheClientLeft)
{
    const struct
    {
        const char* m_pszCase;
        std::function<void(StandInTest&)> m_fnClient;
        std::vector<std::string> m_vecJournalEnd;
    } rows[] = {
        {"an object kept",
         [](StandInTest& test) {
             test.OpenProfile(g_szProfile);
             test.m_pMapi->Release(test.m_pServiceAdmin);
             test.m_pMapi->Release(test.m_pAdmin);
             test.m_pMapi->Uninitialize();
         },
         {"UlRelease(ProfAdmin#1) -> 0", "MAPIUninitialize() -> inits=1 uninits=1 alive=[Session#2] buffers=0",
          "DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[Session#2] buffers=0"}},
        {"a row set kept",
         [](StandInTest& test) {
             test.OpenProfile(g_szProfile);
             test.CreateService("MSEMS");
             test.CreateService("CONTAB");
             LPMAPITABLE pTable = nullptr;
             test.m_pServiceAdmin->GetMsgServiceTable(0, &pTable);
             LPSRowSet pRows = nullptr;
             test.m_pMapi->QueryAllRows(pTable, nullptr, 0, &pRows);
             test.m_pMapi->Release(pTable);
             test.CloseProfile();
         },
         {"MAPIUninitialize() -> inits=1 uninits=1 alive=[Rows#5] buffers=3",
          "DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[Rows#5] buffers=3"}},
        // A buffer is named by the call that gave it; freed once, it is gone.
        {"a section and the properties it gave kept, others freed twice",
         [](StandInTest& test) {
             test.OpenProfile(g_szProfile);
             LPPROFSECT pSection = test.OpenSection(test.CreateExchange().m_uidEmsmdb, 0);
             LPSPropValue rgpProps[2] = {};
             ULONG cValues = 0;
             for (LPSPropValue& pProps : rgpProps)
                 pSection->GetProps(nullptr, 0, &cValues, &pProps);
             for (int i = 0; i < 2; ++i)
                 test.m_pMapi->FreeBuffer(rgpProps[1]);
             test.m_pMapi->FreeBuffer(nullptr);
             test.CloseProfile();
         },
         {"MAPIFreeBuffer(Props#6)", "MAPIFreeBuffer(unknown)", "MAPIFreeBuffer(null)", "UlRelease(ServiceAdmin#3) -> 0",
          "UlRelease(Session#2) -> 0", "UlRelease(ProfAdmin#1) -> 0",
          "MAPIUninitialize() -> inits=1 uninits=1 alive=[ProfSect#4, Props#5] buffers=1",
          "DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[ProfSect#4, Props#5] buffers=1"}},
        {"initialised twice, uninitialised once",
         [](StandInTest& test) {
             test.m_pMapi->Initialize();
             test.m_pMapi->Initialize();
             test.m_pMapi->Uninitialize();
         },
         {"MAPIInitialize(init=null) -> 0x00000000 S_OK", "MAPIUninitialize() -> inits=2 uninits=1 alive=[] buffers=0",
          "DllMain(DLL_PROCESS_DETACH) -> inits=2 uninits=1 alive=[] buffers=0"}},
        // What a client does that uninitialises after a failed MAPIInitialize.
        {"uninitialised after a failed initialisation",
         [](StandInTest& test) {
             Force(standin::szForceMAPIInitialize, MAPI_E_CALL_FAILED);
             test.m_pMapi->Initialize();
             test.m_pMapi->Uninitialize();
         },
         {"MAPIInitialize(init=null) -> 0x80004005 MAPI_E_CALL_FAILED",
          "MAPIUninitialize() -> unbalanced inits=0 uninits=1 alive=[] buffers=0",
          "DllMain(DLL_PROCESS_DETACH) -> inits=0 uninits=1 alive=[] buffers=0"}},
        // An unbalanced uninitialisation must not undo a later initialisation.
        {"unbalanced, then initialised",
         [](StandInTest& test) {
             test.m_pMapi->Uninitialize();
             test.OpenProfile(g_szProfile);
             test.CloseProfile();
         },
         {"UlRelease(ProfAdmin#1) -> 0", "MAPIUninitialize() -> inits=1 uninits=2 alive=[] buffers=0",
          "DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=2 alive=[] buffers=0"}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        Restart();
        row.m_fnClient(*this);
        m_pMapi->Unload();
        const std::vector<std::string> vecJournal = ReadJournal();
        ASSERT_GE(vecJournal.size(), row.m_vecJournalEnd.size());
        EXPECT_EQ(row.m_vecJournalEnd,
                  std::vector<std::string>(vecJournal.end() - row.m_vecJournalEnd.size(), vecJournal.end()));
    }
}

TEST_F(StandInTest, ReferenceCountsAreReal)
{
    ASSERT_EQ(S_OK, m_pMapi->Initialize());
    LPPROFADMIN pAdmin = nullptr;
    ASSERT_EQ(S_OK, m_pMapi->AdminProfiles(&pAdmin));
    EXPECT_EQ(2u, pAdmin->AddRef());
    LPUNKNOWN pUnknown = reinterpret_cast<LPUNKNOWN>(0x5E17);
    EXPECT_EQ(S_OK, pAdmin->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnknown)));
    EXPECT_EQ(static_cast<LPUNKNOWN>(pAdmin), pUnknown);
    LPUNKNOWN pStream = reinterpret_cast<LPUNKNOWN>(0x5E17);
    EXPECT_EQ(MAPI_E_INTERFACE_NOT_SUPPORTED, pAdmin->QueryInterface(IID_IStream, reinterpret_cast<void**>(&pStream)));
    EXPECT_EQ(nullptr, pStream);
    EXPECT_EQ(2u, pAdmin->Release());
    EXPECT_EQ(1u, m_pMapi->Release(pAdmin));
    EXPECT_EQ(0u, m_pMapi->Release(pAdmin));
    // Gone: a further release is journaled, not made.
    EXPECT_EQ(0u, m_pMapi->Release(pAdmin));
    m_pMapi->Uninitialize();

    EXPECT_EQ((std::vector<std::string>{
                  "MAPIInitialize(init=null) -> 0x00000000 S_OK",
                  "MAPIAdminProfiles(flags=0x00000000) -> 0x00000000 S_OK out=ProfAdmin#1",
                  "ProfAdmin#1.AddRef() -> 2",
                  "ProfAdmin#1.QueryInterface(iid={00000000-0000-0000-C000-000000000046}) -> 0x00000000 S_OK "
                  "out=ProfAdmin#1",
                  "ProfAdmin#1.QueryInterface(iid={0000000C-0000-0000-C000-000000000046}) -> 0x80004002 "
                  "MAPI_E_INTERFACE_NOT_SUPPORTED out=null",
                  "ProfAdmin#1.Release() -> 2",
                  "UlRelease(ProfAdmin#1) -> 1",
                  "UlRelease(ProfAdmin#1) -> 0",
                  "UlRelease(unknown) -> 0",
                  "MAPIUninitialize() -> inits=1 uninits=1 alive=[] buffers=0",
              }),
              ReadJournal());
}

// A forced failure replaces the operation; a forced warning qualifies it.
TEST_F(StandInTest, AForcedStatusReplacesOrQualifiesTheOperation)
{
    const HRESULT hrWarning = MAPI_W_ERRORS_RETURNED;
    const struct
    {
        const char* m_pszCase;
        std::vector<std::pair<std::string, HRESULT>> m_vecForced;
        std::function<HRESULT(StandInTest&)> m_fnCall;
        HRESULT m_hrExpected;
        std::string m_strJournal;
        std::vector<std::string> m_vecProfiles;
    } rows[] = {
        {"failed creation",
         {{standin::szForceCreateProfile, MAPI_E_CALL_FAILED}},
         [](StandInTest& test) {
             test.m_pMapi->Initialize();
             test.m_pMapi->AdminProfiles(&test.m_pAdmin);
             return test.m_pAdmin->CreateProfile(const_cast<LPSTR>("Forced"), nullptr, 0, 0);
         },
         MAPI_E_CALL_FAILED,
         "ProfAdmin#1.CreateProfile(profile=\"Forced\", password=null, ui=0x0, flags=0x00000000) -> 0x80004005 "
         "MAPI_E_CALL_FAILED",
         {}},
        {"failed service administration",
         {{standin::szForceAdminServices, MAPI_E_CALL_FAILED}},
         [](StandInTest& test) { return test.OpenSession("Forced"); },
         MAPI_E_CALL_FAILED, "Session#2.AdminServices(flags=0x00000000) -> 0x80004005 MAPI_E_CALL_FAILED out=null",
         {"Forced"}},
        {"service administration with a warning",
         {{standin::szForceAdminServices, hrWarning}},
         [](StandInTest& test) { return test.OpenSession("Forced"); },
         hrWarning, "Session#2.AdminServices(flags=0x00000000) -> 0x00040380 MAPI_W_ERRORS_RETURNED out=ServiceAdmin#3",
         {"Forced"}},
        // The service's own value is asked first.
        {"one service failed, others warned",
         {{standin::szForceCreateMsgService, hrWarning},
          {standin::ForcePerService(standin::szForceCreateMsgService, "MSEMS"), MAPI_E_CALL_FAILED}},
         [](StandInTest& test) {
             test.OpenProfile("Forced");
             EXPECT_EQ(MAPI_E_CALL_FAILED, test.CreateService("MSEMS"));
             return test.CreateService("CONTAB");
         },
         hrWarning,
         "ServiceAdmin#3.CreateMsgService(service=\"CONTAB\", display=\"CONTAB\", ui=0x0, flags=0x00000000) -> "
         "0x00040380 MAPI_W_ERRORS_RETURNED created=1:CONTAB",
         {"Forced"}},
        {"failed initialisation",
         {{standin::szForceMAPIInitialize, MAPI_E_CALL_FAILED}},
         [](StandInTest& test) {
             EXPECT_EQ(MAPI_E_CALL_FAILED, test.m_pMapi->Initialize());
             return test.m_pMapi->AdminProfiles(&test.m_pAdmin);
         },
         MAPI_E_NOT_INITIALIZED, "MAPIAdminProfiles(flags=0x00000000) -> 0x80040605 MAPI_E_NOT_INITIALIZED out=null",
         {}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        Restart();
        for (const auto& [strOperation, hr] : row.m_vecForced)
            Force(strOperation, hr);
        const HRESULT hr = row.m_fnCall(*this);
        EXPECT_EQ(row.m_hrExpected, hr);
        EXPECT_EQ(row.m_strJournal, ReadLastJournalLine());
        EXPECT_EQ(row.m_vecProfiles, harness::ListRegSubkeys(HKEY_CURRENT_USER, standin::szProfilesKey));
        CloseProfile();
    }
}

TEST_F(StandInTest, TheServiceTableListsItsRowsInTheOrderAsked)
{
    enum
    {
        iName,
        iUid,
        NUM_COLUMNS
    };
    static SizedSPropTagArray(NUM_COLUMNS, s_sptColumns) = {NUM_COLUMNS, {PR_SERVICE_NAME_A, PR_SERVICE_UID}};

    OpenProfile(g_szProfile);
    for (const char* pszService : {"MSEMS", "CONTAB", "MSUPST MS"})
        ASSERT_EQ(S_OK, CreateService(pszService));
    const std::vector<std::string> vecSections = ReadSectionOrder(g_szProfile);
    ASSERT_EQ(3u, vecSections.size());

    const struct
    {
        const char* m_pszOrder; // null: none set
        std::vector<size_t> m_vecCreation;
        const char* m_pszJournalRows;
    } rows[] = {
        {nullptr, {0, 1, 2}, "[1:MSEMS, 2:CONTAB, 3:MSUPST MS]"},
        {standin::szRowOrderReversed, {2, 1, 0}, "[3:MSUPST MS, 2:CONTAB, 1:MSEMS]"},
        // What is no index of a row is passed over.
        {"x,7,1", {1}, "[2:CONTAB]"},
    };
    const char* const rgpszNames[] = {"MSEMS", "CONTAB", "MSUPST MS"};
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszOrder ? row.m_pszOrder : "none");
        harness::DeleteRegValue(HKEY_CURRENT_USER, standin::szControlKey, standin::szRowOrderValue);
        if (row.m_pszOrder)
            SetControl(standin::szRowOrderValue, row.m_pszOrder);
        LPMAPITABLE pTable = nullptr;
        ASSERT_EQ(S_OK, m_pServiceAdmin->GetMsgServiceTable(0, &pTable));
        LPSRowSet pRows = reinterpret_cast<LPSRowSet>(0x5E17);
        ASSERT_EQ(S_OK, m_pMapi->QueryAllRows(pTable, reinterpret_cast<LPSPropTagArray>(&s_sptColumns), 0, &pRows));
        // Each pass takes a table and a row set: Table#4 and Rows#5 first.
        const size_t nTable = 4 + 2 * static_cast<size_t>(&row - rows);
        EXPECT_EQ("HrQueryAllRows(table=Table#" + std::to_string(nTable) +
                      ", columns=[0x3D09001E, 0x3D0C0102], restriction=null, sort=null, max=0) -> 0x00000000 S_OK "
                      "out=Rows#" +
                      std::to_string(nTable + 1) + " " + row.m_pszJournalRows,
                  ReadLastJournalLine());

        ASSERT_EQ(row.m_vecCreation.size(), pRows->cRows);
        for (ULONG i = 0; i < pRows->cRows; ++i)
        {
            const SRow& sRow = pRows->aRow[i];
            ASSERT_EQ(static_cast<ULONG>(NUM_COLUMNS), sRow.cValues);
            EXPECT_EQ(PR_SERVICE_NAME_A, sRow.lpProps[iName].ulPropTag);
            EXPECT_STREQ(rgpszNames[row.m_vecCreation[i]], sRow.lpProps[iName].Value.lpszA);
            EXPECT_EQ(PR_SERVICE_UID, sRow.lpProps[iUid].ulPropTag);
            EXPECT_EQ(vecSections[row.m_vecCreation[i]],
                      HexOf(sRow.lpProps[iUid].Value.bin.lpb, sRow.lpProps[iUid].Value.bin.cb));
        }
        m_pMapi->FreeRows(pRows);
        m_pMapi->Release(pTable);
    }
    // HrQueryAllRows's limit: more rows than allowed is an error, not a cut.
    harness::DeleteRegValue(HKEY_CURRENT_USER, standin::szControlKey, standin::szRowOrderValue);
    LPMAPITABLE pTable = nullptr;
    ASSERT_EQ(S_OK, m_pServiceAdmin->GetMsgServiceTable(0, &pTable));
    LPSRowSet pRows = reinterpret_cast<LPSRowSet>(0x5E17);
    EXPECT_EQ(MAPI_E_TABLE_TOO_BIG,
              m_pMapi->QueryAllRows(pTable, reinterpret_cast<LPSPropTagArray>(&s_sptColumns), 2, &pRows));
    EXPECT_EQ(nullptr, pRows);
    m_pMapi->Release(pTable);
    CloseProfile();
    EXPECT_EQ("MAPIUninitialize() -> inits=1 uninits=1 alive=[] buffers=0", ReadLastJournalLine());
}

// Where profiles outlive a run, and the dump tool that shows them.
TEST_F(StandInTest, ProfilesAreKeptWhereOutlookKeepsThem)
{
    OpenProfile(g_szProfile);
    ASSERT_EQ(S_OK, CreateService("MSEMS"));
    ASSERT_EQ(S_OK, CreateService("CONTAB"));
    const std::vector<std::string> vecSections = ReadSectionOrder(g_szProfile);
    ASSERT_EQ(2u, vecSections.size());
    MAPIUID uid = UidOfSection(vecSections[0]);
    const MAPIUID uidEmsmdb = ReadUidValue(uid, "01023d15");
    const MAPIUID uidStore = ReadUidValue(uidEmsmdb, "01023d00");

    enum
    {
        iServer,
        iCached,
        iPrivate,
        iProxy,
        iBytes,
        NUM_PROPS
    };
    BYTE rgbBytes[] = {0x00, 0xFF};
    SPropValue rgProps[NUM_PROPS] = {};
    rgProps[iServer].ulPropTag = PROP_TAG(PT_STRING8, 0x6608);
    rgProps[iServer].Value.lpszA = const_cast<LPSTR>("mail.example.com");
    rgProps[iCached].ulPropTag = PROP_TAG(PT_LONG, 0x6601);
    rgProps[iCached].Value.l = 0x180;
    rgProps[iPrivate].ulPropTag = PROP_TAG(PT_BOOLEAN, 0x3D04);
    rgProps[iPrivate].Value.b = 1;
    rgProps[iProxy].ulPropTag = PROP_TAG(PT_UNICODE, 0x6622);
    rgProps[iProxy].Value.lpszW = const_cast<LPWSTR>(L"w\u00e9b");
    rgProps[iBytes].ulPropTag = PROP_TAG(PT_BINARY, 0x6700);
    rgProps[iBytes].Value.bin.cb = sizeof(rgbBytes);
    rgProps[iBytes].Value.bin.lpb = rgbBytes;
    ASSERT_EQ(S_OK, m_pServiceAdmin->ConfigureMsgService(&uid, 0, 0, NUM_PROPS, rgProps));
    ASSERT_EQ(S_OK, m_pAdmin->SetDefaultProfile(const_cast<LPSTR>(g_szProfile), 0));

    // The Exchange service's provider sections are kept beside the services'.
    std::vector<std::string> vecSorted = vecSections;
    vecSorted.push_back(HexOf(uidEmsmdb.ab, sizeof(uidEmsmdb.ab)));
    vecSorted.push_back(HexOf(uidStore.ab, sizeof(uidStore.ab)));
    std::sort(vecSorted.begin(), vecSorted.end());
    EXPECT_EQ(vecSorted, harness::ListRegSubkeys(HKEY_CURRENT_USER, ProfileKey(g_szProfile).c_str()));
    const std::string strSection = ProfileKey(g_szProfile) + "\\" + vecSections[0];
    const struct
    {
        const char* m_pszName;
        std::string m_strBytes;
    } stored[] = {
        {"00036601", std::string("\x80\x01\0\0", 4)},
        {"000b3d04", std::string("\x01\0", 2)},
        {"001e3001", std::string("Microsoft Exchange\0", 19)},
        {"001e3d09", std::string("MSEMS\0", 6)},
        {"001e6608", std::string("mail.example.com\0", 17)},
        {"001f6622", std::string("w\0\xe9\0b\0\0\0", 8)},
        {"01023d0c", std::string(reinterpret_cast<const char*>(uid.ab), sizeof(uid.ab))},
        {"01023d15", std::string(reinterpret_cast<const char*>(uidEmsmdb.ab), sizeof(uidEmsmdb.ab))},
        {"01026700", std::string("\0\xff", 2)},
    };
    std::vector<std::string> vecNames;
    for (const auto& value : stored)
    {
        SCOPED_TRACE(value.m_pszName);
        vecNames.push_back(value.m_pszName);
        EXPECT_EQ(CRegValue({REG_BINARY, value.m_strBytes}),
                  harness::ReadRegValue(HKEY_CURRENT_USER, strSection.c_str(), value.m_pszName));
    }
    std::vector<std::string> vecListed = harness::ListRegValues(HKEY_CURRENT_USER, strSection.c_str());
    std::sort(vecListed.begin(), vecListed.end());
    EXPECT_EQ(vecNames, vecListed);
    EXPECT_EQ(CRegValue({REG_SZ, std::string(g_szProfile) + '\0'}),
              harness::ReadRegValue(HKEY_CURRENT_USER, standin::szOutlookKey, standin::szDefaultProfileValue));

    harness::CRunOptions options;
    options.m_strProgram = harness::LocateBesideSelf("mapi32_stand_in_dump.exe");
    const harness::CRunResult dump = harness::RunQuillmere({}, options);
    EXPECT_EQ(0u, dump.m_dwExitCode);
    EXPECT_EQ(harness::Crlf("Profile \"Mail - Jane Doe\" (default)\n"
                            "  Service 1: MSEMS \"Microsoft Exchange\"\n"
                            "    PR_DEFAULT_PROFILE 0x3D04000B = true\n"
                            "    PR_EMSMDB_SECTION_UID 0x3D150102 = <{1:MSEMS/EMSMDB}>\n"
                            "    PR_PROFILE_CONFIG_FLAGS 0x66010003 = 0x00000180\n"
                            "    PR_PROFILE_UNRESOLVED_SERVER 0x6608001E = \"mail.example.com\"\n"
                            "    PR_ROH_PROXY_SERVER 0x6622001F = L\"w\\u00E9b\"\n"
                            "    0x67000102 = <00FF>\n"
                            "    Section 1:MSEMS/EMSMDB\n"
                            "      PR_STORE_PROVIDERS 0x3D000102 = <{1:MSEMS/store}>\n"
                            "    Section 1:MSEMS/store\n"
                            "  Service 2: CONTAB \"Outlook Address Book\"\n"),
              dump.m_strStdout);

    // A null name takes the default away. Deletion takes the profile whole,
    // but while a session is open on it only marks it, as MAPI does.
    ASSERT_EQ(S_OK, m_pAdmin->SetDefaultProfile(nullptr, 0));
    EXPECT_EQ(std::nullopt,
              harness::ReadRegValue(HKEY_CURRENT_USER, standin::szOutlookKey, standin::szDefaultProfileValue));
    ASSERT_EQ(S_OK, m_pAdmin->DeleteProfile(const_cast<LPSTR>(g_szProfile), 0));
    EXPECT_TRUE(harness::RegKeyExists(HKEY_CURRENT_USER, ProfileKey(g_szProfile).c_str()));
    EXPECT_EQ(MAPI_E_NO_ACCESS, m_pAdmin->CreateProfile(const_cast<LPSTR>(g_szProfile), nullptr, 0, 0));
    CloseProfile();
    EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, ProfileKey(g_szProfile).c_str()));
}

// Every 32-bit MAPI32 exports MAPIFreeBuffer@4 at 17; on x64 a trap sits there.
TEST_F(StandInTest, Ordinal17IsMapiFreeBufferOnX86Only)
{
    const bool b64Bit = sizeof(void*) == 8;
    const FARPROC pfn = m_pMapi->BindOrdinal(17);
    ASSERT_NE(nullptr, pfn);
    const ULONG ulAnswer = reinterpret_cast<ULONG WINAPI (*)(LPVOID)>(reinterpret_cast<void (*)()>(pfn))(nullptr);
    EXPECT_EQ(b64Bit ? static_cast<ULONG>(MAPI_E_CALL_FAILED) : 0u, ulAnswer);
    EXPECT_EQ(b64Bit ? "Ordinal17() -> bound by a 32-bit ordinal 0x80004005 MAPI_E_CALL_FAILED" : "MAPIFreeBuffer(null)",
              ReadLastJournalLine());
}

// The procedure whole, what it journals, what it leaves, and the dump of it.
TEST_F(StandInTest, TheExchangeServiceTakesMicrosoftsProcedure)
{
    OpenProfile(g_szProfile);
    const CExchangeUids uids = CreateExchange();
    const size_t cBefore = ReadJournal().size();
    EXPECT_EQ(std::vector<HRESULT>(std::size(g_rgszProcedureJournal), S_OK), TakeExchangeProcedure(uids.m_uidService));
    CloseProfile();
    m_pMapi->Unload();

    std::vector<std::string> vecExpected(std::begin(g_rgszProcedureJournal), std::end(g_rgszProcedureJournal));
    vecExpected.insert(vecExpected.end(), {"MAPIFreeBuffer(Props#5)", "MAPIFreeBuffer(Props#7)",
                                           "UlRelease(ProfSect#8) -> 0", "UlRelease(ProfSect#6) -> 0",
                                           "UlRelease(ProfSect#4) -> 0", "UlRelease(ServiceAdmin#3) -> 0",
                                           "UlRelease(Session#2) -> 0", "UlRelease(ProfAdmin#1) -> 0",
                                           "MAPIUninitialize() -> inits=1 uninits=1 alive=[] buffers=0",
                                           "DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[] buffers=0"});
    const std::vector<std::string> vecJournal = ReadJournal();
    ASSERT_GE(vecJournal.size(), cBefore);
    EXPECT_EQ(vecExpected, std::vector<std::string>(vecJournal.begin() + cBefore, vecJournal.end()));
    EXPECT_EQ(DumpOfExchange("      PR_DISPLAY_NAME_W 0x3001001F = L\"Jane Doe\"\n" + std::string(g_szStoreProvidersLine) +
                                 "      PR_PROFILE_CONFIG_FLAGS 0x66010003 = 0x00000100\n"
                                 "      PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W 0x6641001F = L\"jane@example.com\"\n",
                             "      PR_DISPLAY_NAME_W 0x3001001F = L\"Jane Doe\"\n"
                             "      PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W 0x6641001F = L\"jane@example.com\"\n"),
              RunDump());
}

TEST_F(StandInTest, OpenProfileSectionAnswersAsMapiDocumentsIt)
{
    OpenProfile(g_szProfile);
    const CExchangeUids uids = CreateExchange();
    static const MAPIUID s_uidNew = {{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD,
                                      0xEE, 0xFF, 0x00}};
    const struct
    {
        const char* m_pszCase;
        const MAPIUID* m_pUid;
        LPCIID m_pIid;
        ULONG m_ulFlags;
        HRESULT m_hrExpected;
        std::string m_strJournal;
    } rows[] = {
        // Sections a service or its provider owns need MAPI_FORCE_ACCESS.
        {"the service's own", &uids.m_uidService, nullptr, MAPI_MODIFY, MAPI_E_NO_ACCESS,
         "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS, iid=null, flags=0x00000001) -> 0x80070005 MAPI_E_NO_ACCESS "
         "out=null"},
        {"the store provider's", &uids.m_uidStore, nullptr, MAPI_MODIFY, MAPI_E_NO_ACCESS,
         "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS/store, iid=null, flags=0x00000001) -> 0x80070005 "
         "MAPI_E_NO_ACCESS out=null"},
        {"the EMSMDB section", &uids.m_uidEmsmdb, nullptr, 0, S_OK,
         "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS/EMSMDB, iid=null, flags=0x00000000) -> 0x00000000 S_OK "
         "out=ProfSect#4"},
        // A UID of no section makes one, but only for writing.
        {"a new UID, to read", &s_uidNew, nullptr, MAPI_FORCE_ACCESS, MAPI_E_NOT_FOUND,
         "ServiceAdmin#3.OpenProfileSection(uid=unknown, iid=null, flags=0x00080000) -> 0x8004010F MAPI_E_NOT_FOUND "
         "out=null"},
        {"a new UID, to write", &s_uidNew, nullptr, MAPI_MODIFY, S_OK,
         "ServiceAdmin#3.OpenProfileSection(uid=unknown, iid=null, flags=0x00000001) -> 0x00000000 S_OK "
         "out=ProfSect#5"},
        {"IMAPIProp", &uids.m_uidEmsmdb, &g_iidIMAPIProp, 0, S_OK,
         "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS/EMSMDB, iid={00020303-0000-0000-C000-000000000046}, "
         "flags=0x00000000) -> 0x00000000 S_OK out=ProfSect#6"},
        {"IStream", &uids.m_uidEmsmdb, &IID_IStream, 0, MAPI_E_INTERFACE_NOT_SUPPORTED,
         "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS/EMSMDB, iid={0000000C-0000-0000-C000-000000000046}, "
         "flags=0x00000000) -> 0x80004002 MAPI_E_INTERFACE_NOT_SUPPORTED out=null"},
        // MAPI_UNICODE is no flag of OpenProfileSection's.
        {"MAPI_UNICODE", &uids.m_uidEmsmdb, nullptr, MAPI_UNICODE, MAPI_E_UNKNOWN_FLAGS,
         "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS/EMSMDB, iid=null, flags=0x80000000) -> 0x80040106 "
         "MAPI_E_UNKNOWN_FLAGS out=null"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        LPPROFSECT pSection = reinterpret_cast<LPPROFSECT>(0x5E17);
        EXPECT_EQ(row.m_hrExpected, m_pServiceAdmin->OpenProfileSection(const_cast<LPMAPIUID>(row.m_pUid),
                                                                        row.m_pIid, row.m_ulFlags, &pSection));
        EXPECT_EQ(row.m_strJournal, ReadLastJournalLine());
        EXPECT_EQ(SUCCEEDED(row.m_hrExpected), pSection != nullptr);
        if (pSection)
            m_pMapi->Release(pSection);
    }
    // A section answers for IMAPIProp as well as IProfSect.
    LPPROFSECT pSection = OpenSection(uids.m_uidEmsmdb, 0);
    for (const IID& riid : {g_iidIMAPIProp, g_iidIProfSect})
    {
        LPUNKNOWN pUnknown = nullptr;
        EXPECT_EQ(S_OK, pSection->QueryInterface(riid, reinterpret_cast<void**>(&pUnknown)));
        EXPECT_EQ(static_cast<LPUNKNOWN>(pSection), pUnknown);
        pUnknown->Release();
    }
    m_pMapi->Release(pSection);
    CloseProfile();
}

// SetProps' values are the section's only once SaveChanges keeps them; until
// then only the object they were set on sees them.
TEST_F(StandInTest, OnlySaveChangesKeepsWhatSetPropsSet)
{
    static const MAPIUID s_uidNew = {{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD,
                                      0xEE, 0xFF, 0x00}};
    SPropValue propAddress = MakeText(PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W, L"jane@example.com");
    SPropValue propNameW = MakeText(PR_DISPLAY_NAME_W, L"Jane");
    static SizedSPropTagArray(1, s_sptAddress) = {1, {PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W}};
    const std::string strSetAddress =
        ".SetProps(props=[0x6641001F L\"jane@example.com\"]) -> 0x00000000 S_OK problems=null";
    const std::string strAddressLine = "      PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W 0x6641001F = L\"jane@example.com\"\n";
    const struct
    {
        const char* m_pszCase;
        std::function<void(StandInTest&, LPPROFSECT, LPPROFSECT)> m_fnClient; // the EMSMDB section, for writing and not
        std::vector<std::string> m_vecJournal; // after both sections' opening
        std::string m_strDump;
    } rows[] = {
        {"saved",
         [&](StandInTest&, LPPROFSECT pWrite, LPPROFSECT) {
             pWrite->SetProps(1, &propAddress, nullptr);
             pWrite->SaveChanges(KEEP_OPEN_READWRITE);
         },
         {"ProfSect#4" + strSetAddress, "ProfSect#4.SaveChanges(flags=0x00000002) -> 0x00000000 S_OK"},
         DumpOfExchange(g_szStoreProvidersLine + strAddressLine)},
        {"seen before the save by its own object only",
         [&](StandInTest& test, LPPROFSECT pWrite, LPPROFSECT pRead) {
             pWrite->SetProps(1, &propAddress, nullptr);
             for (LPPROFSECT pSection : {pWrite, pRead})
             {
                 LPSPropValue pProps = nullptr;
                 ULONG cValues = 0;
                 pSection->GetProps(reinterpret_cast<LPSPropTagArray>(&s_sptAddress), 0, &cValues, &pProps);
                 test.m_pMapi->FreeBuffer(pProps);
             }
         },
         {"ProfSect#4" + strSetAddress,
          "ProfSect#4.GetProps(tags=[0x6641001F], flags=0x00000000) -> 0x00000000 S_OK out=Props#6 "
          "[0x6641001F L\"jane@example.com\"]",
          "MAPIFreeBuffer(Props#6)",
          "ProfSect#5.GetProps(tags=[0x6641001F], flags=0x00000000) -> 0x00040380 MAPI_W_ERRORS_RETURNED out=Props#7 "
          "[0x6641000A error 0x8004010F MAPI_E_NOT_FOUND]",
          "MAPIFreeBuffer(Props#7)", "ProfSect#4 ended: unsaved [0x6641001F] dropped"},
         DumpOfExchange(g_szStoreProvidersLine)},
        // Opened without MAPI_MODIFY, or kept open by SaveChanges for reading only.
        {"read-only",
         [&](StandInTest&, LPPROFSECT pWrite, LPPROFSECT pRead) {
             pRead->SetProps(1, &propAddress, nullptr);
             pRead->SaveChanges(KEEP_OPEN_READWRITE);
             pWrite->SaveChanges(KEEP_OPEN_READONLY);
             pWrite->SetProps(1, &propAddress, nullptr);
         },
         {"ProfSect#5.SetProps(props=[0x6641001F L\"jane@example.com\"]) -> 0x80070005 MAPI_E_NO_ACCESS problems=null",
          "ProfSect#5.SaveChanges(flags=0x00000002) -> 0x80070005 MAPI_E_NO_ACCESS",
          "ProfSect#4.SaveChanges(flags=0x00000001) -> 0x00000000 S_OK",
          "ProfSect#4.SetProps(props=[0x6641001F L\"jane@example.com\"]) -> 0x80070005 MAPI_E_NO_ACCESS problems=null"},
         DumpOfExchange(g_szStoreProvidersLine)},
        {"a new section",
         [&](StandInTest& test, LPPROFSECT, LPPROFSECT) {
             LPPROFSECT pNew = test.OpenSection(s_uidNew, MAPI_MODIFY);
             pNew->SetProps(1, &propNameW, nullptr);
             pNew->SaveChanges(0);
             test.m_pMapi->Release(pNew);
         },
         {"ServiceAdmin#3.OpenProfileSection(uid=unknown, iid=null, flags=0x00000001) -> 0x00000000 S_OK "
          "out=ProfSect#6",
          "ProfSect#6.SetProps(props=[0x3001001F L\"Jane\"]) -> 0x00000000 S_OK problems=null",
          "ProfSect#6.SaveChanges(flags=0x00000000) -> 0x00000000 S_OK", "UlRelease(ProfSect#6) -> 0"},
         DumpOfExchange(g_szStoreProvidersLine, "",
                        "  Section of no service\n    PR_DISPLAY_NAME_W 0x3001001F = L\"Jane\"\n")},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        Restart();
        OpenProfile(g_szProfile);
        const CExchangeUids uids = CreateExchange();
        LPPROFSECT pWrite = OpenSection(uids.m_uidEmsmdb, MAPI_MODIFY);
        LPPROFSECT pRead = OpenSection(uids.m_uidEmsmdb, 0);
        ASSERT_NE(nullptr, pRead);
        const size_t cBefore = ReadJournal().size();
        row.m_fnClient(*this, pWrite, pRead);
        m_pMapi->Release(pWrite);
        m_pMapi->Release(pRead);
        std::vector<std::string> vecJournal = ReadJournal();
        vecJournal.erase(vecJournal.begin(), vecJournal.begin() + static_cast<ptrdiff_t>(cBefore));
        std::vector<std::string> vecExpected = row.m_vecJournal;
        vecExpected.insert(vecExpected.end(), {"UlRelease(ProfSect#4) -> 0", "UlRelease(ProfSect#5) -> 0"});
        EXPECT_EQ(vecExpected, vecJournal);
        CloseProfile();
        EXPECT_EQ(row.m_strDump, RunDump());
    }
}

TEST_F(StandInTest, GetPropsAnswersWhatASectionLacksAsErrors)
{
    OpenProfile(g_szProfile);
    const CExchangeUids uids = CreateExchange();
    LPPROFSECT pService = OpenSection(uids.m_uidService, MAPI_FORCE_ACCESS);
    LPPROFSECT pStore = OpenSection(uids.m_uidStore, MAPI_FORCE_ACCESS);
    ASSERT_NE(nullptr, pStore);
    const ULONG ulNameUnspecified = PROP_TAG(PT_UNSPECIFIED, PROP_ID(PR_DISPLAY_NAME_A));
    const struct
    {
        const char* m_pszCase;
        LPPROFSECT m_pSection;
        std::vector<ULONG> m_vecTags; // the count first; none for all
        ULONG m_ulFlags;
        HRESULT m_hrExpected;
        ULONG m_cExpected;
        std::string m_strJournal;
    } rows[] = {
        // The service keeps its display name as PT_STRING8 only.
        {"errors", pService,
         {4, PR_EMSMDB_SECTION_UID, PR_DISPLAY_NAME_W, PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W, ulNameUnspecified},
         0, MAPI_W_ERRORS_RETURNED, 4,
         "ProfSect#4.GetProps(tags=[0x3D150102, 0x3001001F, 0x6641001F, 0x30010000], flags=0x00000000) -> 0x00040380 "
         "MAPI_W_ERRORS_RETURNED out=Props#6 [0x3D150102 <{1:MSEMS/EMSMDB}>, 0x3001000A error 0x80040103 "
         "MAPI_E_BAD_CHARWIDTH, 0x6641000A error 0x8004010F MAPI_E_NOT_FOUND, 0x3001001E \"Microsoft Exchange\"]"},
        {"all", pService, {}, 0, S_OK, 4,
         "ProfSect#4.GetProps(tags=null, flags=0x00000000) -> 0x00000000 S_OK out=Props#7 [0x3001001E \"Microsoft "
         "Exchange\", 0x3D09001E \"MSEMS\", 0x3D0C0102 <{1:MSEMS}>, 0x3D150102 <{1:MSEMS/EMSMDB}>]"},
        {"all of nothing", pStore, {}, 0, S_OK, 0,
         "ProfSect#5.GetProps(tags=null, flags=0x00000000) -> 0x00000000 S_OK out=null"},
        {"no tags", pService, {0}, 0, MAPI_E_INVALID_PARAMETER, 0,
         "ProfSect#4.GetProps(tags=[], flags=0x00000000) -> 0x80070057 MAPI_E_INVALID_PARAMETER out=null"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        std::vector<ULONG> vecTags = row.m_vecTags;
        ULONG cValues = 0x5E17;
        LPSPropValue pProps = reinterpret_cast<LPSPropValue>(0x5E17);
        EXPECT_EQ(row.m_hrExpected,
                  row.m_pSection->GetProps(vecTags.empty() ? nullptr : reinterpret_cast<LPSPropTagArray>(vecTags.data()),
                                           row.m_ulFlags, &cValues, &pProps));
        EXPECT_EQ(row.m_cExpected, cValues);
        EXPECT_EQ(row.m_cExpected != 0, pProps != nullptr);
        EXPECT_EQ(row.m_strJournal, ReadLastJournalLine());
        if (pProps)
            m_pMapi->FreeBuffer(pProps);
    }
    m_pMapi->Release(pStore);
    m_pMapi->Release(pService);
    CloseProfile();
    EXPECT_EQ("MAPIUninitialize() -> inits=1 uninits=1 alive=[] buffers=0", ReadLastJournalLine());
}

// Each step of the procedure fails, or its UID comes back unusable, as a test
// of the program's asks.
TEST_F(StandInTest, EachStepOfTheProcedureCanBeSteered)
{
    const auto Steps = [](size_t cOk, HRESULT hrLast) {
        std::vector<HRESULT> vecSteps(cOk, S_OK);
        vecSteps.push_back(hrLast);
        return vecSteps;
    };
    const HRESULT hrFailed = MAPI_E_CALL_FAILED;
    const HRESULT hrWarning = MAPI_W_ERRORS_RETURNED;
    const auto Force = [](const char* pszOperation, const char* pszKind) {
        return standin::ForcePerService(pszOperation, pszKind);
    };
    const struct
    {
        std::string m_strName;
        HRESULT m_hrValue; // a status, or for a length the number
        std::vector<HRESULT> m_vecSteps;
        std::string m_strJournal; // of the step below, when given
        size_t m_iStep = m_vecSteps.size() - 1;
    } rows[] = {
        {Force(standin::szForceOpenProfileSection, "MSEMS"), hrFailed, Steps(0, hrFailed), ""},
        {Force(standin::szForceGetProps, "MSEMS"), hrFailed, Steps(1, hrFailed), ""},
        {Force(standin::szForceOpenProfileSection, standin::szSectionEmsmdb), hrFailed, Steps(2, hrFailed), ""},
        {Force(standin::szForceSetProps, standin::szSectionEmsmdb), hrFailed, Steps(3, hrFailed), ""},
        {Force(standin::szForceSaveChanges, standin::szSectionEmsmdb), hrFailed, Steps(4, hrFailed), ""},
        {Force(standin::szForceGetProps, standin::szSectionEmsmdb), hrFailed, Steps(5, hrFailed), ""},
        {Force(standin::szForceOpenProfileSection, standin::szSectionStore), hrFailed, Steps(6, hrFailed), ""},
        {Force(standin::szForceSetProps, standin::szSectionStore), hrFailed, Steps(7, hrFailed),
         "ProfSect#8.SetProps(props=[0x6641001F L\"jane@example.com\", 0x3001001F L\"Jane Doe\"]) -> 0x80004005 "
         "MAPI_E_CALL_FAILED problems=null"},
        // A warning: the save happens, and answers it.
        {Force(standin::szForceSaveChanges, standin::szSectionStore), hrWarning, Steps(8, hrWarning),
         "ProfSect#8.SaveChanges(flags=0x00000002) -> 0x00040380 MAPI_W_ERRORS_RETURNED"},
        {standin::szForceOpenProfileSection, hrFailed, Steps(0, hrFailed),
         "ServiceAdmin#3.OpenProfileSection(uid=1:MSEMS, iid=null, flags=0x00080000) -> 0x80004005 MAPI_E_CALL_FAILED "
         "out=null"},
        {standin::SteerProperty(standin::szPropertyErrorPrefix, PR_EMSMDB_SECTION_UID), MAPI_E_NO_ACCESS,
         Steps(1, hrWarning),
         "ProfSect#4.GetProps(tags=[0x3D150102], flags=0x00000000) -> 0x00040380 MAPI_W_ERRORS_RETURNED out=Props#5 "
         "[0x3D15000A error 0x80070005 MAPI_E_NO_ACCESS]"},
        {standin::SteerProperty(standin::szPropertyErrorPrefix, PR_STORE_PROVIDERS, standin::szSectionEmsmdb),
         MAPI_E_NOT_FOUND, Steps(5, hrWarning),
         "ProfSect#6.GetProps(tags=[0x3D000102], flags=0x00000000) -> 0x00040380 MAPI_W_ERRORS_RETURNED out=Props#7 "
         "[0x3D00000A error 0x8004010F MAPI_E_NOT_FOUND]"},
        {standin::SteerProperty(standin::szPropertyLengthPrefix, PR_EMSMDB_SECTION_UID), 15, Steps(1, S_OK),
         "ProfSect#4.GetProps(tags=[0x3D150102], flags=0x00000000) -> 0x00000000 S_OK out=Props#5 "
         "[0x3D150102 <{1:MSEMS/EMSMDB, first 15 bytes}>]"},
        // A problem is reported, the call succeeds, the rest is set.
        {standin::SteerProperty(standin::szPropertyProblemPrefix, PR_DISPLAY_NAME_W, standin::szSectionStore),
         MAPI_E_NO_ACCESS, Steps(8, S_OK),
         "ProfSect#8.SetProps(props=[0x6641001F L\"jane@example.com\", 0x3001001F L\"Jane Doe\"]) -> 0x00000000 S_OK "
         "problems=Problems#9 [1: 0x3001001F 0x80070005 MAPI_E_NO_ACCESS]",
         7},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_strName);
        Restart();
        OpenProfile(g_szProfile);
        const CExchangeUids uids = CreateExchange();
        harness::SetStandInNumber(row.m_strName, static_cast<DWORD>(row.m_hrValue));
        const size_t cBefore = ReadJournal().size();
        EXPECT_EQ(row.m_vecSteps, TakeExchangeProcedure(uids.m_uidService));
        const std::vector<std::string> vecJournal = ReadJournal();
        ASSERT_GT(vecJournal.size(), cBefore + row.m_iStep);
        if (!row.m_strJournal.empty())
        {
            EXPECT_EQ(row.m_strJournal, vecJournal[cBefore + row.m_iStep]);
        }
        CloseProfile();
    }
}

// The profile table lists every profile, a default one marked, and a query
// can be failed per table; a session ends at Logoff, not at its release, and
// a profile marked for deletion goes with it.
TEST_F(StandInTest, TheProfileTableAndLogoffAnswerAsMapiDoes)
{
    enum
    {
        iName,
        iDefault,
        NUM_COLUMNS
    };
    static SizedSPropTagArray(NUM_COLUMNS, s_sptColumns) = {NUM_COLUMNS, {PR_DISPLAY_NAME_A, PR_DEFAULT_PROFILE}};
    const auto ListProfiles = [&](HRESULT hrExpected) {
        LPMAPITABLE pTable = reinterpret_cast<LPMAPITABLE>(0x5E17);
        EXPECT_EQ(S_OK, m_pAdmin->GetProfileTable(0, &pTable));
        LPSRowSet pRows = reinterpret_cast<LPSRowSet>(0x5E17);
        EXPECT_EQ(hrExpected, m_pMapi->QueryAllRows(pTable, reinterpret_cast<LPSPropTagArray>(&s_sptColumns), 0, &pRows));
        std::vector<std::string> vecRows;
        for (ULONG i = 0; pRows && i < pRows->cRows; ++i)
            vecRows.push_back(std::string(pRows->aRow[i].lpProps[iName].Value.lpszA) +
                              (pRows->aRow[i].lpProps[iDefault].Value.b ? " (default)" : ""));
        m_pMapi->FreeRows(pRows);
        m_pMapi->Release(pTable);
        return vecRows;
    };

    OpenProfile("Second");
    ASSERT_EQ(S_OK, m_pAdmin->CreateProfile(const_cast<LPSTR>("First"), nullptr, 0, 0));
    ASSERT_EQ(S_OK, m_pAdmin->SetDefaultProfile(const_cast<LPSTR>("second"), 0));
    EXPECT_EQ((std::vector<std::string>{"First", "Second (default)"}), ListProfiles(S_OK));
    Force(standin::ForcePerService(standin::szForceHrQueryAllRows, standin::szProfileTable), MAPI_E_CALL_FAILED);
    EXPECT_EQ(std::vector<std::string>{}, ListProfiles(MAPI_E_CALL_FAILED));
    Force(standin::ForcePerService(standin::szForceHrQueryAllRows, standin::szProfileTable), S_OK);

    // In use, and so only marked: listed until its session ends at Logoff.
    ASSERT_EQ(S_OK, m_pAdmin->DeleteProfile(const_cast<LPSTR>("Second"), 0));
    EXPECT_EQ((std::vector<std::string>{"First", "Second (default)"}), ListProfiles(S_OK));
    EXPECT_EQ(S_OK, m_pSession->Logoff(0, 0, 0));
    EXPECT_EQ(std::vector<std::string>{"First"}, ListProfiles(S_OK));
    EXPECT_EQ(MAPI_E_END_OF_SESSION, m_pSession->Logoff(0, 0, 0));
    LPSERVICEADMIN pServiceAdmin = reinterpret_cast<LPSERVICEADMIN>(0x5E17);
    EXPECT_EQ(MAPI_E_END_OF_SESSION, m_pSession->AdminServices(0, &pServiceAdmin));
    EXPECT_EQ(nullptr, pServiceAdmin);
    CloseProfile();

    const std::vector<std::string> vecJournal = ReadJournal();
    EXPECT_EQ((std::vector<std::string>{
                  "ProfAdmin#1.GetProfileTable(flags=0x00000000) -> 0x00000000 S_OK out=Table#4",
                  "HrQueryAllRows(table=Table#4, columns=[0x3001001E, 0x3D04000B], restriction=null, sort=null, "
                  "max=0) -> 0x00000000 S_OK out=Rows#5 [\"First\", \"Second\"]",
                  "FreeProws(Rows#5)",
                  "UlRelease(Table#4) -> 0",
                  "ProfAdmin#1.GetProfileTable(flags=0x00000000) -> 0x00000000 S_OK out=Table#6",
                  "HrQueryAllRows(table=Table#6, columns=[0x3001001E, 0x3D04000B], restriction=null, sort=null, "
                  "max=0) -> 0x80004005 MAPI_E_CALL_FAILED out=null",
                  "FreeProws(null)",
                  "UlRelease(Table#6) -> 0",
              }),
              std::vector<std::string>(vecJournal.begin() + 7, vecJournal.begin() + 15));
    EXPECT_NE(vecJournal.end(), std::find(vecJournal.begin(), vecJournal.end(),
                                          "Session#2 ended: profile \"Second\" deleted, as marked"));
    EXPECT_NE(vecJournal.end(),
              std::find(vecJournal.begin(), vecJournal.end(),
                        "Session#2.Logoff(ui=0x0, flags=0x00000000, reserved=0x00000000) -> 0x80040200 "
                        "MAPI_E_END_OF_SESSION"));
}
} // namespace
