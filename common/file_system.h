// Folder tests and folder making on the file system.
#pragma once

#include <cstddef>
#include <cstdint>

// 1 when path names an existing folder (a relative path is judged against the current
// folder), else 0. The UTF-8 form serves texts from the settings; the wide one takes any name
// and, in the long-path form, any length.
int32_t IsFolder(const char* path);
int32_t IsFolder(const wchar_t* path);
// Makes each missing level of path from offset from on (FolderPathStart's offset when not
// given); path is cut for each level and restored. 1 when the whole path is a folder
// afterwards, else 0.
int32_t CreateFolderPath(wchar_t* path, size_t from);
int32_t CreateFolderPath(wchar_t* path);
// Makes the folder a file path names (all before its last separator) when it is missing; the
// path is restored. The file itself is not made. 1 when that folder is there afterwards (or
// the path names none), else 0.
int32_t CreateFolderOf(wchar_t* path);
