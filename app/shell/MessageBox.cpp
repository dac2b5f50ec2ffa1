#include "app/shell/MessageBox.h"

#include <QCoreApplication>

namespace shell {
namespace {

MessageHandler& handler()
{
    static MessageHandler h;
    return h;
}

} // namespace

QMessageBox::StandardButton showMessage(const MessageRequest& request)
{
    if (handler())
        return handler()(request);
    QMessageBox box(request.icon, QCoreApplication::applicationName(), request.text, request.buttons,
                    request.parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton showMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons)
{
    return showMessage(MessageRequest{parent, text, icon, buttons});
}

MessageHandler setMessageHandler(MessageHandler h)
{
    MessageHandler old = std::move(handler());
    handler() = std::move(h);
    return old;
}

} // namespace shell
