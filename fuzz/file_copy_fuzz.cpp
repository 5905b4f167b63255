// The copy's path arithmetic against references: the wildcard list taken apart from its last
// pattern and joined again gives the list back; a split path joins back to the path; trimming,
// the source form, the folder levels CreateFolderPath makes (shallowest first, the path
// restored), the common folder, the cut-off filter and the report lines.
#include <cstring>
#include <string>
#include <vector>

#include "filecopy/file_copy_core.h"
#include "fuzz/fuzz_input.h"

namespace {

using fuzz::Show;

size_t CapacityFrom(uint8_t b) { return b < 224 ? b : size_t(b - 223) * 128; }

void Patterns(fuzz::Input& in)
{
    std::string list = in.Text();
    PatternScan scan = BeginPatternScan(list.c_str());
    std::vector<std::string> patterns;
    size_t start = 0, count = 0;
    while (PreviousPattern(scan, &start, &count)) {
        FUZZ_CHECK(patterns.size() <= list.size() + 1, "the pattern scan does not end", Show(list));
        FUZZ_CHECK(start <= list.size() && count <= list.size() - start, "a pattern outside the list", Show(list));
        std::string pattern = list.substr(start, count);
        FUZZ_CHECK(pattern.find(';') == std::string::npos, "a pattern holds a separator", Show(pattern));
        patterns.push_back(pattern);
    }
    FUZZ_CHECK(!PreviousPattern(scan, &start, &count), "the scan goes on after its end");
    std::string joined;
    for (size_t i = patterns.size(); i-- > 0;) joined += patterns[i] + (i ? ";" : "");
    FUZZ_CHECK(joined == list, "the patterns do not join back to the list", Show(list) + " -> " + Show(joined));

    // Trimming each pattern drops only the blanks at its ends.
    size_t capacity = CapacityFrom(in.Byte());
    fuzz::Buffer out(capacity);
    for (const std::string& pattern : patterns) {
        size_t first = pattern.find_first_not_of(' ');
        std::string trimmed =
            first == std::string::npos ? "" : pattern.substr(first, pattern.find_last_not_of(' ') - first + 1);
        bool fit = TrimSpaces(pattern.c_str(), pattern.size(), out.data(), capacity);
        if (capacity == 0) {
            FUZZ_CHECK(!fit, "TrimSpaces into no room claims to fit");
            continue;
        }
        std::string got = out.Text("TrimSpaces");
        FUZZ_CHECK(fit == (trimmed.size() < capacity), "TrimSpaces fit flag", Show(pattern));
        if (fit) FUZZ_CHECK(got == trimmed, "TrimSpaces", Show(pattern) + ": " + Show(got));
    }
}

void Split(fuzz::Input& in)
{
    uint8_t flags = in.Byte();
    size_t folderCapacity = CapacityFrom(in.Byte()), nameCapacity = CapacityFrom(in.Byte());
    int32_t keep = (flags & 3) == 3 ? int32_t(in.Dword()) : flags & 1;
    std::string path = in.Text();
    bool withName = flags & 4;
    fuzz::Buffer folder(folderCapacity), name(nameCapacity);
    int32_t result =
        SplitPath(path.c_str(), folder.data(), folderCapacity, withName ? name.data() : nullptr, nameCapacity, keep);
    size_t slash = path.rfind('\\');
    std::string expectedFolder = slash == std::string::npos ? "" : path.substr(0, keep == 1 ? slash + 1 : slash);
    std::string expectedName = slash == std::string::npos ? path : path.substr(slash + 1);
    bool shouldFit = expectedFolder.size() < folderCapacity && (!withName || expectedName.size() < nameCapacity);
    FUZZ_CHECK((result >= 0) == shouldFit, "SplitPath result", Show(path) + " gave " + std::to_string(result));
    if (result < 0) return;
    std::string gotFolder = folder.Text("SplitPath folder");
    FUZZ_CHECK(result == int32_t(gotFolder.size()) && gotFolder == expectedFolder, "SplitPath folder",
               Show(path) + ": " + Show(gotFolder));
    if (withName) {
        std::string gotName = name.Text("SplitPath name");
        FUZZ_CHECK(gotName == expectedName, "SplitPath name", Show(path) + ": " + Show(gotName));
        // Nothing is lost: folder, the backslash it left out, and name make the path again.
        std::string joined = gotFolder + (slash != std::string::npos && keep != 1 ? "\\" : "") + gotName;
        FUZZ_CHECK(joined == path, "SplitPath loses text", Show(path) + " -> " + Show(joined));
    }

    bool isFolder = flags & 8;
    SourceForm form = ClassifySource(path.c_str(), isFolder);
    std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    SourceForm expectedForm = isFolder                                         ? SourceFolder
                              : path.empty()                                   ? SourceNone
                              : path.back() == '\\'                            ? SourceFolder
                              : last.find_first_of("*?;") != std::string::npos ? SourcePatterns
                                                                               : SourceFile;
    FUZZ_CHECK(form == expectedForm, "ClassifySource", Show(path));
    FUZZ_CHECK(IsAllPattern(path.c_str()) == (path == "*.*"), "IsAllPattern");
}

struct Levels {
    std::vector<std::string> made;
    size_t refuseAt;
};

bool MakeLevel(const char* level, void* context)
{
    auto* levels = static_cast<Levels*>(context);
    levels->made.push_back(level);
    return levels->made.size() != levels->refuseAt;
}

void FolderLevels(fuzz::Input& in)
{
    uint8_t refuse = in.Byte();
    // Folder paths are path buffers (259 characters); a longer one is kept short enough that
    // recording every level (a copy of the path per backslash) stays cheap.
    std::string path = in.Text().substr(0, 1024), other = in.Text();
    size_t from = FolderPathStart(path.c_str());
    size_t expectedFrom = 0;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        size_t seen = 0;
        expectedFrom = path.size();
        for (size_t i = 0; i < path.size(); ++i)
            if (path[i] == '\\' && ++seen == 4) {
                expectedFrom = i + 1;
                break;
            }
    } else if (!path.empty() && path[0] == '\\') {
        expectedFrom = 1;
    } else if (path.size() >= 2 && path[1] == ':') {
        expectedFrom = path.size() < 3 ? path.size() : 3;
    }
    FUZZ_CHECK(from == expectedFrom, "FolderPathStart", Show(path) + " gave " + std::to_string(from));

