#include "common/system_library.h"

#include "common/buffers.h"
#include "common/text.h"
#include "common/unicode.h"

FARPROC SystemProcedure(const char* dll, const char* name)
{
    wchar_t path[PathCapacity];
    wchar_t wideDll[PathUnitLimit + 1];
    UINT length = GetSystemDirectoryW(path, PathCapacity);
    if (length == 0 || length >= PathCapacity || !WidenUtf8(dll, wideDll, PathUnitLimit + 1) ||
        !TextAppend(path, L"\\") || !TextAppend(path, wideDll))
        return nullptr;
    // Already loaded: the same module, with no second reference.
    HMODULE module = GetModuleHandleW(path);
    // The altered search path resolves the DLL's own imports from its folder too.
    if (!module) module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    // Procedure names exist in ANSI only: GetProcAddress has no wide form.
    return module ? GetProcAddress(module, name) : nullptr;
}
