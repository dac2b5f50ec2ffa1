// The picture panel and the rich-text panel through their real widgets:
// files chosen and imported reach the record and the program data.
#include "TextPanelsTestUtil.h"

#include "app/controls/ColourPicker.h"
#include "app/controls/IconButton.h"
#include "app/controls/MessageBox.h"
#include "app/controls/RichEdit.h"
#include "app/controls/ShadeSplitButton.h"
#include "app/editor/BrowserDlg.h"
#include "app/panels/PropertyImg.h"
#include "app/panels/PropertyText.h"
#include "app/panels/RichTextBar.h"
#include "app/panels/import/DocumentConverter.h"
#include "support/Heartbeat.h"
#include "platform/OperatorFile.h"
#include "support/HostilePaths.h"
#include "support/ModalRunner.h"
#include "support/SeamScope.h"

#include "platform/RtfReader.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <functional>
#include <iostream>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QUrl>

using namespace sorvane::render;

using namespace panels;
using namespace textpaneltest;
using paneltest::choose;
using paneltest::typeInto;

namespace {
namespace pic = records::picture;
namespace rt = records::richtext;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Two 1 x 1 frames, white for 100 ms then black for 200 ms.
QByteArray twoFrameGif()
{
    const auto frame = [](char delay, char code) {
        return QByteArray("\x21\xF9\x04\x00", 4) + delay + QByteArray("\x00\x00\x00", 3) +
               QByteArray("\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02", 12) + code + QByteArray("\x01\x00", 2);
    };
    return QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13) + QByteArray("\x00\x00\x00\xFF\xFF\xFF", 6) +
           frame(10, 0x4C) + frame(20, 0x44) + QByteArray(";");
}

QString makePicture(const QTemporaryDir& dir, const QString& name)
{
    QImage img(16, 8, QImage::Format_RGB32);
    img.fill(Qt::black);
    for (int x = 0; x < 16; x += 2)
        img.setPixel(x, x / 2, qRgb(255, 0, 0));
    const QString path = dir.filePath(name);
    EXPECT_TRUE(img.save(path));
    return path;
}

struct CurrentDirScope {
    QString old = QDir::currentPath();
    explicit CurrentDirScope(const QString& to) { QDir::setCurrent(to); }
    ~CurrentDirScope() { QDir::setCurrent(old); }
};

struct Picture : TextItems {
    tagItemData* image = addItem(IT_IMAGE);
    tagItemData* gif = addItem(IT_GIF);
    CPropertyImg* panel = make<CPropertyImg>();
    QTemporaryDir dir;
    support::SeamScope seams;
};

} // namespace

TEST_F(Picture, APictureChosenFromDiskIsStoredPaintedAndCompiled)
{
    load(panel, image);
    EXPECT_FALSE(ctl<QWidget>(panel, CPropertyImg::IdStay)->isVisibleTo(panel));
    const QString file = makePicture(dir, "dots.png");
    seams.nextFileName(file);
    click(ctl<QAbstractButton>(panel, CPropertyImg::IdBrowse));
    EXPECT_EQ(image->Item.TypeRecord->get(pic::Path), file);
    EXPECT_EQ(ctl<QLineEdit>(panel, CPropertyImg::IdPath)->text(), file);
    EXPECT_FALSE(host.repainted.empty());
    choose(ctl<QComboBox>(panel, CPropertyImg::IdMode), 2);
    EXPECT_EQ(image->Item.TypeRecord->get(pic::Mode), 2);

    tagItemData* twin = addTwin(IT_IMAGE);
    twin->Item.TypeRecord->set(pic::Path, file);
    twin->Item.TypeRecord->set(pic::Mode, std::uint8_t(2));
    expectSameProgram(image, twin);
}

