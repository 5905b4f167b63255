#include "launcher/program.h"

#include <shellapi.h>

#include "common/buffers.h"
#include "common/file_system.h"
#include "common/scoped.h"
#include "common/system_library.h"
#include "common/text.h"
#include "common/unattended.h"
#include "common/window.h"
#include "launcher/instance.h"
#include "launcher/program_core.h"
#include "launcher/program_search.h"

namespace {

const char ErrorCaption[] = "Error when executing";

void ShowError(const char* text)
{
    if (TellUnseen(ErrorCaption, text)) return;  // nobody could answer a box: a debug line instead
    MessageBoxA(nullptr, text, ErrorCaption, MB_ICONHAND);
}

// Tells the caller how the step ended, when it asked.
void Tell(ProgramOutcome* outcome, ProgramEnd end, uint32_t processId = 0, uint32_t error = 0)
{
    if (!outcome) return;
    outcome->End = end;
    outcome->ProcessId = processId;
    outcome->Error = error;
}

// A found program the system would not start leaves a trace: the system's text and the
// program text, as one debug line.
void SayNotStarted(DWORD error, const char* program)
{
    char text[TextCapacity];
    ErrorTextOrWords(error, text, PathCapacity);
    bool fit = TextAppend(text, " ") && TextAppend(text, program);
    (void)fit;
    DebugLine(text);
}

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
                    int32_t show, int32_t timeout, ProgramOutcome* outcome)
{
    if (outcome) {
        FillBytes(outcome, sizeof *outcome, 0);
        (void)TextCopyForDisplay(outcome->CommandLine, sizeof outcome->CommandLine, program);
    }
    uint32_t milliseconds = TimeoutMilliseconds(timeout);
    switch (ChooseLaunchAction(term, unhide, show)) {
    case LaunchAction::TerminateInstances:
        for (int32_t calls = 0; calls < TerminateCallLimit; ++calls) {
            if (!FindInstance(program, ModeTerminate)) break;
            if (outcome) ++outcome->Count;
        }
        Tell(outcome, ProgramEnd::InstancesEnded);
        return 0;
    case LaunchAction::ShowInstance: {
        DWORD shown = FindInstance(program, ModeShow);
        Tell(outcome, shown ? ProgramEnd::InstanceShown : ProgramEnd::Nothing, shown);
        if (shown) return shown;
        if (!show) return 0;  // nothing runs, so there is nothing to unhide
        break;
    }
    case LaunchAction::Execute: break;
    }
    return ExecuteProgram(program, parameters, workingDir, show ? 1 : 0, milliseconds, outcome);
}

DWORD ExecuteProgram(const char* program, const char* parameters, const char* workingDir, int32_t shown,
                     uint32_t milliseconds, ProgramOutcome* outcome)
{
    Tell(outcome, ProgramEnd::Nothing);
    if (!program || !program[0]) return 0;

    if (IsFolder(program)) {
        // The shell library is loaded for this alone: most runs start no folder.
        auto shellExecute = SystemFunction<decltype(&ShellExecuteA)>("shell32.dll", "ShellExecuteA");
        auto opened =
            shellExecute
                ? reinterpret_cast<INT_PTR>(shellExecute(nullptr, "open", program, nullptr, nullptr, SW_SHOWDEFAULT))
                : 0;
        if (opened > 32) {
            Tell(outcome, ProgramEnd::FolderOpened);
            return 0;
        }
        // The shell could not open it: go on as for a file, which reports the failure.
    }

    char modulePath[TextCapacity] = {};
    FoundProgram found = SearchProgram(program, modulePath, sizeof modulePath);
    if (found.length == 0) {
        Tell(outcome, ProgramEnd::NotFound, 0, found.error);
        ShowSearchError(found.error, program);
        return 0;  // no fallback start: a program the search cannot find is not started at all
    }
    char commandLine[TextCapacity] = {};
    char directory[TextCapacity] = {};
    if (found.length >= sizeof modulePath ||
        !JoinCommandLine(modulePath, parameters, commandLine, sizeof commandLine) ||
        !WorkingDirectoryFor(modulePath, workingDir, directory, sizeof directory)) {
        Tell(outcome, ProgramEnd::TooLong);
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
    if (outcome) (void)TextCopyForDisplay(outcome->CommandLine, sizeof outcome->CommandLine, commandLine);
    if (!created) {
        DWORD error = GetLastError();
        Tell(outcome, ProgramEnd::NotStarted, 0, error);
        SayNotStarted(error, program);
        return 0;
    }
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
    bool running = TimeoutWaits(milliseconds)
                       ? WaitForSingleObject(process.Get(), WaitLeft(milliseconds, spent)) == WAIT_TIMEOUT
                       : WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
    Tell(outcome, running ? ProgramEnd::StillRunning : ProgramEnd::Exited, started.dwProcessId);
    if (running && TimeoutWaits(milliseconds) && shown != 1) {
        // Still running when the time is up: a hidden program is ended with what it started, a
        // shown one left alone.
        BOOL ended = job ? TerminateJobObject(job.Get(), 0) : TerminateProcess(process.Get(), 0);
        if (ended) result = 0;
        if (ended) Tell(outcome, ProgramEnd::EndedAtTimeout, started.dwProcessId);
    }
    DWORD exitCode = 0;
    if (outcome && outcome->End == ProgramEnd::Exited && GetExitCodeProcess(process.Get(), &exitCode))
        outcome->ExitCode = exitCode;
    return result;
}
