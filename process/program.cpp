#include "process/program.h"

#include <shellapi.h>

#include "common/buffers.h"
#include "common/command_text.h"
#include "common/debug_line.h"
#include "common/error_text.h"
#include "common/file_system.h"
#include "common/scoped.h"
#include "common/system_library.h"
#include "common/text.h"
#include "common/time_mark.h"
#include "common/unattended.h"
#include "common/unicode.h"
#include "common/window.h"
#include "process/instance.h"
#include "process/program_core.h"
#include "process/program_search.h"

namespace {

// Tells the caller how the step ended.
void Tell(ProgramOutcome& outcome, ProgramEnd end, uint32_t processId = 0, uint32_t error = 0)
{
    outcome.End = end;
    outcome.ProcessId = processId;
    outcome.Error = error;
}

// A found program the system would not start leaves a trace: the system's text and the
// program text, as one debug line.
void SayNotStarted(DWORD error, const char* program)
{
    char reason[PathCapacity], text[TextCapacity];
    ErrorTextOrWords(error, reason, sizeof reason);
    (void)TextJoin(text, {reason, " ", program});
    DebugLine(text);
}

// The system's text for the error, a line feed and the program text.
bool ShowSearchError(DWORD error, const char* program, uint32_t boxSeconds)
{
    char systemText[PathCapacity] = {};
    (void)SystemErrorText(error, systemText);  // none: the error number stands in
    char text[TextCapacity];
    FormatExecuteError(systemText, error, program, text, sizeof text);
    return ShowExecuteError(text, boxSeconds);
}

bool ShowCommandTooLong(const char* program, uint32_t boxSeconds)
{
    char text[TextCapacity];
    FormatCommandTooLong(program, text, sizeof text);
    return ShowExecuteError(text, boxSeconds);
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

// A program the start step created, its first thread, its kind as its headers gave it, and
// the job it runs in when a time-out may end it.
struct StartedProgram {
    ScopedHandle Process;
    ScopedHandle Thread;
    DWORD ProcessId = 0, ThreadId = 0;
    ProgramKind Kind = ProgramKind::None;
    ScopedHandle Job;
};

// Opens a folder in a shell window. True when the shell did; otherwise the caller goes on as
// for a file, which reports the failure.
bool OpenFolder(const char* program)
{
    wchar_t folder[TextCapacity];
    if (!WidenUtf8(program, folder, TextCapacity)) return false;
    // The shell library is loaded for this alone: most runs start no folder.
    auto shellExecute = SystemFunction<decltype(&ShellExecuteW)>("shell32.dll", "ShellExecuteW");
    auto opened =
        shellExecute
            ? reinterpret_cast<INT_PTR>(shellExecute(nullptr, L"open", folder, nullptr, nullptr, SW_SHOWDEFAULT))
            : 0;
    return opened > 32;
}

// The start's texts as the wide calls take them; each fits: its UTF-8 form was held to
// TextUnitLimit units.
struct WideStart {
    wchar_t ModulePath[TextUnitLimit + 1];
    wchar_t CommandLine[TextUnitLimit + 1];
    wchar_t Directory[TextUnitLimit + 1];
    wchar_t Title[TextUnitLimit + 1];
};

bool Widen(const char* modulePath, const char* commandLine, const char* directory, const char* program, WideStart& wide)
{
    return WidenUtf8(modulePath, wide.ModulePath, TextUnitLimit + 1) &&
           WidenUtf8(commandLine, wide.CommandLine, TextUnitLimit + 1) &&
           WidenUtf8(directory, wide.Directory, TextUnitLimit + 1) && WidenUtf8(program, wide.Title, TextUnitLimit + 1);
}

// The standard handles of a hidden program whose output is kept: the output file serves both
// output and error, so their lines stay in the order written; the input is a pipe whose
// write end is closed, so every read ends at once (a pipe rather than the NUL device: programs
// take a pipe for input that is not interactive and ask nothing, where NUL is a character
// device, which C runtimes take for a console).
struct StandardHandles {
    ScopedFile Output;
    ScopedHandle Input;
};

// Inheritable, as the handle list requires; only the listed ones are inherited, and only for
// the one start they are made for.
SECURITY_ATTRIBUTES Inheritable() { return {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE}; }

// Opens the output file for appending, its folder made when missing. Every write of a handle
// with FILE_APPEND_DATA alone lands at the end of the file as one step, so launchers appending
// to one file at once lose nothing.
OutputKept OpenOutputFile(const char* path, ScopedFile& file, uint32_t& error)
{
    wchar_t wide[TextCapacity];
    if (!WidenUtf8(path, wide, TextCapacity)) {
        error = ERROR_INVALID_NAME;
        return OutputKept::NotKept;
    }
    (void)CreateFolderOf(wide);  // one that cannot be made fails the open, which says why
    SECURITY_ATTRIBUTES inheritable = Inheritable();
    file.Reset(CreateFileW(wide, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return OutputKept::NotKept;
    }
    // A device or a pipe can hold a write for ever, and NUL keeps nothing.
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        file.Reset();
        return OutputKept::NoDiskFile;
    }
    return OutputKept::Kept;
}

OutputKept OpenEmptyInput(ScopedHandle& input, uint32_t& error)
{
    SECURITY_ATTRIBUTES inheritable = Inheritable();
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inheritable, 0)) {
        error = GetLastError();
        return OutputKept::NotKept;
    }
    input.Reset(read);
    ScopedHandle writer(write);  // closed at once: the pipe has no writer
    return OutputKept::Kept;
}

