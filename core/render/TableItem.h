#pragma once
// A table item's picture: the data cells of its GRID stream, without headers
// or selection, as they go to the screen. A missing, short or damaged stream
// shows the default table.
#include <QImage>

class QPainter;
#include <cstdint>
#include <memory>
#include <span>

namespace sorvane::render {

struct TableItemPicture {
    QImage image;   // RGB32, content size, black where no cell draws
    int contentWidth = 0;
    int contentHeight = 0;
    bool defaultTable = false;   // the stream could not be used
};

TableItemPicture RenderTableItem(std::span<const std::uint8_t> stream) noexcept;

// The same table kept loaded, for drawing it piece by piece through a
// moved and clipped painter (a table larger than any picture).
class TableItemDrawer {
public:
    explicit TableItemDrawer(std::span<const std::uint8_t> stream);
    ~TableItemDrawer();
    void draw(QPainter& painter);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace sorvane::render
