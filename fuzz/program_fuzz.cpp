// The program step's texts against references: the command line handed to the system (the
// path quoted when it holds a blank or tab, the parameters after one blank, nothing at all
// when it does not fit), the working directory, and the error boxes' texts, whose cut always
// shows.
#include <string>

#include "common/buffers.h"
#include "common/timeout.h"
#include "fuzz/fuzz_input.h"
#include "process/program_core.h"

namespace {

using fuzz::Show;

size_t CapacityFrom(uint8_t b) { return b < 224 ? b : size_t(b - 223) * 128; }

// A display text in capacity bytes.
std::string Displayed(const std::string& text, size_t capacity) { return fuzz::CutForDisplay(text, capacity); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    size_t capacity = CapacityFrom(in.Byte());
    uint32_t number = in.Dword();
    std::string path = in.Text(), parameters = in.Text(), workingDir = in.Text();

    {
        fuzz::Buffer out(capacity);
        bool fit = JoinCommandLine(path.c_str(), parameters.c_str(), out.data(), capacity);
        bool quote = path.find_first_of(" \t") != std::string::npos;
        std::string line = quote ? "\"" + path + "\"" : path;
        if (!parameters.empty()) line += " " + parameters;
        // The line must fit the buffer and the command line's 4095 UTF-16 units.
        FUZZ_CHECK(fit == (line.size() < capacity && fuzz::Utf16Units(line) <= 4095), "JoinCommandLine fit flag",
                   Show(line));
        if (capacity) {
            std::string got = out.Text("JoinCommandLine");
            FUZZ_CHECK(got == (fit ? line : std::string()), "JoinCommandLine", Show(got) + " expected " + Show(line));
        }
    }
    {
        fuzz::Buffer out(capacity);
        bool fit = WorkingDirectoryFor(path.c_str(), workingDir.c_str(), out.data(), capacity);
        size_t slash = path.rfind('\\');
        std::string expected = !workingDir.empty()          ? workingDir
                               : slash == std::string::npos ? std::string()
                                                            : path.substr(0, slash);
        FUZZ_CHECK(fit == (capacity > 0 && expected.size() < capacity), "WorkingDirectoryFor fit flag", Show(path));
        if (fit) FUZZ_CHECK(out.Text("WorkingDirectoryFor") == expected, "WorkingDirectoryFor", Show(path));
    }

    // The boxes as the program step shows them: a system text of at most 259 characters, a
    // box text of at most a text buffer (larger ones are only checked for staying in bounds).
    if (capacity == 0) return 0;
    std::string systemText = workingDir.substr(0, PathCapacity - 1);
    {
        fuzz::Buffer out(capacity);
        FormatExecuteError(systemText.c_str(), number, parameters.c_str(), out.data(), capacity);
        std::string whole = (systemText.empty() ? "Error " + std::to_string(number) : systemText) + "\n" + parameters;
        std::string got = out.Text("FormatExecuteError");
        if (capacity <= TextCapacity)
            FUZZ_CHECK(got == Displayed(whole, capacity), "FormatExecuteError",
                       Show(got) + " expected " + Show(Displayed(whole, capacity)));
    }
    {
        fuzz::Buffer out(capacity);
        FormatCommandTooLong(parameters.c_str(), out.data(), capacity);
        std::string got = out.Text("FormatCommandTooLong");
        // The fixed wording is whatever the routine gives for an empty program.
        static char opening[TextCapacity];
        FormatCommandTooLong("", opening, sizeof opening);
        std::string whole = opening + parameters;
        if (capacity <= TextCapacity) FUZZ_CHECK(got == Displayed(whole, capacity), "FormatCommandTooLong", Show(got));
    }

    int32_t timeout = int32_t(number);
    uint64_t product = uint64_t(number) * 1000u;  // a product past 32 bits waits the longest finite time
    uint32_t expected = number == 0 || number == 0xFFFFFFFFu ? number
                        : product > 0xFFFFFFFEu              ? 0xFFFFFFFEu
                                                             : uint32_t(product);
    FUZZ_CHECK(TimeoutMilliseconds(timeout) == expected, "TimeoutMilliseconds", std::to_string(timeout));
    return 0;
}
