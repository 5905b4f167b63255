// Macro expansion with injected values, clock, HEAD file and error text, against a reference
// that follows the rules step by step on std::string: every name replaced left to right in its
// turn, a value holding a later name expanded again, the HEAD path and the branch rule, the
// 4095-character limit. Every expansion must end (the run's time limit catches one that does
// not), and a result that claims to fit equals the reference.
#include <cstring>
#include <string>

#include "fuzz/fuzz_input.h"
#include "settings/macros_core.h"
#include "settings/task_settings.h"

namespace {

using fuzz::Show;

size_t CapacityFrom(uint8_t b) { return b < 224 ? b : size_t(b - 223) * 128; }

// Left to right, each replacement followed by the search on after the inserted value.
std::string ReferenceReplace(const std::string& text, const std::string& name, const std::string& value)
{
    if (name.empty()) return text;
    std::string result;
    size_t at = 0;
    for (;;) {
        size_t found = text.find(name, at);
        if (found == std::string::npos) break;
        result += text.substr(at, found - at) + value;
        at = found + name.size();
    }
    return result + text.substr(at);
}

void FuzzReplaceAll(fuzz::Input& in)
{
    size_t capacity = CapacityFrom(in.Byte());
    std::string text = in.Text(), name = in.Text(), value = in.Text();
    fuzz::Buffer buffer(capacity);
    std::memset(buffer.data(), 'X', capacity);
    std::memcpy(buffer.data(), text.data(), text.size() < capacity ? text.size() : capacity);
    if (text.size() < capacity) buffer.data()[text.size()] = '\0';
    bool fit = ReplaceAll(buffer.data(), capacity, name.c_str(), value.c_str());
    if (text.size() >= capacity) {
        FUZZ_CHECK(!fit, "ReplaceAll on a buffer without terminator claims success");
        return;
    }
    std::string expected = ReferenceReplace(text, name, value);
    std::string got = buffer.Text("ReplaceAll");
    FUZZ_CHECK(fit == (expected.size() < capacity), "ReplaceAll fit flag",
               Show(text) + " " + Show(name) + " -> " + Show(value));
    if (fit) FUZZ_CHECK(got == expected, "ReplaceAll", Show(got) + " expected " + Show(expected));
}

std::string ReferenceBranchFromHead(std::string head)
{
    if (head.size() > GitHeadReadLimit) head.resize(GitHeadReadLimit);
    size_t length = head.size();
    if (length && (head[length - 1] == '\n' || head[length - 1] == '\r')) --length;
    for (size_t at = length; at-- > 1;)
        if (head[at] == '/') return head.substr(at + 1, length - at - 1);
    return "ErrorGitHeadText";
}

// The injected world of one expansion.
struct World {
    MacroValues values;
    std::string head, errorText, processId;
    bool headReadable = false, errorTextKnown = false, processIdSet = false;
    int32_t errorCode = 0;
    TaskRecords tasks;
    std::string pathRead;
    int reads = 0;
};
World* Current;

bool FakeRead(const char* path, char* bytes, size_t capacity, size_t& count)
{
    ++Current->reads;
    Current->pathRead = path;
    if (!Current->headReadable) return false;
    count = Current->head.size() < capacity ? Current->head.size() : capacity;
    std::memcpy(bytes, Current->head.data(), count);
    return true;
}

bool FakeErrorText(int32_t, char (&text)[PathCapacity])
{
    if (!Current->errorTextKnown) return false;
    std::strcpy(text, Current->errorText.substr(0, PathCapacity - 1).c_str());
    return true;
}

struct Expansion {
    bool fit;
    std::string text;
    std::string headPath;  // the HEAD file the branch rule read, if any
};

Expansion ReferenceExpand(const World& w, const std::string& source, int32_t task);

std::string ReferenceBranch(const World& w, int32_t task, std::string& headPath)
{
    const TaskSettings& t = task == 0 ? w.tasks.Previous : w.tasks.Main;
    Expansion directory = ReferenceExpand(w, t.WorkingDir, -1);
    bool isWorkingDir = true;
    if (directory.fit && directory.text.empty()) {
        directory = ReferenceExpand(w, t.Program, -1);
        isWorkingDir = false;
    }
    if (directory.fit && directory.text.empty()) return "NoExecutePath";
    if (!directory.fit) return "ErrorOpenGitPath";
    std::string path = directory.text;
    if (isWorkingDir) {
        if (path.back() != '\\') path += '\\';
    } else {
        size_t slash = path.rfind('\\');
        path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    path += ".git\\HEAD";
    // Never a cut path, nor one past the system's 259 UTF-16 units.
    if (path.size() > PathCapacity - 1 || fuzz::Utf16Units(path) > 259) return "ErrorOpenGitPath";
    headPath = path;
    if (!w.headReadable) return "ErrorOpenGitPath";
    return ReferenceBranchFromHead(w.head);
}

Expansion ReferenceExpand(const World& w, const std::string& source, int32_t task)
{
    Expansion e{true, source, ""};
    auto replace = [&](MacroId id, const std::string& value) {
        if (!e.fit) return;
        e.text = ReferenceReplace(e.text, MacroNames[id], value);
        if (e.text.size() > TextCapacity - 1) e.fit = false;
    };
    if (source.size() > TextCapacity - 1) e.fit = false;
    for (int id = MacroYear; id <= MacroWeekday; ++id) replace(MacroId(id), w.values.Text[id]);
    if (e.fit && task != -1 && e.text.find(MacroNames[MacroGitBranchName]) != std::string::npos)
        replace(MacroGitBranchName, ReferenceBranch(w, task, e.headPath));
    replace(MacroProcessId, w.processIdSet ? w.processId : "");
    replace(MacroErrorCode, std::to_string(w.errorCode));
    std::string errorText = w.errorText.substr(0, PathCapacity - 1);
    if (w.errorTextKnown && !errorText.empty()) replace(MacroErrorText, errorText);
    for (int id = MacroMyDocuments; id <= MacroWinDir; ++id) replace(MacroId(id), w.values.Text[id]);
    if (fuzz::Utf16Units(e.text) > 4095) e.fit = false;  // the limit counts UTF-16 units
    return e;
}

void SetField(char (&field)[TextCapacity], const std::string& text)
{
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), text.size() < TextCapacity ? text.size() : TextCapacity - 1);
}

