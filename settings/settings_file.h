// The settings file beside the executable: sections PREVIOUS and OPTIONS, read into the two
// task records (and the settings window's controls), written from the settings window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/settings_file_core.h"

// Reads both sections from the settings file into tasks (an empty path reads as a missing
// file); with a window, also puts each value into its control. A missing file, section or key
// gives the key's default. Marks in tasks.CutTextKeys the texts that were longer than their
// field. Returns 1.
int32_t LoadSettings(const char* settingsFile, TaskRecords& tasks, HWND window);

// Reads the settings window's controls, stores the five texts of each group into its record
// (wrapped by QuoteForProfile) and writes both sections. A text loaded cut (marked in
// tasks.CutTextKeys) whose control still shows the cut text as loaded is left as the file
// holds it. Returns 1 on success; 0 when the first write of a section failed (GetLastError
// tells why), or, before anything is written, when a control's text could not be stored as
// typed (longer than its field, or too long to wrap in one more pair of quotes): then
// *failedControl (if given) is that control's id and the last error is
// ERROR_INSUFFICIENT_BUFFER.
int32_t SaveSettings(const char* settingsFile, TaskRecords& tasks, HWND window, int32_t* failedControl = nullptr);
