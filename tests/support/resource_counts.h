// The handle and GDI object counts of this process, for tests that show repeated use leaves
// nothing behind. Both work around Wine, whose own counters answer 0.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// This process's handle count. Wine 8's GetProcessHandleCount answers 0 always; the system's
// handle table, filtered by process id, counts there instead.
inline DWORD OwnHandleCount()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count) return count;
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    struct Entry {
        ULONG owner;  // the process id (its low 16 bits on Windows)
        UCHAR type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    const ULONG SystemHandleInformation = 16;
    const LONG InfoLengthMismatch = LONG(0xC0000004);
    std::vector<char> buffer(1 << 20);
    ULONG needed = 0;
    LONG status;
    while ((status = query(SystemHandleInformation, buffer.data(), ULONG(buffer.size()), &needed)) ==
           InfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0) return 0;
    ULONG entries = *reinterpret_cast<ULONG*>(buffer.data());
    auto* entry = reinterpret_cast<Entry*>(buffer.data() + sizeof(ULONG_PTR));
    for (ULONG i = 0; i < entries; ++i)
        if ((entry[i].owner & 0xFFFF) == (GetCurrentProcessId() & 0xFFFF)) ++count;
    return count;
}

// GDI objects this process holds. Wine's GetGuiResources reports 0, so there the count is the
// number of handles that can no longer be made: brushes are made until the table is full.
inline long GdiObjectsInUse()
{
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported) return static_cast<long>(reported);
    std::vector<HBRUSH> brushes;
    brushes.reserve(70000);
    for (int i = 0; i < 70000; ++i) {
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(i));
        if (!brush) break;
        brushes.push_back(brush);
    }
    for (HBRUSH brush : brushes) DeleteObject(brush);
    return 70000 - static_cast<long>(brushes.size());
}

// Starts the program hidden, waits until it is idle and ends it: the system calls of a hidden
// start alone, without the product around them. Wine 8's WaitForInputIdle leaves a handle
// open on each call for a window program, which a leak test measures with this and subtracts.
inline bool BareIdleStart(const std::string& path)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started;
    std::string line = path;
    if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                        &startup, &started))
        return false;
    WaitForInputIdle(started.hProcess, 10000);
    TerminateProcess(started.hProcess, 0);
    WaitForSingleObject(started.hProcess, 5000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}
