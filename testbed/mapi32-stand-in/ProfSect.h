#pragma once

// The sections of a profile beside a service's own.

#include "testbed/mapi32-stand-in/Objects.h"

#include <string>

// From MAPI's reference pages, never from the program's headers.
#ifndef PR_EMSMDB_SECTION_UID
#define PR_EMSMDB_SECTION_UID PROP_TAG(PT_BINARY, 0x3D15)
#endif

namespace standin
{
// The sections a new service's providers keep: for the Exchange service an
// EMSMDB section, named in the service's own, that names its store
// provider's. None for other services.
bool AddProviderSections(const std::string& strProfile, const CService& service);
} // namespace standin