TEST_F(Picture, AGifChosenFromTheProgramsAnimationsGetsItsFramesAndStayTime)
{
    QDir(dir.path()).mkpath("UserRes/Animations/Flags");
    writeFile(dir.filePath("UserRes/Animations/Flags/blink.gif"), twoFrameGif());
    CurrentDirScope cwd(dir.path());
    load(panel, gif);
    auto* stay = ctl<QLineEdit>(panel, CPropertyImg::IdStay);
    EXPECT_TRUE(stay->isVisibleTo(panel));
    typeInto(stay, "40000");
    EXPECT_EQ(gif->PlayTime, 32767);

    seams->popupMenu = [](QMenu* m, const QPoint&) { return m->actions().value(0); };
    support::ModalRunner runner([](QWidget* modal) {
        auto* browser = qobject_cast<editor::CBrowserDlg*>(modal);
        ASSERT_NE(browser, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return browser->list()->count() > 0; }, 3000));
        browser->list()->item(0)->setSelected(true);
        browser->accept();
    });
    auto* browse = ctl<controls::CShadeSplitButton>(panel, CPropertyImg::IdBrowse);
    QTest::mouseClick(browse, Qt::LeftButton, Qt::NoModifier, browse->dropPart().center());
    ASSERT_TRUE(runner.answered());
    const QString want = QDir(dir.path()).filePath("UserRes/Animations/Flags/blink.gif");
    EXPECT_EQ(QFileInfo(gif->Item.TypeRecord->get(pic::Path)).canonicalFilePath(), QFileInfo(want).canonicalFilePath());
    EXPECT_EQ(gif->Item.TypeRecord->get(pic::FrameCount), 2u);
    EXPECT_EQ(gif->Item.TypeRecord->get(pic::Delays[0]), 100u);
    EXPECT_EQ(gif->Item.TypeRecord->get(pic::Delays[1]), 200u);
    EXPECT_FALSE(host.repainted.empty());
    core.Paint(gif);
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    const auto& header = CContentCompiler::CompiledSlot(gif, 1);
    ASSERT_GE(header.size(), 24u);
    EXPECT_EQ(header[0], 2);   // two frames, each with its delay
}

TEST_F(Picture, APathTooLongToStoreIsRefusedAndTheOldOneKept)
{
    load(panel, image);
    const QString file = makePicture(dir, "a.png");
    seams.nextFileName(file);
    click(ctl<QAbstractButton>(panel, CPropertyImg::IdBrowse));
    const QString tooLong = QStringLiteral("/") + QString(300, u'p') + QStringLiteral(".png");
    seams.nextAnswer(QMessageBox::Ok);
    seams.nextFileName(tooLong);
    click(ctl<QAbstractButton>(panel, CPropertyImg::IdBrowse));
    EXPECT_EQ(image->Item.TypeRecord->get(pic::Path), file);
    EXPECT_TRUE(controls::MessageBox::lastText().contains("259"));
    // Typing stops at what the record holds, terminated.
    auto* path = ctl<QLineEdit>(panel, CPropertyImg::IdPath);
    path->setText(QString(400, u'q'));
    EXPECT_EQ(image->Item.TypeRecord->get(pic::Path), QString(259, u'q'));
}

TEST_F(Picture, BrowseRefusesWhatIsNoPictureFileWithTheReadersMessageAndKeepsThePath)
{
    const QString good = makePicture(dir, "good.png");
    const QString garbage = dir.filePath("garbage.png");
    writeFile(garbage, "no picture at all");
    const QString sparse = dir.filePath("huge.png");
    {
        QFile f(sparse);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(20) << 30));
    }
    support::HostilePaths hostile(dir.path(), QStringLiteral("chosen.png"));
    ASSERT_TRUE(hostile.ready());
    std::vector<std::pair<QString, QString>> refused;   // path, the message it gets
    for (const auto& c : hostile.cases())
        refused.emplace_back(c.path, platform::operatorFileMessage(platform::FileRead::NotAFile, c.path,
                                                                   platform::kMaxPictureFileBytes));
    refused.emplace_back(sparse, platform::operatorFileMessage(platform::FileRead::TooLarge, sparse,
                                                               platform::kMaxPictureFileBytes));
    refused.emplace_back(garbage, platform::operatorFileMessage(platform::FileRead::Unreadable, garbage,
                                                                platform::kMaxPictureFileBytes));
    for (tagItemData* item : {image, gif}) {
        load(panel, item);
        seams.nextFileName(good);
        click(ctl<QAbstractButton>(panel, CPropertyImg::IdBrowse));
        ASSERT_EQ(item->Item.TypeRecord->get(pic::Path), good);
        for (const auto& [path, message] : refused) {
            SCOPED_TRACE(path.toStdString());
            seams.nextAnswer(QMessageBox::Ok);
            seams.nextFileName(path);
            QElapsedTimer t;
            t.start();
            click(ctl<QAbstractButton>(panel, CPropertyImg::IdBrowse));
            EXPECT_LT(t.elapsed(), support::kRefusalBound.count());
            EXPECT_EQ(controls::MessageBox::lastText(), message);
            EXPECT_EQ(item->Item.TypeRecord->get(pic::Path), good);
            EXPECT_EQ(ctl<QLineEdit>(panel, CPropertyImg::IdPath)->text(), good);
        }
    }
}

