#include "ImageBytes.h"
#include "TreeFixture.h"
#include "core/api/Core.h"
#include "core/model/DynFrame.h"

#include <gtest/gtest.h>

using namespace sorvane::model;

namespace {
std::vector<DynFrameElement*> elementsOf(const DynFrame* frame)
{
    std::vector<DynFrameElement*> out;
    const DynFrameElement* prev = nullptr;
    for (DynFrameElement* e = frame->First; e; e = e->Next) {
        EXPECT_EQ(e->Prev, prev);
        out.push_back(e);
        prev = e;
    }
    return out;
}

class FrameTest : public TreeTest {
protected:
    CCore core;
    DynFrame* frame() { return section->Section.Frame; }
};
}

TEST_F(FrameTest, NewFramesOfScenesAndSections)
{
    ASSERT_NE(frame(), nullptr);
    EXPECT_EQ(frame()->Version, 3);
    EXPECT_EQ(frame()->Size, 24);
    EXPECT_EQ(frame()->Width, 0);
    EXPECT_EQ(frame()->CornerStyle, 1);
    EXPECT_EQ(frame()->Count, 0);
    EXPECT_EQ(frame()->First, nullptr);

    Bytes want(24, 0);
    set16(want, 0, 3);
    set16(want, 2, 24);
    want[6] = 1;
    Bytes img(24, 0xCC);
    WriteDynFrame(*frame(), img.data());
    EXPECT_EQ(img, want);

    // Only scenes and sections carry one.
    tagItemData* item = CreateNode(nullptr, IT_COUNT, u"c", section);
    CreateFrame(item);
    CreateFrame(screen);
    EXPECT_EQ(FrameSlotOf(item), nullptr);
    EXPECT_EQ(DestroyFrame(item), 0);
    EXPECT_EQ(DestroyFrame(nullptr), 0);
    EXPECT_EQ(DestroyFrame(section), 1);
    EXPECT_EQ(section->Section.Frame, nullptr);
    EXPECT_EQ(DestroyFrame(section), 1);
    EXPECT_EQ(GetPayloadSize(section), 24u);
    EXPECT_EQ(CCore::GetFrameWidth(section), 0);
    CreateFrame(section);
    EXPECT_NE(section->Section.Frame, nullptr);
    EXPECT_EQ(section->Section.FrameSize, 24u);
}

TEST_F(FrameTest, PeriodsAndMarginsByPatternType)
{
    frame()->Width = 3;
    struct Case { std::uint16_t type; std::uint16_t period; std::uint16_t right; };
    const Case cases[] = {
        {0, 8, 4},   {1, 6, 1},   {2, 36, 4},  {3, 8, 4},   {4, 20, 4},  {5, 20, 4},  {6, 33, 1},
        {7, 20, 4},  {8, 20, 4},  {9, 8, 4},   {10, 42, 4}, {11, 6, 1},  {12, 6, 2},  {13, 5, 2},
        {14, 5, 2},  {15, 7, 1},  {16, 25, 0}, {17, 12, 2}, {18, 8, 1},  {19, 11, 1}, {20, 5, 2},
        {21, 9, 2},  {22, 10, 0}, {23, 16, 0}, {24, 8, 4},  {254, 8, 4}, {255, 20, 4}, {300, 8, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        DynFrameElement* e = core.AddFrameElement(c.type, u"p", frame(), nullptr);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->Period, c.period);
        EXPECT_EQ(e->MarginRight, c.right);
        EXPECT_EQ(e->MarginLeft + e->MarginTop + e->MarginBottom, 0);
        EXPECT_EQ(e->Type, static_cast<std::uint8_t>(c.type));
        EXPECT_EQ(e->Motion, 255);
        EXPECT_EQ(e->Speed, 50);
        EXPECT_EQ(e->Duration, 2000u);
        EXPECT_EQ(e->Version, 3);
        EXPECT_EQ(e->Size(), 312);
    }
    EXPECT_EQ(frame()->Count, std::size(cases));
    EXPECT_EQ(frame()->First->Type, 300 & 0xFF);
}

