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

bool TemporaryName(const wchar_t* name, wchar_t* output, size_t capacity)
{
    constexpr size_t SuffixLength = sizeof TemporarySuffix / sizeof TemporarySuffix[0] - 1;
    constexpr size_t HashLength = 16;
    size_t length = TextLength(name);
    if (length + SuffixLength <= LongestName)
        return TextCopy(output, capacity, name) && TextAppend(output, capacity, TemporarySuffix);
    // FNV-1a over the UTF-16 units: any change of the name changes it, and it needs no table.
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < length; ++i) {
        wchar_t c = name[i] >= L'a' && name[i] <= L'z' ? wchar_t(name[i] - L'a' + L'A') : name[i];
        hash = (hash ^ uint16_t(c)) * 1099511628211ull;
    }
    size_t kept = LongestName - SuffixLength - 1 - HashLength;
    if (name[kept - 1] >= 0xD800 && name[kept - 1] <= 0xDBFF) --kept;  // never half a letter
    wchar_t tail[1 + HashLength + 1];
    tail[0] = L'~';
    for (size_t i = 0; i < HashLength; ++i) tail[1 + i] = L"0123456789abcdef"[(hash >> (60 - 4 * i)) & 0xF];
    tail[1 + HashLength] = L'\0';
    return TextCopyN(output, capacity, name, kept) && TextAppend(output, capacity, tail) &&
           TextAppend(output, capacity, TemporarySuffix);
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
