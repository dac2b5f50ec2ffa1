// Sending a screen's programs to the simulated controller over TCP and a
// pseudo-terminal, and writing them to the USB-stick file.
#include "CaptureCount.h"
#include "LinkTestUtil.h"
#include "core/render/RenderTestUtil.h"

#include "core/link/Adapters.h"
#include "core/api/Callbacks.h"
#include "core/link/Commands.h"
#include "core/link/ProgramTransfer.h"
#include "core/link/SerialPorts.h"
#include "core/api/Core.h"
#include "core/model/CoreState.h"
#include "core/model/ItemData.h"
#include "core/model/Tree.h"
#include "core/render/ContentCompiler.h"
#include "platform/Event.h"
#include "support/RecordingClock.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

using namespace sorvane::render;

using namespace sorvane::link;
using namespace sorvane::model;

using namespace linktest;

namespace {

// Records every nominal wait and sleeps a hundredth of it.
void setText(char* field, std::size_t size, const char* text)
{
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

void bindTcp(tagItemData* screen, std::uint16_t port)
{
    tagGlobalInfo& g = screen->Global;
    g.CommType = COMM_NETWORK;
    setText(g.Host, sizeof g.Host, "127.0.0.1");
    g.HostKind = 0;
    g.HostPort = port;
}

void setRecordPath(ItemRecord* r, const QString& path)
{
    ASSERT_TRUE(r->set(records::picture::Path, path));
}

class ProgramTransfer : public ::testing::Test {
protected:
    void SetUp() override
    {
        Recorder::clear();
        core.SetCommCallBack(&Recorder::callback);
        ASSERT_TRUE(dir.isValid());
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        tagGlobalInfo& g = screen->Global;
        g.Width = 64;
        g.Height = 32;
        g.Type = 17;
        g.ScanMode = 4;
        g.ID = 1;

        QImage pic(32, 16, QImage::Format_RGB32);
        pic.fill(qRgb(255, 0, 0));
        pic.setPixel(3, 3, qRgb(0, 0, 0));
        ASSERT_TRUE(pic.save(dir.filePath("p.png")));
        const std::array<QRgb, 4> pal{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0)};
        QFile gif(dir.filePath("a.gif"));
        ASSERT_TRUE(gif.open(QIODevice::WriteOnly));
        gif.write(reftest::makeGif(16, 8, {std::vector<std::uint8_t>(128, 1), std::vector<std::uint8_t>(128, 3)},
                                   {5, 7}, pal));
        gif.close();

        tagItemData* global = core.AddItem(IT_GLOBALSCENE, u"global", screen, nullptr);
        tagItemData* bar = core.AddItem(IT_WND_TEXT, u"bar", global, nullptr);
        core.ChangeItemRect(bar, 0, 24, 64, 8);
        tagItemData* line = core.AddItem(IT_SINGLELINE, u"line", bar, nullptr);
        records::SetItemText(line, QStringLiteral("News of the day, all day long"));
        line->InEffect = 1;
        core.Paint(line);

        tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, global);
        scene->Scene.Schedule = 4;
        scene->Scene.StartTime = 0x0800;
        scene->Scene.EndTime = 0x1200;
        tagItemData* left = core.AddItem(IT_WND_PROGLIST, u"left", scene, nullptr);
        core.ChangeItemRect(left, 0, 0, 32, 16);
        tagItemData* picture = core.AddItem(IT_IMAGE, u"picture", left, nullptr);
        setRecordPath(picture->Item.TypeRecord, dir.filePath("p.png"));
        core.Paint(picture);
        tagItemData* anim = core.AddItem(IT_GIF, u"anim", left, picture);
        setRecordPath(anim->Item.TypeRecord, dir.filePath("a.gif"));
        CCore::ReadGifImageFile(nullptr, anim);
        tagItemData* right = core.AddItem(IT_WND_TEXT, u"right", scene, left);
        core.ChangeItemRect(right, 32, 0, 32, 24);
        tagItemData* rich = core.AddItem(IT_TEXT, u"rich", right, nullptr);
        rich->Item.TypeRecord->set(records::richtext::Wrap, 1);
        core.Paint(rich);
        core.AddItem(IT_WND_PROGLIST, u"empty", scene, right);
        tagItemData* other = core.AddItem(IT_SCENE, u"other", screen, scene);
        tagItemData* lone = core.AddItem(IT_WND_TEXT, u"lone", other, nullptr);
        core.AddItem(IT_IMAGE, u"black", lone, nullptr);
    }

