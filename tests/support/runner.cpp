#include "support/runner.h"

#include <memory>
#include <thread>

JobHolder& JobHolder::operator=(JobHolder&& other) noexcept
{
    if (this != &other) {
        Close();
        job_ = other.job_;
        other.job_ = nullptr;
    }
    return *this;
}

void JobHolder::Close()
{
    if (!job_) return;
    TerminateJobObject(job_, 1);
    CloseHandle(job_);
    job_ = nullptr;
}

namespace {

HANDLE MakeKillingJob()
{
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

void ReadDebugString(RunResult& result, HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info)
{
    std::string text;
    std::wstring wide;
    if (info.fUnicode) {
        wide.resize(info.nDebugStringLength);
        SIZE_T got = 0;
        ReadProcessMemory(process, info.lpDebugStringData, wide.data(), wide.size() * sizeof(wchar_t), &got);
        wide.resize(got / sizeof(wchar_t));
        while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    } else {
        text.resize(info.nDebugStringLength);
        SIZE_T got = 0;
        ReadProcessMemory(process, info.lpDebugStringData, text.data(), text.size(), &got);
        text.resize(got);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        wide.resize(text.size());
        wide.resize(
            size_t(MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), int(wide.size()))));
    }
    result.debugLines.push_back(Utf8(wide));
    result.debugLinesWide.push_back(wide);
    result.debugLinesWereWide.push_back(info.fUnicode != 0);
}

// WaitForDebugEventEx where the system has it: only through it does a debugger receive the
// wide lines of OutputDebugStringW as written.
BOOL WaitForDebugEventWide(DEBUG_EVENT* event, DWORD milliseconds)
{
    using Wait = BOOL(WINAPI*)(DEBUG_EVENT*, DWORD);
    static Wait wait = [] {
        FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "WaitForDebugEventEx");
        return found ? reinterpret_cast<Wait>(reinterpret_cast<void*>(found)) : &WaitForDebugEvent;
    }();
    return wait(event, milliseconds);
}

