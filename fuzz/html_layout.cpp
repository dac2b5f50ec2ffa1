// The HTML tooltip engine: text preparation, the style-sheet reader and both
// layout passes, on a canvas with fixed metrics. The first byte picks the
// options (maximum width, newline conversion, colours, an own style sheet that
// runs up to the first NUL). Whatever the markup, the measured size is never
// negative, a text that measures nothing draws nothing, and the passes give
// the same result every time (nothing depends on memory left uninitialised).
#define FUZZ_WITH_QT_APP
#include "app/tooltips/HtmlDrawer.h"
#include "fuzz/FuzzCheck.h"
#include "tests/app/tooltips/FakeCanvas.h"

#include <QImage>

#include <cstring>

using namespace tooltips;
using testing_tooltips::FakeCanvas;

namespace {

struct Options {
    int maxWidth = 0;
    bool newlines = true;
    bool colours = true;
    bool ownSheet = false;
};

struct Outcome {
    QSize size;
    QString prepared;
    std::size_t lines = 0, tables = 0, links = 0;
    FakeCanvas drawn;
};

Outcome run(const Options& o, const QString& sheet, const QString& text)
{
    static const QImage strip = [] {
        QImage s(48, 16, QImage::Format_RGB32);
        s.fill(0x00FF00u);
        return s;
    }();
    Outcome out;
    CHtmlDrawer d;
    d.registerHandle(1, strip);
    d.setImageList(strip);
    d.setMaxWidth(o.maxWidth);
    d.setNewlineConversion(o.newlines);
    d.setColoursEnabled(o.colours);
    if (o.ownSheet)
        d.SetStyleSheet(sheet);
    FakeCanvas measure;
    out.size = d.Measure(measure, text);
    out.prepared = d.preparedText();
    d.Draw(out.drawn, QRect(QPoint(0, 0), out.size));
    out.lines = d.lines().size();
    out.tables = d.tables().size();
    out.links = d.linkAreas().size();
    return out;
}

bool sameDrawing(const FakeCanvas& a, const FakeCanvas& b)
{
    if (a.texts.size() != b.texts.size() || a.lines.size() != b.lines.size() || a.frames.size() != b.frames.size()
        || a.fills.size() != b.fills.size() || a.images.size() != b.images.size() || a.tiles != b.tiles)
        return false;
    for (std::size_t i = 0; i < a.texts.size(); ++i) {
        const auto &x = a.texts[i], &y = b.texts[i];
        if (x.x != y.x || x.top != y.top || x.text != y.text || x.font.size != y.font.size)
            return false;
    }
    for (std::size_t i = 0; i < a.images.size(); ++i)
        if (a.images[i].r != b.images[i].r || a.images[i].frameIndex != b.images[i].frameIndex)
            return false;
    for (std::size_t i = 0; i < a.frames.size(); ++i)
        if (a.frames[i].r != b.frames[i].r)
            return false;
    return true;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    static const int kWidths[] = {0, 0, 1, 37, 120, 400, 2000, 0};
    Options o;
    o.maxWidth = kWidths[data[0] & 7];
    o.newlines = !(data[0] & 0x08);
    o.colours = !(data[0] & 0x10);
    o.ownSheet = data[0] & 0x20;

    const char* rest = reinterpret_cast<const char*>(data + 1);
    const std::size_t restSize = size - 1;
    QString sheet, text;
    if (o.ownSheet) {
        const void* nul = std::memchr(rest, 0, restSize);
        const std::size_t sheetSize = nul ? std::size_t(static_cast<const char*>(nul) - rest) : restSize;
        sheet = QString::fromUtf8(rest, qsizetype(sheetSize));
        const std::size_t from = nul ? sheetSize + 1 : restSize;
        text = QString::fromUtf8(rest + from, qsizetype(restSize - from));
    } else {
        text = QString::fromUtf8(rest, qsizetype(restSize));
    }

    const Outcome a = run(o, sheet, text);
    FUZZ_CHECK(a.size.width() >= 0 && a.size.height() >= 0, "a measured size is never negative");
    FUZZ_CHECK((a.size.width() == 0) == (a.size.height() == 0), "nothing to draw measures (0, 0)");
    if (a.size.isEmpty())
        FUZZ_CHECK(a.drawn.texts.empty(), "a text that measures nothing draws nothing");

    const Outcome b = run(o, sheet, text);
    FUZZ_CHECK(a.size == b.size && a.prepared == b.prepared, "measuring is repeatable");
    FUZZ_CHECK(a.lines == b.lines && a.tables == b.tables && a.links == b.links, "the passes record the same");
    FUZZ_CHECK(sameDrawing(a.drawn, b.drawn), "drawing is repeatable");
    return 0;
}
