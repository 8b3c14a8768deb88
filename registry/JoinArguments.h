#pragma once

#include <string>

// The run's arguments after the program's name, each preceded by one blank,
// neither quoted nor escaped: what "CmdLine" records.
std::string JoinArguments(int argc, const char* const argv[]);
