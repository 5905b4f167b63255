// The skin on real windows and memory canvases: faces, text, focus mark, subclassing, hover,
// the texture bitmap and the absence of GDI leaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gdi_helpers.h"
#include "skin/button_look.h"
#include "skin/colors.h"
#include "skin/drawing.h"
#include "skin/skin.h"
#include "skin/texture.h"
#include "ui/dialog_template.h"

namespace {

constexpr COLORREF Marker = RGB(1, 2, 3);

// ---------------------------------------------------------------------------------------------
// Arithmetic against the platform

TEST(SkinArithmetic, MulDivRoundedMatchesTheSystemMulDiv)
{
    // -2^31 is left out: Wine's MulDiv negates its operands for a negative divisor, which
    // overflows for -2^31; the skin's operands are channels, amounts and small sizes.
    const int32_t values[] = {0,   1,   -1,   2,     7,     86,    100,        127,
                              128, 255, 2540, -2540, 10583, 46341, 0x7FFFFFFF, -0x7FFFFFFF};
    for (int32_t a : values) {
        for (int32_t b : values) {
            for (int32_t c : values) {
                ASSERT_EQ(MulDivRounded(a, b, c), MulDiv(a, b, c)) << a << " * " << b << " / " << c;
            }
        }
    }
    NoiseSequence noise = {12345};
    for (int i = 0; i < 20000; ++i) {
        const int32_t a = NextNoise(noise) - 16384, b = NextNoise(noise) * 3 - 40000, c = NextNoise(noise) - 16000;
        ASSERT_EQ(MulDivRounded(a, b, c), MulDiv(a, b, c)) << a << " * " << b << " / " << c;
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing helpers on a canvas

TEST(SkinDrawing, GradientRectDirectionFollowsTheLowByteOfTheFlag)
{
    const COLORREF from = RGB(0, 0, 0);
    const COLORREF to = RGB(240, 120, 60);
    struct Case {
        int flag;
        bool vertical;
    } cases[] = {{1, true}, {0x101, true}, {0, false}, {0x100, false}};
    for (const Case& c : cases) {
        Canvas canvas(40, 40, Marker);
        RECT area = {0, 0, 40, 40};
        EXPECT_EQ(GradientRect(canvas.Dc(), &area, from, to, c.flag), 0);
        // The first row (vertical) or column (horizontal) is the start colour exactly.
        EXPECT_EQ(canvas.At(0, 0), from) << c.flag;
        EXPECT_EQ(c.vertical ? canvas.At(39, 0) : canvas.At(0, 39), from) << c.flag;
        const COLORREF farEnd = c.vertical ? canvas.At(0, 39) : canvas.At(39, 0);
        EXPECT_GE(GetRValue(farEnd), 230) << c.flag;
        EXPECT_GE(GetGValue(farEnd), 114) << c.flag;
    }
}

TEST(SkinDrawing, DottedLineSetsEverySecondPixelAndReturnsTheLast)
{
    const COLORREF dot = RGB(114, 114, 114);
    struct Case {
        int length;
        int last;
    } cases[] = {{7, 16}, {8, 16}, {9, 18}, {0, 10}};
    for (const Case& c : cases) {
        Canvas canvas(30, 30, Marker);
        EXPECT_EQ(DottedLine(canvas.Dc(), 10, 5, c.length, 1, dot), c.last) << c.length;
        for (int x = 8; x < 22; ++x) {
            const bool set = x >= 10 && x <= c.last && (x - 10) % 2 == 0;
            EXPECT_EQ(canvas.At(x, 5), set ? dot : Marker) << "length " << c.length << " x " << x;
        }
        EXPECT_EQ(canvas.At(10, 4), Marker);
        EXPECT_EQ(canvas.At(10, 6), Marker);
    }
    Canvas canvas(30, 30, Marker);
    EXPECT_EQ(DottedLine(canvas.Dc(), 3, 2, 5, 0, dot), 6);
    EXPECT_EQ(canvas.At(3, 2), dot);
    EXPECT_EQ(canvas.At(3, 3), Marker);
    EXPECT_EQ(canvas.At(3, 4), dot);
    EXPECT_EQ(canvas.At(3, 6), dot);
    EXPECT_EQ(canvas.At(3, 8), Marker);
}

TEST(SkinDrawing, BaseColourAndDepthComeFromTheSystem)
{
    {
        FixedSkinColors colors;
        EXPECT_EQ(DisplayBitsPerPixel(), 32);
        EXPECT_EQ(SkinBaseColor(), RGB(225, 233, 242));
    }
    {
        FixedSkinColors colors([] { return 8; });
        EXPECT_EQ(SkinBaseColor(), RGB(255, 255, 255));
    }
    {
        // A screen that does not tell its depth counts as 8 bits.
        FixedSkinColors colors([] { return -1; });
        EXPECT_EQ(DisplayBitsPerPixel(), 8);
    }
    // The real screen is read when nothing is replaced.
    EXPECT_GT(DisplayBitsPerPixel(), 0);
}

// ---------------------------------------------------------------------------------------------
// Button faces

struct FaceExpectation {
    int state;
    COLORREF top, bottom, outer, inner;
};

const FaceExpectation ExampleFaces[] = {
    {ButtonNormal, RGB(255, 255, 255), RGB(255, 255, 255), RGB(191, 191, 191), RGB(215, 215, 215)},
    {ButtonHot, RGB(204, 211, 219), RGB(249, 250, 252), RGB(157, 162, 167), RGB(233, 236, 239)},
    {ButtonPressed, RGB(244, 247, 250), RGB(211, 218, 227), RGB(156, 161, 167), RGB(202, 204, 208)},
};

TEST(SkinFace, EachStateHasItsGradientAndThreeFrames)
{
    FixedSkinColors colors;
    const int w = 75, h = 23;
    for (const FaceExpectation& e : ExampleFaces) {
        Canvas canvas(w, h, Marker);
        RECT area = {0, 0, w, h};
        PaintButtonFace(canvas.Dc(), &area, e.state);
        EXPECT_EQ(area.left, 0);
        EXPECT_EQ(area.top, 0);
        EXPECT_EQ(area.right, w);
        EXPECT_EQ(area.bottom, h) << "the rectangle is the same again";

        const POINT outer[] = {{0, 0}, {w / 2, 0}, {w - 1, h / 2}, {w / 2, h - 1}, {0, h - 1}};
        for (const POINT& p : outer)
            EXPECT_EQ(canvas.At(p.x, p.y), e.outer) << "state " << e.state << " outer " << p.x << "," << p.y;
        const POINT white[] = {{1, 1}, {w / 2, 1}, {w - 2, h / 2}, {w / 2, h - 2}};
        for (const POINT& p : white) EXPECT_EQ(canvas.At(p.x, p.y), RGB(255, 255, 255)) << "state " << e.state;
        const POINT inner[] = {{2, 2}, {w / 2, 2}, {w - 3, h / 2}, {w / 2, h - 3}, {2, h - 3}};
        for (const POINT& p : inner)
            EXPECT_EQ(canvas.At(p.x, p.y), e.inner) << "state " << e.state << " inner " << p.x << "," << p.y;

        // Inside the frames the face is the gradient from top to bottom colour.
        Canvas reference(w, h, Marker);
        RECT whole = {0, 0, w, h};
        GradientRect(reference.Dc(), &whole, e.top, e.bottom, 1);
        EXPECT_EQ(reference.At(w / 2, 0), e.top);
        const COLORREF last = reference.At(w / 2, h - 1);
        EXPECT_NEAR(GetRValue(last), GetRValue(e.bottom), 3) << "state " << e.state;
        EXPECT_NEAR(GetBValue(last), GetBValue(e.bottom), 3) << "state " << e.state;
        for (int y = 3; y < h - 3; ++y) {
            for (int x = 3; x < w - 3; x += 7)
                EXPECT_EQ(canvas.At(x, y), reference.At(x, y)) << "state " << e.state << " " << x << "," << y;
        }
    }
}

TEST(SkinFace, OtherStatesPaintNothing)
{
    FixedSkinColors colors;
    for (int state : {3, -1, 7}) {
        Canvas canvas(20, 10, Marker);
        RECT area = {0, 0, 20, 10};
        PaintButtonFace(canvas.Dc(), &area, state);
        PaintButtonFaceLowColor(canvas.Dc(), &area, state);
        EXPECT_EQ(canvas.At(0, 0), Marker);
        EXPECT_EQ(canvas.At(10, 5), Marker);
    }
}

TEST(SkinFace, EightBitScreensGetPlainSystemColourFaces)
{
    FixedSkinColors colors([] { return 8; });
    struct Case {
        int state;
        COLORREF fill, frame;
    } cases[] = {
        {ButtonNormal, RGB(240, 240, 240), RGB(160, 160, 160)},
        {ButtonHot, RGB(227, 227, 227), RGB(160, 160, 160)},
        {ButtonPressed, RGB(255, 255, 255), RGB(0, 0, 0)},
    };
    for (const Case& c : cases) {
        Canvas canvas(30, 12, Marker);
        RECT area = {0, 0, 30, 12};
        PaintButtonFace(canvas.Dc(), &area, c.state);
        EXPECT_EQ(canvas.At(0, 0), c.frame) << c.state;
        EXPECT_EQ(canvas.At(29, 11), c.frame) << c.state;
        EXPECT_EQ(canvas.At(1, 1), c.fill) << c.state;
        EXPECT_EQ(canvas.At(15, 6), c.fill) << c.state;
    }
}

// ---------------------------------------------------------------------------------------------
// A small dialog with the settings window's three bottom buttons and a label.

struct DialogLog {
    int clicked = 0;
    int drawItems = 0;
};
DialogLog Log;

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_DRAWITEM: ++Log.drawItems; return FALSE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) >= 81) ++Log.clicked;
        return FALSE;
    case WM_ERASEBKGND: return EraseWithTexture(dialog, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC: return reinterpret_cast<INT_PTR>(TextureBrushFor(reinterpret_cast<HDC>(wParam)));
    default: return FALSE;
    }
}

