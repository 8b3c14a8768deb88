// The version resource and the manifest, read back from the built program as
// Explorer, installers and the loader read them.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "testbed/harness/Harness.h"
#include "testbed/harness/StandInSteering.h"

namespace
{
// A copy of its own to read: other tests start Quillmere.exe meanwhile, and
// the file this one holds open must never stand in their way.
std::string CopyProgram()
{
    char szTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTemp);
    const std::string strCopy = std::string(szTemp) + "QuillmereResources.exe";
    CopyFileA(harness::LocateBesideSelf("Quillmere.exe").c_str(), strCopy.c_str(), FALSE);
    return strCopy;
}

std::vector<BYTE> ReadVersionInfo(const std::string& strPath)
{
    DWORD dwHandle = 0;
    const DWORD cb = GetFileVersionInfoSizeA(strPath.c_str(), &dwHandle);
    std::vector<BYTE> vecInfo(cb);
    if (cb == 0 || !GetFileVersionInfoA(strPath.c_str(), 0, cb, vecInfo.data()))
        vecInfo.clear();
    return vecInfo;
}

std::string QueryString(std::vector<BYTE>& vecInfo, const char* pszName)
{
    const std::string strSubBlock = std::string("\\StringFileInfo\\040904E4\\") + pszName;
    char* pszValue = nullptr;
    UINT cch = 0;
    if (!VerQueryValueA(vecInfo.data(), strSubBlock.c_str(), reinterpret_cast<void**>(&pszValue), &cch) || !pszValue)
        return "<absent>";
    return pszValue;
}

TEST(Resources, VersionInfoNamesTheProgram)
{
    std::vector<BYTE> vecInfo = ReadVersionInfo(CopyProgram());
    ASSERT_FALSE(vecInfo.empty());

    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT cb = 0;
    ASSERT_TRUE(VerQueryValueA(vecInfo.data(), "\\", reinterpret_cast<void**>(&pFixed), &cb));
    EXPECT_EQ(static_cast<DWORD>(VS_FFI_SIGNATURE), pFixed->dwSignature);
    unsigned major = 0, minor = 0, patch = 0, tweak = 0;
    ASSERT_EQ(4, sscanf(QUILLMERE_EXPECTED_VERSION, "%u.%u.%u.%u", &major, &minor, &patch, &tweak));
    EXPECT_EQ(MAKELONG(minor, major), pFixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(tweak, patch), pFixed->dwFileVersionLS);
    EXPECT_EQ(pFixed->dwFileVersionMS, pFixed->dwProductVersionMS);
    EXPECT_EQ(pFixed->dwFileVersionLS, pFixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), pFixed->dwFileType);

    static const struct
    {
        const char* m_pszName;
        const char* m_pszValue;
    } s_rows[] = {
        {"FileVersion", QUILLMERE_EXPECTED_VERSION},
        {"ProductVersion", QUILLMERE_EXPECTED_VERSION},
        {"ProductName", "Quillmere"},
        {"FileDescription", "Creates an Outlook mail profile for an Exchange mailbox"},
        {"InternalName", "Quillmere"},
        {"OriginalFilename", "Quillmere.exe"},
        {"LegalCopyright", "Copyright (C) 2026 The Quillmere developers"},
    };
    for (const auto& row : s_rows)
        EXPECT_EQ(row.m_pszValue, QueryString(vecInfo, row.m_pszName)) << row.m_pszName;
}

TEST(Resources, ManifestIsTheOneTheBuildMade)
{
    const HMODULE hModule = LoadLibraryExA(CopyProgram().c_str(), nullptr,
                                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, hModule);
    const HRSRC hResource = FindResourceA(hModule, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_NE(nullptr, hResource);
    const char* const pData = static_cast<const char*>(LockResource(LoadResource(hModule, hResource)));
    const std::string strEmbedded(pData, SizeofResource(hModule, hResource));
    FreeLibrary(hModule);

    const std::string strBuilt = harness::ReadWholeFile(harness::WindowsPathOf(QUILLMERE_MANIFEST));
    ASSERT_FALSE(strBuilt.empty());
    EXPECT_EQ(strBuilt, strEmbedded);
}
} // namespace
