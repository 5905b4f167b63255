// The settings window, a dialog built in memory that edits both tasks of the settings file.
#pragma once

#include <windows.h>

#include <cstdint>

// The dialog's creation parameter.
struct SettingsDialogStart {
    HICON Icon;  // the application icon
};

extern HWND SettingsWindow;  // while the window is open
extern HWND TooltipWindow;   // its one tooltip control

// Runs the settings window modally; returns when it closes. Nothing is saved unless "Save" was
// pressed.
void RunSettingsDialog();

INT_PTR CALLBACK SettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Lets the user pick a file (folderMode 0: the Open dialog with filter) or a folder
// (folderMode 1: the folder browser titled title, prompt above its tree). Nonzero when buffer
// (of bufferSize bytes) holds the chosen path, a folder with a trailing "\"; zero when the user
// cancelled. filterLength is not used.
int32_t BrowseForPath(HWND owner, const char* title, char* buffer, uint32_t bufferSize, const char* filterOrPrompt,
                      uint32_t filterLength, int32_t folderMode);
