#include "launcher/program.h"

DWORD LaunchProgram(const char*, const char*, const char*, int32_t, int32_t, int32_t, int32_t) { return 0; }

int32_t IsFolder(const char* path)
{
    // The attributes answer for a path of any length the system accepts, and unlike a trip
    // through SetCurrentDirectory they leave the current directory alone.
    if (!path || !path[0]) return 0;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}
