// What the guide's Markdown pages show a reader to type: command lines and settings files, each
// tied to the `<!-- check: scenario fact=value ... -->` comment after it that states, in a form
// a test can run, the outcome the text around it claims.
//
// An example is
//   - a fenced ```ini block (a settings file);
//   - a line of a fenced ```cmd block that is a command line as below;
//   - an inline code span that begins with "Stowlet " or with a path to an .exe followed by
//     arguments (a command line);
//   - the Task Scheduler fields "Program/script:", "Add arguments:" and "Start in:", each with a
//     code span, which together make one command line run in that folder;
//   - an inline code span Key=value (a change to the settings file shown last).
// A check comment covers every example since the previous one.
#pragma once

#include <map>
#include <string>
#include <vector>

struct DocExample {
    bool settings = false;  // a settings file or a change to one; else a command line
    bool change = false;    // a Key=value line for the settings file shown last
    std::string text;       // the settings file's lines, or the command line
    std::string directory;  // "Start in:" of a scheduled command, else empty
    int line = 0;
};

struct DocCheck {
    std::string scenario;
    std::map<std::string, std::string> facts;  // fact=value, fact="value with blanks", a bare word: "1"
    std::vector<DocExample> examples;
    std::string shownLast;  // the last settings file the page showed before the check
    int line = 0;
};

struct DocExamples {
    std::vector<DocCheck> checks;
    std::vector<std::string> problems;  // examples no check covers, checks that cover nothing
};

DocExamples ParseDocExamples(const std::string& markdown);

// Every piece of settings-file text a page shows: the lines of ```ini blocks and inline code
// spans of the form Key=value.
std::vector<std::string> SettingsLinesOf(const std::string& markdown);

// The problems of settings lines against the keys, sections and macros the program knows: a
// key that is none, a section that is none, a %NAME% that is no macro.
std::vector<std::string> UnknownSettingsNames(const std::vector<std::string>& lines, const std::string& where);

// The whole file, or empty when it cannot be read.
std::string ReadDocFile(const std::string& path);
