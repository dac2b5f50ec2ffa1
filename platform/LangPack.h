#pragma once
// Texts, menus, icons, bitmaps, toolbar templates and dialog texts of the
// language pack, looked up by numeric id. The shell loads one pack at start-up
// (loadLangPack); tests may fill the tables by hand. A missing id gives an
// empty text, a null icon or image, or no menu or toolbar - never the id.
#include <QIcon>
#include <QImage>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <optional>

namespace platform {

// A toolbar template: button size and one command id per item (0 = separator).
struct LangToolBar {
    int width = 0;
    int height = 0;
    QList<unsigned> ids;
};

// One entry of a menu: a separator, a command, or a popup with its own items.
// Command ids belong to their menu: the same id may mean different commands in
// two menus.
struct LangMenuItem {
    QString text; // with '&' before the mnemonic
    unsigned command = 0;
    QKeySequence shortcut;
    bool separator = false;
    QList<LangMenuItem> submenu; // non-empty for a popup
    bool isPopup() const { return !submenu.isEmpty(); }
};

struct LangMenu {
    QList<LangMenuItem> items;
};

QString langString(unsigned id);
QIcon langIcon(unsigned id);
QImage langBitmap(unsigned id);
std::optional<LangToolBar> langToolBar(unsigned id);
std::optional<LangMenu> langMenu(unsigned id);
// The text of a control of a dialog template; control 0 is the dialog's title.
QString langDialogText(unsigned templateId, unsigned controlId);

void setLangString(unsigned id, const QString& text);
void setLangIcon(unsigned id, const QIcon& icon);
void setLangBitmap(unsigned id, const QImage& image);
void setLangToolBar(unsigned id, const LangToolBar& bar);
void setLangMenu(unsigned id, const LangMenu& menu);
void setLangDialogText(unsigned templateId, unsigned controlId, const QString& text);
// Forgets everything, the registered pack included (a language change, or
// between tests).
void clearLangPack();

// Loads a pack bundle ("UI_EN.rcc" and its siblings): checks the bundle,
// registers it with QResource and replaces the tables with its contents. A
// missing or damaged pack is refused with a reason and leaves the tables and
// the registered pack as they were. Needs a QGuiApplication (icons).
bool loadLangPack(const QString& rccPath, QString* error = nullptr);
// Same, from the bundle's bytes (tests, fuzzing).
bool loadLangPackData(const QByteArray& rcc, QString* error = nullptr);

// Makes Qt's own dialogs speak the language (platform/Languages.h):
// installs its qtbase translation from Qt's translations folder, none for
// English (removing one installed before). False when the translation file
// is missing; Qt's dialogs then stay English.
bool installQtTranslations(unsigned language);

} // namespace platform
