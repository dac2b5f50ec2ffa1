// The rich-text panel stores the whole text as RTF on every change of the
// edit and repaints the item: one typed character in texts of growing size.
#include "app/spine/Messages.h"
#include "app/controls/RichEdit.h"
#include "app/panels/PropertyText.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"

#include <QTextCursor>
#include <QTextEdit>
#include <benchmark/benchmark.h>

namespace {

struct TextWindow {
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* window = core.AddItem(IT_WND_TEXT, u"text", scene, nullptr);
    tagItemData* item = core.AddItem(IT_TEXT, u"item", window, nullptr);
    QWidget page;
    panels::CPropertyText* panel = new panels::CPropertyText(panels::PanelContext{core, nullptr}, &page);

    explicit TextWindow(int chars)
    {
        panel->Create(&page);
        platform::sendMessage(panel, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(item));
        QString text;
        for (int i = 0; i < chars; ++i)
            text += (i % 60 == 59) ? QChar(u'\n') : QChar(u'a' + i % 26);
        panel->edit()->setPlainText(text);
    }
    ~TextWindow() { core.DeleteItem(screen); }
};

void BM_StoreAfterOneTypedCharacter(benchmark::State& state)
{
    TextWindow w(int(state.range(0)));
    QTextCursor c = w.panel->edit()->textCursor();
    c.movePosition(QTextCursor::End);
    for (auto _ : state)
        c.insertText(QStringLiteral("x"));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_StoreAfterOneTypedCharacter)->RangeMultiplier(4)->Range(256, 16384)->Unit(benchmark::kMicrosecond)->Complexity();

} // namespace
