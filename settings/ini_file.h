// The settings file on disk: read once into a document (any encoding the reader knows), read
// and changed in memory, written back whole, so the file under its name is never left cut.
#pragma once

#include <windows.h>

#include "common/scoped.h"
#include "settings/ini_text_core.h"

// A settings file in memory; its text lives on the process heap until the record goes.
struct IniFile {
    IniDocument Document = {};
    ScopedHeap<IniUnit> Block;  // owns Document.Text
};

// Files larger than this read as unreadable (ERROR_FILE_TOO_LARGE): a settings file is small.
constexpr DWORD IniFileSizeLimit = 64u << 20;

// The system's ANSI code page for the text core.
IniCodePage SystemCodePage();

// Reads the file at path. ERROR_SUCCESS, also for a missing file or folder (an empty
// document); otherwise the system's error code, with an empty document, so every key reads
// its default.
DWORD LoadIniFile(const wchar_t* path, IniFile& file);

// The same for a UTF-8 path (the program's own text): an empty path reads as a missing file.
DWORD LoadIniFile(const char* path, IniFile& file);
// LoadIniFile for the settings file of a run: one that cannot be read leaves a debug line with
// its name and the system's reason, and reads as an empty file.
DWORD LoadSettingsFile(const char* path, IniFile& file);

// Sets section's key to value (UTF-8), growing the text as needed. ERROR_SUCCESS;
// ERROR_INVALID_PARAMETER for a name or value the file cannot hold as a line
// (SetIniValue's Refused); ERROR_NOT_ENOUGH_MEMORY.
DWORD SetIniFileValue(IniFile& file, const char* section, const char* key, const char* value);

// Writes the document to path in its encoding (see EncodeIniFile): first to a temporary file
// beside it, then put in its place (ReplaceFileW keeps the original's attributes and
// security; MoveFileExW when it cannot be used). ERROR_SUCCESS or the system's error code;
// on failure the file under its name is as it was and the temporary file is gone.
DWORD SaveIniFile(const wchar_t* path, IniFile& file);
DWORD SaveIniFile(const char* path, IniFile& file);
