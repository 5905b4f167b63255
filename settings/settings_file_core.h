// The settings file's layout without platform calls: the two sections, the 19 keys of each
// in the order they are read and written, their read defaults, the reading of a number, and
// the quoting that lets a value survive the profile reader.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/ini_text_core.h"
#include "settings/task_settings.h"

enum class KeyKind { Text, Flag, Show, Number };

struct SettingsKey {
    const char* Name;
    KeyKind Kind;
    int32_t ReadDefault;                         // flags and numbers; texts read as empty
    size_t Offset;                               // of the field in TaskSettings
    FlagReading Reading = FlagReading::NonZero;  // a flag's: what its stored integer means
};

constexpr int32_t SettingsKeyCount = 19;
extern const SettingsKey SettingsKeys[SettingsKeyCount];

// Index by TaskId: 0 PREVIOUS, 1 OPTIONS.
extern const char* const SectionNames[2];
char* TextField(TaskSettings& task, const SettingsKey& key);
const char* TextField(const TaskSettings& task, const SettingsKey& key);
int32_t& NumberField(TaskSettings& task, const SettingsKey& key);
int32_t NumberField(const TaskSettings& task, const SettingsKey& key);

// A number key's place among the number keys (0 up to NumberKeysPerTask), or -1 for another.
int32_t NumberKeyPlace(int32_t keyIndex);
// The text the settings window's user typed for a number key, to be saved as it stands; null
// when the key was not changed there (it is saved as the integer the record holds).
const char* TypedNumber(const TaskRecords& tasks, TaskId id, int32_t keyIndex);
// Keeps typed as the number key's text to save, and its reading in the record. False, with
// nothing changed, when it is not a number key or the text does not fit.
bool SetTypedNumber(TaskRecords& tasks, TaskId id, int32_t keyIndex, const char* typed);

// A number key's text as the profile reader reads an integer: blanks skipped, an optional sign,
// the digit run. A run past 32 bits saturates instead of wrapping (LongestWait upwards, the most
// negative value downwards), so a time-out or a modified-files window typed too long stays long.
int32_t ProfileNumber(const char* text);

// A flag's text as the profile functions read an integer (GetPrivateProfileInt): readDefault
// for an empty text; otherwise characters up to a blank skipped, an optional sign, a base
// prefix ("0b", "0o", "0x"), the digit run in that base, wrapping at 32 bits.
int32_t ProfileInteger(const char* text, int32_t readDefault);

// The profile reader strips one pair of enclosing quotes (" or '), so a value that begins and
// ends with the same quote gets one more pair around it and reads back as typed. Empty texts
// and texts that begin and end differently stay as they are. False, with the text unchanged,
// when the wrapped form would not fit capacity: such a value would not read back as typed.
[[nodiscard]] bool QuoteForProfile(char* text, size_t capacity);
template <size_t N> [[nodiscard]] bool QuoteForProfile(char (&text)[N]) { return QuoteForProfile(text, N); }

// Whether a flag's or number's text is one: blanks around it, an optional sign and the digits
// (for a flag also a base prefix as ProfileInteger takes it, or TRUE or FALSE in any letter
// case); an empty text reads as the default. Texts always are.
bool ValueReadsAsKind(KeyKind kind, const char* text);

// What a task section holds that a run cannot use, as the run's record names it first.
struct SettingsProblem {
    TaskId Task;
    const char* Key;    // the key's name as the file spells it (UTF-8)
    const char* Value;  // its value as the file has it
    int32_t KeyIndex;   // in SettingsKeys; -1 for a key no task has
};
using SettingsProblemSink = void (*)(void* context, const SettingsProblem& problem);
// Every key of the two task sections that no task has, and every flag or number whose value
// does not read as its kind, in file order, PREVIOUS first. A repeated key counts once: the
// reader takes its first line.
void FindSettingsProblems(const IniDocument& document, SettingsProblemSink sink, void* context);