TEST_F(FrameTest, AddingAtTheHeadOrBehindAnElement)
{
    DynFrameElement* a = core.AddFrameElement(0, u"a", frame(), nullptr);
    DynFrameElement* b = core.AddFrameElement(0, u"b", frame(), nullptr);
    DynFrameElement* c = core.AddFrameElement(0, u"c", frame(), nullptr);
    EXPECT_EQ(elementsOf(frame()), (std::vector<DynFrameElement*>{c, b, a}));
    DynFrameElement* d = core.AddFrameElement(0, u"d", frame(), a);
    DynFrameElement* e = core.AddFrameElement(0, u"e", frame(), c);
    EXPECT_EQ(elementsOf(frame()), (std::vector<DynFrameElement*>{c, e, b, a, d}));
    EXPECT_EQ(frame()->Count, 5);
    EXPECT_EQ(std::u16string(d->Name), u"d");

    // An anchor from another frame or a missing frame is refused.
    DynFrame* other = scene->Scene.Frame;
    EXPECT_EQ(core.AddFrameElement(0, u"x", other, a), nullptr);
    EXPECT_EQ(core.AddFrameElement(0, u"x", nullptr, nullptr), nullptr);
    EXPECT_EQ(other->Count, 0);

    std::u16string longName(150, u'q');
    DynFrameElement* named = core.AddFrameElement(2, longName.c_str(), frame(), nullptr);
    EXPECT_EQ(std::u16string(named->Name).size(), 127u);
}

TEST_F(FrameTest, DeletingKeepsTheListWhole)
{
    DynFrameElement* a = core.AddFrameElement(0, u"a", frame(), nullptr);
    DynFrameElement* b = core.AddFrameElement(0, u"b", frame(), a);
    DynFrameElement* c = core.AddFrameElement(0, u"c", frame(), b);
    DynFrameElement* d = core.AddFrameElement(255, u"d", frame(), c);
    SetFrameElementData(d, {'x', 0, 'y', 0});
    EXPECT_EQ(core.DeleteFrameElement(frame(), b), 1);   // middle
    EXPECT_EQ(elementsOf(frame()), (std::vector<DynFrameElement*>{a, c, d}));
    EXPECT_EQ(core.DeleteFrameElement(frame(), a), 1);   // head
    EXPECT_EQ(elementsOf(frame()), (std::vector<DynFrameElement*>{c, d}));
    EXPECT_EQ(core.DeleteFrameElement(frame(), d), 1);   // tail, with its data
    EXPECT_EQ(elementsOf(frame()), (std::vector<DynFrameElement*>{c}));
    EXPECT_EQ(frame()->Count, 1);

    EXPECT_EQ(core.DeleteFrameElement(nullptr, c), 0);
    EXPECT_EQ(core.DeleteFrameElement(frame(), nullptr), 0);
    // An element of another frame is left alone.
    DynFrameElement* foreign = core.AddFrameElement(0, u"f", scene->Scene.Frame, nullptr);
    EXPECT_EQ(core.DeleteFrameElement(frame(), foreign), 0);
    EXPECT_EQ(frame()->Count, 1);
    EXPECT_EQ(scene->Scene.Frame->First, foreign);
    EXPECT_EQ(scene->Scene.Frame->Count, 1);
}

TEST_F(FrameTest, ReorderingKeepsTheCount)
{
    DynFrameElement* a = core.AddFrameElement(0, u"a", frame(), nullptr);
    DynFrameElement* b = core.AddFrameElement(0, u"b", frame(), a);
    DynFrameElement* c = core.AddFrameElement(0, u"c", frame(), b);
    EXPECT_EQ(core.ModifyFrameElmentPos(a, frame(), c), 1);
    EXPECT_EQ(elementsOf(frame()), (std::vector<DynFrameElement*>{b, c, a}));
    EXPECT_EQ(core.ModifyFrameElmentPos(a, frame(), nullptr), 1);
    EXPECT_EQ(elementsOf(frame()), (std::vector<DynFrameElement*>{a, b, c}));
    EXPECT_EQ(core.ModifyFrameElmentPos(c, frame(), a), 1);
    EXPECT_EQ(elementsOf(frame()), (std::vector<DynFrameElement*>{a, c, b}));
    EXPECT_EQ(core.ModifyFrameElmentPos(c, frame(), c), 1);   // behind itself: no change
    EXPECT_EQ(elementsOf(frame()), (std::vector<DynFrameElement*>{a, c, b}));
    EXPECT_EQ(core.ModifyFrameElmentPos(nullptr, frame(), a), 0);
    DynFrameElement* foreign = core.AddFrameElement(0, u"f", scene->Scene.Frame, nullptr);
    EXPECT_EQ(core.ModifyFrameElmentPos(foreign, frame(), a), 0);
    EXPECT_EQ(core.ModifyFrameElmentPos(a, frame(), foreign), 0);
    EXPECT_EQ(elementsOf(frame()), (std::vector<DynFrameElement*>{a, c, b}));
    EXPECT_EQ(frame()->Count, 3);
}

