// The settings file's path and the own name derived from the program's path, against a
// reference: both fit and equal it, or the call fails with both outputs empty.
#include <string>

#include "fuzz/fuzz_input.h"
#include "launcher/startup_core.h"

namespace {

using fuzz::Show;

size_t CapacityFrom(uint8_t b) { return b < 224 ? b : size_t(b - 223) * 128; }

uint8_t KeyBytes[256];
int16_t ReadKey(int key) { return int16_t(KeyBytes[key & 0xFF] * 0x101); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    size_t settingsCapacity = CapacityFrom(in.Byte());
    size_t nameCapacity = CapacityFrom(in.Byte());
    uint8_t keys = in.Byte();
    std::string path = in.Text();

    fuzz::Buffer settings(settingsCapacity), name(nameCapacity);
    bool ok = DeriveSettingsNames(path.c_str(), settings.data(), settingsCapacity, name.data(), nameCapacity);

    bool expectedOk = false;
    std::string expectedSettings, expectedName;
    if (path.size() >= 3) {
        expectedSettings = path.substr(0, path.size() - 3) + "ini";
        size_t slash = expectedSettings.rfind('\\');
        std::string file = slash == std::string::npos ? expectedSettings : expectedSettings.substr(slash + 1);
        expectedName = file.size() >= 4 ? file.substr(0, file.size() - 4) : std::string();
        expectedOk = expectedSettings.size() < settingsCapacity && expectedName.size() < nameCapacity;
    }
    FUZZ_CHECK(ok == expectedOk, "DeriveSettingsNames result", Show(path));
    std::string gotSettings = settingsCapacity ? settings.Text("settings path") : std::string();
    std::string gotName = nameCapacity ? name.Text("own name") : std::string();
    if (ok) {
        FUZZ_CHECK(gotSettings == expectedSettings, "settings path",
                   Show(gotSettings) + " expected " + Show(expectedSettings));
        FUZZ_CHECK(gotName == expectedName, "own name", Show(gotName) + " expected " + Show(expectedName));
    } else {
        FUZZ_CHECK(gotSettings.empty() && gotName.empty(), "a failed derivation leaves a name behind", Show(path));
    }

    // CTRL held alone, each key's state from one bit of a byte.
    static const int order[] = {0x11, 0x10, 0x12, 0x2B, 0x20};
    for (int i = 0; i < 5; ++i) KeyBytes[order[i]] = (keys >> i) & 1 ? 0x80 : 0;
    bool expectedCtrl = (keys & 0x1F) == 0x01;
    FUZZ_CHECK(CtrlHeldAlone(ReadKey) == expectedCtrl, "CtrlHeldAlone");
    return 0;
}
