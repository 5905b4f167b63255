#include "launcher/tasks_core.h"

#include "common/number.h"
#include "common/text.h"

namespace {

enum class Opening { Show, Unhide, Term, Hidden };

// The row of what the program step does (ChooseLaunchAction's order): Show shows an instance or
// starts the program shown; Unhide shows one; Term alone ends them; else a hidden start.
Opening OpeningRow(const TaskDecisions& decided)
{
    if (decided.Show) return Opening::Show;
    if (decided.Unhide) return Opening::Unhide;
    if (decided.Term) return Opening::Term;
    return Opening::Hidden;
}

}  // namespace

LaunchChoice LaunchChoiceOf(const TaskDecisions& decided)
{
    return {decided.Term, decided.Unhide, decided.Show, decided.Timeout, 0};
}

bool CopyPromptText(const char* source, const char* target, char (&text)[TextCapacity])
{
    return TextJoin(text, {"Copy file(s)?\n\n", source, "\n\nTo\n\n", target});
}

bool ExecutePromptText(const TaskDecisions& decided, const char* program, const char* parameters,
                       const char* workingDir, char (&text)[TextCapacity])
{
    const char* opening = "Execute application in HIDDEN mode?\n\n";
    switch (OpeningRow(decided)) {
    case Opening::Show: opening = "Execute and SHOW the application?\n\n"; break;
    case Opening::Unhide: opening = "UNHIDE application?\n\n"; break;
    case Opening::Term: opening = "TERMINATE application?\n\n"; break;
    case Opening::Hidden: break;
    }
    bool withParameters = decided.ParametersGiven;
    bool withDirectory = decided.WorkingDirGiven;
    return TextJoin(text,
                    {opening, program, withParameters ? "\n\nParameters:\n\n" : "", withParameters ? parameters : "",
                     withDirectory ? "\n\nWorking Directory:\n\n" : "", withDirectory ? workingDir : ""});
}

bool ExecutePromptCaption(const TaskDecisions& decided, const char* caption, char (&text)[PathCapacity])
{
    Opening row = OpeningRow(decided);
    if (decided.Timeout.Stored == 0 || row == Opening::Unhide || row == Opening::Term) return TextJoin(text, {caption});
    char seconds[DecimalCapacity];
    FormatSignedDecimal(decided.Timeout.Stored, seconds);
    return TextJoin(text, {caption, " [TIMEOUT=", seconds, "]"});
}

const char ExpandedTooLongText[] =
    "The program, its parameters or its working directory are longer than 4095 characters once their macros are "
    "expanded. Nothing was started.\n";

const char UnsafeBranchText[] =
    "The branch name (%GITBRANCHNAME%) in the parameters holds a character the command interpreter would not take "
    "as text (% ! \" or a control character; for cmd itself also & | < > ( ) ^ , ; = and blanks). Nothing was "
    "started.\n";
