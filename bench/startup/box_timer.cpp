// Times programs from CreateProcessA to their first visible message box, interleaved run by
// run so drifts of the machine hit all alike; prints one line per program with every time in
// milliseconds. Each program is ended as soon as its box shows (it is a copy under a name of
// the benchmark's own, so nothing else is touched).
//   box_timer <runs> <program> [program...]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM context)
{
    Search* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = {};
    if (owner == search->processId && IsWindowVisible(window) && GetClassNameA(window, className, sizeof className) &&
        lstrcmpA(className, "#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds to the first box, or -1 when none showed within 30 seconds or the start failed.
double TimeToFirstBox(const char* program)
{
    char line[MAX_PATH + 2];
    if (std::snprintf(line, sizeof line, "\"%s\"", program) >= int(sizeof line)) return -1;
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(program, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) return -1;
    double elapsed = -1;
    for (;;) {
        Search search = {started.dwProcessId, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        const double ms = double(now.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
        if (search.found) {
            elapsed = ms;
            break;
        }
        if (ms > 30000 || WaitForSingleObject(started.hProcess, 2) == WAIT_OBJECT_0) break;
    }
    TerminateProcess(started.hProcess, 0);
    WaitForSingleObject(started.hProcess, 10000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return elapsed;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: box_timer <runs> <program> [program...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const int programs = argc - 2;
    std::vector<std::vector<double>> times(programs);
    for (int p = 0; p < programs; ++p) TimeToFirstBox(argv[2 + p]);  // warm the caches once for all
    for (int run = 0; run < runs; ++run) {
        for (int p = 0; p < programs; ++p) {
            const double ms = TimeToFirstBox(argv[2 + p]);
            if (ms < 0) {
                std::fprintf(stderr, "box_timer: %s showed no message box\n", argv[2 + p]);
                return 1;
            }
            times[p].push_back(ms);
        }
    }
    for (int p = 0; p < programs; ++p) {
        std::printf("%s", argv[2 + p]);
        for (double ms : times[p]) std::printf(" %.1f", ms);
        std::printf("\n");
    }
    return 0;
}
