// Batch files end to end: the command interpreter gets a batch file's path whole and a branch
// name (text from outside the settings file) as text, while the parameters the user wrote keep
// their meaning.
#include <gtest/gtest.h>

#include <string>

#include "support/runner.h"

namespace {

// Writes its first two arguments, unquoted (%~1), to ran.txt in the current folder (the
// task's WorkingDir). Delayed expansion reads them after the line is parsed, so what they hold
// cannot act there.
constexpr char MarkBatch[] =
    "@echo off\r\nset \"first=%~1\"\r\nset \"second=%~2\"\r\n"
    "setlocal EnableDelayedExpansion\r\n>ran.txt echo !first!/!second!\r\n";

bool AnyLineHas(const RunResult& run, const std::string& part)
{
    for (const std::string& line : run.debugLines)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(BatchFile, PathAndBranchReachTheInterpreterAsText)
{
    struct Case {
        const char* folder;      // holds the batch file and, with a branch, the repository
        const char* program;     // empty: the batch file itself
        const char* parameters;  // %BATCH% stands for the batch file's path
        const char* branch;      // the HEAD's branch; empty: no repository
        const char* ran;         // what the batch file wrote; empty: it did not run
        const char* debugLine;   // a piece of the line that says why it did not
    } cases[] = {
        {"R&D", "", "one \"t w o\"", "", "one/t w o", ""},
        {"a (b)", "", "", "", "/", ""},
        {"x!y^,;=", "", "a=b", "", "a/b", ""},  // = splits a batch file's arguments, as ever
        {"p%OS%", "", "", "", "/", ""},
        {"R&D", "", "%GITBRANCHNAME% \"%GITBRANCHNAME%\"", "x&echo>planted", "x&echo>planted/x&echo>planted", ""},
        {"R&D", "", "%GITBRANCHNAME%", "50%off", "", "The branch name (%GITBRANCHNAME%)"},
        {"R&D", "cmd", "/c %BATCH% %GITBRANCHNAME%", "x&echo>planted", "", "The branch name (%GITBRANCHNAME%)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + " " + c.parameters + " " + c.branch);
        // Wine's command interpreter expands a variable's value once more, so a path holding % is
        // read with that value expanded; Windows expands it once.
        if (UnderWine() && std::string(c.folder).find('%') != std::string::npos) continue;
        TempFolder folder;
        std::string work = folder / c.folder;
        MakeFolders(work);
        std::string batch = work + "\\mark.cmd";
        ASSERT_TRUE(WriteWholeFile(batch, MarkBatch));
        if (c.branch[0]) {
            MakeFolders(work + "\\.git");
            ASSERT_TRUE(WriteWholeFile(work + "\\.git\\HEAD", std::string("ref: refs/heads/") + c.branch + "\n"));
        }
        std::string parameters = c.parameters;
        if (size_t at = parameters.find("%BATCH%"); at != std::string::npos) parameters.replace(at, 7, batch);
        RunOptions options;
        options.folder = folder.Path();
        options.ini =
            Section("OPTIONS", "Program=" + (c.program[0] ? std::string(c.program) : batch) +
                                   "\r\nParameters=" + parameters + "\r\nWorkingDir=" + work + "\r\nTimeout=60\r\n");
        options.invisibleStation = true;  // a refusal's box becomes a debug line
        options.captureDebug = true;
        RunResult run = RunStowlet(options);
        ASSERT_TRUE(run.started);
        EXPECT_FALSE(run.timedOut);
        std::string ran = ReadWholeFile(work + "\\ran.txt");
        EXPECT_EQ(ran, c.ran[0] ? std::string(c.ran) + "\r\n" : "");
        if (c.debugLine[0]) {
            EXPECT_TRUE(AnyLineHas(run, c.debugLine));
        }
        EXPECT_FALSE(FileExists(work + "\\planted"));
        EXPECT_FALSE(FileExists(folder / "planted"));
    }
}
