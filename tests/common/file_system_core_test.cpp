#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_system_core.h"

namespace {

TEST(LongPathForm, DrivesSharesAndDeviceForms)
{
    struct Case {
        const wchar_t* full;
        const wchar_t* form;  // nullptr: refused
        const wchar_t* shown;
    } cases[] = {
        {L"C:\\Docs\\a.txt", L"\\\\?\\C:\\Docs\\a.txt", L"C:\\Docs\\a.txt"},
        {L"z:\\", L"\\\\?\\z:\\", L"z:\\"},
        {L"\\\\server\\share\\Ω\\a.txt", L"\\\\?\\UNC\\server\\share\\Ω\\a.txt", L"\\\\server\\share\\Ω\\a.txt"},
        {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x", L"C:\\x"},  // already long: kept
        {L"\\\\?\\UNC\\s\\x", L"\\\\?\\UNC\\s\\x", L"\\\\s\\x"},
        {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},
        {L"Docs\\a.txt", nullptr, nullptr},  // relative: the caller resolves it first
        {L"\\Docs", nullptr, nullptr},
        {L"C:Docs", nullptr, nullptr},
        {L"\\\\", nullptr, nullptr},
        {L"", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        wchar_t out[64] = L"x";
        bool made = LongPathForm(c.full, out, 64);
        EXPECT_EQ(made, c.form != nullptr) << c.full;
        if (!c.form) continue;
        EXPECT_STREQ(out, c.form) << c.full;
        ShownPath shown = ShowPath(out);
        EXPECT_EQ(std::wstring(shown.lead) + (out + shown.offset), c.shown) << c.full;
    }
    wchar_t small[10];
    EXPECT_FALSE(LongPathForm(L"C:\\abc", small, 10));  // 10 characters with the prefix, no room for the end
    EXPECT_TRUE(LongPathForm(L"C:\\ab", small, 10));
}

std::vector<std::wstring> Levels(const std::wstring& path, size_t from, const std::wstring& refuse = L"")
{
    struct Context {
        std::vector<std::wstring> levels;
        std::wstring refuse;
    } context{{}, refuse};
    std::vector<wchar_t> text(path.begin(), path.end());
    text.push_back(L'\0');
    int32_t result = StepFolderPath(
        text.data(), from,
        [](const wchar_t* level, void* c) {
            auto* ctx = static_cast<Context*>(c);
            ctx->levels.push_back(level);
            return ctx->levels.back() != ctx->refuse;
        },
        &context);
    EXPECT_EQ(std::wstring(text.data()), path) << "restored";
    if (result != 1) context.levels.push_back(L"<0>");
    return context.levels;
}

TEST(CreateFolderPath, LevelsFromTheStartRule)
{
    using V = std::vector<std::wstring>;
    struct Case {
        std::wstring path;
        size_t start;
        V levels;
    } cases[] = {
        {L"C:\\a\\b\\", 3, V{L"C:\\a", L"C:\\a\\b"}},
        {L"C:\\a\\b", 3, V{L"C:\\a", L"C:\\a\\b"}},
        {L"\\a\\b\\", 1, V{L"\\a", L"\\a\\b"}},
        {L"a\\b\\", 0, V{L"a", L"a\\b"}},
        {L"a", 0, V{L"a"}},
        {L"", 0, V{}},
        {L"C:\\", 3, V{}},
        {L"C:", 2, V{}},
        {L"\\\\server\\share\\x\\y\\", 15, V{L"\\\\server\\share\\x", L"\\\\server\\share\\x\\y"}},
        {L"\\\\server\\share", 14, V{}},
        {L"\\\\?\\C:\\Ω\\b\\", 7, V{L"\\\\?\\C:\\Ω", L"\\\\?\\C:\\Ω\\b"}},
        {L"\\\\?\\C:\\", 7, V{}},
        {L"\\\\?\\UNC\\server\\share\\x\\", 21, V{L"\\\\?\\UNC\\server\\share\\x"}},
        {L"\\\\?\\UNC\\server\\share", 20, V{}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderPathStart(c.path.c_str()), c.start) << c.path;
        EXPECT_EQ(Levels(c.path, c.start), c.levels) << c.path;
    }
    // The first level that cannot be made ends the walk with 0.
    EXPECT_EQ(Levels(L"C:\\a\\b\\c\\", 3, L"C:\\a\\b"), (V{L"C:\\a", L"C:\\a\\b", L"<0>"}));
}

}  // namespace
