#include "app/controls/ModelessDialog.h"

#include <QKeyEvent>

namespace controls {

namespace {
bool isDialogKey(const QKeyEvent* k)
{
    return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Escape;
}
} // namespace

CModelessDialog::CModelessDialog(QWidget* parent) : QWidget(parent) {}

bool CModelessDialog::Create(unsigned templateId, QWidget* parent)
{
    m_templateId = templateId;
    setParent(parent);
    return OnInitDialog();
}

void CModelessDialog::keyPressEvent(QKeyEvent* e)
{
    // The focused control had its chance; what it left is not passed up to a
    // surrounding dialog.
    if (isDialogKey(e)) {
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool CModelessDialog::event(QEvent* e)
{
    // A shortcut override for Return or Escape would let a window-wide
    // shortcut take the key away from the focused control.
    if (e->type() == QEvent::ShortcutOverride && isDialogKey(static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    return QWidget::event(e);
}

} // namespace controls
