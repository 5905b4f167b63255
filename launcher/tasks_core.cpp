#include "launcher/tasks_core.h"

#include <initializer_list>

#include "common/number.h"
#include "common/text.h"

namespace {

// Appends every piece; on the first that does not fit, marks the cut with "...".
template <size_t N> bool Assemble(char (&text)[N], std::initializer_list<const char*> pieces)
{
    text[0] = '\0';
    for (const char* piece : pieces) {
        if (!TextAppend(text, piece)) {
            static_assert(N > 3);
            MarkTextCut(text, N);
            return false;
        }
    }
    return true;
}

enum class Opening { Show, Unhide, Term, Hidden };

// A prompt says what will happen: the program step starts any non-zero Show shown ("TRUE"
// reads as 5), so any such value takes the SHOW row. The other rows compare with exactly 1.
Opening OpeningRow(const TaskSettings& task)
{
    if (FlagSet(task.Show)) return Opening::Show;
    if (FlagIsOne(task.Unhide)) return Opening::Unhide;
    if (FlagIsOne(task.Term)) return Opening::Term;
    return Opening::Hidden;
}

}  // namespace

LaunchChoice LaunchChoiceOf(const TaskSettings& task)
{
    return {FlagSet(task.Term), FlagSet(task.Unhide), FlagSet(task.Show), task.Timeout, 0};
}

uint32_t CutOffMinutes(const TaskSettings& task)
{
    if (!FlagSet(task.CopyModifiedFiles)) return 0;
    // A window past 32 bits of minutes reaches beyond the clock: the longest one takes every file.
    uint64_t minutes = uint64_t(uint32_t(task.CopyModifiedFilesHour)) * 60u + uint32_t(task.CopyModifiedFilesMinute);
    return minutes > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(minutes);
}

int32_t NamesGitBranch(const TaskSettings& task)
{
    static const char name[] = "%GITBRANCHNAME%";
    // FindText answers -1 for a field equal to the name: that field names it too.
    auto names = [](const char* field) { return TextEquals(field, name) || FindText(1, field, name) >= 1; };
    return names(task.CopySource) || names(task.CopyTarget) ? 1 : 0;
}

bool CopyPromptText(const char* source, const char* target, char (&text)[TextCapacity])
{
    return Assemble(text, {"Copy file(s)?\n\n", source, "\n\nTo\n\n", target});
}

bool ExecutePromptText(const TaskSettings& task, const char* program, const char* parameters, const char* workingDir,
                       char (&text)[TextCapacity])
{
    const char* opening = "Execute application in HIDDEN mode?\n\n";
    switch (OpeningRow(task)) {
    case Opening::Show: opening = "Execute and SHOW the application?\n\n"; break;
    case Opening::Unhide: opening = "UNHIDE application?\n\n"; break;
    case Opening::Term: opening = "TERMINATE application?\n\n"; break;
    case Opening::Hidden: break;
    }
    bool withParameters = task.Parameters[0] != '\0';
    bool withDirectory = task.WorkingDir[0] != '\0';
    return Assemble(text,
                    {opening, program, withParameters ? "\n\nParameters:\n\n" : "", withParameters ? parameters : "",
                     withDirectory ? "\n\nWorking Directory:\n\n" : "", withDirectory ? workingDir : ""});
}

bool ExecutePromptCaption(const TaskSettings& task, const char* caption, char (&text)[PathCapacity])
{
    Opening row = OpeningRow(task);
    if (task.Timeout == 0 || row == Opening::Unhide || row == Opening::Term) return Assemble(text, {caption});
    char seconds[DecimalCapacity];
    FormatSignedDecimal(task.Timeout, seconds);
    return Assemble(text, {caption, " [TIMEOUT=", seconds, "]"});
}

const char ExpandedTooLongText[] =
    "The program, its parameters or its working directory are longer than 4095 characters once their macros are "
    "expanded. Nothing was started.\n";

const char UnsafeBranchText[] =
    "The branch name (%GITBRANCHNAME%) in the parameters holds a character the command interpreter would not take "
    "as text (% ! \" or a control character; for cmd itself also & | < > ( ) ^ , ; = and blanks). Nothing was "
    "started.\n";
