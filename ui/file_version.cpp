#include "ui/file_version.h"

#include <windows.h>

#include "common/buffers.h"
#include "common/system_library.h"
#include "common/text.h"
#include "common/unicode.h"

int ReadFileVersion(const char* path, char* version, size_t capacity)
{
    if (capacity) version[0] = '\0';
    auto sizeOf = SystemFunction<decltype(&GetFileVersionInfoSizeW)>("version.dll", "GetFileVersionInfoSizeW");
    auto read = SystemFunction<decltype(&GetFileVersionInfoW)>("version.dll", "GetFileVersionInfoW");
    auto query = SystemFunction<decltype(&VerQueryValueW)>("version.dll", "VerQueryValueW");
    if (!sizeOf || !read || !query) return 0;
    WideText widePath(path);
    DWORD ignored = 0;
    DWORD size = sizeOf(widePath.Get(), &ignored);
    if (size == 0) return 0;
    ScopedHeap<void> owned(HeapBlockOf<void>(size, HEAP_ZERO_MEMORY));
    void* block = owned.Get();
    if (!block) return 0;
    int found = 0;
    if (read(widePath.Get(), 0, size, block)) {
        found = 1;
        wchar_t* text = nullptr;
        UINT length = 0;
        char narrow[TextCapacity];
        if (query(block, L"\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void**>(&text), &length) &&
            text && length && NarrowToUtf8(text, narrow, sizeof narrow))
            TextCopyForDisplay(version, capacity, narrow);
    }
    return found;
}
