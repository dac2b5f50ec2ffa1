#include "app/controls/MessageBox.h"

#include "app/spine/Seams.h"
#include "platform/LangPack.h"

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

QString FileDialog::filterFromPack(const QString& packFilter)
{
    const QStringList parts = packFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        // The label usually shows the patterns already; Qt reads them from it.
        QString label = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        if (!label.contains(u'('))
            label += QStringLiteral(" (") + patterns + u')';
        filters << label;
    }
    return filters.join(QStringLiteral(";;"));
}

QString FileDialog::pictureFilter() { return filterFromPack(platform::langString(48350)); }
QString FileDialog::gifFilter() { return filterFromPack(platform::langString(48351)); }
QString FileDialog::firmwareFilter() { return filterFromPack(platform::langString(48352)); }
QString FileDialog::workbookFilter() { return filterFromPack(platform::langString(48353)); }
QString FileDialog::textFilter() { return filterFromPack(platform::langString(48354)); }
QString FileDialog::usbFileFilter() { return filterFromPack(platform::langString(48355)); }

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
