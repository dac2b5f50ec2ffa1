#include "app/controls/RichEdit.h"
#include "platform/RtfReader.h"
#include "support/HostilePaths.h"
#include "support/SeamScope.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <gtest/gtest.h>
#include <algorithm>
#include <ctime>

using namespace controls;

namespace {

struct Prompts {
    QList<unsigned> ids;
    support::SeamScope seams;
    Prompts()
    {
        seams->richEditPrompt = [this](unsigned id, const QString&) { ids.append(id); };
    }
};

QList<QTextFragment> fragments(const QTextDocument* doc)
{
    QList<QTextFragment> out;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            out.append(it.fragment());
    return out;
}

} // namespace

TEST(RichEdit, RtfOrPlainByTheFirstFiveCharacters)
{
    CRichEditCtrlEx edit;
    ASSERT_TRUE(RichEditSetRtf("{\\RTF1 {\\b bold} text}", &edit));
    EXPECT_EQ(edit.toPlainText(), "bold text");
    EXPECT_EQ(fragments(edit.document())[0].charFormat().fontWeight(), QFont::Bold);
    ASSERT_TRUE(RichEditSetRtf("{\\rt", &edit));
    EXPECT_EQ(edit.toPlainText(), "{\\rt");
    ASSERT_TRUE(RichEditSetRtf(QString::fromUtf8("纯文本 plain"), &edit));
    EXPECT_EQ(edit.toPlainText(), QString::fromUtf8("纯文本 plain"));
}

