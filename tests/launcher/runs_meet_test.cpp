// Runs that meet, end to end: launchers of one settings file started while another still runs
// ([RUN] IfRunning), and a copy whose source another program holds for a moment ([RUN]
// CopyRetries, CopyRetryWait). Every launcher is a renamed copy run as a real process.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "support/execution_target.h"
#include "support/runner.h"

namespace {

// ERROR_BUSY, the exit code of a run skipped with ExitCode=Outcome, as the issue gives it.
constexpr DWORD Busy = 170;

// A job: Job.exe and Job.ini in a folder of their own, whose main task starts the probe and
// waits for it (a minute at most). The probe stays until the test ends it, so the first run
// holds its settings file as long as the test wants.
struct Job {
    Target program{ProbeFlavour::Gui, "meet", "Window=0\nStay=60\n"};
    std::string record = program.folder / "run.log";
    std::string exe;

    explicit Job(const std::string& runKeys)
    {
        exe = PlaceStowlet(program.folder.Path(), "Job.exe",
                           Section("OPTIONS", "Program=" + program.probe.path + "\r\nTimeout=60\r\n") +
                               Section("RUN", "LogFile=" + record + "\r\nExitCode=Outcome\r\n" + runKeys));
    }
    size_t Starts() const { return ReadProbeRecords(program.probe.report, "start").size(); }
    // Waits until the probe has started count times in all.
    bool Started(size_t count) const
    {
        return WaitForProbeRecords(program.probe.report, "start", count, 20000).size() == count;
    }
    // Programs started from now on end at once.
    void ProgramsEndAtOnce() const { WriteWholeFile(program.probe.path + ".probe", "[probe]\r\nWindow=0\r\n"); }
    void EndPrograms() const { EndProcessesNamed(program.probe.fileName); }
    // The first index of a line of that process that contains part; lines.size() when none.
    static size_t LineOf(const std::vector<std::string>& lines, DWORD pid, const std::string& part)
    {
        const std::string mark = "[" + std::to_string(pid) + "] ";
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find(mark) != std::string::npos && lines[i].find(part) != std::string::npos) return i;
        return lines.size();
    }
};

RunOptions Quick() { return RunOptions{}; }

}  // namespace

// A second launcher of the same settings file, however its path is spelt, starts nothing and
// returns at once with 170 while the first still waits on its program; a run after the first
// has ended runs as ever.
TEST(IfRunning, SkipStartsNothingWhileAnotherRunOfTheFileIsGoing)
{
    Job job("IfRunning=skip\r\n");
    ASSERT_FALSE(job.exe.empty());
    RunInBackground first(job.exe, Quick());
    ASSERT_TRUE(job.Started(1));
    const std::string folder = job.program.folder.Path();
    std::string upper = job.exe;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return char(toupper(c)); });
    wchar_t shortPath[MAX_PATH] = {};
    GetShortPathNameW(Utf16(job.exe).c_str(), shortPath, MAX_PATH);
    ASSERT_TRUE(CreateDirectoryA((folder + "\\sub").c_str(), nullptr));
    TempFolder linkParent;
    const std::string link = linkParent / "link";
    ASSERT_TRUE(MakeFolderLink(link, folder));
    struct Case {
        const char* name;
        std::string exe;
    } cases[] = {
        {"the same path", job.exe},
        {"in upper case", upper},
        {"by its short name", Utf8(shortPath)},
        {"through ..", folder + "\\sub\\..\\Job.exe"},
        {"through a folder link", link + "\\Job.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.exe);
        RunResult run = RunProgram(c.exe, Quick());
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, Busy);
        EXPECT_EQ(job.Starts(), 1u);
        std::vector<std::string> lines = ReadRecord(job.record);
        EXPECT_LT(Job::LineOf(lines, run.pid, "skipped: another run of this settings file is going"), lines.size());
    }
    job.EndPrograms();
    first.Wait();
    job.ProgramsEndAtOnce();
    RunResult third = RunProgram(job.exe, Quick());
    EXPECT_EQ(third.exitCode, 0u);
    EXPECT_EQ(job.Starts(), 2u);
}

