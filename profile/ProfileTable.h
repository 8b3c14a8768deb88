#pragma once

// Whether MAPI lists a profile, as its profile table shows: what tells a
// profile that is there from a refusal, and a deletion that happened from one
// that only marked the profile.

#include "profile/MapiBinding.h"

enum class EProfileListed
{
    Listed,
    NotListed,
    Unknown, // the table could not be read
};

// MAPI compares profile names without regard to letter case.
EProfileListed FindProfile(IProfAdmin* pProfAdmin, const char* pszProfile);