// Why the output was not kept, as one debug line.
void SayOutputNotKept(const ProgramOutcome& outcome)
{
    char reason[PathCapacity];
    if (outcome.Output == OutputKept::NoDiskFile)
        (void)TextCopy(reason, "it names no file on a disk (a device or a pipe)");
    else
        ErrorTextOrWords(outcome.OutputError, reason, sizeof reason);
    char line[TextCapacity];
    (void)TextJoin(line, {"The program's output is not kept: ", outcome.OutputFile, ": ", reason});
    DebugLine(line);
}

// The output file and the empty input of a hidden start when its output was asked for. True
// when both are open; otherwise the program starts as without them, and the outcome and a
// debug line say why.
bool PrepareOutput(const OutputRequest& request, Visibility visibility, StandardHandles& handles,
                   ProgramOutcome& outcome)
{
    bool named = request.Path && request.Path[0];
    if (!named && !request.Refused) return false;
    (void)TextCopyForDisplay(outcome.OutputFile, sizeof outcome.OutputFile, named ? request.Path : "");
    if (visibility == Visibility::Shown) {
        outcome.Output = OutputKept::Shown;
        return false;
    }
    uint32_t error = request.Refused;
    OutputKept kept = error ? OutputKept::NotKept : OpenOutputFile(request.Path, handles.Output, error);
    if (kept == OutputKept::Kept) kept = OpenEmptyInput(handles.Input, error);
    outcome.Output = kept;
    outcome.OutputError = kept == OutputKept::NotKept ? error : 0;
    if (kept == OutputKept::Kept) return true;
    handles.Output.Reset();
    handles.Input.Reset();
    SayOutputNotKept(outcome);
    return false;
}

// The attribute list of a start that passes standard handles: the started program inherits
// the listed handles and no other of this process's inheritable ones.
class InheritOnly {
public:
    InheritOnly() = default;
    // False when the list could not be made: then nothing may be inherited.
    bool Make(HANDLE output, HANDLE input)
    {
        handles_[0] = output;
        handles_[1] = input;
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_);
        if (size == 0 || size > sizeof buffer_) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return false;
        list_ = list;
        if (UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_, sizeof handles_, nullptr,
                                      nullptr))
            return true;
        DWORD error = GetLastError();
        DeleteProcThreadAttributeList(list_);
        list_ = nullptr;
        SetLastError(error);
        return false;
    }
    ~InheritOnly()
    {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }

