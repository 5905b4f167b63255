#include "common/unattended.h"

#include <windows.h>

#include "common/buffers.h"
#include "common/text.h"
#include "common/unattended_core.h"
#include "common/unicode.h"

namespace {

// Whether this process's window station is visible: -1 until first asked. A process-wide
// fact that cannot change while the process runs, so it is asked for once.
int32_t gStationVisible = -1;

bool AskStationVisible()
{
    HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags = {};
    DWORD needed = 0;
    // A station whose flags cannot be read is taken as visible: the boxes behave as ever.
    if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

bool StationVisible()
{
    if (gStationVisible < 0) gStationVisible = AskStationVisible() ? 1 : 0;
    return gStationVisible == 1;
}

void DebugLine(const char* text)
{
    char line[TextCapacity] = {};
    (void)AppendAsOneLine(line, sizeof line, text);  // a cut line ends in "..."
    wchar_t wide[TextCapacity];
    // Text that is no UTF-8 still leaves a trace, each bad byte a replacement character.
    WidenForDisplay(line, wide, TextCapacity);
    OutputDebugStringW(wide);
}

bool TellUnseen(const char* caption, const char* text)
{
    if (StationVisible()) return false;
    char line[TextCapacity] = {};
    bool fit = TextCopy(line, caption) && TextAppend(line, ": ");
    (void)fit;
    (void)AppendAsOneLine(line, sizeof line, text);
    DebugLine(line);
    return true;
}

void ErrorTextOrWords(uint32_t code, char* text, uint32_t capacity)
{
    if (!capacity) return;
    wchar_t wide[PathCapacity];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), wide, PathCapacity, nullptr);
    char narrow[TextCapacity];
    if (length == 0 || length >= PathCapacity || !NarrowToUtf8(wide, narrow, sizeof narrow)) {
        ErrorCodeWords(code, text, capacity);
        return;
    }
    text[0] = '\0';
    (void)AppendAsOneLine(text, capacity, narrow);
    if (!text[0]) ErrorCodeWords(code, text, capacity);
}