    // The four blocks as the compiler gives them.
    std::vector<Bytes> expectedBlocks()
    {
        EXPECT_EQ(CContentCompiler::Compile(screen), 1);
        std::vector<Bytes> out;
        using Size = std::size_t (*)(tagItemData*);
        using Copy = std::size_t (*)(tagItemData*, std::uint8_t*, std::size_t);
        const std::pair<Size, Copy> fns[] = {
            {CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap},
            {CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap},
            {CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask},
            {CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData},
        };
        for (const auto& [size, copy] : fns) {
            Bytes b(size(screen));
            copy(screen, b.data(), b.size());
            out.push_back(b);
        }
        CContentCompiler::FreeBuffers(screen);
        return out;
    }

    bool allSlotsFree()
    {
        bool free = true;
        ForEachNode(screen, [&](tagItemData* n) {
            for (int s = 0; s < 4; ++s)
                free = free && CContentCompiler::CompiledSlotSize(n, s) == 0;
        });
        return free;
    }

    void expectProgramBlocks(sim::SimController& controller, int rc)
    {
        const std::vector<Bytes> want = expectedBlocks();
        ASSERT_TRUE(controller.waitForBlocks(4));
        const std::vector<sim::Block> got = controller.blocks();
        ASSERT_EQ(got.size(), 4u);
        const std::uint8_t commands[] = {TOS_PAGEMAP, TOS_PROGMAP, TOS_PROGMASK, TOS_PROGDATA};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(got[i].header.command, commands[i]);
            EXPECT_EQ(got[i].header.address, 1);
            EXPECT_EQ(got[i].data, want[std::size_t(i)]) << "block " << i;
        }
        // The last result is the program data's, acknowledged by the controller.
        EXPECT_EQ(rc, int(want[3].size()));
        EXPECT_EQ(clock.count(200), 3);
        EXPECT_TRUE(allSlotsFree());
        // The final acknowledgement is reported once, for the program data,
        // after every other block's progress.
        std::vector<unsigned> ackedLast;
        std::size_t lastAck = 0, lastOther = 0;
        const std::vector<Event> events = Recorder::events();
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i].event == 3 && (events[i].value & REPLY_ACK_LAST)) {
                ackedLast.push_back(events[i].cmd);
                lastAck = i;
            }
            if (events[i].cmd != TOS_PROGDATA)
                lastOther = i;
        }
        EXPECT_EQ(ackedLast, std::vector<unsigned>{TOS_PROGDATA});
        EXPECT_GT(lastAck, lastOther);
    }

    support::RecordingClock clock{100};
    QTemporaryDir dir;
    CCore core;
    tagItemData* screen = nullptr;
};

TEST_F(ProgramTransfer, FourBlocksOverTcpWithPausesAndTheFinalAcknowledgement)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    bindTcp(screen, peer.port());
    const int rc = core.SendPrograms(screen);
    expectProgramBlocks(controller, rc);
}

