// The settings file beside the executable: sections PREVIOUS and OPTIONS, read into the two
// task records and written from them, through the settings file reader and writer (any
// encoding it detects; UTF-8 in the records).
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/ini_text_core.h"
#include "settings/settings_file_core.h"

// Reads both sections of a loaded settings file into tasks. A missing section or key gives
// the key's default. Marks in tasks.CutTextKeys the texts that were longer than their field
// (TextUnitLimit UTF-16 units).
void ReadSettings(const IniDocument& document, TaskRecords& tasks);

// Loads the settings file (UTF-8 path; an empty path or a missing file reads as an empty
// file) and reads it as ReadSettings does. A file that cannot be read leaves a debug line and
// gives every key its default. Returns 1.
int32_t LoadSettings(const char* settingsFile, TaskRecords& tasks);

// Writes both sections from tasks, in key order, into the file as it is on disk (its encoding,
// comments, other sections and unknown keys kept), then saves it whole: each text wrapped by
// QuoteForProfile, flags and numbers as the integers the records hold. A text marked in
// tasks.CutTextKeys is left as the file holds it. Returns 1 when saved; 0 when the file could
// not be read or written (the last error tells why), or, before anything is written, when a
// path is missing (ERROR_INVALID_PARAMETER) or a text cannot be stored as it stands
// (ERROR_INSUFFICIENT_BUFFER).
int32_t SaveSettings(const char* settingsFile, const TaskRecords& tasks);
