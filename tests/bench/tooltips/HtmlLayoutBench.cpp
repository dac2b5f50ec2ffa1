// Measuring and drawing HTML tips of growing size on real fonts.
#include "app/tooltips/HtmlDrawer.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace tooltips;

namespace {

QString paragraph(int words)
{
    QString s;
    for (int i = 0; i < words; ++i)
        s += (i % 7 == 3) ? QStringLiteral("<b>bold</b> ") : (i % 11 == 5) ? QStringLiteral("<a href=x>link</a> ")
                                                                            : QStringLiteral("word-%1 ").arg(i % 100);
    return s;
}

QString table(int rows)
{
    QString s = QStringLiteral("<table border=1 cellspacing=1>");
    for (int r = 0; r < rows; ++r)
        s += QStringLiteral("<tr><td>cell %1</td><td colspan=2>wide %1</td><td><b>x</b></td></tr>").arg(r);
    return s + QStringLiteral("</table>");
}

void measure(benchmark::State& state, const QString& text, int maxWidth)
{
    QImage img(1, 1, QImage::Format_ARGB32);
    QPainter p(&img);
    QPainterCanvas canvas(p);
    CHtmlDrawer d;
    d.setMaxWidth(maxWidth);
    for (auto _ : state)
        benchmark::DoNotOptimize(d.Measure(canvas, text));
    state.SetComplexityN(text.size());
}

void BM_MeasureParagraph(benchmark::State& state) { measure(state, paragraph(int(state.range(0))), 400); }
void BM_MeasureLongRun(benchmark::State& state) { measure(state, QString(int(state.range(0)), u'x'), 400); }
void BM_MeasureTable(benchmark::State& state) { measure(state, table(int(state.range(0))), 0); }

void BM_MeasureAndDrawTip(benchmark::State& state)
{
    const QString text = QStringLiteral("<b>Send</b> the programs to the <font color=red>screen</font>.<br>") + table(4);
    QImage img(400, 300, QImage::Format_ARGB32);
    for (auto _ : state) {
        img.fill(0xFFFFFFFFu);
        QPainter p(&img);
        QPainterCanvas canvas(p);
        CHtmlDrawer d;
        QSize s = d.Measure(canvas, text);
        d.Draw(canvas, QRect(QPoint(0, 0), s));
    }
}

} // namespace

BENCHMARK(BM_MeasureParagraph)->RangeMultiplier(4)->Range(64, 4096)->Complexity();
BENCHMARK(BM_MeasureLongRun)->RangeMultiplier(4)->Range(1024, 65536)->Complexity();
BENCHMARK(BM_MeasureTable)->RangeMultiplier(4)->Range(4, 256)->Complexity();
BENCHMARK(BM_MeasureAndDrawTip);
