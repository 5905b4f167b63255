// Every command line and settings file of the guide's command-line and recipe pages, run as the
// page shows it, checked against the outcome its `<!-- check: ... -->` comment states. The
// pages are read when the test runs, so an edited recipe is tested as edited.
//
// Each check runs in a fresh folder that stands for the reader's machine: "C:\" and "D:\" of
// the text become folders in it, the probe program plays every program the text names, and
// "Stowlet" is a copy of the built exe (renamed where the text renames it).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <thread>

#include "helpers/probe_report.h"
#include "markdown_examples.h"
#include "support/runner.h"

namespace {

const std::string Source = STOWLET_SOURCE_DIR;

// A hidden program that should be ended at its time-out is watched to the end when the time-out
// is this short; a longer one is checked to be still waited for after StillWaitingMs.
constexpr int LongestWaitedTimeout = 90;
constexpr DWORD StillWaitingMs = 8000;

// The program a batch file starts, to be ended with it at the time-out.
const char BatchChild[] = "batch_child.exe";

std::string Lower(std::string text)
{
    for (char& c : text) c = char(tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Replace(std::string text, const std::string& name, const std::string& value)
{
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
        text.replace(at, name.size(), value);
    return text;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }
std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

std::string Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[16];
    snprintf(text, sizeof text, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

std::string TempDir()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string text = temp;
    if (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

// One check: the reader's drives mapped into a fresh folder.
struct Machine {
    TempFolder root;
    std::vector<std::string> programs;  // file names of the probes placed, ended afterwards

    ~Machine()
    {
        for (const std::string& name : programs) EndProcessesNamed(name);
    }

    // The text with C:\ and D:\ inside this machine.
    std::string Map(const std::string& text) const
    {
        std::string mapped;
        for (size_t at = 0; at < text.size(); ++at) {
            const char drive = char(toupper(static_cast<unsigned char>(text[at])));
            const bool start = at == 0 || !isalnum(static_cast<unsigned char>(text[at - 1]));
            if (start && (drive == 'C' || drive == 'D') && text.compare(at + 1, 2, ":\\") == 0) {
                mapped += root.Path() + "\\" + drive + "\\";
                at += 2;
            } else {
                mapped += text[at];
            }
        }
        return mapped;
    }

    // The macros a check's expected values may name, as the system gives them.
    static std::string Expand(std::string text)
    {
        text = Replace(text, "%DATE%", Today());
        return Replace(text, "%TEMPDIR%", TempDir());
    }

    // The probe as the program the text names: a path inside this machine, or a bare name found
    // beside the launcher (the first place the search looks).
    Probe PlaceProgram(const std::string& program, const std::string& launcherFolder)
    {
        Probe probe;
        std::string path = program.find('\\') != std::string::npos ? Map(program) : launcherFolder + "\\" + program;
        if (NameOf(path).find('.') == std::string::npos) path += ".exe";
        MakeFolders(FolderOf(path));
        probe.path = path;
        probe.fileName = NameOf(path);
        probe.report = path + ".report";
        CopyFileA(BuiltProgram("probe_gui.exe").c_str(), path.c_str(), FALSE);
        WriteWholeFile(path + ".probe", "[probe]\r\nStay=600\r\n");
        programs.push_back(probe.fileName);
        return probe;
    }
};

// How a check runs its example: the launcher's path, its arguments, its settings file.
struct Launch {
    std::string exe;
    std::string arguments;
    std::string directory;
    std::optional<std::string> settings;
};

// The settings file shown last with Key=value lines put in place of the same key's line, or
// added at its end (in its last section).
std::string Changed(const std::string& settings, const std::vector<std::string>& changes)
{
    std::string text = settings;
    for (const std::string& change : changes) {
        size_t at = text.find("\n" + change.substr(0, change.find('=') + 1));
        if (at == std::string::npos) {
            text += change + "\n";
        } else {
            size_t end = text.find('\n', at + 1);
            text.replace(at + 1, end == std::string::npos ? std::string::npos : end - at - 1, change);
        }
    }
    return text;
}

Launch LaunchOf(Machine& machine, const DocCheck& check)
{
    Launch launch;
    launch.exe = machine.Map("C:\\Tools\\Stowlet\\Stowlet.exe");
    std::vector<std::string> changes;
    for (const DocExample& example : check.examples) {
        if (example.change) {
            changes.push_back(example.text);
            continue;
        }
        if (example.settings) {
            launch.settings = Replace(machine.Map(example.text), "\n", "\r\n");
            continue;
        }
        size_t blank = example.text.find(' ');
        const std::string first = example.text.substr(0, blank);
        if (first != "Stowlet") launch.exe = machine.Map(first);
        launch.arguments = machine.Map(example.text.substr(blank + 1));
        if (!example.directory.empty()) launch.directory = machine.Map(example.directory);
    }
    if (!changes.empty()) launch.settings = Replace(machine.Map(Changed(check.shownLast, changes)), "\n", "\r\n");
    auto exe = check.facts.find("exe");
    if (exe != check.facts.end()) launch.exe = machine.Map(exe->second);
    MakeFolders(FolderOf(launch.exe));
    if (!launch.directory.empty()) MakeFolders(launch.directory);
    return launch;
}

RunResult RunLaunch(const Launch& launch, DWORD timeoutMs, std::vector<int> answers = {}, bool keepChildren = true)
{
    RunOptions options;
    options.folder = FolderOf(launch.exe);
    options.exeName = NameOf(launch.exe);
    options.arguments = launch.arguments;
    options.currentDirectory = launch.directory;
    options.ini = launch.settings;
    options.keepChildren = keepChildren;
    options.answers = std::move(answers);
    options.timeoutMs = timeoutMs;
    return RunStowlet(options);
}

// The parameters a probe was started with: its command line after the program's path.
std::string ArgumentsOf(const ProbeRecord& start)
{
    const std::string line = start.at("commandline");
    const std::string lower = Lower(line);
    size_t exe = lower.find(".exe");
    if (exe == std::string::npos) return line;
    size_t after = exe + 4;
    if (after < line.size() && line[after] == '"') ++after;
    return after < line.size() ? line.substr(after + 1) : "";
}

std::string Fact(const DocCheck& check, const char* name)
{
    auto found = check.facts.find(name);
    return found == check.facts.end() ? "" : found->second;
}

// The probe's one start: shown or hidden as the check says, with the parameters and folder it
// names.
void ExpectStarted(const Machine& machine, const DocCheck& check, const Probe& probe, ProbeRecord& start)
{
    auto starts = WaitForProbeRecords(probe.report, "start", 1, 20000);
    ASSERT_EQ(starts.size(), 1u) << probe.path << " was not started once";
    start = starts[0];
    const bool shown = check.facts.count("shown") != 0;
    EXPECT_EQ(IsWindowVisible(ProbeWindow(start)) != FALSE, shown) << (shown ? "shown" : "hidden");
    EXPECT_EQ(ArgumentsOf(start), Machine::Expand(machine.Map(Fact(check, "args"))));
    if (check.facts.count("cwd")) {
        EXPECT_EQ(Lower(start.at("currentdir")), Lower(machine.Map(Fact(check, "cwd"))));
    }
}

bool Running(DWORD pid)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

void CheckStart(Machine& machine, const DocCheck& check)
{
    Launch launch = LaunchOf(machine, check);
    Probe probe = machine.PlaceProgram(Fact(check, "program"), FolderOf(launch.exe));
    const int ended = atoi(Fact(check, "ended").c_str());
    const int kept = atoi(Fact(check, "kept").c_str());
    if (ended > LongestWaitedTimeout) {
        // Too long to wait for here: Stowlet is still waiting while the program runs.
        RunResult run = RunLaunch(launch, StillWaitingMs);
        ProbeRecord start;
        ExpectStarted(machine, check, probe, start);
        EXPECT_TRUE(run.timedOut) << "Stowlet returned before the time-out of " << ended << " seconds";
        return;
    }
    RunResult run = RunLaunch(launch, DWORD(std::max(ended, kept) + 60) * 1000);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
    ProbeRecord start;
    ExpectStarted(machine, check, probe, start);
    if (ended) {
        EXPECT_TRUE(WaitUntilNoneNamed(probe.fileName, 10000)) << "still running after the time-out";
    } else {
        EXPECT_TRUE(Running(ProbePid(start))) << "ended, though the text says it keeps running";
    }
}

void CheckBatch(Machine& machine, const DocCheck& check)
{
    Launch launch = LaunchOf(machine, check);
    const std::string script = machine.Map(Fact(check, "script"));
    MakeFolders(FolderOf(script));
    const int ended = atoi(Fact(check, "ended").c_str());
    // A batch file that ends at once, or, to be ended at its time-out, one that runs a program
    // and waits for it as batch files do.
    std::string lines = "@echo off\r\necho done> \"" + script + ".done\"\r\n";
    Probe child;
    if (ended) {
        child = machine.PlaceProgram(FolderOf(Fact(check, "script")) + "\\" + BatchChild, FolderOf(launch.exe));
        lines += "\"" + child.path + "\"\r\n";
    }
    ASSERT_TRUE(WriteWholeFile(script, lines));
    RunResult run = RunLaunch(launch, DWORD(ended + 60) * 1000);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(FileExists(script + ".done")) << "the batch file did not run";
    if (ended) {
        EXPECT_EQ(WaitForProbeRecords(child.report, "start", 1, 5000).size(), 1u);
        EXPECT_TRUE(WaitUntilNoneNamed(child.fileName, 10000)) << "the program the batch file started still runs";
    }
}

void CheckTerm(Machine& machine, const DocCheck& check)
{
    Launch launch = LaunchOf(machine, check);
    Probe probe = machine.PlaceProgram(Fact(check, "program"), FolderOf(launch.exe));
    // The same file name in another folder is an instance too.
    Probe other = machine.PlaceProgram("C:\\Elsewhere\\" + probe.fileName, FolderOf(launch.exe));
    ASSERT_NE(StartProbe(probe, SW_SHOWNORMAL), 0u);
    ASSERT_NE(StartProbe(other, SW_SHOWNORMAL), 0u);
    ASSERT_EQ(WaitForProbeRecords(probe.report, "start", 1, 20000).size(), 1u);
    ASSERT_EQ(WaitForProbeRecords(other.report, "start", 1, 20000).size(), 1u);
    RunResult run = RunLaunch(launch, 60000);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(WaitUntilNoneNamed(probe.fileName, 10000)) << "an instance is still running";
    EXPECT_EQ(ReadProbeRecords(probe.report, "start").size(), 1u) << "TERM started the program";
}

void CheckUnhide(Machine& machine, const DocCheck& check)
{
    Launch launch = LaunchOf(machine, check);
    Probe probe = machine.PlaceProgram(Fact(check, "program"), FolderOf(launch.exe));
    ASSERT_NE(StartProbe(probe, SW_HIDE), 0u);
    auto starts = WaitForProbeRecords(probe.report, "start", 1, 20000);
    ASSERT_EQ(starts.size(), 1u);
    HWND window = ProbeWindow(starts[0]);
    ASSERT_FALSE(IsWindowVisible(window));
    RunResult run = RunLaunch(launch, 60000);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(IsWindowVisible(window)) << "the running instance is still hidden";
    EXPECT_EQ(ReadProbeRecords(probe.report, "start").size(), 1u) << "UNHIDE started the program";
}

void CheckFolder(Machine& machine, const DocCheck& check)
{
    Launch launch = LaunchOf(machine, check);
    const std::string folder = machine.Map(Fact(check, "path"));
    MakeFolders(folder);
    // The shell window goes with the run's job.
    RunResult run = RunLaunch(launch, 60000, {}, false);
    EXPECT_FALSE(run.timedOut);
    // Opened by the shell, not taken for a program that cannot be found.
    EXPECT_TRUE(run.boxes.empty()) << run.boxes[0].caption << ": " << run.boxes[0].text;
}

void CheckHelp(Machine& machine, const DocCheck& check)
{
    RunResult run = RunLaunch(LaunchOf(machine, check), 60000, {IDNO});
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "Stowlet /?");
    EXPECT_EQ(run.boxes[0].text.rfind("SYNTAX:", 0), 0u);
}

std::vector<std::string> FilesBelow(const std::string& folder, const std::string& prefix = "")
{
    std::vector<std::string> found;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const std::string& below : FilesBelow(folder + "\\" + name, prefix + name + "\\"))
                found.push_back(below);
        } else {
            found.push_back(prefix + name);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(found.begin(), found.end());
    return found;
}

// A file's last write moved back by that many hours.
void MakeOlder(const std::string& path, int hours)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time = {{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= ULONGLONG(hours) * 3600 * 10000000;
    FILETIME then = {time.LowPart, time.HighPart};
    SetFileTime(file, nullptr, nullptr, &then);
    CloseHandle(file);
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    std::sort(words.begin(), words.end());
    return words;
}

// The target folder a check names; a %TIME% in it matches any six characters.
std::string TargetFolder(const Machine& machine, const std::string& named)
{
    const std::string pattern = Replace(Machine::Expand(machine.Map(named)), "%TIME%", "??????");
    if (pattern.find('?') == std::string::npos) return pattern;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return pattern;
    FindClose(search);
    return FolderOf(pattern) + "\\" + entry.cFileName;
}

// A project with sources, notes last written two days ago, build output and a git folder.
void CheckBackup(Machine& machine, const DocCheck& check)
{
    Launch launch = LaunchOf(machine, check);
    Probe editor = machine.PlaceProgram(Fact(check, "program"), FolderOf(launch.exe));
    const std::string from = machine.Map(Fact(check, "from"));
    for (const char* folder : {"\\src", "\\build", "\\.git"}) MakeFolders(from + folder);
    const std::string branch = check.facts.count("branch") ? Fact(check, "branch") : "main";
    for (const auto& [name, content] :
         std::map<std::string, std::string>{{"notes.txt", "notes"},
                                            {"README.md", "# MyApp"},
                                            {"src\\main.cpp", "int main() {}"},
                                            {"src\\util.h", ""},
                                            {"build\\app.obj", "obj"},
                                            {".git\\HEAD", "ref: refs/heads/" + branch + "\n"}})
        ASSERT_TRUE(WriteWholeFile(from + "\\" + name, content));
    MakeOlder(from + "\\notes.txt", 48);
    RunResult first = RunLaunch(launch, 60000, {Fact(check, "answer") == "no" ? IDNO : IDYES});
    EXPECT_FALSE(first.timedOut);
    const std::string to = TargetFolder(machine, Fact(check, "to"));
    EXPECT_EQ(FilesBelow(to), Words(Fact(check, "copied"))) << to;
    ProbeRecord start;
    ExpectStarted(machine, check, editor, start);
    if (!check.facts.count("again")) return;
    // A second start: the copy is made again, the running editor is brought up, not doubled.
    WriteWholeFile(from + "\\src\\new.h", "");
    RunResult second = RunLaunch(launch, 60000);
    EXPECT_FALSE(second.timedOut);
    EXPECT_TRUE(FileExists(to + "\\src\\new.h"));
    EXPECT_EQ(ProcessesNamed(editor.fileName).size(), 1u);
    EXPECT_EQ(ReadProbeRecords(editor.report, "start").size(), 1u);
}

void CheckRestart(Machine& machine, const DocCheck& check)
{
    Launch launch = LaunchOf(machine, check);
    Probe server = machine.PlaceProgram(Fact(check, "program"), FolderOf(launch.exe));
    RunResult first = RunLaunch(launch, 60000);
    EXPECT_FALSE(first.timedOut);
    ProbeRecord start;
    ExpectStarted(machine, check, server, start);
    RunResult second = RunLaunch(launch, 60000);
    EXPECT_FALSE(second.timedOut);
    // The previous task ended the first server, the main task started a fresh one.
    auto starts = WaitForProbeRecords(server.report, "start", 2, 20000);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_FALSE(Running(ProbePid(starts[0])));
    EXPECT_TRUE(Running(ProbePid(starts[1])));
    EXPECT_EQ(ProcessesNamed(server.fileName).size(), 1u);
}

// The exit code the text promises (exit=): of a program that ends by itself with code=, or of one
// that is not there (missing).
void CheckOutcome(Machine& machine, const DocCheck& check)
{
    Launch launch = LaunchOf(machine, check);
    if (!check.facts.count("missing")) {
        Probe probe = machine.PlaceProgram(Fact(check, "program"), FolderOf(launch.exe));
        ASSERT_TRUE(WriteWholeFile(probe.path + ".probe", "[probe]\r\nWindow=0\r\nExitCode=" + Fact(check, "code")));
    }
    RunResult run = RunLaunch(launch, 60000, {IDOK});
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, DWORD(std::stoul(Fact(check, "exit"))));
}

// A batch file that writes a line to each stream and then asks to press a key, run twice: both
// runs' lines are in the file the check names (file=, macros expanded), appended, and the
// question held neither run.
void CheckOutput(Machine& machine, const DocCheck& check)
{
    Launch launch = LaunchOf(machine, check);
    const std::string script = machine.Map(Fact(check, "script"));
    MakeFolders(FolderOf(script));
    ASSERT_TRUE(
        WriteWholeFile(script, "@echo off\r\necho nightly to output\r\necho nightly to error 1>&2\r\npause\r\n"));
    for (int run = 0; run < 2; ++run) {
        RunResult result = RunLaunch(launch, 60000);
        EXPECT_FALSE(result.timedOut) << "the batch file's question held the run";
        EXPECT_TRUE(result.boxes.empty());
    }
    const std::string file = Machine::Expand(machine.Map(Fact(check, "file")));
    std::vector<std::string> said;
    for (std::string line : FileLines(ReadWholeFile(file))) {
        while (!line.empty() && line.back() == ' ') line.pop_back();  // the blank before 1>&2
        // The pause's prompt ends in no line break: the next run's first line follows it.
        size_t at = line.find("nightly to ");
        if (at != std::string::npos) said.push_back(line.substr(at));
    }
    EXPECT_EQ(said, (std::vector<std::string>{"nightly to output", "nightly to error", "nightly to output",
                                              "nightly to error"}))
        << file;
}

// Two starts of one job, the second while the first still runs its program (after copying
// from= to to=). Skip: the second returns at once with exit= and starts nothing. queue: the
// second waits, says so in the record=, and runs once the first has ended.
void CheckOneRun(Machine& machine, const DocCheck& check)
{
    Launch launch = LaunchOf(machine, check);
    Probe probe = machine.PlaceProgram(Fact(check, "program"), FolderOf(launch.exe));
    const std::string from = machine.Map(Fact(check, "from"));
    MakeFolders(from);
    ASSERT_TRUE(WriteWholeFile(from + "\\day.csv", "1,2,3"));
    const std::string record = machine.Map(Fact(check, "record"));
    const std::string exe = PlaceStowlet(FolderOf(launch.exe), NameOf(launch.exe), launch.settings);
    ASSERT_FALSE(exe.empty());
    RunOptions options;
    options.arguments = launch.arguments;
    options.currentDirectory = launch.directory;
    options.timeoutMs = 60000;
    RunInBackground first(exe, options);
    ASSERT_EQ(WaitForProbeRecords(probe.report, "start", 1, 20000).size(), 1u);
    EXPECT_EQ(ReadWholeFile(machine.Map(Fact(check, "to")) + "\\day.csv"), "1,2,3");
    const DWORD exit = DWORD(std::stoul(Fact(check, "exit")));
    if (!check.facts.count("queue")) {
        RunResult second = RunProgram(exe, options);
        EXPECT_FALSE(second.timedOut);
        EXPECT_EQ(second.exitCode, exit);
        EXPECT_EQ(ReadProbeRecords(probe.report, "start").size(), 1u) << "the second start ran the program";
        EndProcessesNamed(probe.fileName);
        return;
    }
    RunInBackground second(exe, options);
    std::vector<std::string> lines = WaitForRecordLines(record, "queued: ", 1, 20000);
    ASSERT_EQ(CountLinesHaving(lines, "queued: "), 1u) << "the second start is not waiting";
    EXPECT_EQ(ReadProbeRecords(probe.report, "start").size(), 1u) << "the second start did not wait";
    // The second run's program ends by itself, once the first run's is ended.
    ASSERT_TRUE(WriteWholeFile(probe.path + ".probe", "[probe]\r\n"));
    EndProcessesNamed(probe.fileName);
    first.Wait();
    RunResult& queued = second.Wait();
    EXPECT_FALSE(queued.timedOut);
    EXPECT_EQ(queued.exitCode, exit);
    EXPECT_EQ(ReadProbeRecords(probe.report, "start").size(), 2u) << "the queued start did not run the program";
}

const std::map<std::string, std::function<void(Machine&, const DocCheck&)>> Scenarios = {
    {"start", CheckStart},     {"batch", CheckBatch},   {"term", CheckTerm},     {"unhide", CheckUnhide},
    {"folder", CheckFolder},   {"help", CheckHelp},     {"backup", CheckBackup}, {"restart", CheckRestart},
    {"outcome", CheckOutcome}, {"output", CheckOutput}, {"onerun", CheckOneRun},
};

void RunCheck(const char* page, const DocCheck& check)
{
    SCOPED_TRACE(std::string(page) + " line " + std::to_string(check.line) + ": " + check.examples[0].text);
    auto scenario = Scenarios.find(check.scenario);
    ASSERT_NE(scenario, Scenarios.end()) << "no scenario " << check.scenario;
    Machine machine;
    scenario->second(machine, check);
}

// A check that waits out a time-out of a minute or so before it can tell.
bool WaitsOut(const DocCheck& check)
{
    const int ended = atoi(Fact(check, "ended").c_str());
    return (ended > 0 && ended <= LongestWaitedTimeout) || atoi(Fact(check, "kept").c_str()) > 0;
}

// The file name of the program a check ends when it is done.
std::string ProgramFileName(const DocCheck& check)
{
    if (check.scenario == "batch") return BatchChild;
    std::string name = Lower(NameOf(Fact(check, "program")));
    return name.find('.') == std::string::npos ? name + ".exe" : name;
}

// The checks of a page that wait out a time-out, or the others. Those that wait show no box, so
// they run apart from the tests that need the desktop to themselves (see CMakeLists.txt).
enum class Checks { Quick, WaitingOut };

void RunPage(const char* page, Checks which)
{
    const DocExamples examples = ParseDocExamples(ReadDocFile(Source + "\\docs\\" + page));
    ASSERT_FALSE(examples.checks.empty()) << page;
    std::vector<const DocCheck*> waiting;
    for (const DocCheck& check : examples.checks) {
        if (WaitsOut(check))
            waiting.push_back(&check);
        else if (which == Checks::Quick)
            RunCheck(page, check);
    }
    if (which == Checks::Quick) return;
    // The checks that wait out time-outs wait side by side. Each ends its program by file name
    // when it is done, so no two of them may name the same one.
    std::set<std::string> programs;
    for (const DocCheck* check : waiting)
        ASSERT_TRUE(programs.insert(ProgramFileName(*check)).second)
            << page << " line " << check->line << ": " << ProgramFileName(*check) << " is waited for twice";
    std::vector<std::thread> checks;
    for (const DocCheck* check : waiting) checks.emplace_back([page, check] { RunCheck(page, *check); });
    for (std::thread& check : checks) check.join();
}

TEST(DocRecipes, CommandLinePage) { RunPage("command-line.md", Checks::Quick); }

TEST(DocRecipes, RecipesPage) { RunPage("recipes.md", Checks::Quick); }

TEST(DocTimeOuts, CommandLinePage) { RunPage("command-line.md", Checks::WaitingOut); }

TEST(DocTimeOuts, RecipesPage) { RunPage("recipes.md", Checks::WaitingOut); }

// The zip's sample settings file, which the guide's pictures show, works as it stands beside
// the zip's files: it asks twice, copies the guide's pages into a dated folder under the
// temporary folder and opens README.txt shown.
TEST(DocRecipes, SampleSettingsFileWorksAsItIs)
{
    Machine machine;
    Launch launch;
    launch.exe = machine.Map("C:\\Tools\\Stowlet\\Stowlet.exe");
    const std::string folder = FolderOf(launch.exe);
    MakeFolders(folder + "\\guide");
    for (const char* name : {"guide.html", "recipes.html", "about-box.png"})
        ASSERT_TRUE(WriteWholeFile(folder + "\\guide\\" + name, name));
    ASSERT_TRUE(WriteWholeFile(folder + "\\README.txt", "Stowlet"));
    launch.settings = ReadDocFile(Source + "\\packaging\\Stowlet.sample.ini");
    ASSERT_FALSE(launch.settings->empty());
    Probe notepad = machine.PlaceProgram("notepad.exe", folder);
    const std::string backup = TempDir() + "\\Stowlet-backup";
    RemoveTree(backup);
    RunResult run = RunLaunch(launch, 60000, {IDYES, IDYES});
    EXPECT_FALSE(run.timedOut);
    ASSERT_EQ(run.boxes.size(), 2u);
    EXPECT_EQ(run.boxes[0].text.rfind("Copy file(s)?", 0), 0u);
    EXPECT_EQ(run.boxes[1].text.rfind("Execute and SHOW the application?", 0), 0u);
    EXPECT_EQ(FilesBelow(backup + "\\" + Today()),
              (std::vector<std::string>{"about-box.png", "guide.html", "recipes.html"}));
    auto starts = WaitForProbeRecords(notepad.report, "start", 1, 20000);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_TRUE(IsWindowVisible(ProbeWindow(starts[0])));
    EXPECT_EQ(Lower(ArgumentsOf(starts[0])), Lower(folder + "\\README.txt"));
    RemoveTree(backup);
}

}  // namespace