TEST_F(Picture, AnUnreadableFileIsStillStored)
{
    load(panel, gif);
    const QString bad = dir.filePath("broken.gif");
    writeFile(bad, "GIF89a garbage");
    ctl<QLineEdit>(panel, CPropertyImg::IdPath)->setText(bad);
    EXPECT_EQ(gif->Item.TypeRecord->get(pic::Path), bad);

    // A device or pipe chosen as the picture is stored, drawn as nothing, at once.
    support::HostilePaths hostile(dir.path(), QStringLiteral("chosen.gif"));
    ASSERT_TRUE(hostile.ready());
    for (const auto& c : hostile.cases()) {
        SCOPED_TRACE(c.what);
        for (tagItemData* item : {gif, image}) {
            load(panel, item);
            QElapsedTimer t;
            t.start();
            ctl<QLineEdit>(panel, CPropertyImg::IdPath)->setText(c.path);
            EXPECT_LT(t.elapsed(), support::kRefusalBound.count());
            EXPECT_EQ(item->Item.TypeRecord->get(pic::Path), c.path);
        }
        EXPECT_EQ(gif->Item.TypeRecord->get(pic::FrameCount), 0u);
    }
}

// ---- rich text ----

namespace {

struct FakeConverter : DocumentConverter {
    using DocumentConverter::DocumentConverter;
    QString asked;
    void convert(const QString& path) override { asked = path; }
    void cancel() override {}
};

struct RichText : TextItems {
    tagItemData* item = nullptr;
    CPropertyText* panel = nullptr;
    QTemporaryDir dir;
    support::SeamScope seams;
    RichText()
    {
        item = addItem(IT_TEXT);
        panel = make<CPropertyText>();
    }
    QTextEdit* edit() { return panel->edit(); }
    QString stored() { return item->Item.TypeRecord->text(); }
    // Waits for the import that `start` begins; its outcome.
    bool imported(const std::function<void()>& start, int ms = 60000)
    {
        QSignalSpy done(panel, &CPropertyText::importFinished);
        start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return done.count() > 0; }, ms));
        return done.count() > 0 && done.first().first().toBool();
    }
    bool importFile(const QString& path) { return imported([&] { panel->ImportFile(path); }); }
};

// The longest stretch in which the interface thread ran no timer.
struct Heartbeat {
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0, worst = 0;
    Heartbeat()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.elapsed();
            worst = std::max(worst, now - last);
            last = now;
        });
        clock.start();
        timer.start(5);
    }
    qint64 gap()
    {
        worst = std::max(worst, clock.elapsed() - last);
        return worst;
    }
};

// The plain text of stored RTF as the core reads it (one block per paragraph).
QString storedPlain(const QString& rtf)
{
    QTextDocument doc;
    EXPECT_TRUE(platform::readRtf(rtf, &doc));
    return doc.toPlainText();
}

} // namespace

