#include "settings/task_settings.h"

#include "common/text.h"

namespace {

bool NamesGitBranch(const char* field)
{
    static const char name[] = "%GITBRANCHNAME%";
    // FindText answers -1 for a field equal to the name: that field names it too.
    return TextEquals(field, name) || FindText(1, field, name) >= 1;
}

}  // namespace

TaskDecisions DecideTask(const TaskSettings& task)
{
    TaskDecisions decided = {};
    bool source = task.CopySource[0] != '\0';
    decided.CopyBefore = source && FlagOn(task.CopyBeforeExecute);
    decided.AskCopyBefore = FlagOn(task.AskCopyBefore);
    decided.RunProgram = task.Program[0] != '\0';
    decided.AskExecute = FlagOn(task.AskExecute);
    decided.ParametersGiven = task.Parameters[0] != '\0';
    decided.WorkingDirGiven = task.WorkingDir[0] != '\0';
    decided.CopyAfter = source && FlagOn(task.CopyAfterExecute);
    decided.AskCopy = FlagOn(task.AskCopy);
    decided.Subfolders = FlagOn(task.CopySubFolders, SubfoldersReading);
    decided.Overwrite = FlagOn(task.CopyOverwrite);
    decided.SkipGitFolders = NamesGitBranch(task.CopySource) || NamesGitBranch(task.CopyTarget);
    if (FlagOn(task.CopyModifiedFiles)) {
        // A window past 32 bits of minutes reaches beyond the clock: the longest takes every file.
        uint64_t minutes =
            uint64_t(uint32_t(task.CopyModifiedFilesHour)) * 60u + uint32_t(task.CopyModifiedFilesMinute);
        decided.CutOffMinutes = minutes > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(minutes);
    }
    decided.Term = FlagOn(task.Term);
    decided.Unhide = FlagOn(task.Unhide);
    decided.Show = FlagOn(task.Show);
    decided.Timeout = {task.Timeout};
    return decided;
}
