// Path forms the file system takes, free of any platform call: the long-path form, how such a
// path is shown, and the levels a folder path is made in.
#pragma once

#include <cstddef>
#include <cstdint>

// The platform's longest path, 32,767 characters, and its terminator.
constexpr size_t LongPathCapacity = 32768;

// The long-path form of a full path, into output: "\\?\" before "C:\...", "\\?\UNC\" for
// "\\server\share\...". A path already in a device form ("\\?\", "\\.\") is kept as it is.
// False when the path is not full (the caller resolves it first) or did not fit.
[[nodiscard]] bool LongPathForm(const wchar_t* full, wchar_t* output, size_t capacity);

// A path as its user knows it, without the long-path prefix: lead then path + offset.
struct ShownPath {
    const wchar_t* lead;
    size_t offset;
};
ShownPath ShowPath(const wchar_t* path);

// Where making folder levels starts: after "C:\", after the share of "\\server\share\",
// after a leading "\", and after the same parts of the long-path forms; else at the start.
size_t FolderPathStart(const wchar_t* path);
// Makes each level of path from offset from on, shallowest first: the text up to each
// backslash, then the whole text (unless it ends with a backslash, which made it already).
// path is cut for each call and restored. 1 when every level was made, 0 at the first one
// that makeLevel refused.
int32_t StepFolderPath(wchar_t* path, size_t from, bool (*makeLevel)(const wchar_t* level, void* context),
                       void* context);
