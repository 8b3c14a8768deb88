#pragma once

// Leaves the run's record under Software\Quillmere ("Version", "CmdLine";
// "Support" machine-wide) and clears the previous run's step log.
void WriteProgramRecord(const char* pszCmdLine);
