#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/JoinArguments.h"

namespace
{
TEST(JoinArguments, EachArgumentAfterTheProgramNameFollowsOneBlank)
{
    static const struct
    {
        std::vector<const char*> m_vecArgv;
        const char* m_pszJoined;
    } s_rows[] = {
        {{"Quillmere.exe"}, ""},
        {{}, ""},
        {{"Quillmere.exe", "-a", "Y", "-d", "N"}, " -a Y -d N"},
        {{"Quillmere.exe", "-m", "Doe, Jane"}, " -m Doe, Jane"},
        {{"Quillmere.exe", "", "-p", ""}, "  -p "},
        {{"Quillmere.exe", "\"quoted\"", "back\\slash", "100%s"}, " \"quoted\" back\\slash 100%s"},
        {{"Quillmere.exe", "\xE9t\xE9"}, " \xE9t\xE9"},
    };
    for (const auto& row : s_rows)
    {
        SCOPED_TRACE(row.m_pszJoined);
        EXPECT_EQ(row.m_pszJoined, JoinArguments(static_cast<int>(row.m_vecArgv.size()), row.m_vecArgv.data()));
    }
}
} // namespace
