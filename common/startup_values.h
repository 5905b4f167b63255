// The start-up values: computed once by the launcher's start-up and handed down to whoever
// needs them (the settings file, the macro values, the settings window, the About box).
#pragma once

#include <windows.h>

#include "common/buffers.h"

// The desktop window, owner of every confirmation prompt, is not among them: asking for it
// costs a run that shows no prompt some megabytes under Wine, so a prompt asks for it itself.
struct StartupValues {
    HINSTANCE Instance;
    HICON AppIcon;                        // icon resource 500
    char ModulePath[PathCapacity];        // GetModuleFileNameW, as UTF-8 (as are the texts below)
    char OwnPath[PathCapacity];           // the program's path as this run names it
    char SettingsFilePath[TextCapacity];  // OwnPath with "ini" for its last three characters
    char OwnName[PathCapacity];           // the executable's name without extension
};
