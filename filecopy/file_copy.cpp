#include "filecopy/file_copy.h"

#include <windows.h>

#include "common/buffers.h"
#include "common/file_system.h"
#include "common/file_system_core.h"
#include "common/number.h"
#include "common/scoped.h"
#include "common/text.h"
#include "filecopy/file_copy_core.h"

// Every path of the walk is a full path in the long-path form ("\\?\C:\...", "\\?\UNC\..."),
// handed to the wide functions: no name passes through the ANSI code page, so none can turn
// into a look-alike or question marks, and no length short of the platform's limit fails.

namespace {

// Each level of the walk takes about 1 KB of stack (most of it the level's listing): a folder
// deeper than this below the source (paths of at least 2,048 characters) is reported and
// skipped, never a stack overflow.
constexpr int32_t DeepestLevel = 1024;

// A path that grows by a name on the way down the walk and is cut back on the way up, so one
// buffer serves every depth.
struct PathBuffer {
    wchar_t text[LongPathCapacity];
    size_t length;

    // Appends more; false, with nothing appended, when the path would pass the limit.
    bool Push(const wchar_t* more)
    {
        size_t n = TextLength(more);
        if (n >= LongPathCapacity - length) return false;
        for (size_t i = 0; i <= n; ++i) text[length + i] = more[i];
        length += n;
        return true;
    }
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
};

// One copy run, passed down the walk. Too large for the stack: made once per run on the heap.
struct CopyRun {
    CopySettings settings;
    wchar_t ownName[PathCapacity];
    // The settings' texts widened; what a refused copy reports.
    wchar_t givenSource[TextCapacity];
    wchar_t givenTarget[TextCapacity];
    wchar_t pattern[TextCapacity];
    // The folder walked (ending with a backslash), or the file at hand; the same in the target.
    PathBuffer source;
    PathBuffer target;
    // The deepest target folder known to exist: every file of a source folder goes to the same
    // target folder, so its levels are made once rather than once per file.
    PathBuffer madeFolder;
    // The target folder while it lies below the source: the walk never enters it, so the files
    // it has just copied are not found and copied again into ever deeper folders.
    PathBuffer guardedTarget;
    // The file at hand is written here, in its target folder, and takes its final name whole.
    PathBuffer temporary;
    wchar_t temporaryName[LongestName + 1];
    // A target folder that was not there is filled under its temporary name (stageName in place
    // of the name from stageNameStart to stageEnd, its backslash) and takes its final name whole
    // when the walk leaves it: one rename for the folder instead of one for each file in it.
    // stageEnd is 0 when no folder is staged.
    size_t stageEnd;
    size_t stageNameStart;
    wchar_t stageName[LongestName + 1];
    bool guardActive;
    // madeFolder was made by this run: it holds only what the run put there.
    bool freshFolder;
    int32_t depth;  // levels below the source folder
    wchar_t fullPath[LongPathCapacity];
    wchar_t line[LongPathCapacity + 2 * PathCapacity];
};

void FreeRun(CopyRun* run) { HeapFree(GetProcessHeap(), 0, run); }
using ScopedRun = Owner<NullEmpty<CopyRun*, FreeRun>>;

// Compared as the file system compares names: letter case ignored, no linguistic equivalence.
bool SameText(const wchar_t* a, int aLength, const wchar_t* b, int bLength)
{
    return CompareStringOrdinal(a, aLength, b, bLength, TRUE) == CSTR_EQUAL;
}
bool SamePath(const PathBuffer& a, const PathBuffer& b)
{
    return SameText(a.text, int(a.length), b.text, int(b.length));
}

bool IsDotEntry(const wchar_t* name) { return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2])); }

bool IsSkippedGitFolder(const CopyRun& run, const wchar_t* name)
{
    return run.settings.skipGitFolders == 1 && (SameText(name, -1, L".git", -1) || SameText(name, -1, L".github", -1));
}

// The caller's UTF-8 text; a text buffer's worth always fits (never more words than bytes).
void Widen(const char* text, wchar_t* output, size_t capacity)
{
    if (!MultiByteToWideChar(CP_UTF8, 0, text, -1, output, int(capacity))) output[0] = L'\0';
}

// A path of the walk with pieces after it, as its user knows it.
JoinedText Shown(const wchar_t* path, const wchar_t* tail = L"", const wchar_t* more = L"")
{
    ShownPath shown = ShowPath(path);
    return JoinedText{shown.lead, path + shown.offset, tail, more};
}

