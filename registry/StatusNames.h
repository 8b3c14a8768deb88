#pragma once

#include <windows.h>

// "MAIL_E_NAMENOTFOUND: no address book entry matches the mailbox name": the
// name and meaning of a status an administrator meets, or null for another.
const char* DescribeStatus(HRESULT hr);