TEST_F(RichText, TypedTextMadeBoldAndColouredIsStoredAsRtfAndCompiled)
{
    load(panel, item);
    edit()->selectAll();
    edit()->textCursor().removeSelectedText();
    QTest::keyClicks(edit(), "Hot");
    EXPECT_EQ(item->Item.TypeRecordSize, 276u + 2u * std::uint32_t(stored().size()));
    const QString plain = stored();
    EXPECT_TRUE(plain.startsWith("{\\rtf"));
    EXPECT_TRUE(plain.contains("Hot"));

    edit()->selectAll();
    click(ctl<controls::CIconButton>(panel, CPropertyText::IdBold));
    auto* colour = ctl<controls::CColourPicker>(panel, CPropertyText::IdColour);
    colour->SetColour(0x00FF00);   // green
    emit colour->command(controls::CColourPicker::ColourChanged);
    const QString rich = stored();
    EXPECT_TRUE(rich.contains("\\b")) << rich.toStdString();
    EXPECT_TRUE(rich.contains("\\red0\\green255\\blue0")) << rich.toStdString();
    EXPECT_EQ(item->Item.TypeRecordSize, 276u + 2u * std::uint32_t(rich.size()));
    // The toolbar follows the selection.
    EXPECT_EQ(ctl<controls::CIconButton>(panel, CPropertyText::IdBold)->GetCheck(), 1);

    tagItemData* twin = addTwin(IT_TEXT);
    ASSERT_TRUE(records::SetItemText(twin, rich));
    expectSameProgram(item, twin);
    tagItemData* plainTwin = addTwin(IT_TEXT);
    ASSERT_TRUE(records::SetItemText(plainTwin, plain));
    core.Paint(plainTwin);
    ASSERT_EQ(CContentCompiler::Compile(twinScreen), 1);
    EXPECT_NE(CContentCompiler::CompiledSlot(item, 0), CContentCompiler::CompiledSlot(plainTwin, 0));
}

TEST_F(RichText, SizeSetsLineSpacingAndWrapEnablesAlignment)
{
    load(panel, item);
    edit()->selectAll();
    auto* size = ctl<QComboBox>(panel, CPropertyText::IdSize);
    choose(size, size->findText("12"));
    EXPECT_EQ(ctl<QSpinBox>(panel, CPropertyText::IdSpacing)->value(), 14);
    EXPECT_TRUE(stored().contains("\\sl-280")) << stored().toStdString();

    auto* centre = ctl<controls::CIconButton>(panel, CPropertyText::IdCentre);
    EXPECT_FALSE(centre->isEnabled());
    EXPECT_EQ(edit()->lineWrapMode(), QTextEdit::NoWrap);
    click(ctl<controls::CIconButton>(panel, CPropertyText::IdWrap));
    EXPECT_EQ(item->Item.TypeRecord->get(rt::Wrap), 1);
    EXPECT_TRUE(centre->isEnabled());
    EXPECT_EQ(edit()->lineWrapMode(), QTextEdit::FixedPixelWidth);
    EXPECT_EQ(edit()->lineWrapColumnOrWidth(), 64);

    // A width change re-wraps only while the item wraps.
    core.ChangeItemRect(window, 0, 0, 40, 32);
    platform::sendMessage(panel, spine::WM_TEXT_WRAPWIDTH, 0, 0);
    EXPECT_EQ(edit()->lineWrapColumnOrWidth(), 40);
    click(ctl<controls::CIconButton>(panel, CPropertyText::IdWrap));
    EXPECT_EQ(item->Item.TypeRecord->get(rt::Wrap), 0);
    core.ChangeItemRect(window, 0, 0, 50, 32);
    platform::sendMessage(panel, spine::WM_TEXT_WRAPWIDTH, 0, 0);
    EXPECT_EQ(edit()->lineWrapMode(), QTextEdit::NoWrap);
}

