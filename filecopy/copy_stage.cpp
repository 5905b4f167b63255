// Folders the copy makes, filled under this run's temporary name and renamed once whole, and
// what runs cut short left: removed only when its name carries the mark of a run of this
// machine that has ended, never through a link.
#include "common/text.h"
#include "filecopy/copy_run.h"

namespace {

// Every run's temporary name of any file or folder.
constexpr wchar_t AnyTemporary[] = L"*.~*.stowlet-partial";

uint64_t TimeValue(const FILETIME& time) { return uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime; }

// Whether the run that made a mark may still be going. Only this machine's runs can be told
// ended (another machine's, writing to the same share, is left alone), and a process that
// cannot be asked (another user's) may be going.
bool RunMayBeGoing(const CopyRun& run, const RunMark& mark)
{
    if (mark.machine != run.mark.machine) return true;
    if (mark.process == run.mark.process && mark.started == run.mark.started) return true;
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, mark.process));
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;  // no process has that number
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process.Get(), &created, &exited, &kernel, &user)) return true;
    // The number of an ended process, given to another since.
    if (TimeValue(created) != mark.started) return false;
    return WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

bool RemoveLeftover(CopyRun& run, DWORD attributes, int32_t depth, DWORD* error);

// Removes every entry of the folder at run.leftover. False when any stays.
bool EmptyLeftover(CopyRun& run, int32_t depth, DWORD* error)
{
    PathMark folder(run.leftover);
    FolderListing listing;
    if (!run.leftover.Push(L"\\*")) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    if (!listing.Begin(run.leftover.text)) return true;  // its removal says why
    run.leftover.Cut(run.leftover.length - 1);
    bool all = true;
    do {
        if (listing.IsDotEntry()) continue;
        PathMark entry(run.leftover);
        if (!run.leftover.Push(listing.Name())) {
            *error = ERROR_FILENAME_EXCED_RANGE;
            all = false;
        } else {
            all = RemoveLeftover(run, listing.found.dwFileAttributes, depth, error) && all;
        }
    } while (listing.Next());
    return all;
}

// Removes the leftover at run.leftover (no backslash at its end), listed with these
// attributes: a file or a link of any kind as one entry, never what a link leads to; a folder
// emptied first, no deeper than DeepestLevel. False, with the first code that stopped it, when
// any of it stays.
bool RemoveLeftover(CopyRun& run, DWORD attributes, int32_t depth, DWORD* error)
{
    const wchar_t* path = run.leftover.text;
    bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    bool removed;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        removed = folder ? RemoveDirectoryW(path) : DeleteFileW(path);
    } else if (!folder) {
        removed = RemoveFile(path);
    } else if (depth >= DeepestLevel) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    } else {
        bool emptied = EmptyLeftover(run, depth + 1, error);
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
        if (!emptied) return false;
        removed = RemoveDirectoryW(path);
    }
    if (!removed && *error == ERROR_SUCCESS) *error = GetLastError();
    return removed;
}

void MoveStaged(CopyRun& run, int32_t depth);

// One entry of the staged folder MoveStaged empties, to the same place below run.target.
void MoveStagedEntry(CopyRun& run, const WIN32_FIND_DATAW& found, int32_t depth)
{
    PathMark staged(run.staged), target(run.target), source(run.source);
    const wchar_t* name = found.cFileName;
    // Nothing of this run's is a link; one planted meanwhile stays where it is.
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return;
    if (!run.staged.Push(name) || !run.target.Push(name) || !run.source.Push(name)) {
        // Written there by this run, so this cannot be; reported if ever it is.
        ReportFailure(run, Shown(run.source.text), Shown(run.target.text), ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        CreateDirectoryW(run.target.text, nullptr);
        if (depth < DeepestLevel && run.staged.Push(L"\\") && run.target.Push(L"\\") && run.source.Push(L"\\"))
            MoveStaged(run, depth + 1);
        return;
    }
    DWORD error = TargetRefusal(run, GetFileAttributesW(run.target.text));
    if (error == ERROR_SUCCESS) error = TakeFinalName(run, run.staged.text, run.target.text);
    if (error == ERROR_SUCCESS) return;
    ReportFailure(run, Shown(run.source.text), Shown(run.target.text), error);
    RemoveFile(run.staged.text);
}

// Empties the staged folder at run.staged into the final folder at run.target, entry by entry,
// and removes it; every path ends with a backslash. A file that cannot go is reported as the
// copy's failure (its source below run.source) and deleted. depth counts on from the walk's,
// so the two together never go deeper than DeepestLevel.
void MoveStaged(CopyRun& run, int32_t depth)
{
    {
        FolderListing listing;
        bool listed = false;
        {
            PathMark all(run.staged);
            listed = run.staged.Push(L"*") && listing.Begin(run.staged.text);
        }
        if (listed) do {
                if (!listing.IsDotEntry()) MoveStagedEntry(run, listing.found, depth);
            } while (listing.Next());
    }
    TextEnd folder(run.staged.text, run.staged.length - 1);
    SetFileAttributesW(run.staged.text, FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(run.staged.text);
}

// The staged folder, which stays under its temporary name: one line, and the sink told.
void KeepStaged(CopyRun& run, DWORD code)
{
    TextEnd folder(run.staged.text, run.staged.length - 1);
    ReportNotice(run, CopyEventKind::LeftoverKept, Shown(run.staged.text), code);
}

}  // namespace

void MarkRun(CopyRun& run)
{
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(computer, &size)) computer[0] = L'\0';
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);  // of the caller's own: always answers
    run.mark = RunMark{MachineMark(computer), GetCurrentProcessId(), TimeValue(created)};
    FormatRunMark(run.mark, run.markDigits);
}

