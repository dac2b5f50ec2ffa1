#include "app/shell/MessageBox.h"

#include "app/controls/MessageBox.h"

#include <QCoreApplication>

namespace shell {

QMessageBox::StandardButton showMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons)
{
    return controls::MessageBox::show(icon, parent, QCoreApplication::applicationName(), text, buttons);
}

} // namespace shell