// The three lines through the wide channel, so a debugger shows every name as it is.
void WriteReport(wchar_t* line, size_t capacity, const wchar_t* ownName, const JoinedText& source,
                 const JoinedText& destination, DWORD code, const CopySettings* settings = nullptr)
{
    if (settings && settings->report) settings->report(settings->reportContext, {&source, &destination, code});
    ComposeReportLine(line, capacity, ownName, ReportSourceLabel, source);
    OutputDebugStringW(line);
    ComposeReportLine(line, capacity, ownName, ReportDestLabel, destination);
    OutputDebugStringW(line);
    char digits[DecimalCapacity];
    FormatUnsignedDecimal(code, digits);
    wchar_t number[DecimalCapacity];
    for (size_t i = 0; i < DecimalCapacity; ++i) number[i] = wchar_t(digits[i]);
    ComposeReportLine(line, capacity, ownName, ReportErrorLabel, JoinedText{number});
    OutputDebugStringW(line);
}

[[gnu::noinline]] void ReportFailure(CopyRun& run, const JoinedText& source, const JoinedText& destination, DWORD code)
{
    WriteReport(run.line, sizeof run.line / sizeof run.line[0], run.ownName, source, destination, code, &run.settings);
}

void TellCopied(const CopyRun& run)
{
    if (run.settings.report) run.settings.report(run.settings.reportContext, {nullptr, nullptr, 0});
}

// A copy refused before its walk: the texts as the settings gave them.
void ReportGiven(CopyRun& run, DWORD code)
{
    ReportFailure(run, JoinedText{run.givenSource}, JoinedText{run.givenTarget}, code);
}

bool PassesFilter(const CopyRun& run, const FILETIME& lastWrite)
{
    if (run.settings.cutOffMinutes == 0) return true;
    FILETIME local;
    // A time the system cannot convert lies beyond any window's past: the file is kept.
    if (!FileTimeToLocalFileTime(&lastWrite, &local)) return true;
    uint64_t localTime = uint64_t(local.dwHighDateTime) << 32 | local.dwLowDateTime;
    return PassesCutOff(localTime, run.settings.cutOffMinutes, run.settings.runStartTime);
}

// text as a full path (relative parts resolved against the current folder) in the long-path
// form, into path. False when it would pass the platform's limit.
bool Resolve(CopyRun& run, const wchar_t* text, PathBuffer& path)
{
    DWORD length = GetFullPathNameW(text, LongPathCapacity, run.fullPath, nullptr);
    if (length == 0 || length >= LongPathCapacity || !LongPathForm(run.fullPath, path.text, LongPathCapacity)) {
        path.Cut(0);
        return false;
    }
    path.length = TextLength(path.text);
    return true;
}

bool EndWithBackslash(PathBuffer& path) { return TextEndsWith(path.text, L'\\') || path.Push(L"\\"); }

// Makes the last level of path (a folder ending with a backslash at folderEnd - 1), or every
// level from "from" when its parents are missing too. True when it was not there before.
bool MakeNewFolder(wchar_t* path, size_t folderEnd, size_t from)
{
    path[folderEnd - 1] = L'\0';
    bool made = CreateDirectoryW(path, nullptr);
    DWORD error = made ? ERROR_SUCCESS : GetLastError();
    path[folderEnd - 1] = L'\\';
    return made || (error == ERROR_PATH_NOT_FOUND && CreateFolderPath(path, from) == 1);
}

// Makes the folder of the file at path (the path up to folderEnd), skipping the levels of the
// last one made.
bool MakeTargetFolder(CopyRun& run, PathBuffer& file, size_t folderEnd)
{
    wchar_t* path = file.text;
    wchar_t kept = path[folderEnd];
    path[folderEnd] = L'\0';
    size_t known = CommonFolderLength(path, run.madeFolder.text);
    bool made = true;
    if (known != folderEnd) {
        size_t start = FolderPathStart(path);
        size_t from = known > start ? known : start;
        run.freshFolder = folderEnd > from && MakeNewFolder(path, folderEnd, from);
        made = (run.freshFolder || CreateFolderPath(path, from) == 1) && run.madeFolder.Set(path);
        if (!made) {
            run.madeFolder.Cut(0);
            run.freshFolder = false;
        }
    }
    path[folderEnd] = kept;
    return made;
}