private:
    HANDLE handles_[2] = {};
    alignas(void*) unsigned char buffer_[256];  // one attribute takes a few dozen bytes
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// Start: finds the program, starts it (suspended into a job when a time-out may end a hidden
// program) and lets it run. A program that cannot be found or whose command line does not fit
// gets its box and is not started. False when nothing was started.
bool StartProgram(const char* program, const char* parameters, const char* workingDir, Visibility visibility,
                  uint32_t milliseconds, uint32_t boxSeconds, const OutputRequest& output, StartedProgram& started,
                  ProgramOutcome& outcome)
{
    char modulePath[TextCapacity] = {};
    FoundProgram found = SearchProgram(program, modulePath, sizeof modulePath);
    TimeMark("start: program searched");
    if (found.length == 0) {
        Tell(outcome, ProgramEnd::NotFound, 0, found.error);
        outcome.BoxClosedByItself = ShowSearchError(found.error, program, boxSeconds);
        return false;  // no fallback start: a program the search cannot find is not started at all
    }
    char commandLine[TextCapacity] = {};
    char directory[TextCapacity] = {};
    WideStart wide;
    if (found.length >= sizeof modulePath ||
        !JoinCommandLine(modulePath, parameters, commandLine, sizeof commandLine) ||
        !WorkingDirectoryFor(modulePath, workingDir, directory, sizeof directory) ||
        !Widen(modulePath, commandLine, directory, program, wide)) {
        Tell(outcome, ProgramEnd::TooLong, 0, ERROR_FILENAME_EXCED_RANGE);
        outcome.BoxClosedByItself = ShowCommandTooLong(program, boxSeconds);
        return false;
    }

    // A batch file runs in the command interpreter, started here rather than by the system, so
    // its path reaches it whole (through BatchPathVariable) whatever characters it holds.
    bool batch = LineReaderOf(modulePath) == LineReader::BatchFile;
    wchar_t batchPath[TextUnitLimit + 1];
    if (batch) {
        char line[TextCapacity];
        UINT folder = GetSystemDirectoryW(wide.ModulePath, TextUnitLimit + 1);
        if (!JoinBatchCommandLine(parameters, line, sizeof line) || !TextFitsUnits(line, TextUnitLimit) ||
            !WidenUtf8(line, wide.CommandLine, TextUnitLimit + 1) || folder == 0 || folder > TextUnitLimit - 8 ||
            !WidenUtf8(modulePath, batchPath, TextUnitLimit + 1)) {
            Tell(outcome, ProgramEnd::TooLong, 0, ERROR_FILENAME_EXCED_RANGE);
            outcome.BoxClosedByItself = ShowCommandTooLong(program, boxSeconds);
            return false;
        }
        (void)TextAppend(wide.ModulePath, L"\\cmd.exe");
    }

    uint32_t exeType = batch ? SignaturePE : ExeTypeOf(modulePath, found.native);
    StartRecipe recipe = RecipeForExeType(exeType);
    started.Kind = KindOfExeType(exeType);
    TimeMark("start: exe type read");
    bool hidden = visibility == Visibility::Hidden;

    // The inherited start-up values (desktop and the rest) with our own show state and title.
    STARTUPINFOEXW extended = {};
    STARTUPINFOW& startup = extended.StartupInfo;
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    TimeMark("start: startup info");
    startup.cb = sizeof startup;
    startup.lpReserved = nullptr;
    startup.lpTitle = recipe.passTitle ? wide.Title : nullptr;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    startup.wShowWindow = hidden ? SW_HIDE : SW_SHOWNORMAL;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;

    // Its output kept: the three standard handles, and no other handle, passed to it.
    StandardHandles standard;
    bool passHandles = PrepareOutput(output, visibility, standard, outcome);
    InheritOnly inherit;
    if (passHandles && !inherit.Make(standard.Output.Get(), standard.Input.Get())) {
        outcome.Output = OutputKept::NotKept;
        outcome.OutputError = GetLastError();
        SayOutputNotKept(outcome);
        passHandles = false;
    }
    DWORD passFlags = 0;
    if (passHandles) {
        startup.cb = sizeof extended;
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = standard.Input.Get();
        startup.hStdOutput = standard.Output.Get();
        startup.hStdError = standard.Output.Get();
        extended.lpAttributeList = inherit.Get();
        passFlags = EXTENDED_STARTUPINFO_PRESENT;
    }

    // A hidden program that may be ended starts suspended and joins the job before it runs, so
    // nothing it starts escapes the job.
    if (hidden && TimeoutWaits(milliseconds)) {
        started.Job.Reset(CreateJobObjectW(nullptr, nullptr));
        if (started.Job && !AllowBreakaway(started.Job.Get())) started.Job.Reset();
    }
    PROCESS_INFORMATION created;
    BOOL made;
    wchar_t batchVariable[sizeof BatchPathVariable];
    for (size_t i = 0; i < sizeof BatchPathVariable; ++i) batchVariable[i] = wchar_t(BatchPathVariable[i]);
    if (batch) SetEnvironmentVariableW(batchVariable, batchPath);
    {
        NativeFolderView view(found.native);
        made = CreateProcessW(recipe.passModuleName ? wide.ModulePath : nullptr, wide.CommandLine, nullptr, nullptr,
                              passHandles ? TRUE : FALSE,
                              recipe.creationFlags | passFlags | (started.Job ? CREATE_SUSPENDED : 0), nullptr,
                              wide.Directory[0] ? wide.Directory : nullptr, &startup, &created);
    }
    DWORD createError = GetLastError();
    if (batch) SetEnvironmentVariableW(batchVariable, nullptr);  // the started interpreter has its own copy
    SetLastError(createError);
    TimeMark("start: process created");
    (void)TextCopyForDisplay(outcome.CommandLine, sizeof outcome.CommandLine, commandLine);
    if (!made) {
        DWORD error = GetLastError();
        Tell(outcome, ProgramEnd::NotStarted, 0, error);
        SayNotStarted(error, program);
        return false;
    }
    started.Process.Reset(created.hProcess);
    started.Thread.Reset(created.hThread);
    started.ProcessId = created.dwProcessId;
    started.ThreadId = created.dwThreadId;
    Tell(outcome, ProgramEnd::StillRunning, created.dwProcessId);
    if (started.Job) {
        // Refused where this process's own job allows no job below it: then the time-out ends
        // the program alone.
        if (!AssignProcessToJobObject(started.Job.Get(), started.Process.Get())) started.Job.Reset();
        ResumeThread(started.Thread.Get());
    }
    return true;
}

