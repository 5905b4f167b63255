#include "settings/settings_file.h"

#include <initializer_list>

#include "common/number.h"
#include "common/text.h"
#include "common/unattended.h"
#include "common/unicode.h"
#include "settings/ini_file.h"

namespace {

// A field's value: TextUnitLimit units as UTF-8 at most, so a value the reader did not cut fits.
using ValueBuffer = char[TextCapacity];

// A flag or number holds no more than this: the profile functions read an integer from its
// first 29 characters (a buffer of 30).
constexpr size_t IntegerReadLimit = 29;

bool IsTrue(const char* text)
{
    wchar_t wide[PathCapacity];
    if (!WidenUtf8(text, wide, PathCapacity)) return false;
    return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, wide, -1, L"TRUE", -1) == CSTR_EQUAL;
}

void ReadKey(const IniDocument& document, TaskRecords& tasks, TaskId id, int32_t index)
{
    const SettingsKey& key = SettingsKeys[index];
    const char* section = SectionNames[size_t(id)];
    TaskSettings& task = tasks.Of(id);
    ValueBuffer value;
    IniRead read = ReadIniValue(document, section, key.Name, value);

    if (key.Kind == KeyKind::Text) {
        if (!TextCopy(TextField(task, key), TextCapacity, value) || read.Cut) tasks.CutKeysOf(id) |= 1u << index;
        return;
    }
    int32_t& number = NumberField(task, key);
    if (key.Kind == KeyKind::Number) {
        number = ProfileNumber(value);
        return;
    }
    if (IsTrue(value)) {
        number = key.Kind == KeyKind::Show ? 5 : 1;
        return;
    }
    value[IntegerReadLimit] = '\0';  // digits are ASCII: the 29 characters that count are bytes here
    number = ProfileInteger(value, key.ReadDefault);
}

bool Cut(const TaskRecords& tasks, TaskId id, int32_t index) { return tasks.CutKeysOf(id) & (1u << index); }

// The text as it is written: wrapped for the reader, and false when the reader would not give
// it back whole.
bool StoredForm(const char* field, char (&text)[TextCapacity])
{
    return TextCopy(text, field) && QuoteForProfile(text) && TextFitsUnits(text, TextUnitLimit);
}

// Whether every text that is to be written reads back as it stands.
bool AllStorable(const TaskRecords& tasks)
{
    ValueBuffer text;
    for (TaskId id : {TaskId::Previous, TaskId::Main})
        for (int32_t index = 0; index < SettingsKeyCount; ++index) {
            const SettingsKey& key = SettingsKeys[index];
            if (key.Kind != KeyKind::Text || Cut(tasks, id, index)) continue;
            if (!StoredForm(TextField(tasks.Of(id), key), text)) return false;
        }
    return true;
}

DWORD WriteKeys(IniFile& file, const TaskRecords& tasks)
{
    for (TaskId id : {TaskId::Previous, TaskId::Main}) {
        const char* section = SectionNames[size_t(id)];
        const TaskSettings& task = tasks.Of(id);
        for (int32_t index = 0; index < SettingsKeyCount; ++index) {
            const SettingsKey& key = SettingsKeys[index];
            ValueBuffer text;
            if (key.Kind == KeyKind::Text) {
                // Loaded cut and left as it was: writing it back would cut the file's value too.
                if (Cut(tasks, id, index)) continue;
                (void)StoredForm(TextField(task, key), text);  // storable: checked before
            } else if (const char* typed = TypedNumber(tasks, id, index)) {
                (void)TextCopy(text, typed);  // as the window's user typed it; empty reads back as 0
            } else {
                char number[DecimalCapacity];
                FormatSignedDecimal(NumberField(task, key), number);
                (void)TextCopy(text, number);
            }
            if (DWORD error = SetIniFileValue(file, section, key.Name, text)) return error;
        }
    }
    return ERROR_SUCCESS;
}

}  // namespace

void ReadSettings(const IniDocument& document, TaskRecords& tasks)
{
    for (TaskId id : {TaskId::Previous, TaskId::Main}) {
        tasks.CutKeysOf(id) = 0;
        tasks.TypedKeysOf(id) = 0;
        for (int32_t index = 0; index < SettingsKeyCount; ++index) ReadKey(document, tasks, id, index);
    }
}

int32_t LoadSettings(const char* settingsFile, TaskRecords& tasks)
{
    IniFile file;
    (void)LoadSettingsFile(settingsFile, file);
    ReadSettings(file.Document, tasks);
    return 1;
}

int32_t SaveSettings(const char* settingsFile, const TaskRecords& tasks)
{
    if (!settingsFile || !settingsFile[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!AllStorable(tasks)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // The file as it is now, so its encoding, comments and other sections survive the save.
    // One that cannot be read is not written over.
    IniFile file;
    DWORD error = LoadIniFile(settingsFile, file);
    if (!error) error = WriteKeys(file, tasks);
    if (!error) error = SaveIniFile(settingsFile, file);
    if (!error) return 1;
    SetLastError(error);
    return 0;
}
