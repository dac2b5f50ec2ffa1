// Document and workbook import through the office program: real conversions
// (the test makes its .doc and .xls with the office program itself), the
// failure messages, and the clean-up of a conversion that does not finish.
#include "SheetFixtures.h"
#include "app/panels/import/DocumentConverter.h"
#include "app/panels/import/FlatSheetReader.h"
#include "app/panels/import/SheetToGrid.h"
#include "app/panels/import/SpreadsheetSource.h"
#include "grid/RealGrid.h"
#include "support/HostilePaths.h"
#include "support/LangPackScope.h"
#include "support/SeamScope.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>
#include <csignal>

using namespace panels;

namespace {

bool haveOffice() { return !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty(); }

// Converts with the office program directly, as a user's other tools would.
QString makeWithOffice(const QTemporaryDir& dir, const QString& source, const QString& format)
{
    QProcess p;
    p.start(QStringLiteral("soffice"),
            {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(dir.filePath(QStringLiteral("fixture-profile"))).toString(),
             QStringLiteral("--headless"), QStringLiteral("--convert-to"), format, QStringLiteral("--outdir"),
             dir.path(), source});
    p.waitForFinished(120000);
    const QString out = dir.filePath(QFileInfo(source).completeBaseName() + QLatin1Char('.') + format);
    return QFileInfo::exists(out) ? out : QString();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct ProgramScope {
    explicit ProgramScope(const QString& p) { seams->officeProgram = p; }
    support::SeamScope seams;
};

} // namespace

TEST(OfficeImport, ConvertsAWordDocumentToRtf)
{
    if (!haveOffice())
        GTEST_SKIP() << "no office program on this machine";
    QTemporaryDir dir;
    const QString rtf = dir.filePath(QStringLiteral("letter.rtf"));
    writeFile(rtf, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Hello {\\b bold} world\\par}");
    const QString doc = makeWithOffice(dir, rtf, QStringLiteral("doc"));
    ASSERT_FALSE(doc.isEmpty());

    OfficeDocumentConverter converter;
    QSignalSpy done(&converter, &DocumentConverter::converted);
    QSignalSpy failed(&converter, &DocumentConverter::failed);
    converter.convert(doc);
    const QString work = converter.conversion().workFolder();
    EXPECT_TRUE(QFileInfo::exists(work));
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() + failed.count() > 0; }, 120000));
    ASSERT_EQ(done.count(), 1) << (failed.isEmpty() ? "" : failed.first().first().toString().toStdString());
    const QByteArray out = done.first().first().toByteArray();
    EXPECT_TRUE(out.startsWith("{\\rtf"));
    EXPECT_TRUE(out.contains("Hello"));
    EXPECT_TRUE(out.contains("world"));
    EXPECT_FALSE(QFileInfo::exists(work)); // the temporary folder is gone
}

