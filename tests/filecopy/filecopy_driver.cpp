// Runs one copy through CopyFiles with the run-wide values given on its command line, so a
// test or the benchmark can watch it from outside (its debug lines, its time and memory).
//
//   filecopy_driver [-measure] <runStartTime> <skipGitFolders> <subfolders> <overwrite> <cutOffMinutes> <source> <target>
//
// runStartTime is a file time in decimal (100 ns units), or "now" for the local clock read as
// the macro values read it. With -measure it prints what bench/copy/measure.h measures.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/copy/measure.h"
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
    bool measureRun = argc > 1 && std::strcmp(argv[1], "-measure") == 0;
    if (measureRun) --argc, ++argv;
    if (argc != 8) {
        std::fprintf(stderr, "usage: filecopy_driver [-measure] runStart skipGit subfolders overwrite cutOff source target\n");
        return 2;
    }
    static StartupValues startup;
    ComputeStartupValues(startup);  // OwnName, the prefix of the debug lines
    if (std::strcmp(argv[1], "now") == 0) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        FILETIME start;
        SystemTimeToFileTime(&now, &start);
        RunStartTime = uint64_t(start.dwHighDateTime) << 32 | start.dwLowDateTime;
    } else {
        RunStartTime = std::strtoull(argv[1], nullptr, 10);
    }
    SkipGitFolders = std::atoi(argv[2]);
    // The buffers the task sequence hands over.
    static char source[TextCapacity];
    static char target[TextCapacity];
    if (!TextCopy(source, argv[6]) || !TextCopy(target, argv[7])) {
        std::fprintf(stderr, "source or target too long\n");
        return 2;
    }
    CopyMeasure measure = BeginCopyMeasure();
    CopyFiles(source, target, std::atoi(argv[3]), std::atoi(argv[4]), uint32_t(std::strtoul(argv[5], nullptr, 10)));
    if (measureRun) PrintCopyMeasure(measure);
    return 0;
}
