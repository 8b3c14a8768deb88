#include "registry/StatusNames.h"

#include <mapidefs.h>
#include <mapicode.h>

namespace
{
// Not in mapicode.h: the Exchange address book's own answer.
constexpr HRESULT MAIL_E_NAMENOTFOUND = static_cast<HRESULT>(0x81002746);

struct CStatusName
{
    HRESULT m_hr;
    const char* m_pszDescription;
};

// Where MAPI and COM share a value, both names, MAPI's first.
constexpr CStatusName s_rgStatusNames[] = {
    {MAPI_W_ERRORS_RETURNED, "MAPI_W_ERRORS_RETURNED: some values could not be read or written"},
    {MAPI_E_CALL_FAILED, "MAPI_E_CALL_FAILED (E_FAIL): the provider failed without saying why"},
    {MAPI_E_NOT_ENOUGH_MEMORY, "MAPI_E_NOT_ENOUGH_MEMORY (E_OUTOFMEMORY): out of memory"},
    {MAPI_E_INVALID_PARAMETER, "MAPI_E_INVALID_PARAMETER (E_INVALIDARG): a value given was not valid"},
    {MAPI_E_INTERFACE_NOT_SUPPORTED, "MAPI_E_INTERFACE_NOT_SUPPORTED (E_NOINTERFACE): not supported by this MAPI"},
    {MAPI_E_NO_ACCESS, "MAPI_E_NO_ACCESS (E_ACCESSDENIED): access denied"},
    {MAPI_E_NO_SUPPORT, "MAPI_E_NO_SUPPORT: not supported by this MAPI or provider"},
    {MAPI_E_NOT_FOUND, "MAPI_E_NOT_FOUND: not found"},
    {MAPI_E_LOGON_FAILED, "MAPI_E_LOGON_FAILED: MAPI could not open the profile"},
    {MAPI_E_USER_CANCEL, "MAPI_E_USER_CANCEL: cancelled; a provider may have wanted to show a dialog"},
    {MAPI_E_NETWORK_ERROR, "MAPI_E_NETWORK_ERROR: the server could not be reached"},
    {MAPI_E_UNCONFIGURED, "MAPI_E_UNCONFIGURED: the service is not configured"},
    {MAPI_E_FAILONEPROVIDER, "MAPI_E_FAILONEPROVIDER: one of the service's providers failed"},
    {MAPI_E_END_OF_SESSION, "MAPI_E_END_OF_SESSION: the session had ended"},
    {MAPI_E_TIMEOUT, "MAPI_E_TIMEOUT: the server did not answer in time"},
    {MAPI_E_NOT_INITIALIZED,
     "MAPI_E_NOT_INITIALIZED: no MAPI: classic Outlook is missing, not the default mail client, or of the other "
     "bitness"},
    {MAPI_E_AMBIGUOUS_RECIP, "MAPI_E_AMBIGUOUS_RECIP: more than one address book entry matches the mailbox name"},
    {MAIL_E_NAMENOTFOUND, "MAIL_E_NAMENOTFOUND: no address book entry matches the mailbox name"},
};
} // namespace

const char* DescribeStatus(HRESULT hr)
{
    for (const CStatusName& status : s_rgStatusNames)
        if (status.m_hr == hr)
            return status.m_pszDescription;
    return nullptr;
}