class SkinnedDialog {
public:
    SkinnedDialog()
    {
        const DialogControl controls[] = {
            {WS_CHILD | WS_VISIBLE, 10, 10, 100, 10, 90, ClassStatic, nullptr, "A label"},
            {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 40, 50, 14, 81, ClassButton, nullptr, "About..."},
            {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 70, 40, 50, 14, 82, ClassButton, nullptr, "Save"},
            {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 130, 40, 50, 14, 83, ClassButton, nullptr, "Close"},
        };
        const DialogHeader header = {
            WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT, 0, 0, 0, 200, 70, "Skin test", 8, "MS Sans Serif"};
        alignas(4) static unsigned char block[2048];
        for (unsigned char& b : block) b = 0;
        BuildDialogTemplate(header, controls, 4, block, sizeof block, WidenBytes);
        dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(block),
                                             nullptr, TestDialogProc, 0);
        // Read wide, as the skin keeps them: the ANSI view of a procedure is another handle.
        originalDialogProc_ = GetWindowLongPtrW(dialog_, GWLP_WNDPROC);
        originalButtonProc_ = GetWindowLongPtrW(Button(81), GWLP_WNDPROC);
        Log = DialogLog();
    }
    ~SkinnedDialog()
    {
        DestroyWindow(dialog_);
        Pump();
    }
    SkinnedDialog(const SkinnedDialog&) = delete;
    SkinnedDialog& operator=(const SkinnedDialog&) = delete;

    HWND Dialog() const { return dialog_; }
    HWND Button(int id) const { return GetDlgItem(dialog_, id); }
    LONG_PTR OriginalDialogProc() const { return originalDialogProc_; }
    LONG_PTR OriginalButtonProc() const { return originalButtonProc_; }
    void SkinAll()
    {
        const int ids[] = {81, 82, 83};
        for (int i = 0; i < 3; ++i) {
            records_[i] = SettingsButtonSkin();
            ASSERT_EQ(SkinControl(Button(ids[i]), &records_[i]), 1);
        }
    }
    static void Pump()
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    // Kept for as long as the buttons: a skinned button uses its record until it goes.
    CTRL_STRUCT records_[3] = {};
    CTRL_STRUCT other_ = {};

