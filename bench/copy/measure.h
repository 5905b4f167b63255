// What the copy benchmark reads of one copy, taken around the copy alone so that the start-up
// of the process (and the libraries it loads) does not count: its time, the processor time it
// took, the process's peak working set, and how much the copy raised that peak.
#pragma once

#include <windows.h>

#include <psapi.h>

#include <cstdint>
#include <cstdio>

struct CopyMeasure {
    LARGE_INTEGER begin;
    uint64_t cpuBegin;
    SIZE_T peakBegin;
};

inline uint64_t ProcessorTime()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return (uint64_t(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
           (uint64_t(user.dwHighDateTime) << 32 | user.dwLowDateTime);
}

inline SIZE_T PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    return memory.PeakWorkingSetSize;
}

inline CopyMeasure BeginCopyMeasure()
{
    CopyMeasure measure;
    measure.peakBegin = PeakWorkingSet();
    measure.cpuBegin = ProcessorTime();
    QueryPerformanceCounter(&measure.begin);
    return measure;
}

inline void PrintCopyMeasure(const CopyMeasure& measure)
{
    LARGE_INTEGER end, frequency;
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    uint64_t cpu = ProcessorTime() - measure.cpuBegin;
    SIZE_T peak = PeakWorkingSet();
    std::printf("elapsed_ms=%.1f cpu_ms=%.1f peak_working_set_kb=%lu peak_growth_kb=%lu\n",
                double(end.QuadPart - measure.begin.QuadPart) * 1000.0 / double(frequency.QuadPart),
                double(cpu) / 10000.0, (unsigned long)(peak / 1024),
                (unsigned long)((peak - measure.peakBegin) / 1024));
}