    // Each level: the text up to a backslash at or after the start, then the whole path.
    std::vector<std::string> expected;
    for (size_t i = from; i < path.size(); ++i)
        if (path[i] == '\\' && i > 0) expected.push_back(path.substr(0, i));
    if (path.size() > from && path.back() != '\\') expected.push_back(path);
    Levels levels{{}, refuse ? size_t(refuse % 16) : 0};
    std::string copy = path;
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
        if (path[i] == '\\') common = i + 1;
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
    std::string own = in.Text(), label = in.Text();
    JoinedText text;
    std::string a = in.Text(), b = in.Text(), c = in.Text();
    text.a = a.c_str();
    text.b = b.c_str();
    text.c = c.c_str();
    if (capacity == 0) return;
    fuzz::Buffer line(capacity);
    bool fit = ComposeReportLine(line.data(), capacity, own.c_str(), label.c_str(), text);
    std::string whole = own + label + a + b + c, got = line.Text("ComposeReportLine");
    std::string expected = whole;
    if (whole.size() >= capacity) {
        expected = whole.substr(0, capacity - 1);
        if (capacity >= 4) expected.replace(capacity - 4, 3, "...");
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
    case 1: Split(in); break;
    case 2: FolderLevels(in); break;
    case 3: CutOffAndReport(in); break;
    }
    return 0;
}
