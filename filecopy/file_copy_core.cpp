#include "filecopy/file_copy_core.h"

#include "common/text.h"

size_t NameOffset(const wchar_t* path)
{
    size_t offset = 0;
    for (size_t i = 0; path[i]; ++i)
        if (path[i] == L'\\') offset = i + 1;
    return offset;
}

bool TrimSpaces(const wchar_t* pattern, size_t count, wchar_t* output, size_t capacity)
{
    size_t start = 0;
    while (start < count && pattern[start] == L' ') ++start;
    while (count > start && pattern[count - 1] == L' ') --count;
    return TextCopyN(output, capacity, pattern + start, count - start);
}

PatternScan BeginPatternScan(const wchar_t* list) { return PatternScan{list, TextLength(list), false}; }

bool PreviousPattern(PatternScan& scan, size_t* start, size_t* count)
{
    if (scan.finished) return false;
    size_t at = scan.end;
    while (at > 0 && scan.list[at - 1] != L';') --at;
    *start = at;
    *count = scan.end - at;
    if (at == 0) {
        scan.finished = true;
    } else {
        scan.end = at - 1;  // before the ";" that ended this pattern
    }
    return true;
}

SourceForm ClassifySource(const wchar_t* source, bool isFolder)
{
    if (isFolder) return SourceFolder;
    if (!source[0]) return SourceNone;
    if (TextEndsWith(source, L'\\')) return SourceFolder;
    for (const wchar_t* c = source + NameOffset(source); *c; ++c)
        if (*c == L'*' || *c == L'?' || *c == L';') return SourcePatterns;
    return SourceFile;
}

bool IsAllPattern(const wchar_t* pattern)
{
    return pattern[0] == L'*' && pattern[1] == L'.' && pattern[2] == L'*' && !pattern[3];
}

size_t CommonFolderLength(const wchar_t* a, const wchar_t* b)
{
    size_t common = 0;
    for (size_t i = 0; a[i] && a[i] == b[i]; ++i)
        if (a[i] == L'\\') common = i + 1;
    return common;
}

bool PassesCutOff(uint64_t localWriteTime, uint32_t cutOffMinutes, uint64_t runStartTime)
{
    if (cutOffMinutes == 0) return true;
    uint64_t window = uint64_t(cutOffMinutes) * FileTimeUnitsPerMinute;
    uint64_t sum = localWriteTime > UINT64_MAX - window ? UINT64_MAX : localWriteTime + window;
    return sum >= runStartTime;
}

bool TemporaryName(const wchar_t*, wchar_t* output, size_t capacity)
{
    if (capacity) output[0] = L'\0';
    return false;
}

bool ComposeReportLine(wchar_t* line, size_t capacity, const wchar_t* ownName, const wchar_t* label,
                       const JoinedText& text)
{
    bool fit = TextCopy(line, capacity, ownName) && TextAppend(line, capacity, label) &&
               TextAppend(line, capacity, text.a) && TextAppend(line, capacity, text.b) &&
               TextAppend(line, capacity, text.c) && TextAppend(line, capacity, text.d);
    if (!fit && capacity >= 4) (void)TextCopy(line + capacity - 4, 4, L"...");  // always fits
    return fit;
}
