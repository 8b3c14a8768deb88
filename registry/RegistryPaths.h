#pragma once

// Where the program keeps its record, under HKCU and HKLM alike.
constexpr char g_szProgramKey[] = "Software\\Quillmere";
constexpr char g_szLoggingSubkey[] = "Logging";
constexpr char g_szLoggingKey[] = "Software\\Quillmere\\Logging";
constexpr char g_szUnfinishedKey[] = "Software\\Quillmere\\Unfinished";
