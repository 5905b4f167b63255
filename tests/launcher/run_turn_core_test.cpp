// The names runs of one settings file meet at: one name for one file, another for another,
// within the platform's limit for a kernel object's name (MAX_PATH) whatever the path's length,
// in the namespace asked for.
#include <gtest/gtest.h>

#include <string>

#include "launcher/run_turn_core.h"

TEST(RunTurnName, OneFileOneNameWithinTheLimit)
{
    const std::wstring longest(32767, L'A');
    struct Case {
        std::wstring path;
        bool global;
        const wchar_t* prefix;
    } cases[] = {
        {L"\\DEVICE\\HARDDISKVOLUME3\\TOOLS\\NIGHTLY.INI", true, L"Global\\"},
        {L"\\DEVICE\\HARDDISKVOLUME3\\TOOLS\\NIGHTLY.INI", false, L"Local\\"},
        {L"\\DEVICE\\HARDDISKVOLUME3\\TOOLS\\NIGHTLY2.INI", true, L"Global\\"},
        {L"\\DEVICE\\HARDDISKVOLUME3\\TOOLS\\NIGHTLX.INI", true, L"Global\\"},
        {L"\\DEVICE\\HARDDISKVOLUME3\\TOOLS\\ЖУРНАЛ.INI", true, L"Global\\"},
        {longest, true, L"Global\\"},
    };
    std::vector<std::wstring> names;
    for (const Case& c : cases) {
        wchar_t name[TurnNameCapacity];
        TurnMutexName(c.path.c_str(), c.path.size(), c.global, name);
        std::wstring text = name;
        EXPECT_EQ(text.rfind(c.prefix, 0), 0u);
        EXPECT_LT(text.size(), 260u);
        EXPECT_EQ(text.find(L'\\', std::wstring(c.prefix).size()), std::wstring::npos);  // no further namespace
        wchar_t again[TurnNameCapacity];
        TurnMutexName(c.path.c_str(), c.path.size(), c.global, again);
        EXPECT_EQ(text, again);
        for (const std::wstring& other : names) EXPECT_NE(text, other);
        names.push_back(text);
    }
}
