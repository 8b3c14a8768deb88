#include "registry/JoinArguments.h"

std::string JoinArguments(int argc, const char* const argv[])
{
    std::string strJoined;
    for (int i = 1; i < argc; ++i)
    {
        strJoined += ' ';
        strJoined += argv[i];
    }
    return strJoined;
}
