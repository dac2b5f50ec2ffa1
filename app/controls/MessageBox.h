#pragma once
// The program's message boxes and file dialogs: each consults the seam
// registry (spine/Seams.h) first, so a test can give the next answer or file
// name instead of a modal run. GUI thread only.
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
    static Button show(QMessageBox::Icon icon, QWidget* parent, const QString& title, const QString& text,
                       Buttons buttons, Button defaultButton = QMessageBox::NoButton);
    // A box titled with the program's name.
    static Button notice(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::Information,
                         Buttons buttons = QMessageBox::Ok);
    // The text of the last box the program asked for, shown or answered.
    static QString lastText();
};

class FileDialog {
public:
    // What the open dialogs offer, in the pack's language: pictures,
    // animations, a controller's firmware, workbooks, text documents and
    // USB-stick files.
    static QString pictureFilter();
    static QString gifFilter();
    static QString firmwareFilter();
    static QString workbookFilter();
    static QString textFilter();
    static QString usbFileFilter();
    // A filter as the packs write it ("Text (*.x)|*.x|All files (*)|*||")
    // as Qt's file dialogs take it ("Text (*.x);;All files (*)").
    static QString filterFromPack(const QString& packFilter);
    static QString getOpenFileName(QWidget* parent, const QString& caption = QString(),
                                   const QString& dir = QString(), const QString& filter = QString());
    static QStringList getOpenFileNames(QWidget* parent, const QString& caption = QString(),
                                        const QString& dir = QString(), const QString& filter = QString());
    static QString getSaveFileName(QWidget* parent, const QString& caption = QString(),
                                   const QString& dir = QString(), const QString& filter = QString());
    static QString getExistingDirectory(QWidget* parent, const QString& caption = QString(),
                                        const QString& dir = QString());
};

} // namespace controls
