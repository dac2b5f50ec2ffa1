#pragma once
// A built pack's ids and texts, read from its bundle, for the tests that
// compare packs or look over every text of one.
#include "PackFiles.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <string>
#include <utility>

// All ids of a pack, by table, read through the reader's public API.
struct PackIds {
    QHash<unsigned, QString> strings;
    QHash<quint32, QString> dialogs;
    QSet<unsigned> menus, toolbars, icons, bitmaps;
};

PackIds readPack(const QString& code);

// Every text of a pack (strings, dialog texts and menu items), each named for
// a failure message: "string 41027", "dialog 6235/6530", "menu 128/57665"
// (a popup's own text has no command).
QList<std::pair<std::string, QString>> allTexts(const QString& code);

// A Chinese character, or a full-width mark or punctuation of Chinese text.
inline bool isHan(QChar c)
{
    return (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) || (c.unicode() >= 0x3000 && c.unicode() <= 0x303F) ||
           (c.unicode() >= 0xFF00 && c.unicode() <= 0xFFEF);
}
