#include "process/instance.h"

#include <tlhelp32.h>

#include "common/buffers.h"
#include "common/debug_line.h"
#include "common/error_text.h"
#include "common/number.h"
#include "common/path.h"
#include "common/scoped.h"
#include "common/text.h"
#include "common/time_mark.h"
#include "common/unattended.h"
#include "common/unicode.h"
#include "common/window.h"
#include "process/program_core.h"
#include "process/program_search.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(PROCESSENTRY32W) == 556, "process entry of the 32-bit system");
static_assert(sizeof(THREADENTRY32) == 28, "thread entry of the 32-bit system");
#endif

namespace {

bool OwnedByThisThread(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

// ShowWindow on another process's window waits for that process to handle it, for ever when
// it hangs. The asynchronous call is awaited for at most limit milliseconds instead.
void ShowWindowBounded(HWND window, int command, DWORD limit = ShowWindowEffectLimit)
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
        if (done || !IsWindow(window) || GetTickCount() - start >= limit) return;
        Sleep(1);
    }
}

// The executable file name of a running instance: the found path's file-name part.
bool FoundProgramPath(const char* program, char (&path)[TextCapacity], bool& native)
{
    path[0] = '\0';
    if (!program || !program[0]) return false;
    FoundProgram found = SearchProgram(program, path, sizeof path);
    if (found.length == 0 || found.length >= sizeof path) {  // not found, or a path that would not fit
        path[0] = '\0';
        return false;
    }
    native = found.native;
    return true;
}

// The process id when ended, else 0 with error set to why it could not be opened or ended.
DWORD TerminateWindowsInstance(DWORD processId, DWORD* error = nullptr)
{
    // SYNCHRONIZE lets the termination be awaited; the full-access retry is for systems that
    // grant only that.
    ScopedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (!process) process.Reset(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    if (!process || !TerminateProcess(process.Get(), 0)) {
        if (error) *error = GetLastError();
        return 0;
    }
    // Termination completes asynchronously; a next search that still met this process
    // could not terminate it again and would end the caller's loop early.
    WaitForSingleObject(process.Get(), TerminateCompletionLimit);
    return processId;
}

// Handles the first running process whose executable file name is fileName (UTF-8; any
// folder, case ignored under the user's locale); Hide and Show handle its main window.
DWORD FindWindowsInstance(const char* fileName, InstanceMode mode, DWORD budget)
{
    wchar_t wideName[TextCapacity];
    if (!WidenUtf8(fileName, wideName, TextCapacity)) return 0;
    ScopedSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    TimeMark("instance: process snapshot");
    if (!snapshot) return 0;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    if (!Process32FirstW(snapshot.Get(), &entry)) return 0;
    do {
        if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.szExeFile, -1, wideName, -1) != CSTR_EQUAL)
            continue;
        DWORD processId = entry.th32ProcessID;
        if (mode == InstanceMode::Terminate) return TerminateWindowsInstance(processId);
        if (mode == InstanceMode::Hide || mode == InstanceMode::Show) ShowInstanceWindow(processId, mode, budget);
        return processId;
    } while (Process32NextW(snapshot.Get(), &entry));
    return 0;
}

// The console window a process is attached to, asked of its console: the window belongs to
// the console host, not to the program. This process has no console of its own to lose.
HWND ConsoleWindowOf(DWORD processId)
{
    if (GetConsoleWindow() || !AttachConsole(processId)) return nullptr;
    HWND window = GetConsoleWindow();
    FreeConsole();
    return window;
}

// UNHIDE of a console program: the console window of its first running instance, or else the
// window titled with the program text (the title a hidden start gives the console).
DWORD ShowConsoleInstance(const char* program, const char* fileName)
{
    DWORD processId = FindWindowsInstance(fileName, InstanceMode::Query, 0);
    if (!processId) return 0;
    HWND window = ConsoleWindowOf(processId);
    wchar_t title[TextCapacity];
    if (!window && WidenUtf8(program, title, TextCapacity)) window = FindWindowW(nullptr, title);
    if (!window) return 0;
    ShowWindowBounded(window, SW_SHOW);
    if (IsIconic(window)) ShowWindowBounded(window, SW_RESTORE);
    BringToFront(window);
    return processId;
}

