// The settings file beside the executable: sections PREVIOUS and OPTIONS, read into the two
// task records and written from them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/settings_file_core.h"

// Writes one key: WritePrivateProfileStringA's shape, handed in so a test can fail any write.
using ProfileWriter = BOOL(WINAPI*)(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);

// Reads both sections from the settings file into tasks (an empty path reads as a missing
// file). A missing file, section or key gives the key's default. Marks in tasks.CutTextKeys
// the texts that were longer than their field. Returns 1.
int32_t LoadSettings(const char* settingsFile, TaskRecords& tasks);

// Writes both sections from tasks, in key order: each text wrapped by QuoteForProfile, flags
// and numbers as the integers the records hold. A text marked in tasks.CutTextKeys is left as
// the file holds it. Returns 1 when every write succeeded; 0 at the first that failed (the last
// error tells why), or, before anything is written, when a path is missing
// (ERROR_INVALID_PARAMETER) or a text cannot be stored as it stands (ERROR_INSUFFICIENT_BUFFER).
int32_t SaveSettings(const char* settingsFile, const TaskRecords& tasks,
                     ProfileWriter write = WritePrivateProfileStringA);
