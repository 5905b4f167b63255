// The copy's path arithmetic on wide text against references: the wildcard list taken apart
// from its last pattern and joined again gives the list back; trimming, the source form, the
// long-path form and how it is shown, the folder levels CreateFolderPath makes (shallowest
// first, the path restored), the common folder, the cut-off filter and the report lines.
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "common/file_system_core.h"
#include "filecopy/file_copy_core.h"
#include "fuzz/fuzz_input.h"

namespace {

using fuzz::Show;

size_t CapacityFrom(uint8_t b) { return b < 224 ? b : size_t(b - 223) * 128; }

// Bytes as wide text: the high half stands for letters beyond any ANSI code page.
std::wstring Wide(const std::string& bytes)
{
    std::wstring wide;
    for (unsigned char b : bytes) wide += b < 0x80 ? wchar_t(b) : wchar_t(0x370 + b);
    return wide;
}

std::string Show(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text) narrow += c < 0x80 ? char(c) : '#';
    return Show(narrow);
}

// Exactly capacity characters on the heap, so the address sanitizer sees any access past them.
struct WideBuffer {
    explicit WideBuffer(size_t capacity) : capacity(capacity), text(new wchar_t[capacity ? capacity : 1]) {}
    std::wstring Text(const char* what) const
    {
        for (size_t i = 0; i < capacity; ++i)
            if (text[i] == L'\0') return std::wstring(text.get(), i);
        fuzz::Fail(what, "no terminator within the buffer");
    }
    size_t capacity;
    std::unique_ptr<wchar_t[]> text;
};

void Patterns(fuzz::Input& in)
{
    std::wstring list = Wide(in.Text());
    PatternScan scan = BeginPatternScan(list.c_str());
    std::vector<std::wstring> patterns;
    size_t start = 0, count = 0;
    while (PreviousPattern(scan, &start, &count)) {
        FUZZ_CHECK(patterns.size() <= list.size() + 1, "the pattern scan does not end", Show(list));
        FUZZ_CHECK(start <= list.size() && count <= list.size() - start, "a pattern outside the list", Show(list));
        std::wstring pattern = list.substr(start, count);
        FUZZ_CHECK(pattern.find(L';') == std::wstring::npos, "a pattern holds a separator", Show(pattern));
        patterns.push_back(pattern);
    }
    FUZZ_CHECK(!PreviousPattern(scan, &start, &count), "the scan goes on after its end");
    std::wstring joined;
    for (size_t i = patterns.size(); i-- > 0;) joined += patterns[i] + (i ? L";" : L"");
    FUZZ_CHECK(joined == list, "the patterns do not join back to the list", Show(list) + " -> " + Show(joined));

    // Trimming each pattern drops only the blanks at its ends.
    size_t capacity = CapacityFrom(in.Byte());
    WideBuffer out(capacity);
    for (const std::wstring& pattern : patterns) {
        size_t first = pattern.find_first_not_of(L' ');
        std::wstring trimmed =
            first == std::wstring::npos ? L"" : pattern.substr(first, pattern.find_last_not_of(L' ') - first + 1);
        bool fit = TrimSpaces(pattern.c_str(), pattern.size(), out.text.get(), capacity);
        if (capacity == 0) {
            FUZZ_CHECK(!fit, "TrimSpaces into no room claims to fit");
            continue;
        }
        std::wstring got = out.Text("TrimSpaces");
        FUZZ_CHECK(fit == (trimmed.size() < capacity), "TrimSpaces fit flag", Show(pattern));
        if (fit) FUZZ_CHECK(got == trimmed, "TrimSpaces", Show(pattern) + ": " + Show(got));
    }
}

