#pragma once

// The Exchange service configured the way Microsoft documents for Outlook
// 2016 and later ("Programmatically create a profile in Outlook"): the user's
// SMTP address written into the profile sections of the service's providers,
// from which Outlook completes the profile through Autodiscover at its first
// start. Nothing of the server or the connection is written.

#include "app/ProfileSettings.h"
#include "profile/MapiBinding.h"

// The Exchange service's own section names its EMSMDB section; that one
// takes the address (and the cache mode), and names the store provider's
// section, which takes the address too. The status of the first call that
// failed, or else of the first that warned, or S_OK. Every section is
// released, and every buffer MAPI returned freed, before it returns.
HRESULT ConfigureExchangeSections(IMsgServiceAdmin* pServiceAdmin, LPMAPIUID pServiceUid,
                                  const CProfileSettings& settings);