TEST_F(RichText, TxtAndRtfFilesAreImportedByTheirContent)
{
    load(panel, item);
    const QString txt = dir.filePath("plain.txt");
    writeFile(txt, "first line\nsecond line");
    seams.nextFileName(txt);
    EXPECT_TRUE(imported([&] { click(ctl<QAbstractButton>(panel, CPropertyText::IdImport)); }));
    EXPECT_TRUE(stored().contains("first line"));
    EXPECT_TRUE(stored().contains("second line"));
    EXPECT_EQ(edit()->textCursor().position(), 0);

    // "Unicode" text as editors save it: UTF-16 behind its byte-order mark.
    const QString wide = dir.filePath("wide.txt");
    writeFile(wide, QByteArray("\xFE\xFF") + QStringEncoder(QStringConverter::Utf16BE)(QString::fromUtf8("Grüße 中文")));
    EXPECT_TRUE(importFile(wide));
    EXPECT_EQ(edit()->toPlainText(), QString::fromUtf8("Grüße 中文"));

    // A ".txt" that holds RTF is read as RTF.
    const QString disguised = dir.filePath("rich.txt");
    writeFile(disguised, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 plain {\\b strong}\\par}");
    EXPECT_TRUE(importFile(disguised));
    EXPECT_EQ(edit()->toPlainText().trimmed(), "plain strong");
    EXPECT_FALSE(stored().contains("fonttbl{\\f0 Arial;}}\\f0 plain {\\b"));   // rewritten by the writer
    const QString rtf = dir.filePath("doc.RTF");
    writeFile(rtf, "{\\rtf1\\ansi imported {\\i here}\\par}");
    EXPECT_TRUE(importFile(rtf));
    EXPECT_EQ(edit()->toPlainText().trimmed(), "imported here");
    EXPECT_TRUE(stored().contains("imported"));
    EXPECT_EQ(item->Item.TypeRecordSize, 276u + 2u * std::uint32_t(stored().size()));
}

TEST_F(RichText, AFailedDocumentConversionTellsAndLeavesTheItem)
{
    load(panel, item);
    const QString before = stored();
    FakeConverter* fake = nullptr;
    seams->documentConverter = [&](QObject* parent) { return fake = new FakeConverter(parent); };
    const QString doc = dir.filePath("letter.doc");
    writeFile(doc, "not really a document");
    seams.nextAnswer(QMessageBox::Ok);
    panel->ImportFile(doc);
    ASSERT_NE(fake, nullptr);
    EXPECT_EQ(fake->asked, doc);
    emit fake->failed(documentConversionError());
    EXPECT_EQ(controls::MessageBox::lastText(), "Can not start word sever!");
    EXPECT_EQ(stored(), before);

    // A damaged RTF answer is refused too.
    panel->ImportFile(doc);
    seams.nextAnswer(QMessageBox::Ok);
    EXPECT_FALSE(imported([&] { emit fake->converted("{\\rtf1 {\\b unclosed"); }));
    EXPECT_EQ(controls::MessageBox::lastText(), QString("%1\nThe file is damaged; the text was left as it was.").arg(doc));
    EXPECT_EQ(stored(), before);
}

TEST_F(RichText, AFileThatIsNoFileIsRefusedWithinASecondAndNoReaderStays)
{
    load(panel, item);
    const QString before = stored();
    support::HostilePaths hostile(dir.path(), QStringLiteral("chosen.txt"));
    ASSERT_TRUE(hostile.ready());
    const int threads = support::processThreadCount();
    for (const auto& c : hostile.cases()) {
        SCOPED_TRACE(c.what);
        seams.nextAnswer(QMessageBox::Ok);
        seams.nextFileName(c.path);
        QElapsedTimer t;
        t.start();
        const bool ok = imported([&] { click(ctl<QAbstractButton>(panel, CPropertyText::IdImport)); },
                                 int(support::kRefusalBound.count()));
        if (t.elapsed() >= support::kRefusalBound.count())
            hostile.release();
        EXPECT_FALSE(ok);
        EXPECT_LT(t.elapsed(), support::kRefusalBound.count());
        EXPECT_EQ(controls::MessageBox::lastText(),
                  QString("%1\nThis is not a file but a folder, a device or a pipe. Nothing was read from it.")
                      .arg(c.path));
        EXPECT_FALSE(panel->isImporting());
        EXPECT_EQ(stored(), before);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return support::processThreadCount() <= threads; }, 1000));
}

