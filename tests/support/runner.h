// Runs a built program (usually a renamed copy of Stowlet.exe) the way a user would, with a
// bounded wait, its message boxes answered and every process it started cleaned up.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/boxes.h"
#include "support/support.h"

struct RunOptions {
    std::string exeName = "Stowlet.exe";  // the name the copy bears
    std::string arguments;                // the command line after the program's own quoted path (UTF-8)
    std::optional<std::string> ini;       // written beside the copy as <name>.ini when given
    std::string folder;                   // where the copy goes; a fresh TempFolder when empty
    std::string currentDirectory;         // of the new process; the copy's folder when empty
    std::vector<int> answers;             // for the message boxes, in order (see BoxWatcher)
    bool closeDialogs = true;             // close other dialogs (the settings window) when they show
    bool captureDebug = false;            // run under the debug API and collect its debug lines
    bool keepChildren = false;            // leave processes it started running until the result goes away
    bool answerBoxes = true;              // false: boxes are recorded but left for the program to close
    // Start it on a desktop of a window station created without WSF_VISIBLE, as a task run
    // whether or not anyone is logged on gets: a box there waits for ever.
    bool invisibleStation = false;
    bool inheritHandles = false;  // it inherits this process's inheritable handles, as from a shell that leaks some
    DWORD timeoutMs = 30000;
    // Called once the program runs, before the wait (with captureDebug on a thread of its own,
    // beside the debug loop): a test may watch what it does and end it there.
    std::function<void(HANDLE process)> whileRunning;
};

// Owns the job holding the run's processes: they end when it goes away.
class JobHolder {
public:
    JobHolder() = default;
    explicit JobHolder(HANDLE job) : job_(job) {}
    JobHolder(JobHolder&& other) noexcept : job_(other.job_) { other.job_ = nullptr; }
    JobHolder& operator=(JobHolder&& other) noexcept;
    ~JobHolder() { Close(); }
    void Close();

private:
    HANDLE job_ = nullptr;
};

struct RunResult {
    bool started = false;
    bool timedOut = false;  // still running at the time-out: it was killed
    bool crashed = false;   // an unhandled exception (debug runs), or an exception exit code
    DWORD exitCode = 0xFFFFFFFF;
    DWORD pid = 0;
    std::string exePath;  // the copy that ran
    std::vector<BoxSeen> boxes;
    std::vector<DialogSeen> dialogs;
    std::vector<std::string> debugLines;  // UTF-8, from the wide lines below
    // The same lines as the debugger received them: wide where the program wrote wide text and
    // the system passed it on so (WaitForDebugEventEx), else the ANSI text widened.
    std::vector<std::wstring> debugLinesWide;
    std::vector<bool> debugLinesWereWide;
    JobHolder job;                          // with keepChildren: the processes the run left behind
    std::shared_ptr<TempFolder> ownFolder;  // the fresh folder of RunStowlet, removed with the result
};

// Copies BuiltProgram("Stowlet.exe") into folder as exeName, with ini beside it as <name>.ini
// when given; returns the copy's path, empty when it could not be made.
std::string PlaceStowlet(const std::string& folder, const std::string& exeName,
                         const std::optional<std::string>& ini = std::nullopt);
// Copies BuiltProgram("Stowlet.exe") as options.exeName and runs it.
RunResult RunStowlet(const RunOptions& options);
// Runs any program by path with `arguments` after its quoted path (exeName and ini unused).
RunResult RunProgram(const std::string& exePath, const RunOptions& options);

// A run on a thread of its own, for tests of runs that meet: Wait() joins it and gives its
// result; going out of scope joins it too.
class RunInBackground {
public:
    RunInBackground(const std::string& exePath, RunOptions options);
    ~RunInBackground();
    RunInBackground(const RunInBackground&) = delete;
    RunInBackground& operator=(const RunInBackground&) = delete;
    RunResult& Wait();

private:
    RunResult result_;
    std::thread thread_;
};

// The lines of a run's record (LogFile), after its byte-order mark.
std::vector<std::string> ReadRecord(const std::string& path);
// Waits (at most timeoutMs) until the record holds count lines that contain part; returns the
// record's lines.
std::vector<std::string> WaitForRecordLines(const std::string& path, const std::string& part, size_t count,
                                            DWORD timeoutMs);
// How many of the lines contain part.
size_t CountLinesHaving(const std::vector<std::string>& lines, const std::string& part);
