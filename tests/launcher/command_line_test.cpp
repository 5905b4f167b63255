#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/timeout.h"
#include "launcher/command_line_core.h"
#include "launcher/startup_core.h"

namespace {

struct Parsed {
    ParseResult result;
    TaskSettings task;
    std::string parameters;
};

Parsed Parse(const std::string& afterOwnToken)
{
    static TaskSettings task;  // large: keep it off the stack
    std::memset(&task, 0, sizeof task);
    static char parameters[TextCapacity];
    std::string line = "\"C:\\Tools\\Stowlet.exe\" " + afterOwnToken;
    ParseResult result = ParseCommandText(line.c_str(), task, parameters, AsciiEqualIgnoringCase);
    return {result, task, parameters};
}

std::string Argument(const std::string& line, int number, int32_t* result = nullptr)
{
    char output[64];
    int32_t r = SplitArgument(line.c_str(), number, output, sizeof output);
    if (result) *result = r;
    return output;
}

}  // namespace

TEST(Splitter, SeparatorsQuotesAndTheEndOfTheLine)
{
    struct Case {
        const char* line;
        int number;
        const char* expected;
        int32_t result;
    } cases[] = {
        {"prog a b", 0, "prog", 1},
        {"prog a b", 2, "b", 1},
        {"prog a b", 3, "", 2},
        {"  \t prog,,a\r\nb  ", 2, "b", 1},
        {"prog \"a b\" c", 1, "a b", 1},
        {"prog \"a b\"c", 2, "c", 1},     // a quoted part ends its argument
        {"prog ab\"cd\" x", 1, "ab", 1},  // a quote inside an unquoted argument ends the text...
        {"prog ab\"cd\" x", 2, "x", 1},   // ...but the skip passes the quoted part
        {"prog \"\" x", 1, "", 2},        // an empty quoted argument
        {"prog \"unclosed arg", 1, "unclosed arg", 1},
        {"prog \"unclosed arg", 2, "", 2},  // nothing follows an unclosed quote
        {"prog a\\\"b", 1, "a\\", 1},       // no escape character
        {"", 0, "", 2},
        {"prog", -1, "", 2},
    };
    for (const Case& c : cases) {
        int32_t result = 0;
        EXPECT_EQ(Argument(c.line, c.number, &result), c.expected) << c.line << " #" << c.number;
        EXPECT_EQ(result, c.result) << c.line << " #" << c.number;
    }
}

TEST(Splitter, ReportsAnArgumentThatDoesNotFit)
{
    std::string line = "prog " + std::string(13000, 'x');
    static char output[TextCapacity];
    bool fit = true;
    EXPECT_EQ(SplitArgument(line.c_str(), 1, output, sizeof output, &fit), 1);
    EXPECT_FALSE(fit);
    EXPECT_EQ(std::strlen(output), TextCapacity - 1);
}

