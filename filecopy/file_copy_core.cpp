#include "filecopy/file_copy_core.h"

#include "common/path.h"
#include "common/text.h"

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
    for (const wchar_t* c = source + FileNameOffset(source); *c; ++c)
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

namespace {

constexpr wchar_t HexDigits[] = L"0123456789abcdef";

void FormatHex(uint64_t value, size_t digits, wchar_t* output)
{
    for (size_t i = 0; i < digits; ++i) output[i] = HexDigits[(value >> (4 * (digits - 1 - i))) & 0xF];
}

// FNV-1a over the UTF-16 units, ASCII letters upper-cased: any change of a name changes it,
// and it needs no table.
uint64_t NameHash(const wchar_t* name, size_t length)
{
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < length; ++i) {
        wchar_t c = name[i] >= L'a' && name[i] <= L'z' ? wchar_t(name[i] - L'a' + L'A') : name[i];
        hash = (hash ^ uint16_t(c)) * 1099511628211ull;
    }
    return hash;
}

constexpr size_t SuffixLength = sizeof TemporarySuffix / sizeof TemporarySuffix[0] - 1;
// ".~", the digits and the suffix.
constexpr size_t MarkedEndLength = 2 + RunMarkDigits + SuffixLength;

}  // namespace

void FormatRunMark(const RunMark& mark, wchar_t (&digits)[RunMarkDigits + 1])
{
    FormatHex(mark.machine, 8, digits);
    FormatHex(mark.process, 8, digits + 8);
    FormatHex(mark.started, 16, digits + 16);
    digits[RunMarkDigits] = L'\0';
}

uint32_t MachineMark(const wchar_t* computerName)
{
    uint64_t hash = NameHash(computerName, TextLength(computerName));
    return uint32_t(hash ^ (hash >> 32));
}

bool TemporaryName(const wchar_t* name, const wchar_t* markDigits, wchar_t* output, size_t capacity)
{
    constexpr size_t HashLength = 16;
    size_t length = TextLength(name);
    bool fit;
    if (length + MarkedEndLength <= LongestName) {
        fit = TextCopy(output, capacity, name);
    } else {
        size_t kept = LongestName - MarkedEndLength - 1 - HashLength;
        if (name[kept - 1] >= 0xD800 && name[kept - 1] <= 0xDBFF) --kept;  // never half a letter
        wchar_t tail[1 + HashLength + 1];
        tail[0] = L'~';
        FormatHex(NameHash(name, length), HashLength, tail + 1);
        tail[1 + HashLength] = L'\0';
        fit = TextCopyN(output, capacity, name, kept) && TextAppend(output, capacity, tail);
    }
    return fit && TextAppend(output, capacity, L".~") && TextAppend(output, capacity, markDigits) &&
           TextAppend(output, capacity, TemporarySuffix);
}

bool ReadRunMark(const wchar_t* name, RunMark* mark)
{
    size_t length = TextLength(name);
    if (length <= MarkedEndLength) return false;
    const wchar_t* end = name + length - MarkedEndLength;
    if (end[0] != L'.' || end[1] != L'~') return false;
    for (size_t i = 0; i < SuffixLength; ++i)
        if (end[2 + RunMarkDigits + i] != TemporarySuffix[i]) return false;
    uint64_t parts[3] = {};
    const size_t widths[3] = {8, 8, 16};
    const wchar_t* digit = end + 2;
    for (size_t part = 0; part < 3; ++part) {
        for (size_t i = 0; i < widths[part]; ++i, ++digit) {
            wchar_t c = *digit;
            uint64_t value = c >= L'0' && c <= L'9'   ? uint64_t(c - L'0')
                             : c >= L'a' && c <= L'f' ? uint64_t(c - L'a' + 10)
                                                      : 16;
            if (value == 16) return false;
            parts[part] = parts[part] << 4 | value;
        }
    }
    *mark = RunMark{uint32_t(parts[0]), uint32_t(parts[1]), parts[2]};
    return true;
}

bool IsFolderLink(uint32_t attributes, uint32_t reparseTag)
{
    constexpr uint32_t Directory = 0x10, ReparsePoint = 0x400;  // FILE_ATTRIBUTE_...
    constexpr uint32_t NameSurrogate = 0x20000000;              // IsReparseTagNameSurrogate's bit
    if ((attributes & (Directory | ReparsePoint)) != (Directory | ReparsePoint)) return false;
    return reparseTag == 0 || (reparseTag & NameSurrogate) != 0;
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

bool HeldByAnother(uint32_t code) { return code == 32 || code == 33; }

uint32_t RetryWaitMilliseconds(uint32_t seconds)
{
    constexpr uint32_t Most = 0xFFFFFFFEu / 1000u;
    return (seconds < Most ? seconds : Most) * 1000u;
}
