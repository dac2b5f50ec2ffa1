// The table import past the conversion: reading a 100 x 30 flat spreadsheet
// and applying it to a grid.
#include "app/panels/import/FlatSheetReader.h"
#include "app/panels/import/SheetToGrid.h"
#include "grid/RealGrid.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray sheet100x30()
{
    QString doc = QStringLiteral(
        "<?xml version=\"1.0\"?><office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
        " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
        " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\">"
        "<office:automatic-styles><style:style style:name=\"b\" style:family=\"table-cell\"><style:table-cell-properties fo:border=\"0.74pt solid #000000\"/>"
        "<style:text-properties fo:font-weight=\"bold\"/></style:style></office:automatic-styles>"
        "<office:body><office:spreadsheet><table:table table:name=\"S\">");
    for (int r = 0; r < 100; ++r) {
        doc += QStringLiteral("<table:table-row>");
        for (int c = 0; c < 30; ++c)
            doc += QStringLiteral("<table:table-cell table:style-name=\"b\" office:value-type=\"float\" office:value=\"%1\"><text:p>%1</text:p></table:table-cell>")
                       .arg(r * 30 + c);
        doc += QStringLiteral("</table:table-row>");
    }
    doc += QStringLiteral("</table:table></office:spreadsheet></office:body></office:document>");
    return doc.toUtf8();
}

void BM_ReadFlatSheet100x30(benchmark::State& state)
{
    const QByteArray doc = sheet100x30();
    for (auto _ : state)
        benchmark::DoNotOptimize(panels::readFlatSpreadsheet(doc));
}
BENCHMARK(BM_ReadFlatSheet100x30)->Unit(benchmark::kMillisecond);

void BM_ApplySheet100x30(benchmark::State& state)
{
    const auto sheet = panels::readFlatSpreadsheet(sheet100x30());
    for (auto _ : state) {
        grid::CRealGrid g;
        g.ResetToDefault();
        panels::applySheetToGrid(*sheet, g);
        benchmark::DoNotOptimize(g.RowCount());
    }
}
BENCHMARK(BM_ApplySheet100x30)->Unit(benchmark::kMillisecond);

} // namespace