TEST(CommandLine, ProgramOptionsAndJoinedParameters)
{
    struct Case {
        const char* line;
        ParseResult result;
        const char* program;
        const char* parameters;
        int32_t term, unhide, timeout, show;
    } cases[] = {
        {"notepad readme.txt", ParseResult::Command, "notepad", "readme.txt", 0, 0, 0, 0},
        {"\"C:\\Program Files\\App\\app.exe\" \"a b\" c", ParseResult::Command, "C:\\Program Files\\App\\app.exe",
         "a b c", 0, 0, 0, 0},
        {"notepad a,b", ParseResult::Command, "notepad", "a b", 0, 0, 0, 0},
        {"notepad TERM", ParseResult::Command, "notepad", "", 2, 0, 0, 0},
        {"notepad term timeout=30 Show=True", ParseResult::Command, "notepad", "", 2, 0, 30, 1},
        {"notepad TERM readme.txt", ParseResult::Command, "notepad", "TERM readme.txt", 0, 0, 0, 0},
        {"notepad TIMEOUT=abc", ParseResult::Command, "notepad", "", 0, 0, 0, 0},
        {"notepad TIMEOUT=x5y", ParseResult::Command, "notepad", "", 0, 0, 5, 0},
        {"notepad TIMEOUT:30", ParseResult::Command, "notepad", "", 0, 0, 30, 0},
        {"notepad TIMEOUT=30s", ParseResult::Command, "notepad", "", 0, 0, 30, 0},
        {"notepad TIMEOUT=", ParseResult::Command, "notepad", "", 0, 0, 0, 0},
        {"notepad TIMEOUT", ParseResult::Command, "notepad", "", 0, 0, 0, 0},
        {"notepad SHOW=3", ParseResult::Command, "notepad", "", 0, 0, 0, 3},
        {"notepad SHOW=yes", ParseResult::Command, "notepad", "", 0, 0, 0, 0},
        {"notepad SHOW=12", ParseResult::Command, "notepad", "", 0, 0, 0, 1},
        {"notepad SHOW=FALSE", ParseResult::Command, "notepad", "", 0, 0, 0, 0},
        {"notepad SHOW=", ParseResult::Command, "notepad", "", 0, 0, 0, 0},
        {"notepad SHOWN", ParseResult::Command, "notepad", "", 0, 0, 0, 0},  // SHOW with nothing in the value
        {"notepad x UNHIDE", ParseResult::Command, "notepad", "x", 0, 2, 0, 0},
        {"notepad x TIMEOUT=5 y TIMEOUT=7", ParseResult::Command, "notepad", "x TIMEOUT=5 y", 0, 0, 7, 0},
        {"notepad TIMEOUT=5 TIMEOUT=7", ParseResult::Command, "notepad", "", 0, 0, 5, 0},  // nearer the start wins
        {"notepad SHOW=1 SHOW=0", ParseResult::Command, "notepad", "", 0, 0, 0, 1},
        {"/?", ParseResult::NoCommand, "/?", "", 0, 0, 0, 0},
        {"-?", ParseResult::NoCommand, "-?", "", 0, 0, 0, 0},
        {"? x", ParseResult::NoCommand, "?", "", 0, 0, 0, 0},
        {"", ParseResult::NoCommand, "", "", 0, 0, 0, 0},
        {"\"\" notepad", ParseResult::NoCommand, "", "", 0, 0, 0, 0},
        {"TERM", ParseResult::Command, "TERM", "", 0, 0, 0, 0},            // a single argument is the program
        {"TERM TIMEOUT=5", ParseResult::Command, "TERM", "", 2, 0, 5, 0},  // every argument an option
        {"notepad \"\" readme.txt", ParseResult::Command, "notepad", "", 0, 0, 0, 0},
        {"notepad a \"\" TERM", ParseResult::Command, "notepad", "a", 0, 0, 0, 0},
        {"notepad \"unclosed TERM", ParseResult::Command, "notepad", "unclosed TERM", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Parsed p = Parse(c.line);
        SCOPED_TRACE(c.line);
        EXPECT_EQ(p.result, c.result);
        EXPECT_STREQ(p.task.Program, c.program);
        EXPECT_EQ(p.parameters, c.parameters);
        EXPECT_EQ(p.task.Term, c.term);
        EXPECT_EQ(p.task.Unhide, c.unhide);
        EXPECT_EQ(p.task.Timeout, c.timeout);
        EXPECT_EQ(p.task.Show, c.show);
    }
}

// EXITCODE counts where TERM would: in the run of options at the end, any letter case.
TEST(CommandLine, ExitCodeIsAnOptionOfTheTrailingRun)
{
    struct Case {
        const char* line;
        bool asked;
        const char* parameters;
        int32_t timeout;
    } cases[] = {
        {"job.cmd TIMEOUT=30 EXITCODE", true, "", 30},  {"job.cmd nightly exitcode", true, "nightly", 0},
        {"job.cmd ExitCode TERM", true, "", 0},         {"job.cmd EXITCODE nightly", false, "EXITCODE nightly", 0},
        {"job.cmd EXITCODE=1", false, "EXITCODE=1", 0}, {"job.cmd nightly", false, "nightly", 0},
    };
    static TaskSettings task;
    static char parameters[TextCapacity];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::memset(&task, 0, sizeof task);
        LineOptions options;
        options.ExitCode = !c.asked;
        std::string line = std::string("Stowlet.exe ") + c.line;
        EXPECT_EQ(ParseCommandText(line.c_str(), task, parameters, AsciiEqualIgnoringCase, &options),
                  ParseResult::Command);
        EXPECT_EQ(options.ExitCode, c.asked);
        EXPECT_STREQ(parameters, c.parameters);
        EXPECT_EQ(task.Timeout, c.timeout);
    }
}