// Without the key (or with Parallel, or a value it does not know) two runs go side by side, as
// they always did: the second starts its program while the first still waits on its own.
TEST(IfRunning, WithoutTheKeyTwoRunsGoSideBySide)
{
    for (const char* keys : {"", "IfRunning=Parallel\r\n", "IfRunning=Sometimes\r\n"}) {
        SCOPED_TRACE(keys);
        Job job(keys);
        RunInBackground first(job.exe, Quick());
        ASSERT_TRUE(job.Started(1));
        RunInBackground second(job.exe, Quick());
        EXPECT_TRUE(job.Started(2));
        job.EndPrograms();
        EXPECT_EQ(CountLinesHaving(ReadRecord(job.record), "skipped"), 0u);
    }
}

// A queued run starts its program only once the first run has ended, and says how long it
// waited.
TEST(IfRunning, QueueRunsWhenTheFirstRunHasEnded)
{
    Job job("IfRunning=Queue\r\n");
    RunInBackground first(job.exe, Quick());
    ASSERT_TRUE(job.Started(1));
    RunInBackground second(job.exe, Quick());
    // The second is waiting once it has said so: then the first is let go.
    std::vector<std::string> lines =
        WaitForRecordLines(job.record, "queued: another run of this settings file is going; waiting", 1, 20000);
    ASSERT_EQ(CountLinesHaving(lines, "; waiting for it to end"), 1u);
    EXPECT_EQ(job.Starts(), 1u);
    job.ProgramsEndAtOnce();
    job.EndPrograms();
    RunResult& ended = first.Wait();
    RunResult& queued = second.Wait();
    EXPECT_FALSE(queued.timedOut);
    EXPECT_EQ(queued.exitCode, 0u);
    EXPECT_EQ(job.Starts(), 2u);
    lines = ReadRecord(job.record);
    size_t firstEnd = Job::LineOf(lines, ended.pid, "] end: ");
    size_t waited = Job::LineOf(lines, queued.pid, "queued: waited ");
    size_t program = Job::LineOf(lines, queued.pid, "MAIN TASK: program ");
    ASSERT_LT(program, lines.size());
    EXPECT_LT(firstEnd, waited);
    EXPECT_LT(waited, program);
    EXPECT_NE(lines[waited].find(" s for the other run of this settings file"), std::string::npos) << lines[waited];
}

// The first run killed while it holds the settings file: the system lets the file go. The next
// run with Skip runs; a run queued behind it runs and says the first ended without letting go
// (a mutex left by a killed holder is abandoned only while someone else holds a handle to it).
TEST(IfRunning, AKilledRunLeavesTheFileFree)
{
    for (bool queued : {false, true}) {
        SCOPED_TRACE(queued ? "queued behind it" : "started after it");
        Job job(queued ? "IfRunning=Queue\r\n" : "IfRunning=Skip\r\n");
        RunOptions killed;
        killed.whileRunning = [&job, queued](HANDLE process) {
            if (!job.Started(1)) return;
            if (queued) WaitForRecordLines(job.record, "; waiting for it to end", 1, 20000);
            job.ProgramsEndAtOnce();
            TerminateProcess(process, 1);
        };
        RunInBackground first(job.exe, killed);
        ASSERT_TRUE(job.Started(1));
        std::optional<RunInBackground> waiting;
        if (queued) waiting.emplace(job.exe, Quick());
        EXPECT_EQ(first.Wait().exitCode, 1u);
        job.EndPrograms();
        RunResult next = queued ? std::move(waiting->Wait()) : RunProgram(job.exe, Quick());
        EXPECT_EQ(next.exitCode, 0u);
        EXPECT_EQ(job.Starts(), 2u);
        std::vector<std::string> lines = ReadRecord(job.record);
        EXPECT_EQ(CountLinesHaving(lines, "skipped"), 0u);
        if (queued) {
            EXPECT_LT(Job::LineOf(lines, next.pid, ", which ended without letting go (killed or crashed)"),
                      lines.size());
        }
    }
}

namespace {

// The names in a folder that match the pattern (none when the folder is not there).
std::vector<std::string> Names(const std::string& folder, const char* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &entry);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry))
        if (entry.cFileName[0] != '.') names.push_back(entry.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
}

// A source file held by the test process, opened without read sharing, until let go.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : file_(CreateFileW(Utf16(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~HeldFile() { LetGo(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return file_ != INVALID_HANDLE_VALUE; }
    void LetGo()
    {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE file_;
};

}  // namespace

