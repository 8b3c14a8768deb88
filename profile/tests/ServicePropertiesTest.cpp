// The property arrays over their shapes, compared entry by entry.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "profile/ExchangeTags.h"
#include "profile/ServiceProperties.h"

namespace
{
// One entry as a test states it: the tag and the value of the member the type selects.
struct CEntry
{
    ULONG m_ulPropTag;
    LONG m_lValue;           // PT_LONG, PT_BOOLEAN
    std::string m_strValue;  // PT_STRING8
    std::wstring m_wstrValue; // PT_UNICODE

    bool operator==(const CEntry& other) const
    {
        return m_ulPropTag == other.m_ulPropTag && m_lValue == other.m_lValue && m_strValue == other.m_strValue &&
               m_wstrValue == other.m_wstrValue;
    }
};

void PrintTo(const CEntry& entry, std::ostream* os)
{
    char szTag[16];
    snprintf(szTag, sizeof(szTag), "0x%08lX", entry.m_ulPropTag);
    *os << szTag << " " << entry.m_lValue << " \"" << entry.m_strValue << "\" L\"";
    for (wchar_t wch : entry.m_wstrValue)
        *os << (wch < 0x80 ? static_cast<char>(wch) : '?');
    *os << "\"";
}

CEntry Long(ULONG ulTag, LONG lValue) { return {ulTag, lValue, {}, {}}; }
CEntry Text(ULONG ulTag, const std::string& str) { return {ulTag, 0, str, {}}; }
CEntry Wide(ULONG ulTag, const std::wstring& wstr) { return {ulTag, 0, {}, wstr}; }

std::vector<CEntry> ReadEntries(const SPropValue* pProps, ULONG cValues)
{
    std::vector<CEntry> vecEntries;
    for (ULONG i = 0; i < cValues; ++i)
    {
        const SPropValue& prop = pProps[i];
        switch (PROP_TYPE(prop.ulPropTag))
        {
        case PT_BOOLEAN: vecEntries.push_back(Long(prop.ulPropTag, prop.Value.b)); break;
        case PT_LONG: vecEntries.push_back(Long(prop.ulPropTag, prop.Value.l)); break;
        case PT_STRING8: vecEntries.push_back(Text(prop.ulPropTag, prop.Value.lpszA)); break;
        case PT_UNICODE: vecEntries.push_back(Wide(prop.ulPropTag, prop.Value.lpszW)); break;
        default: vecEntries.push_back(Long(prop.ulPropTag, -1)); break;
        }
    }
    return vecEntries;
}

const CEntry g_server = Text(PR_PROFILE_UNRESOLVED_SERVER, "mail.example.com");
const CEntry g_mailbox = Text(PR_PROFILE_UNRESOLVED_NAME, "Doe, Jane");
const CEntry g_notProhibited = Long(PR_CONVERSION_PROHIBITED, 0);
const CEntry g_default = Long(PR_DEFAULT_PROFILE, 1);

CProfileSettings Settings(const std::function<void(CProfileSettings&)>& adjust)
{
    CProfileSettings settings;
    settings.m_strServerName = "mail.example.com";
    settings.m_strMailboxName = "Doe, Jane";
    adjust(settings);
    return settings;
}

void WithProxy(CProfileSettings& s, const char* pszTryFirst, bool bPrincipal)
{
    s.m_bHasHttpProxy = true;
    s.m_wstrHttpProxyServer = L"webmail.example.com";
    s.m_strTryHttpFirst = pszTryFirst;
    s.m_bHasFqPrincipalName = bPrincipal;
    if (bPrincipal)
        s.m_wstrFqPrincipalName = L"msstd:webmail.example.com";
}

std::vector<CEntry> HttpEntries(LONG lFlags, bool bPrincipal, LONG lScheme = RPC_C_HTTP_AUTHN_SCHEME_BASIC)
{
    return {Long(PR_ROH_FLAGS, lFlags), Wide(PR_ROH_PROXY_SERVER, L"webmail.example.com"),
            Wide(PR_ROH_PROXY_PRINCIPAL_NAME, bPrincipal ? L"msstd:webmail.example.com" : L""),
            Long(PR_ROH_PROXY_AUTH_SCHEME, lScheme)};
}

std::vector<CEntry> Join(std::vector<CEntry> vecHead, const std::vector<CEntry>& vecTail)
{
    vecHead.insert(vecHead.end(), vecTail.begin(), vecTail.end());
    return vecHead;
}

TEST(ExchangeProperties, EntriesInOrderWithTheirCount)
{
    const std::vector<CEntry> vecBase = {g_server, g_mailbox, g_notProhibited, g_default};
    const std::vector<CEntry> vecPrivate = Join(vecBase, {Long(PR_PROFILE_CONFIG_FLAGS, 0x180)});
    const std::vector<CEntry> vecPublic = Join(vecBase, {Long(PR_PROFILE_CONFIG_FLAGS, 0x400)});
    const struct
    {
        const char* m_pszCase;
        std::function<void(CProfileSettings&)> m_adjust;
        std::vector<CEntry> m_vecExpected;
    } rows[] = {
        {"cache off, no proxy: 4", [](CProfileSettings&) {}, vecBase},
        {"cache private: 5", [](CProfileSettings& s) { s.m_nCacheMode = 1; }, vecPrivate},
        {"cache public: 5", [](CProfileSettings& s) { s.m_nCacheMode = 2; }, vecPublic},
        {"unknown cache mode adds nothing", [](CProfileSettings& s) { s.m_nCacheMode = 3; }, vecBase},
        {"cache off with proxy: 8", [](CProfileSettings& s) { WithProxy(s, "", false); },
         Join(vecBase, HttpEntries(3, false))},
        {"cache public with proxy: 9",
         [](CProfileSettings& s) { s.m_nCacheMode = 2; WithProxy(s, "F", false); },
         Join(vecPublic, HttpEntries(11, false))},
        {"principal without proxy writes no HTTP entry",
         [](CProfileSettings& s) { s.m_bHasFqPrincipalName = true; s.m_wstrFqPrincipalName = L"msstd:x"; }, vecBase},
        {"empty server left out", [](CProfileSettings& s) { s.m_strServerName.clear(); },
         {g_mailbox, g_notProhibited, g_default}},
        {"empty mailbox left out", [](CProfileSettings& s) { s.m_strMailboxName.clear(); s.m_nCacheMode = 1; },
         {g_server, g_notProhibited, g_default, Long(PR_PROFILE_CONFIG_FLAGS, 0x180)}},
        {"both empty, with proxy",
         [](CProfileSettings& s) { s.m_strServerName.clear(); s.m_strMailboxName.clear(); WithProxy(s, "s", true); },
         Join({g_notProhibited, g_default}, HttpEntries(39, true))},
        {"NTLM by letter N", [](CProfileSettings& s) { WithProxy(s, "", false); s.m_strAuthentication = "N"; },
         Join(vecBase, HttpEntries(3, false, RPC_C_HTTP_AUTHN_SCHEME_NTLM))},
        {"NTLM by letter n", [](CProfileSettings& s) { WithProxy(s, "", false); s.m_strAuthentication = "n"; },
         Join(vecBase, HttpEntries(3, false, RPC_C_HTTP_AUTHN_SCHEME_NTLM))},
        {"NTLM as a word is Basic", [](CProfileSettings& s) { WithProxy(s, "", false); s.m_strAuthentication = "NTLM"; },
         Join(vecBase, HttpEntries(3, false, RPC_C_HTTP_AUTHN_SCHEME_BASIC))},
        {"proxy text with bytes above 0x7F",
         [](CProfileSettings& s) { WithProxy(s, "", false); s.m_wstrHttpProxyServer = L"h\u00E9te"; },
         Join(vecBase, {Long(PR_ROH_FLAGS, 3), Wide(PR_ROH_PROXY_SERVER, L"h\u00E9te"),
                        Wide(PR_ROH_PROXY_PRINCIPAL_NAME, L""), Long(PR_ROH_PROXY_AUTH_SCHEME, 1)})},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.m_pszCase);
        CExchangeProperties props;
        props.m_cValues = 0xDEAD;
        BuildExchangeProperties(Settings(row.m_adjust), props);
        ASSERT_LE(props.m_cValues, static_cast<ULONG>(NUM_EXCHANGE_PROPS));
        EXPECT_EQ(row.m_vecExpected, ReadEntries(props.m_rgProps, props.m_cValues));
    }
}

