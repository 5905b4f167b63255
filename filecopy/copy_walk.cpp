// The walk of a copy: the source and target resolved, the source's folders listed level by
// level, each file handed to its placement and each target folder to its stage.
#include "common/file_system.h"
#include "common/text.h"
#include "filecopy/copy_run.h"

bool PathBuffer::Push(const wchar_t* more)
{
    size_t n = TextLength(more);
    if (n >= LongPathCapacity - length) return false;
    CopyBytes(more, text + length, (n + 1) * sizeof(wchar_t));
    length += n;
    return true;
}

bool PathBuffer::SetPart(const wchar_t* from, size_t count, const wchar_t* more)
{
    if (count >= LongPathCapacity) return false;
    CopyBytes(from, text, count * sizeof(wchar_t));
    Cut(count);
    return Push(more);
}

namespace {

bool IsSkippedGitFolder(const CopyRun& run, const wchar_t* name)
{
    return run.settings.skipGitFolders == 1 && (SameText(name, -1, L".git", -1) || SameText(name, -1, L".github", -1));
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

// The end of the folder above the one that ends at end (both just after a backslash), or 0.
size_t ParentEnd(const wchar_t* path, size_t end)
{
    for (size_t i = end - 1; i > 0; --i)
        if (path[i - 1] == L'\\') return i;
    return 0;
}

// A folder as the file system knows it, whatever its spelling: a link or junction to it, a
// substituted drive, a short name or a share of this machine give the same.
struct FolderIdentity {
    DWORD volume;
    DWORD high;
    DWORD low;
};

// The folder whose path ends with a backslash at end - 1 (a drive's root keeps it), opened to
// be asked about, or empty when it is not there.
ScopedFile OpenFolder(wchar_t* path, size_t end)
{
    TextEnd folder(path, end - 1 > FolderPathStart(path) ? end - 1 : end);
    return ScopedFile(CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool IdentityOf(wchar_t* path, size_t end, FolderIdentity* identity)
{
    ScopedFile folder = OpenFolder(path, end);
    BY_HANDLE_FILE_INFORMATION info;
    if (!folder || !GetFileInformationByHandle(folder.Get(), &info)) return false;
    *identity = FolderIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// The folder the files are written to (the staged one while there is one), with every link
// and other spelling in it resolved as far as it is there, into real. False when no level of
// it can be opened.
bool RealTargetPath(CopyRun& run, PathBuffer& real)
{
    PathBuffer& files = run.stage.end ? run.staged : run.target;
    size_t there = files.length;
    ScopedFile folder;
    for (; there > 0 && !(folder = OpenFolder(files.text, there)); there = ParentEnd(files.text, there)) {}
    if (!folder) return false;
    DWORD length =
        GetFinalPathNameByHandleW(folder.Get(), run.fullPath, LongPathCapacity, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length > 0 && length < LongPathCapacity && real.Set(run.fullPath) && EndWithBackslash(real) &&
        real.Push(files.text + there))
        return true;
    return real.Set(files.text);  // the spelling as given: the levels' identities still count
}

// Turns the guard on when the folder the files are written to lies below the source folder,
// and tells a target that is the source itself. Folders are compared by identity, level by
// level up from the target, so any spelling of the source is recognised; the guard is then
// spelled as the walk spells the source.
void GuardTargetFolder(CopyRun& run)
{
    run.guardActive = false;
    FolderIdentity source;
    PathBuffer& real = run.leftover;  // no leftover is removed while the guard is set
    if (!IdentityOf(run.source.text, run.source.length, &source) || !RealTargetPath(run, real)) return;
    size_t start = FolderPathStart(real.text);
    for (size_t end = real.length; end >= start && end > 0; end = ParentEnd(real.text, end)) {
        FolderIdentity level;
        if (!IdentityOf(real.text, end, &level) || level.volume != source.volume || level.high != source.high ||
            level.low != source.low)
            continue;
        if (end == real.length)
            run.targetIsSource = true;
        else
            run.guardActive = run.guardedTarget.SetPart(run.source.text, run.source.length, real.text + end);
        return;
    }
}

void WalkFolder(CopyRun& run, const wchar_t* pattern);

// Walks the subfolder found with pattern into the same-named target subfolder. A folder link
// is left out: what it leads to is not the source's own, and following it could lead back into
// the walk, to the target, or to a whole drive.
void EnterSubfolder(CopyRun& run, const WIN32_FIND_DATAW& found, const wchar_t* pattern)
{
    const wchar_t* name = found.cFileName;
    if (IsSkippedGitFolder(run, name)) return;
    if (IsFolderLink(found.dwFileAttributes, found.dwReserved0))
        return ReportNotice(run, CopyEventKind::LinkNotFollowed, Shown(run.source.text, name), ERROR_SUCCESS);
    PathMark source(run.source);
    PathMark target(run.target);
    size_t sourceLength = run.source.length;
    size_t targetLength = run.target.length;
    if (run.depth >= DeepestLevel || !run.source.Push(name) || !run.source.Push(L"\\") || !run.target.Push(name) ||
        !run.target.Push(L"\\")) {
        run.source.Cut(sourceLength);
        run.target.Cut(targetLength);
        return ReportFailure(run, Shown(run.source.text, name, L"\\"), Shown(run.target.text, name, L"\\"),
                             ERROR_FILENAME_EXCED_RANGE);
    }
    // Not into the target itself: neither source equal to target nor a target below it.
    if (run.targetIsSource || SamePath(run.source, run.target) ||
        (run.guardActive && SamePath(run.source, run.guardedTarget)))
        return;
    bool staged = BeginStage(run, false);
    ++run.depth;
    WalkFolder(run, pattern);
    --run.depth;
    if (staged) EndStage(run);
}

// Copies the file name from the source folder into the target folder.
void CopyFoundFile(CopyRun& run, const wchar_t* name)
{
    PathMark source(run.source);
    PathMark target(run.target);
    size_t targetLength = run.target.length;
    if (run.source.Push(name) && run.target.Push(name)) return CopySingleFile(run, targetLength, run.target.length);
    ReportFailure(run, Shown(run.source.text, name), Shown(run.target.text, name), ERROR_FILENAME_EXCED_RANGE);
}

// Lists the entries of the source folder that match pattern; false when there are none or the
// folder cannot be listed.
bool ListFolder(CopyRun& run, const wchar_t* pattern, FolderListing& listing)
{
    PathMark folder(run.source);
    if (!run.source.Push(pattern)) {
        ReportFailure(run, Shown(run.source.text, pattern), Shown(run.target.text), ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return listing.Begin(run.source.text);
}

// WalkFolder with the same pattern in each subfolder of the source folder.
[[gnu::noinline]] void WalkSubfolders(CopyRun& run, const wchar_t* pattern)
{
    FolderListing listing;
    if (!ListFolder(run, L"*", listing)) return;
    do {
        if (listing.IsFolder() && !listing.IsDotEntry()) EnterSubfolder(run, listing.found, pattern);
    } while (listing.Next());
}

// The entries of the source folder that match pattern: the files copied, the folders entered
// when all and subfolders say so.
[[gnu::noinline]] void WalkEntries(CopyRun& run, const wchar_t* pattern, bool all, bool subfolders)
{
    FolderListing listing;
    if (!ListFolder(run, pattern, listing)) return;
    do {
        if (listing.IsDotEntry()) continue;
        if (listing.IsFolder()) {
            // A specific pattern reaches the subfolders through WalkSubfolders; entering the
            // folders it happens to match as well would walk them twice.
            if (all && subfolders) EnterSubfolder(run, listing.found, pattern);
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
    if (!resolved) return ReportGiven(run, ERROR_FILENAME_EXCED_RANGE);
    {
        FolderListing listing;
        if (!listing.Begin(run.source.text) || !PassesFilter(run, listing.found.ftLastWriteTime)) return;
    }
    if (!Resolve(run, run.givenTarget, run.target)) return ReportGiven(run, ERROR_FILENAME_EXCED_RANGE);
    // A target ending with a backslash is a folder that receives the file under its own name.
    size_t shownTarget = run.target.length;
    if (TextEndsWith(run.target.text, L'\\') && !run.target.Push(run.source.text + FileNameOffset(run.source.text)))
        return ReportFailure(run, Shown(run.source.text), Shown(run.target.text), ERROR_FILENAME_EXCED_RANGE);
    size_t nameStart = FileNameOffset(run.target.text);
    // What ended runs left of this file lies beside it.
    if (TemporaryName(run.target.text + nameStart, L"*", run.temporaryName, LongestName + 1))
        SweepLeftovers(run, run.target.text, nameStart, run.temporaryName);
    CopySingleFile(run, nameStart, shownTarget);
}

// The walk from the source folder (run.source, ending with a backslash) with each pattern.
void WalkFromTop(CopyRun& run, const wchar_t* list, bool patterns)
{
    bool staged = BeginStage(run, true);
    if (run.settings.subfolders == 1 || patterns) GuardTargetFolder(run);
    if (!patterns) {
        WalkFolder(run, L"*.*");
    } else {
        // The last pattern first.
        PatternScan scan = BeginPatternScan(list);
        size_t start = 0;
        size_t count = 0;
        while (PreviousPattern(scan, &start, &count)) {
            // Part of a text buffer: always fits.
            if (!TrimSpaces(list + start, count, run.pattern, TextCapacity) || !run.pattern[0]) continue;
            WalkFolder(run, run.pattern);
        }
    }
    if (staged) EndStage(run);
}

void CopyPatterns(CopyRun& run)
{
    // Each pattern is relative to the folder part; a bare list to the current folder.
    size_t listOffset = FileNameOffset(run.givenSource);
    bool resolved;
    {
        TextEnd folder(run.givenSource, listOffset);
        resolved = Resolve(run, listOffset ? run.givenSource : L".", run.source) && EndWithBackslash(run.source);
    }
    if (!resolved) return ReportGiven(run, ERROR_FILENAME_EXCED_RANGE);
    WalkFromTop(run, run.givenSource + listOffset, true);
}

void RunCopy(CopyRun& run)
{
    bool resolved = Resolve(run, run.givenSource, run.source);
    SourceForm form = ClassifySource(run.givenSource, resolved && IsFolder(run.source.text) == 1);
    if (form == SourceNone) return;
    if (form == SourceFile) return CopyFileSource(run, resolved);
    if (!Resolve(run, run.givenTarget, run.target) || !EndWithBackslash(run.target))
        return ReportGiven(run, ERROR_FILENAME_EXCED_RANGE);
    if (form == SourcePatterns) return CopyPatterns(run);
    if (!resolved || !EndWithBackslash(run.source)) return ReportGiven(run, ERROR_FILENAME_EXCED_RANGE);
    WalkFromTop(run, nullptr, false);
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
    ScopedHeap<CopyRun> run(HeapBlockOf<CopyRun>(sizeof(CopyRun)));
    if (!run) {
        ReportRefused(settings, source, target, ERROR_NOT_ENOUGH_MEMORY);
        return;
    }
    CopyRun& r = *run.Get();
    r.settings = settings;
    Widen(settings.ownName, r.ownName, PathCapacity);
    Widen(source, r.givenSource, TextCapacity);
    Widen(target, r.givenTarget, TextCapacity);
    MarkRun(r);
    r.madeFolder.Cut(0);
    r.guardActive = false;
    r.targetIsSource = false;
    r.freshFolder = false;
    r.stage.end = 0;
    r.depth = 0;
    RunCopy(r);
}
