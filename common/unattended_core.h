// Texts for runs nobody watches, free of any platform call: a text made one line, and words
// for an error code the system has no text for.
#pragma once

#include <cstddef>
#include <cstdint>

// Appends text as one line: each run of line feeds, carriage returns and tabs becomes one
// blank, blanks at its end are dropped. False when it did not fit (dest then ends in "...").
bool AppendAsOneLine(char* dest, size_t capacity, const char* text);

// "Error 1234.": what a box or a record says when the system has no text for the code.
void ErrorCodeWords(uint32_t code, char* text, size_t capacity);
