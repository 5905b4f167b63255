#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "filecopy/file_copy_core.h"
#include "launcher/tasks_core.h"

namespace {

TaskSettings& Fresh()
{
    static TaskSettings task;
    std::memset(&task, 0, sizeof task);
    return task;
}

std::string Caption(const TaskSettings& task)
{
    char caption[PathCapacity];
    ExecutePromptCaption(task, "MAIN TASK: Please confirm", caption);
    return caption;
}

std::string Text(const TaskSettings& task, const char* program, const char* parameters = "", const char* directory = "")
{
    static char text[TextCapacity];
    ExecutePromptText(task, program, parameters, directory, text);
    return text;
}

}  // namespace

TEST(TaskPrompts, OpeningRowsCompareWithExactlyOne)
{
    TaskSettings& task = Fresh();
    task.AskExecute = 1;
    task.Show = 1;
    task.Timeout = 30;
    EXPECT_EQ(Caption(task), "MAIN TASK: Please confirm [TIMEOUT=30]");
    EXPECT_EQ(Text(task, "notepad"), "Execute and SHOW the application?\n\nnotepad");

    task.Show = 0;
    task.Term = 1;
    EXPECT_EQ(Caption(task), "MAIN TASK: Please confirm");
    EXPECT_EQ(Text(task, "notepad"), "TERMINATE application?\n\nnotepad");

    task.Show = 0;
    task.Term = 0;
    task.Unhide = 1;
    EXPECT_EQ(Text(task, "x"), "UNHIDE application?\n\nx");
    EXPECT_EQ(Caption(task), "MAIN TASK: Please confirm");
    task.Unhide = 0;
    // A prompt says what will happen: "TRUE" is read as 5, and the program step starts any
    // non-zero Show shown, so the SHOW wording and its time-out suffix.
    for (int32_t unhide : {0, 1}) {
        task.Show = 5;
        task.Unhide = unhide;
        EXPECT_EQ(Text(task, "x"), "Execute and SHOW the application?\n\nx");
        EXPECT_EQ(Caption(task), "MAIN TASK: Please confirm [TIMEOUT=30]");
    }
    task.Show = 0;
    task.Unhide = 2;  // the command line's value is not 1 either
    EXPECT_EQ(Text(task, "x"), "Execute application in HIDDEN mode?\n\nx");
    EXPECT_EQ(Caption(task), "MAIN TASK: Please confirm [TIMEOUT=30]");
    task.Timeout = -5;
    EXPECT_EQ(Caption(task), "MAIN TASK: Please confirm [TIMEOUT=-5]");
}

TEST(TaskPrompts, PartsFollowTheUnexpandedFields)
{
    TaskSettings& task = Fresh();
    std::strcpy(task.Parameters, "%DATE%");
    std::strcpy(task.WorkingDir, "%TEMPDIR%");
    EXPECT_EQ(
        Text(task, "app", "20261205", "C:\\Temp"),
        "Execute application in HIDDEN mode?\n\napp\n\nParameters:\n\n20261205\n\nWorking Directory:\n\nC:\\Temp");
    task.Parameters[0] = '\0';
    EXPECT_EQ(Text(task, "app", "ignored", "C:\\Temp"),
              "Execute application in HIDDEN mode?\n\napp\n\nWorking Directory:\n\nC:\\Temp");
    char copy[TextCapacity];
    EXPECT_TRUE(CopyPromptText("C:\\src\\*.txt", "D:\\bak\\", copy));
    EXPECT_STREQ(copy, "Copy file(s)?\n\nC:\\src\\*.txt\n\nTo\n\nD:\\bak\\");
}

TEST(TaskPrompts, TooLongTextsAreMarkedNotOverflowed)
{
    TaskSettings& task = Fresh();
    std::strcpy(task.Parameters, "p");
    // 4095 Japanese characters each: three bytes of UTF-8 apiece.
    std::string program, parameters;
    for (int i = 0; i < 4095; ++i) program += "\xE6\x97\xA5", parameters += "\xE6\x9C\xAC";
    char text[TextCapacity];
    EXPECT_FALSE(ExecutePromptText(task, program.c_str(), parameters.c_str(), "", text));
    std::string shown = text;
    EXPECT_LT(shown.size(), sizeof text);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    EXPECT_EQ(shown.substr(shown.size() - 6, 3), "\xE6\x97\xA5") << "a cut never splits a character";
    char caption[PathCapacity];
    task.Timeout = 7;
    std::string longCaption;
    for (int i = 0; i < 258; ++i) longCaption += "\xE6\x97\xA5";
    EXPECT_FALSE(ExecutePromptCaption(task, longCaption.c_str(), caption));
    shown = caption;
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
}

TEST(TaskSteps, CutOffAndGitBranchRule)
{
    TaskSettings& task = Fresh();
    task.CopyModifiedFilesHour = 2;
    task.CopyModifiedFilesMinute = 30;
    EXPECT_EQ(CutOffMinutes(task), 0u);
    task.CopyModifiedFiles = 1;
    EXPECT_EQ(CutOffMinutes(task), 150u);
    // A window longer than the clock's reach takes every file, even one written at the clock's
    // first moment; it never wraps to a short one (71582789 hours are 44 minutes past 2^32).
    const uint64_t start = 133000000000000000ull;  // a run in 2022, in 100 ns units
    for (int32_t hours : {71582789, -1, INT32_MAX}) {
        task.CopyModifiedFilesHour = hours;
        EXPECT_TRUE(PassesCutOff(0, CutOffMinutes(task), start)) << hours;
    }
    task.CopyModifiedFilesHour = 1;
    task.CopyModifiedFilesMinute = 0;
    EXPECT_FALSE(PassesCutOff(0, CutOffMinutes(task), start));

    std::strcpy(task.CopyTarget, "D:\\bak");
    EXPECT_EQ(NamesGitBranch(task), 0);
    std::strcpy(task.CopyTarget, "D:\\bak\\%GITBRANCHNAME%");
    EXPECT_EQ(NamesGitBranch(task), 1);
    std::strcpy(task.CopyTarget, "%GITBRANCHNAME%");  // a field equal to the name contains it
    EXPECT_EQ(NamesGitBranch(task), 1);
    std::strcpy(task.CopyTarget, "%gitbranchname%");
    EXPECT_EQ(NamesGitBranch(task), 0);
    std::strcpy(task.CopySource, "C:\\repo\\%GITBRANCHNAME%\\");
    EXPECT_EQ(NamesGitBranch(task), 1);
}

// The program step counts a flag as set whatever non-zero value the file stored.
TEST(TaskSteps, ProgramChoicesCountAnyNonZeroFlag)
{
    for (int32_t stored : {0, 1, 2, -1, 5}) {
        TaskSettings& task = Fresh();
        task.Term = task.Unhide = task.Show = stored;
        task.Timeout = -3;
        LaunchChoice choice = LaunchChoiceOf(task);
        EXPECT_EQ(choice.Term, stored != 0) << stored;
        EXPECT_EQ(choice.Unhide, stored != 0) << stored;
        EXPECT_EQ(choice.Show, stored != 0) << stored;
        EXPECT_EQ(choice.Timeout, -3);
    }
}
