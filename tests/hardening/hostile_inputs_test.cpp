// What users and attackers hand the real exe: huge, broken and odd settings files, hostile
// git HEAD files, source trees and targets that resist copying, the longest command line the
// system passes, macros that grow past a field. Every run must end by itself with exit code 0,
// without a crash, and touch nothing in its folder but the configured target.
//
// Each case prints one line "[hostile] input -> result" (the hostile-input table).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "common/buffers.h"
#include "helpers/probe_report.h"
#include "support/runner.h"
#include "workspace.h"

namespace {

// Long enough for any of these runs under emulation; a run still going then hangs.
constexpr DWORD RunBoundMs = 90000;
const std::string ExeName = std::string("hard_hostile_") + (sizeof(void*) == 8 ? "w64" : "w32") + ".exe";
const std::string IniName = ExeName.substr(0, ExeName.size() - 3) + "ini";

struct HostileRun {
    RunResult run;
    DWORD elapsedMs = 0;
    std::vector<std::string> changedOutside;
    std::vector<DWORD> failureCodes;  // of the copy's failure reports, in order
};

// What a complete run shows: a run with fewer boxes or copy failures was cut short.
struct Seen {
    size_t boxes = 0;
    size_t failures = 0;
};

// Runs the copy of Stowlet in the workspace; only the allowed relative paths may change.
//
// Wine 8 on the shared X display now and then ends a process while its second message box is
// up (Xlib reports BadWindow on X_UnmapWindow of the first box's X window and exits, code 0);
// a minimal program that shows two boxes meets the same, in some periods in a third of its
// runs, in others never (it follows what other tests do on the display). So each case shows
// one box at most; a run cut short all the same is made again, up to three times in all (a
// fault of the program's cuts every run short). Every case leaves the same files however often
// it runs.
HostileRun RunIn(const Workspace& space, const std::string& arguments, const std::vector<std::string>& allowed,
                 const Seen& complete, std::vector<int> answers = {})
{
    HostileRun hostile;
    // Placed before the snapshot; the runner's own copy over it keeps its bytes and times.
    EXPECT_TRUE(CopyFileA(BuiltProgram("Stowlet.exe").c_str(), (space / ExeName).c_str(), FALSE));
    TreeSnapshot before = space.Snapshot();
    RunOptions options;
    options.exeName = ExeName;
    options.folder = space.Path();
    options.arguments = arguments;
    options.answers = std::move(answers);
    options.captureDebug = true;
    options.timeoutMs = RunBoundMs;
    const std::string label = ".SingleCopy Error code ";
    for (int attempt = 1;; ++attempt) {
        DWORD start = GetTickCount();
        hostile.run = RunStowlet(options);
        hostile.elapsedMs = GetTickCount() - start;
        hostile.failureCodes.clear();
        for (const std::string& line : hostile.run.debugLines) {
            size_t at = line.find(label);
            if (at != std::string::npos)
                hostile.failureCodes.push_back(DWORD(std::stoul(line.substr(at + label.size()))));
        }
        // Every box of the program has a caption and a text: one read empty went away while it
        // was read.
        bool boxCut = false;
        for (const BoxSeen& box : hostile.run.boxes) boxCut = boxCut || box.caption.empty() || box.text.empty();
        bool cutShort =
            hostile.run.started && !hostile.run.crashed && !hostile.run.timedOut && hostile.run.exitCode == 0 &&
            (boxCut || hostile.run.boxes.size() < complete.boxes || hostile.failureCodes.size() < complete.failures);
        if (!cutShort || attempt == 3) break;
        std::printf("[hostile] (run made again: the first ended early, as Wine's X connection does)\n");
    }
    hostile.changedOutside = ChangesOutside(before, space.Snapshot(), allowed);
    return hostile;
}

std::string Joined(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : "; ") + item;
    return text;
}