// OUTPUT= counts where TIMEOUT= would, its path as one argument (quoted when it holds a
// blank); a parameter that merely begins with "output" stays a parameter.
TEST(CommandLine, OutputIsAnOptionOfTheTrailingRun)
{
    struct Case {
        const char* line;
        const char* output;
        const char* parameters;
        int32_t timeout;
    } cases[] = {
        {"job.cmd \"OUTPUT=C:\\My Logs\\job.txt\" TIMEOUT=30", "C:\\My Logs\\job.txt", "", 30},
        {"job.cmd nightly output=D:\\o.txt", "D:\\o.txt", "nightly", 0},
        {"job.cmd OUTPUT=D:\\a.txt OUTPUT=D:\\b.txt", "D:\\a.txt", "", 0},  // the first wins, as TIMEOUT's
        {"job.cmd OUTPUT=D:\\o.txt nightly", "", "OUTPUT=D:\\o.txt nightly", 0},
        {"job.cmd output.txt", "", "output.txt", 0},
        {"job.cmd OUTPUT: D:\\o.txt", "", "OUTPUT: D:\\o.txt", 0},
        {"job.cmd a OUTPUT=", "", "a", 0},  // an empty path: no file
    };
    static TaskSettings task;
    static char parameters[TextCapacity];
    static LineOptions options;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::memset(&task, 0, sizeof task);
        std::string line = std::string("Stowlet.exe ") + c.line;
        EXPECT_EQ(ParseCommandText(line.c_str(), task, parameters, AsciiEqualIgnoringCase, &options),
                  ParseResult::Command);
        EXPECT_STREQ(options.OutputFile, c.output);
        EXPECT_FALSE(options.OutputFileCut);
        EXPECT_STREQ(parameters, c.parameters);
        EXPECT_EQ(task.Timeout, c.timeout);
    }
    // A path too long to name a file whole is refused, not cut to another name.
    std::string line = "Stowlet.exe job.cmd OUTPUT=C:\\" + std::string(TextCapacity, 'a');
    EXPECT_EQ(ParseCommandText(line.c_str(), task, parameters, AsciiEqualIgnoringCase, &options), ParseResult::Command);
    EXPECT_TRUE(options.OutputFileCut);
}

// A number past what the wait holds means the longest finite wait (0xFFFFFFFE milliseconds, one
// below the system's "no limit"), however many digits it has: never a wrapped short time, never
// "no wait".
TEST(CommandLine, TimeoutPastTheWaitSaturates)
{
    for (const char* line : {"notepad TIMEOUT=4294968", "notepad TIMEOUT=4294967295", "notepad TIMEOUT=4294967296",
                             "notepad TIMEOUT=4294967297", "notepad TIMEOUT=99999999999",
                             "notepad TIMEOUT=000000000000000000004294967297"}) {
        Parsed p = Parse(line);
        EXPECT_EQ(TimeoutMilliseconds(p.task.Timeout), 0xFFFFFFFEu) << line;
    }
    EXPECT_EQ(TimeoutMilliseconds(Parse("notepad TIMEOUT=4294967").task.Timeout), 4294967000u);
}

TEST(CommandLine, TooLongProgramOrParametersAreNeverHandedOnCut)
{
    EXPECT_EQ(Parse(std::string(4095, 'p')).result, ParseResult::Command);
    EXPECT_EQ(Parse(std::string(4096, 'p')).result, ParseResult::CommandTooLong);
    EXPECT_EQ(Parse("notepad " + std::string(4095, 'a')).result, ParseResult::Command);
    EXPECT_EQ(Parse("notepad " + std::string(4096, 'a')).result, ParseResult::CommandTooLong);
    // The limit counts UTF-16 units: a Greek letter is one (two bytes of UTF-8), a character
    // outside the Basic Multilingual Plane two (four bytes).
    auto repeat = [](const char* character, size_t count) {
        std::string text;
        for (size_t i = 0; i < count; ++i) text += character;
        return text;
    };
    const char* omega = "\xCE\xA9";
    const char* clef = "\xF0\x9D\x84\x9E";
    EXPECT_EQ(Parse(repeat(omega, 4095)).result, ParseResult::Command);
    EXPECT_EQ(Parse(repeat(omega, 4096)).result, ParseResult::CommandTooLong);
    EXPECT_EQ(Parse("notepad " + repeat(clef, 2047) + "x").result, ParseResult::Command);
    EXPECT_EQ(Parse("notepad " + repeat(clef, 2048)).result, ParseResult::CommandTooLong);
    // Two parameters that fit alone but not joined with their blank.
    Parsed p = Parse("notepad " + std::string(2047, 'a') + " " + std::string(2048, 'b'));
    EXPECT_EQ(p.result, ParseResult::CommandTooLong);
    EXPECT_EQ(p.parameters, "");
    // A help request is recognised however long the line.
    EXPECT_EQ(Parse("/?" + std::string(5000, 'x')).result, ParseResult::NoCommand);
}

