// The command-line splitter and option parser against a slow reference that follows the
// rules word for word: arguments counted from the line's start, option words recognised from
// the last argument backwards, the rest joined with one blank. The parse must agree on the
// result, the program, every option field and the parameter text, and refuse exactly when the
// program or the joined parameters exceed 4095 characters.
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/buffers.h"
#include "fuzz/fuzz_input.h"
#include "launcher/command_line_core.h"

namespace {

using fuzz::Show;

bool IsSeparator(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == ','; }

// Every argument's text, argument 0 first: skip separators, count, extract, then skip the
// argument (a quoted part ends it; an unclosed quote ends the list).
std::vector<std::string> ReferenceArguments(const std::string& line)
{
    std::vector<std::string> arguments;
    size_t i = 0, n = line.size();
    for (;;) {
        while (i < n && IsSeparator(line[i])) ++i;
        if (i >= n) return arguments;
        if (line[i] == '"') {
            size_t close = line.find('"', i + 1);
            arguments.push_back(close == std::string::npos ? line.substr(i + 1) : line.substr(i + 1, close - i - 1));
        } else {
            size_t end = i;
            while (end < n && !IsSeparator(line[end]) && line[end] != '"') ++end;
            arguments.push_back(line.substr(i, end - i));
        }
        for (;;) {
            if (i >= n) return arguments;
            if (IsSeparator(line[i])) break;
            if (line[i] == '"') {
                size_t close = line.find('"', i + 1);
                if (close == std::string::npos) return arguments;
                i = close + 1;
                break;
            }
            ++i;
        }
    }
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

struct Expected {
    ParseResult result = ParseResult::NoCommand;
    std::string program, parameters;
    int32_t term = 0, unhide = 0, timeout = 0, show = 0;
};

Expected ReferenceParse(const std::vector<std::string>& args)
{
    Expected e;
    auto get = [&](size_t k) { return k < args.size() ? args[k] : std::string(); };
    std::string first = get(1);
    if (first.empty()) return e;
    e.program = first.substr(0, TextCapacity - 1);
    if (e.program[0] == '?' || (e.program.size() > 1 && e.program[1] == '?')) return e;
    // 4095 UTF-16 units, in a buffer of TextCapacity bytes.
    if (first.size() > TextCapacity - 1 || fuzz::Utf16Units(first) > 4095) {
        e.result = ParseResult::CommandTooLong;
        return e;
    }
    e.result = ParseResult::Command;
    size_t last = 1;
    while (!get(last + 1).empty()) ++last;
    if (last == 1) return e;
    size_t k = last;
    for (; k > 0; --k) {
        std::string a = get(k);
        if (SameIgnoringCase(a, "TERM")) {
            e.term = 2;
        } else if (SameIgnoringCase(a, "UNHIDE")) {
            e.unhide = 2;
        } else if (a.size() >= 7 && SameIgnoringCase(a.substr(0, 7), "TIMEOUT")) {
            uint64_t value = 0;
            size_t i = 8;
            while (i < a.size() && !(a[i] >= '0' && a[i] <= '9')) ++i;
            // Past 0xFFFFFFFE (the longest finite wait) the number stays there.
            for (; i < a.size() && a[i] >= '0' && a[i] <= '9'; ++i)
                value = std::min<uint64_t>(value * 10 + uint64_t(a[i] - '0'), 0xFFFFFFFEu);
            e.timeout = int32_t(uint32_t(value));
        } else if (SameIgnoringCase(a, "EXITCODE") || (a.size() >= 7 && SameIgnoringCase(a.substr(0, 7), "OUTPUT="))) {
            // Options of the line that no task field holds.
        } else if (a.size() >= 4 && SameIgnoringCase(a.substr(0, 4), "SHOW")) {
            int32_t value = 0;
            for (size_t i = 5; i < a.size(); ++i) {
                if (a[i] == 't' || a[i] == 'T') {
                    value = 1;
                    break;
                }
                if (a[i] >= '0' && a[i] <= '9') {
                    value = a[i] - '0';
                    break;
                }
            }
            e.show = value;
        } else {
            break;
        }
    }
    for (size_t j = 2; j <= k; ++j) {
        if (!e.parameters.empty()) e.parameters += ' ';
        e.parameters += get(j);
    }
    if (e.parameters.size() > TextCapacity - 1 || fuzz::Utf16Units(e.parameters) > 4095) {
        e.result = ParseResult::CommandTooLong;
        e.parameters.clear();
    }
    return e;
}

void CheckSplitting(const std::string& line, const std::vector<std::string>& args, size_t capacity)
{
    // The walk meets the same arguments.
    size_t k = 0;
    for (const char* a = FirstArgument(line.c_str()); a; a = NextArgument(a), ++k) {
        FUZZ_CHECK(k < args.size(), "NextArgument walks past the last argument", Show(line));
        TextSpan span = ArgumentText(a);
        FUZZ_CHECK(std::string(span.text, span.length) == args[k], "ArgumentText",
                   "argument " + std::to_string(k) + " of " + Show(line));
        FUZZ_CHECK(std::memchr(span.text, '"', span.length) == nullptr, "an argument's text holds a quote");
    }
    FUZZ_CHECK(k == args.size(), "the walk ends early", Show(line));

    // SplitArgument for each number (a sample of them on lines with very many arguments).
    fuzz::Buffer out(capacity);
    auto check = [&](int32_t number) {
        bool fit = false;
        int32_t result = SplitArgument(line.c_str(), number, out.data(), capacity, &fit);
        std::string text = number >= 0 && size_t(number) < args.size() ? args[size_t(number)] : std::string();
        FUZZ_CHECK(result == (text.empty() ? 2 : 1), "SplitArgument result",
                   std::to_string(number) + " of " + Show(line));
        if (capacity == 0) return;  // nothing to compare: the guard bytes show any write
        std::string got = out.Text("SplitArgument");
        bool shouldFit = text.size() < capacity;
        FUZZ_CHECK(fit == shouldFit, "SplitArgument fit", std::to_string(number) + " of " + Show(line));
        FUZZ_CHECK(got == text.substr(0, capacity - 1), "SplitArgument text",
                   std::to_string(number) + " of " + Show(line) + ": " + Show(got));
    };
    int32_t count = int32_t(args.size());
    int32_t step = count > 32 ? count / 8 : 1;
    for (int32_t number = -1; number <= count + 1; number += step) check(number);
    check(count - 1);
}

void CheckParse(const std::string& line, const std::vector<std::string>& args)
{
    static TaskSettings task;  // 20 kB: off the stack
    static char parameters[TextCapacity];
    std::memset(&task, 0, sizeof task);
    std::memset(parameters, 'X', sizeof parameters);
    ParseResult result = ParseCommandText(line.c_str(), task, parameters, AsciiEqualIgnoringCase);
    Expected e = ReferenceParse(args);
    FUZZ_CHECK(result == e.result, "ParseCommandText result",
               Show(line) + " gave " + std::to_string(int(result)) + " expected " + std::to_string(int(e.result)));
    FUZZ_CHECK(std::memchr(parameters, 0, sizeof parameters) != nullptr, "parameter text unterminated");
    if (result == ParseResult::CommandTooLong) {
        FUZZ_CHECK(parameters[0] == '\0', "parameters left after a refusal", Show(line));
        return;
    }
    if (result == ParseResult::NoCommand) return;
    FUZZ_CHECK(std::memchr(task.Program, 0, sizeof task.Program) != nullptr, "Program unterminated");
    FUZZ_CHECK(task.Program == e.program, "Program", Show(line) + ": " + Show(task.Program));
    FUZZ_CHECK(parameters == e.parameters, "parameters",
               Show(line) + ": " + Show(parameters) + " expected " + Show(e.parameters));
    FUZZ_CHECK(task.Term == e.term && task.Unhide == e.unhide && task.Timeout == e.timeout && task.Show == e.show,
               "option fields",
               Show(line) + ": Term " + std::to_string(task.Term) + " Unhide " + std::to_string(task.Unhide) +
                   " Timeout " + std::to_string(task.Timeout) + " Show " + std::to_string(task.Show));
    FUZZ_CHECK(task.CopySource[0] == 0 && task.CopyTarget[0] == 0 && task.WorkingDir[0] == 0 && task.AskExecute == 0 &&
                   task.CopyModifiedFiles == 0,
               "a field the command line does not set was written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    uint8_t b = in.Byte();
    size_t capacity = b < 200 ? size_t(b) : TextCapacity;
    std::string line = in.Text();
    std::vector<std::string> args = ReferenceArguments(line);
    CheckSplitting(line, args, capacity);
    CheckParse(line, args);
    return 0;
}
