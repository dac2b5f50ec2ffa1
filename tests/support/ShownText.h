#pragma once
// What a document shows, character by character, as two readers see it: the
// office program (its flat OpenDocument text of what it read) and ours (the
// QTextDocument the RTF reader built). Both become the same list, so that
// they can be compared per character.
#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QString>
#include <optional>

class QTextDocument;

namespace support {

struct ShownChar {
    char32_t ch = 0;          // U+2029 ends a paragraph, a table row or a cell's paragraph
    bool bold = false, italic = false, underline = false, strike = false;
    int raised = 0;           // 1 raised, -1 lowered
    double points = 0;
    QString face;
    QRgb colour = 0xFF000000; // the automatic colour is black
    bool automatic = true;    // the colour is the automatic one
    std::optional<QRgb> background;
    char align = 'L';         // as seen: L, R, C or J
    bool label = false;       // a list's bullet or number: compared by its text
};

using ShownText = QList<ShownChar>;

// The office program's reading. False with a reason when the text is not a
// flat OpenDocument text.
bool shownByOffice(const QByteArray& flatOdt, ShownText& out, QString* error = nullptr);
// Our reading. The characters of blocks marked as list text by the reader are
// not told apart: a label the office program shows is matched by its text.
ShownText shownByDocument(const QTextDocument& doc);

struct ShownDifference {
    QString attribute; // "text", "bold", "face", ...
    qsizetype at = 0;  // index into both lists
    QString ours, office;
    QString context;   // the text around it
    char32_t ch = 0;
    bool officeAutomatic = false; // the office program's colour is the automatic one
};

// Text first: when the texts differ, that one difference is all. Then every
// attribute of every character; a paragraph mark is compared by its
// alignment only, a label by its text only.
QList<ShownDifference> compareShown(const ShownText& ours, const ShownText& office);

QString describe(const ShownDifference& d);

} // namespace support