TEST_F(RichText, ADocumentConversionShowsItWorksAndCancelEndsIt)
{
    load(panel, item);
    const QString before = stored();
    const QString slow = dir.filePath("slow-office");
    writeFile(slow, "#!/bin/sh\nexec sleep 60\n");
    QFile::setPermissions(slow, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    seams->officeProgram = slow;
    const QString doc = dir.filePath("large.doc");
    writeFile(doc, QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8));
    QSignalSpy done(panel, &CPropertyText::importFinished);
    panel->ImportFile(doc);
    QPointer<QProgressDialog> progress = panel->importProgress();
    ASSERT_TRUE(progress);
    ASSERT_TRUE(QTest::qWaitFor([&] { return progress && progress->isVisible(); }, 5000));
    EXPECT_EQ(progress->labelText(), "Converting the document...");
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    ASSERT_EQ(done.count(), 1);
    EXPECT_FALSE(done.first().first().toBool());
    EXPECT_FALSE(panel->isImporting());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !progress; }, 1000));
    EXPECT_EQ(stored(), before);
}

TEST_F(RichText, AWordDocumentMadeByTheOfficeProgramIsImported)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "no office program on this machine";
    const QString rtf = dir.filePath("letter.rtf");
    writeFile(rtf, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 From {\\b Word} file\\par}");
    QProcess p;
    p.start(QStringLiteral("soffice"),
            {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(dir.filePath("profile")).toString(),
             QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("doc"),
             QStringLiteral("--outdir"), dir.path(), rtf});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString doc = dir.filePath("letter.doc");
    ASSERT_TRUE(QFileInfo::exists(doc));

    load(panel, item);
    QSignalSpy done(panel, &CPropertyText::importFinished);
    seams.nextFileName(doc);
    click(ctl<QAbstractButton>(panel, CPropertyText::IdImport));
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() > 0; }, 120000));
    EXPECT_TRUE(done.first().first().toBool());
    EXPECT_EQ(edit()->toPlainText().simplified(), "From Word file");
    EXPECT_TRUE(stored().contains("Word"));
    EXPECT_EQ(item->Item.TypeRecordSize, 276u + 2u * std::uint32_t(stored().size()));
}

TEST_F(RichText, TheContextMenuOffersWhatCanBeDone)
{
    load(panel, item);
    edit()->clear();
    std::unique_ptr<QMenu> empty(buildRichEditMenu(edit(), panel));
    const auto enabled = [](QMenu* m, unsigned cmd) {
        for (QAction* a : m->actions())
            if (a->data().toUInt() == cmd)
                return a->isEnabled();
        ADD_FAILURE() << "no entry " << cmd;
        return false;
    };
    EXPECT_FALSE(enabled(empty.get(), 57634));   // copy
    EXPECT_FALSE(enabled(empty.get(), 32860));   // clear all
    QTest::keyClicks(edit(), "abc");
    edit()->selectAll();
    std::unique_ptr<QMenu> full(buildRichEditMenu(edit(), panel));
    EXPECT_TRUE(enabled(full.get(), 57634));
    EXPECT_TRUE(enabled(full.get(), 57643));     // undo
    for (QAction* a : full->actions())
        if (a->data().toUInt() == 32860)
            a->trigger();
    EXPECT_TRUE(edit()->toPlainText().isEmpty());
    EXPECT_FALSE(stored().contains("abc"));
}

// ---- large rich texts ----

namespace {

// A text of n characters, in lines of `line` characters (0: one line).
QString sampleText(qsizetype n, int line)
{
    QString t;
    t.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        t += (line > 0 && i % line == line - 1) ? QChar(u'\n') : (i % 7 == 6) ? QChar(u' ') : QChar(char16_t(u'a' + i % 26));
    return t;
}

// The same text as the rich edit's RTF, a colour run every 200 characters.
QByteArray sampleRtf(const QString& text)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}\\f0\\fs20 ";
    rtf.reserve(text.size() * 11 / 10 + 100);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i % 200 == 0)
            rtf += (i / 200) % 2 ? "\\cf1 " : "\\cf0 ";
        if (text[i] == u'\n')
            rtf += "\\par\r\n";
        else
            rtf += char(text[i].unicode());
    }
    return rtf + "\\par}";
}