TEST_F(ProgramTransfer, FourBlocksOverAPseudoTerminal)
{
    sim::SimController controller;
    sim::PtyPeer peer(controller);
    const QString name = QString::fromStdString(peer.slavePath());
    core.AddUserSerialPort(reinterpret_cast<const char16_t*>(name.utf16()));
    CUniqueArray<QString>* user = core.GetUserSerialPortList();
    CUniqueArray<QString>* all = core.GetSerialPortList();
    std::vector<QString> u(user->begin(), user->end()), e;
    for (const QString& p : *all)
        if (std::find(u.begin(), u.end(), p) == u.end())
            e.push_back(p);
    CCore::ReleaseUserSerialPortList(user);
    CCore::ReleaseSerialPortList(all);
    screen->Global.CommType = COMM_SERIAL;
    screen->Global.SerialPort = static_cast<std::uint32_t>(SerialPortNumber(name, e, u));
    screen->Global.BaudRate = 115200;
    ASSERT_EQ(core.GetSerialPortName(int(screen->Global.SerialPort)), name);
    const int rc = core.SendPrograms(screen);
    expectProgramBlocks(controller, rc);
}

TEST_F(ProgramTransfer, ThroughAnotherScreensLinkAndBack)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    tagItemData* relay = core.AddItem(IT_SCREEN, u"relay", nullptr, screen);
    bindTcp(relay, peer.port());
    relay->Global.ID = 1;
    relay->Global.SwapRedGreen = 1;
    bindTcp(screen, 1);   // a port nobody listens on
    screen->Global.ID = 9;
    screen->Global.Type = 2;   // two colours: the colour order shows in the data
    screen->Global.ScanMode = 8;
    screen->Global.TargetScreen = relay;
    const Bytes plain = expectedBlocks()[3];
    const int rc = core.SendPrograms(screen);
    EXPECT_EQ(screen->Global.ID, 9);
    EXPECT_EQ(screen->Global.SwapRedGreen, 0);
    // The blocks went out with the relay's address and colour order.
    screen->Global.ID = 1;
    screen->Global.SwapRedGreen = 1;
    expectProgramBlocks(controller, rc);
    EXPECT_NE(controller.blocks()[3].data, plain);
    EXPECT_EQ(screen->Global.HostPort, 1);
    EXPECT_EQ(screen->Global.CommType, std::uint32_t(COMM_NETWORK));
}

// Cancels the transfer as soon as the program mask begins.
void cancelOnMask(unsigned cmd, unsigned event, std::uintptr_t value)
{
    Recorder::callback(cmd, event, value);
    if (cmd == TOS_PROGMASK && event == 2)
        CCore::TerminateComm();
}

TEST_F(ProgramTransfer, CancelEndsTheSequenceAndFreesTheBuffers)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    bindTcp(screen, peer.port());
    core.SetCommCallBack(&cancelOnMask);
    EXPECT_EQ(core.SendPrograms(screen), -6);
    EXPECT_TRUE(allSlotsFree());
    for (const sim::Block& b : controller.blocks())
        EXPECT_NE(b.header.command, TOS_PROGDATA);
    EXPECT_LE(controller.blocks().size(), 3u);
}

TEST_F(ProgramTransfer, ACancelDuringTheCompileIsACancelAndIsUsedUp)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    CommSession session;
    CreateCommSession(session, 1, kRequestTimeout, &Recorder::callback);
    SetCommSessionNetwork(session, "127.0.0.1", peer.port(), 0);
    // Set once the session is made, as when the operator cancels while the
    // screen compiles: the compile stops and the transfer ends as cancelled.
    CancelEvent()->set();
    EXPECT_EQ(SendProgramBlocks(session, screen), COMM_E_CANCELLED);
    EXPECT_EQ(Recorder::pairs(), (std::vector<std::pair<unsigned, std::uintptr_t>>{{CBE_CANCELLED, 0}}));
    EXPECT_EQ(Recorder::events()[0].cmd, unsigned(TOS_PAGEMAP));
    EXPECT_TRUE(allSlotsFree());
    EXPECT_TRUE(peer.received().empty());
    // The cancel was taken: the next transfer of the session goes through.
    EXPECT_FALSE(CancelEvent()->isSet());
    Recorder::clear();
    const int rc = SendProgramBlocks(session, screen);
    expectProgramBlocks(controller, rc);

    // The same into the USB-stick file.
    const QString path = dir.filePath("cancelled.dat");
    CommSession file;
    CreateFileSession(file, path, &Recorder::callback);
    Recorder::clear();
    CancelEvent()->set();
    EXPECT_EQ(WriteProgramBlocks(file, screen), COMM_E_CANCELLED);
    EXPECT_EQ(Recorder::pairs(), (std::vector<std::pair<unsigned, std::uintptr_t>>{{UFE_CANCELLED, 0}}));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(CancelEvent()->isSet());
    EXPECT_TRUE(allSlotsFree());
    EXPECT_EQ(WriteProgramBlocks(file, screen), 0);
    EXPECT_TRUE(QFile::exists(path));
}

