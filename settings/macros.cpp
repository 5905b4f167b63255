#include "settings/macros.h"

#include <shlobj.h>

#include "common/error_text.h"
#include "common/path.h"
#include "common/scoped.h"
#include "common/system_library.h"
#include "common/text.h"
#include "common/unicode.h"
#include "common/window.h"

namespace {

void SystemLocalClock(SYSTEMTIME* now) { GetLocalTime(now); }

// A system folder or name as the wide query gave it, as UTF-8; empty when the query failed.
using WideName = wchar_t[PathUnitLimit + 1];
void Narrowed(bool given, const WideName& wide, char (&text)[PathCapacity])
{
    if (!given || !NarrowToUtf8(wide, text, PathCapacity)) text[0] = '\0';
}

// The API's shape for the folder queries: length without the terminator, 0 on failure,
// the needed size when the buffer is too small.
bool FolderFits(UINT length) { return length != 0 && length <= PathUnitLimit; }

void ReadProgramFiles(char (&folder)[PathCapacity])
{
    folder[0] = '\0';
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &opened) !=
        ERROR_SUCCESS)
        return;
    ScopedKey key(opened);
    DWORD type = 0;
    WideName wide = {};
    DWORD size = PathUnitLimit * sizeof(wchar_t);  // room left for a terminator the stored value may lack
    bool read = RegQueryValueExW(key.Get(), L"ProgramFilesDir", nullptr, &type, reinterpret_cast<BYTE*>(wide), &size) ==
                    ERROR_SUCCESS &&
                (type == REG_SZ || type == REG_EXPAND_SZ);
    if (read) wide[size / sizeof(wchar_t)] = L'\0';
    Narrowed(read, wide, folder);
}

bool ErrorTextOf(int32_t code, char (&text)[PathCapacity]) { return SystemErrorText(uint32_t(code), text); }

// The HEAD file's bytes as they are: a branch name is UTF-8 there, and no code page touches it.
bool ReadFileStart(const char* path, char* bytes, size_t capacity, size_t& count)
{
    count = 0;
    wchar_t wide[TextCapacity];
    if (!WidenUtf8(path, wide, TextCapacity)) return false;
    ScopedFile file(
        CreateFileW(wide, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

    WideName wide = {};
    char documents[PathCapacity];
    // The one use of the shell library in a run of the tasks: loaded here, not at every start.
    auto folderPath = SystemFunction<decltype(&SHGetFolderPathW)>("shell32.dll", "SHGetFolderPathW");
    Narrowed(folderPath && folderPath(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, wide) == S_OK, wide,
             documents);
    char programFiles[PathCapacity];
    ReadProgramFiles(programFiles);
    char systemDir[PathCapacity];
    Narrowed(FolderFits(GetSystemDirectoryW(wide, PathUnitLimit + 1)), wide, systemDir);
    char tempDir[PathCapacity];
    Narrowed(FolderFits(GetTempPathW(PathUnitLimit + 1, wide)), wide, tempDir);
    char windowsDir[PathCapacity];
    Narrowed(FolderFits(GetWindowsDirectoryW(wide, PathUnitLimit + 1)), wide, windowsDir);
    char userName[PathCapacity];
    DWORD size = PathUnitLimit + 1;
    Narrowed(GetUserNameW(wide, &size) != FALSE, wide, userName);
    char computerName[PathCapacity];
    size = PathUnitLimit + 1;
    Narrowed(GetComputerNameW(wide, &size) != FALSE, wide, computerName);

    SystemTexts system = {documents, startup.OwnPath, programFiles, startup.OwnName, systemDir,
                          tempDir,   userName,        computerName, windowsDir};
    FormatMacroValues(clock, system, run.Values);
}

bool ExpandMacros(const char* source, char (&output)[TextCapacity], TaskId task, const MacroInputs& inputs)
{
    ExpansionContext context = {inputs.Values, inputs.ProcessId, inputs.ErrorCode, ErrorTextOf,
                                ReadFileStart, inputs.Tasks,     inputs.Reader,    inputs.Unsafe};
    return ExpandMacroText(source, output, task, context);
}
