#pragma once
// Reading a language pack bundle: the check of the resource bundle's structure
// (done before Qt sees the bytes) and the parsers of the text tables inside it.
// Nothing here touches the loaded tables; see LangPack.h for the format's
// place in the program and lang/README.md for the source files.
#include "platform/LangPack.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <optional>

namespace platform {

// The contents of one pack, parsed and checked.
struct LangPackContent {
    QHash<unsigned, QString> strings;
    QHash<quint32, QString> dialogTexts; // key: template << 16 | control
    QHash<unsigned, LangMenu> menus;
    QHash<unsigned, LangToolBar> toolbars;
    QHash<unsigned, QByteArray> icons; // SVG documents
    QHash<unsigned, QImage> bitmaps;
};

inline quint32 langDialogKey(unsigned templateId, unsigned controlId)
{
    return quint32(templateId) << 16 | quint32(controlId & 0xFFFF);
}

// True when the bytes are a resource bundle whose every header field, tree
// node, name and data block lies inside them and whose tree is finite; only
// uncompressed files are accepted. Qt itself reads such bundles unchecked.
bool checkResourceBundle(const QByteArray& rcc, QString* error = nullptr);

// Reads a file of the pack by its name inside the bundle ("strings.txt",
// "icons/open.svg"); nullopt when it is absent.
using LangFileReader = std::function<std::optional<QByteArray>(const QString& name)>;

// Parses every table of a pack. nullopt with a reason (file and line) when a
// file is missing or any line is malformed.
std::optional<LangPackContent> parseLangPack(const LangFileReader& read, QString* error = nullptr);

// The single tables, for tests and for the fuzz target. Each returns false with
// a reason and leaves `out` in an unspecified state on a malformed line.
bool parseLangStrings(const QByteArray& text, QHash<unsigned, QString>* out, QString* error);
bool parseLangDialogTexts(const QByteArray& text, QHash<quint32, QString>* out, QString* error);
bool parseLangMenus(const QByteArray& text, QHash<unsigned, LangMenu>* out, QString* error);
bool parseLangToolBars(const QByteArray& text, QHash<unsigned, LangToolBar>* out, QString* error);

// Unescapes a table text: \n, \t and \\; any other backslash is refused.
std::optional<QString> unescapeLangText(QStringView text);

} // namespace platform
