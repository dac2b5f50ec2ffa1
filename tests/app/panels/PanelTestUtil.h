#pragma once
// Helpers of the panel tests: a frame port that counts what the canvases are
// asked for (by the panels and through the change notice), node snapshots,
// control input and the language packs.
#include "app/editor/FramePort.h"
#include "core/model/ItemData.h"
#include "support/NoticeSpy.h"
#include "support/Widgets.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <vector>

namespace paneltest {

// repainted: nodes told of a content change (the canvases draw them again);
// rectUpdated: of a new rectangle; removed: about to go; selected: items
// whose canvas a panel looked for to show them there (none is open).
struct FakeHost : editor::FramePort {
    std::vector<tagItemData*> repainted, rectUpdated, selected, removed;
    FakeHost()
    {
        spine::NodeNotices& n = spine::notices();
        m_changed = QObject::connect(&n, &spine::NodeNotices::nodeChanged, &n,
                                     [this](tagItemData* node, spine::NodeChanges what) {
                                         if (what & spine::NodeChange::Content)
                                             repainted.push_back(node);
                                         if (what & spine::NodeChange::Geometry)
                                             rectUpdated.push_back(node);
                                     });
        m_deleting = QObject::connect(&n, &spine::NodeNotices::nodeDeleting, &n,
                                      [this](tagItemData* node) { removed.push_back(node); });
    }
    ~FakeHost() override
    {
        QObject::disconnect(m_changed);
        QObject::disconnect(m_deleting);
    }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;
    editor::CScreenLed* FindItemWindow(tagItemData* n) override
    {
        selected.push_back(n);
        return nullptr;
    }
    void clear() { repainted.clear(), rectUpdated.clear(), selected.clear(), removed.clear(); }
    std::size_t canvasCalls() const { return repainted.size() + rectUpdated.size(); }

private:
    QMetaObject::Connection m_changed, m_deleting;
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
