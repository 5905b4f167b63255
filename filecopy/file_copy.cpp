#include "filecopy/file_copy.h"

#include <windows.h>

#include "common/number.h"
#include "common/path.h"
#include "common/scoped.h"
#include "common/text.h"
#include "filecopy/file_copy_core.h"
#include "launcher/program.h"
#include "launcher/startup.h"
#include "launcher/tasks.h"
#include "settings/macros.h"

namespace {

// The state of the current copy run; CopyFiles sets it afresh.
//
// The deepest target folder known to exist: every file of a source folder goes to the same
// target folder, so its levels are made once rather than once per file.
char MadeFolder[PathCapacity];
// The target's full path while it lies below the source: the walk never enters it, so the
// files it has just copied are not found and copied again into ever deeper folders.
char GuardedTarget[TextCapacity];
bool GuardActive;

bool SameName(const char* a, const char* b)
{
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
}

bool IsDotEntry(const char* name) { return TextEquals(name, ".") || TextEquals(name, ".."); }

bool IsSkippedGitFolder(const char* name)
{
    return SkipGitFolders == 1 && (SameName(name, ".git") || SameName(name, ".github"));
}

// a + b + c into output; false when the path does not fit a path buffer.
[[nodiscard]] bool JoinPath(char (&output)[PathCapacity], const char* a, const char* b, const char* c = "")
{
    return TextCopy(output, a) && TextAppend(output, b) && TextAppend(output, c);
}

// The three debug lines of one thing not copied. Kept out of the walk's frames: its line
// buffer is large and the walk recurses.
[[gnu::noinline]] void ReportFailure(const JoinedText& source, const JoinedText& destination, DWORD code)
{
    char line[ReportLineCapacity];
    ComposeReportLine(line, sizeof line, OwnName, ReportSourceLabel, source);
    OutputDebugStringA(line);
    ComposeReportLine(line, sizeof line, OwnName, ReportDestLabel, destination);
    OutputDebugStringA(line);
    char number[DecimalCapacity];
    FormatUnsignedDecimal(code, number);
    ComposeReportLine(line, sizeof line, OwnName, ReportErrorLabel, JoinedText{number});
    OutputDebugStringA(line);
}

bool PassesFilter(const FILETIME& lastWrite, uint32_t cutOffMinutes)
{
    if (cutOffMinutes == 0) return true;
    FILETIME local;
    // A time the system cannot convert lies beyond any window's past: the file is kept.
    if (!FileTimeToLocalFileTime(&lastWrite, &local)) return true;
    uint64_t localTime = uint64_t(local.dwHighDateTime) << 32 | local.dwLowDateTime;
    return PassesCutOff(localTime, cutOffMinutes, RunStartTime);
}

bool MakeFolderLevel(const char* level, void*)
{
    if (CreateDirectoryA(level, nullptr)) return true;
    // An existing folder is no error; a file of that name, or nothing, is.
    return IsFolder(level) == 1;
}

// CreateFolderPath for a destination folder, skipping the levels of the last one made.
bool MakeTargetFolder(char (&folder)[PathCapacity])
{
    size_t from = CommonFolderLength(folder, MadeFolder);
    size_t start = FolderPathStart(folder);
    if (StepFolderPath(folder, from > start ? from : start, MakeFolderLevel, nullptr) != 1) {
        MadeFolder[0] = '\0';
        return false;
    }
    (void)TextCopy(MadeFolder, folder);  // same capacity: always fits
    return true;
}

[[gnu::noinline]] bool IsCopyTarget(const char* sourceFolder)
{
    char full[TextCapacity];
    DWORD length = GetFullPathNameA(sourceFolder, sizeof full, full, nullptr);
    return length > 0 && length < sizeof full && SameName(full, GuardedTarget);
}

// Turns the guard on when the target folder lies below the source folder (full paths,
// relative parts resolved, letter case ignored).
[[gnu::noinline]] void GuardTargetFolder(const char* sourceFolder, const char* targetFolder)
{
    GuardActive = false;
    char source[TextCapacity];
    // A bare pattern's folder is the current one.
    DWORD sourceLength = GetFullPathNameA(sourceFolder[0] ? sourceFolder : ".\\", sizeof source, source, nullptr);
    DWORD targetLength = GetFullPathNameA(targetFolder, sizeof GuardedTarget, GuardedTarget, nullptr);
    // Without full paths the walk is still bounded: paths stop fitting their buffers.
    if (sourceLength == 0 || sourceLength >= sizeof source || targetLength == 0 || targetLength >= sizeof GuardedTarget)
        return;
    GuardActive = targetLength > sourceLength &&
                  CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, GuardedTarget, int(sourceLength), source,
                                 int(sourceLength)) == CSTR_EQUAL;
}

