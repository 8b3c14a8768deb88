#pragma once

#include <string>

// Everything one run takes from its command line. Switch interpretation fills
// the driver's record; the echo and profile creation read copies of it.
struct CProfileSettings
{
    std::string m_strProfileName;
    std::string m_strServerName;
    int m_nPriority = 2;               // 0 make default, 1 prompt, 2 no change
    bool m_bDeleteProfile = false;
    bool m_bHasHttpProxy = false;
    std::wstring m_wstrHttpProxyServer;
    int m_nCacheMode = 0;              // 0 off, 1 private, 2 public
    bool m_bHasPst = false;
    std::string m_strPstDisplay;
    std::string m_strPstFileName;
    std::string m_strMailboxName;
    bool m_bSuppressFirstRun = false;
    bool m_bHasFqPrincipalName = false;
    std::wstring m_wstrFqPrincipalName;
    std::string m_strAuthentication;
    std::string m_strTryHttpFirst;
    // -e: the Exchange service is given only this address, as Outlook 2016
    // and later take it; empty without -e. As typed, in the ANSI code page.
    std::string m_strSmtpAddress;
};
