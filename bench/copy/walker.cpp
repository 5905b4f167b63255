// The yardstick for the copy: the least a single-threaded FindFirstFileA/CopyFileExA walker
// must do to copy a folder tree. No bounds checks, no reports, no wildcard lists.
//
//   walker <source folder> <target folder> <cutOffMinutes> <skipGitFolders>
//
// Prints what measure.h measures, as filecopy_driver -measure does.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/copy/measure.h"

static uint64_t Window;  // 100 ns units; 0: no filter
static uint64_t Start;   // local file time of the run's start
static bool SkipGit;

// a + "\\" + b; the trees are made to fit.
static void Join(char* out, const char* a, const char* b)
{
    size_t n = std::strlen(a);
    std::memcpy(out, a, n);
    out[n] = '\\';
    std::strcpy(out + n + 1, b);
}

static void Walk(const char* source, const char* target)
{
    CreateDirectoryA(target, nullptr);
    char path[MAX_PATH];
    Join(path, source, "*.*");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const char* name = found.cFileName;
        if (!std::strcmp(name, ".") || !std::strcmp(name, "..")) continue;
        char from[MAX_PATH];
        char to[MAX_PATH];
        Join(from, source, name);
        Join(to, target, name);
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

    CopyMeasure measure = BeginCopyMeasure();
    Walk(argv[1], argv[2]);
    PrintCopyMeasure(measure);
    return 0;
}
