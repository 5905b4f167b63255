#include <gtest/gtest.h>

#include <vector>

#include "template_reader.h"
#include "ui/dialog_template.h"
#include "ui/settings_layout.h"

namespace {

size_t BuildSettings(std::vector<unsigned char>& block)
{
    return BuildDialogTemplate(SettingsDialogHeader, SettingsControls.data(), SettingsControlCount, block.data(),
                               block.size(), WidenBytes);
}

}  // namespace

TEST(DialogTemplate, SettingsHeaderCarriesStyleSizeFontAndCaption)
{
    std::vector<unsigned char> block(SettingsTemplateCapacity);
    size_t used = BuildSettings(block);
    ASSERT_GT(used, 0u);
    TemplateReader reader(block.data(), used);
    ReadTemplate t = reader.Read();
    ASSERT_TRUE(reader.Ok());
    EXPECT_EQ(t.style, 0x90C80848u);
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.count, 83);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 512);
    EXPECT_EQ(t.cy, 362);
    EXPECT_EQ(t.menu, 0);
    EXPECT_EQ(t.windowClass, 0);
    EXPECT_EQ(t.caption, "Stowlet Launcher");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, "MS Sans Serif");
    // The reader consumed exactly what the builder wrote: no stray or missing byte.
    EXPECT_EQ(t.end, used);
    EXPECT_LT(used, SettingsTemplateCapacity);
    // The size the documented DLGTEMPLATE layout gives for what was read: a header of two
    // DWORDs and five WORDs, menu and class as one WORD each, caption, point size, typeface;
    // then per control, from a DWORD boundary, two DWORDs and five WORDs, the class as an
    // atom (0xFFFF and a WORD) or a name, the text and the creation-data WORD. Strings are
    // UTF-16 with their terminating zero.
    auto stringBytes = [](const std::string& text) { return (text.size() + 1) * 2; };
    size_t expected = 18 + 2 + 2 + stringBytes(t.caption) + 2 + stringBytes(t.font);
    for (const ReadControl& c : t.controls)
        expected = ((expected + 3) & ~size_t(3)) + 18 + (c.className.empty() ? 4 : stringBytes(c.className)) +
                   stringBytes(c.text) + 2;
    EXPECT_EQ(used, expected);
}

TEST(DialogTemplate, EveryControlStartsOnADwordBoundaryWithNoCreationData)
{
    std::vector<unsigned char> block(SettingsTemplateCapacity);
    size_t used = BuildSettings(block);
    ReadTemplate t = TemplateReader(block.data(), used).Read();
    ASSERT_EQ(t.controls.size(), 83u);
    for (const ReadControl& c : t.controls) {
        EXPECT_EQ(c.offset % 4, 0u) << "control " << c.id;
        EXPECT_EQ(c.exStyle, 0u) << "control " << c.id;
        EXPECT_EQ(c.creationData, 0) << "control " << c.id;
    }
}

TEST(DialogTemplate, IdsFollowCreationOrderExceptTheMovedLabels)
{
    std::vector<uint16_t> expected;
    for (int group = 0; group < 2; ++group) {
        int base = group * 40;
        for (int id = 1; id <= 32; ++id) expected.push_back(uint16_t(base + id));
        for (int id : {34, 35, 36, 37, 38, 39, 40, 33}) expected.push_back(uint16_t(base + id));
    }
    for (int id : {81, 82, 83}) expected.push_back(uint16_t(id));

    std::vector<unsigned char> block(SettingsTemplateCapacity);
    ReadTemplate t = TemplateReader(block.data(), BuildSettings(block)).Read();
    std::vector<uint16_t> ids;
    for (const ReadControl& c : t.controls) ids.push_back(c.id);
    EXPECT_EQ(ids, expected);
}

