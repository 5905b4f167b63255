// A hidden program's output kept, end to end: OUTPUT= and [RUN] OutputFile, the empty input,
// the handles the started program inherits, and a file that cannot be opened.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "support/execution_target.h"
#include "support/runner.h"

namespace {

RunResult RunBeside(const Target& target, const std::string& arguments, const std::string& ini = "",
                    bool captureDebug = false)
{
    RunOptions options;
    options.folder = target.folder.Path();
    options.exeName = "output_" + target.Name() + ".exe";
    options.arguments = arguments;
    if (!ini.empty()) options.ini = ini;
    options.captureDebug = captureDebug;
    options.timeoutMs = 30000;  // each program here ends by itself long before its time-out
    return RunStowlet(options);
}

bool AnyHas(const std::vector<std::string>& lines, const std::string& part)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(part) != std::string::npos; });
}

// The files of a folder (no subfolders), by name.
std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(Utf16(folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Utf8(entry.cFileName));
    while (FindNextFileW(search, &entry));
    FindClose(search);
    return names;
}

}  // namespace

// What the program writes lands in the one file, both streams in the order written; a program
// that reads its input gets end-of-file at once; a shown program keeps its console as before.
TEST(OutputFile, BothStreamsInOneFileAndNothingToWaitForOnTheInput)
{
    struct Case {
        const char* name;
        ProbeFlavour flavour;
        const char* probe;  // its settings
        const char* after;  // the options after OUTPUT=
        bool kept;          // the file holds the two lines
        const char* flags;  // STARTF_ values the program got
    } cases[] = {
        // STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK | STARTF_USESTDHANDLES
        {"console", ProbeFlavour::Console, "Say=said\n", "TIMEOUT=60", true, "385"},
        // 60 seconds to wait, far past the run's bound, if the read waited for an answer
        {"reads its input", ProbeFlavour::Console, "Say=said\nRead=1\n", "TIMEOUT=60", true, "385"},
        {"windowed, writes nothing", ProbeFlavour::Gui, "Window=0\n", "TIMEOUT=60", false, "385"},
        // As ever: STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK, its output in its console
        {"shown", ProbeFlavour::Console, "Say=said\n", "SHOW=1 TIMEOUT=60", false, "129"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Target target(c.flavour, "output", c.probe);
        std::string file = target.folder / "with blank\\sub\\out.txt";
        RunResult run = RunBeside(target, target.Name() + " \"OUTPUT=" + file + "\" " + c.after);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0u);
        auto starts = WaitForProbeRecords(target.probe.report, "start", 1, 10000);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].at("flags"), c.flags);
        std::vector<std::string> lines = FileLines(ReadWholeFile(file));
        if (c.kept) {
            EXPECT_EQ(lines, (std::vector<std::string>{"said 1 to output", "said 1 to error"}));
        } else {
            EXPECT_TRUE(lines.empty());
        }
        if (c.flavour == ProbeFlavour::Gui) {
            EXPECT_TRUE(FileExists(file));  // made, left empty
        }
        if (std::string(c.probe).find("Read=1") != std::string::npos) {
            // End-of-file: no byte, the read failing as a pipe without a writer does (109) or not.
            EXPECT_TRUE(starts[0].at("read") == "0" ||
                        (starts[0].at("read") == "-1" && starts[0].at("readerror") == "109"))
                << starts[0].at("read") << " " << starts[0].at("readerror");
        }
    }
}

// One file a day: the macro expanded for each run, the second run appending to the first's
// output, and the record naming the file.
TEST(OutputFile, SettingsFileKeyWithAMacroAppendsOverTwoRuns)
{
    Target target(ProbeFlavour::Console, "output_ini");
    std::string record = target.folder / "run.log";
    std::string ini =
        Section("RUN", "LogFile=" + record + "\r\nOutputFile=" + target.folder.Path() + "\\out\\job-%DATE%.txt\r\n") +
        Section("OPTIONS", "Program=" + target.probe.path + "\r\nTimeout=60\r\n");
    for (const char* said : {"first", "second"}) {
        ASSERT_TRUE(WriteWholeFile(target.probe.path + ".probe", std::string("[probe]\r\nSay=") + said + "\r\n"));
        RunResult run = RunBeside(target, "", ini);
        EXPECT_FALSE(run.timedOut);
    }
    std::vector<std::string> files = FilesIn(target.folder / "out");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].find('%'), std::string::npos) << files[0];
    std::string file = target.folder / ("out\\" + files[0]);
    EXPECT_EQ(FileLines(ReadWholeFile(file)), (std::vector<std::string>{"first 1 to output", "first 1 to error",
                                                                        "second 1 to output", "second 1 to error"}));
    std::vector<std::string> lines = FileLines(ReadWholeFile(record));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& line) {
                                return line.find("MAIN TASK: program " + target.probe.path) != std::string::npos &&
                                       line.find("; output in " + file) != std::string::npos;
                            }),
              2);
}