void FuzzExpand(fuzz::Input& in)
{
    static World w;
    Current = &w;
    uint8_t flags = in.Byte();
    int32_t task = (flags & 3) == 3 ? -1 : (flags & 3) == 2 ? int32_t(in.Dword()) : flags & 1;
    w.headReadable = flags & 4;
    w.errorTextKnown = flags & 8;
    w.processIdSet = flags & 16;
    w.errorCode = (flags & 32) ? int32_t(in.Dword()) : 0;
    std::string source = in.Text();
    TaskSettings& settings = task == 0 ? w.tasks.Previous : w.tasks.Main;
    SetField(settings.WorkingDir, in.Text());
    SetField(settings.Program, in.Text());
    w.head = in.Text();
    w.processId = in.Text();
    w.errorText = in.Text();
    std::memset(&w.values, 0, sizeof w.values);
    for (int id = 0; id < MacroCount; ++id) {
        if (id == MacroGitBranchName || id == MacroProcessId || id == MacroErrorCode || id == MacroErrorText) continue;
        std::string value = in.Text();
        std::memcpy(w.values.Text[id], value.data(), value.size() < PathCapacity ? value.size() : PathCapacity - 1);
    }
    w.pathRead.clear();
    w.reads = 0;

    ExpansionContext context = {&w.values,
                                w.processIdSet ? w.processId.c_str() : nullptr,
                                w.errorCode,
                                FakeErrorText,
                                FakeRead,
                                &w.tasks,
                                LineReader::Program,
                                nullptr};
    static char output[TextCapacity];
    std::memset(output, 'X', sizeof output);
    bool fit = ExpandMacroText(source.c_str(), output, TaskId(task), context);
    Expansion e = ReferenceExpand(w, source, task);
    FUZZ_CHECK(std::memchr(output, 0, sizeof output) != nullptr, "expanded text unterminated");
    FUZZ_CHECK(fit == e.fit, "ExpandMacroText fit flag", Show(source) + " task " + std::to_string(task));
    if (fit) {
        FUZZ_CHECK(output == e.text, "ExpandMacroText",
                   Show(source) + " task " + std::to_string(task) + ": " + Show(output) + " expected " + Show(e.text));
        FUZZ_CHECK(w.reads <= 1 && w.pathRead == e.headPath, "HEAD file read",
                   std::to_string(w.reads) + " reads, last " + Show(w.pathRead) + " expected " + Show(e.headPath));
    }
}

