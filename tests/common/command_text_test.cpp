// A branch name placed in a line the command interpreter reads. Its rules: outside quotes
// & | < > ( ) ^ act and , ; = blank and tab split a batch file's arguments; a quote opens or
// closes; ^ outside quotes takes the next character as it is; % and ! are expanded even inside
// quotes; cmd /c may drop the line's outer quotes.
#include <gtest/gtest.h>

#include <string>

#include "common/command_text.h"

TEST(CommandText, OutsideValuesStayText)
{
    struct Case {
        LineReader reader;
        const char* before;
        const char* value;
        Placing placing;
        const char* placed;
    } cases[] = {
        {LineReader::Program, "", "x&echo>p%a%", Placing::Placed, "x&echo>p%a%"},
        {LineReader::BatchFile, "", "main", Placing::Placed, "main"},
        {LineReader::BatchFile, "--branch ", "feature/x.y-z", Placing::Placed, "feature/x.y-z"},
        {LineReader::BatchFile, "", "x&echo>planted", Placing::Placed, "\"x&echo>planted\""},
        {LineReader::BatchFile, "a ", "x(1)|y<z,w;v=u", Placing::Placed, "\"x(1)|y<z,w;v=u\""},
        {LineReader::BatchFile, "\"a b\" ", "x&y", Placing::Placed, "\"x&y\""},  // quotes closed
        {LineReader::BatchFile, "\"--branch=", "x&y", Placing::Placed, "x&y"},   // inside quotes
        {LineReader::BatchFile, "^\"", "x&y", Placing::Placed, "\"x&y\""},       // an escaped quote
        {LineReader::BatchFile, "\"^", "x&y", Placing::Placed, "x&y"},           // ^ inside quotes is text
        {LineReader::BatchFile, "a^", "x&y", Placing::Unsafe, ""},               // would escape the quote
        {LineReader::BatchFile, "", "50%off", Placing::Unsafe, ""},
        {LineReader::BatchFile, "\"", "%PATH%", Placing::Unsafe, ""},
        {LineReader::BatchFile, "", "a!b!", Placing::Unsafe, ""},
        {LineReader::BatchFile, "", "a\"&b", Placing::Unsafe, ""},
        {LineReader::BatchFile, "", "a\nb", Placing::Unsafe, ""},
        {LineReader::CommandInterpreter, "/c job.cmd ", "main", Placing::Placed, "main"},
        {LineReader::CommandInterpreter, "/c job.cmd ", "x&y", Placing::Unsafe, ""},
        {LineReader::CommandInterpreter, "/c \"job.cmd\" \"", "x y", Placing::Unsafe, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before) + "|" + c.value);
        char output[64] = {};
        EXPECT_EQ(PlaceOutsideValue(c.reader, c.before, c.value, output, sizeof output), c.placing);
        if (c.placing == Placing::Placed) {
            EXPECT_STREQ(output, c.placed);
        }
    }
    char small[4];
    EXPECT_EQ(PlaceOutsideValue(LineReader::BatchFile, "", "x&y", small, sizeof small), Placing::TooLong);
}

TEST(CommandText, WhoReadsTheLine)
{
    EXPECT_EQ(LineReaderOf("C:\\Jobs\\R&D\\build.CMD"), LineReader::BatchFile);
    EXPECT_EQ(LineReaderOf("nightly.bat"), LineReader::BatchFile);
    EXPECT_EQ(LineReaderOf("cmd"), LineReader::CommandInterpreter);
    EXPECT_EQ(LineReaderOf("C:\\Windows\\System32\\CMD.exe"), LineReader::CommandInterpreter);
    EXPECT_EQ(LineReaderOf("C:\\cmd\\tool.exe"), LineReader::Program);
    EXPECT_EQ(LineReaderOf("C:\\tools\\batch"), LineReader::Program);

    char line[20];
    EXPECT_FALSE(JoinBatchCommandLine("a", line, 20));
    EXPECT_STREQ(line, "");
}