TEST(OfficeImport, ReadsAWorkbookWithEveryProperty)
{
    if (!haveOffice())
        GTEST_SKIP() << "no office program on this machine";
    QTemporaryDir dir;
    const QString fods = dir.filePath(QStringLiteral("book.fods"));
    writeFile(fods, sheetfixtures::richSheet());
    const QString xls = makeWithOffice(dir, fods, QStringLiteral("xls"));
    ASSERT_FALSE(xls.isEmpty());

    OfficeSpreadsheetSource source;
    QSignalSpy loaded(&source, &SpreadsheetSource::loaded);
    QSignalSpy failed(&source, &SpreadsheetSource::failed);
    SheetData sheet;
    QObject::connect(&source, &SpreadsheetSource::loaded, [&](const SheetData& s) { sheet = s; });
    source.open(xls);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() + failed.count() > 0; }, 120000));
    ASSERT_EQ(loaded.count(), 1);
    ASSERT_EQ(sheet.rows, 3);
    ASSERT_EQ(sheet.columns, 3);
    const SheetCell& title = sheet.at(0, 0);
    EXPECT_EQ(title.text, u"Title");
    EXPECT_EQ(title.rowSpan, 2);
    EXPECT_EQ(title.colSpan, 2);
    EXPECT_TRUE(title.font.bold);
    EXPECT_EQ(title.align, SheetAlign::Centre);
    EXPECT_EQ(title.top, SheetLine::Continuous);
    EXPECT_EQ(title.right, SheetLine::Continuous);
    const SheetCell& number = sheet.at(2, 0);
    EXPECT_EQ(sheetCellText(number), u"1234");
    EXPECT_TRUE(number.font.italic);
    EXPECT_EQ(int(number.font.size), 14);
    EXPECT_EQ(number.align, SheetAlign::Right);
    EXPECT_EQ(sheet.at(2, 1).align, SheetAlign::Left);
    // The workbook format keeps the line under it (not its double look).
    EXPECT_NE(sheet.at(2, 1).bottom, SheetLine::None);
    EXPECT_TRUE(sheet.at(0, 2).font.underline);
    EXPECT_TRUE(sheet.at(0, 2).font.strikeOut);
    EXPECT_NEAR(sheet.rowHeights[0], 30.0, 0.5);
    EXPECT_NEAR(sheet.columnWidths[0], pointsToCharacters(3 * 72 / 2.54), 0.3);
    EXPECT_NEAR(sheet.columnWidths[2], pointsToCharacters(72), 0.3);

    grid::CRealGrid g;
    g.ResetToDefault();
    QElapsedTimer applyClock;
    applyClock.start();
    applySheetToGrid(sheet, g);
    std::printf("[ figures ] conversion %lld ms, reading %lld ms, applying %lld ms\n",
                static_cast<long long>(source.conversionMs()), static_cast<long long>(source.readMs()),
                static_cast<long long>(applyClock.elapsed()));
    EXPECT_EQ(g.GetCellText(1, 1), u"Title");
    EXPECT_TRUE(g.IsMergeAnchor(1, 1));
}

TEST(OfficeImport, AFileTheOfficeProgramCannotReadSaysSo)
{
    if (!haveOffice())
        GTEST_SKIP() << "no office program on this machine";
    support::LangPackScope pack;
    pack.setString(48300, QStringLiteral("%1\nno workbook"));
    pack.setString(48301, QStringLiteral("%1\nno document"));
    QTemporaryDir dir;
    const QByteArray damaged = QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8) + QByteArray(4096, '\x01');
    const QString bad = dir.filePath(QStringLiteral("broken.xls"));
    writeFile(bad, damaged);
    OfficeSpreadsheetSource source;
    QSignalSpy loaded(&source, &SpreadsheetSource::loaded);
    QSignalSpy failed(&source, &SpreadsheetSource::failed);
    source.open(bad);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() + failed.count() > 0; }, 120000));
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.first().first().toString(), bad + QStringLiteral("\nno workbook"));

    const QString badDoc = dir.filePath(QStringLiteral("broken.doc"));
    writeFile(badDoc, damaged);
    OfficeDocumentConverter doc;
    QSignalSpy converted(&doc, &DocumentConverter::converted);
    QSignalSpy docFailed(&doc, &DocumentConverter::failed);
    doc.convert(badDoc);
    ASSERT_TRUE(QTest::qWaitFor([&] { return converted.count() + docFailed.count() > 0; }, 120000));
    ASSERT_EQ(docFailed.count(), 1);
    EXPECT_EQ(docFailed.first().first().toString(), badDoc + QStringLiteral("\nno document"));
}