private:
    HWND dialog_ = nullptr;
    LONG_PTR originalDialogProc_ = 0;
    LONG_PTR originalButtonProc_ = 0;
};

// Paints a skinned button into a canvas through the painter, as WM_DRAWITEM would.
void PaintInto(Canvas& canvas, HWND button, UINT itemState)
{
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(button));
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState;
    item.hwndItem = button;
    item.hDC = canvas.Dc();
    item.rcItem = {0, 0, canvas.Width(), canvas.Height()};
    SelectObject(canvas.Dc(), reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0)));
    PaintSkinnedButton(&item, static_cast<const CTRL_STRUCT*>(GetPropA(button, "CTRL_STRUCT")));
}

int CountColor(const Canvas& canvas, COLORREF color)
{
    int count = 0;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) count += canvas.At(x, y) == color;
    return count;
}

// The box around the pixels that differ between two paints (the caption's ink).
RECT InkBox(const Canvas& with, const Canvas& without)
{
    RECT box = {with.Width(), with.Height(), -1, -1};
    for (int y = 0; y < with.Height(); ++y) {
        for (int x = 0; x < with.Width(); ++x) {
            if (with.At(x, y) == without.At(x, y)) continue;
            box.left = std::min<LONG>(box.left, x);
            box.top = std::min<LONG>(box.top, y);
            box.right = std::max<LONG>(box.right, x + 1);
            box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    }
    return box;
}

TEST(SkinControl, InstallsRecordOwnerDrawAndSubclassesTheDialogOnce)
{
    SkinnedDialog d;
    EXPECT_EQ(SkinControl(nullptr, nullptr), 0);
    CTRL_STRUCT skin = SettingsButtonSkin();
    EXPECT_EQ(SkinControl(reinterpret_cast<HWND>(static_cast<intptr_t>(0x7FFF1234)), &skin), 0);
    d.SkinAll();

    EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(d.Dialog(), "OLD_WND_PROC")), d.OriginalDialogProc());
    EXPECT_EQ(GetWindowLongPtrW(d.Dialog(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(SkinDialogProc));
    for (int id : {81, 82, 83}) {
        HWND button = d.Button(id);
        EXPECT_EQ(GetWindowLongPtrA(button, GWL_STYLE) & 0xF, BS_OWNERDRAW) << id;
        EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(SkinButtonProc)) << id;
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(button, "OLD_WND_PROC")), d.OriginalButtonProc()) << id;
        const CTRL_STRUCT* record = static_cast<const CTRL_STRUCT*>(GetPropA(button, "CTRL_STRUCT"));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->TextColorHot, 0x600080u);
        EXPECT_EQ(record->TextColorPressed, 0x600080u);
        EXPECT_EQ(record->TextColorNormal, 0x400000u);
        EXPECT_EQ(record->Flags, 0x2000000Fu);
        EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), 0) << id;
    }
    const CTRL_STRUCT* close = static_cast<const CTRL_STRUCT*>(GetPropA(d.Button(83), "CTRL_STRUCT"));
    EXPECT_EQ(close->StyleBeforeSkin & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));

    // Skinning again replaces the record (its last field is the skin's, not the caller's) and
    // does not subclass a second time.
    d.other_ = SettingsButtonSkin();
    d.other_.TextColorNormal = 0x123456;
    d.other_.StyleBeforeSkin = 77;
    ASSERT_EQ(SkinControl(d.Button(81), &d.other_), 1);
    const CTRL_STRUCT* replaced = static_cast<const CTRL_STRUCT*>(GetPropA(d.Button(81), "CTRL_STRUCT"));
    EXPECT_EQ(replaced, &d.other_);
    EXPECT_EQ(replaced->TextColorNormal, 0x123456u);
    // The style is still the one from before the first skinning, not owner-draw.
    EXPECT_EQ(replaced->StyleBeforeSkin & 0xF, static_cast<DWORD>(BS_PUSHBUTTON));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(d.Button(81), "OLD_WND_PROC")), d.OriginalButtonProc());
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(d.Dialog(), "OLD_WND_PROC")), d.OriginalDialogProc());
}

