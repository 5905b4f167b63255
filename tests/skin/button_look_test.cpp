// The skinned button's colours and geometry for each state, as numbers.
#include <gtest/gtest.h>

#include <vector>

#include "skin/button_look.h"
#include "skin/colors.h"

namespace {

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

constexpr uint32_t White = 0xFFFFFF;
const uint32_t Caption = Rgb(153, 180, 209);

TEST(ButtonFace, StatesGiveTheDocumentedGradientsAndFrames)
{
    const uint32_t base = SkinBaseColorOf(32, White, Caption);
    struct Case {
        int32_t state;
        FaceColors expected;
    } cases[] = {
        {ButtonNormal, {White, White, Rgb(191, 191, 191), Rgb(215, 215, 215)}},
        {ButtonHot, {Rgb(204, 211, 219), Rgb(249, 250, 252), Rgb(157, 162, 167), Rgb(233, 236, 239)}},
        {ButtonPressed, {Rgb(244, 247, 250), Rgb(211, 218, 227), Rgb(156, 161, 167), Rgb(202, 204, 208)}},
    };
    for (const Case& c : cases) {
        FaceColors got = {};
        ASSERT_TRUE(ComputeFaceColors(c.state, base, White, &got));
        EXPECT_EQ(got.top, c.expected.top) << "state " << c.state;
        EXPECT_EQ(got.bottom, c.expected.bottom) << "state " << c.state;
        EXPECT_EQ(got.outer, c.expected.outer) << "state " << c.state;
        EXPECT_EQ(got.inner, c.expected.inner) << "state " << c.state;
    }
    FaceColors untouched = {1, 2, 3, 4};
    EXPECT_FALSE(ComputeFaceColors(ButtonDisabled, base, White, &untouched));
    EXPECT_FALSE(ComputeFaceColors(-1, base, White, &untouched));
    EXPECT_EQ(untouched.top, 1u);
}

TEST(ButtonText, ColourFollowsStateDisabledAndWhatIsSet)
{
    const uint32_t gray = Rgb(109, 109, 109);
    const uint32_t text = 0;
    const uint32_t hot = 0x600080, pressed = 0x600080, normal = 0x400000;
    struct Case {
        const char* what;
        int32_t state;
        bool disabled;
        uint32_t h, p, n;
        uint32_t color;
        int32_t outState;
    } cases[] = {
        {"settings normal", ButtonNormal, false, hot, pressed, normal, normal, ButtonNormal},
        {"settings hot", ButtonHot, false, hot, pressed, normal, hot, ButtonHot},
        {"settings pressed", ButtonPressed, false, hot, pressed, normal, pressed, ButtonPressed},
        {"disabled wins", ButtonHot, true, hot, pressed, normal, gray, ButtonDisabled},
        {"hot unset falls to normal", ButtonHot, false, 0, pressed, normal, normal, ButtonHot},
        {"pressed unset falls to normal", ButtonPressed, false, hot, 0, normal, normal, ButtonPressed},
        {"hot colour only when hot", ButtonPressed, false, hot, 0, 0, text, ButtonPressed},
        {"nothing set", ButtonNormal, false, 0, 0, 0, text, ButtonNormal},
    };
    for (const Case& c : cases) {
        const TextColorChoice got = ChooseTextColor(c.state, c.disabled, c.h, c.p, c.n, gray, text);
        EXPECT_EQ(got.color, c.color) << c.what;
        EXPECT_EQ(got.state, c.outState) << c.what;
    }
}

TEST(ButtonGeometry, TextAndFocusRectanglesShrinkByTheFlags)
{
    const SkinRect item = {0, 0, 75, 23};
    struct Case {
        uint32_t flags;
        SkinRect text;
    } textCases[] = {
        {0, {0, 0, 75, 23}},
        {0x1, {2, 2, 73, 21}},
        {0x4, {2, 2, 73, 21}},
        {0x2000000F, {4, 4, 71, 19}},
    };
    for (const Case& c : textCases) {
        const SkinRect got = ButtonTextRect(item, c.flags);
        EXPECT_EQ(got.left, c.text.left) << c.flags;
        EXPECT_EQ(got.top, c.text.top) << c.flags;
        EXPECT_EQ(got.right, c.text.right) << c.flags;
        EXPECT_EQ(got.bottom, c.text.bottom) << c.flags;
    }
    struct FocusCase {
        uint32_t flags;
        int32_t inset;
    } focusCases[] = {
        {0x2000000F, 4},
        {0x4, 1},
        {0x1, 4},
    };
    for (const FocusCase& c : focusCases) {
        const SkinRect got = ButtonFocusRect(item, c.flags);
        EXPECT_EQ(got.left, c.inset);
        EXPECT_EQ(got.top, c.inset);
        EXPECT_EQ(got.right, 75 - c.inset);
        EXPECT_EQ(got.bottom, 23 - c.inset);
    }
}

TEST(ButtonGeometry, TextBlockIsCentredVerticallyAsASignedShift)
{
    const SkinRect text = {4, 4, 71, 19};  // 15 high
    EXPECT_EQ(TextCentringShift(text, 13), 1);
    EXPECT_EQ(TextCentringShift(text, 15), 0);
    EXPECT_EQ(TextCentringShift(text, 26), -5);  // two lines: moved up by half the difference
    EXPECT_EQ(TextCentringShift(text, 0), 7);
}

TEST(FocusMark, DotColourAndDottedLineEnds)
{
    EXPECT_EQ(FocusMarkColor(Rgb(109, 109, 109), 0), Rgb(114, 114, 114));

    struct Case {
        int32_t x, length;
        std::vector<int32_t> xs;
        int32_t last;
    } cases[] = {
        {10, 7, {10, 12, 14, 16}, 16},
        {10, 8, {10, 12, 14, 16}, 16},
        {10, 9, {10, 12, 14, 16, 18}, 18},
        {10, 1, {10}, 10},
        {10, 0, {10}, 10},  // at least one pixel
        {10, -4, {10}, 10},
        {-5, 7, {-5}, -5},  // compared unsigned: a start left of 0 sets one pixel
    };
    for (const Case& c : cases) {
        std::vector<int32_t> xs;
        const int32_t last = DottedLineWalk(c.x, 5, c.length, true, [&](int32_t x, int32_t y) {
            xs.push_back(x);
            EXPECT_EQ(y, 5);
        });
        EXPECT_EQ(xs, c.xs) << c.x << " " << c.length;
        EXPECT_EQ(last, c.last) << c.x << " " << c.length;
    }
    std::vector<int32_t> ys;
    EXPECT_EQ(DottedLineWalk(3, 1, 5, false,
                             [&](int32_t x, int32_t y) {
                                 EXPECT_EQ(x, 3);
                                 ys.push_back(y);
                             }),
              5);
    EXPECT_EQ(ys, (std::vector<int32_t>{1, 3, 5}));
}

TEST(FocusMark, DottedLineNeverRunsPastTheEndOfTheRange)
{
    // At the top of the unsigned range the walk stops instead of wrapping round to 0 and
    // running on through four billion coordinates.
    int count = 0;
    EXPECT_EQ(DottedLineWalk(-16, 0, 15, true, [&](int32_t, int32_t) { ++count; }), -2);
    EXPECT_EQ(count, 8);  // 0xFFFFFFF0 .. 0xFFFFFFFE
}

}  // namespace