// The adapter of the namespace's veth pair as the only one.
int vethAdapter(CUniqueArray<pcapdevinfo>& list)
{
    pcapdevinfo a;
    std::memset(&a, 0, sizeof a);
    std::strcpy(a.name, "tvcore");
    list.Add(a);
    return 1;
}

TEST_F(ProgramTransfer, RawEthernetSendsTheFourBlocksThroughOneCapture)
{
    const bool ran = sim::RunInNetworkNamespace([&] {
        sim::SimController controller;
        sim::EthernetPeer peer(controller, "tvsim");
        ASSERT_TRUE(peer.ok());
        SetAdapterEnumerator(vethAdapter);
        core.EnumAdapterList();
        SetAdapterEnumerator(nullptr);
        screen->Global.CommType = COMM_ETHERNET;
        screen->Global.AdapterIndex = 0;
        std::memcpy(screen->Global.DstMAC, peer.mac(), 6);
        std::uint8_t own[8];
        ASSERT_EQ(QueryAdapterMac("tvcore", own), 1);

        const int before = capturesOpened();
        const int rc = core.SendPrograms(screen);
        EXPECT_EQ(capturesOpened() - before, 1);
        expectProgramBlocks(controller, rc);
        // On the wire as before: each block in packets of its own, indexes
        // from 0, the blocks in order with their pauses between.
        const std::vector<Bytes> want = expectedBlocks();
        const std::vector<Bytes> got = peer.received();
        const std::uint8_t commands[] = {TOS_PAGEMAP, TOS_PROGMAP, TOS_PROGMASK, TOS_PROGDATA};
        std::vector<Bytes> expected;
        std::size_t at = 0;
        for (int i = 0; i < 4; ++i) {
            ASSERT_LT(at, got.size());
            const auto packets = ethernetPackets(peer.mac(), own, 1, sequenceOf(got[at], 22), commands[i],
                                                 want[std::size_t(i)]);
            expected.insert(expected.end(), packets.begin(), packets.end());
            at += packets.size();
        }
        EXPECT_EQ(got, expected);
    });
    if (!ran)
        GTEST_SKIP() << "raw Ethernet needs root to build a network namespace";
}

TEST_F(ProgramTransfer, RefusedCompileSendsNothing)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    bindTcp(screen, peer.port());
    screen->Global.ScanMode = 5;   // 5 x 4 rows per data line: refused
    EXPECT_EQ(core.SendPrograms(screen), 0);
    EXPECT_TRUE(allSlotsFree());
    EXPECT_TRUE(controller.blocks().empty());
    EXPECT_TRUE(peer.received().empty());
    const QString path = dir.filePath("program.dat");
    EXPECT_EQ(core.SaveAsUSBFile(screen, reinterpret_cast<const char16_t*>(path.utf16())), 1);
    EXPECT_EQ(core.SaveAsUSBFile(screen, reinterpret_cast<const char16_t*>(path.utf16()), 0x01, 0), 10);
    EXPECT_TRUE(allSlotsFree());
}

TEST_F(ProgramTransfer, NothingToSendAndNotAScreen)
{
    tagItemData* bare = core.AddItem(IT_SCREEN, u"bare", nullptr, screen);
    core.AddItem(IT_SCENE, u"s", bare, nullptr);
    Recorder::clear();
    EXPECT_EQ(core.SendPrograms(bare), 1);
    EXPECT_TRUE(Recorder::events().empty());
    EXPECT_EQ(core.SendPrograms(nullptr), 0);
    EXPECT_EQ(core.SendPrograms(screen->FirstChild), 0);
}

