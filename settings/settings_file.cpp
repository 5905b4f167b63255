#include "settings/settings_file.h"

#include <initializer_list>

#include "common/number.h"
#include "common/text.h"

namespace {

// One more byte than a field, so a value that does not fit the field is told apart from one
// that just fits.
using ValueBuffer = char[TextCapacity + 1];

// A missing settings path reads as a missing file: defaults, never another file.
DWORD ReadString(const char* file, const char* section, const char* key, char* buffer, DWORD capacity)
{
    buffer[0] = '\0';
    if (!file[0]) return 0;
    return GetPrivateProfileStringA(section, key, "", buffer, capacity, file);
}

int32_t ReadNumber(const char* file, const char* section, const char* key, int32_t readDefault)
{
    if (!file[0]) return readDefault;
    return int32_t(GetPrivateProfileIntA(section, key, readDefault, file));
}

bool IsTrue(const char* text)
{
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text, -1, "TRUE", -1) == CSTR_EQUAL;
}

void LoadKey(const char* file, TaskRecords& tasks, TaskId id, int32_t index)
{
    const SettingsKey& key = SettingsKeys[index];
    const char* section = SectionNames[id];
    TaskSettings& task = tasks.Of(id);
    ValueBuffer value;

    if (key.Kind == KeyKind::Text) {
        ReadString(file, section, key.Name, value, sizeof value);
        if (!TextCopy(TextField(task, key), TextCapacity, value)) tasks.CutTextKeys[id] |= 1u << index;
        return;
    }
    int32_t& number = NumberField(task, key);
    if (key.Kind == KeyKind::Number) {
        ReadString(file, section, key.Name, value, PathCapacity);
        number = ProfileNumber(value);
        return;
    }
    ReadString(file, section, key.Name, value, PathCapacity);
    if (IsTrue(value))
        number = key.Kind == KeyKind::Show ? 5 : 1;
    else
        number = ReadNumber(file, section, key.Name, key.ReadDefault);
}

bool Cut(const TaskRecords& tasks, TaskId id, int32_t index) { return tasks.CutTextKeys[id] & (1u << index); }

// Whether every text that is to be written can be wrapped for the profile reader.
bool AllStorable(const TaskRecords& tasks)
{
    ValueBuffer text;
    for (TaskId id : {TaskPrevious, TaskMain})
        for (int32_t index = 0; index < SettingsKeyCount; ++index) {
            const SettingsKey& key = SettingsKeys[index];
            if (key.Kind != KeyKind::Text || Cut(tasks, id, index)) continue;
            if (!TextCopy(text, TextCapacity, TextField(tasks.Of(id), key)) || !QuoteForProfile(text, TextCapacity))
                return false;
        }
    return true;
}

}  // namespace

int32_t LoadSettings(const char* settingsFile, TaskRecords& tasks)
{
    const char* file = settingsFile ? settingsFile : "";
    for (TaskId id : {TaskPrevious, TaskMain}) {
        tasks.CutTextKeys[id] = 0;
        for (int32_t index = 0; index < SettingsKeyCount; ++index) LoadKey(file, tasks, id, index);
    }
    return 1;
}

int32_t SaveSettings(const char* settingsFile, const TaskRecords& tasks, ProfileWriter write)
{
    const char* file = settingsFile;
    if (!file || !file[0] || !write) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!AllStorable(tasks)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (TaskId id : {TaskPrevious, TaskMain}) {
        const char* section = SectionNames[id];
        const TaskSettings& task = tasks.Of(id);
        for (int32_t index = 0; index < SettingsKeyCount; ++index) {
            const SettingsKey& key = SettingsKeys[index];
            ValueBuffer text;
            if (key.Kind == KeyKind::Text) {
                // Loaded cut and left as it was: writing it back would cut the file's value too.
                if (Cut(tasks, id, index)) continue;
                (void)TextCopy(text, TextCapacity, TextField(task, key));
                (void)QuoteForProfile(text, TextCapacity);  // fits: checked above
            } else {
                char number[DecimalCapacity];
                FormatSignedDecimal(NumberField(task, key), number);
                (void)TextCopy(text, number);
            }
            // Every write counts: a save that failed anywhere is reported, never taken for done.
            if (!write(section, key.Name, text, file)) return 0;
        }
    }
    return 1;
}
