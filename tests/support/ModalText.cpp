#include "support/ModalText.h"

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QWidget>

namespace support {

QString describeModal(const QWidget* w)
{
    QString text = QString::fromLatin1(w->metaObject()->className());
    if (auto* box = qobject_cast<const QMessageBox*>(w))
        text += QStringLiteral(" \"") + box->text() + u'"';
    else if (!w->windowTitle().isEmpty())
        text += QStringLiteral(" \"") + w->windowTitle() + u'"';
    for (const QLabel* label : w->findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty())
            text += QStringLiteral(" [") + label->text() + u']';
    return text;
}

void closeModal(QWidget* w)
{
    if (auto* d = qobject_cast<QDialog*>(w))
        d->reject();
    if (w->isVisible())
        w->close();
}

} // namespace support
