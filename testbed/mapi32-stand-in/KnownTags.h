#pragma once

// The property tags the stand-in names, written out from MAPI's reference
// pages (identifier and type) instead of taken from the program's headers:
// a double that borrowed the program's constants would print a wrong tag
// under the right name. The program's ExchangeTagsTest compares the two
// entry by entry.

#include <windows.h>

#include <cstring>

namespace standin
{
struct CKnownTag
{
    ULONG m_ulPropTag;
    const char* m_pszName;
};

constexpr CKnownTag g_rgKnownTags[] = {
    // What MAPI keeps of every service.
    {0x3001001E, "PR_DISPLAY_NAME_A"},
    {0x3001001F, "PR_DISPLAY_NAME_W"},
    {0x3D09001E, "PR_SERVICE_NAME_A"},
    {0x3D0C0102, "PR_SERVICE_UID"},
    {0x3D12001E, "PR_PROFILE_NAME_A"},
    {0x30090003, "PR_RESOURCE_FLAGS"},
    // The Exchange service's section.
    {0x6608001E, "PR_PROFILE_UNRESOLVED_SERVER"},
    {0x6607001E, "PR_PROFILE_UNRESOLVED_NAME"},
    {0x3A03000B, "PR_CONVERSION_PROHIBITED"},
    {0x3D04000B, "PR_DEFAULT_PROFILE"},
    {0x66010003, "PR_PROFILE_CONFIG_FLAGS"},
    {0x66230003, "PR_ROH_FLAGS"},
    {0x6622001F, "PR_ROH_PROXY_SERVER"},
    {0x6625001F, "PR_ROH_PROXY_PRINCIPAL_NAME"},
    {0x66270003, "PR_ROH_PROXY_AUTH_SCHEME"},
    // The Exchange service's provider sections, as Outlook 2016 and later
    // have a profile made.
    {0x3D150102, "PR_EMSMDB_SECTION_UID"},
    {0x3D000102, "PR_STORE_PROVIDERS"},
    {0x6641001F, "PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W"},
    // The personal folders service.
    {0x6700001E, "PR_PST_PATH"},
};

// The name the stand-in gives a tag, or null for one it does not know.
inline const char* NameKnownTag(ULONG ulPropTag)
{
    for (const CKnownTag& tag : g_rgKnownTags)
        if (tag.m_ulPropTag == ulPropTag)
            return tag.m_pszName;
    return nullptr;
}

// The tag the stand-in knows by that name, or PR_NULL (0) for none.
inline ULONG LookupKnownTag(const char* pszName)
{
    for (const CKnownTag& tag : g_rgKnownTags)
        if (strcmp(tag.m_pszName, pszName) == 0)
            return tag.m_ulPropTag;
    return 0;
}
} // namespace standin
