// libFuzzer's entry point; scripts/fuzz.sh builds and runs it.

#include "fuzz/FuzzCommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    RunCommandLineCase(pData, cbData);
    return 0;
}