// Each write lands at the end of the file, whoever else holds it open to append: both
// launchers' programs run at once, writing in turns, or freely at the same moment.
TEST(OutputFile, TwoLaunchersAppendingAtOnceLoseNothing)
{
    constexpr int Lines = 200;
    for (bool turns : {true, false}) {
        SCOPED_TRACE(turns ? "in turns" : "at the same moment");
        // Wine appends through a handle with FILE_APPEND_DATA in two steps (find the end, write
        // there), so two writes at the same moment can land at one end and one is lost; Windows
        // appends each write whole. Under Wine the programs write in turns only.
        if (!turns && UnderWine()) continue;
        std::string name = "Local\\stowlet_output_turns_" + std::to_string(GetCurrentProcessId());
        HANDLE events[2] = {CreateEventW(nullptr, FALSE, TRUE, Utf16(name + "-0").c_str()),
                            CreateEventW(nullptr, FALSE, FALSE, Utf16(name + "-1").c_str())};
        std::string settings = "Lines=" + std::to_string(Lines) + "\n";
        Target first(ProbeFlavour::Console, "output_first",
                     "Say=first\n" + settings + (turns ? "Turns=" + name + "\nTurn=0\n" : ""));
        Target second(ProbeFlavour::Console, "output_second",
                      "Say=second\n" + settings + (turns ? "Turns=" + name + "\nTurn=1\n" : ""));
        std::string file = first.folder / "shared.txt";
        RunResult runs[2];
        std::thread other(
            [&] { runs[1] = RunBeside(second, second.probe.path + " \"OUTPUT=" + file + "\" TIMEOUT=60"); });
        runs[0] = RunBeside(first, first.probe.path + " \"OUTPUT=" + file + "\" TIMEOUT=60");
        other.join();
        for (HANDLE event : events) CloseHandle(event);
        for (const RunResult& run : runs) EXPECT_FALSE(run.timedOut);
        std::vector<std::string> lines = FileLines(ReadWholeFile(file));
        std::vector<std::string> expected;
        for (int i = 1; i <= Lines; ++i)
            for (const char* said : {"first ", "second "})
                for (const char* stream : {" to output", " to error"})
                    expected.push_back(said + std::to_string(i) + stream);
        if (!turns) {
            std::sort(lines.begin(), lines.end());
            std::sort(expected.begin(), expected.end());
        }
        EXPECT_EQ(lines, expected);
    }
}

// The program starts as without the option, and the record and a debug line say why.
TEST(OutputFile, AFileThatCannotBeOpenedDoesNotStopTheRun)
{
    Target target(ProbeFlavour::Console, "output_refused", "Say=said\n");
    std::string record = target.folder / "run.log";
    ASSERT_TRUE(WriteWholeFile(target.folder / "blocker", "a file where a folder would be"));
    std::string held = target.folder / "held.txt";
    // Held open without sharing. It stands in for a read-only file: Wine lets root write one.
    HANDLE holder = CreateFileW(Utf16(held).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    struct Case {
        std::string file;
        const char* why;  // in the record, after the file; empty: any reason the system gives
    } cases[] = {
        {target.folder / "blocker\\sub\\out.txt", ""},
        {held, ""},
        {"NUL", ": it names no file on a disk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        DeleteFileW(Utf16(target.probe.report).c_str());
        DeleteFileW(Utf16(record).c_str());
        std::string ini = Section("RUN", "LogFile=" + record + "\r\nOutputFile=" + c.file + "\r\n") +
                          Section("OPTIONS", "Program=" + target.probe.path + "\r\nTimeout=60\r\n");
        RunResult run = RunBeside(target, "", ini, true);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(WaitForProbeRecords(target.probe.report, "start", 1, 10000).size(), 1u);
        EXPECT_TRUE(AnyHas(run.debugLines, "The program's output is not kept: " + c.file + ": "));
        std::vector<std::string> lines = FileLines(ReadWholeFile(record));
        EXPECT_TRUE(AnyHas(lines, " exited with code 0; output not kept, " + c.file + std::string(c.why)))
            << ReadWholeFile(record);
    }
    CloseHandle(holder);
    EXPECT_TRUE(FileLines(ReadWholeFile(held)).empty());
}

// A handle the launcher inherited (from a shell that leaks one, say) stays out of the program
// it starts: the program finds only its three standard handles.
TEST(OutputFile, TheStartedProgramInheritsNoOtherHandle)
{
    Target target(ProbeFlavour::Console, "output_inherit");
    std::string marker = target.folder / "marker.txt";
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE handle = CreateFileW(Utf16(marker).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inheritable, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(WriteWholeFile(target.probe.path + ".probe",
                               "[probe]\r\nSay=said\r\nTryHandle=" + std::to_string(ULONG_PTR(handle)) + "\r\n"));

    // The probe sees a handle it did inherit: started here with every inheritable handle.
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    std::wstring line = Utf16("\"" + target.probe.path + "\"");
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &started));
    WaitForSingleObject(started.hProcess, 20000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    auto starts = WaitForProbeRecords(target.probe.report, "start", 1, 10000);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_NE(starts[0].at("tried").find("marker.txt"), std::string::npos) << starts[0].at("tried");

    // Through the launcher, which inherited it too.
    RunOptions options;
    options.folder = target.folder.Path();
    options.exeName = "output_inherit.exe";
    options.arguments = target.probe.path + " \"OUTPUT=" + (target.folder / "out.txt") + "\" TIMEOUT=60";
    options.inheritHandles = true;
    RunResult run = RunStowlet(options);
    EXPECT_FALSE(run.timedOut);
    starts = WaitForProbeRecords(target.probe.report, "start", 2, 10000);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1].at("tried").find("marker.txt"), std::string::npos) << starts[1].at("tried");
    EXPECT_EQ(FileLines(ReadWholeFile(target.folder / "out.txt")),
              (std::vector<std::string>{"said 1 to output", "said 1 to error"}));
    CloseHandle(handle);
}
