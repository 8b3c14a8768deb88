#pragma once

// The step log of profile creation: one console line per MAPI step, the same
// outcome under HKCU\Software\Quillmere\Logging.

#include <windows.h>

#include <ctime>
#include <string>

// Prints and records the step's outcome. False when the status is negative:
// the caller then abandons the sequence.
bool LogStep(const char* pszLabel, HRESULT hrResult);

// Records when profile creation began, as the value "timestamp".
void LogTimestamp();

// The asctime layout with the day always two digits: "Tue Dec 08 09:05:03 2026\n".
std::string FormatTimestamp(const std::tm& localTime);
