// Runs nobody watches, end to end: the launcher in a window station no one can see, prompts
// that close by themselves, and the record a run leaves.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>

#include "helpers/probe_report.h"
#include "support/runner.h"

namespace {

bool AnyLineHas(const RunResult& run, const std::string& part)
{
    for (const std::string& line : run.debugLines)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

// "2025-04-23 03:00:01 [4711] text": a whole line of one launcher.
const std::regex WholeLine(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \[\d+\] [^\r\n]+)");

size_t CountHaving(const std::vector<std::string>& lines, const std::string& part)
{
    size_t n = 0;
    for (const std::string& line : lines) n += line.find(part) != std::string::npos;
    return n;
}

// The probe started once, or not at all (the launcher has returned: a start would be recorded).
void ExpectStarted(const Probe& target, bool started)
{
    if (started)
        EXPECT_EQ(WaitForProbeRecords(target.report, "start", 1, 10000).size(), 1u);
    else
        EXPECT_TRUE(ReadProbeRecords(target.report, "start").empty());
}

}  // namespace

// A box on a station nobody can see waits for ever; each of these must return by itself.
TEST(UnseenStation, NoBoxWaitsAndTheRunEndsAsAfterTheBox)
{
    TempFolder folder;
    Probe target = PlaceProbe(folder, ProbeFlavour::Gui, "unseen_target", "Window=0\n");
    std::string prompting = Section("OPTIONS", "Program=" + target.path + "\r\nAskExecute=1\r\n");
    struct Case {
        const char* name;
        std::optional<std::string> ini;
        std::string arguments;
        bool started;
        const char* debugLine;  // a piece of the line that stands in for the box
    } cases[] = {
        {"a prompt with no [RUN]: No", prompting, "", false, "MAIN TASK: Please confirm: Execute application"},
        {"a prompt with PromptDefault=Yes", prompting + Section("RUN", "PromptDefault=Yes\r\n"), "", true,
         "MAIN TASK: Please confirm: Execute application"},
        {"a program not found, command-line mode", std::nullopt, "unseen_no_such_program", false,
         "Error when executing: "},
        {"the help boxes", std::nullopt, "", false,
         "The Stowlet initialization file example (stowlet.ini).: [OPTIONS]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(target.report.c_str());
        RunOptions options;
        options.folder = folder.Path();
        options.ini = c.ini;
        if (!c.ini) DeleteFileA((folder / "Stowlet.ini").c_str());
        options.arguments = c.arguments;
        options.invisibleStation = true;
        options.captureDebug = true;
        options.timeoutMs = 30000;  // the bounded wait: a box would hold the run past it
        RunResult run = RunStowlet(options);
        ASSERT_TRUE(run.started);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(AnyLineHas(run, c.debugLine));
        ExpectStarted(target, c.started);
    }
    EndProcessesNamed(target.fileName);
}

// Nobody answers: the box shows as ever, closes by itself and PromptDefault answers.
TEST(PromptTimeout, AnUnansweredPromptClosesAndTakesTheDefault)
{
    TempFolder folder;
    Probe target = PlaceProbe(folder, ProbeFlavour::Gui, "timeout_target", "Window=0\n");
    struct Case {
        const char* run;
        bool started;
    } cases[] = {{"PromptTimeout=3\r\nPromptDefault=Yes\r\n", true}, {"PromptTimeout=3\r\n", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.run);
        DeleteFileA(target.report.c_str());
        RunOptions options;
        options.folder = folder.Path();
        options.ini = Section("OPTIONS", "Program=" + target.path + "\r\nAskExecute=1\r\n") + Section("RUN", c.run);
        options.answerBoxes = false;
        RunResult run = RunStowlet(options);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0u);
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].caption, "MAIN TASK: Please confirm");
        EXPECT_EQ(run.boxes[0].text, "Execute application in HIDDEN mode?\n\n" + target.path);
        ExpectStarted(target, c.started);
    }
    EndProcessesNamed(target.fileName);
}

