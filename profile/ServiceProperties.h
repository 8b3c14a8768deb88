#pragma once

// The property arrays that configure the Exchange and personal folders services.
// Each record owns the texts its entries point to, so an array stays valid for
// as long as its record lives; records are neither copied nor moved for that reason.

#include <windows.h>

#include <mapidefs.h>

#include <string>

#include "app/ProfileSettings.h"

// The Exchange entries in the order they are passed; entries without a value
// are left out, so an entry's index in m_rgProps is at most its position here.
enum
{
    exUnresolvedServer,
    exUnresolvedName,
    exConversionProhibited,
    exDefaultProfile,
    exProfileConfigFlags,
    exRohFlags,
    exRohProxyServer,
    exRohProxyPrincipalName,
    exRohProxyAuthScheme,
    NUM_EXCHANGE_PROPS
};

struct CExchangeProperties
{
    CExchangeProperties() = default;
    CExchangeProperties(const CExchangeProperties&) = delete;
    CExchangeProperties& operator=(const CExchangeProperties&) = delete;

    std::string m_strServerName;
    std::string m_strMailboxName;
    std::wstring m_wstrProxyServer;
    std::wstring m_wstrPrincipalName;
    SPropValue m_rgProps[NUM_EXCHANGE_PROPS] = {};
    ULONG m_cValues = 0;
};

enum
{
    pstPath,
    pstDisplayName,
    NUM_PST_PROPS
};

struct CPstProperties
{
    CPstProperties() = default;
    CPstProperties(const CPstProperties&) = delete;
    CPstProperties& operator=(const CPstProperties&) = delete;

    std::string m_strFileName;
    std::string m_strDisplayName;
    SPropValue m_rgProps[NUM_PST_PROPS] = {};
};

void BuildExchangeProperties(const CProfileSettings& settings, CExchangeProperties& props);
void BuildPstProperties(const CProfileSettings& settings, CPstProperties& props);

// PR_PROFILE_CONFIG_FLAGS for the cache mode, and whether it is written at
// all: cached mode off is the service's default, written as no entry.
bool SelectCacheFlags(int nCacheMode, LONG& lFlags);

// PR_ROH_FLAGS for the "-f" letter and whether a principal name was given.
LONG ComputeRohFlags(const std::string& strTryHttpFirst, bool bHasPrincipalName);
