#include "app/controls/MessageBox.h"

#include "app/spine/Seams.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <optional>

namespace controls {

namespace {

std::optional<QStringList> takeNames()
{
    return spine::takeNext(spine::seams().nextFileNames);
}

} // namespace

MessageBox::Button MessageBox::notice(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                                      Buttons buttons)
{
    return show(icon, parent, QCoreApplication::applicationName(), text, buttons);
}

MessageBox::Button MessageBox::show(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                                    const QString& text, Buttons buttons, Button defaultButton)
{
    spine::Seams& s = spine::seams();
    s.lastMessage = text;
    if (auto answer = spine::takeNext(s.nextAnswer))
        return *answer;
    if (auto answer = s.messageBox)
        return answer(spine::MessageRequest{parent, icon, title, text, buttons});
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    const int r = box.exec();
    return static_cast<Button>(r);
}

MessageBox::Button MessageBox::information(QWidget* parent, const QString& title, const QString& text,
                                           Buttons buttons, Button defaultButton)
{
    return show(QMessageBox::Information, parent, title, text, buttons, defaultButton);
}

MessageBox::Button MessageBox::warning(QWidget* parent, const QString& title, const QString& text, Buttons buttons,
                                       Button defaultButton)
{
    return show(QMessageBox::Warning, parent, title, text, buttons, defaultButton);
}

MessageBox::Button MessageBox::critical(QWidget* parent, const QString& title, const QString& text,
                                        Buttons buttons, Button defaultButton)
{
    return show(QMessageBox::Critical, parent, title, text, buttons, defaultButton);
}

MessageBox::Button MessageBox::question(QWidget* parent, const QString& title, const QString& text,
                                        Buttons buttons, Button defaultButton)
{
    return show(QMessageBox::Question, parent, title, text, buttons, defaultButton);
}

QString MessageBox::lastText() { return spine::seams().lastMessage; }

const QString FileDialog::kPictureFilter = QStringLiteral("Picture File (*.bmp *.jpg *.png *.jpeg *.gif);;All File (*)");
const QString FileDialog::kGifFilter = QStringLiteral("Gif File (*.gif)");
const QString FileDialog::kFirmwareFilter = QStringLiteral("update.dat (*.dat);;All File (*)");

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    if (auto names = takeNames())
        return names->value(0);
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QStringList FileDialog::getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                         const QString& filter)
{
    if (auto names = takeNames())
        return *names;
    return QFileDialog::getOpenFileNames(parent, caption, dir, filter);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    if (auto names = takeNames())
        return names->value(0);
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString FileDialog::getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir)
{
    if (auto d = spine::takeNext(spine::seams().nextDirectory))
        return *d;
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

} // namespace controls
