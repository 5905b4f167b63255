#include "settings/settings_file_core.h"

#include <cstddef>
#include <initializer_list>

#include "common/number.h"
#include "common/text.h"
#include "common/timeout.h"

#define STOWLET_KEY(name, kind, readDefault)                            \
    {                                                                   \
#name, KeyKind::kind, readDefault, offsetof(TaskSettings, name) \
    }

const SettingsKey SettingsKeys[SettingsKeyCount] = {
    STOWLET_KEY(CopySource, Text, 0),
    {"CopySubFolders", KeyKind::Flag, 1, offsetof(TaskSettings, CopySubFolders), SubfoldersReading},
    STOWLET_KEY(CopyTarget, Text, 0),
    STOWLET_KEY(CopyOverwrite, Flag, 1),
    STOWLET_KEY(Program, Text, 0),
    STOWLET_KEY(Parameters, Text, 0),
    STOWLET_KEY(WorkingDir, Text, 0),
    STOWLET_KEY(Unhide, Flag, 0),
    STOWLET_KEY(Show, Show, 0),
    STOWLET_KEY(AskExecute, Flag, 0),
    STOWLET_KEY(Term, Flag, 0),
    STOWLET_KEY(CopyAfterExecute, Flag, 0),
    STOWLET_KEY(AskCopy, Flag, 0),
    STOWLET_KEY(Timeout, Number, 0),
    STOWLET_KEY(CopyBeforeExecute, Flag, 0),
    STOWLET_KEY(AskCopyBefore, Flag, 0),
    STOWLET_KEY(CopyModifiedFiles, Flag, 0),
    STOWLET_KEY(CopyModifiedFilesHour, Number, 0),
    STOWLET_KEY(CopyModifiedFilesMinute, Number, 0),
};

#undef STOWLET_KEY

const char* const SectionNames[2] = {"PREVIOUS", "OPTIONS"};

static_assert(NumberKeysPerTask == 3, "Timeout, CopyModifiedFilesHour, CopyModifiedFilesMinute");

int32_t NumberKeyPlace(int32_t keyIndex)
{
    if (keyIndex < 0 || keyIndex >= SettingsKeyCount || SettingsKeys[keyIndex].Kind != KeyKind::Number) return -1;
    int32_t place = 0;
    for (int32_t i = 0; i < keyIndex; ++i) place += SettingsKeys[i].Kind == KeyKind::Number ? 1 : 0;
    return place;
}

const char* TypedNumber(const TaskRecords& tasks, TaskId id, int32_t keyIndex)
{
    int32_t place = NumberKeyPlace(keyIndex);
    if (place < 0 || !(tasks.TypedKeysOf(id) & (1u << keyIndex))) return nullptr;
    return tasks.TypedNumbers[id == TaskId::Previous ? 0 : 1][place];
}

bool SetTypedNumber(TaskRecords& tasks, TaskId id, int32_t keyIndex, const char* typed)
{
    int32_t place = NumberKeyPlace(keyIndex);
    if (place < 0 || TextLengthWithin(typed, PathCapacity) == PathCapacity) return false;
    (void)TextCopy(tasks.TypedNumbers[id == TaskId::Previous ? 0 : 1][place], typed);
    tasks.TypedKeysOf(id) |= 1u << keyIndex;
    NumberField(tasks.Of(id), SettingsKeys[keyIndex]) = ProfileNumber(typed);
    return true;
}

char* TextField(TaskSettings& task, const SettingsKey& key) { return reinterpret_cast<char*>(&task) + key.Offset; }

const char* TextField(const TaskSettings& task, const SettingsKey& key)
{
    return reinterpret_cast<const char*>(&task) + key.Offset;
}

int32_t& NumberField(TaskSettings& task, const SettingsKey& key)
{
    return *reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&task) + key.Offset);
}