TEST(RunRecordFile, ACopyThatFailsAProgramThatCannotStartAndOneEndedAtTheTimeout)
{
    TempFolder folder;
    ASSERT_TRUE(CreateDirectoryA((folder / "src").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder / "dst").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(folder / "src\\a.txt", "new"));
    ASSERT_TRUE(WriteWholeFile(folder / "dst\\a.txt", "old"));  // no overwrite: the copy fails
    ASSERT_TRUE(WriteWholeFile(folder / "readme.txt", "a document, no program"));
    Probe target = PlaceProbe(folder, ProbeFlavour::Gui, "record_target", "Window=0\nStay=30\n");
    std::string record = folder / "logs\\nightly\\run.log";  // its folders are missing
    std::string ini =
        Section("RUN", "LogFile=" + folder.Path() + "\\logs\\nightly\\run.log\r\n") +
        Section("PREVIOUS", "CopySource=" + folder.Path() + "\\src\\a.txt\r\nCopyTarget=" + folder.Path() +
                                "\\dst\\\r\nCopyOverwrite=0\r\nCopyBeforeExecute=1\r\nProgram=" + folder.Path() +
                                "\\readme.txt\r\n") +
        Section("OPTIONS", "Program=" + target.path + "\r\nTimeout=1\r\n");
    RunOptions options;
    options.folder = folder.Path();
    options.ini = ini;
    options.captureDebug = true;
    RunResult run = RunStowlet(options);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
    // The program that could not start leaves a debug line with the program text.
    EXPECT_TRUE(AnyLineHas(run, folder.Path() + "\\readme.txt"));

    std::string content = ReadWholeFile(record);
    EXPECT_EQ(content.rfind("\xEF\xBB\xBF", 0), 0u);  // UTF-8 with a byte-order mark
    std::vector<std::string> lines = FileLines(content);
    ASSERT_GE(lines.size(), 6u) << content;
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, WholeLine)) << line;
    EXPECT_NE(lines.front().find("] start: " + run.exePath), std::string::npos);
    EXPECT_NE(lines.front().find("desktop visible"), std::string::npos);
    EXPECT_NE(lines.back().find("] end"), std::string::npos);
    std::string src = folder.Path() + "\\src\\a.txt";
    std::string dst = folder.Path() + "\\dst\\";
    EXPECT_EQ(CountHaving(lines, "PREVIOUS TASK: copy failed: " + src + " to " + dst + ": "), 1u) << content;
    EXPECT_EQ(CountHaving(lines, "PREVIOUS TASK: copy " + src + " to " + dst + ": 0 file(s) copied, 1 failed"), 1u);
    EXPECT_EQ(CountHaving(lines, "PREVIOUS TASK: program " + folder.Path() + "\\readme.txt: could not be started: "),
              1u);
    EXPECT_EQ(CountHaving(lines, " ended at the time-out"), 1u);
    EXPECT_EQ(CountHaving(lines, "MAIN TASK: program " + target.path), 1u);
    EndProcessesNamed(target.fileName);
}

TEST(RunRecordFile, TwoLaunchersAppendingAtOnceWriteWholeLines)
{
    TempFolder folder;
    constexpr int Files = 40;
    ASSERT_TRUE(CreateDirectoryA((folder / "src").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder / "dst").c_str(), nullptr));
    for (int i = 0; i < Files; ++i) {
        std::string name = "file" + std::to_string(i) + ".txt";
        ASSERT_TRUE(WriteWholeFile(folder / ("src\\" + name), "new"));
        ASSERT_TRUE(WriteWholeFile(folder / ("dst\\" + name), "old"));  // each copy fails: a line each
    }
    std::string record = folder / "shared.log";
    std::string ini = Section("RUN", "LogFile=" + record + "\r\n") +
                      Section("OPTIONS", "CopySource=" + folder.Path() + "\\src\r\nCopyTarget=" + folder.Path() +
                                             "\\dst\r\nCopyOverwrite=0\r\nCopyBeforeExecute=1\r\n");
    RunResult runs[2];
    std::thread second([&] {
        RunOptions options;
        options.folder = folder.Path();
        options.exeName = "Second.exe";
        options.ini = ini;
        runs[1] = RunStowlet(options);
    });
    RunOptions options;
    options.folder = folder.Path();
    options.exeName = "First.exe";
    options.ini = ini;
    runs[0] = RunStowlet(options);
    second.join();
    for (const RunResult& run : runs) EXPECT_EQ(run.exitCode, 0u);

    std::string content = ReadWholeFile(record);
    EXPECT_EQ(content.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_EQ(content.find("\xEF\xBB\xBF", 1), std::string::npos);  // one mark, at the start
    std::vector<std::string> lines = FileLines(content);
    EXPECT_EQ(lines.size(), size_t(2 * (Files + 3))) << content;  // start, the failures, the copy, end
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, WholeLine)) << line;
    EXPECT_EQ(CountHaving(lines, "MAIN TASK: copy failed: "), size_t(2 * Files));
    for (const RunResult& run : runs)
        EXPECT_EQ(CountHaving(lines, "[" + std::to_string(run.pid) + "] "), size_t(Files + 3));
}

