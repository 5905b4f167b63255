// The copy's path and pattern arithmetic, free of any platform call.
#pragma once

#include <cstddef>
#include <cstdint>

// Splits path at its last backslash: folder receives what comes before it (with the
// backslash when keepBackslash is 1), name (when given) what follows it. A path without a
// backslash is all name; one that ends with a backslash is all folder. Result: the folder's
// length, or -1 when a part did not fit its output (the outputs must not be used then).
int32_t SplitPath(const char* path, char* folder, size_t folderCapacity, char* name, size_t nameCapacity,
                  int32_t keepBackslash);

// The count characters of pattern without the blanks at either end, into output. False when
// they did not fit.
[[nodiscard]] bool TrimSpaces(const char* pattern, size_t count, char* output, size_t capacity);

// A ";"-separated wildcard list taken from its last pattern to its first. Every ";" separates,
// the list's first character included, so each pattern is the text between two of them.
struct PatternScan {
    const char* list;
    size_t end;     // the current pattern ends here
    bool finished;  // the first pattern was given
};
PatternScan BeginPatternScan(const char* list);
// The next pattern towards the front, untrimmed, as [*start, *start + *count); false when
// every pattern was given.
bool PreviousPattern(PatternScan& scan, size_t* start, size_t* count);

enum SourceForm : int32_t {
    SourceNone = 0,      // empty: nothing to copy
    SourceFolder = 1,    // copy the folder's content
    SourcePatterns = 2,  // a wildcard list after the folder part
    SourceFile = 3,      // a single file, when it exists
};
// The form of a copy source; isFolder tells whether the text names an existing folder.
SourceForm ClassifySource(const char* source, bool isFolder);

// True for a name part that matches every entry of a folder, files and subfolders alike, so
// one listing serves both.
bool IsAllPattern(const char* pattern);

// Where CreateFolderPath starts making levels: after the backslash of "\x", after "C:\",
// after the share of "\\server\share\", else at the start.
size_t FolderPathStart(const char* path);
// Makes each level of path from offset from on, shallowest first: the text up to each
// backslash, then the whole text (unless it ends with a backslash, which made it already).
// path is cut for each call and restored. 1 when every level was made, 0 at the first one
// that makeLevel refused.
int32_t StepFolderPath(char* path, size_t from, bool (*makeLevel)(const char* level, void* context), void* context);
// The length of the longest common start of a and b that ends with a backslash in both.
size_t CommonFolderLength(const char* a, const char* b);

// The modified-files filter on file times (100 ns units): a file passes when its local
// last-write time plus the window is not earlier than the run's start. 0 minutes passes every
// file; the sum saturates instead of wrapping into the past.
bool PassesCutOff(uint64_t localWriteTime, uint32_t cutOffMinutes, uint64_t runStartTime);
constexpr uint64_t FileTimeUnitsPerMinute = 600000000;

// The three debug lines of a file that could not be copied.
constexpr char ReportSourceLabel[] = ".SingleCopy Source: ";
constexpr char ReportDestLabel[] = ".SingleCopy Dest: ";
constexpr char ReportErrorLabel[] = ".SingleCopy Error code ";
// A text given in up to three pieces, so a path too long for a path buffer is reported whole.
struct JoinedText {
    const char* a = "";
    const char* b = "";
    const char* c = "";
};
// Room for the longest line: a name, a label and a source of a text buffer and a path buffer.
constexpr size_t ReportLineCapacity = 8192;
// ownName + label + the pieces into line. False when it did not fit (the line then ends in "...").
bool ComposeReportLine(char* line, size_t capacity, const char* ownName, const char* label, const JoinedText& text);
