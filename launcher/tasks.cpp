#include "launcher/tasks.h"

#include <windows.h>

#include "common/command_text.h"
#include "common/debug_line.h"
#include "common/error_text.h"
#include "common/number.h"
#include "common/text.h"
#include "common/time_mark.h"
#include "common/unattended.h"
#include "common/window.h"
#include "filecopy/file_copy.h"
#include "launcher/run_outcome_core.h"
#include "launcher/run_record.h"
#include "launcher/run_turn.h"
#include "launcher/tasks_core.h"
#include "process/instance.h"
#include "process/program.h"
#include "settings/ini_file.h"
#include "settings/macros.h"
#include "settings/run_settings.h"
#include "settings/settings_file.h"
#include "settings/settings_file_core.h"

namespace {

constexpr UINT PromptStyle = MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL | MB_TOPMOST;
static_assert(PromptStyle == 0x41024);

// The three texts a step acts on, expanded.
struct ExpansionBuffers {
    char ProgramOrSource[TextCapacity];     // Program, or CopySource
    char ParametersOrTarget[TextCapacity];  // Parameters, or CopyTarget
    char WorkingDir[TextCapacity];
};

// One settings-file run: what start-up handed over, what the run loaded and computed, and
// the working buffers of its steps.
struct TaskRun {
    const StartupValues* Startup;
    TaskRecords Tasks;
    MacroRun Macros;
    char ProcessIdText[PathCapacity];  // the %PROCESSID% value, fixed once at the start
    ExpansionBuffers Expanded;
    char PromptCaption[PathCapacity];
    char PromptText[TextCapacity];
    RunSettings Unattended;  // the [RUN] section: answers nobody gave, the record
    RunRecord Record;
    const char* TaskName;       // of the task at hand, for the record
    RunOutcome Outcome;         // the first step that went wrong
    uint32_t SettingsProblems;  // keys and values the run could not use, named or not
};

// A file of garbage could name thousands: the first ones are what a reader needs.
constexpr uint32_t SettingsProblemsNamed = 20;

// reader: who reads the expanded text (the branch is placed for it); unsafe is set when the
// branch could not be placed as text.
MacroInputs InputsOf(const TaskRun& run, LineReader reader = LineReader::Program, bool* unsafe = nullptr)
{
    return {&run.Macros.Values, run.ProcessIdText, &run.Tasks, 0, reader, unsafe};
}

// Shows the prepared prompt on top of everything; only Yes lets the step run. Where nobody can
// see it, or nobody answers it in time, PromptDefault answers.
bool Confirmed(TaskRun& run)
{
    bool yes = run.Unattended.PromptDefaultYes;
    if (TellUnseen(run.PromptCaption, run.PromptText)) {
        RecordPrompt(run.Record, run.TaskName, run.PromptText, yes, PromptAnsweredBy::Nobody);
        return yes;
    }
    // A moment before taking the foreground: a window the previous step started or showed is
    // still coming up, and would cover a prompt raised under it.
    Sleep(50);
    // Asked for here, not at start-up: under Wine the first call makes this process's desktop
    // window, some megabytes that a run without a prompt or a hidden start does without.
    HWND desktop = GetDesktopWindow();
    BringToFront(desktop);
    int answer =
        ShowMessageBox(desktop, run.PromptText, run.PromptCaption, PromptStyle, run.Unattended.PromptTimeoutSeconds);
    if (answer != BoxClosedByItself) yes = answer == IDYES;
    RecordPrompt(run.Record, run.TaskName, run.PromptText, yes,
                 answer == BoxClosedByItself ? PromptAnsweredBy::TimeOut : PromptAnsweredBy::User);
    return yes;
}

// True when the field's value in the settings file was longer than the field: the record
// holds a cut text that no step may act on.
bool WasCut(const TaskRun& run, TaskId id, const char* field)
{
    const TaskSettings& task = run.Tasks.Of(id);
    size_t offset = size_t(field - reinterpret_cast<const char*>(&task));
    for (int32_t i = 0; i < SettingsKeyCount; ++i)
        if (SettingsKeys[i].Offset == offset) return run.Tasks.CutKeysOf(id) & (1u << i);
    return false;
}

// Expands a field for display in a prompt, as far as it fits.
void ExpandForPrompt(const TaskRun& run, TaskId id, const char* field, char (&output)[TextCapacity])
{
    (void)ExpandMacros(field, output, id, InputsOf(run));
}

// Expands a field for a step; false when the field or its expansion is cut, or (unsafe set)
// the branch could not be placed as text for the reader.
bool ExpandForStep(const TaskRun& run, TaskId id, const char* field, char (&output)[TextCapacity],
                   LineReader reader = LineReader::Program, bool* unsafe = nullptr)
{
    return ExpandMacros(field, output, id, InputsOf(run, reader, unsafe)) && !WasCut(run, id, field);
}

void CopyStep(TaskRun& run, TaskId id, const TaskDecisions& decided, const char* caption, const char* step, bool ask)
{
    const TaskSettings& task = run.Tasks.Of(id);
    ExpansionBuffers& expanded = run.Expanded;
    if (ask) {
        ExpandForPrompt(run, id, task.CopySource, expanded.ProgramOrSource);
        ExpandForPrompt(run, id, task.CopyTarget, expanded.ParametersOrTarget);
        (void)TextCopy(run.PromptCaption, caption);
        CopyPromptText(expanded.ProgramOrSource, expanded.ParametersOrTarget, run.PromptText);
        if (!Confirmed(run)) return;
    }
    // A copy on a cut path would copy the wrong files: it is refused in the copy's own words.
    if (!ExpandForStep(run, id, task.CopySource, expanded.ProgramOrSource) ||
        !ExpandForStep(run, id, task.CopyTarget, expanded.ParametersOrTarget)) {
        CopyTally tally = {&run.Record, run.TaskName, 0, 0, 0, 0, 0};
        CopySettings refused;
        refused.ownName = run.Startup->OwnName;
        refused.report = RecordCopyEvent;
        refused.reportContext = &tally;
        ReportRefused(refused, task.CopySource, task.CopyTarget, ERROR_FILENAME_EXCED_RANGE);
        NoteFailure(run.Outcome, run.TaskName, step, tally.FirstError);
        return;
    }
    CopyTally tally = {
        &run.Record, run.TaskName, 0, 0, 0, run.Unattended.CopyRetries, run.Unattended.CopyRetryWaitSeconds};
    CopySettings settings;
    settings.subfolders = decided.Subfolders ? 1 : 0;
    settings.overwrite = decided.Overwrite ? 1 : 0;
    settings.cutOffMinutes = decided.CutOffMinutes;
    settings.skipGitFolders = decided.SkipGitFolders ? 1 : 0;
    settings.runStartTime = run.Macros.StartTime;
    settings.ownName = run.Startup->OwnName;
    settings.report = RecordCopyEvent;
    settings.reportContext = &tally;
    settings.retries = run.Unattended.CopyRetries;
    settings.retryWaitSeconds = run.Unattended.CopyRetryWaitSeconds;
    CopyFiles(expanded.ProgramOrSource, expanded.ParametersOrTarget, settings);
    RecordCopy(tally, expanded.ProgramOrSource, expanded.ParametersOrTarget);
    NoteFailure(run.Outcome, run.TaskName, step, tally.FirstError);
}

void ProgramStep(TaskRun& run, TaskId id, const TaskDecisions& decided, const char* caption)
{
    const TaskSettings& task = run.Tasks.Of(id);
    ExpansionBuffers& expanded = run.Expanded;
    if (decided.AskExecute) {
        ExpandForPrompt(run, id, task.Program, expanded.ProgramOrSource);
        ExpandForPrompt(run, id, task.Parameters, expanded.ParametersOrTarget);
        ExpandForPrompt(run, id, task.WorkingDir, expanded.WorkingDir);
        ExecutePromptCaption(decided, caption, run.PromptCaption);
        ExecutePromptText(decided, expanded.ProgramOrSource, expanded.ParametersOrTarget, expanded.WorkingDir,
                          run.PromptText);
        if (!Confirmed(run)) return;
    }
    // The parameters of a batch file or of cmd are read by the command interpreter: the branch
    // goes in as text, or the program is not started.
    bool unsafe = false;
    bool programFit = ExpandForStep(run, id, task.Program, expanded.ProgramOrSource);
    LineReader reader = LineReaderOf(expanded.ProgramOrSource);
    if (!programFit || !ExpandForStep(run, id, task.Parameters, expanded.ParametersOrTarget, reader, &unsafe) ||
        !ExpandForStep(run, id, task.WorkingDir, expanded.WorkingDir)) {
        char text[TextCapacity];
        (void)TextCopy(text, unsafe ? UnsafeBranchText : ExpandedTooLongText);
        TextCopyForDisplay(text + TextLength(text), sizeof text - TextLength(text), task.Program);
        ProgramOutcome refused = {};
        refused.End = unsafe ? ProgramEnd::UnsafeText : ProgramEnd::TooLong;
        (void)TextCopyForDisplay(refused.CommandLine, sizeof refused.CommandLine, task.Program);
        refused.BoxClosedByItself = ShowExecuteError(text, run.Unattended.PromptTimeoutSeconds);
        RecordProgram(run.Record, run.TaskName, refused);
        NoteProgram(run.Outcome, run.TaskName, refused);
        return;
    }
    ProgramOutcome outcome;
    LaunchChoice choice = LaunchChoiceOf(decided);
    choice.WaitForEnd = run.Unattended.ExitCodeOutcome;
    choice.BoxSeconds = run.Unattended.PromptTimeoutSeconds;
    // [RUN] OutputFile, its macros expanded for this task: %DATE% gives one file a day.
    char output[TextCapacity];
    if (run.Unattended.OutputFile[0]) {
        bool fit = ExpandMacros(run.Unattended.OutputFile, output, id, InputsOf(run));
        choice.Output = {fit ? output : run.Unattended.OutputFile, fit ? 0u : uint32_t(ERROR_FILENAME_EXCED_RANGE)};
    }
    LaunchProgram(expanded.ProgramOrSource, expanded.ParametersOrTarget, expanded.WorkingDir, choice, &outcome);
    RecordProgram(run.Record, run.TaskName, outcome);
    NoteProgram(run.Outcome, run.TaskName, outcome);
}

// The record named by LogFile (macros expanded), and its start line.
void OpenRecord(TaskRun& run)
{
    if (!run.Unattended.LogFile[0]) return;
    char path[TextCapacity];
    if (!ExpandMacros(run.Unattended.LogFile, path, TaskId::Main, InputsOf(run))) {
        DebugLine("The run's record (LogFile) is not kept: its path is too long once its macros are expanded.");
        return;
    }
    OpenRunRecord(run.Record, path);
    if (!run.Record.File) return;
    char line[TextCapacity];
    (void)TextJoin(line, {"start: ", run.Startup->OwnPath, ", settings ", run.Startup->SettingsFilePath,
                          StationVisible() ? ", desktop visible" : ", desktop not visible"});
    WriteRecordLine(run.Record, line);
}

// A key no task has, or a value not of its kind: the commonest reason a job does nothing, so it
// opens the record, or goes to the debug channel where there is none.
void TellSettingsProblem(void* context, const SettingsProblem& problem)
{
    TaskRun& run = *static_cast<TaskRun*>(context);
    if (++run.SettingsProblems > SettingsProblemsNamed) return;
    int32_t readAs = problem.KeyIndex < 0 ? 0 : NumberField(run.Tasks.Of(problem.Task), SettingsKeys[problem.KeyIndex]);
    char text[TextCapacity];
    DescribeSettingsProblem(problem, readAs, text, sizeof text);
    WriteRecordOrDebugLine(run.Record, text);
}

// After the named ones, how many more there were.
void TellSettingsProblemsLeft(TaskRun& run)
{
    if (run.SettingsProblems <= SettingsProblemsNamed) return;
    char number[DecimalCapacity];
    FormatUnsignedDecimal(run.SettingsProblems - SettingsProblemsNamed, number);
    char text[PathCapacity];
    (void)TextJoin(text, {"settings: ", number, " more keys or values the run cannot use, not named"});
    WriteRecordOrDebugLine(run.Record, text);
}

// The record's last line: the exit code and the step it came from, also when not asked for.
void WriteEndLine(TaskRun& run)
{
    if (!run.Record.File) return;
    char reason[PathCapacity] = {};
    if (run.Outcome.SystemCode) ErrorTextOrWords(run.Outcome.Code, reason, sizeof reason);
    char text[TextCapacity];
    DescribeRunEnd(run.Outcome, run.Unattended.ExitCodeOutcome, reason, text, sizeof text);
    WriteRecordLine(run.Record, text);
}

void RunTask(TaskRun& run, TaskId id, const char* caption)
{
    run.TaskName = id == TaskId::Previous ? "PREVIOUS TASK" : "MAIN TASK";
    const TaskDecisions decided = DecideTask(run.Tasks.Of(id));
    if (decided.CopyBefore) CopyStep(run, id, decided, caption, "copy before", decided.AskCopyBefore);
    if (decided.RunProgram) ProgramStep(run, id, decided, caption);
    if (decided.CopyAfter) CopyStep(run, id, decided, caption, "copy after", decided.AskCopy);
}

// %PROCESSID%: the previous task's running instance, looked for once the run may go.
void FindProcessIdValue(TaskRun& run)
{
    DWORD instance = 0;
    const TaskSettings& previous = run.Tasks.Previous;
    if (previous.Program[0] &&
        ExpandMacros(previous.Program, run.Expanded.ProgramOrSource, TaskId::Previous, InputsOf(run)))
        instance = FindInstance(run.Expanded.ProgramOrSource, InstanceMode::Query);
    char number[DecimalCapacity];
    FormatSignedDecimal(int32_t(instance), number);
    (void)TextCopy(run.ProcessIdText, number);
}

}  // namespace

