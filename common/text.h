// Bounded text: the one way fixed buffers are filled.
//
// Every routine takes the destination's capacity in bytes (terminator included), never
// writes past it, always leaves a NUL-terminated text, and returns true only when the
// whole text fit. On false the destination holds as much as fit, so a caller may show it
// (with a marker) but must never act on it as if it were the whole text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

[[nodiscard]] bool TextCopy(char* dest, size_t capacity, const char* src);
[[nodiscard]] bool TextAppend(char* dest, size_t capacity, const char* src);
// Copies or appends at most count characters of src (fewer when src ends first).
[[nodiscard]] bool TextCopyN(char* dest, size_t capacity, const char* src, size_t count);
[[nodiscard]] bool TextAppendN(char* dest, size_t capacity, const char* src, size_t count);

template <size_t N> [[nodiscard]] bool TextCopy(char (&dest)[N], const char* src) { return TextCopy(dest, N, src); }
template <size_t N> [[nodiscard]] bool TextAppend(char (&dest)[N], const char* src) { return TextAppend(dest, N, src); }

// Length of a NUL-terminated text.
size_t TextLength(const char* text);
// Length, but never looks past max bytes; returns max when no terminator lies within them.
size_t TextLengthWithin(const char* text, size_t max);

bool TextEquals(const char* a, const char* b);
// ASCII letter case ignored (the keywords and "TRUE" are ASCII).
bool TextEqualsIgnoreCase(const char* a, const char* b);
bool TextEndsWith(const char* text, char c);

void FillBytes(void* destination, size_t count, unsigned char value);
// Moves count bytes; the ranges may overlap.
void CopyBytes(const void* source, void* destination, size_t count);

// Case-sensitive byte-wise search for pattern in text at or after the 1-based position start.
// 1-based position of the match; 0 when there is none; -2 when start is below 1 or leaves
// no room for the pattern; -1 when the pattern is not shorter than the text.
int32_t FindText(int32_t start, const char* text, const char* pattern);

// Replaces a too-long display text's end with "..." so a cut is visible; the cut never splits
// a UTF-8 character. Returns true when text fit as it was.
bool TextCopyForDisplay(char* dest, size_t capacity, const char* src);
// Ends a buffer filled to its capacity with "...", never splitting a UTF-8 character.
void MarkTextCut(char* text, size_t capacity);
// Cuts a text longer than units UTF-16 units to end in "..." within them, where a character
// ends (units at least 3). Returns true when the text fit as it was.
bool MarkTextCutToUnits(char* text, size_t units);

// Joins the pieces (null pieces count as empty) into dest. True when the whole text fit; else
// dest ends in "..." where a character ends (MarkTextCut) and false: the one way a text made of
// pieces for a person to read (a prompt, a record or debug line) is built.
bool TextJoin(char* dest, size_t capacity, std::initializer_list<const char*> pieces);
template <size_t N> bool TextJoin(char (&dest)[N], std::initializer_list<const char*> pieces)
{
    return TextJoin(dest, N, pieces);
}

// The valid UTF-8 sequence at bytes, of which size may be read: its length, its code point in
// *code; 0 when none begins there (shortest form only, no surrogates, nothing past U+10FFFF).
size_t Utf8Sequence(const unsigned char* bytes, size_t size, char32_t* code);

// UTF-16 units the UTF-8 text takes: two for a character outside the Basic Multilingual Plane,
// one for every other character and for each byte that begins no valid sequence (as the
// replacement character that stands for it).
size_t Utf16Length(const char* text);
// Whether the UTF-8 text holds at most units UTF-16 units: how every limit the system states
// in characters is decided.
bool TextFitsUnits(const char* text, size_t units);
// Bytes of the longest start of text that holds at most units UTF-16 units, ending where a
// character ends.
size_t TextPrefixForUnits(const char* text, size_t units);

// The same rules for wide texts (paths the file system takes in any alphabet and length).
[[nodiscard]] bool TextCopy(wchar_t* dest, size_t capacity, const wchar_t* src);
[[nodiscard]] bool TextAppend(wchar_t* dest, size_t capacity, const wchar_t* src);
[[nodiscard]] bool TextCopyN(wchar_t* dest, size_t capacity, const wchar_t* src, size_t count);
size_t TextLength(const wchar_t* text);
bool TextEndsWith(const wchar_t* text, wchar_t c);
template <size_t N> [[nodiscard]] bool TextCopy(wchar_t (&dest)[N], const wchar_t* src)
{
    return TextCopy(dest, N, src);
}
template <size_t N> [[nodiscard]] bool TextAppend(wchar_t (&dest)[N], const wchar_t* src)
{
    return TextAppend(dest, N, src);
}
