#include "common/unicode.h"

#include <windows.h>

#include <climits>

#include "common/buffers.h"
#include "common/text.h"

bool WidenUtf8(const char* text, wchar_t* output, uint32_t capacity)
{
    if (!capacity) return false;
    int words = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, output, int(capacity));
    if (words > 0) return true;
    output[0] = L'\0';
    return false;
}

bool WidenUtf8(const char* text, size_t length, wchar_t* output, uint32_t capacity)
{
    if (!capacity) return false;
    output[0] = L'\0';
    if (length == 0) return true;
    if (length >= capacity) {
        // A UTF-8 text never takes more words than bytes: only a long one needs counting.
        int needed =
            length > 0x7FFFFFFF ? 0 : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, int(length), nullptr, 0);
        if (needed <= 0 || uint32_t(needed) >= capacity) return false;
    }
    int words = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, int(length), output, int(capacity - 1));
    if (words <= 0) {
        output[0] = L'\0';
        return false;
    }
    output[words] = L'\0';
    return true;
}

void WidenForDisplay(const char* text, wchar_t* output, uint32_t capacity)
{
    if (!capacity) return;
    // A UTF-8 text never takes more words than bytes: capacity - 1 bytes always fit.
    size_t length = 0;
    while (text[length] && length + 1 < capacity) ++length;
    int words = length ? MultiByteToWideChar(CP_UTF8, 0, text, int(length), output, int(capacity - 1)) : 0;
    output[words > 0 ? words : 0] = L'\0';
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
    text_.Reset(HeapBlockOf<wchar_t>((size_t(words) + 1) * sizeof(wchar_t), HEAP_ZERO_MEMORY));
    if (text_ && MultiByteToWideChar(codePage, 0, text, int(length), text_.Get(), words) != words)
        text_.Get()[0] = L'\0';
}

WideText::~WideText() = default;

bool Utf8EqualIgnoringCase(const char* a, size_t aLength, const char* b, size_t bLength)
{
    wchar_t wideA[TextCapacity], wideB[TextCapacity];
    if (!WidenUtf8(a, aLength, wideA, TextCapacity) || !WidenUtf8(b, bLength, wideB, TextCapacity)) return false;
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA, -1, wideB, -1) == CSTR_EQUAL;
}
