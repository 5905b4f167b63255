// Runs one copy through CopyFiles with the run's values given on its command line, so a test
// or the benchmark can watch it from outside (its debug lines, its time and memory).
//
//   filecopy_driver [-measure | -pause <event>] <runStartTime> <skipGitFolders> <subfolders> <overwrite>
//                   <cutOffMinutes> <source> <target>
//
// runStartTime is a file time in decimal (100 ns units), or "now" for the local clock read as
// the macro values read it. With -measure it prints what bench/copy/measure.h measures. With
// -pause, once the first file is copied it sets the event "<event>.copied" and waits (up to a
// minute) for "<event>.go": a test changes the target in the middle of a run. The debug lines
// begin with the driver's own name, as Stowlet's begin with its.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/copy/measure.h"
#include "common/buffers.h"
#include "common/scoped.h"
#include "common/text.h"
#include "filecopy/file_copy.h"

// Arguments are taken as written: "*.doc" must reach the copy, not the runtime's globbing.
extern "C" {
int _dowildcard = 0;
}

namespace {

struct Pause {
    ScopedHandle copied;
    ScopedHandle go;
    bool done = false;
};

void PauseAfterFirstCopy(void* context, const CopyEvent& event)
{
    Pause& pause = *static_cast<Pause*>(context);
    if (event.kind != CopyEventKind::Copied || pause.done) return;
    pause.done = true;
    SetEvent(pause.copied.Get());
    WaitForSingleObject(pause.go.Get(), 60000);
}

HANDLE Event(const char* name, const char* suffix)
{
    char full[PathCapacity];
    if (!TextCopy(full, name) || !TextAppend(full, suffix)) return nullptr;
    return CreateEventA(nullptr, TRUE, FALSE, full);
}

}  // namespace

int main(int argc, char** argv)
{
    bool measureRun = argc > 1 && std::strcmp(argv[1], "-measure") == 0;
    if (measureRun) --argc, ++argv;
    Pause pause;
    if (argc > 2 && std::strcmp(argv[1], "-pause") == 0) {
        pause.copied.Reset(Event(argv[2], ".copied"));
        pause.go.Reset(Event(argv[2], ".go"));
        if (!pause.copied || !pause.go) return 2;
        argc -= 2, argv += 2;
    }
    if (argc != 8) {
        std::fprintf(stderr,
                     "usage: filecopy_driver [-measure] runStart skipGit subfolders overwrite cutOff source target\n");
        return 2;
    }
    static char ownName[PathCapacity];
    char module[PathCapacity];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (length == 0 || length >= sizeof module) return 2;
    const char* name = std::strrchr(module, '\\') ? std::strrchr(module, '\\') + 1 : module;
    if (!TextCopy(ownName, name)) return 2;
    if (char* dot = std::strrchr(ownName, '.')) *dot = '\0';

    CopySettings settings;
    if (std::strcmp(argv[1], "now") == 0) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        FILETIME start;
        SystemTimeToFileTime(&now, &start);
        settings.runStartTime = uint64_t(start.dwHighDateTime) << 32 | start.dwLowDateTime;
    } else {
        settings.runStartTime = std::strtoull(argv[1], nullptr, 10);
    }
    settings.skipGitFolders = std::atoi(argv[2]);
    settings.subfolders = std::atoi(argv[3]);
    settings.overwrite = std::atoi(argv[4]);
    settings.cutOffMinutes = uint32_t(std::strtoul(argv[5], nullptr, 10));
    settings.ownName = ownName;
    if (pause.copied) {
        settings.report = PauseAfterFirstCopy;
        settings.reportContext = &pause;
    }
    // The buffers the task sequence hands over.
    static char source[TextCapacity];
    static char target[TextCapacity];
    if (!TextCopy(source, argv[6]) || !TextCopy(target, argv[7])) {
        std::fprintf(stderr, "source or target too long\n");
        return 2;
    }
    CopyMeasure measure = BeginCopyMeasure();
    CopyFiles(source, target, settings);
    if (measureRun) PrintCopyMeasure(measure);
    return 0;
}
