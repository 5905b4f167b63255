// The settings file beside the executable: sections PREVIOUS and OPTIONS, read into the two
// task records (and the settings window's controls), written from the settings window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/settings_file_core.h"

// Per task selector (0 PREVIOUS, 1 OPTIONS): one bit (1 << key index in SettingsKeys) for each
// text key whose value in the file was longer than its 4095-character field. The record holds
// the cut text so the settings window can show it; the task must not act on it.
extern uint32_t CutTextKeys[2];

// Reads both sections from SettingsFilePath into PreviousTask and MainTask; with a window,
// also puts each value into its control. A missing file, section or key gives the key's
// default. Returns 1.
int32_t LoadSettings(HWND window);

// Reads the settings window's controls, stores the five texts of each group into its record
// (wrapped by QuoteForProfile) and writes both sections. Returns 1 on success; 0 when the
// first write of a section failed (GetLastError tells why), or, before anything is written,
// when a control's text could not be stored as typed (longer than its field, or too long to
// wrap in one more pair of quotes): then *failedControl (if given) is that control's id and
// the last error is ERROR_INSUFFICIENT_BUFFER.
int32_t SaveSettings(HWND window, int32_t* failedControl = nullptr);
