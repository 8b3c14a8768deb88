// The record of unfinished profiles, against the real registry of the test prefix.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/RegistryPaths.h"
#include "registry/UnfinishedProfiles.h"
#include "testbed/harness/RegistryProbe.h"

namespace
{
TEST(UnfinishedProfiles, EachProfileByItsOwnAndTheKeyGoesWithTheLast)
{
    harness::DeleteRegTree(HKEY_CURRENT_USER, g_szUnfinishedKey);
    EXPECT_FALSE(IsProfileUnfinished("Mail"));

    MarkProfileUnfinished("Mail");
    MarkProfileUnfinished("Mail - Jane Doe");
    EXPECT_TRUE(IsProfileUnfinished("Mail"));
    // Profile names, like registry value names, know no case.
    EXPECT_TRUE(IsProfileUnfinished("MAIL - jane doe"));
    EXPECT_FALSE(IsProfileUnfinished("Mail - Jane"));
    EXPECT_EQ(harness::ExpandSz(""), harness::ReadRegValue(HKEY_CURRENT_USER, g_szUnfinishedKey, "Mail"));

    ClearProfileUnfinished("Mail");
    EXPECT_FALSE(IsProfileUnfinished("Mail"));
    EXPECT_EQ(std::vector<std::string>{"Mail - Jane Doe"}, harness::ListRegValues(HKEY_CURRENT_USER, g_szUnfinishedKey));

    ClearProfileUnfinished("Mail - Jane Doe");
    EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szUnfinishedKey));
    ClearProfileUnfinished("Mail - Jane Doe");
    EXPECT_FALSE(harness::RegKeyExists(HKEY_CURRENT_USER, g_szUnfinishedKey));
}
} // namespace
