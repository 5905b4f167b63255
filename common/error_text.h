// The system's text for an error code, the one way every message, record line and debug line
// gets it.
#pragma once

#include <cstddef>
#include <cstdint>

// The system's text for an error code in the default language (UTF-8), inserts left as they
// are. False (and text empty) when the system has no text for the code or it does not fit.
bool SystemErrorText(uint32_t code, char* text, size_t capacity);
template <size_t N> bool SystemErrorText(uint32_t code, char (&text)[N]) { return SystemErrorText(code, text, N); }

// The system's text for an error code made one line (a cut one ends in "..."), or "Error 1234."
// when it has none: no failure reads like success.
void ErrorTextOrWords(uint32_t code, char* text, size_t capacity);
