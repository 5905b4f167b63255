#include "common/file_system_core.h"

#include "common/text.h"

namespace {

constexpr wchar_t LongPrefix[] = L"\\\\?\\";
constexpr wchar_t LongUncPrefix[] = L"\\\\?\\UNC\\";

bool StartsWith(const wchar_t* text, const wchar_t* start)
{
    while (*start && *text == *start) ++text, ++start;
    return !*start;
}

bool IsDriveRoot(const wchar_t* path)
{
    wchar_t c = path[0];
    return ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z')) && path[1] == L':' && path[2] == L'\\';
}

// The offset after the count-th backslash from offset from, or the text's length.
size_t AfterBackslashes(const wchar_t* path, size_t from, size_t count)
{
    size_t i = from;
    for (; path[i]; ++i)
        if (path[i] == L'\\' && --count == 0) return i + 1;
    return i;
}

}  // namespace

bool LongPathForm(const wchar_t* full, wchar_t* output, size_t capacity)
{
    if (StartsWith(full, LongPrefix) || StartsWith(full, L"\\\\.\\")) return TextCopy(output, capacity, full);
    if (IsDriveRoot(full)) return TextCopy(output, capacity, LongPrefix) && TextAppend(output, capacity, full);
    if (full[0] == L'\\' && full[1] == L'\\' && full[2] && full[2] != L'\\')
        return TextCopy(output, capacity, LongUncPrefix) && TextAppend(output, capacity, full + 2);
    if (capacity) output[0] = L'\0';
    return false;
}

ShownPath ShowPath(const wchar_t* path)
{
    // "\\?\UNC\server\..." is shown "\\server\...": a backslash before its "\server\...".
    if (StartsWith(path, LongUncPrefix)) return {L"\\", 7};
    if (StartsWith(path, LongPrefix)) return {L"", 4};
    return {L"", 0};
}

size_t FolderPathStart(const wchar_t* path)
{
    if (StartsWith(path, LongUncPrefix)) return AfterBackslashes(path, 8, 2);
    if (StartsWith(path, LongPrefix)) return IsDriveRoot(path + 4) ? 7 : AfterBackslashes(path, 4, 1);
    // "\\server\share\" names no folder that could be made: start after the share.
    if (path[0] == L'\\' && path[1] == L'\\') return AfterBackslashes(path, 0, 4);
    if (path[0] == L'\\') return 1;
    if (path[0] && path[1] == L':') return path[2] ? 3 : 2;
    return 0;
}

int32_t StepFolderPath(wchar_t* path, size_t from, bool (*makeLevel)(const wchar_t* level, void* context),
                       void* context)
{
    size_t length = TextLength(path);
    for (size_t i = from; i < length; ++i) {
        if (path[i] != L'\\' || i == 0) continue;
        path[i] = L'\0';
        bool made = makeLevel(path, context);
        path[i] = L'\\';
        if (!made) return 0;
    }
    if (length > from && path[length - 1] != L'\\' && !makeLevel(path, context)) return 0;
    return 1;
}
