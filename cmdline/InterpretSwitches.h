#pragma once

#include <string>

#include "app/ProfileSettings.h"
#include "cmdline/CmdSwitches.h"

// Gives the switches their meaning. Nothing is ever rejected: a missing
// or unknown value falls to its default without a word.
void InterpretSwitches(CCmdSwitches switches, CProfileSettings& settings);

std::string ReadCacheModeText(const CCmdSwitches& switches);