// [RUN] ExitCode=Outcome: the first step that went wrong gives the exit code (80: the file exists,
// overwrite off; a program's own code as it is), and the record's last line says which, asked
// for or not.
TEST(RunRecordFile, TheExitCodeIsTheFirstStepThatWentWrong)
{
    TempFolder folder;
    ASSERT_TRUE(CreateDirectoryA((folder / "src").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder / "dst").c_str(), nullptr));
    ASSERT_TRUE(WriteWholeFile(folder / "src\\a.txt", "new"));
    ASSERT_TRUE(WriteWholeFile(folder / "dst\\a.txt", "old"));
    Probe good = PlaceProbe(folder, ProbeFlavour::Gui, "outcome_good", "Window=0\n");
    Probe three = PlaceProbe(folder, ProbeFlavour::Gui, "outcome_three", "Window=0\nExitCode=3\n");
    const std::string refusedCopy = "CopySource=" + folder.Path() + "\\src\\a.txt\r\nCopyTarget=" + folder.Path() +
                                    "\\dst\\\r\nCopyOverwrite=0\r\n";
    struct Case {
        const char* name;
        std::string run, previous, main;
        DWORD code;
        const char* endLine;
    } cases[] = {
        {"a refused copy, then a good program", "ExitCode=Outcome\r\n", "",
         refusedCopy + "CopyBeforeExecute=1\r\nProgram=" + good.path + "\r\n", 80,
         "] end: exit code 80, from MAIN TASK: copy before: "},
        {"a program's code, then a refused copy", "exitcode=outcome\r\n", "Program=" + three.path + "\r\n",
         refusedCopy + "CopyAfterExecute=1\r\n", 3,
         "] end: exit code 3, from PREVIOUS TASK: program: the program's own exit code"},
        {"every step good", "ExitCode=Outcome\r\n", "Program=" + good.path + "\r\n", "Program=" + good.path + "\r\n", 0,
         "] end: exit code 0, no step went wrong"},
        {"not asked for", "ExitCode=Yes\r\n", "", refusedCopy + "CopyBeforeExecute=1\r\n", 0,
         "] end: exit code 0; would exit with 80, from MAIN TASK: copy before: "},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string record = folder / ("outcome" + std::to_string(++n) + ".log");
        RunOptions options;
        options.folder = folder.Path();
        options.ini = Section("RUN", "LogFile=" + record + "\r\n" + c.run) +
                      (c.previous.empty() ? "" : Section("PREVIOUS", c.previous)) + Section("OPTIONS", c.main);
        RunResult run = RunStowlet(options);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, c.code);
        std::vector<std::string> lines = FileLines(ReadWholeFile(record));
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(lines.back().find(c.endLine), std::string::npos) << lines.back();
    }
}

// A misspelt key and a value not of its kind open the record, with their section; without a
// record each is a debug line.
TEST(RunRecordFile, UnknownKeysAndUnreadableValuesAreNamedFirst)
{
    TempFolder folder;
    Probe target = PlaceProbe(folder, ProbeFlavour::Gui, "problem_target", "Window=0\n");
    std::string record = folder / "problems.log";
    std::string tasks = Section("PREVIOUS", "Timeout=abc\r\n") +
                        Section("OPTIONS", "Program=" + target.path + "\r\nCopyOverwirte=1\r\n");
    for (bool kept : {true, false}) {
        SCOPED_TRACE(kept ? "record" : "debug channel");
        RunOptions options;
        options.folder = folder.Path();
        options.ini = (kept ? Section("RUN", "LogFile=" + record + "\r\n") : std::string()) + tasks;
        options.captureDebug = true;
        RunResult run = RunStowlet(options);
        EXPECT_EQ(run.exitCode, 0u);
        std::vector<std::string> said =
            kept ? FileLines(ReadWholeFile(record)) : std::vector<std::string>(run.debugLines);
        const std::string timeout = "settings: [PREVIOUS] Timeout=abc: not a number, read as 0";
        const std::string unknown = "settings: [OPTIONS] CopyOverwirte=1: no such key, ignored";
        EXPECT_EQ(CountHaving(said, timeout), 1u);
        EXPECT_EQ(CountHaving(said, unknown), 1u);
        if (kept) {
            ASSERT_GE(said.size(), 4u);
            EXPECT_NE(said[1].find(timeout), std::string::npos);
            EXPECT_NE(said[2].find(unknown), std::string::npos);
        }
    }
    // A file full of them names the first twenty and counts the rest.
    std::string many;
    for (int i = 0; i < 25; ++i) many += "Junk" + std::to_string(i) + "=x\r\n";
    RunOptions options;
    options.folder = folder.Path();
    options.ini = Section("RUN", "LogFile=" + record + "\r\n") + Section("OPTIONS", many);
    DeleteFileA(record.c_str());
    EXPECT_EQ(RunStowlet(options).exitCode, 0u);
    std::vector<std::string> lines = FileLines(ReadWholeFile(record));
    EXPECT_EQ(CountHaving(lines, ": no such key, ignored"), 20u);
    EXPECT_EQ(CountHaving(lines, "settings: 5 more keys or values the run cannot use, not named"), 1u);
}