// The table line and the checks every hostile run shares.
void ExpectSurvived(const std::string& input, const HostileRun& hostile, const std::string& note = "")
{
    const RunResult& run = hostile.run;
    std::string result = "exit " + std::to_string(run.exitCode);
    if (run.crashed) result += ", CRASHED";
    if (run.timedOut) result += ", HUNG";
    std::vector<std::string> captions;
    for (const BoxSeen& box : run.boxes) captions.push_back("\"" + box.caption + "\"");
    result += captions.empty() ? ", no box" : ", boxes " + Joined(captions);
    if (hostile.failureCodes.empty()) {
        result += ", no copy failure";
    } else {
        std::vector<std::string> codes;
        for (DWORD code : hostile.failureCodes) codes.push_back(std::to_string(code));
        result += ", copy failures (codes " + Joined(codes) + ")";
    }
    if (!note.empty()) result += ", " + note;
    result += hostile.changedOutside.empty() ? ", nothing else touched" : ", TOUCHED " + Joined(hostile.changedOutside);
    result += ", " + std::to_string(hostile.elapsedMs) + " ms";
    std::printf("[hostile] %s -> %s\n", input.c_str(), result.c_str());
    std::fflush(stdout);

    SCOPED_TRACE(input);
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.crashed);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_LT(hostile.elapsedMs, RunBoundMs);
    EXPECT_TRUE(hostile.changedOutside.empty()) << Joined(hostile.changedOutside);
}

std::vector<std::string> Captions(const RunResult& run)
{
    std::vector<std::string> captions;
    for (const BoxSeen& box : run.boxes) captions.push_back(box.caption);
    return captions;
}

// A task that copies source to target before its (absent) program step.
std::string CopyKeys(const std::string& source, const std::string& target, const std::string& more = "")
{
    return "CopySource=" + source + "\r\nCopyTarget=" + target + "\r\nCopyBeforeExecute=1\r\n" + more;
}

// Bytes of no meaning, the same on every run.
std::string Garbage(size_t size, uint32_t seed)
{
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return bytes;
}

const std::string TenMegabytes(10u << 20, 'x');