TEST(OfficeImport, AMissingOfficeProgramGivesEachMessage)
{
    ProgramScope program(QStringLiteral("/nonexistent/soffice"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.doc"));
    writeFile(file, "x");
    OfficeDocumentConverter doc;
    QSignalSpy docFailed(&doc, &DocumentConverter::failed);
    doc.convert(file);
    EXPECT_TRUE(docFailed.isEmpty()); // never from inside the call
    ASSERT_TRUE(docFailed.wait(5000));
    EXPECT_EQ(docFailed.first().first().toString(), u"Can not start word sever!");

    const QString book = dir.filePath(QStringLiteral("a.xls"));
    writeFile(book, "x");
    OfficeSpreadsheetSource sheet;
    QSignalSpy sheetFailed(&sheet, &SpreadsheetSource::failed);
    sheet.open(book);
    ASSERT_TRUE(sheetFailed.wait(5000));
    EXPECT_EQ(sheetFailed.first().first().toString(), u"can not start excel sever!");
}

TEST(OfficeImport, AConversionThatFailsPartWayLeavesNoProcessOrFiles)
{
    // A stand-in that starts a child, writes part of its output and hangs.
    QTemporaryDir dir;
    const QString fake = dir.filePath(QStringLiteral("fake-office"));
    writeFile(fake, "#!/bin/sh\nfor a; do out=$a; done\nsleep 60 &\necho $! > \"$(dirname \"$out\")/child.pid\"\n"
                    "echo partial > \"$(dirname \"$out\")/out/source.fods\"\nwait\n");
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ProgramScope program(fake);
    const QString book = dir.filePath(QStringLiteral("book.xls"));
    writeFile(book, "x");

    OfficeSpreadsheetSource source;
    source.conversion().setTimeout(300);
    QSignalSpy failed(&source, &SpreadsheetSource::failed);
    source.open(book);
    const QString work = source.conversion().workFolder();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(work + QStringLiteral("/child.pid")); }, 5000));
    QFile pidFile(work + QStringLiteral("/child.pid"));
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const pid_t child = pid_t(pidFile.readAll().trimmed().toInt());
    pidFile.close();
    ASSERT_GT(child, 0);
    ASSERT_TRUE(failed.wait(5000));
    // The program ran but made nothing of the file in time: too large or
    // too complex, not damaged.
    EXPECT_EQ(failed.first().first().toString(), spreadsheetTimedOutError(book));
    EXPECT_FALSE(QFileInfo::exists(work));
    EXPECT_FALSE(source.conversion().isRunning());
    // The whole chain ended, the child of the program included.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(child, 0) != 0; }, 3000));

    // Dropping a running conversion cleans up the same way, and says nothing.
    source.conversion().setTimeout(60000);
    QSignalSpy again(&source, &SpreadsheetSource::failed);
    source.open(book);
    const QString work2 = source.conversion().workFolder();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(work2 + QStringLiteral("/child.pid")); }, 5000));
    source.cancel();
    EXPECT_FALSE(QFileInfo::exists(work2));
    QTest::qWait(50);
    EXPECT_TRUE(again.isEmpty());
}

TEST(OfficeImport, AConversionPastTheTimeOutSaysItTookTooLong)
{
    support::LangPackScope pack;
    pack.setString(48343, QStringLiteral("%1\ntoo long"));
    QTemporaryDir dir;
    const QString fake = dir.filePath(QStringLiteral("slow-office"));
    writeFile(fake, "#!/bin/sh\nexec sleep 60\n");
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ProgramScope program(fake);
    const QString doc = dir.filePath(QStringLiteral("large.doc"));
    writeFile(doc, QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8) + QByteArray(1 << 20, '\0'));
    OfficeDocumentConverter converter;
    converter.conversion().setTimeout(300);
    QSignalSpy failed(&converter, &DocumentConverter::failed);
    converter.convert(doc);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.first().first().toString(), doc + QStringLiteral("\ntoo long"));
    EXPECT_FALSE(converter.conversion().isRunning());
}

