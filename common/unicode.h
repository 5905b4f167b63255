// The program's text is UTF-8; the system's wide calls take UTF-16. These convert at that edge.
#pragma once

#include <cstddef>
#include <cstdint>

// UTF-8 text as UTF-16 into output (capacity words, terminator included); false, with output
// empty, when it does not fit or is no UTF-8.
bool WidenUtf8(const char* text, wchar_t* output, uint32_t capacity);
// The same for the first length bytes of text.
bool WidenUtf8(const char* text, size_t length, wchar_t* output, uint32_t capacity);
// UTF-8 text for display: a byte that begins no valid sequence shows as U+FFFD, and a text too
// long for output is cut there (always terminated).
void WidenForDisplay(const char* text, wchar_t* output, uint32_t capacity);
// UTF-16 text as UTF-8; false, with output empty, when it does not fit.
bool NarrowToUtf8(const wchar_t* text, char* output, uint32_t capacity);

// Whether two UTF-8 texts of the given byte lengths are equal under the user's locale, letter
// case ignored (CompareStringW with NORM_IGNORECASE); false when either is no UTF-8.
bool Utf8EqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength);
