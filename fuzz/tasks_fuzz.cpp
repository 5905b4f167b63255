// The task prompts against a plain concatenation: a prompt that claims to fit equals it, one
// that does not is its longest prefix with the cut marked "...".
#include <algorithm>
#include <cstring>
#include <string>

#include "common/text.h"
#include "fuzz/fuzz_input.h"
#include "launcher/tasks_core.h"

namespace {

using fuzz::Show;

template <size_t N> void CheckAssembled(const char* what, bool fit, const char (&text)[N], const std::string& whole)
{
    FUZZ_CHECK(std::memchr(text, 0, N) != nullptr, what, "unterminated");
    std::string expected = fuzz::CutForDisplay(whole, N);
    FUZZ_CHECK(fit == (whole.size() <= N - 1), what, "fit flag for " + Show(whole));
    FUZZ_CHECK(text == expected, what, Show(text) + " expected " + Show(expected));
}

void SetField(char (&field)[TextCapacity], const std::string& text)
{
    (void)TextCopy(field, text.substr(0, TextCapacity - 1).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TaskSettings task;
    std::memset(&task, 0, sizeof task);
    fuzz::Input in(data, size);
    uint8_t flags = in.Byte();
    task.Show = (flags & 3) == 3 ? int32_t(in.Dword()) : flags & 3;
    task.Unhide = (flags >> 2) & 1;
    task.Term = (flags >> 3) & 1;
    task.Timeout = (flags & 0x10) ? int32_t(in.Dword()) : 0;
    task.CopyModifiedFiles = (flags >> 5) & 1;
    task.CopyModifiedFilesHour = int32_t(in.Dword());
    task.CopyModifiedFilesMinute = int32_t(in.Dword());
    std::string a = in.Text(), b = in.Text(), c = in.Text(), caption = in.Text();
    SetField(task.CopySource, a);
    SetField(task.CopyTarget, b);
    SetField(task.Parameters, (flags & 0x40) ? "x" : "");
    SetField(task.WorkingDir, (flags & 0x80) ? "y" : "");

    static char text[TextCapacity];
    CheckAssembled("CopyPromptText", CopyPromptText(a.c_str(), b.c_str(), text), text,
                   "Copy file(s)?\n\n" + a + "\n\nTo\n\n" + b);

    // A prompt says what the program step does with any non-zero flag: Show shows or starts
    // shown, Unhide shows, Term alone ends the instances.
    const TaskDecisions decided = DecideTask(task);
    std::string opening = task.Show != 0     ? "Execute and SHOW the application?\n\n"
                          : task.Unhide != 0 ? "UNHIDE application?\n\n"
                          : task.Term != 0   ? "TERMINATE application?\n\n"
                                             : "Execute application in HIDDEN mode?\n\n";
    std::string whole = opening + a;
    if (task.Parameters[0]) whole += "\n\nParameters:\n\n" + b;
    if (task.WorkingDir[0]) whole += "\n\nWorking Directory:\n\n" + c;
    CheckAssembled("ExecutePromptText", ExecutePromptText(decided, a.c_str(), b.c_str(), c.c_str(), text), text, whole);

    char title[PathCapacity];
    std::string expectedTitle = caption;
    bool takesTimeout = task.Show != 0 || (task.Unhide == 0 && task.Term == 0);
    if (task.Timeout != 0 && takesTimeout) expectedTitle += " [TIMEOUT=" + std::to_string(task.Timeout) + "]";
    CheckAssembled("ExecutePromptCaption", ExecutePromptCaption(decided, caption.c_str(), title), title, expectedTitle);

    bool names = std::string(task.CopySource).find("%GITBRANCHNAME%") != std::string::npos ||
                 std::string(task.CopyTarget).find("%GITBRANCHNAME%") != std::string::npos;
    FUZZ_CHECK(decided.SkipGitFolders == names, "SkipGitFolders", Show(task.CopySource) + " " + Show(task.CopyTarget));

    // Read as unsigned; a window past 32 bits of minutes stays at the longest.
    uint64_t wide = uint64_t(uint32_t(task.CopyModifiedFilesHour)) * 60u + uint32_t(task.CopyModifiedFilesMinute);
    uint32_t minutes = task.CopyModifiedFiles ? uint32_t(std::min<uint64_t>(wide, 0xFFFFFFFFu)) : 0u;
    FUZZ_CHECK(decided.CutOffMinutes == minutes, "CutOffMinutes");
    return 0;
}
