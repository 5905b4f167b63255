// The copy's inside, shared by its four parts: the walk (copy_walk), the placement of one file
// (copy_place), the staging of new folders and the removal of what a cut run left
// (copy_stage), and the reports (copy_report). Nothing outside filecopy/ includes it.
//
// Every path of the walk is a full path in the long-path form ("\\?\C:\...", "\\?\UNC\..."),
// handed to the wide functions: no name passes through the ANSI code page, so none can turn
// into a look-alike or question marks, and no length short of the platform's limit fails.
#pragma once

#include <windows.h>

#include "common/buffers.h"
#include "common/file_system_core.h"
#include "common/scoped.h"
#include "filecopy/file_copy.h"
#include "filecopy/file_copy_core.h"

// Each level of the walk takes about 1 KB of stack (most of it the level's listing): a folder
// deeper than this below the source (paths of at least 2,048 characters) is reported and
// skipped, never a stack overflow. Emptying a leftover counts on from the walk's depth.
constexpr int32_t DeepestLevel = 1024;

// A path that grows by a name on the way down the walk and is cut back on the way up, so one
// buffer serves every depth.
struct PathBuffer {
    wchar_t text[LongPathCapacity];
    size_t length;

    // Appends more; false, with nothing appended, when the path would pass the limit.
    bool Push(const wchar_t* more);
    void Cut(size_t to)
    {
        length = to;
        text[to] = L'\0';
    }
    bool Set(const wchar_t* whole)
    {
        Cut(0);
        return Push(whole);
    }
    // The first count characters of from, then more.
    bool SetPart(const wchar_t* from, size_t count, const wchar_t* more = L"");
};

// Cuts a path back to the length it had when the mark was made, however the scope is left.
class PathMark {
public:
    explicit PathMark(PathBuffer& path) : path_(path), length_(path.length) {}
    ~PathMark() { path_.Cut(length_); }
    PathMark(const PathMark&) = delete;
    PathMark& operator=(const PathMark&) = delete;

private:
    PathBuffer& path_;
    size_t length_;
};

// Ends a text at one character while it lives (a folder path without its backslash, for the
// calls that take none) and puts that character back.
class TextEnd {
public:
    TextEnd(wchar_t* text, size_t at) : at_(text + at), kept_(*at_) { *at_ = L'\0'; }
    ~TextEnd() { *at_ = kept_; }
    TextEnd(const TextEnd&) = delete;
    TextEnd& operator=(const TextEnd&) = delete;

private:
    wchar_t* at_;
    wchar_t kept_;
};

// One level's listing: its own search and the entry at hand, so the levels below never
// overwrite the entry this one works on.
struct FolderListing {
    ScopedFind search;
    WIN32_FIND_DATAW found;

    // Lists path (a pattern after a folder).
    bool Begin(const wchar_t* path)
    {
        search.Reset(FindFirstFileW(path, &found));
        return bool(search);
    }
    bool Next() { return FindNextFileW(search.Get(), &found); }
    const wchar_t* Name() const { return found.cFileName; }
    bool IsFolder() const { return found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY; }
    bool IsDotEntry() const
    {
        const wchar_t* name = found.cFileName;
        return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2]));
    }
};

// A target folder that was not there, filled under this run's temporary name (name in place of
// the folder's own from nameStart to end, its backslash) and renamed once when the walk leaves
// it: one rename for the folder instead of one for each file in it. end is 0 when no folder is
// staged.
struct Stage {
    size_t end;
    size_t nameStart;
    wchar_t name[LongestName + 1];
    // A failed file in it could not be removed: the folder never takes its final name.
    bool spoiled;
    DWORD spoiledBy;
};

