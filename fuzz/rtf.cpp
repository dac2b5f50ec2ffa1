// The RTF reader. Text that is not RTF is refused and leaves the document as
// it was; RTF that reads completely writes out as RTF that reads back to the
// same document (written again byte-identical). Read in an editor's pieces it
// writes out as the same text, and a bound refuses exactly the texts longer
// than it. The Unicode entry point reads the same bytes as UTF-8.
#define FUZZ_WITH_QT_APP
#include "fuzz/FuzzCheck.h"
#include "platform/RtfReader.h"
#include "platform/RtfWriter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <cmath>

using namespace platform;

namespace {

// What a document shows, as far as RTF keeps it: per block its alignment,
// direction, tab stops and bullet; per run its face (when it has one), size,
// weight, slant, lines, raise and colours. A run without a face is written
// in the document's default one.
QString looks(const QTextDocument& doc)
{
    QString s;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat bf = b.blockFormat();
        s += QStringLiteral("|%1 %2 %3")
                 .arg(int(bf.alignment() & Qt::AlignHorizontal_Mask))
                 .arg(int(bf.layoutDirection() == Qt::RightToLeft))
                 .arg(b.textList() != nullptr);
        for (const QTextOption::Tab& t : bf.tabPositions())
            s += QStringLiteral(" t%1:%2").arg(std::lround(t.position * kTwipsPerPixel)).arg(int(t.type));
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QString face = f.fontFamilies().toStringList().value(0);
            if (face == doc.defaultFont().family())
                face.clear();
            s += QStringLiteral("[%1:%2 %3%4%5%6 v%7 r%8 %9 %10]")
                     .arg(it.fragment().length())
                     .arg(face.isEmpty() ? QStringLiteral("*") : face)
                     .arg(f.fontPointSize())
                     .arg(f.fontWeight() >= QFont::DemiBold)
                     .arg(f.fontItalic())
                     .arg(f.fontUnderline() * 2 + f.fontStrikeOut())
                     .arg(int(f.verticalAlignment()))
                     .arg(std::lround(f.baselineOffset() * f.fontPointSize() / 50.0))
                     .arg(f.foreground().style() == Qt::NoBrush ? 0u : f.foreground().color().rgb())
                     .arg(f.background().style() == Qt::NoBrush ? 0u : f.background().color().rgb());
        }
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 16384)
        return 0;
    const QByteArray rtf(reinterpret_cast<const char*>(data), qsizetype(size));

    QTextDocument doc;
    doc.setPlainText(QStringLiteral("keep"));
    const QByteArray before = writeRtf(doc);
    QString error;
    const bool ok = readRtf(rtf, &doc, &error);
    if (!ok) {
        FUZZ_CHECK(!error.isEmpty(), "a refusal says why");
        if (!looksLikeRtf(rtf))
            FUZZ_CHECK(writeRtf(doc) == before, "text that is not RTF leaves the document as it was");
    } else {
        const QByteArray written = writeRtf(doc);
        QTextDocument back;
        FUZZ_CHECK(readRtf(written, &back), "written RTF reads back");
        FUZZ_CHECK(back.toPlainText() == doc.toPlainText(), "written RTF reads back to the same text");
        FUZZ_CHECK(looks(back) == looks(doc), "written RTF reads back to the same look");
        FUZZ_CHECK(writeRtf(back) == written, "written RTF writes again byte-identical");

        ReadOptions pieces;
        pieces.blockChars = 1 + qsizetype(size % 13);
        QTextDocument pieced;
        FUZZ_CHECK(readRtf(rtf, &pieced, pieces) == ReadResult::Ok, "pieces read as the whole does");
        QTextDocument joined;
        FUZZ_CHECK(readRtf(writeRtf(pieced), &joined), "pieces write as RTF");
        FUZZ_CHECK(joined.toPlainText() == doc.toPlainText(), "pieces write out as the same text");

        ReadOptions bound;
        bound.maxChars = qsizetype(size / 3);
        QTextDocument bounded;
        const bool tooLong = doc.characterCount() - 1 > bound.maxChars;
        FUZZ_CHECK((readRtf(rtf, &bounded, bound) == ReadResult::TooLong) == tooLong,
                   "the bound refuses exactly the texts longer than it");
    }

    QTextDocument wide;
    (void)readRtf(QString::fromUtf8(rtf), &wide);
    return 0;
}
