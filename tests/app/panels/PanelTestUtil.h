#pragma once
// Helpers of the panel tests: a host that counts what the panels ask of the
// canvases, node snapshots, control input and the language packs.
#include "app/panels/PanelHost.h"
#include "core/model/ItemData.h"
#include "support/Widgets.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <vector>

namespace paneltest {

struct FakeHost : panels::PanelHost {
    std::vector<tagItemData*> repainted, rectUpdated, selected, removed;
    void repaintNode(tagItemData* n) override { repainted.push_back(n); }
    void updateItemRect(tagItemData* n) override { rectUpdated.push_back(n); }
    void selectItem(tagItemData* n, bool) override { selected.push_back(n); }
    void removeItem(tagItemData* n) override { removed.push_back(n); }
    void clear() { repainted.clear(), rectUpdated.clear(), selected.clear(), removed.clear(); }
    std::size_t canvasCalls() const { return repainted.size() + rectUpdated.size(); }
};

// Every byte a panel could change: the node image (with its level block) and
// the type record with its owned text.
inline std::vector<std::uint8_t> snapshot(const tagItemData* n)
{
    std::vector<std::uint8_t> out(ITEMDATA_SIZE);
    sorvane::model::WriteNodeImage(*n, out.data());
    if (n->Level == LEVEL_PROGRAM && n->Item.TypeRecord) {
        const ItemRecord* r = n->Item.TypeRecord;
        out.insert(out.end(), r->data(), r->data() + r->size());
        const QByteArray text = r->text().toUtf8();
        out.insert(out.end(), text.begin(), text.end());
    }
    return out;
}

// Chooses a combo entry as the user does (the selection notification included).
inline void choose(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Replaces an edit's text by typing.
inline void typeInto(QWidget* edit, const QString& text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Loads the built language pack of a language ("EN", "CN" or "TW").
bool loadPack(const char* lang);
// Where this folder's screenshots go (created).
QString outputDir();

} // namespace paneltest
