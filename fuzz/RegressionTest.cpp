// Every input the fuzzer ever found a fault with, kept in regressions/, and the
// shapes that come closest to the rules' edges, replayed through the same case.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzCommandLine.h"

namespace
{
void Replay(const std::string& strInput)
{
    RunCommandLineCase(reinterpret_cast<const uint8_t*>(strInput.data()), strInput.size());
}

TEST(FuzzRegressions, EveryKeptInputRunsClean)
{
    size_t cInputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QUILLMERE_FUZZ_REGRESSIONS))
    {
        if (entry.path().filename() == "README.md")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream stream(entry.path(), std::ios::binary);
        Replay(std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()));
        ++cInputs;
    }
    EXPECT_LT(0u, cInputs);
}

TEST(FuzzRegressions, EdgeShapesRunClean)
{
    static const std::vector<std::string> s_rows = {
        std::string(),
        std::string(1, '\0'),
        std::string(64, '\0'),
        std::string("-b\0x\0-B\0y\0z", 11),
        std::string("-h\0-H\0-n\0-N\0-c\0-C", 17),
        std::string("-s\xff\x80\0-h\0\xff\x80\xfe", 10),
        std::string(32767, '-'),
    };
    for (const std::string& strInput : s_rows)
        Replay(strInput);
}
} // namespace
