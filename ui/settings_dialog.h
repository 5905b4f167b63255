// The settings window, a dialog built in memory that edits both tasks of the settings file.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>

#include "common/startup_values.h"
#include "settings/task_settings.h"
#include "skin/skin.h"
#include "ui/macro_menu.h"

// What the window is handed at creation.
struct SettingsDialogStart {
    HICON Icon;                    // the application icon
    const StartupValues* Startup;  // the settings file, the program's path for the captions
};

// Everything the open window keeps, reached from its handle (GWLP_USERDATA). The creation
// parameter points at it; Start is its first member, so it is also the SettingsDialogStart.
struct SettingsWindowState {
    SettingsDialogStart Start;
    // The two tasks as loaded and saved. Only LoadSettings and TakeControls (at "Save") write
    // their texts: what the user types or picks stays in the controls until then, so a value
    // loaded cut is told apart from an edited one.
    TaskRecords Tasks;
    HWND Tooltip;                // the window's one tooltip control
    TOOLINFOW ToolRecord;        // reused for every tool
    CTRL_STRUCT ButtonSkins[3];  // the skin of each of the three bottom buttons
    MacroMenuState Menu;         // the macro paste-in menu of the ten fields
};

// The state of an open settings window, or null for any other window.
SettingsWindowState* SettingsWindowStateOf(HWND dialog);

// Runs the settings window modally over the start-up values; returns when it closes. Nothing
// is saved unless "Save" was pressed.
void RunSettingsDialog(const StartupValues& startup);

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Lets the user pick a file (folderMode 0: the Open dialog with filter) or a folder
// (folderMode 1: the folder browser titled title, prompt above its tree). Nonzero when buffer
// (of bufferSize bytes) holds the chosen path in UTF-8, a folder with a trailing "\"; zero when
// the user cancelled or the path does not fit. filterLength is the filter's size in bytes, its
// NULs and final NULs included.
int32_t BrowseForPath(HWND owner, const char* title, char* buffer, uint32_t bufferSize, const char* filterOrPrompt,
                      uint32_t filterLength, int32_t folderMode);