uint32_t RunTasks(const StartupValues& startup)
{
    TaskRun run = {};
    run.Startup = &startup;
    // The settings file is read once: the tasks and the [RUN] section come from one reading.
    IniFile file;
    // One that cannot be read runs as an empty file, but the run has gone wrong already.
    NoteFailure(run.Outcome, nullptr, "settings file", LoadSettingsFile(startup.SettingsFilePath, file));
    ReadSettings(file.Document, run.Tasks);
    ReadRunSettings(file.Document, run.Unattended);
    TimeMark("tasks: settings read");
    ComputeMacroValues(startup, run.Macros);
    TimeMark("tasks: macro values");

    FindProcessIdValue(run);

    OpenRecord(run);
    FindSettingsProblems(file.Document, TellSettingsProblem, &run);
    TellSettingsProblemsLeft(run);
    // IfRunning: no kernel object without the key. A run that waited takes its macro values
    // afresh: its day, time and %PROCESSID% are those of when it runs.
    RunTurn turn = {};
    TurnGo go = TakeRunTurn(startup.SettingsFilePath, run.Unattended.WhenRunning, run.Record, turn);
    if (go == TurnGo::Skip) NoteFailure(run.Outcome, nullptr, "IfRunning", ERROR_BUSY);
    if (go == TurnGo::RunAfterWait) {
        ComputeMacroValues(startup, run.Macros);
        FindProcessIdValue(run);
    }
    if (go != TurnGo::Skip) {
        RunTask(run, TaskId::Previous, "PREVIOUS TASK: Please confirm");
        RunTask(run, TaskId::Main, "MAIN TASK: Please confirm");
    }
    WriteEndLine(run);
    EndRunTurn(turn);
    return run.Unattended.ExitCodeOutcome ? run.Outcome.Code : 0;
}
