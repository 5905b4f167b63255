// The program's text is UTF-8; the system's wide calls take UTF-16. These convert at that edge.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/scoped.h"

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

// UTF-8 text widened into a buffer of its own, for a wide call that takes a text of any length.
// A text that is no UTF-8 is widened through the code page, so nothing shown goes missing.
// Get() is never null: an empty text when the buffer could not be had.
class WideText {
public:
    explicit WideText(const char* text);
    // The first length bytes, NULs included (a filter list of the Open dialog).
    WideText(const char* text, uint32_t length);
    ~WideText();
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;
    const wchar_t* Get() const { return text_ ? text_.Get() : L""; }

private:
    ScopedHeap<wchar_t> text_;
};

// Whether two UTF-8 texts of the given byte lengths are equal under the user's locale, letter
// case ignored (CompareStringW with NORM_IGNORECASE); false when either is no UTF-8.
bool Utf8EqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength);
