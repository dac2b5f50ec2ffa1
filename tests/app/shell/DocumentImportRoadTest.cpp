// A Chinese Word document imported through the real main window: its bold
// 28-point headings stand large and bold on the LED canvas and the cells of
// its table stand apart.
#include "FrameTestUtil.h"

#include "app/editor/SectionLed.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyText.h"
#include "app/spine/Messages.h"
#include "platform/MessageEvent.h"
#include "support/DocumentCorpus.h"
#include "support/Screenshots.h"
#include "support/SeamScope.h"
#include "support/Widgets.h"

#include <QAbstractButton>
#include <QFile>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace frametest;

namespace {

// The rows of the picture that hold lit LEDs, as runs [first, last].
QList<QPair<int, int>> litRows(const QImage& img)
{
    QList<QPair<int, int>> runs;
    for (int y = 0; y < img.height(); ++y) {
        bool lit = false;
        for (int x = 0; x < img.width() && !lit; ++x)
            lit = (img.pixel(x, y) & 0xFFFFFF) != 0;
        if (lit && (runs.isEmpty() || runs.last().second != y - 1))
            runs.append({y, y});
        else if (lit)
            runs.last().second = y;
    }
    return runs;
}

// The columns of a band of rows that hold lit LEDs, as runs [first, last];
// runs closer than `gap` join.
QList<QPair<int, int>> litColumns(const QImage& img, int top, int bottom, int gap)
{
    QList<QPair<int, int>> runs;
    for (int x = 0; x < img.width(); ++x) {
        bool lit = false;
        for (int y = top; y <= bottom && !lit; ++y)
            lit = (img.pixel(x, y) & 0xFFFFFF) != 0;
        if (!lit)
            continue;
        if (!runs.isEmpty() && x - runs.last().second <= gap)
            runs.last().second = x;
        else
            runs.append({x, x});
    }
    return runs;
}

// Lit LEDs in a band: bold strokes light more of them.
int litIn(const QImage& img, int top, int bottom)
{
    int n = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) != 0;
    return n;
}

} // namespace

class DocumentImportRoad : public ::testing::TestWithParam<const char*> {};

TEST_P(DocumentImportRoad, AChineseWordDocumentShowsBoldHeadingsAndCellsApart)
{
    ASSERT_FALSE(support::officeProgram().isEmpty())
        << "LibreOffice (soffice) is not installed; scripts/setup.sh installs it";
    const QString lang = QString::fromLatin1(GetParam());
    FrameHarness h(lang == u"cn" ? "UI_CN.rcc" : "UI_EN.rcc");
    support::SeamScope seams;
    const QString source = h.dir.filePath(QStringLiteral("report.fodt"));
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(support::chineseReport());
    }
    QString log;
    ASSERT_TRUE(support::convertWithOffice(h.dir.path(), {source}, QStringLiteral("doc"), h.dir.path(), &log))
        << log.toStdString();
    const QString doc = h.dir.filePath(QStringLiteral("report.doc"));

    // A screen of 384 x 192 LEDs whose starter program holds a text window.
    tagItemData* header = h.core.CreateItemHeader();
    tagItemData* screen = h.core.AddItem(IT_SCREEN, u"report", header, nullptr);
    screen->Global.Width = 384;
    screen->Global.Height = 192;
    platform::sendMessage(h.frame.get(), spine::WM_WIZARD_FINISH, reinterpret_cast<platform::WPARAM>(screen), 1);
    ASSERT_TRUE(screen->FirstChild && screen->FirstChild->FirstChild);
    tagItemData* window = screen->FirstChild->FirstChild;
    tagItemData* text = window->FirstChild;
    ASSERT_NE(text, nullptr);
    h.frame->resize(1400, 900);
    h.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
    ASSERT_TRUE(h.list()->SelectNode(window));   // a text window shows its text's panel
    QCoreApplication::processEvents();

    auto* pane = h.frame->PropertyPane()->findChild<panels::CPanelProperty*>();
    ASSERT_NE(pane, nullptr);
    auto* panel = qobject_cast<panels::CPropertyText*>(pane->windowPage()->currentMain());
    ASSERT_NE(panel, nullptr);
    QSignalSpy done(panel, &panels::CPropertyText::importFinished);
    seams.nextFileName(doc);
    auto* open = support::findByControlId<QAbstractButton>(panel, panels::CPropertyText::IdImport);
    ASSERT_NE(open, nullptr);
    QTest::mouseClick(open, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() > 0; }, 120000));
    ASSERT_TRUE(done.first().first().toBool());
    QCoreApplication::processEvents();

    editor::CScreenLed* canvas = h.frame->FindItemWindow(screen);
    ASSERT_NE(canvas, nullptr);
    editor::CSectionLed* led = canvas->sectionCanvas(window);
    ASSERT_NE(led, nullptr);
    const QImage shown = led->content().convertToFormat(QImage::Format_RGB32);
    // The screen's window as large as the frame lets it be, for the picture.
    for (QWidget* w = canvas; w; w = w->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) {
            sub->showMaximized();
            break;
        }
    QCoreApplication::processEvents();
    EXPECT_TRUE(support::saveScreenshot(*h.frame, QStringLiteral("shell"), QStringLiteral("doc_import_") + lang));
    EXPECT_TRUE(support::saveScreenshot(*canvas, QStringLiteral("shell"), QStringLiteral("doc_import_canvas_") + lang));

    // Lines: the heading, the sentence, three table rows (and more below).
    const QList<QPair<int, int>> rows = litRows(shown);
    ASSERT_GE(rows.size(), 5) << "lines on the canvas";
    const int headingHeight = rows[0].second - rows[0].first + 1;
    const int bodyHeight = rows[1].second - rows[1].first + 1;
    EXPECT_GE(headingHeight, 2 * bodyHeight) << "a 28-point heading over 12-point text";
    EXPECT_GE(headingHeight, 30);
    // Bold: the heading's four characters light more than twice the LEDs
    // that four regular characters of the sentence would at its size.
    const QList<QPair<int, int>> headingGlyphs = litColumns(shown, rows[0].first, rows[0].second, 2);
    ASSERT_FALSE(headingGlyphs.isEmpty());
    const int headingWidth = headingGlyphs.last().second - headingGlyphs.first().first + 1;
    const double headingDensity = double(litIn(shown, rows[0].first, rows[0].second)) / (headingWidth * headingHeight);
    const QList<QPair<int, int>> bodyGlyphs = litColumns(shown, rows[1].first, rows[1].second, 2);
    const int bodyWidth = bodyGlyphs.last().second - bodyGlyphs.first().first + 1;
    const double bodyDensity = double(litIn(shown, rows[1].first, rows[1].second)) / (bodyWidth * bodyHeight);
    EXPECT_GT(headingDensity, bodyDensity * 1.15) << "bold strokes";
    // Each table row stands in three cells, each starting at its column.
    for (int r = 2; r < 5; ++r) {
        const QList<QPair<int, int>> cells = litColumns(shown, rows[r].first, rows[r].second, 12);
        EXPECT_EQ(cells.size(), 3) << "row " << r - 1;
        for (int c = 1; c < cells.size(); ++c)
            EXPECT_GE(cells[c].first - cells[c - 1].second, 20) << "row " << r - 1 << " cell " << c;
    }
    h.core.DeleteItem(header);
}

INSTANTIATE_TEST_SUITE_P(EachLanguage, DocumentImportRoad, ::testing::Values("en", "cn"));
