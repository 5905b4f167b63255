#include "markdown_examples.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "settings/macros_core.h"
#include "settings/settings_file_core.h"

namespace {

std::string Trim(const std::string& text)
{
    size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos) return "";
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(start, end - start + 1);
}

std::string Lower(std::string text)
{
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A command line a reader types: "Stowlet ..." or "C:\...\Name.exe arguments".
bool IsCommandLine(const std::string& span)
{
    if (span.rfind("Stowlet ", 0) == 0) return true;
    size_t blank = span.find(' ');
    if (blank == std::string::npos) return false;
    std::string first = Lower(span.substr(0, blank));
    return first.find('\\') != std::string::npos && EndsWith(first, ".exe");
}

// Key=value as a settings file holds it; the command line's option words are upper case.
bool IsSettingsLine(const std::string& span)
{
    size_t equals = span.find('=');
    if (equals == std::string::npos || equals < 2 || std::isupper(static_cast<unsigned char>(span[1]))) return false;
    for (size_t i = 0; i < equals; ++i)
        if (!std::isalpha(static_cast<unsigned char>(span[i]))) return false;
    return true;
}

std::map<std::string, std::string> ParseFacts(const std::string& text, std::string& scenario)
{
    std::map<std::string, std::string> facts;
    size_t at = 0;
    bool first = true;
    while (at < text.size()) {
        while (at < text.size() && text[at] == ' ') ++at;
        if (at >= text.size()) break;
        size_t start = at;
        while (at < text.size() && text[at] != ' ' && text[at] != '=') ++at;
        std::string name = text.substr(start, at - start);
        std::string value = "1";
        if (at < text.size() && text[at] == '=') {
            ++at;
            if (at < text.size() && text[at] == '"') {
                size_t close = text.find('"', at + 1);
                if (close == std::string::npos) close = text.size();
                value = text.substr(at + 1, close - at - 1);
                at = close + 1;
            } else {
                size_t end = text.find(' ', at);
                if (end == std::string::npos) end = text.size();
                value = text.substr(at, end - at);
                at = end;
            }
        }
        if (first)
            scenario = name;
        else
            facts[name] = value;
        first = false;
    }
    return facts;
}

}  // namespace

DocExamples ParseDocExamples(const std::string& markdown)
{
    DocExamples result;
    std::vector<DocExample> pending;
    std::string shownLast;
    std::string scheduledProgram, scheduledArguments, scheduledDirectory;
    int scheduledLine = 0;
    auto flushScheduled = [&] {
        if (scheduledProgram.empty() && scheduledArguments.empty()) return;
        DocExample example;
        example.text = scheduledProgram + " " + scheduledArguments;
        example.directory = scheduledDirectory;
        example.line = scheduledLine;
        pending.push_back(example);
        scheduledProgram.clear();
        scheduledArguments.clear();
        scheduledDirectory.clear();
    };
    const std::vector<std::string> lines = Lines(markdown);
    for (size_t n = 0; n < lines.size(); ++n) {
        const int number = int(n) + 1;
        const std::string trimmed = Trim(lines[n]);
        if (trimmed.rfind("```", 0) == 0) {
            const std::string language = Trim(trimmed.substr(3));
            DocExample block;
            block.settings = true;
            block.line = number;
            for (++n; n < lines.size() && Trim(lines[n]) != "```"; ++n) block.text += Trim(lines[n]) + "\n";
            if (language == "ini") {
                pending.push_back(block);
                shownLast = block.text;
            }
            if (language == "cmd") {
                // Each line a reader types at a command prompt; the others are not Stowlet's.
                size_t at = 0;
                for (size_t end; (end = block.text.find('\n', at)) != std::string::npos; at = end + 1) {
                    DocExample example;
                    example.text = block.text.substr(at, end - at);
                    example.line = number;
                    if (IsCommandLine(example.text)) pending.push_back(example);
                }
            }
            continue;
        }
        // Code spans and comments of the line, in order.
        size_t at = 0;
        while (at < lines[n].size()) {
            size_t tick = lines[n].find('`', at);
            size_t comment = lines[n].find("<!--", at);
            if (comment != std::string::npos && (tick == std::string::npos || comment < tick)) {
                size_t close = lines[n].find("-->", comment);
                if (close == std::string::npos) close = lines[n].size();
                const std::string body = Trim(lines[n].substr(comment + 4, close - comment - 4));
                at = close + 3;
                if (body.rfind("check:", 0) != 0) continue;
                flushScheduled();
                DocCheck check;
                check.line = number;
                check.facts = ParseFacts(Trim(body.substr(6)), check.scenario);
                check.examples = pending;
                check.shownLast = shownLast;
                pending.clear();
                if (check.examples.empty())
                    result.problems.push_back("line " + std::to_string(number) + ": a check that follows no example");
                else
                    result.checks.push_back(check);
                continue;
            }
            if (tick == std::string::npos) break;
            size_t end = lines[n].find('`', tick + 1);
            if (end == std::string::npos) break;
            const std::string span = lines[n].substr(tick + 1, end - tick - 1);
            const std::string before = Lower(Trim(lines[n].substr(0, tick)));
            at = end + 1;
            if (EndsWith(before, "program/script:")) {
                scheduledProgram = span;
                scheduledLine = number;
            } else if (EndsWith(before, "add arguments:")) {
                scheduledArguments = span;
            } else if (EndsWith(before, "start in:")) {
                scheduledDirectory = span;
            } else if (IsCommandLine(span) || IsSettingsLine(span)) {
                DocExample example;
                example.settings = example.change = IsSettingsLine(span);
                example.text = span;
                example.line = number;
                pending.push_back(example);
            }
        }
    }
    flushScheduled();
    for (const DocExample& example : pending)
        result.problems.push_back("line " + std::to_string(example.line) + ": no check runs " + example.text);
    return result;
}

