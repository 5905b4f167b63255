#include "common/error_text.h"

#include <windows.h>

#include "common/buffers.h"
#include "common/unattended_core.h"
#include "common/unicode.h"

bool SystemErrorText(uint32_t code, char* text, size_t capacity)
{
    if (!capacity) return false;
    text[0] = '\0';
    wchar_t wide[PathCapacity];
    // Inserts are left as they are: there are no arguments to fill them with.
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), wide, PathCapacity, nullptr);
    uint32_t room = capacity > 0xFFFF ? 0xFFFF : uint32_t(capacity);
    return length != 0 && length < PathCapacity && NarrowToUtf8(wide, text, room);
}

void ErrorTextOrWords(uint32_t code, char* text, size_t capacity)
{
    if (!capacity) return;
    char system[TextCapacity];
    text[0] = '\0';
    if (SystemErrorText(code, system)) (void)AppendAsOneLine(text, capacity, system);
    if (!text[0]) ErrorCodeWords(code, text, capacity);
}