// Otherwise (hidden or shown) a console program is looked for as the window captioned with
// this process's start-up title.
DWORD FindConsoleInstance(InstanceMode mode, DWORD budget)
{
    STARTUPINFOW own;
    own.cb = sizeof own;
    GetStartupInfoW(&own);
    if (!own.lpTitle || !own.lpTitle[0]) return 0;
    HWND window = FindWindowW(nullptr, own.lpTitle);
    if (!window) return 0;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (mode == InstanceMode::Hide) {
        BringToFront(window);
        ShowWindowBounded(window, SW_HIDE, budget < ShowWindowEffectLimit ? budget : ShowWindowEffectLimit);
    } else if (mode == InstanceMode::Show) {
        ShowWindowBounded(window, SW_SHOW);
        BringToFront(window);
    }
    return processId;
}

struct WindowSearch {
    DWORD processId;
    InstanceMode mode;
    DWORD start, budget;  // the tick the search began, and how long it may take in all
    HANDLE firstThread;   // the process's first thread when the caller started it, else null
    DWORD firstThreadId;
    bool handled;  // a window was hidden or shown: the search is over
};

// The process's main thread: its first thread while that runs (no thread is older), else the
// oldest in the system's thread list.
DWORD MainThreadOf(const WindowSearch& search)
{
    if (search.firstThread && WaitForSingleObject(search.firstThread, 0) == WAIT_TIMEOUT) return search.firstThreadId;
    return OldestThreadOf(search.processId);
}

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
    TimeMark("hide: window of the process");
    DWORD mainThread = MainThreadOf(search);
    TimeMark("hide: oldest thread");
    bool hasOwner = false, hasParent = false, hasTitle = false;
    if (!mainThread) {
        wchar_t title[2];  // only whether there is one
        hasOwner = GetWindow(window, GW_OWNER) != nullptr;
        hasParent = GetParent(window) != nullptr;
        hasTitle = GetWindowTextW(window, title, 2) > 0;
    }
    if (!WindowQualifies(mainThread, windowThread, hasOwner, hasParent, hasTitle)) return TRUE;

    DWORD left = WaitLeft(search.budget, GetTickCount() - search.start);
    DWORD effect = left < ShowWindowEffectLimit ? left : ShowWindowEffectLimit;
    if (search.mode == InstanceMode::Hide) {
        ShowWindowBounded(window, SW_HIDE, effect);
    } else if (search.mode == InstanceMode::Show) {
        ShowWindowBounded(window, SW_SHOW, effect);
        if (IsIconic(window)) ShowWindowBounded(window, SW_RESTORE, effect);
        BringToFront(window);
    }
    TimeMark("hide: window handled");
    search.handled = true;
    return FALSE;
}

// Handles the first window of the process's main thread, waiting for one for at most
// ShowInstanceWaitLimit (and the search's budget), never beyond the process's exit.
int32_t HandleMainWindow(HANDLE process, WindowSearch& search)
{
    DWORD waitLimit = search.budget < ShowInstanceWaitLimit ? search.budget : ShowInstanceWaitLimit;
    for (;;) {
        TimeMark("hide: pass");
        EnumWindows(ShowInstanceWindowProc, reinterpret_cast<LPARAM>(&search));
        if (search.handled) break;
        // A window the process makes later is waited for, but not past its exit nor the limit.
        if (GetTickCount() - search.start >= waitLimit) break;
        if (WaitForSingleObject(process, ShowInstancePassInterval) != WAIT_TIMEOUT) break;
    }
    return search.handled ? 1 : 0;
}

}  // namespace

