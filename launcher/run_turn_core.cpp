#include "launcher/run_turn_core.h"

#include "common/number.h"
#include "common/text.h"

namespace {

// FNV-1a over the two bytes of each unit: 64 bits, so two settings files of one machine never
// meet by chance.
uint64_t PathHash(const wchar_t* path, size_t length)
{
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < length; ++i) {
        uint32_t unit = uint32_t(path[i]) & 0xFFFFu;
        hash = (hash ^ (unit & 0xFFu)) * 1099511628211ull;
        hash = (hash ^ (unit >> 8)) * 1099511628211ull;
    }
    return hash;
}

}  // namespace

void TurnMutexName(const wchar_t* foldedPath, size_t length, bool global, wchar_t (&name)[TurnNameCapacity])
{
    bool fit = TextCopy(name, global ? L"Global\\Stowlet.Run." : L"Local\\Stowlet.Run.");
    (void)fit;  // the longer prefix and 16 digits fit (static_assert below)
    static_assert(sizeof "Global\\Stowlet.Run." - 1 + 16 < TurnNameCapacity, "the name fits");
    uint64_t hash = PathHash(foldedPath, length);
    size_t end = TextLength(name);
    for (int shift = 60; shift >= 0; shift -= 4) name[end++] = L"0123456789abcdef"[(hash >> shift) & 0xF];
    name[end] = L'\0';
}

void DescribeWaited(uint64_t milliseconds, bool abandoned, char* text, size_t capacity)
{
    uint64_t seconds = (milliseconds + 500) / 1000;
    char number[DecimalCapacity];
    FormatUnsignedDecimal(seconds > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(seconds), number);
    text[0] = '\0';
    bool fit = TextAppend(text, capacity, "queued: waited ") && TextAppend(text, capacity, number) &&
               TextAppend(text, capacity, " s for the other run of this settings file") &&
               (!abandoned || TextAppend(text, capacity, ", which ended without letting go (killed or crashed)"));
    if (!fit) MarkTextCut(text, capacity);
}
