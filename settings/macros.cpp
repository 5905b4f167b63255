#include "settings/macros.h"

#include <shlobj.h>

#include "common/path.h"
#include "common/scoped.h"
#include "common/system_library.h"
#include "common/text.h"
#include "common/window.h"

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

bool ErrorTextOf(int32_t code, char (&text)[PathCapacity]) { return SystemErrorText(uint32_t(code), text); }

bool ReadFileStart(const char* path, char* bytes, size_t capacity, size_t& count)
{
    count = 0;
    ScopedFile file(
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes, DWORD(capacity), &read, nullptr)) return false;
    count = read;
    return true;
}

}  // namespace

void (*gReadLocalClock)(SYSTEMTIME* now) = SystemLocalClock;

void ComputeMacroValues(const StartupValues& startup, MacroRun& run)
{
    SYSTEMTIME now = {};
    gReadLocalClock(&now);
    FILETIME start = {};
    run.StartTime =
        SystemTimeToFileTime(&now, &start) ? (uint64_t(start.dwHighDateTime) << 32) | start.dwLowDateTime : 0;
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

    SystemTexts system = {documents, startup.OwnPath, programFiles, startup.OwnName, systemDir,
                          tempDir,   userName,        computerName, windowsDir};
    FormatMacroValues(clock, system, run.Values);
}

bool ExpandMacros(const char* source, char (&output)[TextCapacity], TaskId task, const MacroInputs& inputs)
{
    ExpansionContext context = {inputs.Values, inputs.ProcessId, inputs.ErrorCode,
                                ErrorTextOf,   ReadFileStart,    inputs.Tasks};
    return ExpandMacroText(source, output, task, context);
}
