#pragma once
// The painters behind PaintItemByKind: each sizes a node's content, grows
// its preview picture, clears it to black and draws the content in its own
// colours. Each returns 1 when it drew, 0 when there was nothing to draw.
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

class ItemRecord;
class QPainter;
class QTextDocument;
struct tagItemData;

int PaintSceneNode(tagItemData* node);
int PaintSectionNode(tagItemData* node);
int PaintSingleLineItem(tagItemData* node);
int PaintRichTextItem(tagItemData* node);
int PaintPictureItem(tagItemData* node);
int PaintTableItem(tagItemData* node);
int PaintTextGifItem(tagItemData* node);
int PaintAnalogClockItem(tagItemData* node);
int PaintDigitalClockItem(tagItemData* node);
int PaintCounterItem(tagItemData* node);

// Width of the record's text on one line in its font, by the rectangle's height.
QSize MeasureSingleLineText(const ItemRecord& record, const QRect& rect);
// One line, left-aligned and vertically centred, in the record's font and colour.
void DrawSingleLineText(const ItemRecord& record, QPainter& dc, const QRect& rect);

// Loads a text into a document: as RTF when it is longer than five
// characters and starts with "{\rtf" (case ignored), else as plain text.
// Every character is kept.
bool SetRichEditText(const QString& text, QTextDocument& doc);
