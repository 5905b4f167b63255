// A Yes/No prompt that closes by itself when nobody answers it in time.
#pragma once

#include <windows.h>

#include <cstdint>

enum class TimedAnswer { Yes, No, TimedOut };

// MessageBoxW with text and caption (UTF-8) and style; with seconds above 0 the box closes
// after that long and the answer is TimedOut. The box is otherwise the one MessageBox shows.
TimedAnswer AskWithTimeout(HWND owner, const char* text, const char* caption, UINT style, uint32_t seconds);