TEST(CommandLine, ThePlatformsLongestLineParsesInLinearTime)
{
    // 32,767 characters of one-letter arguments: every one is a parameter but the last.
    std::string many;
    while (many.size() < 32000) many += "a,";
    many += "TIMEOUT=9";
    Parsed p = Parse(many);
    EXPECT_EQ(p.result, ParseResult::CommandTooLong);  // the joined text exceeds 4095 characters
    EXPECT_EQ(p.task.Timeout, 9);
}

TEST(Startup, SettingsNamesFollowTheExecutablesName)
{
    struct Case {
        const char* own;
        bool ok;
        const char* settings;
        const char* name;
    } cases[] = {
        {"C:\\Tools\\Stowlet.exe", true, "C:\\Tools\\Stowlet.ini", "Stowlet"},
        {"C:\\Tools\\Stowftp.exe", true, "C:\\Tools\\Stowftp.ini", "Stowftp"},
        {"C:\\Tools\\Stowlet.com", true, "C:\\Tools\\Stowlet.ini", "Stowlet"},
        {"Stowlet.exe", true, "Stowlet.ini", "Stowlet"},  // no backslash: the whole name
        {"C:\\a.b", true, "C:\\ini", ""},                 // the name less four characters is empty
        {"C:\\ab", true, "C:ini", "C"},                   // the backslash itself replaced
        {"ab", false, "", ""},
        {"", false, "", ""},
    };
    for (const Case& c : cases) {
        char settings[32];
        char name[16];
        EXPECT_EQ(DeriveSettingsNames(c.own, settings, sizeof settings, name, sizeof name), c.ok) << c.own;
        EXPECT_STREQ(settings, c.settings) << c.own;
        EXPECT_STREQ(name, c.name) << c.own;
    }
    char small[8];
    char name[16];
    EXPECT_FALSE(DeriveSettingsNames("C:\\Tools\\Stowlet.exe", small, sizeof small, name, sizeof name));
    EXPECT_STREQ(small, "");
}

namespace {
int16_t heldKeys[256];
std::string asked;
int16_t FakeKeyState(int key)
{
    asked += std::to_string(key) + " ";
    return heldKeys[key & 0xFF];
}
}  // namespace

TEST(Startup, CtrlAloneAsksTheFiveKeysInOrderAndStopsWhenDecided)
{
    struct Case {
        std::initializer_list<std::pair<int, int16_t>> held;
        bool alone;
        const char* asked;
    } cases[] = {
        {{}, false, "17 "},
        {{{0x11, int16_t(0x8000)}}, true, "17 16 18 43 32 "},
        {{{0x11, int16_t(0xFF80)}}, true, "17 16 18 43 32 "},
        {{{0x11, 1}}, false, "17 "},  // toggled, not held
        {{{0x11, int16_t(0x8000)}, {0x10, int16_t(0x8000)}}, false, "17 16 "},
        {{{0x11, int16_t(0x8000)}, {0x12, int16_t(0x8001)}}, false, "17 16 18 "},
        {{{0x11, int16_t(0x8000)}, {0x20, int16_t(0x8000)}}, false, "17 16 18 43 32 "},
        {{{0x11, int16_t(0x8000)}, {0x10, 1}, {0x2B, 1}}, true, "17 16 18 43 32 "},
    };
    for (const Case& c : cases) {
        std::memset(heldKeys, 0, sizeof heldKeys);
        for (auto [key, state] : c.held) heldKeys[key] = state;
        asked.clear();
        EXPECT_EQ(CtrlHeldAlone(FakeKeyState), c.alone) << c.asked;
        EXPECT_EQ(asked, c.asked);
    }
}
