#include "launcher/instance.h"

#include <tlhelp32.h>

#include "common/buffers.h"
#include "common/path.h"
#include "common/scoped.h"
#include "common/text.h"
#include "launcher/exe_type.h"
#include "launcher/program_core.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(PROCESSENTRY32) == 296, "process entry of the 32-bit system");
static_assert(sizeof(THREADENTRY32) == 28, "thread entry of the 32-bit system");
#endif

namespace {

bool OwnedByThisThread(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

// ShowWindow on another process's window waits for that process to handle it, for ever when
// it hangs. The asynchronous call is awaited for a bounded time instead.
void ShowWindowBounded(HWND window, int command)
{
    if (OwnedByThisThread(window)) {
        ShowWindow(window, command);
        return;
    }
    if (!ShowWindowAsync(window, command)) return;
    DWORD start = GetTickCount();
    for (;;) {
        bool done = command == SW_HIDE      ? !IsWindowVisible(window)
                    : command == SW_RESTORE ? !IsIconic(window)
                                            : IsWindowVisible(window) != FALSE;
        if (done || !IsWindow(window) || GetTickCount() - start >= ShowWindowEffectLimit) return;
        Sleep(1);
    }
}

// The executable file name of a running instance: the found path's file-name part.
bool FoundProgramPath(const char* program, char (&path)[TextCapacity])
{
    path[0] = '\0';
    if (!program || !program[0]) return false;
    DWORD length = SearchPathA(nullptr, program, ".exe", sizeof path, path, nullptr);
    if (length == 0 || length >= sizeof path) {  // not found, or a path that would not fit
        path[0] = '\0';
        return false;
    }
    return true;
}

DWORD TerminateWindowsInstance(DWORD processId)
{
    // SYNCHRONIZE lets the termination be awaited; the full-access retry is for systems that
    // grant only that.
    ScopedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (!process) process.Reset(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    if (!process) return 0;
    if (!TerminateProcess(process.Get(), 0)) return 0;
    // Termination completes asynchronously; a next search that still met this process
    // could not terminate it again and would end the caller's loop early.
    WaitForSingleObject(process.Get(), TerminateCompletionLimit);
    return processId;
}

DWORD FindWindowsInstance(const char* fileName, int32_t mode)
{
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    if (!Process32First(snapshot.Get(), &entry)) return 0;
    do {
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.szExeFile, -1, fileName, -1) != CSTR_EQUAL)
            continue;
        DWORD processId = entry.th32ProcessID;
        if (mode == ModeTerminate) return TerminateWindowsInstance(processId);
        if (mode == ModeHide || mode == ModeShow) ShowInstanceWindow(processId, mode);
        return processId;
    } while (Process32Next(snapshot.Get(), &entry));
    return 0;
}

// A console program has no process of its own name to look for (its window belongs to the
// console host): the window captioned with this process's start-up title stands for it.
DWORD FindConsoleInstance(int32_t mode)
{
    STARTUPINFOA own;
    own.cb = sizeof own;
    GetStartupInfoA(&own);
    if (!own.lpTitle || !own.lpTitle[0]) return 0;
    HWND window = FindWindowA(nullptr, own.lpTitle);
    if (!window) return 0;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    switch (mode) {
    case ModeQuery:
        break;
    case ModeHide:
        BringToFront(window);
        ShowWindowBounded(window, SW_HIDE);
        break;
    case ModeShow:
        ShowWindowBounded(window, SW_SHOW);
        BringToFront(window);
        break;
    default: {
        // The caption match is loose; it must never end this very process.
        if (processId == GetCurrentProcessId()) break;
        ScopedHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
        if (process) TerminateProcess(process.Get(), 0);
        break;
    }
    }
    return processId;
}

struct WindowSearch {
    DWORD processId;
    int32_t mode;
    bool handled;  // a window was hidden or shown: the search is over
};

BOOL CALLBACK ShowInstanceWindowProc(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD windowProcess = 0;
    DWORD windowThread = GetWindowThreadProcessId(window, &windowProcess);
    // A window that has gone (any process's) ends this pass; the search goes on with the next
    // one, or a window closing elsewhere at the wrong moment would end the wait unhandled.
    if (!windowThread) return FALSE;
    if (windowProcess != search.processId) return TRUE;

    // The main thread is asked anew for each window of the process: it may have changed
    // since the last one. Windows of other processes do not need it.
    DWORD mainThread = OldestThreadOf(search.processId);
    bool hasOwner = false, hasParent = false, hasTitle = false;
    if (!mainThread) {
        char title[PathCapacity];
        hasOwner = GetWindow(window, GW_OWNER) != nullptr;
        hasParent = GetParent(window) != nullptr;
        hasTitle = GetWindowTextA(window, title, sizeof title) > 0;
    }
    if (!WindowQualifies(mainThread, windowThread, hasOwner, hasParent, hasTitle)) return TRUE;

    if (search.mode == ModeHide) {
        ShowWindowBounded(window, SW_HIDE);
    } else if (search.mode == ModeShow) {
        ShowWindowBounded(window, SW_SHOW);
        if (IsIconic(window)) ShowWindowBounded(window, SW_RESTORE);
        BringToFront(window);
    }
    search.handled = true;
    return FALSE;
}

}  // namespace