namespace {

// The instances of one TERM: those passed over are not tried again.
struct TerminateWalk {
    ProgramOutcome& Outcome;
    DWORD Passed[TerminateCallLimit];
    uint32_t PassedCount;
    int32_t Calls;
};

bool WasPassedOver(const TerminateWalk& walk, DWORD processId)
{
    for (uint32_t i = 0; i < walk.PassedCount; ++i)
        if (walk.Passed[i] == processId) return true;
    return false;
}

void PassOver(TerminateWalk& walk, DWORD processId, DWORD error, const wchar_t* fileName)
{
    if (walk.PassedCount < TerminateCallLimit) walk.Passed[walk.PassedCount++] = processId;
    ProgramOutcome& outcome = walk.Outcome;
    if (outcome.PassedOverCount < PassedOverKept) outcome.PassedOver[outcome.PassedOverCount] = {processId, error};
    ++outcome.PassedOverCount;
    char pid[DecimalCapacity], name[PathCapacity], reason[PathCapacity], line[TextCapacity];
    FormatUnsignedDecimal(processId, pid);
    if (!NarrowToUtf8(fileName, name, sizeof name)) name[0] = '\0';
    ErrorTextOrWords(error, reason, sizeof reason);
    (void)TextJoin(line, {"TERM passed over process ", pid, " (", name, "): ", reason});
    DebugLine(line);
}

// One walk over the process list: every instance not passed over is ended or passed over.
// The number ended.
uint32_t TerminatePass(const wchar_t* fileName, TerminateWalk& walk)
{
    ScopedSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    if (!Process32FirstW(snapshot.Get(), &entry)) return 0;
    uint32_t ended = 0;
    do {
        if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.szExeFile, -1, fileName, -1) != CSTR_EQUAL)
            continue;
        DWORD processId = entry.th32ProcessID;
        if (processId == GetCurrentProcessId() || WasPassedOver(walk, processId)) continue;
        if (walk.Calls >= TerminateCallLimit) break;
        ++walk.Calls;
        DWORD error = 0;
        if (TerminateWindowsInstance(processId, &error)) {
            ++ended;
            ++walk.Outcome.Count;
        } else {
            PassOver(walk, processId, error, entry.szExeFile);
        }
    } while (Process32NextW(snapshot.Get(), &entry));
    return ended;
}

}  // namespace

void TerminateInstances(const char* program, ProgramOutcome& outcome)
{
    char path[TextCapacity];
    bool native = false;
    if (!FoundProgramPath(program, path, native)) return;
    // A program of no known kind has no instances to end (as FindInstance finds none).
    if (KindOfExeType(ExeTypeOf(path, native)) == ProgramKind::None) return;
    wchar_t fileName[TextCapacity];
    if (!WidenUtf8(path + FileNameOffset(path), fileName, TextCapacity)) return;
    TerminateWalk walk = {outcome, {}, 0, 0};
    for (int32_t pass = 0; pass < TerminatePassLimit && walk.Calls < TerminateCallLimit; ++pass)
        if (TerminatePass(fileName, walk) == 0) break;
}

DWORD FindInstance(const char* program, InstanceMode mode, DWORD budget)
{
    char path[TextCapacity];
    bool native = false;
    TimeMark("instance: search");
    if (!FoundProgramPath(program, path, native)) return 0;
    TimeMark("instance: program searched");
    const char* fileName = path + FileNameOffset(path);
    uint32_t exeType = ExeTypeOf(path, native);
    TimeMark("instance: exe type read");
    switch (KindOfExeType(exeType)) {
    case ProgramKind::Windows: return FindWindowsInstance(fileName, mode, budget);
    case ProgramKind::Console:
        // Queried and ended by its file name like any program: its window's caption is not
        // ours to know.
        if (mode == InstanceMode::Query || mode == InstanceMode::Terminate)
            return FindWindowsInstance(fileName, mode, budget);
        if (mode == InstanceMode::Show) {
            if (DWORD shown = ShowConsoleInstance(program, fileName)) return shown;
        }
        return FindConsoleInstance(mode, budget);
    case ProgramKind::None: break;
    }
    return 0;
}

int32_t ShowInstanceWindow(DWORD processId, InstanceMode mode, DWORD budget)
{
    ScopedHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    if (!process) return 0;
    WindowSearch search = {processId, mode, GetTickCount(), budget, nullptr, 0, false};
    return HandleMainWindow(process.Get(), search);
}

int32_t HideStartedWindow(HANDLE process, DWORD processId, HANDLE firstThread, DWORD firstThreadId, DWORD budget)
{
    WindowSearch search = {processId, InstanceMode::Hide, GetTickCount(), budget, firstThread, firstThreadId, false};
    return HandleMainWindow(process, search);
}

DWORD OldestThreadOf(DWORD processId)
{
    ScopedSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
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
