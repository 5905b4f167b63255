// One file to its final name: under its temporary name first, then renamed in one step, so a
// name never holds a cut file.
#include "common/file_system.h"
#include "common/scoped.h"
#include "common/text.h"
#include "filecopy/copy_run.h"

namespace {

// A file written under a temporary name: removed when it goes out of scope unless it took its
// final name. One that cannot be removed spoils its staged folder, so the folder never takes a
// final name with a cut file in it.
class TemporaryFile {
public:
    TemporaryFile(const wchar_t* path, Stage* stage) : path_(path), stage_(stage) {}
    ~TemporaryFile()
    {
        if (kept_ || RemoveFile(path_)) return;
        DWORD error = GetLastError();
        if (stage_ && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && !stage_->spoiled) {
            stage_->spoiled = true;
            stage_->spoiledBy = error;
        }
    }
    void Keep() { kept_ = true; }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

private:
    const wchar_t* path_;
    Stage* stage_;
    bool kept_ = false;
};

// Makes the last level of path (a folder ending with a backslash at folderEnd - 1), or every
// level from "from" when its parents are missing too. True when it was not there before.
bool MakeNewFolder(wchar_t* path, size_t folderEnd, size_t from)
{
    DWORD error = ERROR_SUCCESS;
    {
        TextEnd folder(path, folderEnd - 1);
        if (CreateDirectoryW(path, nullptr)) return true;
        error = GetLastError();
    }
    return error == ERROR_PATH_NOT_FOUND && CreateFolderPath(path, from) == 1;
}

// Makes the folder of the file at path (the path up to folderEnd), skipping the levels of the
// last one made.
bool MakeTargetFolder(CopyRun& run, PathBuffer& file, size_t folderEnd)
{
    wchar_t* path = file.text;
    TextEnd folder(path, folderEnd);
    size_t known = CommonFolderLength(path, run.madeFolder.text);
    if (known == folderEnd) return true;
    size_t start = FolderPathStart(path);
    size_t from = known > start ? known : start;
    run.freshFolder = folderEnd > from && MakeNewFolder(path, folderEnd, from);
    if ((run.freshFolder || CreateFolderPath(path, from) == 1) && run.madeFolder.Set(path)) return true;
    run.madeFolder.Cut(0);
    run.freshFolder = false;
    return false;
}

// run.temporary: the temporary name of the file at run.target, whose folder ends at folderEnd.
bool SetTemporaryPath(CopyRun& run, size_t folderEnd)
{
    return TemporaryName(run.target.text + folderEnd, run.markDigits, run.temporaryName, LongestName + 1) &&
           run.temporary.SetPart(run.target.text, folderEnd, run.temporaryName);
}

// The source copied to run.temporary; the error code, or ERROR_SUCCESS.
DWORD CopyOnce(CopyRun& run, DWORD flags)
{
    if (CopyFileExW(run.source.text, run.temporary.text, nullptr, nullptr, nullptr, flags)) return ERROR_SUCCESS;
    DWORD error = GetLastError();
    // In a staged folder a second pattern naming the same file meets this run's first copy, with
    // a read-only or hidden source's attributes, which CopyFile does not replace: removed, and
    // the copy made once more.
    if (error != ERROR_ACCESS_DENIED || !RemoveFile(run.temporary.text)) return error;
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

// Copied onto itself the file would be replaced by its copy; the system refuses that copy, as
// a file in use, and no retry changes that.
bool OntoItself(const CopyRun& run) { return run.targetIsSource || SamePath(run.source, run.target); }

// A file of a staged folder is written under its own name: the folder takes its final name
// only once whole.
DWORD PlaceStagedFile(CopyRun& run, size_t folderEnd)
{
    if (!StagedPath(run, run.temporary)) return ERROR_FILENAME_EXCED_RANGE;
    size_t stagedFolderEnd = run.temporary.length - (run.target.length - folderEnd);
    bool folderMade = MakeTargetFolder(run, run.temporary, stagedFolderEnd);
    // Two patterns may name the same file: its second copy meets the first as any file there.
    TemporaryFile placed(run.temporary.text, &run.stage);
    DWORD error = CopyToTemporary(run, run.temporary, stagedFolderEnd, folderMade,
                                  run.settings.overwrite ? 0 : COPY_FILE_FAIL_IF_EXISTS);
    if (error == ERROR_SUCCESS || error == ERROR_FILE_EXISTS) placed.Keep();  // the first copy, whole
    return error;
}

// Copies the file at run.source to the path at run.target, whose folder ends at folderEnd: under
// its temporary name, then to its final name in one step, so a run ended at any moment leaves
// under the final name the old file or the new one, whole. The error code, or ERROR_SUCCESS.
DWORD PlaceFile(CopyRun& run, size_t folderEnd)
{
    if (OntoItself(run)) return ERROR_SHARING_VIOLATION;
    if (run.stage.end) return PlaceStagedFile(run, folderEnd);
    bool folderMade = MakeTargetFolder(run, run.target, folderEnd);
    if (!SetTemporaryPath(run, folderEnd)) return ERROR_FILENAME_EXCED_RANGE;
    // Looked at before a large file is copied in vain; a folder this run made holds only what
    // the run put there, and a name that is not there is slow to look up on some systems.
    DWORD refusal = TargetRefusal(run, run.freshFolder ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(run.target.text));
    if (refusal != ERROR_SUCCESS) return refusal;
    TemporaryFile temporary(run.temporary.text, nullptr);
    DWORD error = CopyToTemporary(run, run.target, folderEnd, folderMade, 0);
    if (error == ERROR_SUCCESS) error = TakeFinalName(run, run.temporary.text, run.target.text);
    if (error == ERROR_SUCCESS) temporary.Keep();
    return error;
}

}  // namespace

bool RemoveFile(const wchar_t* path)
{
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path);
}

DWORD TargetRefusal(const CopyRun& run, DWORD existing)
{
    if (existing == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
    if (!run.settings.overwrite) return ERROR_FILE_EXISTS;
    // CopyFile refuses to replace a read-only or hidden file, and a folder is no file.
    if (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

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

[[gnu::noinline]] void CopySingleFile(CopyRun& run, size_t folderEnd, size_t shownTarget)
{
    DWORD error = PlaceFile(run, folderEnd);
    // A file another program holds for a moment (an indexer, a scanner, a program saving) is
    // tried again; each try leaves the target as PlaceFile does, the old file or the new one.
    for (uint32_t retry = 1; retry <= run.settings.retries && HeldByAnother(error) && !OntoItself(run); ++retry) {
        {
            TextEnd shown(run.target.text, shownTarget);
            ReportRetry(run, Shown(run.source.text), Shown(run.target.text), error, retry);
        }
        Sleep(RetryWaitMilliseconds(run.settings.retryWaitSeconds));
        error = PlaceFile(run, folderEnd);
    }
    if (error == ERROR_SUCCESS) return TellCopied(run);
    TextEnd shown(run.target.text, shownTarget);
    ReportFailure(run, Shown(run.source.text), Shown(run.target.text), error);
}
