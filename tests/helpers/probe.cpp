// The probe: a target program for tests that start programs. Built twice from this file:
//   probe_gui.exe      a Windows (GUI) program with one top-level window and a message loop
//   probe_console.exe  a console program
//
// Copy it under a name unique to your test (a TERM test ends every process of that name) into
// a TempFolder, e.g. <folder>\mytest_target.exe. It needs no arguments: everything on its
// command line is only recorded, never interpreted.
//
// Settings (optional): an INI file beside the copy named <copy path>.probe (for the copy
// "t.exe" that is "t.exe.probe"), section [probe]:
//   Report=<path>    where the records go; default <copy path>.report
//   Stay=<seconds>   how long it runs before it ends by itself (default 0: at once, after the
//                    start record is written and, GUI, pending messages are handled)
//   Window=0|1       GUI: create the top-level window (default 1)
//   Caption=<text>   GUI: the window's caption (default "Stowlet probe")
//   WindowDelay=<ms> GUI: handle messages for this long before the window is made, so a
//                    waiter sees the process idle before it owns a window (default 0)
//   Minimize=1       GUI: minimise the window right after its first show
//   ShowCommand=<n>  GUI: show the window with this SW_ value instead of nCmdShow, as
//                    programs do that ignore how they were asked to start
//   Hang=1           GUI: never handle a message: after the start record it sleeps for Stay
//                    seconds, so it never becomes idle (a worker without a message loop, or a
//                    program hung after showing its window)
//   ExitCode=<n>     the code it ends with by itself (default 0)
//   Say=<text>       console: before its start record, writes "<text> <i> to output" to its
//                    standard output and "<text> <i> to error" to its standard error, for i
//                    from 1 to Lines (default 1), each line one write
//   Turns=<name>     console: with Say, writes each line pair in its turn: waits (10 s at most)
//   Turn=0|1         for the event <name>-<Turn> before it and sets <name>-<1-Turn> after it,
//                    the test having made both (auto-reset) and set the first
//   Read=1           console: reads its standard input once before its start record
//   TryHandle=<n>    console: looks at the handle of that value, as a program that found it
//                    inherited would
// The GUI window shows itself with ShowWindow(window, nCmdShow), as ordinary programs do.
// WM_CLOSE ends the probe as its time running out does.
//
// Records: each run appends one block to the report file with a single write, so instances
// that run at the same time do not mix their lines:
//   [start]
//   pid=<decimal>            exe=<GetModuleFileNameW>
//   commandline=<GetCommandLineW>
//   currentdir=<GetCurrentDirectoryW>
//   flags=<STARTUPINFO dwFlags, decimal>   showwindow=<wShowWindow, decimal>
//   title=<lpTitle>          titlenull=1 when lpTitle was null (title then empty)
//   window=<decimal HWND>    the GUI window, or the console's window (0 when none)
//   visible=0|1              IsWindowVisible of that window after the first show
//   consoletitle=<text>      console flavour: GetConsoleTitleW
//   read=<bytes> readerror=<code>   with Read=1: the bytes read (-1 when the read failed) and
//                            GetLastError after it
//   tried=<path>             with TryHandle: the file the handle names (GetFinalPathNameByHandleW),
//                            empty when it names none
//   [end]
// and when it ends by itself or by WM_CLOSE (not when terminated), one more block:
//   [exit]  pid=  window=  visible=  [end]
// Texts are read wide and written as UTF-8. Every key stands on a line of its own as key=value; a carriage return or line feed inside a
// value is written as \r or \n. tests/helpers/probe_report.h reads these files. A test can
// ask IsWindowVisible(window) itself at any moment: window handles are valid across processes.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), n, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

std::wstring Utf16(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), int(wide.size()));
    wide.resize(size_t(n > 0 ? n - 1 : 0));
    return wide;
}

std::string ModuleFilePath()
{
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    path.resize(n < path.size() ? n : 0);
    return Utf8(path.c_str());
}

