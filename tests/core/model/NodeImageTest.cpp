#include "ImageBytes.h"
#include "TreeFixture.h"
#include "core/model/ItemData.h"

#include <gtest/gtest.h>
#include <cstring>
#include <memory>
#include <random>

using namespace sorvane::model;

namespace {
Bytes imageOf(const tagItemData* node)
{
    Bytes out(ITEMDATA_SIZE, 0xCC);
    WriteNodeImage(*node, out.data());
    return out;
}

// Header words every created node carries.
Bytes commonHeader(std::uint32_t level, const std::u16string& name, std::int32_t playTime, std::uint16_t blockSize)
{
    Bytes b(ITEMDATA_SIZE, 0);
    set32(b, 0, level);
    b[4] = 3;
    set16(b, 6, 928);
    set32(b, 48, 0xFFFF);
    setWide(b, 52, name);
    set32(b, 308, static_cast<std::uint32_t>(playTime));
    set16(b, 316, blockSize);
    return b;
}
}

TEST_F(TreeTest, ScreenImageBytes)
{
    Bytes want = commonHeader(0, u"screen", 2000, 480);
    want[324] = 1;                     // address
    set16(want, 332, 64);
    set16(want, 334, 32);
    set16(want, 336, 200);
    set16(want, 338, 17);
    set16(want, 340, 4);
    set16(want, 346, 100);
    set32(want, 456, 0xFFFFFFFF);      // remote version unknown
    set32(want, 500, 9600);
    for (int i = 0; i < 8; ++i)
        want[504 + i] = 0xFF;
    setText(want, 512, "movrek_led");
    set16(want, 530, 8080);
    want[532] = 192; want[533] = 168; want[534] = 1; want[535] = 3;
    want[536] = 255; want[537] = 255; want[538] = 255; want[539] = 0;
    want[540] = 192; want[541] = 168; want[542] = 1; want[543] = 1;
    want[544] = 192; want[545] = 168; want[546] = 1; want[547] = 1;
    set32(want, 588, 1);
    set32(want, 592, 1);
    set32(want, 596, 1);
    set32(want, 716, 1);               // COM1
    set16(want, 792, 8080);
    EXPECT_EQ(diffOffsets(imageOf(screen), want), std::vector<std::size_t>{});

    // The block alone is the same 480 bytes.
    Bytes block(GLOBALINFO_SIZE, 0xCC);
    WriteGlobalInfo(screen->Global, block.data());
    EXPECT_EQ(diffOffsets(block, Bytes(want.begin() + 316, want.begin() + 796)), std::vector<std::size_t>{});
}