void FormAndLongPath(fuzz::Input& in)
{
    uint8_t flags = in.Byte();
    size_t capacity = CapacityFrom(in.Byte());
    std::wstring path = Wide(in.Text());
    size_t slash = path.rfind(L'\\');
    FUZZ_CHECK(FileNameOffset(path.c_str()) == (slash == std::wstring::npos ? 0 : slash + 1), "NameOffset", Show(path));

    bool isFolder = flags & 1;
    std::wstring last = slash == std::wstring::npos ? path : path.substr(slash + 1);
    SourceForm expectedForm = isFolder                                           ? SourceFolder
                              : path.empty()                                     ? SourceNone
                              : path.back() == L'\\'                             ? SourceFolder
                              : last.find_first_of(L"*?;") != std::wstring::npos ? SourcePatterns
                                                                                 : SourceFile;
    FUZZ_CHECK(ClassifySource(path.c_str(), isFolder) == expectedForm, "ClassifySource", Show(path));
    FUZZ_CHECK(IsAllPattern(path.c_str()) == (path == L"*.*"), "IsAllPattern");

    // The temporary name: the name, ".~", the mark and the suffix while they fit one name; else
    // the name's start, "~" and 16 hex digits in the name's place, the same for a spelling in
    // other ASCII case. Its mark reads back whole.
    {
        const RunMark mark{0x89abcdefu, 0x1234u, 0x0123456789abcdefull};
        wchar_t digits[RunMarkDigits + 1];
        FormatRunMark(mark, digits);
        const std::wstring suffix = L".~" + std::wstring(digits) + TemporarySuffix;
        WideBuffer out(capacity);
        bool fit = TemporaryName(last.c_str(), digits, out.text.get(), capacity);
        if (capacity > 0) {
            std::wstring name = out.Text("TemporaryName");
            if (last.size() + suffix.size() <= LongestName) {
                FUZZ_CHECK(fit == (last.size() + suffix.size() < capacity), "TemporaryName fit flag", Show(last));
                if (fit) FUZZ_CHECK(name == last + suffix, "TemporaryName", Show(last) + ": " + Show(name));
            } else if (fit) {
                size_t start = name.size() - suffix.size() - 17;
                FUZZ_CHECK(name.size() <= LongestName && name.size() > suffix.size() + 17, "TemporaryName length",
                           Show(name));
                FUZZ_CHECK(
                    start + 1 >= LongestName - suffix.size() - 17 && name.substr(0, start) == last.substr(0, start) &&
                        name[start] == L'~' &&
                        name.substr(start + 1, 16).find_first_not_of(L"0123456789abcdef") == std::wstring::npos &&
                        name.substr(start + 17) == suffix,
                    "TemporaryName long form", Show(last) + ": " + Show(name));
                // One file to a file system that ignores letter case.
                auto upper = [](std::wstring text) {
                    for (wchar_t& c : text) c = c >= L'a' && c <= L'z' ? wchar_t(c - 32) : c;
                    return text;
                };
                WideBuffer again(LongestName + 1);
                FUZZ_CHECK(TemporaryName(upper(last).c_str(), digits, again.text.get(), LongestName + 1) &&
                               upper(again.Text("TemporaryName")) == upper(name),
                           "TemporaryName differs by letter case", Show(last));
            } else {
                FUZZ_CHECK(capacity <= LongestName, "TemporaryName failed with room", Show(last));
            }
            RunMark read{};
            if (fit && !last.empty())
                FUZZ_CHECK(ReadRunMark(name.c_str(), &read) && read.machine == mark.machine &&
                               read.process == mark.process && read.started == mark.started,
                           "ReadRunMark of a temporary name", Show(name));
        }
        // Any other text: a mark only where the whole ending is there, never past the text.
        RunMark read{};
        if (ReadRunMark(last.c_str(), &read))
            FUZZ_CHECK(last.size() > suffix.size() &&
                           last.substr(last.size() - std::wcslen(TemporarySuffix)) == TemporarySuffix,
                       "ReadRunMark of a text without the ending", Show(last));
    }

    // The long-path form is the path after its prefix, and shows as the path again.
    auto starts = [&](const wchar_t* start) { return path.rfind(start, 0) == 0; };
    bool drive = path.size() >= 3 && iswalpha(path[0]) && path[0] < 0x80 && path[1] == L':' && path[2] == L'\\';
    std::wstring expected = starts(L"\\\\?\\") || starts(L"\\\\.\\")                 ? path
                            : drive                                                  ? L"\\\\?\\" + path
                            : path.size() > 2 && starts(L"\\\\") && path[2] != L'\\' ? L"\\\\?\\UNC\\" + path.substr(2)
                                                                                     : L"";
    WideBuffer out(capacity);
    bool made = LongPathForm(path.c_str(), out.text.get(), capacity);
    FUZZ_CHECK(made == (!expected.empty() && expected.size() < capacity), "LongPathForm result", Show(path));
    if (!made) return;
    std::wstring form = out.Text("LongPathForm");
    FUZZ_CHECK(form == expected, "LongPathForm", Show(path) + ": " + Show(form));
    ShownPath shown = ShowPath(form.c_str());
    FUZZ_CHECK(shown.offset <= form.size(), "ShowPath beyond the path", Show(form));
    if (!starts(L"\\\\?\\"))
        FUZZ_CHECK(std::wstring(shown.lead) + form.substr(shown.offset) == path, "ShowPath", Show(form));
}

struct Levels {
    std::vector<std::wstring> made;
    size_t refuseAt;
};

bool MakeLevel(const wchar_t* level, void* context)
{
    auto* levels = static_cast<Levels*>(context);
    levels->made.push_back(level);
    return levels->made.size() != levels->refuseAt;
}

// The offset after the count-th backslash from from, or the length.
size_t After(const std::wstring& path, size_t from, size_t count)
{
    for (size_t i = from; i < path.size(); ++i)
        if (path[i] == L'\\' && --count == 0) return i + 1;
    return std::max(from, path.size());
}

