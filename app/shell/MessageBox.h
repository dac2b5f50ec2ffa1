#pragma once
// Every message box of the shell goes through here, so tests can answer it
// (and see what was asked) without a modal loop.
#include <QMessageBox>
#include <functional>

namespace shell {

struct MessageRequest {
    QWidget* parent = nullptr;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

using MessageHandler = std::function<QMessageBox::StandardButton(const MessageRequest&)>;

// Shows the message modally (the program's title as caption) and returns the
// button pressed; with a handler installed, the handler answers instead.
QMessageBox::StandardButton showMessage(const MessageRequest& request);
QMessageBox::StandardButton showMessage(QWidget* parent, const QString& text,
                                        QMessageBox::Icon icon = QMessageBox::Information,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);
// Returns the previous handler; an empty one restores the real box.
MessageHandler setMessageHandler(MessageHandler handler);

} // namespace shell
