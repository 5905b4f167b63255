#include "common/unattended_core.h"

#include "common/number.h"
#include "common/text.h"

namespace {

bool IsLineBreakOrTab(char c) { return c == '\n' || c == '\r' || c == '\t'; }

}  // namespace

bool AppendAsOneLine(char* dest, size_t capacity, const char* text)
{
    if (!capacity) return false;
    size_t used = TextLengthWithin(dest, capacity);
    if (used == capacity) {
        dest[capacity - 1] = '\0';
        return false;
    }
    bool gap = false;
    for (const char* c = text; *c; ++c) {
        if (IsLineBreakOrTab(*c)) {
            gap = true;
            continue;
        }
        // A gap becomes one blank, and only between two pieces of text.
        size_t need = (gap && used > 0 && dest[used - 1] != ' ') ? 2 : 1;
        if (used + need >= capacity) {
            MarkTextCut(dest, capacity);
            return false;
        }
        if (need == 2) dest[used++] = ' ';
        dest[used++] = *c;
        gap = false;
    }
    while (used > 0 && dest[used - 1] == ' ') --used;
    dest[used] = '\0';
    return true;
}

void ErrorCodeWords(uint32_t code, char* text, size_t capacity)
{
    char digits[DecimalCapacity];
    FormatUnsignedDecimal(code, digits);
    (void)TextJoin(text, capacity, {"Error ", digits, "."});
}
