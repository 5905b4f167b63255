// The yardstick for the copy: the least a single-threaded walker must do to copy a folder tree
// of any names and lengths, through the wide FindFirstFileW/CopyFileExW in the long-path form.
// No bounds checks, no reports, no wildcard lists.
//
//   walker <source folder> <target folder> <cutOffMinutes> <skipGitFolders>
//
// Both folders are full drive paths. Prints what measure.h measures, as filecopy_driver
// -measure does.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "bench/copy/measure.h"

static uint64_t Window;  // 100 ns units; 0: no filter
static uint64_t Start;   // local file time of the run's start
static bool SkipGit;
// The paths at hand, grown by a name on the way down and cut on the way up.
static wchar_t Source[32768];
static wchar_t Target[32768];

static size_t Push(wchar_t* path, size_t length, const wchar_t* name)
{
    size_t n = std::wcslen(name);
    std::wmemcpy(path + length, name, n + 1);
    return length + n;
}

static void Walk(size_t sourceLength, size_t targetLength)
{
    CreateDirectoryW(Target, nullptr);
    Push(Source, sourceLength, L"\\*");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Source, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const wchar_t* name = found.cFileName;
        if (!std::wcscmp(name, L".") || !std::wcscmp(name, L"..")) continue;
        bool folder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if (folder && SkipGit && (!lstrcmpiW(name, L".git") || !lstrcmpiW(name, L".github"))) continue;
        if (!folder && Window) {
            FILETIME local;
            FileTimeToLocalFileTime(&found.ftLastWriteTime, &local);
            if ((uint64_t(local.dwHighDateTime) << 32 | local.dwLowDateTime) + Window < Start) continue;
        }
        size_t s = Push(Source, Push(Source, sourceLength, L"\\"), name);
        size_t t = Push(Target, Push(Target, targetLength, L"\\"), name);
        if (folder)
            Walk(s, t);
        else
            CopyFileExW(Source, Target, nullptr, nullptr, nullptr, 0);
        Source[sourceLength] = Target[targetLength] = L'\0';
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

static size_t LongForm(wchar_t* path, const char* text)
{
    size_t length = Push(path, 0, L"\\\\?\\");
    return length + size_t(MultiByteToWideChar(CP_ACP, 0, text, -1, path + length, 32000)) - 1;
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
    size_t sourceLength = LongForm(Source, argv[1]);
    size_t targetLength = LongForm(Target, argv[2]);
    Walk(sourceLength, targetLength);
    PrintCopyMeasure(measure);
    return 0;
}
