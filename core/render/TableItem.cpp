#include "core/render/TableItem.h"

#include "core/model/ItemData.h"
#include "grid/GridPainter.h"

#include <QPainter>

using namespace sorvane::model;

namespace sorvane::render {

namespace {

void Render(grid::CRealGrid& g, TableItemPicture& out)
{
    const grid::PixelRect extent = grid::GridGeometry(g).DataExtent();
    out.contentWidth = extent.Width();
    out.contentHeight = extent.Height();
    if (out.contentWidth <= 0 || out.contentHeight <= 0)
        return;
    // No bigger than any preview: the item shows what its size allows.
    if (std::int64_t(out.contentWidth) * out.contentHeight > MAX_PREVIEW_PIXELS)
        return;
    out.image = QImage(out.contentWidth, out.contentHeight, QImage::Format_RGB32);
    if (out.image.isNull())
        return;
    out.image.fill(Qt::black);
    QPainter p(&out.image);
    grid::RenderData(g, p);
}

} // namespace

TableItemPicture RenderTableItem(std::span<const std::uint8_t> stream) noexcept
{
    TableItemPicture out;
    try {
        grid::CRealGrid g;
        if (stream.size() <= 4 || !g.LoadFrom(stream)) {
            g.ApplyDefaultBorders();
            out.defaultTable = true;
        }
        Render(g, out);
    } catch (...) {
        // Nothing may leave the library: fall back to the default table.
        out = TableItemPicture{};
        try {
            grid::CRealGrid g;
            g.ApplyDefaultBorders();
            out.defaultTable = true;
            Render(g, out);
        } catch (...) {
            out = TableItemPicture{};
        }
    }
    return out;
}

struct TableItemDrawer::Impl {
    grid::CRealGrid grid;
};

TableItemDrawer::TableItemDrawer(std::span<const std::uint8_t> stream) : m(std::make_unique<Impl>())
{
    try {
        if (stream.size() <= 4 || !m->grid.LoadFrom(stream))
            m->grid.ApplyDefaultBorders();
    } catch (...) {
        m = std::make_unique<Impl>();
        m->grid.ApplyDefaultBorders();
    }
}

TableItemDrawer::~TableItemDrawer() = default;

void TableItemDrawer::draw(QPainter& painter) { grid::RenderData(m->grid, painter); }

} // namespace sorvane::render
