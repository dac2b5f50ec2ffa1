#pragma once
// The program's message boxes and file dialogs go through these seams, so a
// test can give the next answer or file name instead of a modal run. Each
// next value is used once, by the next call; GUI thread only.
#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace controls {

class MessageBox {
public:
    using Button = QMessageBox::StandardButton;
    using Buttons = QMessageBox::StandardButtons;

    static Button information(QWidget* parent, const QString& title, const QString& text,
                              Buttons buttons = QMessageBox::Ok, Button defaultButton = QMessageBox::NoButton);
    static Button warning(QWidget* parent, const QString& title, const QString& text,
                          Buttons buttons = QMessageBox::Ok, Button defaultButton = QMessageBox::NoButton);
    static Button critical(QWidget* parent, const QString& title, const QString& text,
                           Buttons buttons = QMessageBox::Ok, Button defaultButton = QMessageBox::NoButton);
    static Button question(QWidget* parent, const QString& title, const QString& text,
                           Buttons buttons = QMessageBox::Yes | QMessageBox::No,
                           Button defaultButton = QMessageBox::NoButton);

    // The next box is not shown and returns `answer`.
    static void setNextAnswer(Button answer);
    // Forgets a next answer not used yet.
    static void clearNextAnswer();
    // The text of the last box the program asked for, shown or answered.
    static QString lastText();

private:
    static Button show(QMessageBox::Icon icon, QWidget* parent, const QString& title, const QString& text,
                       Buttons buttons, Button defaultButton);
};

class FileDialog {
public:
    static QString getOpenFileName(QWidget* parent, const QString& caption = QString(),
                                   const QString& dir = QString(), const QString& filter = QString());
    static QStringList getOpenFileNames(QWidget* parent, const QString& caption = QString(),
                                        const QString& dir = QString(), const QString& filter = QString());
    static QString getSaveFileName(QWidget* parent, const QString& caption = QString(),
                                   const QString& dir = QString(), const QString& filter = QString());
    static QString getExistingDirectory(QWidget* parent, const QString& caption = QString(),
                                        const QString& dir = QString());

    // The next dialog is not shown and gives these names (empty: cancelled).
    static void setNextFileName(const QString& name);
    static void setNextFileNames(const QStringList& names);
    static void setNextDirectory(const QString& dir);
    static void clearNext();
};

} // namespace controls
