// Runs one copy through CopyFiles with the run-wide values given on its command line, so a
// test or the benchmark can watch it from outside (its debug lines, its time and memory).
//
//   filecopy_driver [-measure] <runStartTime> <skipGitFolders> <subfolders> <overwrite> <cutOffMinutes> <source> <target>
//
// runStartTime is a file time in decimal (100 ns units). With -measure it prints the copy's
// own time and the process's peak working set.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/text.h"
#include "filecopy/file_copy.h"
#include "launcher/startup.h"
#include "launcher/tasks.h"
#include "settings/macros.h"

// Arguments are taken as written: "*.doc" must reach the copy, not the runtime's globbing.
extern "C" {
int _dowildcard = 0;
}

int main(int argc, char** argv)
{
    bool measure = argc > 1 && std::strcmp(argv[1], "-measure") == 0;
    if (measure) --argc, ++argv;
    if (argc != 8) {
        std::fprintf(stderr, "usage: filecopy_driver [-measure] runStart skipGit subfolders overwrite cutOff source target\n");
        return 2;
    }
    ComputeStartupValues();  // OwnName, the prefix of the debug lines
    RunStartTime = std::strtoull(argv[1], nullptr, 10);
    SkipGitFolders = std::atoi(argv[2]);
    // The buffers the task sequence hands over.
    static char source[TextCapacity];
    static char target[TextCapacity];
    if (!TextCopy(source, argv[6]) || !TextCopy(target, argv[7])) {
        std::fprintf(stderr, "source or target too long\n");
        return 2;
    }
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    CopyFiles(source, target, std::atoi(argv[3]), std::atoi(argv[4]), uint32_t(std::strtoul(argv[5], nullptr, 10)));
    QueryPerformanceCounter(&end);
    if (measure) {
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
        std::printf("elapsed_ms=%.1f peak_working_set_kb=%lu\n",
                    double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart),
                    (unsigned long)(memory.PeakWorkingSetSize / 1024));
    }
    return 0;
}
