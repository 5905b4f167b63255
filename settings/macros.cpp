#include "settings/macros.h"

#include <shlobj.h>

#include "common/path.h"
#include "common/scoped.h"
#include "common/system_library.h"
#include "common/text.h"
#include "launcher/startup.h"
#include "launcher/tasks.h"

uint64_t RunStartTime;
MacroValues Macros;

namespace {

void SystemLocalClock(SYSTEMTIME* now) { GetLocalTime(now); }

// The API's shape for the folder queries: length without the terminator, 0 on failure,
// the needed size when the buffer is too small.
void FitFolder(UINT length, char (&folder)[PathCapacity])
{
    if (length == 0 || length >= PathCapacity) folder[0] = '\0';
}

void ReadProgramFiles(char (&folder)[PathCapacity])
{
    folder[0] = '\0';
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &opened) !=
        ERROR_SUCCESS)
        return;
    ScopedKey key(opened);
    DWORD type = 0;
    DWORD size = PathCapacity - 1;  // room left for a terminator the stored value may lack
    if (RegQueryValueExA(key.Get(), "ProgramFilesDir", nullptr, &type, reinterpret_cast<BYTE*>(folder), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        folder[0] = '\0';
        return;
    }
    folder[size] = '\0';
}

bool SystemErrorText(int32_t code, char (&text)[PathCapacity])
{
    // Inserts are ignored: the text is shown as it is, with no arguments to fill in.
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(code), 0,
                                  text, PathCapacity, nullptr);
    if (length == 0 || length >= PathCapacity) {
        text[0] = '\0';
        return false;
    }
    return true;
}

bool ReadFileStart(const char* path, char* bytes, size_t capacity, size_t& count)
{
    count = 0;
    ScopedHandle file(
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes, DWORD(capacity), &read, nullptr)) return false;
    count = read;
    return true;
}

}  // namespace

void (*ReadLocalClock)(SYSTEMTIME* now) = SystemLocalClock;

void ComputeMacroValues()
{
    SYSTEMTIME now = {};
    ReadLocalClock(&now);
    FILETIME start = {};
    RunStartTime = SystemTimeToFileTime(&now, &start)
                       ? (uint64_t(start.dwHighDateTime) << 32) | start.dwLowDateTime
                       : 0;
    ClockReading clock = {now.wYear, now.wMonth, now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond};

    char documents[PathCapacity] = {};
    // The one use of the shell library in a run of the tasks: loaded here, not at every start.
    auto folderPath = SystemFunction<decltype(&SHGetFolderPathA)>("shell32.dll", "SHGetFolderPathA");
    if (!folderPath || folderPath(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents) != S_OK)
        documents[0] = '\0';
    char programFiles[PathCapacity];
    ReadProgramFiles(programFiles);
    char systemDir[PathCapacity] = {};
    FitFolder(GetSystemDirectoryA(systemDir, PathCapacity), systemDir);
    char tempDir[PathCapacity] = {};
    FitFolder(GetTempPathA(PathCapacity, tempDir), tempDir);
    char windowsDir[PathCapacity] = {};
    FitFolder(GetWindowsDirectoryA(windowsDir, PathCapacity), windowsDir);
    char userName[PathCapacity] = {};
    DWORD size = PathCapacity;
    if (!GetUserNameA(userName, &size)) userName[0] = '\0';
    char computerName[PathCapacity] = {};
    size = PathCapacity;
    if (!GetComputerNameA(computerName, &size)) computerName[0] = '\0';

    SystemTexts system = {documents, OwnPath, programFiles, OwnName, systemDir,
                          tempDir,   userName, computerName, windowsDir};
    FormatMacroValues(clock, system, Macros);
}

bool ExpandMacros(const char* source, char (&output)[TextCapacity], int32_t task)
{
    ExpansionContext context = {&Macros, ProcessIdText, ErrorCode, SystemErrorText, ReadFileStart};
    return ExpandMacroText(source, output, task, context);
}
