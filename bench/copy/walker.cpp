// The yardstick for the copy: the least a single-threaded FindFirstFileA/CopyFileExA walker
// must do to copy a folder tree. No bounds checks, no reports, no wildcard lists.
//
//   walker <source folder> <target folder> <cutOffMinutes> <skipGitFolders>
//
// Prints the copy's own time and the process's peak working set, as filecopy_driver does.
#include <windows.h>

#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static uint64_t Window;  // 100 ns units; 0: no filter
static uint64_t Start;   // local file time of the run's start
static bool SkipGit;

static void Walk(const char* source, const char* target)
{
    CreateDirectoryA(target, nullptr);
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s\\*.*", source);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const char* name = found.cFileName;
        if (!std::strcmp(name, ".") || !std::strcmp(name, "..")) continue;
        char from[MAX_PATH];
        char to[MAX_PATH];
        std::snprintf(from, sizeof from, "%s\\%s", source, name);
        std::snprintf(to, sizeof to, "%s\\%s", target, name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (SkipGit && (!lstrcmpiA(name, ".git") || !lstrcmpiA(name, ".github"))) continue;
            Walk(from, to);
        } else {
            if (Window) {
                FILETIME local;
                FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
                if ((uint64_t(local.dwHighDateTime) << 32 | local.dwLowDateTime) + Window < Start) continue;
            }
            CopyFileExA(from, to, nullptr, nullptr, nullptr, 0);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: walker source target cutOffMinutes skipGit\n");
        return 2;
    }
    Window = std::strtoull(argv[3], nullptr, 10) * 600000000ull;
    SkipGit = std::atoi(argv[4]) == 1;
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME start;
    SystemTimeToFileTime(&now, &start);
    Start = uint64_t(start.dwHighDateTime) << 32 | start.dwLowDateTime;

    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    Walk(argv[1], argv[2]);
    QueryPerformanceCounter(&end);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("elapsed_ms=%.1f peak_working_set_kb=%lu\n",
                double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart),
                (unsigned long)(memory.PeakWorkingSetSize / 1024));
    return 0;
}
