#include "common/unicode.h"

#include <windows.h>

bool WidenUtf8(const char* text, wchar_t* output, uint32_t capacity)
{
    if (!capacity) return false;
    int words = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, output, int(capacity));
    if (words > 0) return true;
    output[0] = L'\0';
    return false;
}

bool NarrowToUtf8(const wchar_t* text, char* output, uint32_t capacity)
{
    if (!capacity) return false;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, output, int(capacity), nullptr, nullptr);
    if (bytes > 0) return true;
    output[0] = '\0';
    return false;
}
