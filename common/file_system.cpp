#include "common/file_system.h"

#include <windows.h>

#include "common/buffers.h"
#include "common/file_system_core.h"
#include "common/scoped.h"
#include "common/text.h"
#include "common/unicode.h"

namespace {

bool IsFolderAttributes(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolderLevel(const wchar_t* level, void*)
{
    if (CreateDirectoryW(level, nullptr)) return true;
    // An existing folder is no error; a file of that name, or nothing, is.
    return IsFolder(level) == 1;
}

}  // namespace

int32_t IsFolder(const char* path)
{
    // The attributes answer for a path of any length the system accepts, and unlike a trip
    // through SetCurrentDirectory they leave the current directory alone.
    if (!path || !path[0]) return 0;
    wchar_t wide[TextCapacity];
    return WidenUtf8(path, wide, TextCapacity) && IsFolderAttributes(GetFileAttributesW(wide)) ? 1 : 0;
}

int32_t IsFolder(const wchar_t* path)
{
    if (!path || !path[0]) return 0;
    return IsFolderAttributes(GetFileAttributesW(path)) ? 1 : 0;
}

int32_t CreateFolderPath(wchar_t* path, size_t from) { return StepFolderPath(path, from, MakeFolderLevel, nullptr); }

int32_t CreateFolderPath(wchar_t* path) { return CreateFolderPath(path, FolderPathStart(path)); }

int32_t CreateFolderOf(wchar_t* path)
{
    size_t length = TextLength(path);
    while (length > 0 && path[length - 1] != L'\\' && path[length - 1] != L'/') --length;
    if (length < 2) return 1;
    wchar_t kept = path[length - 1];
    path[length - 1] = L'\0';
    int32_t made = IsFolder(path) || CreateFolderPath(path) ? 1 : 0;
    path[length - 1] = kept;
    return made;
}
