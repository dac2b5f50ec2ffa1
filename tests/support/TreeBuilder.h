#pragma once
// Builds node trees for tests: header → screen → scene → section → item.
// The builder owns its detached header and frees the whole tree with it.
// Type records are written only through the record setters below.
#include "core/model/ItemData.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>

class CCore;

namespace support {

struct ScreenSpec {
    int width = 64;
    int height = 32;
    std::optional<std::uint16_t> type = 17;   // work mode; none: a new screen's
    std::optional<std::uint16_t> scan = 4;
    bool swapRedGreen = false;
};

class TreeBuilder {
public:
    TreeBuilder();
    ~TreeBuilder();
    TreeBuilder(const TreeBuilder&) = delete;
    TreeBuilder& operator=(const TreeBuilder&) = delete;

    tagItemData* header() const { return m_header; }

    // Each node is linked behind its parent's last child. A screen without a
    // spec keeps the defaults of a new screen; a section without a rectangle
    // keeps a new section's.
    tagItemData* screen(std::optional<ScreenSpec> spec = std::nullopt, const char16_t* name = u"screen");
    tagItemData* scene(tagItemData* screen, const char16_t* name = u"scene", std::uint16_t kind = IT_SCENE);
    tagItemData* section(tagItemData* scene, std::optional<QRect> rect = std::nullopt,
                         const char16_t* name = u"section", std::uint16_t kind = IT_WND_TEXT);
    tagItemData* item(tagItemData* section, std::uint16_t kind, const char16_t* name = u"item");

    // Any node kind behind the parent's last child (null if refused).
    static tagItemData* append(tagItemData* parent, std::uint16_t kind, const char16_t* name);

    // The type record of an item, written field by field through the schema
    // (core/api/TypeRecords.h); false when the item has no record or the
    // field does not take the value.
    template <class Field, class Value>
    static bool setRecord(tagItemData* item, Field field, const Value& v)
    {
        return item && item->Item.TypeRecord && item->Item.TypeRecord->set(field, v);
    }
    // The record's owned text (single line, rich text, animated text), with its size word.
    static bool setRecordText(tagItemData* item, const QString& text);

private:
    tagItemData* m_header;
};

// A wall of LED panels as an operator fills it, built through the core:
// `scenes` scenes, each a grid of `columns` x `rows` equal sections. The last
// section of each row is a program list holding a rich text (with a picture
// embedded in its RTF), a picture, a digital and an analog clock; the others
// are text windows, by turns a single line and a rich text. Clocks use a
// fixed-pitch font, time-only fields and no date on the dial, so what the
// screen compiles to does not depend on when it is built.
struct WallSpec {
    int width = 4096;
    int height = 512;
    int scenes = 16;
    int columns = 4;
    int rows = 4;
    QString picture;   // the file every picture item shows (writeWallPicture)
};
tagItemData* buildWallScreen(CCore& core, const WallSpec& spec);
// Writes the picture the wall's picture items share; false when it cannot.
bool writeWallPicture(const QString& path);

// Tells whether any of the nodes it marked is still alive: each marked node's
// preview shares one image with the probe, so the image is the probe's alone
// again only once every marked node has been freed. Marking replaces the
// previews; use it on trees that are about to be freed.
class LiveNodeProbe {
public:
    LiveNodeProbe();
    // Marks the node and its whole subtree; returns how many nodes it marked.
    int mark(tagItemData* root);
    bool anyAlive() const { return !m_image.isDetached(); }

private:
    QImage m_image;
};

} // namespace support