// Wait for ready: a hidden program is given until it is idle, within budget.
void WaitForReady(const StartedProgram& started, uint32_t budget) { WaitForInputIdle(started.Process.Get(), budget); }

// Hide: the started program's window, within what is left of the budget. A Windows program's
// window is the process's own, which the start knows; a console's is found by the title the
// start gave it.
void HideStarted(const char* program, const StartedProgram& started, uint32_t left)
{
    if (started.Kind == ProgramKind::Windows)
        HideStartedWindow(started.Process.Get(), started.ProcessId, started.Thread.Get(), started.ThreadId, left);
    else if (started.Kind == ProgramKind::Console)
        FindInstance(program, InstanceMode::Hide, left);
}

// Wait for the time-out: true when the program still runs once the time-out is spent.
bool WaitForTimeout(const StartedProgram& started, uint32_t milliseconds, uint32_t spent)
{
    return WaitForSingleObject(started.Process.Get(), WaitLeft(milliseconds, spent)) == WAIT_TIMEOUT;
}

// End: the program and what it started (its job), or the program alone. True when ended.
bool EndProgram(const StartedProgram& started)
{
    return (started.Job ? TerminateJobObject(started.Job.Get(), 0) : TerminateProcess(started.Process.Get(), 0)) !=
           FALSE;
}