bool StagedPath(const CopyRun& run, PathBuffer& path)
{
    return path.SetPart(run.target.text, run.stage.nameStart, run.stage.name) &&
           path.Push(run.target.text + run.stage.end);
}

void SweepLeftovers(CopyRun& run, const wchar_t* folder, size_t folderLength, const wchar_t* pattern)
{
    FolderListing listing;
    if (!run.leftover.SetPart(folder, folderLength, pattern) || !listing.Begin(run.leftover.text)) return;
    run.leftover.Cut(folderLength);
    do {
        RunMark mark;
        if (!ReadRunMark(listing.Name(), &mark) || RunMayBeGoing(run, mark)) continue;
        PathMark entry(run.leftover);
        DWORD error = ERROR_SUCCESS;
        if (run.leftover.Push(listing.Name()) &&
            !RemoveLeftover(run, listing.found.dwFileAttributes, run.depth, &error))
            ReportNotice(run, CopyEventKind::LeftoverKept, Shown(run.leftover.text), error);
    } while (listing.Next());
}

bool BeginStage(CopyRun& run, bool top)
{
    if (run.stage.end) return false;  // in a staged folder, which holds only what this run put there
    size_t end = run.target.length - 1;
    DWORD attributes = 0;
    DWORD error = ERROR_SUCCESS;
    if (end > FolderPathStart(run.target.text)) {
        TextEnd folder(run.target.text, end);
        size_t nameStart = FileNameOffset(run.target.text);
        // What ended runs staged for the copy's target lies beside it. Deeper down, the folder
        // beside is one the walk entered, and swept.
        if (top && TemporaryName(run.target.text + nameStart, L"*", run.temporaryName, LongestName + 1))
            SweepLeftovers(run, run.target.text, nameStart, run.temporaryName);
        attributes = GetFileAttributesW(run.target.text);
        error = GetLastError();
    }
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // There already (a drive or a share always is): what ended runs left of its files and
        // subfolders lies in it.
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            SweepLeftovers(run, run.target.text, run.target.length, AnyTemporary);
        return false;
    }
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
    size_t nameStart;
    {
        TextEnd folder(run.target.text, end);
        nameStart = FileNameOffset(run.target.text);
        if (!TemporaryName(run.target.text + nameStart, run.markDigits, run.stage.name, LongestName + 1)) return false;
    }
    run.stage.nameStart = nameStart;
    run.stage.end = end;
    run.stage.spoiled = false;
    run.stage.spoiledBy = ERROR_SUCCESS;
    if (StagedPath(run, run.staged)) return true;
    run.stage.end = 0;
    return false;
}

void EndStage(CopyRun& run)
{
    size_t end = run.stage.end;
    run.stage.end = 0;
    // The folder last made was in the staged one: the staged folder's parent is there.
    if (StartsWithPath(run.madeFolder, run.staged)) {
        run.madeFolder.Cut(run.stage.nameStart);
        run.freshFolder = false;
    }
    if (run.stage.spoiled) return KeepStaged(run, run.stage.spoiledBy);  // a cut file never takes a final name
    bool moved;
    DWORD error;
    {
        TextEnd staged(run.staged.text, run.staged.length - 1);
        TextEnd target(run.target.text, end);
        moved = MoveFileExW(run.staged.text, run.target.text, 0);
        error = moved ? ERROR_SUCCESS : GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;  // nothing was copied into it
        if (!moved) CreateDirectoryW(run.target.text, nullptr);
    }
    if (moved) return;
    // The name was taken meanwhile (another run into the same target, or anyone), or on
    // Windows a file in the folder is held open: entry by entry, by the overwrite rule.
    MoveStaged(run, run.depth);
    bool left;
    {
        TextEnd staged(run.staged.text, run.staged.length - 1);
        left = GetFileAttributesW(run.staged.text) != INVALID_FILE_ATTRIBUTES;
    }
    if (left) KeepStaged(run, error);
}