TEST(ScreenBlock, EveryFieldAtItsOffset)
{
    // Distinct values in every field, texts filling their whole width, so a
    // field moved or widened by one byte shows up here.
    tagGlobalInfo g;
    g.BlockSize = 0x01E0;
    g.TypeCode = 0x0A0B;
    g.ID = 0x21;
    g.Width = 0x0102;
    g.Height = 0x0304;
    g.ReFreq = 0x0506;
    g.Type = 0x0708;
    g.ScanMode = 0x090A;
    g.RowDecode = 0x22;
    g.OptionBits = 0x23;
    g.OptionBits2 = 0x24;
    g.Lum = 0x0B0C;
    g.SettingsWord = 0x31323334;
    g.HourSU = 0x41;
    g.MinSU = 0x42;
    g.HourSD = 0x43;
    g.MinSD = 0x44;
    g.WeekSD = 0x45;
    g.AutoS = 0x46;
    g.RemoteVersion = 0x51525354;
    g.HardwareId = 0x0E010800;
    g.VersionWord = 0x61626364;
    g.BaudRate = 115200;
    for (int i = 0; i < 8; ++i)
        g.DstMAC[i] = static_cast<std::uint8_t>(0xA0 + i);
    std::memset(g.DeviceName, 'd', sizeof g.DeviceName);
    g.DhcpFlag = 0x25;
    g.DevicePort = 0x0D0E;
    g.IpAddr = Ipv4(10, 1, 2, 3);
    g.SubnetMask = Ipv4(255, 255, 0, 0);
    g.Gateway = Ipv4(10, 1, 0, 1);
    g.Address4 = Ipv4(10, 1, 0, 2);
    g.NetWord = 0x71727374;
    std::memset(g.WifiSsid, 's', sizeof g.WifiSsid);
    g.WifiMode = 2;
    g.WifiSecurity = 3;
    g.WifiEncryption = 4;
    g.WifiWord = 0x81828384;
    g.WifiWord2 = 0x9192;
    std::memset(g.WifiKey, 'k', sizeof g.WifiKey);
    g.TargetScreen = TARGET_SCREEN_NONE;
    g.SwapRedGreen = 0x26;
    g.CommType = 2;
    g.SerialPort = 0x0C0D0E0F;
    g.AdapterIndex = 0x1A1B1C1D;
    g.HostKind = 0x27;
    std::memset(g.Host, 'h', sizeof g.Host);
    g.HostPort = 0xF0F1;

    Bytes want(GLOBALINFO_SIZE, 0);
    set16(want, 0, 0x01E0);
    set16(want, 4, 0x0A0B);
    want[8] = 0x21;
    set16(want, 16, 0x0102);
    set16(want, 18, 0x0304);
    set16(want, 20, 0x0506);
    set16(want, 22, 0x0708);
    set16(want, 24, 0x090A);
    want[26] = 0x22;
    want[27] = 0x23;
    want[28] = 0x24;
    set16(want, 30, 0x0B0C);
    set32(want, 32, 0x31323334);
    for (int i = 0; i < 6; ++i)
        want[100 + i] = static_cast<std::uint8_t>(0x41 + i);
    set32(want, 140, 0x51525354);
    set32(want, 144, 0x0E010800);
    set32(want, 148, 0x61626364);
    set32(want, 184, 115200);
    for (int i = 0; i < 8; ++i)
        want[188 + i] = static_cast<std::uint8_t>(0xA0 + i);
    setText(want, 196, std::string(16, 'd'));
    want[212] = 0x25;
    set16(want, 214, 0x0D0E);
    const std::uint8_t addresses[] = {10, 1, 2, 3, 255, 255, 0, 0, 10, 1, 0, 1, 10, 1, 0, 2};
    std::copy(std::begin(addresses), std::end(addresses), want.begin() + 216);
    set32(want, 232, 0x71727374);
    setText(want, 236, std::string(33, 's'));
    set32(want, 272, 2);
    set32(want, 276, 3);
    set32(want, 280, 4);
    set32(want, 284, 0x81828384);
    set16(want, 288, 0x9192);
    setText(want, 290, std::string(65, 'k'));
    set32(want, 388, 0xFFFFFFFF);
    want[392] = 0x26;
    set32(want, 396, 2);
    set32(want, 400, 0x0C0D0E0F);
    set32(want, 404, 0x1A1B1C1D);
    want[408] = 0x27;
    setText(want, 409, std::string(67, 'h'));
    set16(want, 476, 0xF0F1);

    Bytes out(GLOBALINFO_SIZE, 0xCC);
    WriteGlobalInfo(g, out.data());
    EXPECT_EQ(diffOffsets(out, want), std::vector<std::size_t>{});

    // Texts that fill their whole field read back with their last byte
    // taken by the terminator, so no reader of the field runs past it.
    tagGlobalInfo back;
    ReadGlobalInfo(want.data(), back);
    EXPECT_EQ(std::strlen(back.DeviceName), 15u);
    EXPECT_EQ(std::strlen(back.WifiSsid), 32u);
    EXPECT_EQ(std::strlen(back.WifiKey), 64u);
    EXPECT_EQ(std::strlen(back.Host), 66u);
    Bytes again(GLOBALINFO_SIZE, 0xCC);
    WriteGlobalInfo(back, again.data());
    EXPECT_EQ(diffOffsets(again, want), (std::vector<std::size_t>{211, 268, 354, 475}));
    EXPECT_EQ(again[211] | again[268] | again[354] | again[475], 0);
    EXPECT_EQ(back.HardwareId, 0x0E010800u);
    EXPECT_EQ(back.HostPort, 0xF0F1);
}