// What the step leaves behind: whether the program still runs, else its exit code.
void NoteExit(const StartedProgram& started, ProgramOutcome& outcome)
{
    DWORD code = 0;
    if (WaitForSingleObject(started.Process.Get(), 0) == WAIT_TIMEOUT ||
        !GetExitCodeProcess(started.Process.Get(), &code))
        return;
    outcome.End = ProgramEnd::Exited;
    outcome.ExitCode = code;
}

}  // namespace

DWORD LaunchProgram(const char* program, const char* parameters, const char* workingDir, const LaunchChoice& choice,
                    ProgramOutcome* outcome)
{
    ProgramOutcome own;
    ProgramOutcome& noted = outcome ? *outcome : own;
    FillBytes(&noted, sizeof noted, 0);
    (void)TextCopyForDisplay(noted.CommandLine, sizeof noted.CommandLine, program);
    switch (ChooseLaunchAction(choice.Term, choice.Unhide, choice.Show)) {
    case LaunchAction::TerminateInstances:
        TerminateInstances(program, noted);
        Tell(noted, ProgramEnd::InstancesEnded);
        return 0;
    case LaunchAction::ShowInstance: {
        DWORD shown = FindInstance(program, InstanceMode::Show);
        Tell(noted, shown ? ProgramEnd::InstanceShown : ProgramEnd::Nothing, shown);
        if (shown) return shown;
        if (!choice.Show) return 0;  // nothing runs, so there is nothing to unhide
        break;
    }
    case LaunchAction::Execute: break;
    }
    return ExecuteProgram(program, parameters, workingDir, choice.Show ? Visibility::Shown : Visibility::Hidden,
                          choice.Timeout.Milliseconds(), &noted, choice.BoxSeconds, choice.WaitForEnd, choice.Output);
}

DWORD ExecuteProgram(const char* program, const char* parameters, const char* workingDir, Visibility visibility,
                     uint32_t milliseconds, ProgramOutcome* outcome, uint32_t boxSeconds, bool waitForEnd,
                     const OutputRequest& output)
{
    ProgramOutcome own;
    ProgramOutcome& noted = outcome ? *outcome : own;
    if (!outcome) FillBytes(&own, sizeof own, 0);
    Tell(noted, ProgramEnd::Nothing);
    if (!program || !program[0]) return 0;
    TimeMark("execute");
    if (IsFolder(program) && OpenFolder(program)) {
        Tell(noted, ProgramEnd::FolderOpened);
        return 0;
    }
    TimeMark("execute: folder test");

    StartedProgram started;
    if (!StartProgram(program, parameters, workingDir, visibility, milliseconds, boxSeconds, output, started, noted))
        return 0;

    // The idle wait and the hiding count against the time-out, so a program that never gets
    // that far is still ended in time; with no time-out they are bounded all the same.
    bool hidden = visibility == Visibility::Hidden;
    DWORD spent = 0;
    if (hidden) {
        DWORD begin = GetTickCount();
        uint32_t budget = StartWaitBudget(milliseconds);
        WaitForReady(started, budget);
        TimeMark("idle");
        HideStarted(program, started, WaitLeft(budget, GetTickCount() - begin));
        spent = GetTickCount() - begin;
        TimeMark("hidden");
    }
    // Still running when the time is up: a hidden program is ended with what it started, a
    // shown one left alone.
    bool timedOut = TimeoutWaits(milliseconds) && WaitForTimeout(started, milliseconds, spent);
    if (timedOut && hidden && EndProgram(started)) {
        noted.End = ProgramEnd::EndedAtTimeout;
        return 0;  // ended: no process id to give
    }
    // The caller asked for the program's exit code and set no time-out: no bound is wanted.
    if (waitForEnd && !TimeoutWaits(milliseconds)) WaitForSingleObject(started.Process.Get(), INFINITE);
    NoteExit(started, noted);
    return noted.ProcessId;
}

bool ShowExecuteError(const char* text, uint32_t seconds)
{
    if (TellUnseen(ExecuteErrorCaption, text)) return false;  // nobody could answer a box: a debug line instead
    return ShowMessageBox(nullptr, text, ExecuteErrorCaption, MB_ICONHAND, seconds) == BoxClosedByItself;
}