TEST(RichEdit, StyledParagraphRoundTrip)
{
    CRichEditCtrlEx edit;
    QTextCursor c(edit.document());
    QTextBlockFormat centre;
    centre.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centre);
    QTextCharFormat a;
    a.setFontFamilies(QStringList{"DejaVu Sans"});
    a.setFontPointSize(16);
    a.setForeground(QColor(255, 0, 0));
    a.setFontWeight(QFont::Bold);
    c.insertText(QString::fromUtf8("红 red "), a);
    QTextCharFormat b;
    b.setFontFamilies(QStringList{"DejaVu Serif"});
    b.setFontPointSize(9);
    b.setForeground(QColor(0, 0, 255));
    b.setFontItalic(true);
    b.setFontUnderline(true);
    c.insertText("blue", b);

    QString rtf;
    RichEditGetRtf(rtf, &edit);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    EXPECT_EQ(rtf, RichEditGetRtf(&edit));

    CRichEditCtrlEx back;
    ASSERT_TRUE(RichEditSetRtf(rtf, &back));
    EXPECT_EQ(back.toPlainText(), edit.toPlainText());
    EXPECT_EQ(back.document()->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    auto f = fragments(back.document());
    ASSERT_EQ(f.size(), 2);
    QTextCharFormat fa = f[0].charFormat(), fb = f[1].charFormat();
    EXPECT_EQ(fa.fontFamilies().toStringList().value(0), "DejaVu Sans");
    EXPECT_DOUBLE_EQ(fa.fontPointSize(), 16);
    EXPECT_EQ(fa.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(fa.fontWeight(), QFont::Bold);
    EXPECT_FALSE(fa.fontItalic());
    EXPECT_EQ(fb.fontFamilies().toStringList().value(0), "DejaVu Serif");
    EXPECT_DOUBLE_EQ(fb.fontPointSize(), 9);
    EXPECT_EQ(fb.foreground().color(), QColor(0, 0, 255));
    EXPECT_TRUE(fb.fontItalic());
    EXPECT_TRUE(fb.fontUnderline());
    EXPECT_EQ(fb.fontWeight(), QFont::Normal);
    EXPECT_EQ(RichEditGetRtf(&back), rtf);
}

TEST(RichEdit, LoadFilePromptsForBadPaths)
{
    Prompts prompts;
    QTemporaryDir dir;
    CRichEditCtrlEx edit;
    edit.setPlainText("keep");
    EXPECT_FALSE(RichEditLoadFile(dir.path(), &edit));
    EXPECT_FALSE(RichEditLoadFile(dir.filePath("missing.rtf"), &edit));
    EXPECT_EQ(prompts.ids, (QList<unsigned>{kPromptNotTaken, kPromptInvalidFileName}));
    EXPECT_EQ(edit.toPlainText(), "keep");
}

TEST(RichEdit, DevicesAndPipesAreRefusedAtOnceAndTheReaderEnds)
{
    Prompts prompts;
    QTemporaryDir dir;
    support::HostilePaths hostile(dir.path(), QStringLiteral("a.txt"));
    ASSERT_TRUE(hostile.ready());
    CRichEditCtrlEx edit;
    edit.setPlainText("keep");
    const int threads = support::processThreadCount();
    for (const auto& c : hostile.cases()) {
        SCOPED_TRACE(c.what);
        QFuture<RichTextLoad> load = RichEditLoadAsync(c.path, LoadSource::File, &edit);
        const bool inTime = QTest::qWaitFor([&] { return load.isFinished(); }, int(support::kRefusalBound.count()));
        if (!inTime)
            hostile.release();
        EXPECT_TRUE(inTime);
        load.waitForFinished();
        EXPECT_EQ(load.result().status, RichTextLoad::NotAFile);
        EXPECT_FALSE(RichEditLoadFile(c.path, &edit));
    }
    // A file over the bound is refused unread (sparse: no disk spent).
    QFile huge(dir.filePath("huge.txt"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxRichTextFileBytes + 1));
    huge.close();
    QFuture<RichTextLoad> load = RichEditLoadAsync(huge.fileName(), LoadSource::File, &edit);
    EXPECT_TRUE(QTest::qWaitFor([&] { return load.isFinished(); }, int(support::kRefusalBound.count())));
    EXPECT_EQ(load.result().status, RichTextLoad::FileTooLarge);
    EXPECT_FALSE(RichEditLoadFile(huge.fileName(), &edit));
    EXPECT_EQ(prompts.ids, QList<unsigned>(hostile.cases().size() + 1, kPromptNotTaken));
    EXPECT_EQ(edit.toPlainText(), "keep");
    // The readers' threads are gone.
    EXPECT_TRUE(QTest::qWaitFor([&] { return support::processThreadCount() <= threads; }, 1000));
}

TEST(RichEdit, LoadFileSniffsRtfAndDecodesText)
{
    Prompts prompts;
    QTemporaryDir dir;
    QFile rtf(dir.filePath("a.rtf"));
    ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
    rtf.write("{\\rtf1{\\fonttbl{\\f0\\fcharset134 X;}}\\f0 \\'cb\\'ce\\par}");
    rtf.close();
    QFile txt(dir.filePath("b.txt"));
    ASSERT_TRUE(txt.open(QIODevice::WriteOnly));
    txt.write("\xEF\xBB\xBFplain \xE4\xB8\xAD");
    txt.close();
    CRichEditCtrlEx edit;
    ASSERT_TRUE(RichEditSetRtfA(rtf.fileName(), &edit));
    EXPECT_EQ(edit.toPlainText(), QString::fromUtf8("宋"));
    ASSERT_TRUE(RichEditLoadFile(txt.fileName(), &edit));
    EXPECT_EQ(edit.toPlainText(), QString::fromUtf8("plain 中"));
    EXPECT_TRUE(prompts.ids.isEmpty());
}

TEST(RichEdit, ColourAndLineSpacingOfTheSelection)
{
    CRichEditCtrlEx edit;
    edit.setPlainText("one\ntwo");
    edit.selectAll();
    RichEditClearAutoColor(&edit);
    RichEditSetLineSpacing(360, &edit);
    auto f = fragments(edit.document());
    for (const auto& fr : f)
        EXPECT_EQ(fr.charFormat().foreground().color(), QColor(255, 0, 0));
    for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next()) {
        EXPECT_EQ(b.blockFormat().lineHeightType(), QTextBlockFormat::FixedHeight);
        EXPECT_DOUBLE_EQ(b.blockFormat().lineHeight(), 24.0); // 18 pt
    }
    EXPECT_TRUE(RichEditGetRtf(&edit).contains("\\pard\\sl-360\\slmult0"));

    // Text with a colour of its own keeps it; an empty paragraph types red.
    ASSERT_TRUE(platform::readRtf(
        QByteArray("{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}auto {\\cf1 blue} auto\\par\\par end\\par}"),
        edit.document()));
    edit.selectAll();
    RichEditClearAutoColor(&edit);
    QStringList seen;
    for (const auto& fr : fragments(edit.document()))
        seen << fr.text() + u'=' + fr.charFormat().foreground().color().name();
    EXPECT_EQ(seen, (QStringList{"auto =#ff0000", "blue=#0000ff", " auto=#ff0000", "end=#ff0000"}));
    EXPECT_EQ(edit.document()->findBlockByNumber(1).charFormat().foreground().color(), QColor(255, 0, 0));
}

