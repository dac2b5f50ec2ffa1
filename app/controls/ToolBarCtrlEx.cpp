#include "app/controls/ToolBarCtrlEx.h"
#include "app/controls/ControlMessages.h"
#include "platform/LangPack.h"

#include <QAction>
#include <QPixmap>
#include <QToolButton>

namespace controls {

CToolBarCtrlEx::CToolBarCtrlEx(QWidget* parent) : QToolBar(parent)
{
    setMovable(false);
    setFloatable(false);
    connect(this, &QToolBar::actionTriggered, this, [this](QAction* a) {
        int id = a->data().toInt();
        if (id == 0)
            return;
        spine::Command::send(parentWidget(), {id, 0}, this);
        emit command(id);
    });
}

bool CToolBarCtrlEx::Create(QWidget* parent, int id)
{
    setParent(parent);
    setControlId(this, id);
    return true;
}

QString CToolBarCtrlEx::tipText(const QString& s)
{
    qsizetype nl = s.indexOf(u'\n');
    QString tip = nl >= 0 ? s.mid(nl + 1) : s;
    return tip.left(79);
}

bool CToolBarCtrlEx::LoadToolBar(unsigned resourceId)
{
    std::optional<platform::LangToolBar> bar = platform::langToolBar(resourceId);
    QImage strip = platform::langBitmap(resourceId);
    if (!bar || strip.isNull() || bar->width <= 0 || bar->height <= 0)
        return false;
    const int w = bar->width, h = bar->height;
    const int images = strip.width() / w;
    setIconSize(QSize(w, h));
    int image = 0;
    for (unsigned id : bar->ids) {
        if (id == 0) {
            addSeparator();
            continue;
        }
        QAction* a = addAction(QString());
        a->setData(static_cast<int>(id));
        if (image < images)
            a->setIcon(QIcon(QPixmap::fromImage(strip.copy(image * w, 0, w, h))));
        ++image;
        QString tip = tipText(platform::langString(id));
        a->setToolTip(tip);
        a->setText(tip);
        if (QWidget* b = widgetForAction(a))
            b->setFixedSize(w + 7, h + 7);
    }
    return true;
}

QAction* CToolBarCtrlEx::actionForCommand(int commandId) const
{
    for (QAction* a : actions())
        if (!a->isSeparator() && a->data().toInt() == commandId)
            return a;
    return nullptr;
}

} // namespace controls
