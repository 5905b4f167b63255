// The start-up values: computed once by the launcher's start-up and handed down to whoever
// needs them (the settings file, the macro values, the settings window, the About box).
#pragma once

#include <windows.h>

#include "common/buffers.h"

struct StartupValues {
    HINSTANCE Instance;
    HICON AppIcon;                        // icon resource 500
    HWND DesktopWindow;                   // owner of every confirmation prompt
    char ModulePath[PathCapacity];        // GetModuleFileNameA
    char OwnPath[PathCapacity];           // the program's path as this run names it
    char SettingsFilePath[TextCapacity];  // OwnPath with "ini" for its last three characters
    char OwnName[PathCapacity];           // the executable's name without extension
};
