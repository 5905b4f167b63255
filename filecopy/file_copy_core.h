// The copy's path and pattern arithmetic on wide text, free of any platform call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/path.h"

// The count characters of pattern without the blanks at either end, into output. False when
// they did not fit.
[[nodiscard]] bool TrimSpaces(const wchar_t* pattern, size_t count, wchar_t* output, size_t capacity);

// A ";"-separated wildcard list taken from its last pattern to its first. Every ";" separates,
// the list's first character included, so each pattern is the text between two of them.
struct PatternScan {
    const wchar_t* list;
    size_t end;     // the current pattern ends here
    bool finished;  // the first pattern was given
};
PatternScan BeginPatternScan(const wchar_t* list);
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
SourceForm ClassifySource(const wchar_t* source, bool isFolder);

// True for a name part that matches every entry of a folder, files and subfolders alike, so
// one listing serves both.
bool IsAllPattern(const wchar_t* pattern);

// The length of the longest common start of a and b that ends with a backslash in both.
size_t CommonFolderLength(const wchar_t* a, const wchar_t* b);

// The modified-files filter on file times (100 ns units): a file passes when its local
// last-write time plus the window is not earlier than the run's start. 0 minutes passes every
// file; the sum saturates instead of wrapping into the past.
bool PassesCutOff(uint64_t localWriteTime, uint32_t cutOffMinutes, uint64_t runStartTime);
constexpr uint64_t FileTimeUnitsPerMinute = 600000000;

// The longest name of one file or folder, in UTF-16 units, on the file systems a copy writes to.
constexpr size_t LongestName = 255;

// Which run made a temporary name: the machine (a hash of its name), the process and the
// moment the process started. A later run removes a leftover only when the mark is one of its
// own machine's and that process has ended, so a name a user chose (however it ends) and what
// a run still going writes are never taken for leftovers.
struct RunMark {
    uint32_t machine;
    uint32_t process;
    uint64_t started;  // the process's creation time (100 ns units)
};
constexpr size_t RunMarkDigits = 32;
// The mark as RunMarkDigits lower-case hex digits (machine, process, start) and a terminator.
void FormatRunMark(const RunMark& mark, wchar_t (&digits)[RunMarkDigits + 1]);
// The machine's part of a mark: FNV-1a over its name, ASCII letters in either case alike.
uint32_t MachineMark(const wchar_t* computerName);

// The name a file, or a folder the copy makes, is written under in its target folder until it
// is whole: the name, ".~", the mark's digits and TemporarySuffix; where that would pass
// LongestName, the name's start, "~" and 16 hex digits that stand for the whole name (letters a
// to z in either case alike) take the name's place. markDigits "*" gives the pattern that
// finds every run's temporary name of that name. False when output (at least LongestName + 1)
// is too small.
constexpr wchar_t TemporarySuffix[] = L".stowlet-partial";
[[nodiscard]] bool TemporaryName(const wchar_t* name, const wchar_t* markDigits, wchar_t* output, size_t capacity);
// The mark of a temporary name: true only for a name that ends in ".~", RunMarkDigits
// lower-case hex digits and TemporarySuffix, after at least one character.
bool ReadRunMark(const wchar_t* name, RunMark* mark);

// A folder entry (its attributes and, for a reparse point, its tag) that stands for another
// folder: a junction, a mount point or a folder symbolic link. The walk never follows one. A
// tag the listing did not give counts as a link; a reparse point that keeps its own content (a
// cloud file's placeholder) is an ordinary folder.
bool IsFolderLink(uint32_t attributes, uint32_t reparseTag);

// The three debug lines of a file that could not be copied.
constexpr wchar_t ReportSourceLabel[] = L".SingleCopy Source: ";
constexpr wchar_t ReportDestLabel[] = L".SingleCopy Dest: ";
constexpr wchar_t ReportErrorLabel[] = L".SingleCopy Error code ";
// The one line of a folder link the walk left out, and of a temporary name left in place.
constexpr wchar_t ReportLinkLabel[] = L".SingleCopy Folder link not followed: ";
constexpr wchar_t ReportLeftoverLabel[] = L".SingleCopy Left under its temporary name: ";
// A text given in up to four pieces, so a path is reported whole even where it could not be
// joined.
struct JoinedText {
    const wchar_t* a = L"";
    const wchar_t* b = L"";
    const wchar_t* c = L"";
    const wchar_t* d = L"";
};
// ownName + label + the pieces into line. False when it did not fit (the line then ends in "...").
bool ComposeReportLine(wchar_t* line, size_t capacity, const wchar_t* ownName, const wchar_t* label,
                       const JoinedText& text);

// A failure another program causes for a moment, holding the file (ERROR_SHARING_VIOLATION,
// ERROR_LOCK_VIOLATION): the only one a copy tries again.
bool HeldByAnother(uint32_t code);
// The wait between two tries in milliseconds; a number of seconds too large for a 32-bit wait
// saturates below INFINITE.
uint32_t RetryWaitMilliseconds(uint32_t seconds);