DWORD FindInstance(const char* program, int32_t mode)
{
    char path[TextCapacity];
    if (!FoundProgramPath(program, path)) return 0;
    uint32_t exeType = ExeTypeOf(path);
    switch (KindOfExeType(exeType)) {
    case ProgramKind::Windows:
        return FindWindowsInstance(path + FileNameOffset(path), mode);
    case ProgramKind::Console:
        return FindConsoleInstance(mode);
    case ProgramKind::None:
        break;
    }
    return 0;
}

int32_t ShowInstanceWindow(DWORD processId, int32_t mode)
{
    ScopedHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    if (!process) return 0;
    WindowSearch search = {processId, mode, false};
    DWORD start = GetTickCount();
    for (;;) {
        EnumWindows(ShowInstanceWindowProc, reinterpret_cast<LPARAM>(&search));
        if (search.handled) break;
        // A window the process makes later is waited for, but not past its exit nor the limit.
        if (GetTickCount() - start >= ShowInstanceWaitLimit) break;
        if (WaitForSingleObject(process.Get(), ShowInstancePassInterval) != WAIT_TIMEOUT) break;
    }
    return search.handled ? 1 : 0;
}

DWORD OldestThreadOf(DWORD processId)
{
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return 0;
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    if (!Thread32First(snapshot.Get(), &entry)) return 0;
    FILETIME best = {0xFFFFFFFF, 0xFFFFFFFF};
    DWORD result = 0;
    do {
        if (entry.th32OwnerProcessID != processId) continue;
        ScopedHandle thread(OpenThread(THREAD_QUERY_INFORMATION, TRUE, entry.th32ThreadID));
        if (!thread) continue;
        FILETIME creation, exit, kernel, user;
        if (GetThreadTimes(thread.Get(), &creation, &exit, &kernel, &user) && creation.dwLowDateTime &&
            creation.dwHighDateTime && CompareFileTime(&best, &creation) == 1) {
            best = creation;
            result = entry.th32ThreadID;
        }
    } while (Thread32Next(snapshot.Get(), &entry));
    return result;
}

DWORD BringToFront(HWND window)
{
    if (!IsWindow(window)) return 0;
    DWORD self = GetCurrentThreadId();
    DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    // Input attached to the foreground thread lets this thread move the foreground, for the
    // moment of the switch only.
    bool attached = foreground && foreground != self && AttachThreadInput(self, foreground, TRUE);
    if (!SetForegroundWindow(window)) {
        Sleep(10);
        SwitchToThisWindow(window, FALSE);
    }
    if (attached) AttachThreadInput(self, foreground, FALSE);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}
