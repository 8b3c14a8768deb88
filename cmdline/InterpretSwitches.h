#pragma once

#include <string>

#include "app/ProfileSettings.h"
#include "cmdline/CmdSwitches.h"

// Gives the twelve switches their meaning. Nothing is ever rejected: a missing
// or unknown value falls to its default without a word.
void InterpretSwitches(CCmdSwitches switches, CProfileSettings& settings);

std::string ReadCacheModeText(const CCmdSwitches& switches);

// One 16-bit unit per byte, the byte taken as unsigned (0x00-0xFF to U+0000-U+00FF),
// so that what was typed comes back byte for byte.
std::wstring WidenBytes(const std::string& strBytes);