// One copy run, passed down the walk. Too large for the stack: made once per run on the heap.
struct CopyRun {
    CopySettings settings;
    wchar_t ownName[PathCapacity];
    // The settings' texts widened; what a refused copy reports.
    wchar_t givenSource[TextCapacity];
    wchar_t givenTarget[TextCapacity];
    wchar_t pattern[TextCapacity];
    // This run's mark, in every temporary name it writes.
    RunMark mark;
    wchar_t markDigits[RunMarkDigits + 1];
    // The folder walked (ending with a backslash), or the file at hand; the same in the target.
    PathBuffer source;
    PathBuffer target;
    // The deepest target folder known to exist: every file of a source folder goes to the same
    // target folder, so its levels are made once rather than once per file.
    PathBuffer madeFolder;
    // The folder the files are written to while it lies below the source, spelled as the walk
    // spells the source: the walk never enters it, so the files it has just copied are not
    // found and copied again into ever deeper folders.
    PathBuffer guardedTarget;
    // The file at hand under its temporary name, or at its place in the staged folder.
    PathBuffer temporary;
    Stage stage;
    // The staged folder (ending with a backslash) while it is filled and when it is moved.
    PathBuffer staged;
    // A leftover of a run that has ended, while it is removed.
    PathBuffer leftover;
    wchar_t temporaryName[LongestName + 1];
    bool guardActive;
    // The target is the source folder itself under another spelling: nothing is copied onto
    // itself.
    bool targetIsSource;
    // madeFolder was made by this run: it holds only what the run put there.
    bool freshFolder;
    int32_t depth;  // levels below the source folder
    wchar_t fullPath[LongPathCapacity];
    wchar_t line[LongPathCapacity + 2 * PathCapacity];
};

// Compared as the file system compares names: letter case ignored, no linguistic equivalence.
inline bool SameText(const wchar_t* a, int aLength, const wchar_t* b, int bLength)
{
    return CompareStringOrdinal(a, aLength, b, bLength, TRUE) == CSTR_EQUAL;
}
inline bool SamePath(const PathBuffer& a, const PathBuffer& b)
{
    return SameText(a.text, int(a.length), b.text, int(b.length));
}
// Whether path begins with the whole of start.
inline bool StartsWithPath(const PathBuffer& path, const PathBuffer& start)
{
    return path.length >= start.length && SameText(path.text, int(start.length), start.text, int(start.length));
}

// copy_report: the debug lines and the report sink.
// The caller's UTF-8 text; a text buffer's worth always fits (never more words than bytes).
void Widen(const char* text, wchar_t* output, size_t capacity);
// A path of the walk with pieces after it, as its user knows it.
JoinedText Shown(const wchar_t* path, const wchar_t* tail = L"", const wchar_t* more = L"");
void ReportFailure(CopyRun& run, const JoinedText& source, const JoinedText& destination, DWORD code);
// A copy refused before its walk: the texts as the settings gave them.
void ReportGiven(CopyRun& run, DWORD code);
void TellCopied(const CopyRun& run);
// A file another program holds, to be tried again: told to the sink only, since the last try
// makes the debug lines.
void ReportRetry(CopyRun& run, const JoinedText& source, const JoinedText& destination, DWORD code, uint32_t retry);
// One debug line of what the copy passed over (a folder link) or left (a leftover it could not
// remove, with the code that stopped it), told to the sink as well.
void ReportNotice(CopyRun& run, CopyEventKind kind, const JoinedText& path, DWORD code);

// copy_place: one file to its final name.
// Copies the file at run.source to the path at run.target, whose folder ends at folderEnd;
// a failure's destination is shown as far as shownTarget.
void CopySingleFile(CopyRun& run, size_t folderEnd, size_t shownTarget);
// Gives the whole file at from its final name to in one step, replacing what is there as the
// settings say. The error code, or ERROR_SUCCESS.
DWORD TakeFinalName(const CopyRun& run, const wchar_t* from, const wchar_t* to);
// What a file already at the target refuses, given its attributes (INVALID_FILE_ATTRIBUTES:
// there is none); ERROR_SUCCESS where the copy may replace it.
DWORD TargetRefusal(const CopyRun& run, DWORD existing);
// Removes a file, which may carry a read-only source's attribute. False when there was none or
// it stays.
bool RemoveFile(const wchar_t* path);

// copy_stage: staged folders and leftovers.
// This run's mark: the machine, the process and its start.
void MarkRun(CopyRun& run);
// The path at run.target as it is while its staged folder is filled, into path. False when it
// would pass the platform's limit.
bool StagedPath(const CopyRun& run, PathBuffer& path);
// The walk enters the target folder at run.target (ending with a backslash): the leftovers of
// ended runs in it go (and, for the copy's target, top, those beside it), and when the folder is
// not there it is staged (true).
bool BeginStage(CopyRun& run, bool top);
// The walk leaves the staged folder.
void EndStage(CopyRun& run);
// Removes the leftovers of ended runs that pattern finds in folder (ending with a backslash).
void SweepLeftovers(CopyRun& run, const wchar_t* folder, size_t folderLength, const wchar_t* pattern);