std::string Setting(const std::string& file, const char* key, const char* fallback)
{
    std::wstring value(4096, L'\0');
    DWORD n = GetPrivateProfileStringW(L"probe", Utf16(key).c_str(), Utf16(fallback).c_str(), value.data(),
                                       DWORD(value.size()), Utf16(file).c_str());
    value.resize(n);
    return Utf8(value.c_str());
}

int SettingNumber(const std::string& file, const char* key, int fallback)
{
    return int(GetPrivateProfileIntW(L"probe", Utf16(key).c_str(), fallback, Utf16(file).c_str()));
}

void Line(std::string& record, const char* key, const std::string& value)
{
    record += key;
    record += '=';
    for (char c : value) {
        if (c == '\r')
            record += "\\r";
        else if (c == '\n')
            record += "\\n";
        else
            record += c;
    }
    record += "\r\n";
}

std::string Number(unsigned long long value) { return std::to_string(value); }
std::string HandleNumber(HWND window) { return Number(reinterpret_cast<ULONG_PTR>(window)); }

// One write per record: appends of a record never mix with another instance's.
void Append(const std::string& path, const std::string& record)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file =
            CreateFileW(Utf16(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, record.data(), DWORD(record.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        Sleep(10);
    }
}

struct Probe {
    std::string settings;
    std::string report;
    int stay = 0;
    HWND window = nullptr;
};

std::string ExitRecord(HWND window)
{
    std::string record = "[exit]\r\n";
    Line(record, "pid", Number(GetCurrentProcessId()));
    Line(record, "window", HandleNumber(window));
    Line(record, "visible", window && IsWindowVisible(window) ? "1" : "0");
    record += "[end]\r\n";
    return record;
}

std::string StartRecord(HWND window, const std::string& extra = "")
{
    STARTUPINFOW startup;
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    std::wstring directory(32768, L'\0');
    DWORD n = GetCurrentDirectoryW(DWORD(directory.size()), directory.data());
    directory.resize(n < directory.size() ? n : 0);

    std::string record = "[start]\r\n";
    Line(record, "pid", Number(GetCurrentProcessId()));
    Line(record, "exe", ModuleFilePath());
    Line(record, "commandline", Utf8(GetCommandLineW()));
    Line(record, "currentdir", Utf8(directory.c_str()));
    Line(record, "flags", Number(startup.dwFlags));
    Line(record, "showwindow", Number(startup.wShowWindow));
    Line(record, "title", startup.lpTitle ? Utf8(startup.lpTitle) : "");
    Line(record, "titlenull", startup.lpTitle ? "0" : "1");
    Line(record, "window", HandleNumber(window));
    Line(record, "visible", window && IsWindowVisible(window) ? "1" : "0");
    Line(record, "errormode", Number(GetErrorMode()));
#ifndef PROBE_GUI
    wchar_t title[4096] = {};
    GetConsoleTitleW(title, 4096);
    Line(record, "consoletitle", Utf8(title));
#endif
    record += extra;
    record += "[end]\r\n";
    return record;
}

Probe ReadSettings()
{
    Probe probe;
    std::string exe = ModuleFilePath();
    probe.settings = exe + ".probe";
    probe.report = Setting(probe.settings, "Report", (exe + ".report").c_str());
    probe.stay = SettingNumber(probe.settings, "Stay", 0);
    return probe;
}

#ifdef PROBE_GUI

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Handles messages until the deadline or WM_QUIT; false on WM_QUIT.
bool PumpUntil(DWORD deadline)
{
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return false;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        auto left = LONG(deadline - GetTickCount());
        if (left <= 0) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left), QS_ALLINPUT);
    }
}

#endif

}  // namespace

