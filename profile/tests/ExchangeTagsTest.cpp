// The tags the program sets against the stand-in's own table of them, which
// is written apart from the program's headers: a typo in either shows here,
// where the stand-in alone would record and name the wrong tag faithfully.

#include <gtest/gtest.h>

#include <windows.h>

#include <mapix.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "profile/ExchangeTags.h"
#include "testbed/mapi32-stand-in/KnownTags.h"

namespace
{
struct CTagRow
{
    const char* m_pszName;
    ULONG m_ulProgram; // as the program's headers define it
};

#define TAG_ROW(tag) {#tag, tag}
constexpr CTagRow g_rgRows[] = {
    TAG_ROW(PR_DISPLAY_NAME_A),
    TAG_ROW(PR_DISPLAY_NAME_W),
    TAG_ROW(PR_SERVICE_NAME_A),
    TAG_ROW(PR_SERVICE_UID),
    TAG_ROW(PR_PROFILE_NAME_A),
    TAG_ROW(PR_RESOURCE_FLAGS),
    TAG_ROW(PR_PROFILE_UNRESOLVED_SERVER),
    TAG_ROW(PR_PROFILE_UNRESOLVED_NAME),
    TAG_ROW(PR_CONVERSION_PROHIBITED),
    TAG_ROW(PR_DEFAULT_PROFILE),
    TAG_ROW(PR_PROFILE_CONFIG_FLAGS),
    TAG_ROW(PR_ROH_FLAGS),
    TAG_ROW(PR_ROH_PROXY_SERVER),
    TAG_ROW(PR_ROH_PROXY_PRINCIPAL_NAME),
    TAG_ROW(PR_ROH_PROXY_AUTH_SCHEME),
    TAG_ROW(PR_EMSMDB_SECTION_UID),
    TAG_ROW(PR_STORE_PROVIDERS),
    TAG_ROW(PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W),
    TAG_ROW(PR_PST_PATH),
};
#undef TAG_ROW

std::string Hex(ULONG ulValue)
{
    char szHex[16];
    snprintf(szHex, sizeof(szHex), "0x%08lX", ulValue);
    return szHex;
}

TEST(ExchangeTags, EachAgreesWithTheStandInsTable)
{
    for (const CTagRow& row : g_rgRows)
    {
        SCOPED_TRACE(row.m_pszName);
        EXPECT_EQ(Hex(row.m_ulProgram), Hex(standin::LookupKnownTag(row.m_pszName)));
    }
}

// Names are unique on both sides, so equal counts mean no tag the stand-in
// names goes uncompared.
TEST(ExchangeTags, TheStandInNamesNoTagLeftOutHere)
{
    EXPECT_EQ(std::size(standin::g_rgKnownTags), std::size(g_rgRows));
}
} // namespace