std::vector<std::string> SettingsLinesOf(const std::string& markdown)
{
    std::vector<std::string> found;
    const std::vector<std::string> lines = Lines(markdown);
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string trimmed = Trim(lines[n]);
        if (trimmed.rfind("```", 0) == 0) {
            const bool ini = Trim(trimmed.substr(3)) == "ini";
            for (++n; n < lines.size() && Trim(lines[n]) != "```"; ++n)
                if (ini) found.push_back(Trim(lines[n]));
            continue;
        }
        for (size_t at = 0;;) {
            size_t tick = lines[n].find('`', at);
            if (tick == std::string::npos) break;
            size_t end = lines[n].find('`', tick + 1);
            if (end == std::string::npos) break;
            const std::string span = lines[n].substr(tick + 1, end - tick - 1);
            if (IsSettingsLine(span)) found.push_back(span);
            at = end + 1;
        }
    }
    return found;
}

std::vector<std::string> UnknownSettingsNames(const std::vector<std::string>& lines, const std::string& where)
{
    std::vector<std::string> problems;
    for (const std::string& raw : lines) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            bool known = false;
            for (const char* section : SectionNames) known = known || line == std::string("[") + section + "]";
            known = known || line == "[RUN]";
            if (!known) problems.push_back(where + ": " + line + " is no section");
            continue;
        }
        size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        bool known = false;
        for (const SettingsKey& settingsKey : SettingsKeys) known = known || key == settingsKey.Name;
        for (const char* runKey : {"PromptDefault", "PromptTimeout", "LogFile", "ExitCode", "OutputFile", "IfRunning",
                                   "CopyRetries", "CopyRetryWait"})
            known = known || key == runKey;
        if (equals == std::string::npos || !known) problems.push_back(where + ": " + key + " is no key");
        // Every %NAME% of the value must be a macro; a lone % is text.
        const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
        for (size_t open = value.find('%'); open != std::string::npos;) {
            size_t close = value.find('%', open + 1);
            if (close == std::string::npos) break;
            const std::string name = value.substr(open, close - open + 1);
            bool macro = false;
            for (const char* known : MacroNames) macro = macro || name == known;
            if (!macro) problems.push_back(where + ": " + name + " is no macro");
            open = value.find('%', close + 1);
        }
    }
    return problems;
}

std::string ReadDocFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
