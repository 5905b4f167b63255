#include "common/text.h"

size_t TextLength(const char* text)
{
    size_t n = 0;
    while (text[n]) ++n;
    return n;
}

size_t TextLengthWithin(const char* text, size_t max)
{
    size_t n = 0;
    while (n < max && text[n]) ++n;
    return n;
}

namespace {

// The bounded copy for both widths: at most count characters, always terminated; true when
// the whole text (or its first count characters) fit.
template <typename Char> bool CopyN(Char* dest, size_t capacity, const Char* src, size_t count)
{
    if (capacity == 0) return false;
    size_t n = 0;
    while (n < count && src[n] && n + 1 < capacity) {
        dest[n] = src[n];
        ++n;
    }
    dest[n] = Char();
    return n == count || !src[n];
}

}  // namespace

bool TextCopyN(char* dest, size_t capacity, const char* src, size_t count) { return CopyN(dest, capacity, src, count); }

bool TextAppendN(char* dest, size_t capacity, const char* src, size_t count)
{
    size_t used = TextLengthWithin(dest, capacity);
    if (used == capacity) {  // no terminator within the buffer: repair rather than read on
        if (capacity) dest[capacity - 1] = '\0';
        return false;
    }
    return TextCopyN(dest + used, capacity - used, src, count);
}

bool TextCopy(char* dest, size_t capacity, const char* src) { return TextCopyN(dest, capacity, src, SIZE_MAX); }
bool TextAppend(char* dest, size_t capacity, const char* src) { return TextAppendN(dest, capacity, src, SIZE_MAX); }

void MarkTextCut(char* text, size_t capacity)
{
    static const char marker[] = "...";
    if (capacity < sizeof marker) return;
    // The marker goes where a character begins: a UTF-8 sequence is at most four bytes.
    size_t at = capacity - sizeof marker;
    for (int back = 0; back < 3 && at > 0 && (uint8_t(text[at]) & 0xC0) == 0x80; ++back) --at;
    CopyBytes(marker, text + at, sizeof marker);
}

bool TextJoin(char* dest, size_t capacity, std::initializer_list<const char*> pieces)
{
    if (!capacity) return false;
    dest[0] = '\0';
    for (const char* piece : pieces)
        if (piece && !TextAppend(dest, capacity, piece)) {
            MarkTextCut(dest, capacity);
            return false;
        }
    return true;
}

bool TextCopyForDisplay(char* dest, size_t capacity, const char* src)
{
    if (TextCopy(dest, capacity, src)) return true;
    MarkTextCut(dest, capacity);
    return false;
}

size_t Utf8Sequence(const unsigned char* bytes, size_t size, char32_t* code)
{
    unsigned char b = bytes[0];
    if (b < 0x80) {
        *code = b;
        return 1;
    }
    size_t length;
    char32_t value;
    char32_t least;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2, value = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3, value = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4, value = b & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (size < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) return 0;
        value = (value << 6) | (bytes[i] & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *code = value;
    return length;
}

namespace {

// The length of the valid UTF-8 sequence at a NUL-terminated text, or 0 when none begins there.
size_t Utf8SequenceLength(const uint8_t* text)
{
    char32_t code;
    return Utf8Sequence(text, TextLengthWithin(reinterpret_cast<const char*>(text), 4), &code);
}

}  // namespace

size_t Utf16Length(const char* text)
{
    auto* at = reinterpret_cast<const uint8_t*>(text);
    size_t units = 0;
    while (*at) {
        size_t length = Utf8SequenceLength(at);
        units += length == 4 ? 2 : 1;
        at += length ? length : 1;
    }
    return units;
}

bool TextFitsUnits(const char* text, size_t units) { return Utf16Length(text) <= units; }

bool MarkTextCutToUnits(char* text, size_t units)
{
    if (TextFitsUnits(text, units)) return true;
    size_t at = TextPrefixForUnits(text, units < 3 ? 0 : units - 3);
    CopyBytes("...", text + at, 4);
    return false;
}

size_t TextPrefixForUnits(const char* text, size_t units)
{
    auto* at = reinterpret_cast<const uint8_t*>(text);
    size_t used = 0, bytes = 0;
    while (at[bytes]) {
        size_t length = Utf8SequenceLength(at + bytes);
        size_t need = length == 4 ? 2 : 1;
        if (used + need > units) break;
        used += need;
        bytes += length ? length : 1;
    }
    return bytes;
}

bool TextEquals(const char* a, const char* b)
{
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

static char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool TextEqualsIgnoreCase(const char* a, const char* b)
{
    while (*a && AsciiUpper(*a) == AsciiUpper(*b)) ++a, ++b;
    return AsciiUpper(*a) == AsciiUpper(*b);
}

bool TextEndsWith(const char* text, char c)
{
    size_t n = TextLength(text);
    return n > 0 && text[n - 1] == c;
}

void FillBytes(void* destination, size_t count, unsigned char value)
{
    auto* d = static_cast<unsigned char*>(destination);
    for (size_t i = 0; i < count; ++i) d[i] = value;
}

void CopyBytes(const void* source, void* destination, size_t count)
{
    auto* s = static_cast<const unsigned char*>(source);
    auto* d = static_cast<unsigned char*>(destination);
    if (d == s || count == 0) return;
    if (d < s) {
        for (size_t i = 0; i < count; ++i) d[i] = s[i];
    } else {
        for (size_t i = count; i-- > 0;) d[i] = s[i];
    }
}

int32_t FindText(int32_t start, const char* text, const char* pattern)
{
    size_t textLength = TextLength(text);
    size_t patternLength = TextLength(pattern);
    if (patternLength >= textLength) return -1;
    if (start < 1 || size_t(start) - 1 > textLength - patternLength) return -2;
    for (size_t at = size_t(start) - 1; at + patternLength <= textLength; ++at) {
        size_t i = 0;
        while (i < patternLength && text[at + i] == pattern[i]) ++i;
        if (i == patternLength) return int32_t(at + 1);
    }
    return 0;
}

size_t TextLength(const wchar_t* text)
{
    size_t n = 0;
    while (text[n]) ++n;
    return n;
}

bool TextCopyN(wchar_t* dest, size_t capacity, const wchar_t* src, size_t count)
{
    return CopyN(dest, capacity, src, count);
}

bool TextCopy(wchar_t* dest, size_t capacity, const wchar_t* src) { return TextCopyN(dest, capacity, src, SIZE_MAX); }

bool TextAppend(wchar_t* dest, size_t capacity, const wchar_t* src)
{
    size_t used = 0;
    while (used < capacity && dest[used]) ++used;
    if (used == capacity) {  // no terminator within the buffer: repair rather than read on
        if (capacity) dest[capacity - 1] = L'\0';
        return false;
    }
    return TextCopyN(dest + used, capacity - used, src, SIZE_MAX);
}

bool TextEndsWith(const wchar_t* text, wchar_t c)
{
    size_t n = TextLength(text);
    return n > 0 && text[n - 1] == c;
}
