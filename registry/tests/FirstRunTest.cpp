// First-run cleanup against the real registry of the test prefix.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/FirstRun.h"
#include "testbed/harness/RegistryProbe.h"

namespace
{
using harness::CRegValue;

constexpr const char* g_rgpszVersions[] = {"14.0", "11.0", "10.0"};

std::string SetupKey(const char* pszVersion)
{
    return std::string("SOFTWARE\\Microsoft\\Office\\") + pszVersion + "\\Outlook\\Setup";
}

void ClearOffice()
{
    for (const char* pszVersion : g_rgpszVersions)
        harness::DeleteRegTree(HKEY_CURRENT_USER, (std::string("SOFTWARE\\Microsoft\\Office\\") + pszVersion).c_str());
}

TEST(SuppressFirstRun, DeletesBothValuesWhereverASetupKeyExists)
{
    const CRegValue dword{REG_DWORD, std::string("\x01\x00\x00\x00", 4)};
    const CRegValue text{REG_SZ, std::string("kept\0", 5)};
    static const struct
    {
        const char* m_pszCase;
        // Per version 14.0, 11.0, 10.0: which values exist before ("" = no key).
        std::vector<std::vector<const char*>> m_vecBefore;
        std::vector<std::vector<const char*>> m_vecAfter;
    } s_rows[] = {
        {"no keys", {{}, {}, {}}, {{}, {}, {}}},
        {"only 11.0", {{}, {"First-Run", "FirstRun"}, {}}, {{}, {}, {}}},
        {"neither value", {{"Other"}, {}, {}}, {{"Other"}, {}, {}}},
        {"all three",
         {{"First-Run", "FirstRun", "Other"}, {"First-Run", "FirstRun", "Other"}, {"FirstRun", "First-Run", "Other"}},
         {{"Other"}, {"Other"}, {"Other"}}},
        {"one of two", {{"FirstRun"}, {"First-Run"}, {}}, {{}, {}, {}}},
    };
    for (const auto& row : s_rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        ClearOffice();
        std::vector<bool> vecKeyMade;
        for (size_t i = 0; i < 3; ++i)
        {
            const std::string strKey = SetupKey(g_rgpszVersions[i]);
            for (const char* pszName : row.m_vecBefore[i])
                harness::WriteRegValue(HKEY_CURRENT_USER, strKey.c_str(), pszName,
                                       std::string(pszName) == "Other" ? text : dword);
            vecKeyMade.push_back(!row.m_vecBefore[i].empty());
        }

        SuppressFirstRun();

        for (size_t i = 0; i < 3; ++i)
        {
            const std::string strKey = SetupKey(g_rgpszVersions[i]);
            EXPECT_EQ(static_cast<bool>(vecKeyMade[i]), harness::RegKeyExists(HKEY_CURRENT_USER, strKey.c_str()))
                << strKey;
            std::vector<std::string> vecExpected(row.m_vecAfter[i].begin(), row.m_vecAfter[i].end());
            EXPECT_EQ(vecExpected, harness::ListRegValues(HKEY_CURRENT_USER, strKey.c_str())) << strKey;
            if (!vecExpected.empty())
            {
                EXPECT_EQ(text, harness::ReadRegValue(HKEY_CURRENT_USER, strKey.c_str(), "Other"));
            }
        }
    }
    ClearOffice();
}
} // namespace