// Walks subfolder name of folder with pattern into the same-named subfolder of target.
void EnterSubfolder(const char* folder, const char* name, const char* pattern, const char* target, int32_t subfolders,
                    int32_t overwrite, uint32_t cutOffMinutes)
{
    if (IsSkippedGitFolder(name)) return;
    char sourceFolder[PathCapacity];
    char targetFolder[PathCapacity];
    char path[PathCapacity];
    if (!JoinPath(sourceFolder, folder, name, "\\") || !JoinPath(targetFolder, target, name, "\\") ||
        !JoinPath(path, sourceFolder, pattern)) {
        // Not walked: the path functions cannot take it.
        ReportFailure({folder, name, "\\"}, {target, name, "\\"}, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    if (SameName(sourceFolder, targetFolder)) return;
    if (GuardActive && IsCopyTarget(sourceFolder)) return;
    WalkFolder(path, targetFolder, subfolders, overwrite, cutOffMinutes);
}

[[gnu::noinline]] void CopyFoundFile(const char* folder, const char* name, const char* target, int32_t overwrite)
{
    char source[PathCapacity];
    char destination[PathCapacity];
    if (!JoinPath(source, folder, name) || !JoinPath(destination, target, name)) {
        ReportFailure({folder, name}, {target, name}, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    CopySingleFile(source, destination, overwrite);
}

bool FitsPath(const char* text) { return TextLengthWithin(text, PathCapacity) < PathCapacity; }

}  // namespace

int32_t PathExists(const char* path)
{
    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA(path, &found));
    return search ? 1 : 0;
}

int32_t CreateFolderPath(const char* path)
{
    char levels[PathCapacity];
    if (!TextCopy(levels, path)) return 0;
    return StepFolderPath(levels, FolderPathStart(levels), MakeFolderLevel, nullptr);
}

[[gnu::noinline]] void CopySingleFile(const char* source, const char* destination, int32_t overwrite)
{
    char file[PathCapacity];
    const char* name = TextEndsWith(destination, '\\') ? source + FileNameOffset(source) : "";
    if (!FitsPath(source) || !JoinPath(file, destination, name)) {
        ReportFailure({source}, {destination}, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    char folder[PathCapacity];
    (void)FolderOfPath(file, folder);  // part of file: always fits
    bool folderMade = MakeTargetFolder(folder);
    DWORD flags = overwrite ? 0 : COPY_FILE_FAIL_IF_EXISTS;
    if (CopyFileExA(source, file, nullptr, nullptr, nullptr, flags)) return;
    DWORD error = GetLastError();
    if (error == ERROR_PATH_NOT_FOUND && folderMade) {
        // The folder made earlier in this run is gone: make it afresh, once.
        MadeFolder[0] = '\0';
        (void)FolderOfPath(file, folder);
        MakeTargetFolder(folder);
        if (CopyFileExA(source, file, nullptr, nullptr, nullptr, flags)) return;
        error = GetLastError();
    }
    ReportFailure({source}, {destination}, error);
}

void WalkSubfolders(const char* path, const char* target, int32_t subfolders, int32_t overwrite,
                    uint32_t cutOffMinutes)
{
    char folder[PathCapacity];
    int32_t folderLength = SplitPath(path, folder, sizeof folder, nullptr, 0, 1);
    if (folderLength < 0) return;
    const char* pattern = path + folderLength;
    char everything[PathCapacity];
    // "*" lists the same entries as "*.*" and fits where "*.*" does not.
    if (!JoinPath(everything, folder, "*.*") && !JoinPath(everything, folder, "*")) return;

    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA(everything, &found));
    if (!search) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotEntry(found.cFileName)) continue;
        EnterSubfolder(folder, found.cFileName, pattern, target, subfolders, overwrite, cutOffMinutes);
    } while (FindNextFileA(search.Get(), &found));
}

void WalkFolder(const char* path, const char* target, int32_t subfolders, int32_t overwrite, uint32_t cutOffMinutes)
{
    if (!FitsPath(path)) {
        ReportFailure({path}, {target}, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    char folder[PathCapacity];
    int32_t folderLength = SplitPath(path, folder, sizeof folder, nullptr, 0, 1);
    const char* pattern = path + folderLength;
    bool all = IsAllPattern(pattern);
    if (!all && subfolders == 1) WalkSubfolders(path, target, subfolders, overwrite, cutOffMinutes);

    WIN32_FIND_DATAA found;
    ScopedFind search(FindFirstFileA(path, &found));
    if (!search) return;
    do {
        const char* name = found.cFileName;
        if (IsDotEntry(name)) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A specific pattern reaches the subfolders through WalkSubfolders; entering the
            // folders it happens to match as well would walk them twice.
            if (all && subfolders == 1)
                EnterSubfolder(folder, name, pattern, target, subfolders, overwrite, cutOffMinutes);
        } else if (PassesFilter(found.ftLastWriteTime, cutOffMinutes)) {
            CopyFoundFile(folder, name, target, overwrite);
        }
    } while (FindNextFileA(search.Get(), &found));
}

void CopyFiles(const char* source, const char* target, int32_t subfolders, int32_t overwrite, uint32_t cutOffMinutes)
{
    MadeFolder[0] = '\0';
    GuardActive = false;
    SourceForm form = ClassifySource(source, IsFolder(source) == 1);
    if (form == SourceNone) return;
    if (!target[0]) {
        // An empty target would become the root of the current drive.
        ReportFailure({source}, {target}, ERROR_INVALID_NAME);
        return;
    }

    if (form == SourceFile) {
        if (!FitsPath(source)) {
            ReportFailure({source}, {target}, ERROR_FILENAME_EXCED_RANGE);
            return;
        }
        if (!PathExists(source)) return;
        if (cutOffMinutes != 0) {
            WIN32_FIND_DATAA found;
            ScopedFind search(FindFirstFileA(source, &found));
            if (!search || !PassesFilter(found.ftLastWriteTime, cutOffMinutes)) return;
        }
        CopySingleFile(source, target, overwrite);
        return;
    }

    char targetFolder[PathCapacity];
    if (!TextCopy(targetFolder, target) || (!TextEndsWith(targetFolder, '\\') && !TextAppend(targetFolder, "\\"))) {
        ReportFailure({source}, {target}, ERROR_FILENAME_EXCED_RANGE);
        return;
    }

    if (form == SourceFolder) {
        char path[PathCapacity];
        if (!TextCopy(path, source) || (!TextEndsWith(path, '\\') && !TextAppend(path, "\\"))) {
            ReportFailure({source}, {target}, ERROR_FILENAME_EXCED_RANGE);
            return;
        }
        if (subfolders == 1) GuardTargetFolder(path, targetFolder);
        if (!TextAppend(path, "*.*")) {
            ReportFailure({source}, {target}, ERROR_FILENAME_EXCED_RANGE);
            return;
        }
        WalkFolder(path, targetFolder, subfolders, overwrite, cutOffMinutes);
        return;
    }

    // A wildcard list: each pattern relative to the folder part, the last pattern first.
    size_t listOffset = FileNameOffset(source);
    char folder[PathCapacity];
    if (!TextCopyN(folder, sizeof folder, source, listOffset)) {
        ReportFailure({source}, {target}, ERROR_FILENAME_EXCED_RANGE);
        return;
    }
    if (subfolders == 1) GuardTargetFolder(folder, targetFolder);
    PatternScan scan = BeginPatternScan(source + listOffset);
    size_t start = 0;
    size_t count = 0;
    while (PreviousPattern(scan, &start, &count)) {
        char pattern[TextCapacity];
        char path[PathCapacity];
        bool trimmed = TrimSpaces(scan.list + start, count, pattern, sizeof pattern);
        if (trimmed && !pattern[0]) continue;
        if (!trimmed || !JoinPath(path, folder, pattern)) {
            ReportFailure({folder, pattern}, {targetFolder}, ERROR_FILENAME_EXCED_RANGE);
            continue;
        }
        WalkFolder(path, targetFolder, subfolders, overwrite, cutOffMinutes);
    }
}

void ReportCopyFailure(const char* source, const char* destination, uint32_t code)
{
    ReportFailure({source}, {destination}, code);
}