TEST(OfficeImport, WhatIsNoFileIsRefusedBeforeTheOfficeProgramRuns)
{
    support::LangPackScope pack;
    pack.setString(48340, QStringLiteral("%1\nnot a file"));
    pack.setString(48341, QStringLiteral("%1\nlarger than %2 MB"));
    QTemporaryDir dir;
    // Would fail the test if it ran: nothing may reach it.
    const QString fake = dir.filePath(QStringLiteral("never-office"));
    writeFile(fake, "#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n");
    QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ProgramScope program(fake);
    const int threads = support::processThreadCount();
    for (const char* name : {"chosen.doc", "chosen.xls"}) {
        support::HostilePaths hostile(dir.filePath(QString::fromLatin1(name)), QString::fromLatin1(name));
        ASSERT_TRUE(hostile.ready());
        const bool isDoc = QByteArray(name).endsWith(".doc");
        for (const auto& c : hostile.cases()) {
            SCOPED_TRACE(c.what);
            OfficeDocumentConverter converter;
            OfficeSpreadsheetSource source;
            QSignalSpy failed(isDoc ? static_cast<QObject*>(&converter) : &source,
                              isDoc ? SIGNAL(failed(QString)) : SIGNAL(failed(QString)));
            QElapsedTimer t;
            t.start();
            isDoc ? converter.convert(c.path) : source.open(c.path);
            const bool inTime = QTest::qWaitFor([&] { return !failed.isEmpty(); }, int(support::kRefusalBound.count()));
            if (!inTime)
                hostile.release();
            ASSERT_TRUE(inTime || failed.wait(5000));
            EXPECT_TRUE(inTime);
            EXPECT_EQ(failed.first().first().toString(), c.path + QStringLiteral("\nnot a file"));
            EXPECT_FALSE((isDoc ? converter.conversion() : source.conversion()).isRunning());
        }
    }
    // Larger than any document: refused unread (sparse, no disk spent).
    const QString huge = dir.filePath(QStringLiteral("huge.doc"));
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(kMaxOfficeFileBytes + 1));
    }
    OfficeDocumentConverter converter;
    QSignalSpy failed(&converter, &DocumentConverter::failed);
    converter.convert(huge);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.first().first().toString(), huge + QStringLiteral("\nlarger than 256 MB"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("ran"))));
    EXPECT_TRUE(QTest::qWaitFor([&] { return support::processThreadCount() <= threads; }, 1000));
}

TEST(OfficeImport, DocumentsAndWorkbooksAreReadByTheirContentNotTheirName)
{
    if (!haveOffice())
        GTEST_SKIP() << "no office program on this machine";
    QTemporaryDir dir;
    const QString fods = dir.filePath(QStringLiteral("book.fods"));
    writeFile(fods, sheetfixtures::richSheet());
    const QString rtf = dir.filePath(QStringLiteral("letter.rtf"));
    writeFile(rtf, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Named {\\b otherwise}\\par}");
    for (const QString& format : {QStringLiteral("ods"), QStringLiteral("xlsx")}) {
        SCOPED_TRACE(format.toStdString());
        const QString made = makeWithOffice(dir, fods, format);
        ASSERT_FALSE(made.isEmpty());
        const QString named = dir.filePath(QStringLiteral("book-") + format + QStringLiteral(".xls"));
        ASSERT_TRUE(QFile::rename(made, named));
        OfficeSpreadsheetSource source;
        QSignalSpy loaded(&source, &SpreadsheetSource::loaded);
        QSignalSpy failed(&source, &SpreadsheetSource::failed);
        SheetData sheet;
        QObject::connect(&source, &SpreadsheetSource::loaded, [&](const SheetData& s) { sheet = s; });
        source.open(named);
        ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() + failed.count() > 0; }, 120000));
        ASSERT_EQ(loaded.count(), 1) << (failed.isEmpty() ? "" : failed.first().first().toString().toStdString());
        EXPECT_EQ(sheet.at(0, 0).text, u"Title");
    }
    for (const QString& format : {QStringLiteral("odt"), QStringLiteral("docx")}) {
        SCOPED_TRACE(format.toStdString());
        const QString made = makeWithOffice(dir, rtf, format);
        ASSERT_FALSE(made.isEmpty());
        const QString named = dir.filePath(QStringLiteral("letter-") + format + QStringLiteral(".doc"));
        ASSERT_TRUE(QFile::rename(made, named));
        OfficeDocumentConverter converter;
        QSignalSpy done(&converter, &DocumentConverter::converted);
        QSignalSpy failed(&converter, &DocumentConverter::failed);
        converter.convert(named);
        ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() + failed.count() > 0; }, 120000));
        ASSERT_EQ(done.count(), 1) << (failed.isEmpty() ? "" : failed.first().first().toString().toStdString());
        EXPECT_TRUE(done.first().first().toByteArray().contains("otherwise"));
    }
    // Text named as a workbook stays refused: it is no workbook.
    const QString text = dir.filePath(QStringLiteral("notes.xls"));
    writeFile(text, "a,b\n1,2\n");
    OfficeSpreadsheetSource source;
    QSignalSpy failed(&source, &SpreadsheetSource::failed);
    source.open(text);
    ASSERT_TRUE(failed.wait(120000));
    EXPECT_EQ(failed.first().first().toString(), spreadsheetUnreadableError(text));
}