TEST(DialogTemplate, SampleControlsMatchTheLayout)
{
    struct Row {
        int order;  // 1-based creation order
        uint16_t id;
        uint32_t style;
        uint16_t classAtom;
        const char* className;
        const char* text;
        int16_t x, y, cx, cy;
    };
    const Row rows[] = {
        {1, 1, 0x50000007, 0x80, "", "Stowlet Previous Task", 12, 8, 488, 156},
        {2, 2, 0x50000000, 0x82, "", "Copy from Source:", 24, 23, 72, 12},
        {3, 3, 0x50810080, 0x81, "", "", 100, 22, 354, 12},
        {4, 4, 0x50018000, 0x80, "", "...", 458, 22, 14, 12},
        {5, 5, 0x50019003, 0x80, "", "S", 476, 22, 14, 12},
        {11, 11, 0x50818080, 0x81, "", "", 100, 54, 371, 12},
        {23, 23, 0x50018003, 0x80, "", "Ask before 'Copy before' Execute", 100, 146, 130, 12},
        {30, 30, 0x5081A000, 0x81, "", "", 434, 118, 38, 11},
        {31, 31, 0x500000B6, 0, "msctls_updown32", "", 440, 118, 24, 11},
        {33, 34, 0x50000000, 0x82, "", "Files modified in last:", 360, 134, 70, 12},
        {35, 36, 0x500000B6, 0, "msctls_updown32", "", 434, 132, 38, 11},
        {40, 33, 0x50000000, 0x82, "", "sec", 476, 147, 12, 12},
        {41, 41, 0x50000007, 0x80, "", "Stowlet Main Task", 12, 172, 488, 156},
        {43, 43, 0x50810080, 0x81, "", "", 100, 186, 354, 12},
        {71, 71, 0x500000B6, 0, "msctls_updown32", "", 434, 282, 24, 11},
        {77, 78, 0x50000000, 0x82, "", "Time Out:", 360, 312, 70, 12},
        {80, 73, 0x50000000, 0x82, "", "sec", 476, 311, 12, 12},
        {81, 81, 0x50018000, 0x80, "", "About...", 12, 338, 88, 16},
        {82, 82, 0x50018000, 0x80, "", "Save", 312, 338, 88, 16},
        {83, 83, 0x50018001, 0x80, "", "Close", 412, 338, 88, 16},
    };
    std::vector<unsigned char> block(SettingsTemplateCapacity);
    ReadTemplate t = TemplateReader(block.data(), BuildSettings(block)).Read();
    ASSERT_EQ(t.controls.size(), 83u);
    for (const Row& row : rows) {
        const ReadControl& c = t.controls[size_t(row.order - 1)];
        SCOPED_TRACE(testing::Message() << "creation order " << row.order);
        EXPECT_EQ(c.id, row.id);
        EXPECT_EQ(c.style, row.style);
        EXPECT_EQ(c.classAtom, row.classAtom);
        EXPECT_EQ(c.className, row.className);
        EXPECT_EQ(c.text, row.text);
        EXPECT_EQ(c.x, row.x);
        EXPECT_EQ(c.y, row.y);
        EXPECT_EQ(c.cx, row.cx);
        EXPECT_EQ(c.cy, row.cy);
    }
}

TEST(DialogTemplate, MainGroupRepeatsThePreviousOne)
{
    std::vector<unsigned char> block(SettingsTemplateCapacity);
    ReadTemplate t = TemplateReader(block.data(), BuildSettings(block)).Read();
    ASSERT_EQ(t.controls.size(), 83u);
    for (size_t i = 0; i < 40; ++i) {
        const ReadControl& p = t.controls[i];
        const ReadControl& m = t.controls[i + 40];
        SCOPED_TRACE(testing::Message() << "previous id " << p.id);
        EXPECT_EQ(m.id, p.id + 40);
        EXPECT_EQ(m.y, p.y + 164);
        EXPECT_EQ(m.style, p.style);
        EXPECT_EQ(m.classAtom, p.classAtom);
        EXPECT_EQ(m.cx, p.cx);
        EXPECT_EQ(m.cy, p.cy);
        if (p.id == 31) {
            EXPECT_EQ(m.x, 434);  // the one x that differs
        } else {
            EXPECT_EQ(m.x, p.x);
        }
        if (p.id != 1) {
            EXPECT_EQ(m.text, p.text);
        }
    }
}

TEST(DialogTemplate, RefusesEveryBlockTooSmallWithoutWritingPastIt)
{
    std::vector<unsigned char> full(SettingsTemplateCapacity);
    size_t needed = BuildSettings(full);
    ASSERT_GT(needed, 0u);
    for (size_t capacity = 0; capacity < needed; ++capacity) {
        // Exactly capacity bytes: the sanitizers of the native build catch any write beyond.
        std::vector<unsigned char> block(capacity + 1);
        EXPECT_EQ(BuildDialogTemplate(SettingsDialogHeader, SettingsControls.data(), SettingsControlCount, block.data(),
                                      capacity, WidenBytes),
                  0u)
            << "capacity " << capacity;
    }
    std::vector<unsigned char> exact(needed);
    EXPECT_EQ(BuildDialogTemplate(SettingsDialogHeader, SettingsControls.data(), SettingsControlCount, exact.data(),
                                  exact.size(), WidenBytes),
              needed);
    EXPECT_EQ(exact, std::vector<unsigned char>(full.begin(), full.begin() + std::ptrdiff_t(needed)));
}

TEST(DialogTemplate, WriterPadsWithZerosAndStopsAtTheFirstOverflow)
{
    unsigned char block[8];
    std::memset(block, 0xAA, sizeof block);
    TemplateWriter writer = {block, 6, 0, false, WidenBytes};
    Write<uint8_t>(writer, 1);
    AlignToDword(writer);
    EXPECT_EQ(writer.used, 4u);
    EXPECT_EQ(block[1], 0);
    EXPECT_EQ(block[3], 0);
    WriteString(writer, "ab");  // three words do not fit the two bytes left
    EXPECT_TRUE(writer.overflow);
    Write<uint16_t>(writer, 7);  // would fit, but the template is already broken
    EXPECT_EQ(writer.used, 4u);
    EXPECT_EQ(block[4], 0xAA);
    EXPECT_EQ(block[6], 0xAA);  // nothing beyond capacity
}
