// Test-side companion of the probe programs (probe_gui.exe, probe_console.exe; see probe.cpp):
// places a renamed copy with its settings, reads the records it writes, and finds, waits for
// and ends its running instances by name.
//
//   TempFolder folder;
//   Probe target = PlaceProbe(folder, ProbeFlavour::Gui, "mytest_target", "Stay=30\n");
//   ... run something that starts target.exe ...
//   auto starts = WaitForProbeRecords(target.report, "start", 1, 10000);
//   EXPECT_EQ(starts.at(0).at("showwindow"), "0");
//   EndProcessesNamed(target.fileName);  // always: a probe may stay for Stay seconds
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <map>
#include <string>
#include <vector>

#include "support/support.h"

enum class ProbeFlavour { Gui, Console };

// Paths and names are UTF-8; the probe reports its values as UTF-8 too.
struct Probe {
    std::string path;      // <folder>\<name>.exe
    std::string fileName;  // <name>.exe
    std::string report;    // <path>.report
};

// Copies the probe into folder as <name>.exe; settings are [probe] lines ("Stay=5\nWindow=0\n").
inline Probe PlaceProbe(const std::string& folder, ProbeFlavour flavour, const std::string& name,
                        const std::string& settings = "")
{
    Probe probe;
    probe.fileName = name + ".exe";
    probe.path = folder + "\\" + probe.fileName;
    probe.report = probe.path + ".report";
    CopyFileW(Utf16(BuiltProgram(flavour == ProbeFlavour::Gui ? "probe_gui.exe" : "probe_console.exe")).c_str(),
              Utf16(probe.path).c_str(), FALSE);
    if (!settings.empty()) WriteWholeFile(probe.path + ".probe", "[probe]\r\n" + settings);
    return probe;
}
inline Probe PlaceProbe(const TempFolder& folder, ProbeFlavour flavour, const std::string& name,
                        const std::string& settings = "")
{
    return PlaceProbe(folder.Path(), flavour, name, settings);
}

// One [start] or [exit] block: key -> value, plus "kind".
using ProbeRecord = std::map<std::string, std::string>;

inline std::vector<ProbeRecord> ReadProbeRecords(const std::string& report, const std::string& kind = "")
{
    std::vector<ProbeRecord> records;
    std::string content = ReadWholeFile(report);
    ProbeRecord current;
    bool open = false;
    size_t at = 0;
    while (at < content.size()) {
        size_t end = content.find('\n', at);
        if (end == std::string::npos) break;  // a record still being written
        std::string line = content.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "[start]" || line == "[exit]") {
            current = {{"kind", line.substr(1, line.size() - 2)}};
            open = true;
        } else if (line == "[end]") {
            if (open && (kind.empty() || current["kind"] == kind)) records.push_back(current);
            open = false;
        } else if (open) {
            size_t equals = line.find('=');
            if (equals != std::string::npos) current[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return records;
}

// Waits (at most timeoutMs) until the report holds count records of the kind; returns them.
inline std::vector<ProbeRecord> WaitForProbeRecords(const std::string& report, const std::string& kind, size_t count,
                                                    DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        auto records = ReadProbeRecords(report, kind);
        if (records.size() >= count || GetTickCount() - start >= timeoutMs) return records;
        Sleep(20);
    }
}

inline HWND ProbeWindow(const ProbeRecord& record)
{
    auto found = record.find("window");
    return found == record.end() ? nullptr : reinterpret_cast<HWND>(ULONG_PTR(std::stoull(found->second)));
}

inline DWORD ProbePid(const ProbeRecord& record) { return DWORD(std::stoul(record.at("pid"))); }

// Process ids of running processes whose executable file name is fileName (UTF-8, case ignored).
inline std::vector<DWORD> ProcessesNamed(const std::string& fileName)
{
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    std::wstring name = Utf16(fileName);
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szExeFile, name.c_str()) == 0) found.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

// Waits (at most timeoutMs) until no process of that name runs; true when none is left.
inline bool WaitUntilNoneNamed(const std::string& fileName, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (ProcessesNamed(fileName).empty()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

// Terminates every process of that name and waits (bounded) until they are gone.
inline void EndProcessesNamed(const std::string& fileName)
{
    for (DWORD pid : ProcessesNamed(fileName)) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process) continue;
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

// Starts the probe directly (not through the product) with the given show state; returns its
// process id, 0 on failure.
inline DWORD StartProbe(const Probe& probe, WORD showWindow, const std::string& arguments = "")
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showWindow;
    PROCESS_INFORMATION started;
    std::wstring line = Utf16("\"" + probe.path + "\" " + arguments);
    if (!CreateProcessW(Utf16(probe.path).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return 0;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return started.dwProcessId;
}
