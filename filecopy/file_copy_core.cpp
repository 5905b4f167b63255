#include "filecopy/file_copy_core.h"

#include "common/path.h"
#include "common/text.h"

int32_t SplitPath(const char* path, char* folder, size_t folderCapacity, char* name, size_t nameCapacity,
                  int32_t keepBackslash)
{
    size_t nameOffset = FileNameOffset(path);
    size_t folderLength = (nameOffset > 0 && keepBackslash != 1) ? nameOffset - 1 : nameOffset;
    if (!TextCopyN(folder, folderCapacity, path, folderLength)) return -1;
    if (name && !TextCopy(name, nameCapacity, path + nameOffset)) return -1;
    return int32_t(folderLength);
}

bool TrimSpaces(const char* pattern, size_t count, char* output, size_t capacity)
{
    size_t start = 0;
    while (start < count && pattern[start] == ' ') ++start;
    while (count > start && pattern[count - 1] == ' ') --count;
    return TextCopyN(output, capacity, pattern + start, count - start);
}

PatternScan BeginPatternScan(const char* list) { return PatternScan{list, TextLength(list), false}; }

bool PreviousPattern(PatternScan& scan, size_t* start, size_t* count)
{
    if (scan.finished) return false;
    size_t at = scan.end;
    while (at > 0 && scan.list[at - 1] != ';') --at;
    *start = at;
    *count = scan.end - at;
    if (at == 0) {
        scan.finished = true;
    } else {
        scan.end = at - 1;  // before the ";" that ended this pattern
    }
    return true;
}

SourceForm ClassifySource(const char* source, bool isFolder)
{
    if (isFolder) return SourceFolder;
    if (!source[0]) return SourceNone;
    if (TextEndsWith(source, '\\')) return SourceFolder;
    for (const char* c = source + FileNameOffset(source); *c; ++c)
        if (*c == '*' || *c == '?' || *c == ';') return SourcePatterns;
    return SourceFile;
}

bool IsAllPattern(const char* pattern) { return TextEquals(pattern, "*.*"); }

size_t FolderPathStart(const char* path)
{
    size_t length = TextLength(path);
    if (path[0] == '\\' && path[1] == '\\') {
        // "\\server\share\" names no folder that could be made: start after the share.
        size_t backslashes = 0;
        for (size_t i = 0; i < length; ++i)
            if (path[i] == '\\' && ++backslashes == 4) return i + 1;
        return length;
    }
    if (path[0] == '\\') return 1;
    if (path[0] && path[1] == ':') return length < 3 ? length : 3;
    return 0;
}

int32_t StepFolderPath(char* path, size_t from, bool (*makeLevel)(const char* level, void* context), void* context)
{
    size_t length = TextLength(path);
    for (size_t i = from; i < length; ++i) {
        if (path[i] != '\\' || i == 0) continue;
        path[i] = '\0';
        bool made = makeLevel(path, context);
        path[i] = '\\';
        if (!made) return 0;
    }
    if (length > from && path[length - 1] != '\\' && !makeLevel(path, context)) return 0;
    return 1;
}

size_t CommonFolderLength(const char* a, const char* b)
{
    size_t common = 0;
    for (size_t i = 0; a[i] && a[i] == b[i]; ++i)
        if (a[i] == '\\') common = i + 1;
    return common;
}

bool PassesCutOff(uint64_t localWriteTime, uint32_t cutOffMinutes, uint64_t runStartTime)
{
    if (cutOffMinutes == 0) return true;
    uint64_t window = uint64_t(cutOffMinutes) * FileTimeUnitsPerMinute;
    uint64_t sum = localWriteTime > UINT64_MAX - window ? UINT64_MAX : localWriteTime + window;
    return sum >= runStartTime;
}

bool ComposeReportLine(char* line, size_t capacity, const char* ownName, const char* label, const JoinedText& text)
{
    bool fit = TextCopy(line, capacity, ownName) && TextAppend(line, capacity, label) &&
               TextAppend(line, capacity, text.a) && TextAppend(line, capacity, text.b) &&
               TextAppend(line, capacity, text.c);
    if (!fit && capacity >= 4) CopyBytes("...", line + capacity - 4, 4);
    return fit;
}
