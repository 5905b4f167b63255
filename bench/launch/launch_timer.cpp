// Times launchers from CreateProcessA to their end and samples their peak working set while
// they run, interleaved run by run so drifts of the machine hit all alike. Before each run the
// previous run's target must be gone, so no two runs share the machine.
//   launch_timer <runs> <target name> <command line> [command line...]
// Prints per command line: "ms" and the times, then "kb" and the peak working sets.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool Running(const char* name)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szExeFile, name) == 0;
    CloseHandle(snapshot);
    return found;
}

void WaitGone(const char* name)
{
    for (int i = 0; i < 200 && Running(name); ++i) Sleep(25);
}

struct Sample {
    double ms;
    SIZE_T peak;
};

// One run of line; ms < 0 when it could not start or did not end within 30 seconds.
Sample RunOnce(const std::string& line)
{
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return {-1, 0};
    Sample sample = {-1, 0};
    // The peak is sampled while the process lives (the counters of an ended process are gone
    // under Wine); the loading of the DLLs, where the peak is made, outlasts a millisecond.
    for (int waited = 0; waited < 30000; ++waited) {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(started.hProcess, &counters, sizeof counters) &&
            counters.PeakWorkingSetSize > sample.peak)
            sample.peak = counters.PeakWorkingSetSize;
        if (WaitForSingleObject(started.hProcess, 1) == WAIT_OBJECT_0) {
            QueryPerformanceCounter(&end);
            sample.ms = double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart);
            break;
        }
    }
    if (sample.ms < 0) TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return sample;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: launch_timer <runs> <target name> <command line> [command line...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const char* target = argv[2];
    const int programs = argc - 3;
    std::vector<std::vector<Sample>> samples(programs);
    for (int p = 0; p < programs; ++p) {  // warm the caches once for all
        WaitGone(target);
        RunOnce(argv[3 + p]);
    }
    for (int run = 0; run < runs; ++run) {
        for (int p = 0; p < programs; ++p) {
            WaitGone(target);
            Sample sample = RunOnce(argv[3 + p]);
            if (sample.ms < 0) {
                std::fprintf(stderr, "launch_timer: %s did not run to its end\n", argv[3 + p]);
                return 1;
            }
            samples[p].push_back(sample);
        }
    }
    WaitGone(target);
    for (int p = 0; p < programs; ++p) {
        std::printf("ms");
        for (const Sample& s : samples[p]) std::printf(" %.1f", s.ms);
        std::printf("\nkb");
        for (const Sample& s : samples[p]) std::printf(" %u", unsigned(s.peak / 1024));
        std::printf("\n");
    }
    return 0;
}
