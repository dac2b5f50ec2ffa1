#include "TestHelpers.h"

#include <QTest>
#include "app/controls/PropertyPanel.h"
#include "platform/LangPack.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QPainter>
#include <gtest/gtest.h>

using namespace controls;
using namespace testing_controls;

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

TEST(ModelessDialog, ReturnAndEscapeNeverEndTheSurroundingDialog)
{
    QDialog dlg;
    auto* lay = new QVBoxLayout(&dlg);
    auto* panel = new CModelessDialog;
    auto* inner = new QVBoxLayout(panel);
    auto* line = new QLineEdit;
    auto* multi = new QTextEdit;
    inner->addWidget(line);
    inner->addWidget(multi);
    lay->addWidget(panel);
    auto* ok = new QPushButton("OK");
    ok->setDefault(true);
    lay->addWidget(ok);
    int accepted = 0, rejected = 0;
    QObject::connect(&dlg, &QDialog::accepted, [&] { ++accepted; });
    QObject::connect(&dlg, &QDialog::rejected, [&] { ++rejected; });
    dlg.show();

    QTest::keyClick(line, Qt::Key_Return);
    QTest::keyClick(line, Qt::Key_Escape);
    multi->setFocus();
    QTest::keyClicks(multi, "a");
    QTest::keyClick(multi, Qt::Key_Return);
    QTest::keyClicks(multi, "b");
    QTest::keyClick(multi, Qt::Key_Escape);

    EXPECT_EQ(accepted, 0);
    EXPECT_EQ(rejected, 0);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(multi->toPlainText(), "a\nb");
}

TEST(ModelessDialog, CreateSetsParentAndTemplate)
{
    QWidget host;
    CModelessDialog d;
    EXPECT_TRUE(d.Create(6027, &host));
    EXPECT_EQ(d.parentWidget(), &host);
    EXPECT_EQ(d.templateId(), 6027u);
}

TEST(PropertyPanel, TitleRedrawsOnlyWhenChanged)
{
    CPropertyPanel panel(6100);
    panel.resize(200, 80);
    panel.show();
    QCoreApplication::processEvents();
    PaintCounter counter;
    panel.installEventFilter(&counter);

    panel.SetTitle("Text", true);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    panel.SetTitle("Text", true);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    panel.SetTitle("text", true); // case counts
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 2);
    EXPECT_EQ(panel.title(), "text");
}

TEST(PropertyPanel, TitleFromLanguagePack)
{
    platform::clearLangPack();
    CPropertyPanel panel(6100);
    panel.SetTitle("old", false);
    panel.SetItemTextFromResource(48245, false);
    EXPECT_EQ(panel.title(), "");
    platform::setLangString(48246, "Picture");
    panel.SetTitleFromResource(48246, true);
    EXPECT_EQ(panel.title(), "Picture");
    platform::clearLangPack();
}

TEST(PropertyPanel, DrawsGradientTitleAndFrame)
{
    CPropertyPanel panel(6100);
    panel.resize(120, 60);
    QPalette pal = panel.palette();
    pal.setColor(QPalette::Window, QColor(10, 20, 30));
    panel.setPalette(pal);
    panel.setAutoFillBackground(true);
    QImage img = panel.grab().toImage();
    // grey 255 - 3y per row; row 0 lies under the frame
    EXPECT_EQ(img.pixel(60, 0), qRgb(223, 223, 223));
    EXPECT_EQ(img.pixel(60, 1), qRgb(252, 252, 252));
    EXPECT_EQ(img.pixel(60, 19), qRgb(198, 198, 198));
    EXPECT_EQ(img.pixel(60, 10), qRgb(225, 225, 225));
    // frame colour on every side, the dialog's own background inside
    EXPECT_EQ(img.pixel(0, 40), qRgb(223, 223, 223));
    EXPECT_EQ(img.pixel(119, 40), qRgb(223, 223, 223));
    EXPECT_EQ(img.pixel(60, 59), qRgb(223, 223, 223));
    EXPECT_EQ(img.pixel(60, 40), qRgb(10, 20, 30));
}

TEST(PropertyPanel, ZeroSizePaintsNothing)
{
    CPropertyPanel panel(6100);
    panel.resize(0, 0);
    panel.SetTitle("x", true);
    QImage img(1, 1, QImage::Format_RGB32);
    img.fill(Qt::blue);
    panel.render(&img);
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 255));
    // The title bar of a degenerate client area draws nothing around it
    // (a widget's own rendering would clip it away, so draw it directly).
    for (QRect client : {QRect(10, 10, 0, 30), QRect(10, 10, 30, 0), QRect(10, 10, 0, 0)}) {
        QImage canvas(60, 60, QImage::Format_RGB32);
        canvas.fill(Qt::blue);
        {
            QPainter p(&canvas);
            CPropertyPanel::drawTitleBar(p, client, "title", QFont(), 0, 0xDFDFDF);
        }
        int changed = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                changed += canvas.pixel(x, y) != qRgb(0, 0, 255);
        EXPECT_EQ(changed, 0) << client.width() << "x" << client.height();
    }
}
