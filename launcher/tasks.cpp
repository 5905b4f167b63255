#include "launcher/tasks.h"

#include <windows.h>

#include "common/number.h"
#include "common/text.h"
#include "common/time_mark.h"
#include "common/window.h"
#include "filecopy/file_copy.h"
#include "launcher/tasks_core.h"
#include "process/instance.h"
#include "process/program.h"
#include "settings/macros.h"
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
};

MacroInputs InputsOf(const TaskRun& run) { return {&run.Macros.Values, run.ProcessIdText, &run.Tasks, 0}; }

// Shows the prepared prompt on top of everything; only Yes lets the step run.
bool Confirmed(const TaskRun& run)
{
    Sleep(50);
    // Asked for here, not at start-up: under Wine the first call makes this process's desktop
    // window, some megabytes that a run without a prompt or a hidden start does without.
    HWND desktop = GetDesktopWindow();
    BringToFront(desktop);
    return MessageBoxA(desktop, run.PromptText, run.PromptCaption, PromptStyle) == IDYES;
}

// True when the field's value in the settings file was longer than the field: the record
// holds a cut text that no step may act on.
bool WasCut(const TaskRun& run, TaskId id, const char* field)
{
    const TaskSettings& task = run.Tasks.Of(id);
    size_t offset = size_t(field - reinterpret_cast<const char*>(&task));
    for (int32_t i = 0; i < SettingsKeyCount; ++i)
        if (SettingsKeys[i].Offset == offset) return run.Tasks.CutTextKeys[id] & (1u << i);
    return false;
}

// Expands a field for display in a prompt, as far as it fits.
void ExpandForPrompt(const TaskRun& run, TaskId id, const char* field, char (&output)[TextCapacity])
{
    (void)ExpandMacros(field, output, id, InputsOf(run));
}

// Expands a field for a step; false when the field or its expansion is cut.
bool ExpandForStep(const TaskRun& run, TaskId id, const char* field, char (&output)[TextCapacity])
{
    return ExpandMacros(field, output, id, InputsOf(run)) && !WasCut(run, id, field);
}

void CopyStep(TaskRun& run, TaskId id, const char* caption, bool ask)
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
        ReportCopyFailure(run.Startup->OwnName, task.CopySource, task.CopyTarget, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    CopySettings settings;
    settings.subfolders = FlagIsOne(task.CopySubFolders) ? 1 : 0;
    settings.overwrite = FlagSet(task.CopyOverwrite) ? 1 : 0;
    settings.cutOffMinutes = CutOffMinutes(task);
    settings.skipGitFolders = NamesGitBranch(task);
    settings.runStartTime = run.Macros.StartTime;
    settings.ownName = run.Startup->OwnName;
    CopyFiles(expanded.ProgramOrSource, expanded.ParametersOrTarget, settings);
}

void ProgramStep(TaskRun& run, TaskId id, const char* caption)
{
    const TaskSettings& task = run.Tasks.Of(id);
    ExpansionBuffers& expanded = run.Expanded;
    if (FlagSet(task.AskExecute)) {
        ExpandForPrompt(run, id, task.Program, expanded.ProgramOrSource);
        ExpandForPrompt(run, id, task.Parameters, expanded.ParametersOrTarget);
        ExpandForPrompt(run, id, task.WorkingDir, expanded.WorkingDir);
        ExecutePromptCaption(task, caption, run.PromptCaption);
        ExecutePromptText(task, expanded.ProgramOrSource, expanded.ParametersOrTarget, expanded.WorkingDir,
                          run.PromptText);
        if (!Confirmed(run)) return;
    }
    if (!ExpandForStep(run, id, task.Program, expanded.ProgramOrSource) ||
        !ExpandForStep(run, id, task.Parameters, expanded.ParametersOrTarget) ||
        !ExpandForStep(run, id, task.WorkingDir, expanded.WorkingDir)) {
        char text[TextCapacity];
        (void)TextCopy(text, ExpandedTooLongText);
        TextCopyForDisplay(text + TextLength(text), sizeof text - TextLength(text), task.Program);
        MessageBoxA(nullptr, text, ExecuteErrorCaption, MB_ICONHAND);
        return;
    }
    LaunchProgram(expanded.ProgramOrSource, expanded.ParametersOrTarget, expanded.WorkingDir, LaunchChoiceOf(task));
}

void RunTask(TaskRun& run, TaskId id, const char* caption)
{
    const TaskSettings& task = run.Tasks.Of(id);
    if (task.CopySource[0] && FlagSet(task.CopyBeforeExecute)) CopyStep(run, id, caption, FlagSet(task.AskCopyBefore));
    if (task.Program[0]) ProgramStep(run, id, caption);
    if (task.CopySource[0] && FlagSet(task.CopyAfterExecute)) CopyStep(run, id, caption, FlagSet(task.AskCopy));
}

}  // namespace

int32_t RunTasks(const StartupValues& startup)
{
    TaskRun run = {};
    run.Startup = &startup;
    LoadSettings(startup.SettingsFilePath, run.Tasks);
    TimeMark("tasks: settings read");
    ComputeMacroValues(startup, run.Macros);
    TimeMark("tasks: macro values");

    // %PROCESSID%: the previous task's running instance, looked for once.
    DWORD instance = 0;
    const TaskSettings& previous = run.Tasks.Previous;
    if (previous.Program[0] &&
        ExpandMacros(previous.Program, run.Expanded.ProgramOrSource, TaskPrevious, InputsOf(run)))
        instance = FindInstance(run.Expanded.ProgramOrSource, InstanceMode::Query);
    char number[DecimalCapacity];
    FormatSignedDecimal(int32_t(instance), number);
    (void)TextCopy(run.ProcessIdText, number);

    RunTask(run, TaskPrevious, "PREVIOUS TASK: Please confirm");
    RunTask(run, TaskMain, "MAIN TASK: Please confirm");
    return 0;
}