// A file held open without any sharing while it lives: no one else can read or write it. Root
// may write read-only files under Wine; a file held like this refuses everybody there too.
class LockedFile {
public:
    explicit LockedFile(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~LockedFile()
    {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

}  // namespace

enum class IniForm { File, Folder, Locked };

// Settings files of 10 MB, of garbage, with a repeated section, with values at and past the
// field's size, a folder in the settings file's place, and one nobody may read.
TEST(HostileInput, SettingsFiles)
{
    struct Case {
        const char* input;
        std::function<std::string(const Workspace&)> ini;  // the settings file's bytes
        IniForm form;
        std::vector<std::string> boxes;  // captions, in order
        size_t copies;                   // files under dst afterwards
        std::vector<DWORD> failures;
    };
    auto copyA = [](const Workspace& s) { return CopyKeys(s / "src\\a.txt", s / "dst\\"); };
    std::string error = "Error when executing";
    // Every text key of one task; the paths lie in the workspace as far as they go. One task
    // a run: each shows one box (see RunIn on Wine and a second box).
    auto longValues = [](const char* section, size_t length, bool quoted) {
        return [=](const Workspace& s) {
            auto value = [&](const std::string& start) {
                std::string text = start + std::string(length > start.size() ? length - start.size() : 0, 'v');
                return quoted ? "\"" + text + "\"" : text;
            };
            return Section(section, "CopySource=" + value(s / "src\\") + "\r\nCopyTarget=" + value(s / "dst\\") +
                                        "\r\nProgram=" + value(s / "p") + "\r\nParameters=" + value("a") +
                                        "\r\nWorkingDir=" + value(s / "w") +
                                        "\r\nCopyBeforeExecute=1\r\nCopyAfterExecute=1\r\n");
        };
    };
    std::vector<Case> cases = {
        {"INI of 10 MB: 10 MB of key lines, then a task copying a file",
         [&](const Workspace& s) {
             std::string filler = "[FILLER]\r\n";
             for (int i = 0; filler.size() < (10u << 20); ++i)
                 filler += "Key" + std::to_string(i) + "=" + std::string(64, 'f') + "\r\n";
             return filler + Section("OPTIONS", copyA(s));
         },
         IniForm::File,
         {},
         1,
         {}},
        {"INI of 10 MB: one Program value of 10 MB beside a copy",
         [&](const Workspace& s) { return Section("OPTIONS", "Program=" + TenMegabytes + "\r\n" + copyA(s)); },
         IniForm::File,
         {error},
         1,
         {}},
        {"INI of 64 KB binary garbage",
         [](const Workspace&) { return "junk" + Garbage(64 << 10, 1); },
         IniForm::File,
         {},
         0,
         {}},
        {"INI of binary garbage around a valid task",
         [&](const Workspace& s) {
             return "junk" + Garbage(64 << 10, 2) + "\r\n" + Section("OPTIONS", copyA(s)) + Garbage(64 << 10, 3);
         },
         IniForm::File,
         {},
         1,
         {}},
        {"INI with [OPTIONS] repeated 1000 times, each copying to its own folder",
         [](const Workspace& s) {
             std::string ini;
             for (int i = 0; i < 1000; ++i)
                 ini += Section("OPTIONS", CopyKeys(s / "src\\a.txt", s / ("dst\\copy" + std::to_string(i) + "\\")));
             return ini;
         },
         IniForm::File,
         {},
         1,
         {}},
        // A 4095-character text fits its field; the copy source it names does not exist, so
        // nothing is copied and nothing reported, and the program is not found.
        {"INI with 4095-character values in every text key of PREVIOUS",
         longValues("PREVIOUS", 4095, false),
         IniForm::File,
         {error},
         0,
         {}},
        {"INI with 4095-character values in every text key of OPTIONS",
         longValues("OPTIONS", 4095, false),
         IniForm::File,
         {error},
         0,
         {}},
        // Values cut by the read are never acted on: copies refused, programs not started.
        {"INI with 4096-character values in every text key of PREVIOUS",
         longValues("PREVIOUS", 4096, false),
         IniForm::File,
         {error},
         0,
         {206, 206}},
        {"INI with 4096-character values in every text key of OPTIONS",
         longValues("OPTIONS", 4096, false),
         IniForm::File,
         {error},
         0,
         {206, 206}},
        {"INI with quoted 100,000-character values in every text key of PREVIOUS",
         longValues("PREVIOUS", 100000, true),
         IniForm::File,
         {error},
         0,
         {206, 206}},
        {"INI with quoted 100,000-character values in every text key of OPTIONS",
         longValues("OPTIONS", 100000, true),
         IniForm::File,
         {error},
         0,
         {206, 206}},
        {"INI that is a folder", nullptr, IniForm::Folder, {}, 0, {}},
        {"INI held open without sharing by another program", copyA, IniForm::Locked, {}, 0, {}},
    };
    for (const Case& c : cases) {
        Workspace space;
        ASSERT_TRUE(space.Write("src\\a.txt", "a"));
        std::unique_ptr<LockedFile> lock;
        if (c.form == IniForm::Folder) {
            ASSERT_TRUE(CreateDirectoryA((space / IniName).c_str(), nullptr));
        } else {
            ASSERT_TRUE(space.Write(IniName, c.ini(space)));
        }
        if (c.form == IniForm::Locked) {
            lock = std::make_unique<LockedFile>(space / IniName);
            ASSERT_TRUE(lock->Held());
        }
        HostileRun hostile = RunIn(space, "", {"dst"}, {c.boxes.size(), c.failures.size()});
        auto copied = space.Files("dst");
        ExpectSurvived(c.input, hostile,
                       copied.size() == 1 ? "copied to dst\\" + copied.begin()->first
                                          : std::to_string(copied.size()) + " files copied");
        SCOPED_TRACE(c.input);
        EXPECT_EQ(Captions(hostile.run), c.boxes);
        EXPECT_EQ(copied.size(), c.copies);
        for (const auto& [path, content] : copied) EXPECT_EQ(content, "a") << path;
        EXPECT_EQ(hostile.failureCodes, c.failures);
    }
}

// %GITBRANCHNAME% in a copy target, from a HEAD file of 10 MB, of NUL bytes, full of macro
// names, or a folder in the HEAD file's place. Only the file's first 4096 bytes count.
TEST(HostileInput, GitHeadFiles)
{
    std::string tenMegabytesEndingMain = "ref: refs/heads/" + std::string(4096 - 16 - 5, 'p') + "/main";
    tenMegabytesEndingMain.resize(10u << 20, 'z');
    std::string macroBranch = "ref: refs/heads/";
    while (macroBranch.size() + 8 <= 4096) macroBranch += "%WINDIR%";
    struct Case {
        const char* input;
        std::string head;      // empty: HEAD is a folder
        std::string copiedTo;  // the file the copy makes, relative to dst; empty: none
        std::vector<DWORD> failures;
    } cases[] = {
        // The branch is some 4080 characters: the target cannot be a path.
        {".git\\HEAD of 10 MB: ref: refs/heads/ and 10 MB of one letter", "ref: refs/heads/" + TenMegabytes, "", {206}},
        {".git\\HEAD of 10 MB whose first 4096 bytes end in /main", tenMegabytesEndingMain, "main\\a.txt", {}},
        {".git\\HEAD of 10 MB of NUL bytes", std::string(10u << 20, '\0'), "ErrorGitHeadText\\a.txt", {}},
        // Names of later macros in the branch are expanded: some 500 Windows folders.
        {".git\\HEAD naming %WINDIR% 510 times", macroBranch, "", {206}},
        {".git\\HEAD that is a folder", "", "ErrorOpenGitPath\\a.txt", {}},
    };
    for (const Case& c : cases) {
        Workspace space;
        ASSERT_TRUE(space.Write("src\\a.txt", "a"));
        if (c.head.empty())
            ASSERT_TRUE(space.MakeFolders("repo\\.git\\HEAD"));
        else
            ASSERT_TRUE(space.Write("repo\\.git\\HEAD", c.head));
        ASSERT_TRUE(space.Write(
            IniName, Section("OPTIONS", "WorkingDir=" + space / "repo\r\n" +
                                            CopyKeys(space / "src\\a.txt", space / "dst\\%GITBRANCHNAME%\\"))));
        HostileRun hostile = RunIn(space, "", {"dst"}, {0, c.failures.size()});
        auto copied = space.Files("dst");
        ExpectSurvived(c.input, hostile, copied.empty() ? "nothing copied" : "copied to dst\\" + copied.begin()->first);
        SCOPED_TRACE(c.input);
        EXPECT_TRUE(hostile.run.boxes.empty());
        EXPECT_EQ(hostile.failureCodes, c.failures);
        if (c.copiedTo.empty()) {
            EXPECT_TRUE(copied.empty());
        } else {
            ASSERT_EQ(copied.size(), 1u);
            EXPECT_EQ(copied.begin()->first, c.copiedTo);
        }
    }
}

namespace {

// A chain of `depth` folders below root, one file in each level; names cycle through the
// given ones. Returns the files' relative paths below root.
std::vector<std::string> MakeChain(const Workspace& space, const std::string& root, int depth,
                                   const std::vector<std::string>& folderNames, const std::string& fileName)
{
    std::vector<std::string> files;
    std::string folder;
    for (int level = 0; level < depth; ++level) {
        folder += (folder.empty() ? "" : "\\") + folderNames[size_t(level) % folderNames.size()];
        std::string file = folder + "\\" + fileName + std::to_string(level);
        EXPECT_TRUE(space.Write(root + "\\" + file, "level " + std::to_string(level)));
        files.push_back(file);
    }
    return files;
}

}  // namespace

// Deep and oddly named source trees, read-only and locked source files: the whole tree copies
// where paths fit, the rest is reported, and nothing lands beside the target.
TEST(HostileInput, SourceTrees)
{
    // Blanks, semicolons, percent signs (in pairs too, as a macro would stand) and bytes of the
    // ANSI code page above 127 (1252 here: 0xE9 is e acute).
    const std::vector<std::string> oddNames = {"a b", "x;y", "5%0", "\xE9t\xE9", "%P%", "\xC0;\xFF", "q%;"};
    struct Case {
        const char* input;
        std::string source;  // root folder of the tree, relative
        int depth;
        std::vector<std::string> names;
        bool readOnly;  // every file read-only
        bool lockOne;   // the deepest file held open without sharing
    } cases[] = {
        {"source tree of 40 levels, names with blanks, ;, %, 0xE9 0xC0 0xFF", "s;% \xE9", 40, oddNames, false, false},
        {"source tree of 40 levels reaching past MAX_PATH", "src", 40, {"level name"}, false, false},
        {"source tree of read-only files", "src", 5, oddNames, true, false},
        {"source tree with one file held open without sharing", "src", 5, oddNames, false, true},
    };
    for (const Case& c : cases) {
        Workspace space;
        auto files = MakeChain(space, c.source, c.depth, c.names, "f;% \xE9");
        if (c.readOnly) {
            for (const std::string& file : files)
                ASSERT_TRUE(
                    SetFileAttributesW(LongPath(space / (c.source + "\\" + file)).c_str(), FILE_ATTRIBUTE_READONLY));
        }
        std::unique_ptr<LockedFile> lock;
        if (c.lockOne) {
            lock = std::make_unique<LockedFile>(space / (c.source + "\\" + files.back()));
            ASSERT_TRUE(lock->Held());
        }
        // The target's name is as long as the source's: both paths reach the limit together.
        std::string target = "d" + std::string(c.source.size() - 1, 't');
        ASSERT_TRUE(space.Write(IniName, Section("OPTIONS", CopyKeys(space / c.source, space / target,
                                                                     "CopySubFolders=1\r\nCopyOverwrite=1\r\n"))));
        HostileRun hostile = RunIn(space, "", {target}, {0, c.lockOne ? 1u : 0u});
        auto copied = space.Files(target);
        ExpectSurvived(c.input, hostile,
                       std::to_string(copied.size()) + " of " + std::to_string(files.size()) + " files copied");
        SCOPED_TRACE(c.input);
        EXPECT_TRUE(hostile.run.boxes.empty());

        // Every file arrives, however deep: only the one held open is missing.
        std::vector<std::string> expected;
        for (const std::string& file : files)
            if (!(c.lockOne && file == files.back())) expected.push_back(file);
        std::vector<std::string> got;
        for (const auto& [path, content] : copied) got.push_back(path);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(got, expected);
        for (const auto& [path, content] : copied) EXPECT_EQ(content.rfind("level ", 0), 0u) << path;
        if (c.lockOne) {
            EXPECT_EQ(hostile.failureCodes, std::vector<DWORD>{ERROR_SHARING_VIOLATION});
        } else {
            EXPECT_TRUE(hostile.failureCodes.empty());
        }
    }
}

// Targets that refuse the copy. Root may write read-only files and folders under Wine, so
// besides the read-only cases (which fail on Windows) this uses what really fails there: a
// file held open without sharing, a file standing where a target folder must be made, and
// Wine's view of procfs (Z:\proc), where not even root can make a file or folder.
TEST(HostileInput, Targets)
{
    struct Case {
        const char* input;
        std::function<void(const Workspace&)> prepare;
        std::string target;  // relative to the workspace, or a full path
        std::vector<std::string> allowed;
        bool lockA;                                // dst\a.txt held open without sharing during the run
        std::map<std::string, std::string> after;  // dst afterwards (when the target is dst)
        std::vector<DWORD> failures;               // sorted
    };
    auto readOnly = [](const std::string& path) {
        EXPECT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    };
    std::vector<Case> cases = {
        // The attribute on a folder keeps no one from writing into it, on Windows as under Wine.
        {"target folder with the read-only attribute",
         [&](const Workspace& s) {
             EXPECT_TRUE(s.MakeFolders("dst"));
             readOnly(s / "dst");
         },
         "dst",
         {"dst"},
         false,
         {{"a.txt", "new a"}, {"b.txt", "new b"}},
         {}},
        {"target file held open without sharing, overwrite on",
         [](const Workspace& s) { EXPECT_TRUE(s.Write("dst\\a.txt", "old a")); },
         "dst",
         {"dst"},
         true,
         {{"a.txt", "old a"}, {"b.txt", "new b"}},
         {ERROR_SHARING_VIOLATION}},
        {"target folder below a file of the folder's name",
         [](const Workspace& s) { EXPECT_TRUE(s.Write("dst", "a file")); },
         "dst\\sub",
         {"dst\\sub"},
         false,
         {},
         {ERROR_PATH_NOT_FOUND, ERROR_PATH_NOT_FOUND}},
    };
    // A copy never replaces a read-only target: access denied, as the system's own copy says.
    cases.push_back({"target file with the read-only attribute, overwrite on",
                     [&](const Workspace& s) {
                         EXPECT_TRUE(s.Write("dst\\a.txt", "old a"));
                         readOnly(s / "dst\\a.txt");
                     },
                     "dst",
                     {"dst"},
                     false,
                     {{"a.txt", "old a"}, {"b.txt", "new b"}},
                     {ERROR_ACCESS_DENIED}});
    if (GetFileAttributesA("Z:\\proc\\self") != INVALID_FILE_ATTRIBUTES)
        cases.push_back({"target in a folder where nothing can be made (Wine's Z:\\proc)",
                         nullptr,
                         "Z:\\proc\\stowlet-hostile\\",
                         {},
                         false,
                         {},
                         {ERROR_PATH_NOT_FOUND, ERROR_PATH_NOT_FOUND}});
    for (const Case& c : cases) {
        Workspace space;
        ASSERT_TRUE(space.Write("src\\a.txt", "new a"));
        ASSERT_TRUE(space.Write("src\\b.txt", "new b"));
        if (c.prepare) c.prepare(space);
        std::unique_ptr<LockedFile> lock;
        if (c.lockA) {
            lock = std::make_unique<LockedFile>(space / "dst\\a.txt");
            ASSERT_TRUE(lock->Held());
        }
        std::string target = c.target.find(':') == std::string::npos ? space / c.target : c.target;
        ASSERT_TRUE(space.Write(IniName, Section("OPTIONS", CopyKeys(space / "src", target, "CopyOverwrite=1\r\n"))));
        HostileRun hostile = RunIn(space, "", c.allowed, {0, c.failures.size()});
        lock.reset();
        std::map<std::string, std::string> after;
        if (c.target == "dst") after = space.Files("dst");
        std::string note;
        for (const auto& [path, content] : after)
            note += (note.empty() ? "" : ", ") + path + " holds \"" + content + "\"";
        ExpectSurvived(c.input, hostile, note.empty() ? "nothing copied" : note);
        SCOPED_TRACE(c.input);
        EXPECT_TRUE(hostile.run.boxes.empty());
        std::vector<DWORD> failures = hostile.failureCodes;
        std::sort(failures.begin(), failures.end());
        EXPECT_EQ(failures, c.failures);
        if (c.target == "dst") {
            EXPECT_EQ(after, c.after);
        }
        if (c.target.find(':') != std::string::npos) {
            EXPECT_FALSE(FileExists(c.target));
        }
    }
}

namespace {

// The probe as a task's or command's program, under a name of this test program's own.
Probe PlaceTarget(const Workspace& space, const char* purpose)
{
    return PlaceProbe(space.Folder(), ProbeFlavour::Gui,
                      std::string("hard_") + purpose + (sizeof(void*) == 8 ? "_w64_" : "_w32_") +
                          std::to_string(GetCurrentProcessId()));
}

// text + filler, repeated whole, then cut or padded to exactly length characters.
std::string Filled(std::string text, const std::string& filler, size_t length, char pad)
{
    while (text.size() + filler.size() <= length) text += filler;
    text.resize(length, pad);
    return text;
}

}  // namespace

// Command lines of 32,766 characters, the longest CreateProcess passes on (32,767 with its
// terminator): too long to use, or long only by option words and separators.
TEST(HostileInput, LongestCommandLines)
{
    Workspace space;
    Probe probe = PlaceTarget(space, "cl");
    // The runner puts the copy's quoted path and a blank before the arguments.
    const size_t room = 32766 - (space / ExeName).size() - 3;
    const std::string tooLong = "Error when executing";
    struct Case {
        const char* input;
        std::string arguments;
        bool started;
        std::vector<std::string> boxes;
    } cases[] = {
        {"32,766-character command line: the probe and one-letter parameters",
         Filled(probe.path, " p", room, 'p'),
         false,
         {tooLong}},
        {"32,766-character command line: one argument", std::string(room, 'a'), false, {tooLong}},
        {"32,766-character command line: the probe and an unclosed quote",
         Filled(probe.path + " \"", "q", room, 'q'),
         false,
         {tooLong}},
        {"32,766-character command line: the probe and TIMEOUT=0 3,000 times",
         Filled(probe.path, " TIMEOUT=0", room, '0'),
         true,
         {}},
        {"32,766-character command line: commas and blanks, then the probe",
         Filled("", ", ", room - probe.path.size(), ',') + probe.path,
         true,
         {}},
    };
    size_t starts = 0;
    for (const Case& c : cases) {
        ASSERT_EQ(c.arguments.size(), room);
        HostileRun hostile = RunIn(space, c.arguments, {probe.fileName + ".report"}, {c.boxes.size(), 0});
        ExpectSurvived(c.input, hostile, c.started ? "the probe started" : "nothing started");
        SCOPED_TRACE(c.input);
        EXPECT_EQ(Captions(hostile.run), c.boxes);
        if (!c.boxes.empty()) {
            EXPECT_EQ(hostile.run.boxes[0].text.find("The command line is too long"), 0u);
        }
        if (c.started) ++starts;
        auto records = WaitForProbeRecords(probe.report, "start", starts, c.started ? 10000 : 0);
        ASSERT_EQ(records.size(), starts);
        if (c.started) {  // options and separators gone
            EXPECT_EQ(records.back().at("commandline"), probe.path);
        }
    }
    EndProcessesNamed(probe.fileName);

    // One character more and the system refuses to start anything: the lines above were the
    // longest there are.
    RunOptions options;
    options.exeName = ExeName;
    options.folder = space.Path();
    options.arguments = std::string(room + 1, 'a');
    options.timeoutMs = RunBoundMs;
    RunResult refused = RunStowlet(options);
    // Windows counts the terminator in its 32,767 characters and refuses the line; Wine's
    // CreateProcessW starts it, and then Stowlet must come through it as through the others.
    if (refused.started) {
        EXPECT_EQ(refused.exitCode, 0u);
        EXPECT_FALSE(refused.crashed);
        EXPECT_FALSE(refused.timedOut);
    }
    std::printf("[hostile] 32,767-character command line -> %s\n",
                refused.started ? "started (Wine), exit 0" : "not started by the system");
}

// Macros whose values grow a field past 4095 characters: the step is refused in its own
// words, nothing is started or copied.
TEST(HostileInput, MacrosGrowingPastAField)
{
    // As many whole names as fit limit characters.
    auto repeat = [](const std::string& name, size_t limit) {
        return Filled("", name, limit - limit % name.size(), ' ');
    };
    // The probe as the program, with one more key.
    auto probeWith = [](const std::string& key) {
        return [=](const Workspace&, const Probe& p) { return "Program=" + p.path + "\r\n" + key; };
    };
    struct Case {
        const char* input;
        std::function<std::string(const Workspace&, const Probe&)> keys;
        std::vector<int> answers;
        std::vector<std::string> boxes;
        std::vector<DWORD> failures;
    };
    const std::string error = "Error when executing";
    std::vector<Case> cases = {
        {"Program of %WINDIR% 511 times",
         [&](const Workspace&, const Probe&) { return "Program=" + repeat("%WINDIR%", 4095); },
         {},
         {error},
         {}},
        {"Parameters of %SYSTEMDIR% 372 times",
         probeWith("Parameters=" + repeat("%SYSTEMDIR%", 4095)),
         {},
         {error},
         {}},
        {"WorkingDir of %TEMPDIR% 455 times", probeWith("WorkingDir=" + repeat("%TEMPDIR%", 4095)), {}, {error}, {}},
        {"Parameters of %PROGRAMFILES% 292 times",
         probeWith("Parameters=" + repeat("%PROGRAMFILES%", 4095)),
         {},
         {error},
         {}},
        // The prompt shows what fits and marks the cut; No keeps to one box (see RunIn).
        {"Parameters of %MYDOCUMENTS% 315 times, asked first",
         probeWith("AskExecute=1\r\nParameters=" + repeat("%MYDOCUMENTS%", 4095)),
         {IDNO},
         {"MAIN TASK: Please confirm"},
         {}},
        {"CopyTarget of dst\\ and %DATE% 680 times",
         [&](const Workspace& s, const Probe&) {
             return CopyKeys(s / "src\\a.txt", s / "dst\\" + repeat("%DATE%", 4080));
         },
         {},
         {},
         {ERROR_FILENAME_EXCED_RANGE}},
        {"CopySource of %PROGRAMDIR% 341 times",
         [&](const Workspace& s, const Probe&) { return CopyKeys(repeat("%PROGRAMDIR%", 4095), s / "dst\\"); },
         {},
         {},
         {ERROR_FILENAME_EXCED_RANGE}},
    };
    for (const Case& c : cases) {
        Workspace space;
        Probe probe = PlaceTarget(space, "macro");
        ASSERT_TRUE(space.Write("src\\a.txt", "a"));
        ASSERT_TRUE(space.Write(IniName, Section("OPTIONS", c.keys(space, probe) + "\r\n")));
        HostileRun hostile = RunIn(space, "", {"dst"}, {c.boxes.size(), c.failures.size()}, c.answers);
        ExpectSurvived(c.input, hostile);
        SCOPED_TRACE(c.input);
        ASSERT_EQ(Captions(hostile.run), c.boxes);
        if (!c.boxes.empty() && c.boxes.back() == error) {
            EXPECT_EQ(hostile.run.boxes.back().text.find("The program, its parameters or its working directory are "
                                                         "longer than 4095 characters"),
                      0u);
        }
        if (c.answers.size()) {
            EXPECT_EQ(hostile.run.boxes[0].text.substr(hostile.run.boxes[0].text.size() - 3), "...");
        }
        EXPECT_EQ(hostile.failureCodes, c.failures);
        EXPECT_FALSE(FileExists(probe.report));  // never started
        EXPECT_FALSE(FileExists(space / "dst"));
        EndProcessesNamed(probe.fileName);
    }
}
