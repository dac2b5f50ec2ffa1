// A screen of animated text, clocks, a counter and moving borders reaches
// the simulated controller as the four program blocks the compiler builds.
#include "LinkTestUtil.h"

#include "core/link/Commands.h"
#include "core/api/Core.h"
#include "core/model/DynFrame.h"
#include "core/model/ItemData.h"
#include "core/render/ClockText.h"
#include "core/render/ContentCompiler.h"
#include "platform/LogFont.h"

#include <cstring>

using namespace sorvane::render;

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

void useDejaVu(ItemRecord* r, records::Font off)
{
    LOGFONT lf{};
    lf.lfHeight = -12;
    lf.lfWeight = 400;
    lf.lfCharSet = 1;
    SetLogFontFaceName(lf, u"DejaVu Sans");
    r->set(off, lf);
}

void giveBorder(tagItemData* node, std::uint8_t motion)
{
    CreateFrame(node);
    DynFrame* f = *FrameSlotOf(node);
    f->Width = 1;
    CreateFrameElement(0, u"line", f, nullptr)->Motion = motion;
}

std::vector<linktest::Bytes> compiledBlocks(tagItemData* screen)
{
    EXPECT_EQ(CContentCompiler::Compile(screen), 1);
    using Size = std::size_t (*)(tagItemData*);
    using Copy = std::size_t (*)(tagItemData*, std::uint8_t*, std::size_t);
    const std::pair<Size, Copy> fns[] = {
        {CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap},
        {CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap},
        {CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask},
        {CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData},
    };
    std::vector<linktest::Bytes> out;
    for (const auto& [size, copy] : fns) {
        linktest::Bytes b(size(screen));
        copy(screen, b.data(), b.size());
        out.push_back(b);
    }
    CContentCompiler::FreeBuffers(screen);
    return out;
}

} // namespace

TEST(AnimatedPrograms, EveryAnimatedKindReachesTheController)
{
    const linktest::FastClock fast;
    CCore core;
    core.SetCurLang(9);
    tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    tagGlobalInfo& g = screen->Global;
    g.Width = 128;
    g.Height = 32;
    g.Type = 17;
    g.ScanMode = 4;
    g.ID = 1;
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    giveBorder(scene, 2);
    tagItemData* left = core.AddItem(IT_WND_TEXT, u"left", scene, nullptr);
    core.ChangeItemRect(left, 0, 0, 64, 32);
    giveBorder(left, 4);
    tagItemData* right = core.AddItem(IT_WND_TEXT, u"right", scene, left);
    core.ChangeItemRect(right, 64, 0, 64, 32);
    tagItemData* anim = core.AddItem(IT_TEXTGIF, u"anim", left, nullptr);
    records::SetItemText(anim, QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs16 Go!\\par}"));
    anim->Item.TypeRecord->set(records::textgif::Effect, 9);
    tagItemData* clock = core.AddItem(IT_CLOCKDIGIT, u"clock", left, anim);
    useDejaVu(clock->Item.TypeRecord, sorvane::render::clockdigit::TextFont);
    tagItemData* count = core.AddItem(IT_COUNT, u"count", right, nullptr);
    useDejaVu(count->Item.TypeRecord, sorvane::render::counter::TextFont);
    count->Item.TypeRecord->set(sorvane::render::counter::Target, 0x7FFFFFFF);
    tagItemData* analog = core.AddItem(IT_CLOCKSIMUL, u"analog", right, count);
    for (tagItemData* n : {scene, left, right, anim, clock, count, analog})
        ASSERT_EQ(core.Paint(n), 1);

    sim::SimController controller;
    sim::TcpPeer peer(controller);
    g.CommType = COMM_NETWORK;
    std::memset(g.Host, 0, sizeof g.Host);
    std::strcpy(g.Host, "127.0.0.1");
    g.HostKind = 0;
    g.HostPort = peer.port();
    const int rc = core.SendPrograms(screen);
    const std::vector<linktest::Bytes> want = compiledBlocks(screen);
    ASSERT_TRUE(controller.waitForBlocks(4));
    const std::vector<sim::Block> got = controller.blocks();
    ASSERT_EQ(got.size(), 4u);
    const std::uint8_t commands[] = {TOS_PAGEMAP, TOS_PROGMAP, TOS_PROGMASK, TOS_PROGDATA};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(got[std::size_t(i)].header.command, commands[i]);
        EXPECT_EQ(got[std::size_t(i)].data, want[std::size_t(i)]) << "block " << i;
    }
    EXPECT_EQ(rc, int(want[3].size()));
    // The program data carries the border records and the clock records.
    const linktest::Bytes& data = want[3];
    const std::string text(data.begin(), data.end());
    EXPECT_NE(text.find("fram"), std::string::npos);
    EXPECT_NE(text.find("fram", text.find("fram") + 4), std::string::npos);
}
