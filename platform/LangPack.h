#pragma once
// Texts, icons, bitmaps and toolbar templates of the language pack, looked up by
// numeric id. The shell fills the table from the pack it loads at start-up; a
// missing id gives an empty text, a null icon or image, or no toolbar.
#include <QIcon>
#include <QImage>
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

QString langString(unsigned id);
QIcon langIcon(unsigned id);
QImage langBitmap(unsigned id);
std::optional<LangToolBar> langToolBar(unsigned id);

void setLangString(unsigned id, const QString& text);
void setLangIcon(unsigned id, const QIcon& icon);
void setLangBitmap(unsigned id, const QImage& image);
void setLangToolBar(unsigned id, const LangToolBar& bar);
// Forgets everything (a language change, or between tests).
void clearLangPack();

} // namespace platform
