// The message-box and file-dialog seams, and the test support for windows:
// modal runner, control lookup, language-pack scope, failing device.
#include "app/controls/ControlMessages.h"
#include "app/controls/MessageBox.h"
#include "support/FailDevice.h"
#include "support/LangPackScope.h"
#include "support/ModalRunner.h"
#include "support/SeamScope.h"
#include "support/Widgets.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QProcess>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

TEST(Seams, NextAnswerAndFileNameAreUsedOnceAndForgottenAfterTheTest)
{
    {
        support::SeamScope seams;
        seams.nextAnswer(QMessageBox::No);
        EXPECT_EQ(controls::MessageBox::question(nullptr, "t", "Delete it?"), QMessageBox::No);
        EXPECT_EQ(controls::MessageBox::lastText(), "Delete it?");
        seams.nextFileName("/tmp/a.prg");
        EXPECT_EQ(controls::FileDialog::getOpenFileName(nullptr), "/tmp/a.prg");
        seams.nextFileName(QString());   // a cancelled dialog
        EXPECT_TRUE(controls::FileDialog::getSaveFileName(nullptr).isNull());
        seams.nextFileNames({"a", "b"});
        EXPECT_EQ(controls::FileDialog::getOpenFileNames(nullptr), (QStringList{"a", "b"}));
        seams.nextDirectory("/srv");
        EXPECT_EQ(controls::FileDialog::getExistingDirectory(nullptr), "/srv");
        seams.nextAnswer(QMessageBox::Yes);   // left unused
    }
    // The unused answer is gone: the real box shows, and the runner answers it.
    support::ModalRunner run([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(controls::MessageBox::warning(nullptr, "t", "Really?", QMessageBox::Ok | QMessageBox::Cancel),
              QMessageBox::Cancel);
    EXPECT_TRUE(run.answered());
    EXPECT_EQ(run.answeredClass(), "QMessageBox");
}

TEST(Seams, AScopePutsBackEverySlotItFound)
{
    ASSERT_TRUE(spine::seams().filled().isEmpty());
    {
        support::SeamScope outer;
        outer->officeProgram = QStringLiteral("outer");
        {
            support::SeamScope inner;
            spine::Seams& s = spine::seams();
            inner.nextAnswer(QMessageBox::Yes);
            s.messageBox = [](const spine::MessageRequest&) { return QMessageBox::Ok; };
            inner.nextFileNames({"a"});
            inner.nextDirectory("/d");
            inner.nextFontCancelled();
            s.colourDialog = [](const QColor& c, QWidget*) { return std::optional<QColor>(c); };
            s.popupMenu = [](QMenu*, const QPoint&) { return static_cast<QAction*>(nullptr); };
            s.richEditPrompt = [](unsigned, const QString&) {};
            s.now = [] { return QDateTime(); };
            s.removableVolumes = [] { return QStringList(); };
            s.openUrl = [](const QString&) { return true; };
            s.officeProgram = QStringLiteral("inner");
            s.documentConverter = [](QObject*) { return nullptr; };
            s.spreadsheetSource = [](QObject*) { return nullptr; };
            s.wizardSearch = [](QWidget*, CCore&, tagItemData*) { return 1; };
            s.firmwareUpgrade = [](CCore&, tagItemData*, int, QWidget*) {};
            spine::FrameDialogs& f = inner.frame();
            f.runTask = [](QWidget*, const spine::TaskRequest&) { return 1; };
            const auto owner = [](QWidget*) { return 1; };
            const auto onScreen = [](QWidget*, tagItemData*) { return 1; };
            f.newScreen = f.searchScope = f.softwareSettings = f.wizard = f.bulkSend = owner;
            f.hardwareSettings = f.networkSettings = f.wifiSettings = onScreen;
            f.accessGate = [](int, QWidget*) { return true; };
            f.preview = [](QWidget*, tagItemData*, int, int) { return 1; };
            f.usbExport = [](QWidget*, tagItemData*, spine::UsbExportChoice&) { return 1; };
            f.startDetached = [](const QString&, const QStringList&) { return true; };
            const QStringList filled = s.filled();
            EXPECT_EQ(filled.size(), 29) << filled.join(u' ').toStdString();
            QStringList unique = filled;
            EXPECT_EQ(unique.removeDuplicates(), 0);
        }
        EXPECT_EQ(spine::seams().filled(), QStringList{"officeProgram"});
        EXPECT_EQ(spine::seams().officeProgram, QStringLiteral("outer"));
    }
    EXPECT_TRUE(spine::seams().filled().isEmpty());
}

// Run only by the test below, in a process of its own.
TEST(Seams, DISABLED_LeavesASlotFilled)
{
    spine::seams().openUrl = [](const QString&) { return true; };
}

TEST(Seams, ATestThatLeavesASlotFilledFails)
{
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_also_run_disabled_tests"),
               QStringLiteral("--gtest_filter=Seams.DISABLED_LeavesASlotFilled")});
    ASSERT_TRUE(run.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(run.readAll());
    EXPECT_NE(run.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("seams left filled"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("openUrl"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("[  FAILED  ] Seams.DISABLED_LeavesASlotFilled"))) << out.toStdString();
}

TEST(ModalRunner, AnswersARealDialogThroughItsControls)
{
    QDialog dlg;
    auto* edit = new QLineEdit(&dlg);
    controls::setControlId(edit, 1001);
    auto* ok = new QPushButton("OK", &dlg);
    ok->setObjectName("1");
    QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
    EXPECT_EQ(support::findByControlId<QLineEdit>(&dlg, 1001), edit);
    EXPECT_EQ(support::findByControlId<QPushButton>(&dlg, 1), ok);
    EXPECT_EQ(support::findByControlId(&dlg, 77), nullptr);

    support::ModalRunner run([](QWidget* d) {
        QTest::keyClicks(support::findByControlId<QLineEdit>(d, 1001), "abc");
        QTest::mouseClick(support::findByControlId<QPushButton>(d, 1), Qt::LeftButton);
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(edit->text(), "abc");
}

TEST(ModalRunner, ADialogLeftOpenFailsTheTestAndIsClosed)
{
    QDialog dlg;
    bool failed = false;
    {
        testing::TestPartResultArray results;
        {
            testing::ScopedFakeTestPartResultReporter reporter(
                testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
            support::ModalRunner run([](QWidget*) {}, 100);   // answers nothing
            EXPECT_EQ(dlg.exec(), QDialog::Rejected);
        }
        for (int i = 0; i < results.size(); ++i)
            failed |= std::string(results.GetTestPartResult(i).message()).find("still open") != std::string::npos;
    }
    EXPECT_TRUE(failed);
}

TEST(FailDevice, WritesFailOnceTheLimitIsReached)
{
    support::FailDevice dev(10);
    ASSERT_TRUE(dev.open(QIODevice::WriteOnly));
    EXPECT_EQ(dev.write("123456"), 6);
    EXPECT_EQ(dev.write("abcdef"), 4);   // cut short at the limit
    EXPECT_EQ(dev.write("x"), -1);
    EXPECT_EQ(dev.failures(), 1);
    EXPECT_FALSE(dev.errorString().isEmpty());
    EXPECT_EQ(dev.data(), QByteArray("123456abcd"));
    // A QDataStream writer sees the failure.
    support::FailDevice small(3);
    ASSERT_TRUE(small.open(QIODevice::WriteOnly));
    QDataStream out(&small);
    out << quint32(1) << quint32(2);
    EXPECT_NE(out.status(), QDataStream::Ok);
}

TEST(LangPackScope, PutsBackWhatItChanged)
{
    platform::setLangString(9101, "kept");
    {
        support::LangPackScope pack;
        pack.setString(9101, "changed");
        pack.setString(9102, "new");
        EXPECT_EQ(platform::langString(9101), "changed");
    }
    EXPECT_EQ(platform::langString(9101), "kept");
    EXPECT_TRUE(platform::langString(9102).isEmpty());
    {
        support::LangPackScope pack(support::LangPackScope::Start::Empty);
        EXPECT_TRUE(platform::langString(9101).isEmpty());
        pack.setToolBar(9103, platform::LangToolBar{16, 16, {1}});
    }
    EXPECT_FALSE(platform::langToolBar(9103).has_value());
    platform::setLangString(9101, QString());
}
