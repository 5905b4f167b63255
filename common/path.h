// Path stepping on NUL-terminated texts (UTF-8 or wide), free of any platform call.
#pragma once

#include <cstddef>

// The path's folder part including its trailing backslash (everything up to and including
// the last backslash); the empty text for a path without a backslash. False when it did not fit.
[[nodiscard]] bool FolderOfPath(const char* path, char* output, size_t capacity);
template <size_t N> [[nodiscard]] bool FolderOfPath(const char* path, char (&output)[N])
{
    return FolderOfPath(path, output, N);
}

// Offset of the file-name part: the character after the last backslash (0 without one).
size_t FileNameOffset(const char* path);
size_t FileNameOffset(const wchar_t* path);
