#include "common/debug_line.h"

#include <windows.h>

#include "common/buffers.h"
#include "common/unattended_core.h"
#include "common/unicode.h"

void DebugLine(const char* text)
{
    char line[TextCapacity] = {};
    (void)AppendAsOneLine(line, sizeof line, text);  // a cut line ends in "..."
    wchar_t wide[TextCapacity];
    // Text that is no UTF-8 still leaves a trace, each bad byte a replacement character.
    WidenForDisplay(line, wide, TextCapacity);
    OutputDebugStringW(wide);
}
