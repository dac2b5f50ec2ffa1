#pragma once
// A small screen for the players: one builder, one core, a canvas and a
// random source of fixed seed, on the virtual clock or real threads.
#include "VirtualClock.h"

#include "app/preview/Players.h"
#include "app/preview/PreviewCanvas.h"
#include "app/preview/RandomSource.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "support/TreeBuilder.h"

namespace previewtest {

inline const void* clientOf(const preview::PlayLoopClient& p) { return &p; }

struct ItemSpec {
    int in = 0;
    int inSpeed = 10;
    int stay = 1000;
    int out = 0;
    int outSpeed = 10;
    int contentW = 0;   // 0: the section's width
    int contentH = 0;
};

class PlayFixture {
public:
    explicit PlayFixture(int w = 64, int h = 32)
    {
        support::ScreenSpec spec;
        spec.width = w;
        spec.height = h;
        screen = tb.screen(spec, u"Lobby");
        canvas.resize(w, h, 1);
    }

    tagItemData* scene(std::int32_t playMode = -1, std::uint16_t kind = IT_SCENE)
    {
        tagItemData* s = tb.scene(screen, kind == IT_GLOBALSCENE ? u"global" : u"scene", kind);
        s->PlayTime = playMode;
        return s;
    }
    tagItemData* section(tagItemData* scene, QRect rect) { return tb.section(scene, rect); }
    tagItemData* item(tagItemData* section, const ItemSpec& s, std::uint16_t type = IT_TEXT)
    {
        tagItemData* it = tb.item(section, type);
        it->InEffect = static_cast<std::uint8_t>(s.in);
        it->InSpeed = static_cast<std::uint16_t>(s.inSpeed);
        it->PlayTime = s.stay;
        it->Item.OutEffect = static_cast<std::uint8_t>(s.out);
        it->Item.OutSpeed = static_cast<std::uint16_t>(s.outSpeed);
        it->Item.ContentW = static_cast<std::uint32_t>(s.contentW ? s.contentW : section->Section.RectW);
        it->Item.ContentH = static_cast<std::uint32_t>(s.contentH ? s.contentH : section->Section.RectH);
        return it;
    }

    CCore core;
    support::TreeBuilder tb;
    tagItemData* screen = nullptr;
    preview::PreviewCanvas canvas;
    preview::RandomSource random{7};
};

}
