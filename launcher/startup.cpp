#include "launcher/startup.h"

#include "common/scoped.h"
#include "common/text.h"
#include "common/unattended.h"
#include "common/unicode.h"
#include "common/window.h"
#include "launcher/command_line.h"
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

}  // namespace

StartupSeams gSeams = {SystemKeyState, SystemCommandLine};

void ComputeStartupValues(StartupValues& values)
{
    FillBytes(&values, sizeof values, 0);
    values.Instance = GetModuleHandleW(nullptr);
    values.AppIcon = LoadIconW(values.Instance, MAKEINTRESOURCEW(IconApplication));

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
}

bool SettingsFileExists(const StartupValues& values)
{
    if (!values.SettingsFilePath[0]) return false;
    wchar_t path[TextCapacity];
    if (!WidenUtf8(values.SettingsFilePath, path, TextCapacity)) return false;
    WIN32_FIND_DATAW found;
    ScopedFind search(FindFirstFileW(path, &found));
    return bool(search);
}

int32_t RunStartup(StartupValues& values)
{
    ComputeStartupValues(values);

    if (SettingsFileExists(values)) {
        if (CtrlHeldAlone(gSeams.keyState)) return 1;
        char argument[TextCapacity];
        if (SplitArgument(gSeams.commandLine(), 1, argument, sizeof argument) != 1) {
            RunTasks(values);
            return 0;
        }
    }

    // Command-line mode fills a task of its own: the settings file is not read.
    TaskSettings command = {};
    char parameters[TextCapacity] = {};
    switch (ParseCommandLine(gSeams.commandLine(), command, parameters)) {
    case Command: LaunchProgram(command.Program, parameters, nullptr, LaunchChoiceOf(command)); return 0;
    case CommandTooLong: ShowExecuteError(CommandTooLongText); return 0;
    case NoCommand: break;
    }

    if (CtrlHeldAlone(gSeams.keyState)) return 1;
    return ShowHelpBoxes();
}
