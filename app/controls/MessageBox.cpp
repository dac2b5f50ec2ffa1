#include "app/controls/MessageBox.h"

#include <QFileDialog>
#include <optional>

namespace controls {

namespace {

struct BoxSeam {
    std::optional<QMessageBox::StandardButton> next;
    QString lastText;
};
BoxSeam& boxSeam()
{
    static BoxSeam s;
    return s;
}

struct FileSeam {
    std::optional<QStringList> names;
    std::optional<QString> dir;
};
FileSeam& fileSeam()
{
    static FileSeam s;
    return s;
}

std::optional<QStringList> takeNames()
{
    auto& s = fileSeam();
    std::optional<QStringList> r;
    r.swap(s.names);
    return r;
}

} // namespace

MessageBox::Button MessageBox::show(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                                    const QString& text, Buttons buttons, Button defaultButton)
{
    auto& s = boxSeam();
    s.lastText = text;
    if (s.next) {
        const Button b = *s.next;
        s.next.reset();
        return b;
    }
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

void MessageBox::setNextAnswer(Button answer) { boxSeam().next = answer; }
void MessageBox::clearNextAnswer() { boxSeam().next.reset(); }
QString MessageBox::lastText() { return boxSeam().lastText; }

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
    auto& s = fileSeam();
    if (s.dir) {
        const QString d = *s.dir;
        s.dir.reset();
        return d;
    }
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

void FileDialog::setNextFileName(const QString& name)
{
    fileSeam().names = name.isEmpty() ? QStringList() : QStringList{name};
}
void FileDialog::setNextFileNames(const QStringList& names) { fileSeam().names = names; }
void FileDialog::setNextDirectory(const QString& dir) { fileSeam().dir = dir; }
void FileDialog::clearNext()
{
    fileSeam().names.reset();
    fileSeam().dir.reset();
}

} // namespace controls