TEST_F(TreeTest, ScreenTargetNoneIsStoredAsAllOnes)
{
    screen->Global.TargetScreen = TARGET_SCREEN_NONE;
    Bytes img = imageOf(screen);
    EXPECT_EQ(img[704], 0xFF);
    EXPECT_EQ(img[707], 0xFF);
    tagItemData back;
    ASSERT_TRUE(ReadNodeImage(img.data(), img.size(), back));
    EXPECT_EQ(back.Global.TargetScreen, TARGET_SCREEN_NONE);
    screen->Global.TargetScreen = scene;   // a live pointer is not stored
    img = imageOf(screen);
    EXPECT_EQ(img[704] | img[705] | img[706] | img[707], 0);
}

TEST_F(TreeTest, SceneImageBytes)
{
    scene->Scene.OwnedBlock.assign(8, 0x55);   // never stored
    scene->Scene.Schedule = 5;
    scene->Scene.ScheduleDate = 0x01020304;
    scene->Scene.ScheduleWeekdays = 0x7F;
    scene->Scene.StartTime = 0x0815;
    scene->Scene.EndTime = 0x1730;
    scene->Scene.PicturePath[0] = u'c';
    scene->Scene.PicturePath[1] = u':';
    Bytes want = commonHeader(1, u"scene", -1, 564);
    set16(want, 320, 2);
    want[326] = 3;   // no picture
    want[327] = 1;
    setWide(want, 336, u"c:");
    set32(want, 860, 24);
    want[864] = 5;
    set32(want, 868, 0x01020304);
    want[872] = 0x7F;
    set16(want, 876, 0x0815);
    set16(want, 878, 0x1730);
    EXPECT_EQ(diffOffsets(imageOf(scene), want), std::vector<std::size_t>{});

    // Fields created as 0 or 1 still land at their own offsets.
    scene->KeptWord44 = 0x11223344;
    scene->KeptWord48 = 0x55667788;
    scene->Scene.PicturePresent = 0x0A0B;
    scene->Scene.PictureMode = 2;
    scene->Scene.DisplayOption = 0xC1;
    scene->Scene.PicturePath[258] = u'z';
    set32(want, 44, 0x11223344);
    set32(want, 48, 0x55667788);
    set16(want, 324, 0x0A0B);
    want[326] = 2;
    want[327] = 0xC1;
    set16(want, 336 + 2 * 258, u'z');
    EXPECT_EQ(diffOffsets(imageOf(scene), want), std::vector<std::size_t>{});
}

TEST_F(TreeTest, SectionImageBytes)
{
    section->Section.RectX = 0x0102;
    section->Section.RectH = 0x0304;
    Bytes want = commonHeader(2, u"section", 2000, 24);
    want[319] = IT_WND_TEXT;
    set16(want, 320, 0x0102);
    set16(want, 324, 32);
    set16(want, 326, 0x0304);
    set32(want, 332, 24);
    EXPECT_EQ(diffOffsets(imageOf(section), want), std::vector<std::size_t>{});
}

TEST_F(TreeTest, ItemImageBytes)
{
    tagItemData* clock = CreateNode(nullptr, IT_CLOCKSIMUL, u"clock", section);
    clock->Item.OutEffect = 9;
    Bytes want = commonHeader(3, u"clock", 2000, 28);
    want[312] = 64;
    set16(want, 314, 25);
    set16(want, 320, IT_CLOCKSIMUL);
    set32(want, 328, 1200);
    set32(want, 332, 32);
    set32(want, 336, 16);
    want[341] = 9;
    // 880 to 911, the compiled slots' pointers and lengths, stay 0: a
    // compile's buffers are not the node's.
    EXPECT_EQ(diffOffsets(imageOf(clock), want), std::vector<std::size_t>{});

    tagItemData* line = CreateNode(nullptr, IT_SINGLELINE, u"l", section);
    Bytes img = imageOf(line);
    EXPECT_EQ(img[312], 0);
    EXPECT_EQ(img[314], 20);
    EXPECT_EQ(img[328], 132);            // 112 + "Singleline"
    // Painted at creation: the text's width by the item's height.
    EXPECT_EQ(img[332] | (img[333] << 8), int(line->Item.ContentW));
    EXPECT_GT(line->Item.ContentW, 0u);
    EXPECT_EQ(img[336], 16);
    EXPECT_EQ(img[342], 20);
}

