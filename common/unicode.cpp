#include "common/unicode.h"

#include <windows.h>

#include <climits>

#include "common/text.h"

bool WidenUtf8(const char* text, wchar_t* output, uint32_t capacity)
{
    if (!capacity) return false;
    int words = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, output, int(capacity));
    if (words > 0) return true;
    output[0] = L'\0';
    return false;
}

bool NarrowToUtf8(const wchar_t* text, char* output, uint32_t capacity)
{
    if (!capacity) return false;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, output, int(capacity), nullptr, nullptr);
    if (bytes > 0) return true;
    output[0] = '\0';
    return false;
}

WideText::WideText(const char* text) : WideText(text, text ? uint32_t(TextLengthWithin(text, INT_MAX - 1)) + 1 : 0) {}

WideText::WideText(const char* text, uint32_t length)
{
    if (!text || length == 0 || length > uint32_t(INT_MAX)) return;
    UINT codePage = CP_UTF8;
    int words = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, int(length), nullptr, 0);
    if (words <= 0) {
        codePage = CP_ACP;
        words = MultiByteToWideChar(codePage, 0, text, int(length), nullptr, 0);
    }
    if (words <= 0) return;
    // One more word: a length that leaves out the terminator still gets one.
    text_ = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (size_t(words) + 1) * sizeof(wchar_t)));
    if (text_ && MultiByteToWideChar(codePage, 0, text, int(length), text_, words) != words) text_[0] = L'\0';
}

WideText::~WideText()
{
    if (text_) HeapFree(GetProcessHeap(), 0, text_);
}
