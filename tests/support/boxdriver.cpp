// Runs a program, prints the message boxes it shows and answers them, then prints how it
// ended. Used by the demo and handy by hand:
//   boxdriver [--answers yes,no,...] [--timeout seconds] [--debug] -- program [arguments...]
#include <cstdio>
#include <cstring>
#include <string>

#include "support/runner.h"

namespace {

const char* ButtonName(int id)
{
    switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "?";
    }
}

void PrintIndented(const std::string& text)
{
    std::string line = "    | ";
    for (char c : text) {
        if (c == '\n') {
            std::printf("%s\n", line.c_str());
            line = "    | ";
        } else {
            line += c == '\t' ? std::string("    ") : std::string(1, c);
        }
    }
    std::printf("%s\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    RunOptions options;
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--"); ++i) {
        if (!std::strcmp(argv[i], "--answers") && i + 1 < argc) {
            std::string list = argv[++i];
            size_t start = 0;
            while (start <= list.size()) {
                size_t end = list.find(',', start);
                std::string word = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
                options.answers.push_back(word == "yes"      ? IDYES
                                          : word == "ok"     ? IDOK
                                          : word == "cancel" ? IDCANCEL
                                                             : IDNO);
                if (end == std::string::npos) break;
                start = end + 1;
            }
        } else if (!std::strcmp(argv[i], "--timeout") && i + 1 < argc) {
            options.timeoutMs = DWORD(std::atoi(argv[++i])) * 1000;
        } else if (!std::strcmp(argv[i], "--debug")) {
            options.captureDebug = true;
        }
    }
    if (i + 1 >= argc) {
        std::fprintf(stderr,
                     "usage: boxdriver [--answers yes,no,...] [--timeout s] [--debug] -- program [arguments...]\n");
        return 2;
    }
    char full[MAX_PATH * 4];
    GetFullPathNameA(argv[i + 1], sizeof full, full, nullptr);
    for (int a = i + 2; a < argc; ++a) {
        if (!options.arguments.empty()) options.arguments += ' ';
        bool quote = std::strpbrk(argv[a], " \t,") != nullptr;
        options.arguments += quote ? "\"" + std::string(argv[a]) + "\"" : std::string(argv[a]);
    }
    RunResult result = RunProgram(full, options);
    if (!result.started) {
        std::printf("could not start %s\n", full);
        return 1;
    }
    for (const BoxSeen& box : result.boxes) {
        std::printf("  message box \"%s\":\n", box.caption.c_str());
        PrintIndented(box.text);
        std::printf("    answered: %s\n", ButtonName(box.answer));
    }
    for (const DialogSeen& dialog : result.dialogs)
        std::printf("  window \"%s\" (%d controls) opened, closed by the driver\n", dialog.caption.c_str(),
                    dialog.controls);
    for (const std::string& line : result.debugLines) std::printf("  debug: %s\n", line.c_str());
    if (result.timedOut)
        std::printf("  still running after the time-out: ended by the driver\n");
    else
        std::printf("  exit code %lu%s\n", result.exitCode, result.crashed ? " (crashed)" : "");
    return result.timedOut || result.crashed ? 1 : 0;
}
