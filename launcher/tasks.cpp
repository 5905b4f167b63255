#include "launcher/tasks.h"

#include <windows.h>

#include "common/number.h"
#include "common/text.h"
#include "filecopy/file_copy.h"
#include "launcher/instance.h"
#include "launcher/program.h"
#include "launcher/startup.h"
#include "launcher/tasks_core.h"
#include "settings/macros.h"
#include "settings/settings_file.h"
#include "settings/settings_file_core.h"

char ProcessIdText[PathCapacity];
int32_t SkipGitFolders;

namespace {

constexpr UINT PromptStyle = MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL | MB_TOPMOST;
static_assert(PromptStyle == 0x41024);

char PromptCaption[PathCapacity];
char PromptText[TextCapacity];
// The expanded Program or CopySource, Parameters or CopyTarget, and WorkingDir.
char Expanded[3][TextCapacity];

// Shows the prepared prompt on top of everything; only Yes lets the step run.
bool Confirmed()
{
    Sleep(50);
    // Asked for here, not at start-up: under Wine the first call makes this process's desktop
    // window, some megabytes that a run without a prompt or a hidden start does without.
    HWND desktop = GetDesktopWindow();
    BringToFront(desktop);
    return MessageBoxA(desktop, PromptText, PromptCaption, PromptStyle) == IDYES;
}

// True when the field's value in the settings file was longer than the field: the record
// holds a cut text that no step may act on.
bool WasCut(int32_t selector, const TaskSettings& task, const char* field)
{
    size_t offset = size_t(field - reinterpret_cast<const char*>(&task));
    for (int32_t i = 0; i < SettingsKeyCount; ++i)
        if (SettingsKeys[i].Offset == offset) return CutTextKeys[selector] & (1u << i);
    return false;
}

// Expands a field for a step; false when the field or its expansion is cut.
bool ExpandForStep(int32_t selector, const TaskSettings& task, const char* field, char (&output)[TextCapacity])
{
    return ExpandMacros(field, output, selector) && !WasCut(selector, task, field);
}

void CopyStep(TaskSettings& task, int32_t selector, const char* caption, int32_t ask)
{
    if (ask) {
        (void)ExpandMacros(task.CopySource, Expanded[0], selector);  // shown as far as it fit
        (void)ExpandMacros(task.CopyTarget, Expanded[1], selector);
        (void)TextCopy(PromptCaption, caption);
        CopyPromptText(Expanded[0], Expanded[1], PromptText);
        if (!Confirmed()) return;
    }
    // A copy on a cut path would copy the wrong files: it is refused in the copy's own words.
    if (!ExpandForStep(selector, task, task.CopySource, Expanded[0]) ||
        !ExpandForStep(selector, task, task.CopyTarget, Expanded[1])) {
        ReportCopyFailure(task.CopySource, task.CopyTarget, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    CopyFiles(Expanded[0], Expanded[1], task.CopySubFolders, task.CopyOverwrite, CutOffMinutes(task));
}

void ProgramStep(TaskSettings& task, int32_t selector, const char* caption)
{
    if (task.AskExecute) {
        (void)ExpandMacros(task.Program, Expanded[0], selector);
        (void)ExpandMacros(task.Parameters, Expanded[1], selector);
        (void)ExpandMacros(task.WorkingDir, Expanded[2], selector);
        ExecutePromptCaption(task, caption, PromptCaption);
        ExecutePromptText(task, Expanded[0], Expanded[1], Expanded[2], PromptText);
        if (!Confirmed()) return;
    }
    if (!ExpandForStep(selector, task, task.Program, Expanded[0]) ||
        !ExpandForStep(selector, task, task.Parameters, Expanded[1]) ||
        !ExpandForStep(selector, task, task.WorkingDir, Expanded[2])) {
        char text[TextCapacity];
        (void)TextCopy(text, ExpandedTooLongText);
        TextCopyForDisplay(text + TextLength(text), sizeof text - TextLength(text), task.Program);
        MessageBoxA(nullptr, text, "Error when executing", MB_ICONHAND);
        return;
    }
    LaunchProgram(Expanded[0], Expanded[1], Expanded[2], task.Term, task.Unhide, task.Show, task.Timeout);
}

void RunTask(TaskSettings& task, int32_t selector, const char* caption)
{
    SkipGitFolders = NamesGitBranch(task);
    if (task.CopySource[0] && task.CopyBeforeExecute) CopyStep(task, selector, caption, task.AskCopyBefore);
    if (task.Program[0]) ProgramStep(task, selector, caption);
    if (task.CopySource[0] && task.CopyAfterExecute) CopyStep(task, selector, caption, task.AskCopy);
}

}  // namespace

int32_t RunTasks()
{
    LoadSettings(nullptr);
    ComputeMacroValues();

    // %PROCESSID%: the previous task's running instance, looked for once.
    DWORD instance = 0;
    if (PreviousTask.Program[0] && ExpandMacros(PreviousTask.Program, Expanded[0], TaskPrevious))
        instance = FindInstance(Expanded[0], ModeQuery);
    char number[DecimalCapacity];
    FormatSignedDecimal(int32_t(instance), number);
    (void)TextCopy(ProcessIdText, number);

    RunTask(PreviousTask, TaskPrevious, "PREVIOUS TASK: Please confirm");
    RunTask(MainTask, TaskMain, "MAIN TASK: Please confirm");
    return 0;
}
