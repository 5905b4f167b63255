#include "launcher/program.h"

#include <shellapi.h>

#include "common/buffers.h"
#include "common/scoped.h"
#include "common/system_library.h"
#include "common/text.h"
#include "launcher/exe_type.h"
#include "launcher/instance.h"
#include "launcher/program_core.h"

namespace {

const char ErrorCaption[] = "Error when executing";

void ShowError(const char* text) { MessageBoxA(nullptr, text, ErrorCaption, MB_ICONHAND); }

// The system's text for the error, a line feed and the program text.
void ShowSearchError(DWORD error, const char* program)
{
    char systemText[PathCapacity] = {};
    // The message is left without its inserts: they would need arguments we do not have.
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), systemText, sizeof systemText, nullptr))
        systemText[0] = '\0';
    char text[TextCapacity];
    FormatExecuteError(systemText, error, program, text, sizeof text);
    ShowError(text);
}

void ShowCommandTooLong(const char* program)
{
    char text[TextCapacity];
    FormatCommandTooLong(program, text, sizeof text);
    ShowError(text);
}

}  // namespace

DWORD LaunchProgram(const char* program, const char* parameters, const char* workingDir, int32_t term,
                    int32_t unhide, int32_t show, int32_t timeout)
{
    uint32_t milliseconds = TimeoutMilliseconds(timeout);
    switch (ChooseLaunchAction(term, unhide, show)) {
    case LaunchAction::TerminateInstances:
        for (int32_t calls = 0; calls < TerminateCallLimit; ++calls)
            if (!FindInstance(program, ModeTerminate)) break;
        return 0;
    case LaunchAction::ShowInstance: {
        DWORD shown = FindInstance(program, ModeShow);
        if (shown) return shown;
        if (!show) return 0;  // nothing runs, so there is nothing to unhide
        break;
    }
    case LaunchAction::Execute:
        break;
    }
    return ExecuteProgram(program, parameters, workingDir, show ? 1 : 0, milliseconds);
}

DWORD ExecuteProgram(const char* program, const char* parameters, const char* workingDir, int32_t shown,
                     uint32_t milliseconds)
{
    if (!program || !program[0]) return 0;

    if (IsFolder(program)) {
        // The shell library is loaded for this alone: most runs start no folder.
        auto shellExecute = SystemFunction<decltype(&ShellExecuteA)>("shell32.dll", "ShellExecuteA");
        auto opened = shellExecute ? reinterpret_cast<INT_PTR>(
                                         shellExecute(nullptr, "open", program, nullptr, nullptr, SW_SHOWDEFAULT))
                                   : 0;
        if (opened > 32) return 0;
        // The shell could not open it: go on as for a file, which reports the failure.
    }

    char modulePath[TextCapacity] = {};
    DWORD found = SearchPathA(nullptr, program, ".exe", sizeof modulePath, modulePath, nullptr);
    if (found == 0) {
        ShowSearchError(GetLastError(), program);
        return 0;  // no fallback start: a program the search cannot find is not started at all
    }
    char commandLine[TextCapacity] = {};
    char directory[TextCapacity] = {};
    if (found >= sizeof modulePath || !JoinCommandLine(modulePath, parameters, commandLine, sizeof commandLine) ||
        !WorkingDirectoryFor(modulePath, workingDir, directory, sizeof directory)) {
        ShowCommandTooLong(program);
        return 0;
    }

    StartRecipe recipe = RecipeForExeType(ExeTypeOf(modulePath));

    // The inherited start-up values (desktop and the rest) with our own show state and title.
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    startup.cb = sizeof startup;
    startup.lpReserved = nullptr;
    startup.lpTitle = recipe.passTitle ? const_cast<char*>(program) : nullptr;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    startup.wShowWindow = shown == 1 ? SW_SHOWNORMAL : SW_HIDE;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;

    PROCESS_INFORMATION started;
    if (!CreateProcessA(recipe.passModuleName ? modulePath : nullptr, commandLine, nullptr, nullptr, FALSE,
                        recipe.creationFlags, nullptr, directory[0] ? directory : nullptr, &startup, &started))
        return 0;
    ScopedHandle process(started.hProcess);
    ScopedHandle thread(started.hThread);
    DWORD result = started.dwProcessId;

    if (shown != 1) {
        WaitForInputIdle(process.Get(), INFINITE);
        FindInstance(program, ModeHide);
    }
    if (TimeoutWaits(milliseconds) && WaitForSingleObject(process.Get(), milliseconds) == WAIT_TIMEOUT &&
        shown != 1) {
        // Still running when the time is up: a hidden program is ended, a shown one left alone.
        if (TerminateProcess(process.Get(), 0)) result = 0;
    }
    return result;
}

int32_t IsFolder(const char* path)
{
    // The attributes answer for a path of any length the system accepts, and unlike a trip
    // through SetCurrentDirectory they leave the current directory alone.
    if (!path || !path[0]) return 0;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}