// Drives the debug loop until the process exits or the deadline passes.
void DebugUntilExit(RunResult& result, HANDLE process, DWORD deadline)
{
    bool initialBreak = true;
    for (;;) {
        DWORD now = GetTickCount();
        if (int(deadline - now) <= 0) {
            result.timedOut = true;
            return;
        }
        DEBUG_EVENT event;
        if (!WaitForDebugEventWide(&event, std::min<DWORD>(deadline - now, 200))) continue;
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            break;
        case OUTPUT_DEBUG_STRING_EVENT: ReadDebugString(result, process, event.u.DebugString); break;
        case EXCEPTION_DEBUG_EVENT: {
            const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
            bool breakpoint = record.ExceptionCode == EXCEPTION_BREAKPOINT || record.ExceptionCode == 0x4000001F;
            if (initialBreak && breakpoint) {
                initialBreak = false;
            } else {
                status = DBG_EXCEPTION_NOT_HANDLED;
                if (!event.u.Exception.dwFirstChance) result.crashed = true;
            }
            break;
        }
        case EXIT_PROCESS_DEBUG_EVENT:
            result.exitCode = event.u.ExitProcess.dwExitCode;
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
            return;
        default: break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
}

// A window station made without WSF_VISIBLE and a desktop in it, for one run.
class InvisibleStation {
public:
    InvisibleStation()
    {
        static LONG count = 0;
        name_ = "StowletUnseen" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(InterlockedIncrement(&count));
        station_ = CreateWindowStationA(name_.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
        if (!station_) return;
        // A desktop is made in the process's own station: switch to the new one for the call.
        HWINSTA own = GetProcessWindowStation();
        if (SetProcessWindowStation(station_)) {
            desktop_ = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
            SetProcessWindowStation(own);
        }
        path_ = Utf16(name_ + "\\Default");
    }
    ~InvisibleStation()
    {
        if (desktop_) CloseDesktop(desktop_);
        if (station_) CloseWindowStation(station_);
    }
    InvisibleStation(const InvisibleStation&) = delete;
    InvisibleStation& operator=(const InvisibleStation&) = delete;
    // "station\Default" for STARTUPINFO.lpDesktop; null when it could not be made.
    wchar_t* Desktop() { return desktop_ ? path_.data() : nullptr; }

private:
    std::string name_;
    std::wstring path_;
    HWINSTA station_ = nullptr;
    HDESK desktop_ = nullptr;
};

}  // namespace

RunResult RunProgram(const std::string& exePath, const RunOptions& options)
{
    RunResult result;
    result.exePath = exePath;
    std::string commandLine = "\"" + exePath + "\"";
    if (!options.arguments.empty()) commandLine += " " + options.arguments;
    std::string directory = options.currentDirectory;
    if (directory.empty()) directory = exePath.substr(0, exePath.find_last_of('\\'));

    HANDLE job = MakeKillingJob();
    result.job = JobHolder(job);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::optional<InvisibleStation> unseen;
    if (options.invisibleStation) {
        unseen.emplace();
        startup.lpDesktop = unseen->Desktop();
        if (!startup.lpDesktop) return result;
    }
    PROCESS_INFORMATION info{};
    DWORD flags = CREATE_SUSPENDED | (options.captureDebug ? DEBUG_ONLY_THIS_PROCESS : 0);
    std::wstring line = Utf16(commandLine);
    if (!CreateProcessW(Utf16(exePath).c_str(), line.data(), nullptr, nullptr, options.inheritHandles, flags, nullptr,
                        Utf16(directory).c_str(), &startup, &info))
        return result;
    result.started = true;
    result.pid = info.dwProcessId;
    AssignProcessToJobObject(job, info.hProcess);

    DWORD deadline = GetTickCount() + options.timeoutMs;
    {
        BoxWatcher watcher(info.dwProcessId, options.answers, options.closeDialogs, options.answerBoxes);
        ResumeThread(info.hThread);
        if (options.captureDebug) {
            // The debug events are taken on this thread, the one that started the process.
            std::thread watch;
            if (options.whileRunning) watch = std::thread(options.whileRunning, info.hProcess);
            DebugUntilExit(result, info.hProcess, deadline);
            if (watch.joinable()) watch.join();
        } else {
            if (options.whileRunning) options.whileRunning(info.hProcess);
            if (WaitForSingleObject(info.hProcess, options.timeoutMs) == WAIT_TIMEOUT) result.timedOut = true;
        }
        if (result.timedOut) {
            TerminateProcess(info.hProcess, 0xDEAD);
            if (options.captureDebug) DebugActiveProcessStop(info.dwProcessId);
            WaitForSingleObject(info.hProcess, 5000);
        }
        watcher.Stop();
        result.boxes = watcher.Boxes();
        result.dialogs = watcher.Dialogs();
    }
    if (!options.captureDebug || result.timedOut) {
        DWORD code = 0;
        if (GetExitCodeProcess(info.hProcess, &code)) result.exitCode = code;
    }
    if (result.exitCode >= 0xC0000000 && result.exitCode != 0xFFFFFFFF) result.crashed = true;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (!options.keepChildren) result.job.Close();
    return result;
}

std::string PlaceStowlet(const std::string& folder, const std::string& exeName, const std::optional<std::string>& ini)
{
    std::string exe = folder + "\\" + exeName;
    if (!CopyFileW(Utf16(BuiltProgram("Stowlet.exe")).c_str(), Utf16(exe).c_str(), FALSE)) return {};
    if (ini) WriteWholeFile(exe.substr(0, exe.size() - 3) + "ini", *ini);
    return exe;
}

RunResult RunStowlet(const RunOptions& options)
{
    std::shared_ptr<TempFolder> own;
    std::string folder = options.folder;
    if (folder.empty()) {
        own = std::make_shared<TempFolder>();
        folder = own->Path();
    }
    std::string exe = PlaceStowlet(folder, options.exeName, options.ini);
    if (exe.empty()) return {};
    RunResult result = RunProgram(exe, options);
    // The folder lives as long as the result: tests read files in it.
    result.ownFolder = own;
    return result;
}

RunInBackground::RunInBackground(const std::string& exePath, RunOptions options)
    : thread_([this, exePath, options = std::move(options)] { result_ = RunProgram(exePath, options); })
{
}

RunInBackground::~RunInBackground()
{
    if (thread_.joinable()) thread_.join();
}

RunResult& RunInBackground::Wait()
{
    if (thread_.joinable()) thread_.join();
    return result_;
}

std::vector<std::string> ReadRecord(const std::string& path)
{
    std::string content = ReadWholeFile(path);
    std::vector<std::string> lines;
    size_t at = content.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (at < content.size()) {
        size_t end = content.find("\r\n", at);
        if (end == std::string::npos) break;  // a line still being written
        lines.push_back(content.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

size_t CountLinesHaving(const std::vector<std::string>& lines, const std::string& part)
{
    size_t n = 0;
    for (const std::string& line : lines) n += line.find(part) != std::string::npos;
    return n;
}

std::vector<std::string> WaitForRecordLines(const std::string& path, const std::string& part, size_t count,
                                            DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<std::string> lines = ReadRecord(path);
        if (CountLinesHaving(lines, part) >= count || GetTickCount() - start >= timeoutMs) return lines;
        Sleep(20);
    }
}
