#include "launcher/startup.h"

#include "common/scoped.h"
#include "common/text.h"
#include "launcher/command_line.h"
#include "launcher/program.h"
#include "launcher/startup_core.h"
#include "launcher/tasks.h"
#include "settings/task_settings.h"

HINSTANCE Instance;
HICON AppIcon;
char ModulePath[PathCapacity];
char OwnPath[PathCapacity];
char SettingsFilePath[TextCapacity];
char OwnName[PathCapacity];

namespace {

int16_t SystemKeyState(int virtualKey) { return GetKeyState(virtualKey); }
const char* SystemCommandLine() { return GetCommandLineA(); }

// The syntax box, then the settings-file example; Yes to both opens the settings window.
int32_t ShowHelpBoxes()
{
    if (MessageBoxA(nullptr, HelpSyntaxText, HelpSyntaxCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
    return MessageBoxA(nullptr, HelpExampleText, HelpExampleCaption, MB_YESNO | MB_ICONQUESTION) == IDYES ? 1 : 0;
}

}  // namespace

StartupSeams Seams = {SystemKeyState, SystemCommandLine};

void ComputeStartupValues()
{
    Instance = GetModuleHandleA(nullptr);
    AppIcon = LoadIconA(Instance, MAKEINTRESOURCEA(IconApplication));

    // A path the system had to cut names another file: keep no name rather than a wrong one,
    // so no settings file is found and command-line mode still works.
    DWORD length = GetModuleFileNameA(Instance, ModulePath, sizeof ModulePath);
    if (length == 0 || length >= sizeof ModulePath) ModulePath[0] = '\0';

    char token[PathCapacity];
    bool tokenFit = false;
    GetArgument(0, token, &tokenFit);
    const char* own = (tokenFit && lstrcmpiA(token, ModulePath) == 0) ? token : ModulePath;
    if (!TextCopy(OwnPath, own)) OwnPath[0] = '\0';
    DeriveSettingsNames(OwnPath, SettingsFilePath, sizeof SettingsFilePath, OwnName, sizeof OwnName);

    FillBytes(&PreviousTask, sizeof PreviousTask, 0);
    FillBytes(&MainTask, sizeof MainTask, 0);
}

bool SettingsFileExists()
{
    if (!SettingsFilePath[0]) return false;
    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA(SettingsFilePath, &found));
    return bool(search);
}

int32_t RunStartup()
{
    ComputeStartupValues();

    if (SettingsFileExists()) {
        if (CtrlHeldAlone(Seams.keyState)) return 1;
        char argument[TextCapacity];
        if (GetArgument(1, argument) != 1) {
            RunTasks();
            return 0;
        }
    }

    switch (ParseCommandLine()) {
    case Command:
        LaunchProgram(MainTask.Program, CommandParameters, nullptr, MainTask.Term, MainTask.Unhide, MainTask.Show,
                      MainTask.Timeout);
        return 0;
    case CommandTooLong:
        MessageBoxA(nullptr, CommandTooLongText, "Error when executing", MB_ICONHAND);
        return 0;
    case NoCommand:
        break;
    }

    if (CtrlHeldAlone(Seams.keyState)) return 1;
    return ShowHelpBoxes();
}