TEST(NodeImage, EveryByteRoundTrips)
{
    std::mt19937 rng(7);
    for (std::uint32_t level : {0u, 1u, 2u, 3u, 0xFFFFu, 77u}) {
        SCOPED_TRACE(level);
        Bytes img(ITEMDATA_SIZE);
        for (auto& b : img)
            b = static_cast<std::uint8_t>(rng());
        set32(img, 0, level);
        // Pointer slots and buffer lengths are not kept; names end in a terminator.
        for (std::size_t slot : {12, 16, 20, 24, 32, 36, 40, 880, 884, 888, 892, 896, 900, 904, 908})
            set32(img, slot, 0);
        set16(img, 52 + 2 * 127, 0);
        if (level == 0) {
            set32(img, 704, 0xFFFFFFFF);
            for (std::size_t end : {527, 584, 670, 791})   // last bytes of the 8-bit texts
                img[end] = 0;
        }
        if (level == 1) {
            set32(img, 328, 0);
            set32(img, 332, 0);
            set16(img, 336 + 2 * 259, 0);
            set32(img, 856, 0);
        }
        if (level == 2)
            set32(img, 328, 0);
        if (level == 3)
            set32(img, 324, 0);
        tagItemData node;
        node.Level = level;
        ASSERT_TRUE(ReadNodeImage(img.data(), img.size(), node));
        EXPECT_EQ(diffOffsets(imageOf(&node), img), std::vector<std::size_t>{});
    }
}

TEST(NodeImage, ReadingIgnoresPointersAndRefusesShortInput)
{
    Bytes img(ITEMDATA_SIZE, 0);
    set32(img, 0, 3);
    set32(img, 12, 0xDEADBEEF);
    set32(img, 324, 0xDEADBEEF);
    for (int i = 0; i < 128; ++i)
        set16(img, 52 + 2 * i, u'z');   // no terminator
    tagItemData node;
    node.Level = LEVEL_PROGRAM;
    EXPECT_FALSE(ReadNodeImage(img.data(), ITEMDATA_SIZE - 1, node));
    EXPECT_FALSE(ReadNodeImage(nullptr, ITEMDATA_SIZE, node));
    ASSERT_TRUE(ReadNodeImage(img.data(), img.size(), node));
    EXPECT_EQ(node.Parent, nullptr);
    EXPECT_EQ(node.Item.TypeRecord, nullptr);
    EXPECT_EQ(std::u16string(node.Name).size(), 127u);
    Bytes out = imageOf(&node);
    EXPECT_EQ(out[12] | out[13] | out[14] | out[15], 0);
    EXPECT_EQ(out[324] | out[325] | out[326] | out[327], 0);
}

TEST_F(TreeTest, AnImageOfAnotherLevelIsRefused)
{
    // The level decides what a node owns: a section image read into a scene
    // would leave the scene's frame unfreed, an item image the type record.
    DynFrame* frame = scene->Scene.Frame;
    const Bytes sectionImage = imageOf(section);
    EXPECT_FALSE(ReadNodeImage(sectionImage.data(), sectionImage.size(), *scene));
    EXPECT_EQ(scene->Level, LEVEL_SCENE);
    EXPECT_EQ(scene->Scene.Frame, frame);
    EXPECT_EQ(std::u16string(scene->Name), u"scene");

    tagItemData* item = CreateNode(nullptr, IT_COUNT, u"count", section);
    const Bytes itemImage = imageOf(item);
    EXPECT_FALSE(ReadNodeImage(itemImage.data(), itemImage.size(), *scene));
    EXPECT_FALSE(ReadNodeImage(imageOf(scene).data(), ITEMDATA_SIZE, *item));
    EXPECT_EQ(item->Level, LEVEL_PROGRAM);

    // The same level reads.
    tagItemData* other = CreateNode(scene, IT_SCENE, u"other", screen);
    const Bytes otherImage = imageOf(other);
    EXPECT_TRUE(ReadNodeImage(otherImage.data(), otherImage.size(), *scene));
    EXPECT_EQ(std::u16string(scene->Name), u"other");
    EXPECT_EQ(scene->Scene.Frame, frame);
}