namespace {

QString colourRuns(int runs)
{
    QString rtf = "{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}";
    for (int i = 0; i < runs; ++i)
        rtf += (i % 2) ? "\\cf1 ab " : "\\cf2 cd ";
    rtf += "}";
    return rtf;
}

// Processor time of loading into the shown edit until it has caught up, in
// milliseconds, the best of three.
double bestLoadCpuMs(const QString& rtf, QTextEdit* edit)
{
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
        const std::clock_t start = std::clock();
        EXPECT_TRUE(RichEditSetRtf(rtf, edit));
        QCoreApplication::processEvents();
        best = std::min(best, double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC);
    }
    return best;
}

} // namespace

TEST(RichEdit, ColourRunsLoadIntoAShownEditInLinearTime)
{
    CRichEditCtrlEx edit;
    edit.resize(400, 300);
    edit.show();
    // Four times the runs may cost about four times as much, not sixteen.
    const double tSmall = bestLoadCpuMs(colourRuns(1000), &edit);
    const double tLarge = bestLoadCpuMs(colourRuns(4000), &edit);
    EXPECT_LT(tLarge, 8 * tSmall + 50) << tSmall << " ms for 1000 runs, " << tLarge << " ms for 4000";
    // One fragment per run; a run that a piece of the long paragraph cuts
    // goes on at the start of the next block.
    qsizetype runs = 0;
    QTextCharFormat last;
    for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const bool cut = it == b.begin() && b.blockFormat().boolProperty(platform::RtfContinues) &&
                             it.fragment().charFormat() == last;
            runs += cut ? 0 : 1;
            last = it.fragment().charFormat();
        }
    }
    EXPECT_EQ(runs, 4000);
    EXPECT_GT(edit.document()->blockCount(), 1);
}

TEST(RichEdit, ALoadIsNotUndoneIntoPieces)
{
    CRichEditCtrlEx edit;
    edit.show();
    edit.setPlainText("before");
    QTextCursor c = edit.textCursor();
    c.insertText(" typed");
    ASSERT_TRUE(edit.document()->isUndoAvailable());
    ASSERT_TRUE(RichEditSetRtf("{\\rtf1 one {\\b two}\\par three}", &edit));
    const QString loaded = edit.toPlainText();
    EXPECT_EQ(loaded, "one two\nthree");
    for (int i = 0; i < 20 && edit.document()->isUndoAvailable(); ++i)
        edit.undo();
    EXPECT_EQ(edit.toPlainText(), loaded);
}

// Enter typed inside a piece of a long paragraph ends the paragraph there;
// the rest of the pieces stay one paragraph.
TEST(RichEdit, EnterInAPieceOfALongParagraphStartsAParagraph)
{
    CRichEditCtrlEx edit;
    edit.show();
    const QString line(10000, u'a');
    ASSERT_TRUE(RichEditSetRtf("{\\rtf1 " + line + "\\par}", &edit));
    ASSERT_GT(edit.document()->blockCount(), 2);
    QTextCursor c(edit.document()->findBlockByNumber(1));
    c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 5);
    edit.setTextCursor(c);
    QTest::keyClick(&edit, Qt::Key_Return);
    QTextDocument back;
    ASSERT_TRUE(platform::readRtf(RichEditGetRtf(&edit), &back));
    ASSERT_EQ(back.blockCount(), 2);
    const qsizetype first = edit.document()->findBlockByNumber(0).length() - 1 + 5;
    EXPECT_EQ(back.begin().text(), line.left(first));
    EXPECT_EQ(back.begin().next().text(), line.mid(first));
}