// The path at run.target as it is while its staged folder is filled, into path. False when it
// would pass the platform's limit.
bool StagedPath(const CopyRun& run, PathBuffer& path)
{
    CopyBytes(run.target.text, path.text, run.stageNameStart * sizeof(wchar_t));
    path.Cut(run.stageNameStart);
    return path.Push(run.stageName) && path.Push(run.target.text + run.stageEnd);
}

// Turns the guard on when the target folder lies below the source folder; both are full
// paths, so other spellings of the same folder compare equal. A staged target is guarded under
// the name its files are written to.
void GuardTargetFolder(CopyRun& run)
{
    const PathBuffer* target = run.stageEnd && StagedPath(run, run.temporary) ? &run.temporary : &run.target;
    run.guardActive = target->length > run.source.length &&
                      SameText(target->text, int(run.source.length), run.source.text, int(run.source.length)) &&
                      run.guardedTarget.Set(target->text);
}

void WalkFolder(CopyRun& run, const wchar_t* pattern);

// run.temporary: the temporary name of the file at run.target, whose folder ends at folderEnd.
bool SetTemporaryPath(CopyRun& run, size_t folderEnd)
{
    if (!TemporaryName(run.target.text + folderEnd, run.temporaryName, LongestName + 1)) return false;
    CopyBytes(run.target.text, run.temporary.text, folderEnd * sizeof(wchar_t));
    run.temporary.Cut(folderEnd);
    return run.temporary.Push(run.temporaryName);
}

// Removes a file, which may carry a read-only source's attribute. False when there was none or
// it stays.
bool RemoveFile(const wchar_t* path)
{
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path);
}
bool RemoveTemporary(CopyRun& run) { return RemoveFile(run.temporary.text); }

// The source copied to run.temporary; the error code, or ERROR_SUCCESS.
DWORD CopyOnce(CopyRun& run, DWORD flags)
{
    if (CopyFileExW(run.source.text, run.temporary.text, nullptr, nullptr, nullptr, flags)) return ERROR_SUCCESS;
    DWORD error = GetLastError();
    // A cut run's leftover with a read-only or hidden source's attributes, which CopyFile does
    // not replace: removed, and the copy made once more.
    if (error != ERROR_ACCESS_DENIED || !RemoveTemporary(run)) return error;
    return CopyFileExW(run.source.text, run.temporary.text, nullptr, nullptr, nullptr, flags) ? ERROR_SUCCESS
                                                                                              : GetLastError();
}

// The source copied to run.temporary, a file in the folder of file that ends at folderEnd;
// folderMade says MakeTargetFolder had it. The error code, or ERROR_SUCCESS.
DWORD CopyToTemporary(CopyRun& run, PathBuffer& file, size_t folderEnd, bool folderMade, DWORD flags)
{
    DWORD error = CopyOnce(run, flags);
    if (error != ERROR_PATH_NOT_FOUND || !folderMade) return error;
    // The folder made earlier in this run is gone: made afresh, once.
    run.madeFolder.Cut(0);
    MakeTargetFolder(run, file, folderEnd);
    return CopyOnce(run, flags);
}

// A file in use is not replaced, and the system says only "access denied". The copy used to
// report what opening it for writing answers, the sharing violation: that code when it is so.
DWORD InUseError(const wchar_t* path, DWORD error)
{
    ScopedFile file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (file) return error;
    DWORD opening = GetLastError();
    return opening == ERROR_SHARING_VIOLATION || opening == ERROR_LOCK_VIOLATION ? opening : error;
}

