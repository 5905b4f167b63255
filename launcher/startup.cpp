#include "launcher/startup.h"

#include "common/scoped.h"
#include "common/text.h"
#include "common/unattended.h"
#include "launcher/command_line.h"
#include "launcher/startup_core.h"
#include "launcher/tasks.h"
#include "launcher/tasks_core.h"
#include "process/program.h"
#include "settings/task_settings.h"

namespace {

int16_t SystemKeyState(int virtualKey) { return GetKeyState(virtualKey); }
const char* SystemCommandLine() { return GetCommandLineA(); }

// The syntax box, then the settings-file example; Yes to both opens the settings window.
int32_t ShowHelpBoxes()
{
    // Nobody could answer them: each becomes one debug line, and the run ends as after No.
    if (TellUnseen(HelpSyntaxCaption, HelpSyntaxText)) {
        (void)TellUnseen(HelpExampleCaption, HelpExampleText);
        return 0;
    }
    if (MessageBoxA(nullptr, HelpSyntaxText, HelpSyntaxCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
    return MessageBoxA(nullptr, HelpExampleText, HelpExampleCaption, MB_YESNO | MB_ICONQUESTION) == IDYES ? 1 : 0;
}

}  // namespace

StartupSeams gSeams = {SystemKeyState, SystemCommandLine};

void ComputeStartupValues(StartupValues& values)
{
    FillBytes(&values, sizeof values, 0);
    values.Instance = GetModuleHandleA(nullptr);
    values.AppIcon = LoadIconA(values.Instance, MAKEINTRESOURCEA(IconApplication));

    // A path the system had to cut names another file: keep no name rather than a wrong one,
    // so no settings file is found and command-line mode still works.
    char(&modulePath)[PathCapacity] = values.ModulePath;
    DWORD length = GetModuleFileNameA(values.Instance, modulePath, sizeof modulePath);
    if (length == 0 || length >= sizeof modulePath) modulePath[0] = '\0';

    char token[PathCapacity];
    bool tokenFit = false;
    SplitArgument(gSeams.commandLine(), 0, token, sizeof token, &tokenFit);
    const char* own = (tokenFit && lstrcmpiA(token, modulePath) == 0) ? token : modulePath;
    if (!TextCopy(values.OwnPath, own)) values.OwnPath[0] = '\0';
    DeriveSettingsNames(values.OwnPath, values.SettingsFilePath, sizeof values.SettingsFilePath, values.OwnName,
                        sizeof values.OwnName);
}

bool SettingsFileExists(const StartupValues& values)
{
    if (!values.SettingsFilePath[0]) return false;
    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA(values.SettingsFilePath, &found));
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
