#pragma once

#include "app/ProfileSettings.h"

enum class ECreationOutcome
{
    Created,        // ran to its end; steps with warnings included
    AlreadyExists,  // the profile was there and was left alone
    NotReplaced,    // asked to delete it first, yet the profile was still there
    LeftUnfinished, // there, made by an earlier run that did not finish it, and left alone
    StepFailed,     // a MAPI step failed; what this run created is undone
};

// Creates the profile named in the settings, with its Exchange, address book
// and (on request) personal folders services, reporting every MAPI step.
ECreationOutcome CreateMailProfile(CProfileSettings settings);
