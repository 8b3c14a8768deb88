// Where the binding takes MAPI32 from, and what it answers without one. Each
// case starts the probe, a MAPI client of its own, so that every case loads
// MAPI32 afresh.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "profile/MapiBinding.h"
#include "testbed/harness/Harness.h"
#include "testbed/harness/RegistryProbe.h"
#include "testbed/harness/StandInSteering.h"
#include "testbed/mapi32-stand-in/StandInControl.h"

namespace
{
std::string Lower(std::string str)
{
    // Windows paths compare without regard to case.
    CharLowerBuffA(&str[0], static_cast<DWORD>(str.size()));
    return str;
}

std::string TempDirectory(const char* pszName)
{
    std::string strDir = harness::TempPath(pszName);
    CreateDirectoryA(strDir.c_str(), nullptr);
    return strDir;
}

// MAPI32 as this process's bitness finds it in the system directory.
std::string SystemMapi32()
{
    return harness::InSystemDirectory("mapi32.dll");
}

std::string RunProbe(const std::string& strProgram, const char* pszMode, const std::string& strWorkingDirectory = {})
{
    harness::CRunOptions options;
    options.m_strProgram = strProgram;
    options.m_strWorkingDirectory = strWorkingDirectory;
    const harness::CRunResult result = harness::RunQuillmere({pszMode}, options);
    EXPECT_EQ(0u, result.m_dwExitCode) << pszMode;
    return result.m_strStdout;
}

// A MAPI32.DLL planted where a careless loader would look first: beside the
// program, or in the working directory. The stand-in serves as the plant.
TEST(MapiBinding, LoadsMapi32FromTheSystemDirectoryOnly)
{
    const std::string strProbe = harness::LocateBesideSelf("mapi_binding_probe.exe");
    const std::string strBeside = TempDirectory("quillmere-beside");
    const std::string strWorking = TempDirectory("quillmere-working");
    const std::string strElsewhere = TempDirectory("quillmere-elsewhere");
    // The same name as the original, so that it keeps the test bed's DLL override.
    ASSERT_TRUE(CopyFileA(strProbe.c_str(), (strBeside + "\\mapi_binding_probe.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(strProbe.c_str(), (strElsewhere + "\\mapi_binding_probe.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(SystemMapi32().c_str(), (strBeside + "\\mapi32.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(SystemMapi32().c_str(), (strWorking + "\\mapi32.dll").c_str(), FALSE));

    static const struct
    {
        const char* m_pszCase;
        const char* m_pszDirectory; // of the probe: "beside" or "elsewhere"
        bool m_bInWorkingDirectory;
        const char* m_pszMode;
        bool m_bExpectPlant;
    } s_rows[] = {
        // Proof that the plant beside the program is where a plain load looks first.
        {"plain load, plant beside", "beside", false, "plain", true},
        {"binding, plant beside", "beside", false, "binding", false},
        {"binding, plant in working directory", "elsewhere", true, "binding", false},
        // Where LoadLibraryExA refuses the search flag.
        {"binding without search flags, plant beside", "beside", false, "fallback", false},
        {"binding without search flags, plant in working directory", "elsewhere", true, "fallback", false},
    };
    for (const auto& row : s_rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        const std::string strDirectory = std::string(row.m_pszDirectory) == "beside" ? strBeside : strElsewhere;
        const std::string strLoaded = RunProbe(strDirectory + "\\mapi_binding_probe.exe", row.m_pszMode,
                                               row.m_bInWorkingDirectory ? strWorking : std::string());
        const std::string strExpected = row.m_bExpectPlant ? strBeside + "\\mapi32.dll" : SystemMapi32();
        EXPECT_EQ(Lower(harness::Crlf(strExpected + "\n")), Lower(strLoaded));
    }
    for (const std::string& strDir : {strBeside, strElsewhere})
        DeleteFileA((strDir + "\\mapi_binding_probe.exe").c_str());
    for (const std::string& strDir : {strBeside, strWorking})
        DeleteFileA((strDir + "\\mapi32.dll").c_str());
    for (const std::string& strDir : {strBeside, strWorking, strElsewhere})
        RemoveDirectoryA(strDir.c_str());
}

struct CLoadCall
{
    std::string m_strFile;
    DWORD m_dwFlags;

    bool operator==(const CLoadCall& other) const
    {
        return m_strFile == other.m_strFile && m_dwFlags == other.m_dwFlags;
    }
};
void PrintTo(const CLoadCall& call, std::ostream* pStream)
{
    *pStream << "{" << call.m_strFile << ", 0x" << std::hex << call.m_dwFlags << std::dec << "}";
}

// A module handle, or null and the error to leave behind.
struct CLoadAnswer
{
    HMODULE m_hModule;
    DWORD m_dwError;
};

std::vector<CLoadCall> g_vecLoadCalls;
std::vector<CLoadAnswer> g_vecLoadAnswers;

// Records each call and answers from the list, one answer per call.
HMODULE WINAPI LoadAsTold(LPCSTR pszFile, HANDLE /*hFile*/, DWORD dwFlags)
{
    g_vecLoadCalls.push_back({pszFile, dwFlags});
    const size_t iCall = g_vecLoadCalls.size() - 1;
    const CLoadAnswer answer = iCall < g_vecLoadAnswers.size() ? g_vecLoadAnswers[iCall] : CLoadAnswer{nullptr, 0};
    SetLastError(answer.m_dwError);
    return answer.m_hModule;
}

// Only an unknown flag sends the loader to the full path; nothing ever
// searches for MAPI32 beyond the system directory.
TEST(MapiBinding, FallsBackToTheFullPathOnlyWhereTheSearchFlagIsRefused)
{
    const auto hMapi = reinterpret_cast<HMODULE>(0x5E170000);
    const CLoadCall searchCall = {"MAPI32.DLL", LOAD_LIBRARY_SEARCH_SYSTEM32};
    const CLoadCall fullPathCall = {harness::InSystemDirectory("MAPI32.DLL"), LOAD_WITH_ALTERED_SEARCH_PATH};
    const struct
    {
        const char* m_pszCase;
        std::vector<CLoadAnswer> m_vecAnswers;
        std::vector<CLoadCall> m_vecCalls;
        HMODULE m_hExpected;
    } rows[] = {
        {"search flag known", {{hMapi, 0}}, {searchCall}, hMapi},
        {"search flag refused", {{nullptr, ERROR_INVALID_PARAMETER}, {hMapi, 0}}, {searchCall, fullPathCall}, hMapi},
        {"search flag refused, no MAPI32 there either",
         {{nullptr, ERROR_INVALID_PARAMETER}, {nullptr, ERROR_MOD_NOT_FOUND}}, {searchCall, fullPathCall}, nullptr},
        {"no MAPI32", {{nullptr, ERROR_MOD_NOT_FOUND}}, {searchCall}, nullptr},
        {"MAPI32 damaged", {{nullptr, ERROR_BAD_EXE_FORMAT}}, {searchCall}, nullptr},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        g_vecLoadCalls.clear();
        g_vecLoadAnswers = row.m_vecAnswers;
        EXPECT_EQ(row.m_hExpected, LoadMapiFromSystemDirectory(LoadAsTold));
        EXPECT_EQ(row.m_vecCalls, g_vecLoadCalls);
    }
}

// Wine's DLL override "" disables a DLL: for a probe of that name there is no
// MAPI32 at all, and every bound call must still answer.
TEST(MapiBinding, WithoutMapi32EveryCallAnswersAndNothingCrashes)
{
    const std::string strProgram = TempDirectory("quillmere-nomapi") + "\\mapi_binding_probe_nomapi.exe";
    const std::string strOverrides = "Software\\Wine\\AppDefaults\\mapi_binding_probe_nomapi.exe\\DllOverrides";
    harness::WriteRegValue(HKEY_CURRENT_USER, strOverrides.c_str(), "mapi32", {REG_SZ, std::string(1, '\0')});
    ASSERT_TRUE(CopyFileA(harness::LocateBesideSelf("mapi_binding_probe.exe").c_str(), strProgram.c_str(), FALSE));

    EXPECT_EQ(harness::Crlf("module=null\n"
                            "MAPIInitialize -> 0x80040605\n"
                            "MAPIAdminProfiles -> 0x80040605 out=null\n"
                            "MAPILogonEx -> 0x80040605 out=null\n"
                            "HrQueryAllRows -> 0x80040605 out=null\n"
                            "MAPIFreeBuffer -> 0\n"
                            "UlRelease -> 0\n"
                            "FreeProws -> done\n"
                            "MAPIUninitialize -> done\n"),
              RunProbe(strProgram, "calls"));

    DeleteFileA(strProgram.c_str());
    harness::DeleteRegTree(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\mapi_binding_probe_nomapi.exe");
}

class StandInJournal : public testing::Test
{
protected:
    void SetUp() override
    {
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szOutlookKey);
        m_strJournal = harness::StartStandInJournal("quillmere-binding-journal.txt");
    }

    void TearDown() override
    {
        DeleteFileA(m_strJournal.c_str());
        harness::DeleteRegTree(HKEY_CURRENT_USER, standin::szControlKey);
    }

    std::string ReadJournal() const { return harness::ReadWholeFile(m_strJournal); }

    std::string m_strJournal;
};

// Each of the eight functions bound reaches the stand-in function of that name.
TEST_F(StandInJournal, EveryBoundCallReachesItsFunction)
{
    EXPECT_EQ(Lower(harness::Crlf("module=" + SystemMapi32() +
                                  "\n"
                                  "MAPIInitialize -> 0x00000000\n"
                                  "MAPIAdminProfiles -> 0x00000000 out=set\n"
                                  "MAPILogonEx -> 0x80040111 out=null\n"
                                  "HrQueryAllRows -> 0x80070057 out=null\n"
                                  "MAPIFreeBuffer -> 0\n"
                                  "UlRelease -> 0\n"
                                  "FreeProws -> done\n"
                                  "MAPIUninitialize -> done\n")),
              Lower(RunProbe(harness::LocateBesideSelf("mapi_binding_probe.exe"), "calls")));
    EXPECT_EQ("MAPIInitialize(init=null) -> 0x00000000 S_OK\n"
              "MAPIAdminProfiles(flags=0x00000000) -> 0x00000000 S_OK out=ProfAdmin#1\n"
              "MAPILogonEx(ui=0x0, profile=\"Probe\", password=null, flags=0x00000032) -> 0x80040111 "
              "MAPI_E_LOGON_FAILED out=null\n"
              "HrQueryAllRows(table=null, columns=null, restriction=null, sort=null, max=0) -> 0x80070057 "
              "MAPI_E_INVALID_PARAMETER out=null\n"
              "MAPIFreeBuffer(null)\n"
              "UlRelease(null) -> 0\n"
              "FreeProws(null)\n"
              "MAPIUninitialize() -> inits=1 uninits=1 alive=[ProfAdmin#1] buffers=0\n"
              "DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[ProfAdmin#1] buffers=0\n",
              ReadJournal());
}

// MAPIInitialize's ordinal in the 32-bit DLL: the function itself on x86; on
// x64, where nothing promises that number, the stand-in's trap, which fails.
TEST_F(StandInJournal, The32BitOrdinalReachesMapiInitializeOnX86Only)
{
    const bool b64Bit = sizeof(void*) == 8;
    EXPECT_EQ(harness::Crlf(b64Bit ? "0x80004005\n" : "0x00000000\n"),
              RunProbe(harness::LocateBesideSelf("mapi_binding_probe.exe"), "ordinal21"));
    EXPECT_EQ(b64Bit ? "Ordinal21() -> bound by a 32-bit ordinal 0x80004005 MAPI_E_CALL_FAILED\n"
                       "DllMain(DLL_PROCESS_DETACH) -> inits=0 uninits=0 alive=[] buffers=0\n"
                     : "MAPIInitialize(init=null) -> 0x00000000 S_OK\n"
                       "DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=0 alive=[] buffers=0\n",
              ReadJournal());
}

// The names under which each bitness's MAPI32 exports the eight: on x86 the
// decorated ones, and plain ones for five only, so that a 32-bit client that
// bound plain names would miss three; on x64 plain ones only.
TEST(MapiBinding, TheStandInNamesItsExportsAsItsBitnessOfWindowsDoes)
{
    const std::string strX64 = "MAPILogonEx: plain\n"
                               "MAPIAdminProfiles: plain\n"
                               "MAPIInitialize: plain\n"
                               "MAPIUninitialize: plain\n"
                               "HrQueryAllRows: plain\n"
                               "UlRelease: plain\n"
                               "FreeProws: plain\n"
                               "MAPIFreeBuffer: plain\n";
    const std::string strX86 = "MAPILogonEx: plain decorated\n"
                               "MAPIAdminProfiles: plain decorated\n"
                               "MAPIInitialize: plain decorated\n"
                               "MAPIUninitialize: plain decorated\n"
                               "HrQueryAllRows: decorated\n"
                               "UlRelease: decorated\n"
                               "FreeProws: decorated\n"
                               "MAPIFreeBuffer: plain decorated\n";
    EXPECT_EQ(harness::Crlf(sizeof(void*) == 8 ? strX64 : strX86),
              RunProbe(harness::LocateBesideSelf("mapi_binding_probe.exe"), "names"));
}

// A client that exits holding objects is reported at unload.
TEST_F(StandInJournal, ObjectsLeftAliveAreReportedAtUnload)
{
    EXPECT_EQ(harness::Crlf("0x00000000 0x00000000\n"),
              RunProbe(harness::LocateBesideSelf("mapi_binding_probe.exe"), "abandon"));
    EXPECT_EQ("MAPIInitialize(init=null) -> 0x00000000 S_OK\n"
              "MAPIAdminProfiles(flags=0x00000000) -> 0x00000000 S_OK out=ProfAdmin#1\n"
              "DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=0 alive=[ProfAdmin#1] buffers=0\n",
              ReadJournal());
}
} // namespace