// What a file already at the target refuses, given its attributes (INVALID_FILE_ATTRIBUTES: there
// is none); ERROR_SUCCESS where the copy may replace it.
DWORD TargetRefusal(const CopyRun& run, DWORD existing)
{
    if (existing == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
    if (!run.settings.overwrite) return ERROR_FILE_EXISTS;
    // CopyFile refuses to replace a read-only or hidden file, and a folder is no file.
    if (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

// Gives the whole file at from its final name to in one step, replacing what is there as the
// settings say. The error code, or ERROR_SUCCESS.
DWORD TakeFinalName(const CopyRun& run, const wchar_t* from, const wchar_t* to)
{
    bool overwrite = run.settings.overwrite != 0;
    if (MoveFileExW(from, to, overwrite ? MOVEFILE_REPLACE_EXISTING : 0)) return ERROR_SUCCESS;
    DWORD error = GetLastError();
    // Placed by another since it was looked at: refused as any existing file is.
    if (error == ERROR_ALREADY_EXISTS && !overwrite) error = ERROR_FILE_EXISTS;
    if (error == ERROR_ACCESS_DENIED && overwrite) error = InUseError(to, error);
    return error;
}

// A file of a staged folder is written under its own name: the folder takes its final name
// only once whole.
DWORD PlaceStagedFile(CopyRun& run, size_t folderEnd)
{
    if (!StagedPath(run, run.temporary)) return ERROR_FILENAME_EXCED_RANGE;
    size_t stagedFolderEnd = run.temporary.length - (run.target.length - folderEnd);
    bool folderMade = MakeTargetFolder(run, run.temporary, stagedFolderEnd);
    // Two patterns may name the same file: its second copy meets the first as any file there.
    DWORD error = CopyToTemporary(run, run.temporary, stagedFolderEnd, folderMade,
                                  run.settings.overwrite ? 0 : COPY_FILE_FAIL_IF_EXISTS);
    if (error != ERROR_SUCCESS && error != ERROR_FILE_EXISTS) RemoveTemporary(run);
    return error;
}

// Copies the file at run.source to the path at run.target, whose folder ends at folderEnd: under
// its temporary name, then to its final name in one step, so a run ended at any moment leaves
// under the final name the old file or the new one, whole. The error code, or ERROR_SUCCESS.
DWORD PlaceFile(CopyRun& run, size_t folderEnd)
{
    // Copied onto itself the file would be replaced by its copy; the system refuses that copy.
    if (SamePath(run.source, run.target)) return ERROR_SHARING_VIOLATION;
    if (run.stageEnd) return PlaceStagedFile(run, folderEnd);
    bool folderMade = MakeTargetFolder(run, run.target, folderEnd);
    if (!SetTemporaryPath(run, folderEnd)) return ERROR_FILENAME_EXCED_RANGE;
    // Looked at before a large file is copied in vain; a folder this run made holds only what
    // the run put there, and a name that is not there is slow to look up on some systems.
    DWORD refusal = TargetRefusal(run, run.freshFolder ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(run.target.text));
    if (refusal == ERROR_FILE_EXISTS) RemoveTemporary(run);  // what a run cut while replacing it left
    if (refusal != ERROR_SUCCESS) return refusal;
    DWORD error = CopyToTemporary(run, run.target, folderEnd, folderMade, 0);
    if (error == ERROR_SUCCESS) error = TakeFinalName(run, run.temporary.text, run.target.text);
    if (error != ERROR_SUCCESS) RemoveTemporary(run);
    return error;
}

// Copies the file at run.source to the path at run.target, whose folder ends at folderEnd;
// a failure's destination is shown as far as shownTarget.
[[gnu::noinline]] void CopySingleFile(CopyRun& run, size_t folderEnd, size_t shownTarget)
{
    DWORD error = PlaceFile(run, folderEnd);
    if (error == ERROR_SUCCESS) return TellCopied(run);
    wchar_t kept = run.target.text[shownTarget];
    run.target.text[shownTarget] = L'\0';
    ReportFailure(run, Shown(run.source.text), Shown(run.target.text), error);
    run.target.text[shownTarget] = kept;
}

// One level's listing: its own search and the entry at hand, so the levels below never
// overwrite the entry this one works on.
struct FolderListing {
    ScopedFind search;
    WIN32_FIND_DATAW found;

    bool Next() { return FindNextFileW(search.Get(), &found); }
    const wchar_t* Name() const { return found.cFileName; }
    bool IsFolder() const { return found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY; }
};

void DrainStaged(CopyRun& run, bool move, int32_t depth);

// One entry of the folder DrainStaged empties.
void DrainEntry(CopyRun& run, const WIN32_FIND_DATAW& found, bool move, int32_t depth)
{
    const wchar_t* name = found.cFileName;
    const size_t lengths[] = {run.temporary.length, run.target.length, run.source.length};
    bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (!run.temporary.Push(name) || (move && !(run.target.Push(name) && run.source.Push(name)))) {
        // Written there by this run, so this cannot be; reported if ever it is.
        if (move) ReportFailure(run, Shown(run.source.text), Shown(run.target.text), ERROR_FILENAME_EXCED_RANGE);
    } else if (folder && !link) {
        if (move) CreateDirectoryW(run.target.text, nullptr);
        if (depth < DeepestLevel && run.temporary.Push(L"\\") &&
            (!move || (run.target.Push(L"\\") && run.source.Push(L"\\"))))
            DrainStaged(run, move, depth + 1);
    } else if (!move) {
        // A link goes, never what it leads to.
        if (folder)
            RemoveDirectoryW(run.temporary.text);
        else
            RemoveFile(run.temporary.text);
    } else {
        DWORD error = TargetRefusal(run, GetFileAttributesW(run.target.text));
        if (error == ERROR_SUCCESS) error = TakeFinalName(run, run.temporary.text, run.target.text);
        if (error != ERROR_SUCCESS) {
            ReportFailure(run, Shown(run.source.text), Shown(run.target.text), error);
            RemoveFile(run.temporary.text);
        }
    }
    run.temporary.Cut(lengths[0]);
    run.target.Cut(lengths[1]);
    run.source.Cut(lengths[2]);
}

// Empties the folder at run.temporary and removes it; every path ends with a backslash. Moving
// (a staged folder that could not take its final name in one step): each entry goes to the same
// place below run.target, the final folder, and a file that cannot is reported as the copy's
// failure (its source below run.source) and deleted. Removing (what a cut run left): all goes.
// depth counts on from the walk's, so the two together never go deeper than DeepestLevel.
void DrainStaged(CopyRun& run, bool move, int32_t depth)
{
    size_t end = run.temporary.length;
    {
        FolderListing listing;
        if (run.temporary.Push(L"*")) listing.search.Reset(FindFirstFileW(run.temporary.text, &listing.found));
        run.temporary.Cut(end);
        if (listing.search) do {
                if (!IsDotEntry(listing.Name())) DrainEntry(run, listing.found, move, depth);
            } while (listing.Next());
    }
    run.temporary.text[end - 1] = L'\0';
    SetFileAttributesW(run.temporary.text, FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(run.temporary.text);
    run.temporary.text[end - 1] = L'\\';
}

// The walk enters the target folder at run.target (ending with a backslash): what a cut run left
// under its temporary name goes, and when the folder is not there it is staged (true).
bool BeginStage(CopyRun& run)
{
    if (run.stageEnd) return false;  // in a staged folder, which holds only what this run put there
    size_t end = run.target.length - 1;
    if (end <= FolderPathStart(run.target.text)) return false;  // a drive or a share: always there
    run.target.text[end] = L'\0';
    size_t nameStart = NameOffset(run.target.text);
    bool named = TemporaryName(run.target.text + nameStart, run.stageName, LongestName + 1);
    DWORD attributes = GetFileAttributesW(run.target.text);
    DWORD error = GetLastError();
    run.target.text[end] = L'\\';
    run.stageNameStart = nameStart;
    run.stageEnd = end;
    if (named && StagedPath(run, run.temporary)) {
        run.temporary.text[run.temporary.length - 1] = L'\0';
        bool left = GetFileAttributesW(run.temporary.text) != INVALID_FILE_ATTRIBUTES;
        run.temporary.text[run.temporary.length - 1] = L'\\';
        if (left) DrainStaged(run, false, run.depth);
        if (attributes == INVALID_FILE_ATTRIBUTES && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
            return true;
    }
    run.stageEnd = 0;
    return false;
}

// The walk leaves the staged folder at run.target (its final path, ending with a backslash), its
// source at run.source: it takes its final name in one step, or where that is refused (the name
// was taken meanwhile, or a file in it is held open) entry by entry. Not made, nothing to do.
void EndStage(CopyRun& run)
{
    StagedPath(run, run.temporary);  // it fitted when the stage began
    size_t end = run.stageEnd;
    run.stageEnd = 0;
    // The folder last made was in the staged one: the staged folder's parent is there.
    if (run.madeFolder.length >= run.temporary.length &&
        SameText(run.madeFolder.text, int(run.temporary.length), run.temporary.text, int(run.temporary.length))) {
        run.madeFolder.Cut(run.stageNameStart);
        run.freshFolder = false;
    }
    size_t stagedEnd = run.temporary.length - 1;
    run.temporary.text[stagedEnd] = L'\0';
    run.target.text[end] = L'\0';
    bool moved = MoveFileExW(run.temporary.text, run.target.text, 0);
    DWORD error = moved ? ERROR_SUCCESS : GetLastError();
    bool made = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    if (!moved && made) CreateDirectoryW(run.target.text, nullptr);
    run.temporary.text[stagedEnd] = L'\\';
    run.target.text[end] = L'\\';
    if (!moved && made) DrainStaged(run, true, run.depth);
}

// Walks the subfolder name with pattern into the same-named target subfolder.
void EnterSubfolder(CopyRun& run, const wchar_t* name, const wchar_t* pattern)
{
    if (IsSkippedGitFolder(run, name)) return;
    size_t sourceLength = run.source.length;
    size_t targetLength = run.target.length;
    if (run.depth < DeepestLevel && run.source.Push(name) && run.source.Push(L"\\") && run.target.Push(name) &&
        run.target.Push(L"\\")) {
        // Not into the target itself: neither source equal to target nor a target below it.
        if (!SamePath(run.source, run.target) && !(run.guardActive && SamePath(run.source, run.guardedTarget))) {
            bool staged = BeginStage(run);
            ++run.depth;
            WalkFolder(run, pattern);
            --run.depth;
            if (staged) EndStage(run);
        }
    } else {
        run.source.Cut(sourceLength);
        run.target.Cut(targetLength);
        ReportFailure(run, Shown(run.source.text, name, L"\\"), Shown(run.target.text, name, L"\\"),
                      ERROR_FILENAME_EXCED_RANGE);
    }
    run.source.Cut(sourceLength);
    run.target.Cut(targetLength);
}

// Copies the file name from the source folder into the target folder.
void CopyFoundFile(CopyRun& run, const wchar_t* name)
{
    size_t sourceLength = run.source.length;
    size_t targetLength = run.target.length;
    if (run.source.Push(name) && run.target.Push(name)) {
        CopySingleFile(run, targetLength, run.target.length);
    } else {
        run.source.Cut(sourceLength);
        run.target.Cut(targetLength);
        ReportFailure(run, Shown(run.source.text, name), Shown(run.target.text, name), ERROR_FILENAME_EXCED_RANGE);
    }
    run.source.Cut(sourceLength);
    run.target.Cut(targetLength);
}

// Lists the entries of the source folder that match pattern; false when there are none or the
// folder cannot be listed.
bool ListFolder(CopyRun& run, const wchar_t* pattern, FolderListing& listing)
{
    size_t sourceLength = run.source.length;
    if (!run.source.Push(pattern)) {
        ReportFailure(run, Shown(run.source.text, pattern), Shown(run.target.text), ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    listing.search.Reset(FindFirstFileW(run.source.text, &listing.found));
    run.source.Cut(sourceLength);
    return bool(listing.search);
}

// WalkFolder with the same pattern in each subfolder of the source folder.
[[gnu::noinline]] void WalkSubfolders(CopyRun& run, const wchar_t* pattern)
{
    FolderListing listing;
    if (!ListFolder(run, L"*", listing)) return;
    do {
        if (listing.IsFolder() && !IsDotEntry(listing.Name())) EnterSubfolder(run, listing.Name(), pattern);
    } while (listing.Next());
}

// The entries of the source folder that match pattern: the files copied, the folders entered
// when all and subfolders say so.
[[gnu::noinline]] void WalkEntries(CopyRun& run, const wchar_t* pattern, bool all, bool subfolders)
{
    FolderListing listing;
    if (!ListFolder(run, pattern, listing)) return;
    do {
        if (IsDotEntry(listing.Name())) continue;
        if (listing.IsFolder()) {
            // A specific pattern reaches the subfolders through WalkSubfolders; entering the
            // folders it happens to match as well would walk them twice.
            if (all && subfolders) EnterSubfolder(run, listing.Name(), pattern);
        } else if (PassesFilter(run, listing.found.ftLastWriteTime)) {
            CopyFoundFile(run, listing.Name());
        }
    } while (listing.Next());
}

// Copies the entries of the source folder (run.source) that match pattern into the target
// folder (run.target); both end with a backslash. Each listing lives in a routine of its own,
// so a level's stack holds one.
void WalkFolder(CopyRun& run, const wchar_t* pattern)
{
    bool all = IsAllPattern(pattern);
    bool subfolders = run.settings.subfolders == 1;
    if (!all && subfolders) WalkSubfolders(run, pattern);
    WalkEntries(run, pattern, all, subfolders);
}

void CopyFileSource(CopyRun& run, bool resolved)
{
    if (!resolved) {
        ReportGiven(run, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    {
        FolderListing listing;
        listing.search.Reset(FindFirstFileW(run.source.text, &listing.found));
        if (!listing.search || !PassesFilter(run, listing.found.ftLastWriteTime)) return;
    }
    if (!Resolve(run, run.givenTarget, run.target)) {
        ReportGiven(run, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    // A target ending with a backslash is a folder that receives the file under its own name.
    size_t shownTarget = run.target.length;
    if (TextEndsWith(run.target.text, L'\\') && !run.target.Push(run.source.text + NameOffset(run.source.text))) {
        ReportFailure(run, Shown(run.source.text), Shown(run.target.text), ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    CopySingleFile(run, NameOffset(run.target.text), shownTarget);
}

void CopyPatterns(CopyRun& run)
{
    // Each pattern is relative to the folder part; a bare list to the current folder.
    size_t listOffset = NameOffset(run.givenSource);
    wchar_t kept = run.givenSource[listOffset];
    run.givenSource[listOffset] = L'\0';
    bool resolved = Resolve(run, listOffset ? run.givenSource : L".", run.source) && EndWithBackslash(run.source);
    run.givenSource[listOffset] = kept;
    if (!resolved) {
        ReportGiven(run, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    bool staged = BeginStage(run);
    if (run.settings.subfolders == 1) GuardTargetFolder(run);
    // The last pattern first.
    const wchar_t* list = run.givenSource + listOffset;
    PatternScan scan = BeginPatternScan(list);
    size_t start = 0;
    size_t count = 0;
    while (PreviousPattern(scan, &start, &count)) {
        // Part of a text buffer: always fits.
        if (!TrimSpaces(list + start, count, run.pattern, TextCapacity) || !run.pattern[0]) continue;
        WalkFolder(run, run.pattern);
    }
    if (staged) EndStage(run);
}

void RunCopy(CopyRun& run)
{
    bool resolved = Resolve(run, run.givenSource, run.source);
    SourceForm form = ClassifySource(run.givenSource, resolved && IsFolder(run.source.text) == 1);
    if (form == SourceNone) return;
    if (form == SourceFile) {
        CopyFileSource(run, resolved);
        return;
    }
    if (!Resolve(run, run.givenTarget, run.target) || !EndWithBackslash(run.target)) {
        ReportGiven(run, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    if (form == SourcePatterns) {
        CopyPatterns(run);
        return;
    }
    if (!resolved || !EndWithBackslash(run.source)) {
        ReportGiven(run, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    bool staged = BeginStage(run);
    if (run.settings.subfolders == 1) GuardTargetFolder(run);
    WalkFolder(run, L"*.*");
    if (staged) EndStage(run);
}

}  // namespace

void CopyFiles(const char* source, const char* target, const CopySettings& settings)
{
    if (!source[0]) return;
    if (!target[0]) {
        // An empty target would become the current folder or the root of its drive.
        ReportRefused(settings, source, target, ERROR_INVALID_NAME);
        return;
    }
    ScopedRun run(static_cast<CopyRun*>(HeapAlloc(GetProcessHeap(), 0, sizeof(CopyRun))));
    if (!run) {
        ReportRefused(settings, source, target, ERROR_NOT_ENOUGH_MEMORY);
        return;
    }
    CopyRun& r = *run.Get();
    r.settings = settings;
    Widen(settings.ownName, r.ownName, PathCapacity);
    Widen(source, r.givenSource, TextCapacity);
    Widen(target, r.givenTarget, TextCapacity);
    r.madeFolder.Cut(0);
    r.guardActive = false;
    r.freshFolder = false;
    r.stageEnd = 0;
    r.depth = 0;
    RunCopy(r);
}

void ReportCopyFailure(const char* ownName, const char* source, const char* destination, uint32_t code)
{
    CopySettings settings;
    settings.ownName = ownName;
    ReportRefused(settings, source, destination, code);
}

void ReportRefused(const CopySettings& settings, const char* source, const char* destination, uint32_t code)
{
    const char* ownName = settings.ownName;
    wchar_t name[PathCapacity];
    wchar_t wideSource[TextCapacity];
    wchar_t wideDestination[TextCapacity];
    Widen(ownName, name, PathCapacity);
    Widen(source, wideSource, TextCapacity);
    Widen(destination, wideDestination, TextCapacity);
    wchar_t line[PathCapacity + TextCapacity + 32];
    WriteReport(line, sizeof line / sizeof line[0], name, JoinedText{wideSource}, JoinedText{wideDestination}, code,
                &settings);
}
