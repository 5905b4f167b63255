#include "launcher/startup.h"

#include "common/text.h"
#include "common/time_mark.h"
#include "common/unattended.h"
#include "common/unicode.h"
#include "common/window.h"
#include "launcher/command_line.h"
#include "launcher/run_outcome_core.h"
#include "launcher/startup_core.h"
#include "launcher/tasks.h"
#include "launcher/tasks_core.h"
#include "process/program.h"
#include "settings/task_settings.h"

namespace {

int16_t SystemKeyState(int virtualKey) { return GetKeyState(virtualKey); }
// The longest command line the system passes: 32767 UTF-16 units.
constexpr size_t CommandLineUnits = 32767;

// The process's command line as UTF-8, converted once: it never changes while the process runs.
const char* SystemCommandLine()
{
    static char line[CommandLineUnits * 3 + 1];  // a process-wide fact, kept out of every record
    static bool converted = false;
    if (!converted) {
        (void)NarrowToUtf8(GetCommandLineW(), line, sizeof line);  // it always fits
        converted = true;
    }
    return line;
}

// The syntax box, then the settings-file example; Yes to both opens the settings window.
int32_t ShowHelpBoxes()
{
    // Nobody could answer them: each becomes one debug line, and the run ends as after No.
    if (TellUnseen(HelpSyntaxCaption, HelpSyntaxText)) {
        (void)TellUnseen(HelpExampleCaption, HelpExampleText);
        return 0;
    }
    if (ShowMessageBox(nullptr, HelpSyntaxText, HelpSyntaxCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
    return ShowMessageBox(nullptr, HelpExampleText, HelpExampleCaption, MB_YESNO | MB_ICONQUESTION) == IDYES ? 1 : 0;
}

// The values a run needs: all but the icon, which only the settings window shows. Under Wine
// the first icon loads the display driver, which a run that makes no window does without.
void ComputeRunValues(StartupValues& values)
{
    FillBytes(&values, sizeof values, 0);
    values.Instance = GetModuleHandleW(nullptr);

    // A path the system had to cut names another file: keep no name rather than a wrong one,
    // so no settings file is found and command-line mode still works.
    char(&modulePath)[PathCapacity] = values.ModulePath;
    wchar_t wide[PathUnitLimit + 1];
    DWORD length = GetModuleFileNameW(values.Instance, wide, PathUnitLimit + 1);
    if (length == 0 || length > PathUnitLimit || !NarrowToUtf8(wide, modulePath, sizeof modulePath))
        modulePath[0] = '\0';

    char token[PathCapacity];
    bool tokenFit = false;
    SplitArgument(gSeams.commandLine(), 0, token, sizeof token, &tokenFit);
    // lstrcmpi's rule: the user's locale, letter case ignored.
    const char* own = (tokenFit && Utf8EqualIgnoringCase(token, TextLength(token), modulePath, TextLength(modulePath)))
                          ? token
                          : modulePath;
    if (!TextCopy(values.OwnPath, own)) values.OwnPath[0] = '\0';
    DeriveSettingsNames(values.OwnPath, values.SettingsFilePath, sizeof values.SettingsFilePath, values.OwnName,
                        sizeof values.OwnName);
    TimeMark("start-up values");
}

// The settings window is to open: its icon is loaded now.
int32_t ForSettingsWindow(StartupValues& values)
{
    values.AppIcon = LoadIconW(values.Instance, MAKEINTRESOURCEW(IconApplication));
    return 1;
}

}  // namespace

StartupSeams gSeams = {SystemKeyState, SystemCommandLine};

void ComputeStartupValues(StartupValues& values)
{
    ComputeRunValues(values);
    values.AppIcon = LoadIconW(values.Instance, MAKEINTRESOURCEW(IconApplication));
}

bool SettingsFileExists(const StartupValues& values)
{
    if (!values.SettingsFilePath[0]) return false;
    wchar_t path[TextCapacity];
    if (!WidenUtf8(values.SettingsFilePath, path, TextCapacity)) return false;
    // Its attributes alone: one look-up, no folder listing opened.
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

int32_t RunStartup(StartupValues& values, uint32_t* exitCode)
{
    uint32_t ownCode = 0;
    uint32_t& code = exitCode ? *exitCode : ownCode;
    code = 0;
    ComputeRunValues(values);

    bool settingsFile = SettingsFileExists(values);
    TimeMark("settings file looked for");
    if (settingsFile) {
        if (CtrlHeldAlone(gSeams.keyState)) return ForSettingsWindow(values);
        char argument[TextCapacity];
        if (SplitArgument(gSeams.commandLine(), 1, argument, sizeof argument) != 1) {
            code = RunTasks(values);
            return 0;
        }
    }

    // Command-line mode fills a task of its own: the settings file is not read.
    TaskSettings command = {};
    char parameters[TextCapacity] = {};
    LineOptions options;
    ParseResult parsed = ParseCommandLine(gSeams.commandLine(), command, parameters, &options);
    bool exitCodeAsked = options.ExitCode;
    TimeMark("command line parsed");
    switch (parsed) {
    case ParseResult::Command: {
        LaunchChoice choice = LaunchChoiceOf(DecideTask(command));
        choice.WaitForEnd = exitCodeAsked;
        choice.Output = {options.OutputFile, options.OutputFileCut ? uint32_t(ERROR_FILENAME_EXCED_RANGE) : 0u};
        ProgramOutcome outcome;
        LaunchProgram(command.Program, parameters, nullptr, choice, &outcome);
        if (exitCodeAsked) code = ProgramFailureCode(outcome);
        return 0;
    }
    case ParseResult::CommandTooLong:
        ShowExecuteError(CommandTooLongText);
        if (exitCodeAsked) code = TooLongCode;
        return 0;
    case ParseResult::NoCommand: break;
    }

    if (CtrlHeldAlone(gSeams.keyState)) return ForSettingsWindow(values);
    return ShowHelpBoxes() ? ForSettingsWindow(values) : 0;
}