// Nobody answers an error box: it closes by itself, the run goes on as after OK (the main
// task still starts its program) and the record says the box closed by itself.
TEST(PromptTimeout, AnUnansweredErrorBoxClosesAndTheRunGoesOn)
{
    TempFolder folder;
    Probe target = PlaceProbe(folder, ProbeFlavour::Gui, "errorbox_target", "Window=0\n");
    struct Case {
        const char* name;
        std::string previous;  // the previous task's lines: its program step fails with a box
        const char* text;      // the box text's start
    } cases[] = {
        {"a program that cannot be found", "Program=errorbox_no_such_program\r\n", ""},
        {"parameters too long once expanded",
         "Program=" + target.path + "\r\nParameters=" + std::string(4090, 'p') + "%TEMPDIR%\r\n",
         "The program, its parameters or its working directory are longer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(target.report.c_str());
        std::string record = folder / "run.log";
        DeleteFileA(record.c_str());
        RunOptions options;
        options.folder = folder.Path();
        options.ini = Section("RUN", "PromptTimeout=2\r\nLogFile=" + record + "\r\n") +
                      Section("PREVIOUS", c.previous) + Section("OPTIONS", "Program=" + target.path + "\r\n");
        options.answerBoxes = false;
        RunResult run = RunStowlet(options);
        EXPECT_FALSE(run.timedOut);
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].caption, "Error when executing");
        EXPECT_EQ(run.boxes[0].text.rfind(c.text, 0), 0u) << run.boxes[0].text;
        ExpectStarted(target, true);
        std::vector<std::string> lines = FileLines(ReadWholeFile(record));
        EXPECT_EQ(CountHaving(lines, "PREVIOUS TASK: program "), 1u);
        EXPECT_EQ(CountHaving(lines, "it closed by itself"), 1u);
    }
    EndProcessesNamed(target.fileName);
}

// A record nobody else lets go of, or one that is no file on a disk, never holds the run.
TEST(RunRecordFile, AHeldOrDeviceRecordNeverHoldsTheRun)
{
    TempFolder folder;
    Probe target = PlaceProbe(folder, ProbeFlavour::Gui, "held_target", "Window=0\n");
    std::string held = folder / "held.log";
    // Held as a launcher stuck on a share would hold it: an exclusive lock over the whole range,
    // from another process than the launcher, for longer than the run may take.
    HANDLE holder = CreateFileW(Utf16(held).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    OVERLAPPED whole = {};
    ASSERT_TRUE(LockFileEx(holder, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole));
    std::string pipeName = "\\\\.\\pipe\\stowlet_record_" + std::to_string(GetCurrentProcessId());
    HANDLE pipe =
        CreateNamedPipeW(Utf16(pipeName).c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 0, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    struct Case {
        std::string logFile;
        const char* debugLine;
    } cases[] = {
        {held, "The run's record (LogFile) is held by another process"},
        {"NUL", "The run's record (LogFile) is not kept: it names no file on a disk"},
        {"COM1", "The run's record (LogFile) "},  // Wine may have no such port: then it cannot be opened
        {pipeName, "The run's record (LogFile) is not kept: it names no file on a disk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logFile);
        DeleteFileA(target.report.c_str());
        RunOptions options;
        options.folder = folder.Path();
        options.ini =
            Section("RUN", "LogFile=" + c.logFile + "\r\n") + Section("OPTIONS", "Program=" + target.path + "\r\n");
        options.captureDebug = true;
        options.timeoutMs = 20000;  // a record that waited would hold the run past this
        RunResult run = RunStowlet(options);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(AnyLineHas(run, c.debugLine));
        ExpectStarted(target, true);
        std::vector<ProbeRecord> starts = ReadProbeRecords(target.report, "start");
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].at("errormode"), "0");  // the system's default mode, not the launcher's
    }
    EXPECT_EQ(GetFileSize(holder, nullptr), 0u);
    UnlockFileEx(holder, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(holder);
    CloseHandle(pipe);
    EndProcessesNamed(target.fileName);
}

// A program named without a folder, present in the current folder and in the system folder:
// the system's starts.
TEST(ProgramSearch, TheSystemFolderComesBeforeTheCurrentFolder)
{
    TempFolder folder;
    TempFolder current;
    Probe planted = PlaceProbe(current, ProbeFlavour::Console, "hostname");
    RunOptions options;
    options.folder = folder.Path();
    options.currentDirectory = current.Path();
    options.arguments = "hostname TIMEOUT=20";
    RunResult run = RunStowlet(options);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_FALSE(FileExists(planted.report));
}