TEST(SkinControl, ButtonsStayOwnerDrawnWhenTheDefaultButtonMoves)
{
    SkinnedDialog d;
    d.SkinAll();
    ShowWindow(d.Dialog(), SW_SHOWNA);
    for (int target : {82, 81, 83}) {
        SendMessageA(d.Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(d.Button(target)), 1);
        SkinnedDialog::Pump();
        for (int id : {81, 82, 83})
            EXPECT_EQ(GetWindowLongPtrA(d.Button(id), GWL_STYLE) & 0xF, BS_OWNERDRAW)
                << "after focus on " << target << ": " << id;
    }
    // The dialog's own procedure never sees the skinned buttons' drawing.
    UpdateWindow(d.Dialog());
    EXPECT_EQ(Log.drawItems, 0);
}

TEST(SkinControl, HoverRepaintsOnceOnEnterAndOnLeave)
{
    SkinnedDialog d;
    d.SkinAll();
    ShowWindow(d.Dialog(), SW_SHOWNA);
    UpdateWindow(d.Dialog());
    HWND save = d.Button(82);
    RECT update;
    ValidateRect(save, nullptr);
    ASSERT_EQ(gHotControl, nullptr);
    SendMessageA(save, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(gHotControl, save);
    EXPECT_TRUE(GetUpdateRect(save, &update, FALSE)) << "entering repaints";
    ValidateRect(save, nullptr);
    SendMessageA(save, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
    EXPECT_FALSE(GetUpdateRect(save, &update, FALSE)) << "further moves do not";
    // A second button does not become hot while the first one is.
    SendMessageA(d.Button(83), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(gHotControl, save);
    SendMessageA(save, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(gHotControl, nullptr);
    EXPECT_TRUE(GetUpdateRect(save, &update, FALSE)) << "leaving repaints";
    SkinnedDialog::Pump();
    EXPECT_EQ(gHotControl, nullptr);
}

TEST(SkinControl, DoubleClickPressesLikeASingleClick)
{
    SkinnedDialog d;
    d.SkinAll();
    ShowWindow(d.Dialog(), SW_SHOWNA);
    HWND save = d.Button(82);
    // The pointer comes onto the button before it is pressed.
    SendMessageA(save, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(save, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(save, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Log.clicked, 1);
    SendMessageA(save, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(SendMessageA(save, BM_GETSTATE, 0, 0) & BST_PUSHED) << "the double click pressed the button";
    SendMessageA(save, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Log.clicked, 2);
    SendMessageA(save, WM_MOUSELEAVE, 0, 0);
    SkinnedDialog::Pump();
}

TEST(SkinControl, DestroyingTheHotButtonClearsTheHotState)
{
    SkinnedDialog d;
    d.SkinAll();
    HWND save = d.Button(82);
    SendMessageA(save, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(gHotControl, save);
    DestroyWindow(save);
    EXPECT_EQ(gHotControl, nullptr);
    SkinnedDialog::Pump();
}

// ---------------------------------------------------------------------------------------------
// The painter

// "Save" of a skinned dialog, painted with the example colours.
class SkinPainter : public ::testing::Test {
protected:
    void SetUp() override
    {
        d.SkinAll();
        RECT client;
        GetClientRect(save, &client);
        w = client.right;
        h = client.bottom;
    }
    FixedSkinColors colors;
    SkinnedDialog d;
    HWND save = d.Button(82);
    int w = 0, h = 0;
};

TEST_F(SkinPainter, TextColourPerStateAndFocusDots)
{
    const COLORREF normalText = RGB(0, 0, 64), hotText = RGB(128, 0, 96), gray = RGB(109, 109, 109);
    const COLORREF dot = RGB(114, 114, 114);

    Canvas normal(w, h);
    PaintInto(normal, save, 0);
    EXPECT_EQ(normal.At(w / 2, 0), RGB(191, 191, 191));
    EXPECT_EQ(normal.At(w / 2, 2), RGB(215, 215, 215));
    EXPECT_EQ(normal.At(3, 3), RGB(255, 255, 255));
    EXPECT_GT(CountColor(normal, normalText), 0);
    EXPECT_EQ(CountColor(normal, hotText), 0);
    EXPECT_EQ(CountColor(normal, dot), 0) << "no focus mark without the focus";

    Canvas focused(w, h);
    PaintInto(focused, save, ODS_FOCUS);
    // Framed: the mark keeps 4 pixels from the edge; the top edge starts one pixel in.
    EXPECT_EQ(focused.At(5, 4), dot);
    EXPECT_EQ(focused.At(6, 4), RGB(255, 255, 255));
    EXPECT_EQ(focused.At(7, 4), dot);
    EXPECT_EQ(focused.At(4, 5), dot);
    EXPECT_EQ(focused.At(4, 6), RGB(255, 255, 255));

    gHotControl = save;
    Canvas hot(w, h);
    PaintInto(hot, save, 0);
    gHotControl = nullptr;
    EXPECT_EQ(hot.At(w / 2, 0), RGB(157, 162, 167));
    EXPECT_GT(CountColor(hot, hotText), 0);
    EXPECT_EQ(CountColor(hot, normalText), 0);

    Canvas pressed(w, h);
    PaintInto(pressed, save, ODS_SELECTED);
    EXPECT_EQ(pressed.At(w / 2, 0), RGB(156, 161, 167));
    EXPECT_GT(CountColor(pressed, hotText), 0);

    Canvas disabled(w, h);
    PaintInto(disabled, save, ODS_DISABLED);
    EXPECT_EQ(disabled.At(w / 2, 0), RGB(191, 191, 191)) << "disabled shows the normal face";
    EXPECT_GT(CountColor(disabled, gray), 0);
    EXPECT_EQ(CountColor(disabled, normalText), 0);
}

TEST_F(SkinPainter, FocusMarkEdgesLineUp)
{
    const COLORREF dot = RGB(114, 114, 114);
    SetWindowTextA(save, "");
    Canvas focused(w, h);
    PaintInto(focused, save, ODS_FOCUS);
    // The focus rectangle is the item less 4 on each side; find the bottom and right edges.
    const int left = 4, top = 4, right = w - 4, bottom = h - 4;
    int lastX = left + 1;
    while (lastX + 2 < left + 1 + (right - left - 1)) lastX += 2;
    int lastY = top + 1;
    while (lastY + 2 < top + 1 + (bottom - top - 1)) lastY += 2;
    for (int x = left + 1; x <= lastX; x += 2) {
        EXPECT_EQ(focused.At(x, top), dot) << x;
        EXPECT_EQ(focused.At(x, lastY + 1), dot) << x;
    }
    for (int y = top + 1; y <= lastY; y += 2) {
        EXPECT_EQ(focused.At(left, y), dot) << y;
        EXPECT_EQ(focused.At(lastX + 1, y), dot) << y;
    }
}

TEST_F(SkinPainter, TextIsCentredAndNotMovedWhenPressed)
{
    SetWindowTextA(save, "");
    Canvas blankNormal(w, h), blankPressed(w, h);
    PaintInto(blankNormal, save, 0);
    PaintInto(blankPressed, save, ODS_SELECTED);
    SetWindowTextA(save, "Save");
    Canvas normal(w, h), pressed(w, h);
    PaintInto(normal, save, 0);
    PaintInto(pressed, save, ODS_SELECTED);

    const RECT inkNormal = InkBox(normal, blankNormal);
    const RECT inkPressed = InkBox(pressed, blankPressed);
    ASSERT_GT(inkNormal.right, inkNormal.left);
    EXPECT_EQ(inkNormal.left, inkPressed.left);
    EXPECT_EQ(inkNormal.top, inkPressed.top);
    EXPECT_EQ(inkNormal.right, inkPressed.right);
    EXPECT_EQ(inkNormal.bottom, inkPressed.bottom);
    EXPECT_NEAR((inkNormal.left + inkNormal.right) / 2.0, w / 2.0, 2.0);
    EXPECT_NEAR((inkNormal.top + inkNormal.bottom) / 2.0, h / 2.0, 3.0);

    // A caption that needs two lines breaks at a word, and the block is centred as a whole.
    const int tallW = 60, tallH = 60;
    SetWindowTextA(save, "");
    Canvas blankTall(tallW, tallH);
    PaintInto(blankTall, save, 0);
    SetWindowTextA(save, "Save settings");
    Canvas tall(tallW, tallH);
    PaintInto(tall, save, 0);
    const RECT inkTall = InkBox(tall, blankTall);
    const int oneLine = inkNormal.bottom - inkNormal.top;
    EXPECT_GT(inkTall.bottom - inkTall.top, oneLine + oneLine / 2) << "two lines";
    EXPECT_LT(inkTall.right - inkTall.left, tallW - 8);
    EXPECT_NEAR((inkTall.top + inkTall.bottom) / 2.0, tallH / 2.0, 3.0);
}

TEST(SkinSeeThrough, TakesTheParentsBackgroundWhenThereIsNoFace)
{
    // Without the gradient face the parent's erased background is what remains under the text.
    FixedSkinColors colors;
    SkinnedDialog d;
    d.other_ = SettingsButtonSkin();
    d.other_.Flags = SkinSeeThrough;
    HWND save = d.Button(82);
    ASSERT_EQ(SkinControl(save, &d.other_), 1);
    ScopedBitmap saved = std::move(gBackgroundTexture);
    // A one-colour texture makes the copied background easy to recognise.
    Canvas source(8, 8, RGB(10, 200, 30));
    HBITMAP solid = CreateCompatibleBitmap(source.Dc(), 8, 8);
    HDC memory = CreateCompatibleDC(source.Dc());
    HGDIOBJ old = SelectObject(memory, solid);
    BitBlt(memory, 0, 0, 8, 8, source.Dc(), 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    gBackgroundTexture.Reset(solid);
    RECT client;
    GetClientRect(save, &client);
    Canvas canvas(client.right, client.bottom);
    PaintInto(canvas, save, 0);
    EXPECT_EQ(canvas.At(1, 1), RGB(10, 200, 30));
    EXPECT_EQ(canvas.At(client.right - 2, client.bottom - 2), RGB(10, 200, 30));
    gBackgroundTexture = std::move(saved);
}

// ---------------------------------------------------------------------------------------------
// The texture

COLORREF WINAPI DarkerFaceColor(int index)
{
    return index == COLOR_BTNFACE ? RGB(200, 200, 200) : ExampleSystemColor(index);
}

std::vector<COLORREF> BitmapPixels(HBITMAP bitmap, int* width, int* height)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    *width = info.bmWidth;
    *height = info.bmHeight;
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = info.bmHeight;  // bottom-up: row 0 is the picture's bottom row
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> raw(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, info.bmHeight, raw.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    std::vector<COLORREF> pixels;
    for (uint32_t c : raw) pixels.push_back(RGB(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF));
    return pixels;
}

TEST(SkinTexture, SettingsWindowTextureIsRepeatableWithItsPaletteColours)
{
    FixedSkinColors colors;
    const RECT area = {0, 0, 240, 60};
    ScopedBitmap first;
    ASSERT_EQ(MakeTextureBitmap(area, 30, first), 0u);
    ASSERT_TRUE(first);
    int w = 0, h = 0;
    const std::vector<COLORREF> pixels = BitmapPixels(first.Get(), &w, &h);
    EXPECT_EQ(w, 240);
    EXPECT_EQ(h, 60);
    // Pixel values 117, 144, 120 at the bottom-left, through the palette from 160 via 240 to 255.
    EXPECT_EQ(pixels[0], RGB(233, 233, 233));
    EXPECT_EQ(pixels[1], RGB(241, 241, 241));
    EXPECT_EQ(pixels[2], RGB(235, 235, 235));

    ScopedBitmap second;
    ASSERT_EQ(MakeTextureBitmap(area, 30, second), 0u);
    EXPECT_EQ(BitmapPixels(second.Get(), &w, &h), pixels) << "bit-identical on every run";

    // A texture made after a colour change shows it; the one made before does not change.
    gSkinSystem.systemColor = DarkerFaceColor;
    ScopedBitmap changed;
    ASSERT_EQ(MakeTextureBitmap(area, 30, changed), 0u);
    EXPECT_NE(BitmapPixels(changed.Get(), &w, &h)[0], pixels[0]);
    EXPECT_EQ(BitmapPixels(first.Get(), &w, &h), pixels);
}

TEST(SkinTexture, RefusedArgumentsMakeNothing)
{
    FixedSkinColors colors;
    const RECT cases[] = {
        {0, 0, 0, 60},
        {0, 0, 240, 0},
        {240, 0, 0, 60},
        {0, 0, 0x7FFFFFFF, 0x7FFFFFFF},
        {-0x7FFFFFFF, 0, 0x7FFFFFFF, 10},
    };
    for (const RECT& area : cases) {
        ScopedBitmap made;
        ASSERT_EQ(MakeTextureBitmap(RECT{0, 0, 4, 4}, 30, made), 0u);
        EXPECT_NE(MakeTextureBitmap(area, 30, made), 0u) << area.left << "," << area.right << "," << area.bottom;
        EXPECT_FALSE(made) << "what it held before is let go, nothing new is made";
    }
}

TEST(SkinTexture, BrushForStaticControlsIsMadeOncePerTexture)
{
    FixedSkinColors colors;
    ScopedBitmap saved = std::move(gBackgroundTexture);
    ASSERT_EQ(MakeTextureBitmap(RECT{0, 0, 240, 60}, 30, gBackgroundTexture), 0u);
    Canvas canvas(4, 4);
    HBRUSH first = TextureBrushFor(canvas.Dc());
    EXPECT_EQ(GetBkMode(canvas.Dc()), TRANSPARENT);
    EXPECT_EQ(TextureBrushFor(canvas.Dc()), first);
    LOGBRUSH description = {};
    ASSERT_TRUE(GetObjectA(first, sizeof description, &description));
    EXPECT_EQ(description.lbStyle, static_cast<UINT>(BS_PATTERN));
    gBackgroundTexture.Reset();
    EXPECT_EQ(TextureBrushFor(canvas.Dc()), GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetObjectType(first), 0u) << "the old texture's brush is let go";
    gBackgroundTexture = std::move(saved);
}

// ---------------------------------------------------------------------------------------------
// Leaks

TEST(SkinLeaks, HundredPaintsOfASkinnedButtonLeaveNoGdiObject)
{
    FixedSkinColors colors;
    ScopedBitmap saved = std::move(gBackgroundTexture);
    ASSERT_EQ(MakeTextureBitmap(RECT{0, 0, 240, 60}, 30, gBackgroundTexture), 0u);
    {
        SkinnedDialog d;
        d.SkinAll();
        ShowWindow(d.Dialog(), SW_SHOWNA);
        HWND save = d.Button(82);
        RECT client;
        GetClientRect(save, &client);
        Canvas canvas(client.right, client.bottom);
        auto paintAll = [&](int times) {
            for (int i = 0; i < times; ++i) {
                PaintInto(canvas, save, i % 3 == 0 ? ODS_FOCUS : i % 3 == 1 ? ODS_SELECTED : ODS_DISABLED);
                gHotControl = i % 2 ? save : nullptr;
                RedrawWindow(save, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            }
            gHotControl = nullptr;
        };
        paintAll(3);  // first paints may fill the system's own caches
        const long before = GdiObjectsInUse();
        paintAll(100);
        EXPECT_EQ(GdiObjectsInUse(), before);
    }
    gBackgroundTexture = std::move(saved);
}

}  // namespace