int32_t NumberField(const TaskSettings& task, const SettingsKey& key)
{
    return *reinterpret_cast<const int32_t*>(reinterpret_cast<const char*>(&task) + key.Offset);
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

int32_t ProfileNumber(const char* text)
{
    while (*text && uint8_t(*text) <= ' ') ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    size_t length = 0;
    while (text[length] >= '0' && text[length] <= '9') ++length;
    if (!negative) return int32_t(ParseDecimalSaturating(text, length, LongestWait));
    // A magnitude past 2^31 stays at the most negative value, whose seconds are still past any wait.
    uint32_t magnitude = ParseDecimalSaturating(text, length, 0x80000000u);
    return int32_t(0u - magnitude);
}

int32_t ProfileInteger(const char* text, int32_t readDefault)
{
    if (!text[0]) return readDefault;
    while (*text && uint8_t(*text) <= ' ') ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    // "0b", "0o" and "0x" (lower case) choose the base, as the system's string-to-integer does.
    uint32_t base = 10;
    if (text[0] == '0' && (text[1] == 'b' || text[1] == 'o' || text[1] == 'x')) {
        base = text[1] == 'b' ? 2 : text[1] == 'o' ? 8 : 16;
        text += 2;
    }
    uint32_t value = 0;
    for (;; ++text) {
        char c = *text;
        uint32_t digit = c >= '0' && c <= '9'   ? uint32_t(c - '0')
                         : c >= 'a' && c <= 'z' ? uint32_t(c - 'a' + 10)
                         : c >= 'A' && c <= 'Z' ? uint32_t(c - 'A' + 10)
                                                : 99;
        if (digit >= base) break;
        value = value * base + digit;
    }
    return int32_t(negative ? 0u - value : value);
}

namespace {

bool IsAsciiDigitOf(char c, uint32_t base)
{
    uint32_t digit = c >= '0' && c <= '9'   ? uint32_t(c - '0')
                     : c >= 'a' && c <= 'z' ? uint32_t(c - 'a' + 10)
                     : c >= 'A' && c <= 'Z' ? uint32_t(c - 'A' + 10)
                                            : 99;
    return digit < base;
}

struct ProblemWalk {
    TaskId Task;
    uint32_t Seen;  // one bit per key of SettingsKeys met so far
    SettingsProblemSink Sink;
    void* Context;
};

bool VisitTaskKey(void* context, const char* name, const char* value)
{
    ProblemWalk& walk = *static_cast<ProblemWalk*>(context);
    int32_t index = -1;
    for (int32_t i = 0; i < SettingsKeyCount && index < 0; ++i)
        if (TextEqualsIgnoreCase(name, SettingsKeys[i].Name)) index = i;
    if (index >= 0 && (walk.Seen & (1u << index))) return true;
    if (index >= 0) walk.Seen |= 1u << index;
    // The reader drops one pair of enclosing quotes before it reads the number.
    char unquoted[TextCapacity];
    size_t length = TextLength(value);
    if (length >= 2 && value[0] == value[length - 1] && (value[0] == '"' || value[0] == '\''))
        (void)TextCopyN(unquoted, sizeof unquoted, value + 1, length - 2);
    else
        (void)TextCopy(unquoted, value);
    if (index < 0 || !ValueReadsAsKind(SettingsKeys[index].Kind, unquoted))
        walk.Sink(walk.Context, {walk.Task, name, value, index});
    return true;
}

}  // namespace

bool ValueReadsAsKind(KeyKind kind, const char* text)
{
    if (kind == KeyKind::Text) return true;
    size_t begin = 0, end = TextLength(text);
    while (begin < end && uint8_t(text[begin]) <= ' ') ++begin;
    while (end > begin && uint8_t(text[end - 1]) <= ' ') --end;
    if (begin == end) return true;
    char word[8];
    if (kind != KeyKind::Number && end - begin < sizeof word &&
        TextCopyN(word, sizeof word, text + begin, end - begin) &&
        (TextEqualsIgnoreCase(word, "TRUE") || TextEqualsIgnoreCase(word, "FALSE")))
        return true;
    if (text[begin] == '-' || text[begin] == '+') ++begin;
    uint32_t base = 10;
    if (kind != KeyKind::Number && end - begin > 2 && text[begin] == '0' &&
        (text[begin + 1] == 'b' || text[begin + 1] == 'o' || text[begin + 1] == 'x')) {
        base = text[begin + 1] == 'b' ? 2 : text[begin + 1] == 'o' ? 8 : 16;
        begin += 2;
    }
    if (begin == end) return false;
    for (size_t i = begin; i < end; ++i)
        if (!IsAsciiDigitOf(text[i], base)) return false;
    return true;
}

void FindSettingsProblems(const IniDocument& document, SettingsProblemSink sink, void* context)
{
    for (TaskId id : {TaskId::Previous, TaskId::Main}) {
        ProblemWalk walk = {id, 0, sink, context};
        ForEachIniKey(document, SectionNames[size_t(id)], VisitTaskKey, &walk);
    }
}