TEST_F(FrameTest, MotiveBorders)
{
    EXPECT_EQ(core.HasMotiveBorder(nullptr), 0);
    EXPECT_EQ(core.HasMotiveBorder(screen), 0);
    EXPECT_EQ(core.HasMotiveBorder(section), 0);   // width 0, no elements
    DynFrameElement* a = core.AddFrameElement(0, u"a", frame(), nullptr);
    EXPECT_EQ(core.HasMotiveBorder(section), 0);   // width 0 whatever the elements
    frame()->Width = 2;
    EXPECT_EQ(CCore::GetFrameWidth(section), 2);
    EXPECT_EQ(core.HasMotiveBorder(section), 1);   // fresh element: motion not set
    a->Motion = 0;
    EXPECT_EQ(core.HasMotiveBorder(section), 0);
    core.AddFrameElement(0, u"b", frame(), a);
    EXPECT_EQ(core.HasMotiveBorder(section), 1);   // two elements
    frame()->Width = 0;
    EXPECT_EQ(core.HasMotiveBorder(section), 0);
}

TEST(LegacyBorder, PackedCodesConvert)
{
    DynFrame frame;
    ASSERT_EQ(ConvertLegacyBorder(&frame, 0x0A050041u), 1);
    EXPECT_EQ(frame.Width, 1);
    ASSERT_EQ(frame.Count, 1);
    const DynFrameElement* e = frame.First;
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(std::u16string(e->Name), u"line1");
    EXPECT_EQ(e->Type, 0);
    EXPECT_EQ(e->Motion, 2);
    EXPECT_EQ(e->Speed, 1);
    EXPECT_EQ(e->Period, 15);
    EXPECT_EQ(e->MarginRight, 10);
    delete frame.First;

    DynFrame moving;
    ASSERT_EQ(ConvertLegacyBorder(&moving, 0x03020000u | (0x3FFu << 6) | (1u << 3) | 3u), 1);
    EXPECT_EQ(moving.Width, 3);
    EXPECT_EQ(moving.First->Motion, 3);
    EXPECT_EQ(moving.First->Speed, 0x3FF);
    EXPECT_EQ(moving.First->Period, 5);
    EXPECT_EQ(moving.First->MarginRight, 3);
    delete moving.First;

    // Each of bits 2 to 5 alone makes the line run; the speed bits do not.
    for (unsigned bit = 2; bit <= 6; ++bit) {
        SCOPED_TRACE(bit);
        DynFrame f;
        ASSERT_EQ(ConvertLegacyBorder(&f, (1u << bit) | 2u), 1);
        EXPECT_EQ(f.Width, 2);
        ASSERT_NE(f.First, nullptr);
        EXPECT_EQ(f.First->Motion, bit <= 5 ? 3 : 2);
        EXPECT_EQ(f.First->Speed, bit == 6 ? 1 : 0);
        delete f.First;
    }

    // A frame that already has patterns gets the line at its head.
    DynFrame held;
    DynFrameElement* old = CreateFrameElement(5, u"old", &held, nullptr);
    ASSERT_EQ(ConvertLegacyBorder(&held, 0x00010001u), 1);
    ASSERT_NE(held.First, nullptr);
    EXPECT_EQ(std::u16string(held.First->Name), u"line1");
    EXPECT_EQ(held.First->Next, old);
    EXPECT_EQ(held.First->Period, 1);
    EXPECT_EQ(held.First->MarginRight, 0);
    EXPECT_EQ(held.Count, 2);
    delete old;
    delete held.First;

    DynFrame none;
    EXPECT_EQ(ConvertLegacyBorder(&none, 0xFFFFFFFCu), 1);
    EXPECT_EQ(none.Width, 0);
    EXPECT_EQ(none.First, nullptr);
    EXPECT_EQ(ConvertLegacyBorder(nullptr, 1), 0);
}

