// The message-box and file-dialog seams, and the test support for windows:
// modal runner, control lookup, language-pack scope, failing device.
#include "app/controls/ControlMessages.h"
#include "app/controls/MessageBox.h"
#include "support/FailDevice.h"
#include "support/LangPackScope.h"
#include "support/ModalRunner.h"
#include "support/Seams.h"
#include "support/Widgets.h"

#include <QDataStream>
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
