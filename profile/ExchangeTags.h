#pragma once

// Exchange's profile properties and flags, which mapitags.h does not carry.

// mapitags.h builds its tags with mapidefs.h's PROP_TAG and types.
#include <mapidefs.h>
#include <mapitags.h>

// The Exchange service's own section.
#ifndef PR_PROFILE_UNRESOLVED_SERVER
#define PR_PROFILE_UNRESOLVED_SERVER PROP_TAG(PT_STRING8, 0x6608)
#endif
#ifndef PR_PROFILE_UNRESOLVED_NAME
#define PR_PROFILE_UNRESOLVED_NAME PROP_TAG(PT_STRING8, 0x6607)
#endif
#ifndef PR_CONVERSION_PROHIBITED
#define PR_CONVERSION_PROHIBITED PROP_TAG(PT_BOOLEAN, 0x3A03)
#endif
#ifndef PR_DEFAULT_PROFILE
#define PR_DEFAULT_PROFILE PROP_TAG(PT_BOOLEAN, 0x3D04)
#endif

// Cached Exchange Mode.
#ifndef PR_PROFILE_CONFIG_FLAGS
#define PR_PROFILE_CONFIG_FLAGS PROP_TAG(PT_LONG, 0x6601)
#endif
#ifndef CONFIG_OST_CACHE_PRIVATE
#define CONFIG_OST_CACHE_PRIVATE 0x00000180
#endif
#ifndef CONFIG_OST_CACHE_PUBLIC
#define CONFIG_OST_CACHE_PUBLIC 0x00000400
#endif

// Outlook Anywhere: RPC over HTTP.
#ifndef PR_ROH_FLAGS
#define PR_ROH_FLAGS PROP_TAG(PT_LONG, 0x6623)
#endif
#ifndef PR_ROH_PROXY_SERVER
#define PR_ROH_PROXY_SERVER PROP_TAG(PT_UNICODE, 0x6622)
#endif
#ifndef PR_ROH_PROXY_PRINCIPAL_NAME
#define PR_ROH_PROXY_PRINCIPAL_NAME PROP_TAG(PT_UNICODE, 0x6625)
#endif
#ifndef PR_ROH_PROXY_AUTH_SCHEME
#define PR_ROH_PROXY_AUTH_SCHEME PROP_TAG(PT_LONG, 0x6627)
#endif
#ifndef ROHFLAGS_USE_ROH
#define ROHFLAGS_USE_ROH 0x00000001
#endif
#ifndef ROHFLAGS_SSL_ONLY
#define ROHFLAGS_SSL_ONLY 0x00000002
#endif
#ifndef ROHFLAGS_MUTUAL_AUTH
#define ROHFLAGS_MUTUAL_AUTH 0x00000004
#endif
#ifndef ROHFLAGS_HTTP_FIRST_ON_FAST
#define ROHFLAGS_HTTP_FIRST_ON_FAST 0x00000008
#endif
#ifndef ROHFLAGS_HTTP_FIRST_ON_SLOW
#define ROHFLAGS_HTTP_FIRST_ON_SLOW 0x00000020
#endif
#ifndef RPC_C_HTTP_AUTHN_SCHEME_BASIC
#define RPC_C_HTTP_AUTHN_SCHEME_BASIC 0x00000001
#endif
#ifndef RPC_C_HTTP_AUTHN_SCHEME_NTLM
#define RPC_C_HTTP_AUTHN_SCHEME_NTLM 0x00000002
#endif

// The Exchange service as Outlook 2016 and later take it: the user's SMTP
// address in the profile sections of the service's providers.
#ifndef PR_EMSMDB_SECTION_UID
#define PR_EMSMDB_SECTION_UID PROP_TAG(PT_BINARY, 0x3D15)
#endif
#ifndef PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W
#define PR_PROFILE_USER_SMTP_EMAIL_ADDRESS_W PROP_TAG(PT_UNICODE, 0x6641)
#endif
// IMsgServiceAdmin::OpenProfileSection: a section a provider owns as well.
#ifndef MAPI_FORCE_ACCESS
#define MAPI_FORCE_ACCESS 0x00080000
#endif

// The personal folders (PST) service.
#ifndef PR_PST_PATH
#define PR_PST_PATH PROP_TAG(PT_STRING8, 0x6700)
#endif