TEST_F(FrameTest, ElementImageBytes)
{
    frame()->Width = 2;
    frame()->DefaultIndex = 7;
    DynFrameElement* e = core.AddFrameElement(1, u"line1", frame(), nullptr);
    e->MarginLeft = 0x0A0B;
    e->MarginTop = 0x0102;
    e->MarginBottom = 0x0C0D;
    Bytes want(312, 0);
    set16(want, 0, 3);
    set16(want, 2, 312);
    setWide(want, 12, u"line1");
    want[268] = 255;
    set16(want, 270, 50);
    set32(want, 280, 2000);
    set16(want, 284, 4);
    set16(want, 288, 0x0A0B);
    set16(want, 290, 0x0102);
    set16(want, 294, 0x0C0D);
    set16(want, 292, 1);
    want[304] = 1;
    EXPECT_EQ(diffOffsets(WriteDynFrameElement(*e), want), std::vector<std::size_t>{});

    Bytes frameWant(24, 0);
    set16(frameWant, 0, 3);
    set16(frameWant, 2, 24);
    set16(frameWant, 4, 2);
    frameWant[6] = 1;
    set16(frameWant, 16, 1);
    set16(frameWant, 18, 7);
    Bytes img(24);
    WriteDynFrame(*frame(), img.data());
    EXPECT_EQ(img, frameWant);

    // Owned data follows the element; the size words count it.
    SetFrameElementData(e, {'a', 0, 'b', 0, 'c', 0});
    EXPECT_EQ(e->Size(), 318);
    Bytes withData = WriteDynFrameElement(*e);
    set16(want, 2, 318);
    set16(want, 306, 6);
    want.insert(want.end(), {'a', 0, 'b', 0, 'c', 0});
    EXPECT_EQ(diffOffsets(withData, want), std::vector<std::size_t>{});
    core.AddFrameElement(0, u"two", frame(), e);
    EXPECT_EQ(GetPayloadSize(section), 24u + 318u + 312u);
}

TEST(FrameImages, ReservedBytesRoundTripAndDamageIsRefused)
{
    Bytes img(312);
    for (std::size_t i = 0; i < img.size(); ++i)
        img[i] = static_cast<std::uint8_t>(i * 7 + 1);
    set32(img, 4, 0);
    set32(img, 8, 0);
    set32(img, 308, 0);
    set16(img, 12 + 2 * 127, 0);
    set16(img, 306, 4);
    set16(img, 2, 316);
    img.insert(img.end(), {9, 8, 7, 6});
    DynFrameElement e;
    EXPECT_EQ(ReadDynFrameElement(img.data(), img.size() - 1, e), 0u);   // data cut short
    EXPECT_EQ(ReadDynFrameElement(img.data(), 311, e), 0u);
    ASSERT_EQ(ReadDynFrameElement(img.data(), img.size(), e), 316u);
    EXPECT_EQ(e.Data(), (std::vector<std::uint8_t>{9, 8, 7, 6}));
    EXPECT_EQ(e.Prev, nullptr);
    EXPECT_EQ(diffOffsets(WriteDynFrameElement(e), img), std::vector<std::size_t>{});

    Bytes fr(24);
    for (std::size_t i = 0; i < fr.size(); ++i)
        fr[i] = static_cast<std::uint8_t>(0xA0 + i);
    set32(fr, 20, 0);
    DynFrame f;
    EXPECT_FALSE(ReadDynFrame(fr.data(), 23, f));
    ASSERT_TRUE(ReadDynFrame(fr.data(), fr.size(), f));
    EXPECT_EQ(f.First, nullptr);
    Bytes back(24);
    WriteDynFrame(f, back.data());
    EXPECT_EQ(back, fr);
}

TEST_F(FrameTest, SizeWordFollowsTheDataAndTooMuchIsRefused)
{
    DynFrameElement* e = core.AddFrameElement(255, u"pic", frame(), nullptr);
    ASSERT_TRUE(SetFrameElementData(e, std::vector<std::uint8_t>(DYNFRAME_ELEMENT_MAX_DATA, 'x')));
    EXPECT_EQ(e->Size(), 0xFFFF);
    EXPECT_EQ(GetPayloadSize(section), 24u + 0xFFFFu);
    // One byte more cannot be announced by the 16-bit size word: nothing changes.
    EXPECT_FALSE(SetFrameElementData(e, std::vector<std::uint8_t>(DYNFRAME_ELEMENT_MAX_DATA + 1, 'y')));
    EXPECT_EQ(e->Size(), 0xFFFF);
    EXPECT_EQ(e->Data().size(), DYNFRAME_ELEMENT_MAX_DATA);
    EXPECT_EQ(e->Data()[0], 'x');
    EXPECT_FALSE(SetFrameElementData(nullptr, {}));

    // What the writer emits is what the payload size counts.
    ASSERT_TRUE(SetFrameElementData(e, {1, 0, 2, 0}));
    const Bytes img = WriteDynFrameElement(*e);
    EXPECT_EQ(img.size(), e->Size());
    EXPECT_EQ(img[2] | (img[3] << 8), 316);
    EXPECT_EQ(GetPayloadSize(section), 24u + img.size());
}
