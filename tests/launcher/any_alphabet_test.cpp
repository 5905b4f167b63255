// Names in any alphabet end to end, through a renamed copy of Stowlet.exe: settings files in
// every encoding, the command line, the program step's instances, and settings files that are
// broken in the ways an encoding can be.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/execution_target.h"
#include "support/runner.h"

namespace {

const std::string Greek = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";  // Ελληνικά
const std::string Cyrillic = "\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8\xD1\x86\xD0\xB0";  // Кириллица
const std::string Japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";                                      // 日本語
const std::string Latin = "caf\xC3\xA9";  // café: the ANSI code page of the tests holds it

bool MakeFolder(const std::string& path) { return CreateDirectoryW(Utf16(path).c_str(), nullptr) != FALSE; }

// A copy of everything in source to target, before the task's program.
std::string CopyKeys(const std::string& source, const std::string& target)
{
    return "CopySource=" + source + "\r\nCopyTarget=" + target + "\r\nCopyBeforeExecute=1\r\n";
}

RunResult RunIn(const std::string& folder, const std::string& exeName, const std::string& arguments,
                const std::string* ini = nullptr)
{
    RunOptions options;
    options.folder = folder;
    options.exeName = exeName;
    options.arguments = arguments;
    if (ini) options.ini = *ini;
    return RunStowlet(options);
}

}  // namespace

// One settings file per encoding: a program in a folder named in another alphabet starts with
// parameters in a third and its working folder set, and a copy runs between folders named in
// three alphabets. The ANSI file holds what its code page holds.
TEST(AnyAlphabet, SettingsFileInEachEncoding)
{
    struct Case {
        const char* name;
        FileEncoding encoding;
        std::string programFolder, parameters, workingFolder, source, target;
    } cases[] = {
        {"ANSI", FileEncoding::Ansi, Latin, Latin + " \"na\xC3\xAFve x\"", "w-" + Latin, "s-" + Latin, "t-" + Latin},
        {"UTF-8", FileEncoding::Utf8, Greek, Japanese + " \"" + Cyrillic + " x\"", Japanese,
         Greek + "-" + Cyrillic + "-" + Japanese, Japanese + "\\" + Cyrillic + "\\" + Greek},
        {"UTF-8 with its mark", FileEncoding::Utf8Mark, Greek, Japanese, Cyrillic, Cyrillic + Japanese,
         Greek + Japanese},
        {"UTF-16 LE", FileEncoding::Utf16Le, Greek, Japanese, Japanese, Greek + Cyrillic, Japanese + Cyrillic},
        {"UTF-16 BE", FileEncoding::Utf16Be, Greek, Japanese, Cyrillic + Greek, Japanese + Greek,
         Greek + Japanese + Cyrillic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        std::string base = folder.Path();
        ASSERT_TRUE(MakeFolder(folder / c.programFolder));
        ASSERT_TRUE(MakeFolder(folder / c.workingFolder));
        ASSERT_TRUE(MakeFolder(folder / c.source));
        ASSERT_TRUE(WriteWholeFile(folder / (c.source + "\\" + Japanese + ".txt"), "copied"));
        Probe target = PlaceProbe(folder / c.programFolder, ProbeFlavour::Gui, UniqueTargetName("alphabet"));
        std::string ini =
            Section("PREVIOUS", CopyKeys(base + "\\" + c.source + "\\*.txt", base + "\\" + c.target + "\\")) +
            Section("OPTIONS", "Program=" + target.path + "\r\nParameters=" + c.parameters + "\r\nWorkingDir=" + base +
                                   "\\" + c.workingFolder + "\r\n");
        std::string file = EncodeFile(ini, c.encoding);
        RunResult run = RunIn(base, "Stowlet.exe", "", &file);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(run.boxes.empty());
        auto starts = WaitForProbeRecords(target.report, "start", 1, 10000);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0]["commandline"], target.path + " " + c.parameters);
        EXPECT_EQ(starts[0]["currentdir"], base + "\\" + c.workingFolder);
        EXPECT_EQ(ReadWholeFile(folder / (c.target + "\\" + Japanese + ".txt")), "copied");
        EndProcessesNamed(target.fileName);
    }
}

// The command line read as wide text: Stowlet named in Greek starts a program named in Greek
// with Greek and Japanese arguments, split by the same rules.
TEST(AnyAlphabet, CommandLineArguments)
{
    TempFolder folder;
    Probe target = PlaceProbe(folder, ProbeFlavour::Gui, Greek + "_" + UniqueTargetName("args"));
    std::string name = target.fileName.substr(0, target.fileName.size() - 4);
    RunResult run =
        RunIn(folder.Path(), Greek + ".exe", name + " " + Greek + ",\"" + Japanese + " x\" " + Cyrillic + " TIMEOUT=0");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
    auto starts = WaitForProbeRecords(target.report, "start", 1, 10000);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0]["commandline"], target.path + " " + Greek + " " + Japanese + " x " + Cyrillic);
    EXPECT_EQ(starts[0]["exe"], target.path);
    EndProcessesNamed(target.fileName);
}

