#include "common/unattended.h"

#include <windows.h>

#include "common/buffers.h"
#include "common/debug_line.h"
#include "common/text.h"
#include "common/unattended_core.h"

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

bool TellUnseen(const char* caption, const char* text)
{
    if (StationVisible()) return false;
    char line[TextCapacity] = {};
    (void)TextJoin(line, {caption, ": "});
    (void)AppendAsOneLine(line, sizeof line, text);
    DebugLine(line);
    return true;
}
