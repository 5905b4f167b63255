// The copy of a task: a folder, a file or wildcard-selected files to a target folder.
//
// Failures are not returned: each file that cannot be copied is written to the debug-output
// channel as three lines (source, destination, error code) and the copy goes on.
#pragma once

#include <cstdint>

#include "common/buffers.h"

// One copy run. source and target are the expanded texts (TextCapacity bytes each, left
// unchanged); subfolders are walked when subfolders is exactly 1; existing files are replaced
// when overwrite is not 0; with cutOffMinutes other than 0 only files last written within that
// many minutes before RunStartTime (or later) are copied.
void CopyFiles(const char* source, const char* target, int32_t subfolders, int32_t overwrite, uint32_t cutOffMinutes);

// Copies the entries of path's folder that match its name part (a pattern) into target (a
// folder ending with a backslash).
void WalkFolder(const char* path, const char* target, int32_t subfolders, int32_t overwrite, uint32_t cutOffMinutes);
// WalkFolder with the same pattern in each subfolder of path's folder.
void WalkSubfolders(const char* path, const char* target, int32_t subfolders, int32_t overwrite,
                    uint32_t cutOffMinutes);
// Copies one file to destination: a file path, or a folder ending with a backslash that
// receives the file under its own name.
void CopySingleFile(const char* source, const char* destination, int32_t overwrite);
// Makes each missing level of path. 1 when the whole path is a folder afterwards, else 0.
int32_t CreateFolderPath(const char* path);
// 1 when at least one entry matches path (which may hold wildcards), else 0.
int32_t PathExists(const char* path);
// The three debug lines of a copy that could not be made, for callers that refuse a copy
// before it starts (a source or target too long once expanded).
void ReportCopyFailure(const char* source, const char* destination, uint32_t code);