// A running program whose file name is Greek: UNHIDE shows it, %PROCESSID% names it, TERM ends it.
TEST(AnyAlphabet, InstancesByFileName)
{
    TempFolder folder;
    Probe target =
        PlaceProbe(folder, ProbeFlavour::Gui, Greek + Japanese + "_" + UniqueTargetName("inst"), "Stay=30\r\n");
    DWORD pid = StartProbe(target, SW_HIDE);
    ASSERT_NE(pid, 0u);
    auto starts = WaitForProbeRecords(target.report, "start", 1, 10000);
    ASSERT_EQ(starts.size(), 1u);
    HWND window = ProbeWindow(starts[0]);
    EXPECT_FALSE(IsWindowVisible(window));

    ASSERT_TRUE(MakeFolder(folder / "src"));
    ASSERT_TRUE(WriteWholeFile(folder / "src\\f.txt", "f"));
    std::string ini =
        Section("PREVIOUS", "Program=" + target.path + "\r\nUnhide=1\r\n") +
        Section("OPTIONS", CopyKeys(folder / "src\\f.txt", folder.Path() + "\\" + Cyrillic + "-%PROCESSID%\\"));
    RunResult shown = RunIn(folder.Path(), "Stowlet.exe", "", &ini);
    EXPECT_EQ(shown.exitCode, 0u);
    EXPECT_TRUE(IsWindowVisible(window)) << "UNHIDE";
    EXPECT_TRUE(FileExists(folder / (Cyrillic + "-" + std::to_string(pid) + "\\f.txt"))) << "%PROCESSID%";
    EXPECT_EQ(ReadProbeRecords(target.report, "start").size(), 1u) << "nothing more started";

    // Command-line mode (no settings file beside this copy): TERM by the Greek name.
    TempFolder other;
    std::string name = target.path.substr(0, target.path.size() - 4);
    RunResult ended = RunIn(other.Path(), "Stowlet.exe", "\"" + name + "\" TERM");
    EXPECT_EQ(ended.exitCode, 0u);
    EXPECT_TRUE(WaitUntilNoneNamed(target.fileName, 10000)) << "TERM";
    EndProcessesNamed(target.fileName);
}

// Settings files broken as an encoding can be: no crash, no hang, no box, and every value that
// can be read is: the copy of each still runs.
TEST(AnyAlphabet, BrokenEncodingsStillReadTheRest)
{
    TempFolder folder;
    std::string base = folder.Path();
    ASSERT_TRUE(MakeFolder(folder / Latin));
    ASSERT_TRUE(WriteWholeFile(folder / (Latin + "\\a.txt"), "a"));
    // The source named in the code page's bytes: é is 0xE9 there, no UTF-8.
    std::string ansiSource = base + "\\caf\xE9\\a.txt";
    auto copy = [&](int row) {
        return CopyKeys(base + "\\" + Latin + "\\a.txt", base + "\\dst" + std::to_string(row) + "\\");
    };
    auto utf16 = [](const std::string& text) { return EncodeFile(text, FileEncoding::Utf16Le); };
    struct Case {
        const char* name;
        std::string file;
        bool copies;
    };
    std::vector<Case> cases = {
        {"invalid UTF-8 reads in the code page",
         "; \xC3\x28\r\n[OPTIONS]\r\n" + CopyKeys(ansiSource, base + "\\dst0\\"), true},
        {"a UTF-8 mark alone", "\xEF\xBB\xBF", false},
        {"a UTF-16 mark alone", "\xFF\xFE", false},
        {"odd-length UTF-16", utf16(Section("OPTIONS", copy(3))) + "\x41", true},
        {"NUL bytes in another value", Section("OPTIONS", "Parameters=a" + std::string(1, '\0') + "b\r\n" + copy(4)),
         true},
        {"NUL units in UTF-16", utf16(Section("OPTIONS", "Parameters=a" + std::string(1, '\0') + "b\r\n" + copy(5))),
         true},
        {"no line end at all", Section("OPTIONS", copy(6)).substr(0, Section("OPTIONS", copy(6)).size() - 2), true},
        {"carriage returns alone",
         [&] {
             std::string text = Section("OPTIONS", copy(7));
             for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at + 1, 1);
             return text;
         }(),
         true},
        {"10 MB of UTF-16",
         [&] {
             std::string text = "[FILLER]\r\n";
             for (int i = 0; text.size() < (8u << 20); ++i) text += "K" + std::to_string(i) + "=" + Greek + "\r\n";
             return utf16(text + Section("OPTIONS", copy(8)));
         }(),
         true},
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunResult run = RunIn(base, "Stowlet.exe", "", &c.file);
        EXPECT_FALSE(run.timedOut);
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(run.boxes.empty());
        EXPECT_EQ(FileExists(folder / ("dst" + std::to_string(row++) + "\\a.txt")), c.copies);
    }
}
