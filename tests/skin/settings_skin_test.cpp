// The skin, the texture and the About box in the real settings window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <string>

#include "launcher/startup.h"
#include "skin/button_look.h"
#include "skin/drawing.h"
#include "skin/skin.h"
#include "skin/texture.h"
#include "support/boxes.h"
#include "support/support.h"
#include "test_ini.h"
#include "ui/about_box.h"
#include "window_session.h"

namespace {

COLORREF TexturePixel(int x, int y)
{
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, gBackgroundTexture.Get());
    const COLORREF pixel = GetPixel(memory, x % 240, y % 60);
    SelectObject(memory, previous);
    DeleteDC(memory);
    return pixel;
}

class SettingsSkinTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestStartup(); }
    void SetUp() override { UseSettingsFile(folder_, "[OPTIONS]\r\nProgram=notepad.exe\r\n"); }
    TempFolder folder_;
};

TEST_F(SettingsSkinTest, BottomButtonsAreSkinnedAndTheBackgroundIsTheTexture)
{
    WindowSession session;
    ASSERT_NE(session.Window(), nullptr);
    ASSERT_TRUE(gBackgroundTexture);
    EXPECT_NE(GetPropA(session.Window(), "OLD_WND_PROC"), nullptr) << "the dialog is subclassed by the skin";
    for (int id : {81, 82, 83}) {
        HWND button = session.Item(id);
        EXPECT_EQ(GetWindowLongPtrA(button, GWL_STYLE) & 0xF, BS_OWNERDRAW) << id;
        const CTRL_STRUCT* record = static_cast<const CTRL_STRUCT*>(GetPropA(button, "CTRL_STRUCT"));
        ASSERT_NE(record, nullptr) << id;
        EXPECT_EQ(record->Flags, 0x2000000Fu);
        EXPECT_EQ(record->TextColorNormal, 0x400000u);
        // The tooltips subclass "Save" and "Close" again after the skin, so the skin's own
        // procedure is only known to be installed through its property.
        EXPECT_NE(GetPropA(button, "OLD_WND_PROC"), nullptr) << id;
    }

    // The dialog's background and the empty part of a label show the texture's pixels.
    ASSERT_TRUE(session.OnUi([&] { UpdateWindow(session.Window()); }));
    HDC window = GetDC(session.Window());
    int matches = 0, samples = 0;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 40; ++x, ++samples) matches += GetPixel(window, x, y) == TexturePixel(x, y);
    }
    // The buttons show the normal gradient face: its outer frame along the top edge.
    FaceColors face;
    ASSERT_TRUE(ComputeFaceColors(ButtonNormal, SkinBaseColor(), SkinSysColor(COLOR_WINDOW), &face));
    for (int id : {81, 82}) {
        HWND button = session.Item(id);
        RECT box;
        GetWindowRect(button, &box);
        POINT middleTop = {(box.left + box.right) / 2, box.top};
        ScreenToClient(session.Window(), &middleTop);
        EXPECT_EQ(GetPixel(window, middleTop.x, middleTop.y), face.outer) << id;
    }
    ReleaseDC(session.Window(), window);
    EXPECT_EQ(matches, samples) << "the client area's top-left corner is tiled with the texture";

    // A label paints its background with the texture brush; its last column is past its text.
    HWND label = nullptr;
    for (HWND child = GetWindow(session.Window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == "Static" && IsWindowVisible(child)) {
            label = child;
            break;
        }
    }
    ASSERT_NE(label, nullptr);
    RECT area;
    GetClientRect(label, &area);
    HDC labelDc = GetDC(label);
    int textureLike = 0;
    for (int y = 0; y < area.bottom; ++y) {
        const COLORREF pixel = GetPixel(labelDc, area.right - 1, y);
        // The brush may be aligned with the label or with the dialog.
        POINT inDialog = {area.right - 1, y};
        MapWindowPoints(label, session.Window(), &inDialog, 1);
        textureLike += pixel == TexturePixel(area.right - 1, y) || pixel == TexturePixel(inDialog.x, inDialog.y);
    }
    ReleaseDC(label, labelDc);
    EXPECT_GE(textureLike, area.bottom - 1) << "the label's background is the texture";
}

TEST_F(SettingsSkinTest, AboutOpensFromTheButtonWithThePictureAndTheSameVersion)
{
    WindowSession session;
    ASSERT_NE(session.Window(), nullptr);
    const std::string caption = WindowText(session.Window());
    const std::string marker = " - Version: ";
    const size_t at = caption.find(marker);
    ASSERT_NE(at, std::string::npos) << caption;
    const size_t end = caption.find(" [", at);
    const std::string version = caption.substr(at + marker.size(), end - at - marker.size());
    ASSERT_FALSE(version.empty());

    session.Click(81);
    HWND about = WaitForTopWindow("#32770", "About Stowlet - Version: " + version);
    ASSERT_NE(about, nullptr) << "the About box with the settings window's version";
    EXPECT_EQ(GetWindow(about, GW_OWNER), session.Window());
    EXPECT_FALSE(IsWindowEnabled(session.Window()));

    // A few pixels of the picture, as a common JPEG decoder gives them, at client (24, 26).
    struct Sample {
        int x, y, r, g, b;
    } samples[] = {
        {10, 10, 24, 72, 121},
        {390, 390, 63, 157, 227},
        {200, 200, 245, 171, 40},
        {200, 60, 37, 92, 156},
    };
    // The box paints on its own thread: look until the picture is there, at most 5 seconds.
    auto matchesSample = [](COLORREF pixel, const Sample& s) {
        return std::abs(GetRValue(pixel) - s.r) <= 8 && std::abs(GetGValue(pixel) - s.g) <= 8 &&
               std::abs(GetBValue(pixel) - s.b) <= 8;
    };
    const DWORD start = GetTickCount();
    for (;;) {
        HDC dc = GetDC(about);
        int matching = 0;
        for (const Sample& s : samples) matching += matchesSample(GetPixel(dc, 24 + s.x, 26 + s.y), s);
        ReleaseDC(about, dc);
        if (matching == static_cast<int>(std::size(samples))) break;
        if (GetTickCount() - start > 5000) {
            ADD_FAILURE() << "the picture did not show: " << matching << " of " << std::size(samples)
                          << " samples match";
            break;
        }
        Sleep(20);
    }

    PostMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitGone(about));
    ASSERT_TRUE(session.Settle());
    EXPECT_TRUE(IsWindowEnabled(session.Window()));
    EXPECT_FALSE(session.Closed()) << "closing the About box leaves the settings window open";
}

}  // namespace
