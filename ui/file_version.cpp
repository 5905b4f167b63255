#include "ui/file_version.h"

#include <windows.h>

#include "common/system_library.h"
#include "common/text.h"

int ReadFileVersion(const char* path, char* version, size_t capacity)
{
    if (capacity) version[0] = '\0';
    auto sizeOf = SystemFunction<decltype(&GetFileVersionInfoSizeA)>("version.dll", "GetFileVersionInfoSizeA");
    auto read = SystemFunction<decltype(&GetFileVersionInfoA)>("version.dll", "GetFileVersionInfoA");
    auto query = SystemFunction<decltype(&VerQueryValueA)>("version.dll", "VerQueryValueA");
    if (!sizeOf || !read || !query) return 0;
    DWORD ignored = 0;
    DWORD size = sizeOf(path, &ignored);
    if (size == 0) return 0;
    void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
    if (!block) return 0;
    int found = 0;
    if (read(path, 0, size, block)) {
        found = 1;
        char* text = nullptr;
        UINT length = 0;
        if (query(block, "\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void**>(&text), &length) && text &&
            length)
            TextCopyForDisplay(version, capacity, text);
    }
    HeapFree(GetProcessHeap(), 0, block);
    return found;
}