#ifdef PROBE_GUI

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    Probe probe = ReadSettings();
    DWORD start = GetTickCount();
    DWORD deadline = start + DWORD(probe.stay) * 1000u;
    bool running = true;

    int delay = SettingNumber(probe.settings, "WindowDelay", 0);
    if (delay > 0) running = PumpUntil(start + DWORD(delay));

    if (running && SettingNumber(probe.settings, "Window", 1)) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = ProbeWindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.lpszClassName = L"StowletProbeWindow";
        RegisterClassW(&windowClass);
        std::wstring caption = Utf16(Setting(probe.settings, "Caption", "Stowlet probe"));
        probe.window = CreateWindowExW(0, windowClass.lpszClassName, caption.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 200,
                                       120, nullptr, nullptr, instance, nullptr);
        ShowWindow(probe.window, SettingNumber(probe.settings, "ShowCommand", showCommand));
        if (SettingNumber(probe.settings, "Minimize", 0)) ShowWindow(probe.window, SW_MINIMIZE);
    }
    Append(probe.report, StartRecord(probe.window));

    if (running && SettingNumber(probe.settings, "Hang", 0)) {
        Sleep(DWORD(probe.stay) * 1000u);
        return 0;
    }
    if (running) {
        PumpUntil(deadline);  // ends early when the window was closed
        Append(probe.report, ExitRecord(probe.window));
    }
    if (probe.window && IsWindow(probe.window)) DestroyWindow(probe.window);
    return SettingNumber(probe.settings, "ExitCode", 0);
}

#else

void Write(DWORD stream, const std::string& text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(stream), text.data(), DWORD(text.size()), &written, nullptr);
}

// What the console probe does with its standard handles, as lines of its start record.
std::string UseStandardHandles(const Probe& probe)
{
    std::string lines;
    std::string say = Setting(probe.settings, "Say", "");
    int count = SettingNumber(probe.settings, "Lines", 1);
    std::string turns = Setting(probe.settings, "Turns", "");
    int turn = SettingNumber(probe.settings, "Turn", 0);
    HANDLE mine = nullptr, theirs = nullptr;
    if (!turns.empty()) {
        mine = OpenEventW(SYNCHRONIZE, FALSE, Utf16(turns + "-" + std::to_string(turn)).c_str());
        theirs = OpenEventW(EVENT_MODIFY_STATE, FALSE, Utf16(turns + "-" + std::to_string(1 - turn)).c_str());
    }
    for (int i = 1; !say.empty() && i <= count; ++i) {
        if (mine) WaitForSingleObject(mine, 10000);
        Write(STD_OUTPUT_HANDLE, say + " " + std::to_string(i) + " to output\r\n");
        Write(STD_ERROR_HANDLE, say + " " + std::to_string(i) + " to error\r\n");
        if (theirs) SetEvent(theirs);
    }
    if (mine) CloseHandle(mine);
    if (theirs) CloseHandle(theirs);
    if (SettingNumber(probe.settings, "Read", 0)) {
        char byte;
        DWORD read = 0;
        SetLastError(0);
        BOOL ok = ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &read, nullptr);
        Line(lines, "read", ok ? Number(read) : "-1");
        Line(lines, "readerror", Number(GetLastError()));
    }
    std::string tried = Setting(probe.settings, "TryHandle", "");
    if (!tried.empty()) {
        auto handle = reinterpret_cast<HANDLE>(ULONG_PTR(std::stoull(tried)));
        std::wstring path(32768, L'\0');
        DWORD n = GetFinalPathNameByHandleW(handle, path.data(), DWORD(path.size()), 0);
        path.resize(n < path.size() ? n : 0);
        Line(lines, "tried", Utf8(path.c_str()));
    }
    return lines;
}

int main()
{
    Probe probe = ReadSettings();
    HWND console = GetConsoleWindow();
    Append(probe.report, StartRecord(console, UseStandardHandles(probe)));
    if (probe.stay > 0) Sleep(DWORD(probe.stay) * 1000u);
    Append(probe.report, ExitRecord(console));
    return SettingNumber(probe.settings, "ExitCode", 0);
}

#endif
