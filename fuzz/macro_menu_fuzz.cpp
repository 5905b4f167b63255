// The macro menu's text edit: the selection replaced by the name, the rest kept; a range
// outside the text or a result too long for the field's buffer leaves an empty output and
// false, never a cut text.
#include <cstring>
#include <string>

#include "common/buffers.h"
#include "fuzz/fuzz_input.h"
#include "ui/macro_menu_core.h"

namespace {

using fuzz::Show;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    uint8_t b = in.Byte();
    size_t capacity = b < 200 ? b : b < 255 ? PathCapacity : TextCapacity;
    uint32_t command = 195 + in.Byte() % 40;
    size_t start = in.Word(), end = in.Word();
    std::string text = in.Text();
    const char* name = MacroNameOf(command);
    std::string insert = name ? name : in.Text();
    bool listed = false;
    for (const MacroMenuItem& item : MacroMenuItems) listed |= item.command == command && item.name == name;
    FUZZ_CHECK(listed == (name != nullptr), "MacroNameOf and the menu table disagree", std::to_string(command));

    fuzz::Buffer output(capacity);
    bool fit = SpliceText(text.c_str(), start, end, insert.c_str(), output.data(), capacity);
    if (capacity == 0) {
        FUZZ_CHECK(!fit, "SpliceText into no room claims success");
        return 0;
    }
    std::string got = output.Text("SpliceText");
    bool inRange = start <= end && end <= text.size();
    std::string expected = inRange ? text.substr(0, start) + insert + text.substr(end) : std::string();
    bool shouldFit = inRange && expected.size() < capacity;
    FUZZ_CHECK(fit == shouldFit, "SpliceText fit flag",
               Show(text) + " [" + std::to_string(start) + "," + std::to_string(end) + ") " + Show(insert));
    FUZZ_CHECK(got == (fit ? expected : std::string()), "SpliceText", Show(got) + " expected " + Show(expected));
    return 0;
}
