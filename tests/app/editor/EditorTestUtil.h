#pragma once
// What the editor's window tests share: a core with screens built through it,
// spies standing for the panels and the main frame, the frame's port that
// points at them and finds canvases in an MDI area, and the built language packs.
#include "app/editor/ChildFrame.h"
#include "app/editor/FramePort.h"
#include "app/editor/ScreenLed.h"

#include "support/MessageSpy.h"
#include "support/NoticeSpy.h"
#include "support/TreeBuilder.h"

#include "app/spine/Messages.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "platform/LangPack.h"

#include <QDir>
#include <QMdiArea>
#include <QStringList>
#include <memory>

namespace editortest {

inline bool loadPack(const char* file)
{
    return platform::loadLangPack(QStringLiteral(TAVRELO_SHELL_PACK_DIR "/") + QString::fromLatin1(file));
}

inline QString outputDir()
{
    const QString dir = qEnvironmentVariable("TAVRELO_TEST_OUTPUT") + QStringLiteral("/editor");
    QDir().mkpath(dir);
    return dir;
}

inline const char* const kPacks[] = {"UI_EN.rcc", "UI_CN.rcc", "UI_TW.rcc"};
inline const char* const kPackTags[] = {"en", "cn", "tw"};

// The main frame as the editor's windows reach it: canvases found among the
// frames of one MDI area, notices kept, jobs run by the test's function.
class TestPort : public editor::FramePort {
public:
    QMdiArea* area = nullptr;
    editor::CScreenLed* single = nullptr;   // a canvas without a window
    QStringList notices;
    std::function<void(std::function<int(CCore&)>)> jobs;

    editor::CScreenLed* FindItemWindow(tagItemData* node) override
    {
        tagItemData* screen = editor::screenOf(node);
        if (!screen)
            return nullptr;
        if (single && single->boundItem() == screen)
            return single;
        if (!area)
            return nullptr;
        for (QMdiSubWindow* w : area->subWindowList()) {
            auto* f = qobject_cast<editor::CChildFrame*>(w);
            if (f && f->canvas()->boundItem() == screen)
                return f->canvas();
        }
        return nullptr;
    }
    void notice(const QString& text) override { notices << text; }
    spine::JobOutcome runJob(std::function<int(CCore&)> call) override
    {
        if (!jobs)
            return {};
        jobs(std::move(call));
        return {1, false, true};
    }
};

struct World {
    CCore core;
    support::MessageSpy tree, pane, itemList, frame;
    support::NoticeSpy told;   // the change notices
    TestPort port;

    World()
    {
        for (auto* s : {&tree, &pane, &itemList, &frame})
            s->watchRange(0x5F0, 0x700);
        port.itemTree = &tree;
        port.propertyPane = &pane;
        port.itemListPanel = &itemList;
        port.mainFrame = &frame;
    }

    tagItemData* screen(int w, int h, const char16_t* name = u"screen")
    {
        tagItemData* s = core.AddItem(IT_SCREEN, name, nullptr, nullptr);
        core.ChangeItemRect(s, 0, 0, w, h);
        return s;
    }
    tagItemData* scene(tagItemData* screen, const char16_t* name = u"scene", unsigned short kind = IT_SCENE)
    {
        tagItemData* last = screen->FirstChild;
        while (last && last->NextSibling)
            last = last->NextSibling;
        return core.AddItem(kind, name, screen, kind == IT_GLOBALSCENE ? nullptr : last);
    }
    tagItemData* section(tagItemData* scene, QRect r, unsigned short kind = IT_WND_TEXT, const char16_t* name = u"sec")
    {
        tagItemData* last = scene->FirstChild;
        while (last && last->NextSibling)
            last = last->NextSibling;
        tagItemData* s = core.AddItem(kind, name, scene, last);
        core.ChangeItemRect(s, r.x(), r.y(), r.width(), r.height());
        return s;
    }
    tagItemData* item(tagItemData* section, unsigned short kind, const char16_t* name = u"item")
    {
        tagItemData* last = section->FirstChild;
        while (last && last->NextSibling)
            last = last->NextSibling;
        tagItemData* i = core.AddItem(kind, name, section, last);
        core.Paint(i);
        return i;
    }
    // A screen window of the screen in `area`, shown.
    editor::CChildFrame* open(QMdiArea& area, tagItemData* screen)
    {
        port.area = &area;
        auto* f = new editor::CChildFrame(core, &port);
        area.addSubWindow(f);
        f->OpenScreen(screen);
        f->show();
        return f;
    }
};

inline QRect rectOf(const tagItemData* s)
{
    return QRect(s->Section.RectX, s->Section.RectY, s->Section.RectW, s->Section.RectH);
}

} // namespace editortest