// Reading runs on a worker; what is left on the interface thread is putting
// the read document in the edit (a swap, then Qt's layout of the shown part
// in steps of its own) and storing it: its RTF and the core's repaint of the
// item, which lays out the whole text (linear, about 0.5 s per MiB here). The
// longest gap stays within three such stores and a quarter second, measured
// on the same machine at the same time so that a loaded machine scales both;
// reading on the interface thread, as before, took many times that.
qint64 storeMs(CCore& core, tagItemData* item, QTextEdit* edit)
{
    QElapsedTimer t;
    t.start();
    const QString rtf = controls::RichEditGetRtf(edit);
    EXPECT_FALSE(rtf.isEmpty());
    core.Paint(item);
    return t.elapsed();
}

qint64 maxGapMs(qint64 store)
{
    return 250 + 3 * store;
}

} // namespace

TEST_F(RichText, AnImportOverTheBoundIsRefusedWithTheMessageAndTheItemKept)
{
    load(panel, item);
    const QString before = stored();
    const QString shown = edit()->toPlainText();
    const QString txt = dir.filePath("huge.txt");
    writeFile(txt, sampleText(controls::kMaxRichTextChars + 1, 0).toLatin1());
    const QString rtf = dir.filePath("huge.rtf");
    writeFile(rtf, sampleRtf(sampleText(controls::kMaxRichTextChars + 1, 80)));
    for (const QString& path : {txt, rtf}) {
        seams.nextAnswer(QMessageBox::Ok);
        Heartbeat beat;
        QElapsedTimer t;
        t.start();
        EXPECT_FALSE(importFile(path));
        std::cout << "[ figures ] refused " << QFileInfo(path).size() << " bytes in " << t.elapsed()
                  << " ms, longest gap " << beat.gap() << " ms\n";
        if (support::kAnswerTimesChecked) {
            EXPECT_LT(beat.gap(), 250);   // nothing but the message on the interface thread
        }
        EXPECT_EQ(controls::MessageBox::lastText(),
                  QString("%1\nThe document holds more than 4194304 characters of text, more than any controller "
                          "can show. Nothing was imported.").arg(path));
        EXPECT_EQ(stored(), before);
        EXPECT_EQ(edit()->toPlainText(), shown);
    }
}

TEST_F(RichText, ALargeImportKeepsTheWindowAnsweringAndStoresTheWholeText)
{
    load(panel, item);
    for (const qsizetype size : {qsizetype(100 * 1024), qsizetype(1024 * 1024)}) {
        for (const bool asRtf : {false, true}) {
            const QString text = sampleText(size, asRtf ? 70 : 0);
            const QString path = dir.filePath(asRtf ? "big.rtf" : "big.txt");
            writeFile(path, asRtf ? sampleRtf(text) : text.toLatin1());
            Heartbeat beat;
            QElapsedTimer t;
            t.start();
            EXPECT_TRUE(importFile(path));
            const qint64 took = t.elapsed();
            const qint64 gap = beat.gap();
            std::cout << "[ figures ] " << (asRtf ? "RTF " : "TXT ") << QFileInfo(path).size() << " bytes: " << took
                      << " ms, longest gap " << gap << " ms\n";
            const qint64 store = storeMs(core, item, edit());
            std::cout << "[ figures ]   store and repaint " << store << " ms\n";
            if (support::kAnswerTimesChecked) {
                EXPECT_LT(gap, maxGapMs(store)) << size << (asRtf ? " rtf" : " txt");
            }
            EXPECT_EQ(storedPlain(stored()), text);
            EXPECT_EQ(item->Item.TypeRecordSize, 276u + 2u * std::uint32_t(stored().size()));
            // Typing at the end of the long line stays quick.
            QTextCursor c = edit()->textCursor();
            c.movePosition(QTextCursor::End);
            edit()->setTextCursor(c);
            Heartbeat typing;
            QTest::keyClicks(edit(), "xy");
            EXPECT_TRUE(storedPlain(stored()).endsWith("xy"));
        }
    }
}

