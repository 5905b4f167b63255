// The deepest walk the copy takes, 1,024 levels below its source, with a failure reported at the
// bottom (a file there already, overwrite off), through Stowlet.exe and its record. On request
// the stack each level needs is measured from outside, with copies of the exe that reserve less.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/runner.h"

namespace {

constexpr int Levels = 1024;  // the deepest level the copy enters

// source\d\d...\d\f.txt with the file levels folders down, and the target the same with the
// file already there.
struct DeepTrees {
    std::string source, target, bottom;
    DeepTrees(const TempFolder& folder, const std::string& name, int levels)
    {
        source = folder / (name + "s");
        target = folder / (name + "t");
        std::string below;
        for (int i = 0; i < levels; ++i) below += "\\d";
        MakeFolders(source + below);
        MakeFolders(target + below);
        bottom = below + "\\f.txt";
        WriteWholeFile(source + bottom, "new");
        WriteWholeFile(target + bottom, "old");
    }
};

// A copy of Stowlet.exe whose main thread reserves reserve bytes of stack (the PE header's
// SizeOfStackReserve, at the same place in the 32- and 64-bit optional headers).
std::string ExeWithStack(const TempFolder& folder, uint64_t reserve)
{
    std::string bytes = ReadWholeFile(BuiltProgram("Stowlet.exe"));
    uint32_t header = uint32_t(uint8_t(bytes[0x3C])) | uint32_t(uint8_t(bytes[0x3D])) << 8;
    size_t at = header + 24 + 72;
    size_t width = sizeof(void*);  // the test is built for the exe's own machine
    for (size_t i = 0; i < width; ++i) bytes[at + i] = char(reserve >> (8 * i) & 0xFF);
    std::string path = folder / ("Deep" + std::to_string(reserve / 1024) + ".exe");
    WriteWholeFile(path, bytes);
    return path;
}

// Stowlet.exe as built, beside its settings file to be.
std::string BuiltCopy(const TempFolder& folder)
{
    std::string path = folder / "Deep.exe";
    CopyFileW(Utf16(BuiltProgram("Stowlet.exe")).c_str(), Utf16(path).c_str(), FALSE);
    return path;
}

// Runs exe on the trees; true when it ended well and its record holds the bottom's failure.
bool CopiesAndReports(const std::string& exe, const DeepTrees& trees)
{
    std::string record = exe + ".log";
    DeleteFileA(record.c_str());
    std::string ini = exe.substr(0, exe.size() - 3) + "ini";
    WriteWholeFile(ini,
                   Section("RUN", "LogFile=" + record + "\r\n") +
                       Section("OPTIONS", "CopySource=" + trees.source + "\r\nCopyTarget=" + trees.target +
                                              "\r\nCopySubFolders=1\r\nCopyOverwrite=0\r\nCopyBeforeExecute=1\r\n"));
    RunOptions options;
    options.timeoutMs = 120000;
    RunResult run = RunProgram(exe, options);
    std::string lines = ReadWholeFile(record);
    return !run.timedOut && run.exitCode == 0 &&
           lines.find("MAIN TASK: copy failed: " + trees.source + trees.bottom + " to " + trees.target +
                      trees.bottom) != std::string::npos &&
           lines.find(": 0 file(s) copied, 1 failed") != std::string::npos;
}

// The smallest reserve, in steps of 16 KB up to 2 MB, with which the copy of trees works.
uint64_t SmallestReserve(const TempFolder& folder, const DeepTrees& trees)
{
    uint64_t low = 1, high = 128;  // in 16 KB steps: works at high, assumed to fail below low
    while (low < high) {
        uint64_t middle = (low + high) / 2;
        if (CopiesAndReports(ExeWithStack(folder, middle * 16384), trees))
            high = middle;
        else
            low = middle + 1;
    }
    return high * 16384;
}

}  // namespace

// Under Wine each call on a path costs in proportion to its depth: making, copying and removing
// the trees takes minutes.
TEST(DeepWalk, AThousandLevelsWithAFailureAtTheBottom)
{
    TempFolder folder;
    DeepTrees deep(folder, "deep", Levels);
    // The exe as built, with the stack the linker gives it (2 MB on both builds).
    EXPECT_TRUE(CopiesAndReports(BuiltCopy(folder), deep));
    // The measure runs exes that overflow their stack, each a crash Wine reports at length:
    // asked for only (STOWLET_MEASURE_STACK=1), on the 64-bit build.
    char asked[4] = {};
    if (!GetEnvironmentVariableA("STOWLET_MEASURE_STACK", asked, sizeof asked) || asked[0] != '1') return;
    DeepTrees shallow(folder, "shallow", 1);
    uint64_t deepest = SmallestReserve(folder, deep);
    uint64_t least = SmallestReserve(folder, shallow);
    std::printf("stack reserve needed: %llu KB at 1 level, %llu KB at %d levels: about %llu bytes a level\n",
                (unsigned long long)(least / 1024), (unsigned long long)(deepest / 1024), Levels,
                (unsigned long long)((deepest - least) / (Levels - 1)));
}
