#include "launcher/program.h"

#include <shellapi.h>

#include "common/buffers.h"
#include "common/file_system.h"
#include "common/scoped.h"
#include "common/system_library.h"
#include "common/text.h"
#include "common/window.h"
#include "launcher/instance.h"
#include "launcher/program_core.h"
#include "launcher/program_search.h"

namespace {

const char ErrorCaption[] = "Error when executing";

void ShowError(const char* text) { MessageBoxA(nullptr, text, ErrorCaption, MB_ICONHAND); }

// The system's text for the error, a line feed and the program text.
void ShowSearchError(DWORD error, const char* program)
{
    char systemText[PathCapacity] = {};
    (void)SystemErrorText(error, systemText);  // none: the error number stands in
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

// The job a hidden program with a time-out starts in, so the time-out ends the processes it
// started with it. Not kill-on-close: whatever runs when this process lets go keeps running.
// A program that asks to start a process outside its job may, as it could before it was in one.
bool AllowBreakaway(HANDLE job)
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    return SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) != FALSE;
}

}  // namespace

DWORD LaunchProgram(const char* program, const char* parameters, const char* workingDir, int32_t term, int32_t unhide,
                    int32_t show, int32_t timeout)
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
    case LaunchAction::Execute: break;
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
        auto opened =
            shellExecute
                ? reinterpret_cast<INT_PTR>(shellExecute(nullptr, "open", program, nullptr, nullptr, SW_SHOWDEFAULT))
                : 0;
        if (opened > 32) return 0;
        // The shell could not open it: go on as for a file, which reports the failure.
    }

    char modulePath[TextCapacity] = {};
    FoundProgram found = SearchProgram(program, modulePath, sizeof modulePath);
    if (found.length == 0) {
        ShowSearchError(found.error, program);
        return 0;  // no fallback start: a program the search cannot find is not started at all
    }
    char commandLine[TextCapacity] = {};
    char directory[TextCapacity] = {};
    if (found.length >= sizeof modulePath ||
        !JoinCommandLine(modulePath, parameters, commandLine, sizeof commandLine) ||
        !WorkingDirectoryFor(modulePath, workingDir, directory, sizeof directory)) {
        ShowCommandTooLong(program);
        return 0;
    }

    StartRecipe recipe = RecipeForExeType(ExeTypeOf(modulePath, found.native));

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

    // A hidden program that may be ended starts suspended and joins the job before it runs, so
    // nothing it starts escapes the job.
    ScopedHandle job;
    if (shown != 1 && TimeoutWaits(milliseconds)) {
        job.Reset(CreateJobObjectA(nullptr, nullptr));
        if (job && !AllowBreakaway(job.Get())) job.Reset();
    }
    PROCESS_INFORMATION started;
    BOOL created;
    {
        NativeFolderView view(found.native);
        created = CreateProcessA(recipe.passModuleName ? modulePath : nullptr, commandLine, nullptr, nullptr, FALSE,
                                 recipe.creationFlags | (job ? CREATE_SUSPENDED : 0), nullptr,
                                 directory[0] ? directory : nullptr, &startup, &started);
    }
    if (!created) return 0;
    ScopedHandle process(started.hProcess);
    ScopedHandle thread(started.hThread);
    DWORD result = started.dwProcessId;
    if (job) {
        // Refused where this process's own job allows no job below it: then the time-out ends
        // the program alone.
        if (!AssignProcessToJobObject(job.Get(), process.Get())) job.Reset();
        ResumeThread(thread.Get());
    }

    // The idle wait and the hiding count against the time-out, so a program that never gets
    // that far is still ended in time; with no time-out they are bounded all the same.
    DWORD spent = 0;
    if (shown != 1) {
        DWORD begin = GetTickCount();
        uint32_t budget = StartWaitBudget(milliseconds);
        WaitForInputIdle(process.Get(), budget);
        FindInstance(program, ModeHide, WaitLeft(budget, GetTickCount() - begin));
        spent = GetTickCount() - begin;
    }
    if (TimeoutWaits(milliseconds) &&
        WaitForSingleObject(process.Get(), WaitLeft(milliseconds, spent)) == WAIT_TIMEOUT && shown != 1) {
        // Still running when the time is up: a hidden program is ended with what it started, a
        // shown one left alone.
        BOOL ended = job ? TerminateJobObject(job.Get(), 0) : TerminateProcess(process.Get(), 0);
        if (ended) result = 0;
    }
    return result;
}