TEST_F(RichText, ACancelledImportLeavesTheItemAsItWas)
{
    load(panel, item);
    const QString before = stored();
    const QString path = dir.filePath("long.rtf");
    writeFile(path, sampleRtf(sampleText(3 * 1024 * 1024, 90)));
    EXPECT_FALSE(imported([&] {
        panel->ImportFile(path);
        ASSERT_NE(panel->importProgress(), nullptr);
        auto* cancel = panel->importProgress()->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), "Cancel");
        cancel->click();
    }));
    EXPECT_FALSE(panel->isImporting());
    EXPECT_EQ(stored(), before);

    // The same read left to run shows its progress once it takes a second.
    QSignalSpy done(panel, &CPropertyText::importFinished);
    panel->ImportFile(path);
    QPointer<QProgressDialog> progress = panel->importProgress();
    ASSERT_TRUE(progress);
    if (QTest::qWaitFor([&] { return done.count() > 0 || (progress && progress->isVisible()); }, 30000) &&
        done.isEmpty()) {
        EXPECT_EQ(progress->labelText(), platform::langString(48332));
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() > 0; }, 30000));
        EXPECT_FALSE(done.first().first().toBool());
        EXPECT_EQ(stored(), before);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() > 0; }, 30000));
}

TEST_F(RichText, ALargePasteTakesTheImportRoad)
{
    load(panel, item);
    edit()->selectAll();
    edit()->textCursor().removeSelectedText();
    QTest::keyClicks(edit(), "<>");
    QTextCursor c = edit()->textCursor();
    c.setPosition(1);
    edit()->setTextCursor(c);
    const QString big = sampleText(controls::kLargePasteChars * 16, 50);
    QApplication::clipboard()->setText(big);
    Heartbeat beat;
    EXPECT_TRUE(imported([&] { edit()->paste(); }));
    std::cout << "[ figures ] paste of " << big.size() << " characters: longest gap " << beat.gap() << " ms\n";
    const qint64 store = storeMs(core, item, edit());
    if (support::kAnswerTimesChecked) {
        EXPECT_LT(beat.gap(), maxGapMs(store));
    }
    EXPECT_EQ(storedPlain(stored()).trimmed(), "<" + big + ">");

    const QString before = stored();
    QApplication::clipboard()->setText(QString(controls::kMaxRichTextChars, u'z'));
    seams.nextAnswer(QMessageBox::Ok);
    EXPECT_FALSE(imported([&] { edit()->paste(); }));
    EXPECT_EQ(controls::MessageBox::lastText(),
              "The pasted text would make more than 4194304 characters, more than any controller can show. "
              "Nothing was pasted.");
    EXPECT_EQ(stored(), before);
}

TEST_F(RichText, WrapTurnedOffStaysOffAfterASaveAndReload)
{
    const auto findText = [](tagItemData* n) {
        std::function<tagItemData*(tagItemData*)> walk = [&](tagItemData* p) -> tagItemData* {
            for (tagItemData* c = p->FirstChild; c; c = c->NextSibling) {
                if (c->Level == LEVEL_PROGRAM && c->Item.TypeCode == IT_TEXT)
                    return c;
                if (tagItemData* f = walk(c))
                    return f;
            }
            return nullptr;
        };
        return walk(n);
    };
    load(panel, item);
    auto* wrap = ctl<controls::CIconButton>(panel, CPropertyText::IdWrap);
    for (const int want : {1, 0}) {
        if (wrap->GetCheck() != want)
            click(wrap);
        ASSERT_EQ(item->Item.TypeRecord->get(rt::Wrap), want);
        const std::u16string file = dir.filePath(QStringLiteral("wrap%1.pl").arg(want)).toStdU16String();
        ASSERT_EQ(core.SavePL(screen, file.c_str()), 0);
        ASSERT_EQ(core.LoadPL(twinScreen, file.c_str()), 0);
        tagItemData* back = findText(twinScreen);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->Item.TypeRecord->get(rt::Wrap), want);
        load(panel, back);
        EXPECT_EQ(wrap->GetCheck(), want);
        EXPECT_EQ(edit()->lineWrapMode(), want ? QTextEdit::FixedPixelWidth : QTextEdit::NoWrap);
        load(panel, item);
    }
}
