#include <gtest/gtest.h>

#include <string>

#include "settings/settings_file_core.h"

TEST(QuoteForProfile, WrapsOnlyWhatTheReaderWouldStrip)
{
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"\"C:\\My Tools\\app.exe\"", "\"\"C:\\My Tools\\app.exe\"\""},
        {"'a b'", "''a b''"},
        {"\"'a'\"", "\"\"'a'\"\""},
        {"'\"a\"'", "''\"a\"''"},
        {"\"", "\"\"\""},
        {"\"a'", "\"a'"},
        {"'a\"", "'a\""},
        {"\"a", "\"a"},
        {"a\"", "a\""},
        {"a \"b\" c", "a \"b\" c"},
        {"", ""},
    };
    for (const Case& c : cases) {
        char text[TextCapacity];
        std::string(c.text).copy(text, sizeof text);
        text[std::string(c.text).size()] = '\0';
        EXPECT_TRUE(QuoteForProfile(text)) << c.text;
        EXPECT_STREQ(text, c.expected) << c.text;
    }
}

TEST(QuoteForProfile, AWrappedFormThatWouldNotFitIsRefused)
{
    for (size_t inner : {TextCapacity - 5, TextCapacity - 4, TextCapacity - 3}) {
        std::string typed = "\"" + std::string(inner, 'x') + "\"";
        char text[TextCapacity];
        typed.copy(text, sizeof text);
        text[typed.size()] = '\0';
        bool fits = typed.size() + 2 <= TextCapacity - 1;
        EXPECT_EQ(QuoteForProfile(text), fits) << typed.size();
        EXPECT_EQ(std::string(text), fits ? "\"" + typed + "\"" : typed) << typed.size();
    }
}
