// The target programs of these tests: a probe copied under a name unique to this test
// program's run, so a terminate test can never end another test's (or another developer's)
// processes, and ended with whatever instances it left when the test is over.
#pragma once

#include <windows.h>

#include <string>

#include "helpers/probe_report.h"

// 32-bit programs run emulated on the test machines, several times slower to start: cases
// that only repeat what the 64-bit build already covers of the same code are left to it.
constexpr bool SlowStarts = sizeof(void*) == 4;

inline std::string UniqueTargetName(const char* purpose)
{
    return std::string("exec_") + purpose + (sizeof(void*) == 8 ? "_w64_" : "_w32_") +
           std::to_string(GetCurrentProcessId());
}

struct Target {
    TempFolder folder;
    Probe probe;
    Target(ProbeFlavour flavour, const char* purpose, const std::string& settings = "")
        : probe(PlaceProbe(folder, flavour, UniqueTargetName(purpose), settings))
    {
    }
    ~Target() { EndProcessesNamed(probe.fileName); }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    // The file name without ".exe".
    std::string Name() const { return probe.fileName.substr(0, probe.fileName.size() - 4); }

    // Starts one more instance directly and returns its start record (empty on failure).
    ProbeRecord Start(WORD showWindow)
    {
        size_t before = ReadProbeRecords(probe.report, "start").size();
        if (!StartProbe(probe, showWindow)) return {};
        auto starts = WaitForProbeRecords(probe.report, "start", before + 1, 10000);
        return starts.size() == before + 1 ? starts.back() : ProbeRecord{};
    }
};
