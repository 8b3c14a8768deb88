// Where the binding takes MAPI32 from, and what it answers without one. Each
// case starts the probe, a MAPI client of its own, so that every case loads
// MAPI32 afresh.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

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
    char szSystem[MAX_PATH] = {};
    GetSystemDirectoryA(szSystem, MAX_PATH);
    return std::string(szSystem) + "\\mapi32.dll";
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

// Each of the seven ordinals reaches the stand-in function of that name.
TEST_F(StandInJournal, EveryBoundCallReachesItsFunction)
{
    EXPECT_EQ(Lower(harness::Crlf("module=" + SystemMapi32() +
                                  "\n"
                                  "MAPIInitialize -> 0x00000000\n"
                                  "MAPIAdminProfiles -> 0x00000000 out=set\n"
                                  "MAPILogonEx -> 0x80040111 out=null\n"
                                  "HrQueryAllRows -> 0x80070057 out=null\n"
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
              "UlRelease(null) -> 0\n"
              "FreeProws(null)\n"
              "MAPIUninitialize() -> inits=1 uninits=1 alive=[ProfAdmin#1] buffers=0\n"
              "DllMain(DLL_PROCESS_DETACH) -> inits=1 uninits=1 alive=[ProfAdmin#1] buffers=0\n",
              ReadJournal());
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
