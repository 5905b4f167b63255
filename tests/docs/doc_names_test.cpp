// The guide and the zip's sample settings file (the source of the guide's pictures) use only
// keys, sections and macros the program knows, and every command line and settings file of the
// pages that recipes_test runs is tied to a check.
#include <gtest/gtest.h>

#include "markdown_examples.h"

namespace {

const std::string Source = STOWLET_SOURCE_DIR;
const char* const GuidePages[] = {"guide.md",   "command-line.md", "settings-file.md", "settings-window.md",
                                  "recipes.md", "debug-output.md", "questions.md",     "limitations.md"};

std::string Joined(const std::vector<std::string>& problems)
{
    std::string text;
    for (const std::string& problem : problems) text += problem + "\n";
    return text;
}

TEST(DocNames, SampleAndGuideSettingsUseKnownKeysAndMacros)
{
    const std::string sample = ReadDocFile(Source + "/packaging/Stowlet.sample.ini");
    ASSERT_FALSE(sample.empty());
    std::vector<std::string> lines;
    for (size_t at = 0, end; at < sample.size(); at = end + 1) {
        end = sample.find('\n', at);
        if (end == std::string::npos) end = sample.size();
        lines.push_back(sample.substr(at, end - at));
    }
    std::vector<std::string> problems = UnknownSettingsNames(lines, "Stowlet.sample.ini");
    size_t seen = 0;
    for (const char* page : GuidePages) {
        const std::string text = ReadDocFile(Source + "/docs/" + page);
        ASSERT_FALSE(text.empty()) << page;
        const std::vector<std::string> settings = SettingsLinesOf(text);
        seen += settings.size();
        for (const std::string& problem : UnknownSettingsNames(settings, page)) problems.push_back(problem);
    }
    EXPECT_GT(seen, 20u) << "the pages' settings examples were found";
    EXPECT_EQ(Joined(problems), "");
}

TEST(DocNames, TheCheckerRefusesWhatTheOldPicturesUsed)
{
    // The settings of the first pictures: a key that is none and a macro that is none.
    const std::vector<std::string> problems = UnknownSettingsNames(
        {"[PREVIOUS]", "CopyTarget=%TEMP%\\Tool\\", "CopyBefore=TRUE", "[OTHER]", "Program=%date%"}, "old");
    EXPECT_EQ(Joined(problems),
              "old: %TEMP% is no macro\nold: CopyBefore is no key\nold: [OTHER] is no section\n"
              "old: %date% is no macro\n");
}

TEST(DocNames, EveryExampleOfTheRunPagesHasACheck)
{
    for (const char* page : {"command-line.md", "recipes.md"}) {
        const DocExamples examples = ParseDocExamples(ReadDocFile(Source + "/docs/" + page));
        EXPECT_EQ(Joined(examples.problems), "") << page;
        EXPECT_GE(examples.checks.size(), 5u) << page;
    }
    // A command line left without its check, and a check with nothing before it, are found.
    const DocExamples broken = ParseDocExamples(
        "<!-- check: help -->\n`Stowlet tool.exe TERM` ends it.\n\n    ```cmd\n    C:\\T\\S.exe tool.exe UNHIDE\n    "
        "```\n");
    EXPECT_EQ(Joined(broken.problems),
              "line 1: a check that follows no example\nline 2: no check runs Stowlet tool.exe "
              "TERM\nline 4: no check runs C:\\T\\S.exe tool.exe UNHIDE\n");
}

}  // namespace
