#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz input as a command line: the bytes split at each NUL into the
// arguments after the program's name, empty ones kept. Runs the switch table,
// its interpretation and the record's join on it, and aborts when a result
// breaks a rule the program relies on.
void RunCommandLineCase(const uint8_t* pData, size_t cbData);
