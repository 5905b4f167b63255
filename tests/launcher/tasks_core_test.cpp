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
    ExecutePromptCaption(DecideTask(task), "MAIN TASK: Please confirm", caption);
    return caption;
}

std::string Text(const TaskSettings& task, const char* program, const char* parameters = "", const char* directory = "")
{
    static char text[TextCapacity];
    ExecutePromptText(DecideTask(task), program, parameters, directory, text);
    return text;
}

}  // namespace

// A prompt says what the program step will do, for every stored value: TERMINATE when it ends
// the running instances, UNHIDE when it only shows one, SHOW when it shows one or starts the
// program shown, HIDDEN when it starts it hidden. The two that start a program give the time-out.
TEST(TaskPrompts, OpeningSaysWhatTheStepDoes)
{
    const int32_t stored[] = {0, 1, 2, 5, -1};  // 1 and 5 from "TRUE", 2 from the command line
    for (int32_t show : stored)
        for (int32_t unhide : stored)
            for (int32_t term : stored) {
                TaskSettings& task = Fresh();
                task.Show = show, task.Unhide = unhide, task.Term = term, task.Timeout = 30;
                LaunchChoice choice = LaunchChoiceOf(DecideTask(task));
                std::string opening, caption = "MAIN TASK: Please confirm";
                switch (ChooseLaunchAction(choice.Term, choice.Unhide, choice.Show)) {
                case LaunchAction::TerminateInstances: opening = "TERMINATE application?"; break;
                case LaunchAction::ShowInstance:
                    opening = choice.Show ? "Execute and SHOW the application?" : "UNHIDE application?";
                    if (choice.Show) caption += " [TIMEOUT=30]";
                    break;
                case LaunchAction::Execute:
                    opening = "Execute application in HIDDEN mode?";
                    caption += " [TIMEOUT=30]";
                    break;
                }
                std::string where = "Show=" + std::to_string(show) + " Unhide=" + std::to_string(unhide) +
                                    " Term=" + std::to_string(term);
                EXPECT_EQ(Text(task, "x"), opening + "\n\nx") << where;
                EXPECT_EQ(Caption(task), caption) << where;
            }
}

// The caption gives the time-out as the file holds it, a stored -1 as -1.
TEST(TaskPrompts, TimeOutAsStored)
{
    TaskSettings& task = Fresh();
    for (int32_t timeout : {-1, -5, 7})
        EXPECT_EQ((task.Timeout = timeout, Caption(task)),
                  "MAIN TASK: Please confirm [TIMEOUT=" + std::to_string(timeout) + "]");
    task.Timeout = 0;
    EXPECT_EQ(Caption(task), "MAIN TASK: Please confirm");
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
    EXPECT_FALSE(ExecutePromptText(DecideTask(task), program.c_str(), parameters.c_str(), "", text));
    std::string shown = text;
    EXPECT_LT(shown.size(), sizeof text);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    EXPECT_EQ(shown.substr(shown.size() - 6, 3), "\xE6\x97\xA5") << "a cut never splits a character";
    char caption[PathCapacity];
    task.Timeout = 7;
    std::string longCaption;
    for (int i = 0; i < 258; ++i) longCaption += "\xE6\x97\xA5";
    EXPECT_FALSE(ExecutePromptCaption(DecideTask(task), longCaption.c_str(), caption));
    shown = caption;
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
}

TEST(TaskSteps, CutOffAndGitBranchRule)
{
    TaskSettings& task = Fresh();
    task.CopyModifiedFilesHour = 2;
    task.CopyModifiedFilesMinute = 30;
    EXPECT_EQ(DecideTask(task).CutOffMinutes, 0u);
    task.CopyModifiedFiles = 1;
    EXPECT_EQ(DecideTask(task).CutOffMinutes, 150u);
    // A window longer than the clock's reach takes every file, even one written at the clock's
    // first moment; it never wraps to a short one (71582789 hours are 44 minutes past 2^32).
    const uint64_t start = 133000000000000000ull;  // a run in 2022, in 100 ns units
    for (int32_t hours : {71582789, -1, INT32_MAX}) {
        task.CopyModifiedFilesHour = hours;
        EXPECT_TRUE(PassesCutOff(0, DecideTask(task).CutOffMinutes, start)) << hours;
    }
    task.CopyModifiedFilesHour = 1;
    task.CopyModifiedFilesMinute = 0;
    EXPECT_FALSE(PassesCutOff(0, DecideTask(task).CutOffMinutes, start));

    std::strcpy(task.CopyTarget, "D:\\bak");
    EXPECT_FALSE(DecideTask(task).SkipGitFolders);
    std::strcpy(task.CopyTarget, "D:\\bak\\%GITBRANCHNAME%");
    EXPECT_TRUE(DecideTask(task).SkipGitFolders);
    std::strcpy(task.CopyTarget, "%GITBRANCHNAME%");  // a field equal to the name contains it
    EXPECT_TRUE(DecideTask(task).SkipGitFolders);
    std::strcpy(task.CopyTarget, "%gitbranchname%");
    EXPECT_FALSE(DecideTask(task).SkipGitFolders);
    std::strcpy(task.CopySource, "C:\\repo\\%GITBRANCHNAME%\\");
    EXPECT_TRUE(DecideTask(task).SkipGitFolders);
}

// The program step counts a flag as set whatever non-zero value the file stored.
TEST(TaskSteps, ProgramChoicesCountAnyNonZeroFlag)
{
    for (int32_t stored : {0, 1, 2, -1, 5}) {
        TaskSettings& task = Fresh();
        task.Term = task.Unhide = task.Show = stored;
        task.Timeout = -3;
        LaunchChoice choice = LaunchChoiceOf(DecideTask(task));
        EXPECT_EQ(choice.Term, stored != 0) << stored;
        EXPECT_EQ(choice.Unhide, stored != 0) << stored;
        EXPECT_EQ(choice.Show, stored != 0) << stored;
        EXPECT_EQ(choice.Timeout.Stored, -3);
    }
}