void FuzzBranchFromHead(fuzz::Input& in)
{
    std::string head = in.Text().substr(0, GitHeadReadLimit);
    static char branch[TextCapacity];
    std::memset(branch, 'X', sizeof branch);
    GitBranchFromHead(head.c_str(), branch);
    std::string expected = ReferenceBranchFromHead(head);
    FUZZ_CHECK(std::memchr(branch, 0, sizeof branch) != nullptr, "branch unterminated");
    FUZZ_CHECK(branch == expected, "GitBranchFromHead",
               Show(head) + ": " + Show(branch) + " expected " + Show(expected));
}

std::string Two(uint32_t v)
{
    v %= 100;
    return std::string{char('0' + v / 10), char('0' + v % 10)};
}

void FuzzValues(fuzz::Input& in)
{
    ClockReading clock;
    clock.Year = in.Word();
    clock.Month = in.Word();
    clock.DayOfWeek = in.Word();
    clock.Day = in.Word();
    clock.Hour = in.Word();
    clock.Minute = in.Word();
    clock.Second = in.Word();
    uint16_t missing = in.Word();  // which system answers failed (nullptr)
    std::string texts[9];
    const char* given[9];
    for (int i = 0; i < 9; ++i) {
        texts[i] = in.Text();
        given[i] = (missing >> i) & 1 ? nullptr : texts[i].c_str();
    }
    SystemTexts system = {given[0], given[1], given[2], given[3], given[4], given[5], given[6], given[7], given[8]};
    static MacroValues values;
    std::memset(&values, 'X', sizeof values);
    FormatMacroValues(clock, system, values);

    auto whole = [&](int i) { return given[i] && texts[i].size() < PathCapacity ? texts[i] : std::string(); };
    auto folder = [&](int i) {
        std::string t = whole(i);
        if (!t.empty() && t.back() == '\\') t.pop_back();
        return t;
    };
    std::string ownFolder;
    if (given[1]) {
        size_t slash = texts[1].rfind('\\');
        ownFolder = slash == std::string::npos ? std::string() : texts[1].substr(0, slash + 1);
        if (ownFolder.size() >= PathCapacity) ownFolder.clear();
        if (!ownFolder.empty()) ownFolder.pop_back();
    }
    std::string expected[MacroCount];
    expected[MacroYear] = std::to_string(clock.Year);
    expected[MacroMonth] = Two(clock.Month);
    expected[MacroDay] = Two(clock.Day);
    expected[MacroDate] = expected[MacroYear] + expected[MacroMonth] + expected[MacroDay];
    expected[MacroHour] = Two(clock.Hour);
    expected[MacroMinute] = Two(clock.Minute);
    expected[MacroMinuteTens] = expected[MacroMinute].substr(0, 1);
    expected[MacroMinuteOnes] = expected[MacroMinute].substr(1, 1);
    expected[MacroSecond] = Two(clock.Second);
    expected[MacroTime] = expected[MacroHour] + expected[MacroMinute] + expected[MacroSecond];
    expected[MacroWeekday] = std::to_string(uint32_t(clock.DayOfWeek) + 1);
    expected[MacroMyDocuments] = whole(0);
    expected[MacroProgramDir] = ownFolder;
    expected[MacroProgramFiles] = folder(2);
    expected[MacroProgramName] = whole(3);
    expected[MacroSystemDir] = folder(4);
    expected[MacroSystemDrive] = given[4] ? texts[4].substr(0, 3) : std::string();
    expected[MacroTempDir] = folder(5);
    expected[MacroUserName] = whole(6);
    expected[MacroComputerName] = whole(7);
    expected[MacroWinDir] = folder(8);
    for (int id = 0; id < MacroCount; ++id) {
        FUZZ_CHECK(std::memchr(values.Text[id], 0, PathCapacity) != nullptr, "macro value unterminated",
                   MacroNames[id]);
        FUZZ_CHECK(values.Text[id] == expected[id], "FormatMacroValues",
                   std::string(MacroNames[id]) + ": " + Show(values.Text[id]) + " expected " + Show(expected[id]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    fuzz::Input in(data + 1, size - 1);
    switch (data[0] % 4) {
    case 0: FuzzReplaceAll(in); break;
    case 1: FuzzExpand(in); break;
    case 2: FuzzBranchFromHead(in); break;
    case 3: FuzzValues(in); break;
    }
    return 0;
}
