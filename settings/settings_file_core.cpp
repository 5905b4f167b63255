#include "settings/settings_file_core.h"

#include <cstddef>

#include "common/text.h"

#define STOWLET_KEY(name, kind, readDefault, control)                            \
    {                                                                            \
#name, KeyKind::kind, readDefault, control, offsetof(TaskSettings, name) \
    }

const SettingsKey SettingsKeys[SettingsKeyCount] = {
    STOWLET_KEY(CopySource, Text, 0, 3),
    STOWLET_KEY(CopySubFolders, Flag, 1, 5),
    STOWLET_KEY(CopyTarget, Text, 0, 7),
    STOWLET_KEY(CopyOverwrite, Flag, 1, 9),
    STOWLET_KEY(Program, Text, 0, 11),
    STOWLET_KEY(Parameters, Text, 0, 14),
    STOWLET_KEY(WorkingDir, Text, 0, 17),
    STOWLET_KEY(Unhide, Flag, 0, 20),
    STOWLET_KEY(Show, Show, 0, 21),
    STOWLET_KEY(AskExecute, Flag, 0, 25),
    STOWLET_KEY(Term, Flag, 0, 24),
    STOWLET_KEY(CopyAfterExecute, Flag, 0, 26),
    STOWLET_KEY(AskCopy, Flag, 0, 27),
    STOWLET_KEY(Timeout, Number, 0, 39),
    STOWLET_KEY(CopyBeforeExecute, Flag, 0, 22),
    STOWLET_KEY(AskCopyBefore, Flag, 0, 23),
    STOWLET_KEY(CopyModifiedFiles, Flag, 0, 28),
    STOWLET_KEY(CopyModifiedFilesHour, Number, 0, 30),
    STOWLET_KEY(CopyModifiedFilesMinute, Number, 0, 35),
};

#undef STOWLET_KEY

const char* const SectionNames[2] = {"PREVIOUS", "OPTIONS"};

char* TextField(TaskSettings& task, const SettingsKey& key) { return reinterpret_cast<char*>(&task) + key.Offset; }

int32_t& NumberField(TaskSettings& task, const SettingsKey& key)
{
    return *reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&task) + key.Offset);
}

bool QuoteForProfile(char* text, size_t capacity)
{
    size_t length = TextLengthWithin(text, capacity);
    if (length == 0 || length == capacity) return true;
    char first = text[0];
    if ((first != '"' && first != '\'') || text[length - 1] != first) return true;
    if (length + 2 >= capacity) return false;
    CopyBytes(text, text + 1, length);
    text[0] = first;
    text[length + 1] = first;
    text[length + 2] = '\0';
    return true;
}
