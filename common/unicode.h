// The program's text is UTF-8; the system's wide calls take UTF-16. These convert at that edge.
#pragma once

#include <cstdint>

// UTF-8 text as UTF-16 into output (capacity words, terminator included); false, with output
// empty, when it does not fit or is no UTF-8.
bool WidenUtf8(const char* text, wchar_t* output, uint32_t capacity);
// UTF-16 text as UTF-8; false, with output empty, when it does not fit.
bool NarrowToUtf8(const wchar_t* text, char* output, uint32_t capacity);