// The frames of a USB-stick file: (command, data) in order.
std::vector<std::pair<std::uint8_t, Bytes>> framesOf(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray all = f.readAll();
    const Bytes b(all.begin(), all.end());
    std::vector<std::pair<std::uint8_t, Bytes>> out;
    std::size_t at = 0;
    while (at + 36 <= b.size()) {
        FrameHeader h;
        EXPECT_TRUE(ReadFrameHeader(b.data() + at, h));
        EXPECT_EQ(h.address, 255);
        EXPECT_LE(at + 36 + h.length, b.size());
        if (at + 36 + h.length > b.size())
            break;
        out.emplace_back(h.command, slice(b, at + 36, h.length));
        at += 36 + h.length;
    }
    EXPECT_EQ(at, b.size());
    return out;
}

TEST_F(ProgramTransfer, UsbFileCarriesTheSameBlocksAndTheScreensHardware)
{
    const std::vector<Bytes> want = expectedBlocks();
    const QString path = dir.filePath("program.dat");
    const auto* wpath = reinterpret_cast<const char16_t*>(path.utf16());
    Bytes hardware(kHardwareBlockSize);
    BuildHardwareBlock(screen->Global, hardware.data());

    // Given an item, the hardware block is still its screen's.
    tagItemData* item = screen->FirstChild->NextSibling->FirstChild->FirstChild;
    ASSERT_EQ(item->Level, std::uint32_t(LEVEL_PROGRAM));
    ASSERT_EQ(core.SaveAsUSBFile(item, wpath), 0);
    auto frames = framesOf(path);
    ASSERT_EQ(frames.size(), 5u);
    const std::uint8_t commands[] = {TOS_PAGEMAP, TOS_PROGMAP, TOS_PROGMASK, TOS_PROGDATA};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(frames[std::size_t(i)].first, commands[i]);
        EXPECT_EQ(frames[std::size_t(i)].second, want[std::size_t(i)]);
    }
    EXPECT_EQ(frames[4].first, TOS_HWCONFIG);
    EXPECT_EQ(frames[4].second, hardware);
    EXPECT_TRUE(allSlotsFree());
    EXPECT_EQ(clock.count(200), 0);   // no pauses into a file

    // Every flag, in the fixed order; the file is written afresh.
    ASSERT_EQ(core.SaveAsUSBFile(screen, wpath, 0x1F, 0x12345678), 0);
    frames = framesOf(path);
    ASSERT_EQ(frames.size(), 8u);
    EXPECT_EQ(frames[3].second, want[3]);
    EXPECT_EQ(frames[4].first, TOS_HWCONFIG);
    EXPECT_EQ(frames[5].first, TOS_SETTIME);
    EXPECT_EQ(frames[5].second, (Bytes{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(frames[6].first, TOS_RESET);
    EXPECT_EQ(frames[6].second, Bytes(4, 0));
    EXPECT_EQ(frames[7].first, TOS_CLEARPROG);

    // The clock alone: a fresh file of one frame.
    ASSERT_EQ(core.SaveAsUSBFile(screen, wpath, 0x04, 7), 0);
    frames = framesOf(path);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].first, TOS_SETTIME);

    // A screen without scenes, or no node: nothing written.
    tagItemData* bare = core.AddItem(IT_SCREEN, u"bare", nullptr, screen);
    EXPECT_EQ(core.SaveAsUSBFile(bare, wpath), 1);
    EXPECT_EQ(core.SaveAsUSBFile(nullptr, wpath), 1);
    // A file that cannot be made.
    const QString bad = dir.filePath("no/such/folder/program.dat");
    EXPECT_EQ(core.SaveAsUSBFile(screen, reinterpret_cast<const char16_t*>(bad.utf16())), 1);
    EXPECT_TRUE(allSlotsFree());
}

} // namespace
