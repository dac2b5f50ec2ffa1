#pragma once
// A tree for the text and media panel tests: items made by the core in a
// list window, a twin screen of the same size for reference items whose
// records are written directly, and the program comparison between them.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/panels/PanelBase.h"
#include "core/api/TypeRecords.h"
#include "core/api/Core.h"
#include "core/api/ItemRecord.h"
#include "core/render/ContentCompiler.h"
#include "platform/LangPack.h"
#include "platform/MessageEvent.h"

#include <QAbstractButton>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace textpaneltest {

using sorvane::render::CContentCompiler;

template <typename W>
W* ctl(QWidget* in, int id)
{
    W* w = support::findByControlId<W>(in, id);
    EXPECT_NE(w, nullptr) << "control " << id;
    return w;
}

inline void click(QAbstractButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(6, b->height() / 2));
}

inline int load(QWidget* panel, tagItemData* n)
{
    return int(platform::sendMessage(panel, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(n), 0));
}

inline QString faceName(const LOGFONT& f)
{
    const auto end = std::find(std::begin(f.lfFaceName), std::end(f.lfFaceName), u'\0');
    return QString::fromUtf16(f.lfFaceName, end - std::begin(f.lfFaceName));
}

inline void setFaceName(LOGFONT& f, const char16_t* name)
{
    std::fill(std::begin(f.lfFaceName), std::end(f.lfFaceName), u'\0');
    for (int i = 0; name[i] && i < 31; ++i)
        f.lfFaceName[i] = name[i];
}

struct TextItems : ::testing::Test {
    CCore core;
    paneltest::FakeHost host;
    QWidget parent;
    tagItemData* screen = nullptr;
    tagItemData* window = nullptr;
    tagItemData* twinScreen = nullptr;
    tagItemData* twinWindow = nullptr;

    TextItems()
    {
        EXPECT_TRUE(paneltest::loadPack("EN"));
        screen = makeScreen(window);
        twinScreen = makeScreen(twinWindow);
        parent.resize(700, 260);
        parent.show();
    }
    ~TextItems() override
    {
        for (QObject* c : parent.children())
            delete c;
        CContentCompiler::FreeBuffers(screen);
        CContentCompiler::FreeBuffers(twinScreen);
        core.DeleteItem(screen);
        core.DeleteItem(twinScreen);
        platform::clearLangPack();
    }
    tagItemData* makeScreen(tagItemData*& wnd)
    {
        tagItemData* s = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        s->Global.Width = 64;
        s->Global.Height = 32;
        s->Global.Type = 17;
        s->Global.ScanMode = 4;
        tagItemData* scene = core.AddItem(IT_SCENE, u"scene", s, nullptr);
        wnd = core.AddItem(IT_WND_PROGLIST, u"window", scene, nullptr);
        core.ChangeItemRect(wnd, 0, 0, 64, 32);
        return s;
    }
    tagItemData* addItem(unsigned short type) { return core.AddItem(type, u"item", window, nullptr); }
    tagItemData* addTwin(unsigned short type) { return core.AddItem(type, u"twin", twinWindow, nullptr); }

    template <typename P>
    P* make()
    {
        auto* p = new P(panels::PanelContext{core, &host}, &parent);
        EXPECT_TRUE(p->Create(&parent));
        p->setGeometry(0, 0, 700, 260);
        p->show();
        return p;
    }

    // Both items compile into the same, lit, pages of program data.
    void expectSameProgram(tagItemData* item, tagItemData* twin)
    {
        core.Paint(item);
        core.Paint(twin);
        ASSERT_EQ(CContentCompiler::Compile(screen), 1);
        ASSERT_EQ(CContentCompiler::Compile(twinScreen), 1);
        const auto& pages = CContentCompiler::CompiledSlot(item, 0);
        ASSERT_FALSE(pages.empty());
        EXPECT_TRUE(std::any_of(pages.begin(), pages.end(), [](std::uint8_t b) { return b != 0; }));
        EXPECT_EQ(pages, CContentCompiler::CompiledSlot(twin, 0));
        EXPECT_EQ(CContentCompiler::CompiledSlot(item, 1), CContentCompiler::CompiledSlot(twin, 1));
    }
};

} // namespace textpaneltest