// A copy whose source another program holds is tried again as the keys say; only the last
// try's outcome makes the debug lines and the exit code, and other failures are not retried.
TEST(CopyRetries, AFileHeldForAMomentIsCopiedOnALaterTry)
{
    TempFolder folder;
    const std::string source = folder / "src\\report.txt";
    const std::string targetFolder = folder / "dst";
    ASSERT_TRUE(CreateDirectoryA((folder / "src").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(targetFolder.c_str(), nullptr));
    const std::string retry = "CopyRetries=3\r\nCopyRetryWait=1\r\n";
    enum class Hold { UntilARetry, AllAlong, Never };
    // The target folder: there and empty; missing, so the copy fills it under a temporary name;
    // or holding an older copy, which overwrite off keeps (code 80, never retried).
    enum class Target { Empty, Missing, OlderCopy };
    struct Case {
        const char* name;
        std::string keys;
        Hold hold;
        Target target;
        DWORD exitCode;
        size_t retriesAtLeast, retriesAtMost;
    } cases[] = {
        {"held for a moment, three retries a second apart", retry, Hold::UntilARetry, Target::Empty, 0, 1, 3},
        {"held for a moment, into a new folder", retry, Hold::UntilARetry, Target::Missing, 0, 1, 3},
        {"held all along", retry, Hold::AllAlong, Target::Empty, 32, 3, 3},
        {"held all along, into a new folder", retry, Hold::AllAlong, Target::Missing, 32, 3, 3},
        {"held all along, without the keys", "", Hold::AllAlong, Target::Empty, 32, 0, 0},
        {"a target that is there, not retried", retry, Hold::Never, Target::OlderCopy, 80, 0, 0},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(targetFolder);
        if (c.target != Target::Missing) {
            ASSERT_TRUE(CreateDirectoryA(targetFolder.c_str(), nullptr));
        }
        ASSERT_TRUE(WriteWholeFile(source, "the report of " + std::to_string(++n)));
        if (c.target == Target::OlderCopy) {
            ASSERT_TRUE(WriteWholeFile(targetFolder + "\\report.txt", "old"));
        }
        const std::string record = folder / ("copy" + std::to_string(n) + ".log");
        RunOptions options;
        options.folder = folder.Path();
        options.exeName = "Copier.exe";
        options.captureDebug = true;
        options.ini = Section("OPTIONS", "CopySource=" + source + "\r\nCopyTarget=" + targetFolder + "\\" +
                                             "\r\nCopyOverwrite=0\r\nCopyBeforeExecute=1\r\n") +
                      Section("RUN", "LogFile=" + record + "\r\nExitCode=Outcome\r\n" + c.keys);
        HeldFile held(source);
        ASSERT_TRUE(held.Held());
        if (c.hold == Hold::Never) held.LetGo();
        if (c.hold == Hold::UntilARetry) {
            // Let go once the first retry is on record: the next try, a second later, finds it free.
            options.whileRunning = [&](HANDLE) {
                WaitForRecordLines(record, "; retry 1 of 3 in 1 s", 1, 30000);
                held.LetGo();
            };
        }
        RunResult run = RunStowlet(options);
        held.LetGo();
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, c.exitCode);
        std::vector<std::string> lines = ReadRecord(record);
        size_t retries = CountLinesHaving(lines, "MAIN TASK: copy held: " + source + " to " + targetFolder + "\\");
        EXPECT_GE(retries, c.retriesAtLeast);
        EXPECT_LE(retries, c.retriesAtMost);
        EXPECT_EQ(CountLinesHaving(lines, "copy failed: "), c.exitCode ? 1u : 0u);
        size_t errorLines = 0;
        for (const std::string& line : run.debugLines)
            errorLines += line.find(".SingleCopy Error code ") != std::string::npos;
        EXPECT_EQ(errorLines, c.exitCode ? 1u : 0u);
        // Whole or absent, and no temporary name left behind, of the file or of a new folder.
        EXPECT_TRUE(Names(folder.Path(), "*.stowlet-partial").empty());
        std::vector<std::string> names = Names(targetFolder, "*");
        if (c.exitCode == 32) {
            EXPECT_TRUE(names.empty());
        } else {
            EXPECT_EQ(names, std::vector<std::string>{"report.txt"});
            EXPECT_EQ(ReadWholeFile(targetFolder + "\\report.txt"),
                      c.target == Target::OlderCopy ? "old" : "the report of " + std::to_string(n));
        }
    }
}
