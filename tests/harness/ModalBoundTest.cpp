// The helpers that answer modal dialogs never let a test hang: a dialog left
// open fails the test within the bound, saying what the dialog shows, and is
// closed so the test goes on.
#include "support/ModalRunner.h"
#include "support/ModalScript.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

// A dialog that waits for an answer nobody gives, like a task dialog that
// stays open after its job failed.
struct StuckDialog : QDialog {
    StuckDialog()
    {
        setWindowTitle(QStringLiteral("Sending"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QStringLiteral("Cannot reach the host"), this));
    }
};

} // namespace

TEST(ModalBound, AnUnansweredDialogFailsWithinItsBoundWithItsText)
{
    StuckDialog dialog;
    QElapsedTimer clock;
    clock.start();
    int result = QDialog::Accepted;
    QString failure;
    const auto run = [&] {
        support::ModalRunner runner([](QWidget*) {}, 300);   // answers nothing
        result = dialog.exec();
        failure = runner.failure();
    };
    EXPECT_NONFATAL_FAILURE(run(), "still open after 300 ms");
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(failure.contains(QStringLiteral("\"Sending\""))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("[Cannot reach the host]"))) << failure.toStdString();

    // execAnswered is bound the same way.
    EXPECT_NONFATAL_FAILURE(result = support::execAnswered(dialog, [](QWidget*) {}, 200),
                            "[Cannot reach the host]");
    EXPECT_EQ(result, QDialog::Rejected);

    // A dialog that should close by itself and never does.
    QStringList failures;
    const auto waitForSelfClose = [&] {
        support::ModalScript script(300);
        script.allow(QStringLiteral("QDialog"));
        result = dialog.exec();
        failures = script.failures();
    };
    EXPECT_NONFATAL_FAILURE(waitForSelfClose(), "still open after 300 ms");
    EXPECT_EQ(result, QDialog::Rejected);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("[Cannot reach the host]"))) << failures[0].toStdString();
}

TEST(ModalBound, ADialogThatNeverComesFailsWithinTheBound)
{
    QString failure;
    const auto run = [&] {
        support::ModalRunner runner([](QWidget*) {}, 200);
        QTest::qWait(400);
        failure = runner.failure();
    };
    EXPECT_NONFATAL_FAILURE(run(), "no modal dialog appeared within 200 ms");
    EXPECT_FALSE(failure.isEmpty());
}
