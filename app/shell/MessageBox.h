#pragma once
// The shell's message boxes: the program's title as caption, through the one
// message-box path (controls/MessageBox.h), so tests answer them like any other.
#include <QMessageBox>

namespace shell {

// Shows the message modally and returns the button pressed.
QMessageBox::StandardButton showMessage(QWidget* parent, const QString& text,
                                        QMessageBox::Icon icon = QMessageBox::Information,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

} // namespace shell
