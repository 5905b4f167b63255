#include "common/path.h"

#include "common/text.h"

size_t FileNameOffset(const char* path)
{
    size_t offset = 0;
    for (size_t i = 0; path[i]; ++i)
        if (path[i] == '\\') offset = i + 1;
    return offset;
}

size_t FileNameOffset(const wchar_t* path)
{
    size_t offset = 0;
    for (size_t i = 0; path[i]; ++i)
        if (path[i] == L'\\') offset = i + 1;
    return offset;
}

bool FolderOfPath(const char* path, char* output, size_t capacity)
{
    return TextCopyN(output, capacity, path, FileNameOffset(path));
}
