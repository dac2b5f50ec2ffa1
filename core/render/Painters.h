#pragma once
// The painters behind PaintItemByKind: each measures a node's content, grows
// the painting's picture, clears it to black and draws the content in its
// own colours, reading the node and writing nothing into it. Each returns 1
// when it drew, 0 when there was nothing to draw.
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <memory>

class ItemRecord;
class QPainter;
class QTextDocument;
struct tagItemData;

namespace sorvane::model {
struct Painting;
struct PaintedValues;
}

namespace sorvane::render {

int PaintSceneNode(sorvane::model::Painting& p);
int PaintSectionNode(sorvane::model::Painting& p);
int PaintSingleLineItem(sorvane::model::Painting& p);
int PaintRichTextItem(sorvane::model::Painting& p);
int PaintPictureItem(sorvane::model::Painting& p);
int PaintTableItem(sorvane::model::Painting& p);
int PaintTextGifItem(sorvane::model::Painting& p);
int PaintAnalogClockItem(sorvane::model::Painting& p);
int PaintDigitalClockItem(sorvane::model::Painting& p);
int PaintCounterItem(sorvane::model::Painting& p);

// Width of the record's text on one line in its font, by the rectangle's height.
QSize MeasureSingleLineText(const ItemRecord& record, const QRect& rect);
// One line, left-aligned and vertically centred, in the record's font and colour.
void DrawSingleLineText(const ItemRecord& record, QPainter& dc, const QRect& rect);

// Loads a text into a document: as RTF when it is longer than five
// characters and starts with "{\rtf" (case ignored), else as plain text.
// Every character is kept.
bool SetRichEditText(const QString& text, QTextDocument& doc);

// A paged item's content (single-line text, rich text, table) drawn as its
// painter draws it, for content larger than any preview picture: the compile
// draws it window by window instead of copying pages from the picture.
class PagedContent {
public:
    explicit PagedContent(const tagItemData* item);
    // With the content as painting measured it.
    PagedContent(const tagItemData* item, const sorvane::model::PaintedValues& painted);
    ~PagedContent();
    PagedContent(const PagedContent&) = delete;
    PagedContent& operator=(const PagedContent&) = delete;
    // False for any other item type or an item without a record.
    bool ok() const;
    // Draws the part of the content under `window` (content coordinates)
    // at the target's origin, over what the target holds.
    void draw(QImage& target, const QRect& window) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace sorvane::render
