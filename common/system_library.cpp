#include "common/system_library.h"

#include "common/buffers.h"
#include "common/text.h"

FARPROC SystemProcedure(const char* dll, const char* name)
{
    char path[PathCapacity];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !TextAppend(path, "\\") || !TextAppend(path, dll)) return nullptr;
    // Already loaded: the same module, with no second reference.
    HMODULE module = GetModuleHandleA(path);
    // The altered search path resolves the DLL's own imports from its folder too.
    if (!module) module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module ? GetProcAddress(module, name) : nullptr;
}
