#include "profile/ServiceProperties.h"

#include "profile/ExchangeTags.h"

namespace
{
SPropValue& AppendProp(CExchangeProperties& props, ULONG ulPropTag)
{
    SPropValue& prop = props.m_rgProps[props.m_cValues++];
    prop.ulPropTag = ulPropTag;
    return prop;
}

ULONG SelectAuthScheme(const std::string& strAuthentication)
{
    return strAuthentication == "N" || strAuthentication == "n" ? RPC_C_HTTP_AUTHN_SCHEME_NTLM
                                                                : RPC_C_HTTP_AUTHN_SCHEME_BASIC;
}
} // namespace

bool SelectCacheFlags(int nCacheMode, LONG& lFlags)
{
    if (nCacheMode != 1 && nCacheMode != 2)
        return false;
    lFlags = nCacheMode == 1 ? CONFIG_OST_CACHE_PRIVATE : CONFIG_OST_CACHE_PUBLIC;
    return true;
}

LONG ComputeRohFlags(const std::string& strTryHttpFirst, bool bHasPrincipalName)
{
    ULONG ulFlags = ROHFLAGS_USE_ROH | ROHFLAGS_SSL_ONLY;
    if (strTryHttpFirst == "F" || strTryHttpFirst == "f")
        ulFlags |= ROHFLAGS_HTTP_FIRST_ON_FAST;
    else if (strTryHttpFirst == "S" || strTryHttpFirst == "s")
        ulFlags |= ROHFLAGS_HTTP_FIRST_ON_SLOW;
    else if (strTryHttpFirst == "B" || strTryHttpFirst == "b")
        ulFlags |= ROHFLAGS_HTTP_FIRST_ON_FAST | ROHFLAGS_HTTP_FIRST_ON_SLOW;
    if (bHasPrincipalName)
        ulFlags |= ROHFLAGS_MUTUAL_AUTH;
    return static_cast<LONG>(ulFlags);
}

void BuildExchangeProperties(const CProfileSettings& settings, CExchangeProperties& props)
{
    props.m_strServerName = settings.m_strServerName;
    props.m_strMailboxName = settings.m_strMailboxName;
    props.m_wstrProxyServer = settings.m_wstrHttpProxyServer;
    props.m_wstrPrincipalName = settings.m_wstrFqPrincipalName;
    props.m_cValues = 0;

    // An empty name has nothing to carry: its entry is left out and the later
    // ones move up, so that every entry passed has a real value.
    if (!props.m_strServerName.empty())
        AppendProp(props, PR_PROFILE_UNRESOLVED_SERVER).Value.lpszA = props.m_strServerName.data();
    if (!props.m_strMailboxName.empty())
        AppendProp(props, PR_PROFILE_UNRESOLVED_NAME).Value.lpszA = props.m_strMailboxName.data();
    AppendProp(props, PR_CONVERSION_PROHIBITED).Value.b = false;
    AppendProp(props, PR_DEFAULT_PROFILE).Value.b = true;

    LONG lCacheFlags = 0;
    if (SelectCacheFlags(settings.m_nCacheMode, lCacheFlags))
        AppendProp(props, PR_PROFILE_CONFIG_FLAGS).Value.l = lCacheFlags;

    if (settings.m_bHasHttpProxy)
    {
        AppendProp(props, PR_ROH_FLAGS).Value.l =
            ComputeRohFlags(settings.m_strTryHttpFirst, settings.m_bHasFqPrincipalName);
        AppendProp(props, PR_ROH_PROXY_SERVER).Value.lpszW = props.m_wstrProxyServer.data();
        AppendProp(props, PR_ROH_PROXY_PRINCIPAL_NAME).Value.lpszW = props.m_wstrPrincipalName.data();
        AppendProp(props, PR_ROH_PROXY_AUTH_SCHEME).Value.l = static_cast<LONG>(SelectAuthScheme(settings.m_strAuthentication));
    }
}

void BuildPstProperties(const CProfileSettings& settings, CPstProperties& props)
{
    props.m_strFileName = settings.m_strPstFileName;
    props.m_strDisplayName = settings.m_strPstDisplay;
    props.m_rgProps[pstPath].ulPropTag = PR_PST_PATH;
    props.m_rgProps[pstPath].Value.lpszA = props.m_strFileName.data();
    props.m_rgProps[pstDisplayName].ulPropTag = PR_DISPLAY_NAME_A;
    props.m_rgProps[pstDisplayName].Value.lpszA = props.m_strDisplayName.data();
}