void FolderLevels(fuzz::Input& in)
{
    uint8_t refuse = in.Byte();
    // Kept short enough that recording every level (a copy of the path per backslash) stays cheap.
    std::wstring path = Wide(in.Text().substr(0, 1024)), other = Wide(in.Text());
    size_t from = FolderPathStart(path.c_str());
    auto starts = [&](const wchar_t* start) { return path.rfind(start, 0) == 0; };
    size_t expectedFrom = 0;
    if (starts(L"\\\\?\\UNC\\")) {
        expectedFrom = After(path, 8, 2);
    } else if (starts(L"\\\\?\\")) {
        bool drive = path.size() >= 7 && iswalpha(path[4]) && path[4] < 0x80 && path[5] == L':' && path[6] == L'\\';
        expectedFrom = drive ? 7 : After(path, 4, 1);
    } else if (starts(L"\\\\")) {
        expectedFrom = After(path, 0, 4);
    } else if (starts(L"\\")) {
        expectedFrom = 1;
    } else if (path.size() >= 2 && path[1] == L':') {
        expectedFrom = path.size() < 3 ? path.size() : 3;
    }
    FUZZ_CHECK(from == expectedFrom, "FolderPathStart", Show(path) + " gave " + std::to_string(from));

    // Each level: the text up to a backslash at or after the start, then the whole path.
    std::vector<std::wstring> expected;
    for (size_t i = from; i < path.size(); ++i)
        if (path[i] == L'\\' && i > 0) expected.push_back(path.substr(0, i));
    if (path.size() > from && path.back() != L'\\') expected.push_back(path);
    Levels levels{{}, refuse ? size_t(refuse % 16) : 0};
    std::wstring copy = path;
    int32_t result = StepFolderPath(copy.data(), from, MakeLevel, &levels);
    FUZZ_CHECK(copy == path, "StepFolderPath does not restore the path", Show(path));
    bool refused = levels.refuseAt != 0 && levels.refuseAt <= expected.size();
    size_t made = refused ? levels.refuseAt : expected.size();
    FUZZ_CHECK(result == (refused ? 0 : 1), "StepFolderPath result", Show(path));
    FUZZ_CHECK(levels.made.size() == made, "StepFolderPath levels", Show(path));
    for (size_t i = 0; i < made; ++i)
        FUZZ_CHECK(levels.made[i] == expected[i], "StepFolderPath level", Show(path) + ": " + Show(levels.made[i]));

    size_t common = 0;
    for (size_t i = 0; i < path.size() && i < other.size() && path[i] == other[i]; ++i)
        if (path[i] == L'\\') common = i + 1;
    FUZZ_CHECK(CommonFolderLength(path.c_str(), other.c_str()) == common, "CommonFolderLength");
}

void CutOffAndReport(fuzz::Input& in)
{
    uint64_t write = uint64_t(in.Dword()) << 32 | in.Dword();
    uint32_t minutes = in.Dword();
    uint64_t start = uint64_t(in.Dword()) << 32 | in.Dword();
    unsigned __int128 sum = (unsigned __int128)write + (unsigned __int128)minutes * FileTimeUnitsPerMinute;
    bool passes = minutes == 0 || sum >= start;
    FUZZ_CHECK(PassesCutOff(write, minutes, start) == passes, "PassesCutOff");

    size_t capacity = CapacityFrom(in.Byte()) * 2;
    std::wstring own = Wide(in.Text()), label = Wide(in.Text());
    std::wstring a = Wide(in.Text()), b = Wide(in.Text()), c = Wide(in.Text()), d = Wide(in.Text());
    JoinedText text{a.c_str(), b.c_str(), c.c_str(), d.c_str()};
    if (capacity == 0) return;
    WideBuffer line(capacity);
    bool fit = ComposeReportLine(line.text.get(), capacity, own.c_str(), label.c_str(), text);
    std::wstring whole = own + label + a + b + c + d, got = line.Text("ComposeReportLine");
    std::wstring expected = whole;
    if (whole.size() >= capacity) {
        expected = whole.substr(0, capacity - 1);
        if (capacity >= 4) expected.replace(capacity - 4, 3, L"...");
    }
    FUZZ_CHECK(fit == (whole.size() < capacity), "ComposeReportLine fit flag");
    FUZZ_CHECK(got == expected, "ComposeReportLine", Show(got) + " expected " + Show(expected));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    fuzz::Input in(data + 1, size - 1);
    switch (data[0] % 4) {
    case 0: Patterns(in); break;
    case 1: FormAndLongPath(in); break;
    case 2: FolderLevels(in); break;
    case 3: CutOffAndReport(in); break;
    }
    return 0;
}