TEST(ExchangeProperties, ConnectionFlagsFromTheTryFirstLetter)
{
    static const struct
    {
        const char* m_pszTryFirst;
        LONG m_lWithout;
        LONG m_lWithPrincipal;
    } s_rows[] = {
        {"", 3, 7}, {"N", 3, 7}, {"n", 3, 7}, {"Fast", 3, 7}, {"x", 3, 7},
        {"F", 11, 15}, {"f", 11, 15}, {"S", 35, 39}, {"s", 35, 39}, {"B", 43, 47}, {"b", 43, 47},
    };
    for (const auto& row : s_rows)
    {
        SCOPED_TRACE(row.m_pszTryFirst);
        EXPECT_EQ(row.m_lWithout, ComputeRohFlags(row.m_pszTryFirst, false));
        EXPECT_EQ(row.m_lWithPrincipal, ComputeRohFlags(row.m_pszTryFirst, true));
    }
}

TEST(PstProperties, PathBeforeDisplayName)
{
    CProfileSettings settings;
    settings.m_strPstDisplay = "Janes Mailbox";
    settings.m_strPstFileName = "c:\\myMailbox.pst";
    CPstProperties props;
    BuildPstProperties(settings, props);
    EXPECT_EQ((std::vector<CEntry>{Text(PR_PST_PATH, "c:\\myMailbox.pst"), Text(PR_DISPLAY_NAME_A, "Janes Mailbox")}),
              ReadEntries(props.m_rgProps, NUM_PST_PROPS));
}
} // namespace
