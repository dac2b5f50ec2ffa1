#include "platform/LangPackReader.h"

#include <QStringDecoder>
#include <QSvgRenderer>
#include <QPainter>
#include <QtEndian>

namespace platform {
namespace {

constexpr unsigned kMaxId = 0xFFFF;
constexpr int kMaxMenuDepth = 8;
constexpr int kMaxToolButton = 256;
constexpr int kMaxBitmapSide = 1024;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString lineError(const QString& file, int line, const QString& what)
{
    return QStringLiteral("%1 line %2: %3").arg(file).arg(line).arg(what);
}

// Splits a table into lines: UTF-8 (refused when invalid), LF or CRLF, and
// with comment (#) and blank lines dropped; each kept line has its number.
struct Line {
    int number;
    QString text;
};

bool splitLines(const QByteArray& bytes, const QString& file, QList<Line>* out, QString* error)
{
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString all = decode(bytes);
    if (decode.hasError()) {
        setError(error, QStringLiteral("%1: not UTF-8").arg(file));
        return false;
    }
    int number = 0;
    for (QStringView line : QStringView(all).split(u'\n')) {
        ++number;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        out->append({number, line.toString()});
    }
    return true;
}

std::optional<unsigned> parseNumber(QStringView text, unsigned min, unsigned max)
{
    if (text.isEmpty() || text.size() > 6)
        return std::nullopt;
    unsigned value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + unsigned(c.unicode() - u'0');
    }
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<QKeySequence> parseShortcut(const QString& text)
{
    const QKeySequence seq = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (seq.isEmpty())
        return std::nullopt;
    for (int i = 0; i < seq.count(); ++i) {
        if (seq[i].key() == Qt::Key_unknown || seq[i].key() == 0)
            return std::nullopt;
    }
    return seq;
}

// The tree of a resource bundle: 14-byte nodes in version 1, 22 (a time
// stamp added) from version 2 on.
struct Bundle {
    const uchar* data;
    quint64 size;
    quint32 tree, payload, names;
    quint32 nodeSize;

    bool has(quint64 offset, quint64 length) const { return offset <= size && length <= size - offset; }
    quint16 u16(quint64 at) const { return qFromBigEndian<quint16>(data + at); }
    quint32 u32(quint64 at) const { return qFromBigEndian<quint32>(data + at); }
};

enum : quint16 { kNodeCompressed = 0x01, kNodeDirectory = 0x02, kNodeCompressedZstd = 0x04 };

} // namespace

bool checkResourceBundle(const QByteArray& rcc, QString* error)
{
    Bundle b{reinterpret_cast<const uchar*>(rcc.constData()), quint64(rcc.size()), 0, 0, 0, 0};
    if (!b.has(0, 20) || !rcc.startsWith("qres")) {
        setError(error, QStringLiteral("not a resource bundle"));
        return false;
    }
    const quint32 version = b.u32(4);
    if (version < 1 || version > 3) {
        setError(error, QStringLiteral("unknown resource bundle version %1").arg(version));
        return false;
    }
    if (version >= 3 && !b.has(0, 24)) {
        setError(error, QStringLiteral("truncated resource bundle header"));
        return false;
    }
    b.tree = b.u32(8);
    b.payload = b.u32(12);
    b.names = b.u32(16);
    b.nodeSize = version >= 2 ? 22 : 14;
    if (!b.has(b.tree, b.nodeSize) || !b.has(b.payload, 0) || !b.has(b.names, 0)) {
        setError(error, QStringLiteral("resource bundle sections out of range"));
        return false;
    }

    // Qt walks the tree by index from node 0; children always follow their
    // directory, which keeps the walk finite.
    QList<quint32> pending{0};
    quint64 visited = 0;
    const quint64 maxNodes = (b.size - b.tree) / b.nodeSize;
    while (!pending.isEmpty()) {
        const quint32 index = pending.takeLast();
        if (++visited > maxNodes) {
            setError(error, QStringLiteral("resource bundle tree has too many nodes"));
            return false;
        }
        const quint64 node = b.tree + quint64(index) * b.nodeSize;
        if (!b.has(node, b.nodeSize)) {
            setError(error, QStringLiteral("resource bundle node %1 out of range").arg(index));
            return false;
        }
        const quint32 nameOffset = b.u32(node);
        const quint16 flags = b.u16(node + 4);
        if (index != 0) { // the root has no name
            const quint64 name = quint64(b.names) + nameOffset;
            if (!b.has(name, 6) || !b.has(name + 6, quint64(b.u16(name)) * 2)) {
                setError(error, QStringLiteral("resource bundle name out of range"));
                return false;
            }
        }
        if (flags & kNodeDirectory) {
            if (flags != kNodeDirectory) {
                setError(error, QStringLiteral("resource bundle directory with file flags"));
                return false;
            }
            const quint32 count = b.u32(node + 6);
            const quint32 first = b.u32(node + 10);
            if (count > 0 && (first <= index || quint64(first) + count > maxNodes)) {
                setError(error, QStringLiteral("resource bundle directory out of range"));
                return false;
            }
            for (quint32 i = 0; i < count; ++i)
                pending.append(first + i);
        } else {
            if (flags & (kNodeCompressed | kNodeCompressedZstd)) {
                setError(error, QStringLiteral("compressed files are not accepted in a pack"));
                return false;
            }
            if (index == 0) {
                setError(error, QStringLiteral("resource bundle root is not a directory"));
                return false;
            }
            const quint64 at = quint64(b.payload) + b.u32(node + 10);
            if (!b.has(at, 4) || !b.has(at + 4, b.u32(at))) {
                setError(error, QStringLiteral("resource bundle data out of range"));
                return false;
            }
        }
    }
    return true;
}

std::optional<QString> unescapeLangText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\') {
            out.append(c);
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case u'n': out.append(u'\n'); break;
        case u't': out.append(u'\t'); break;
        case u'\\': out.append(u'\\'); break;
        default: return std::nullopt;
        }
    }
    return out;
}

bool parseLangStrings(const QByteArray& bytes, QHash<unsigned, QString>* out, QString* error)
{
    const QString file = QStringLiteral("strings.txt");
    QList<Line> lines;
    if (!splitLines(bytes, file, &lines, error))
        return false;
    for (const Line& l : lines) {
        const qsizetype tab = l.text.indexOf(u'\t');
        const auto id = parseNumber(QStringView(l.text).left(tab), 1, kMaxId);
        if (tab < 0 || !id) {
            setError(error, lineError(file, l.number, QStringLiteral("expected id, tab, text")));
            return false;
        }
        const auto text = unescapeLangText(QStringView(l.text).mid(tab + 1));
        if (!text) {
            setError(error, lineError(file, l.number, QStringLiteral("bad escape")));
            return false;
        }
        if (out->contains(*id)) {
            setError(error, lineError(file, l.number, QStringLiteral("id %1 given twice").arg(*id)));
            return false;
        }
        out->insert(*id, *text);
    }
    return true;
}

bool parseLangDialogTexts(const QByteArray& bytes, QHash<quint32, QString>* out, QString* error)
{
    const QString file = QStringLiteral("dialogs.txt");
    QList<Line> lines;
    if (!splitLines(bytes, file, &lines, error))
        return false;
    for (const Line& l : lines) {
        const QList<QStringView> f = QStringView(l.text).split(u'\t');
        const auto templ = f.size() == 3 ? parseNumber(f[0], 1, kMaxId) : std::nullopt;
        const auto control = f.size() == 3 ? parseNumber(f[1], 0, kMaxId) : std::nullopt;
        if (!templ || !control) {
            setError(error, lineError(file, l.number, QStringLiteral("expected template, tab, control, tab, text")));
            return false;
        }
        const auto text = unescapeLangText(f[2]);
        if (!text) {
            setError(error, lineError(file, l.number, QStringLiteral("bad escape")));
            return false;
        }
        const quint32 key = langDialogKey(*templ, *control);
        if (out->contains(key)) {
            setError(error, lineError(file, l.number, QStringLiteral("control %1 of template %2 given twice")
                                                          .arg(*control).arg(*templ)));
            return false;
        }
        out->insert(key, *text);
    }
    return true;
}

namespace {

struct MenuLine {
    int number;
    int depth; // 1 = the menu's own items
    LangMenuItem item;
};

// Builds the items of one level from lines[*at...]; a popup (a text without a
// command) takes the deeper lines that follow it and must have some.
bool buildMenuLevel(const QList<MenuLine>& lines, qsizetype* at, int depth, QList<LangMenuItem>* into,
                    const QString& file, QString* error)
{
    while (*at < lines.size() && lines[*at].depth >= depth) {
        const MenuLine& line = lines[*at];
        if (line.depth > depth) {
            setError(error, lineError(file, line.number, QStringLiteral("only a popup (a text alone) has items")));
            return false;
        }
        ++*at;
        into->append(line.item);
        LangMenuItem& added = into->last();
        if (added.separator || added.command != 0)
            continue;
        // Depth is bounded by the parse, so is the recursion.
        if (!buildMenuLevel(lines, at, depth + 1, &added.submenu, file, error))
            return false;
        if (added.submenu.isEmpty()) {
            setError(error, lineError(file, line.number, QStringLiteral("popup without items")));
            return false;
        }
    }
    return true;
}

} // namespace

bool parseLangMenus(const QByteArray& bytes, QHash<unsigned, LangMenu>* out, QString* error)
{
    const QString file = QStringLiteral("menus.txt");
    QList<Line> lines;
    if (!splitLines(bytes, file, &lines, error))
        return false;
    auto fail = [&](int number, const QString& what) {
        setError(error, lineError(file, number, what));
        return false;
    };

    // Menus in order of appearance, each with its item lines.
    QList<std::pair<unsigned, QList<MenuLine>>> menus;
    for (const Line& l : lines) {
        int depth = 0;
        while (depth < l.text.size() && l.text[depth] == u'\t')
            ++depth;
        const QList<QStringView> f = QStringView(l.text).mid(depth).split(u'\t');
        if (depth == 0) {
            const auto id = f.size() == 2 && f[0] == u"menu" ? parseNumber(f[1], 1, kMaxId) : std::nullopt;
            if (!id)
                return fail(l.number, QStringLiteral("expected menu, tab, id"));
            if (out->contains(*id))
                return fail(l.number, QStringLiteral("menu %1 given twice").arg(*id));
            out->insert(*id, LangMenu{});
            menus.append(std::pair<unsigned, QList<MenuLine>>(*id, {}));
            continue;
        }
        if (menus.isEmpty())
            return fail(l.number, QStringLiteral("item outside a menu"));
        if (depth > kMaxMenuDepth)
            return fail(l.number, QStringLiteral("indented too deep"));

        LangMenuItem item;
        if (f.size() == 1 && f[0] == u"-") {
            item.separator = true;
        } else {
            if (f.size() > 3 || f[0].isEmpty())
                return fail(l.number, QStringLiteral("expected text [, tab, command [, tab, shortcut]]"));
            const auto text = unescapeLangText(f[0]);
            if (!text)
                return fail(l.number, QStringLiteral("bad escape"));
            item.text = *text;
            if (f.size() >= 2) {
                const auto command = parseNumber(f[1], 1, kMaxId);
                if (!command)
                    return fail(l.number, QStringLiteral("bad command id"));
                item.command = *command;
            }
            if (f.size() == 3) {
                const auto keys = parseShortcut(f[2].toString());
                if (!keys)
                    return fail(l.number, QStringLiteral("bad shortcut"));
                item.shortcut = *keys;
            }
        }
        menus.last().second.append({l.number, depth, item});
    }

    for (const auto& [id, items] : menus) {
        LangMenu& menu = (*out)[id];
        qsizetype at = 0;
        if (!buildMenuLevel(items, &at, 1, &menu.items, file, error))
            return false;
        if (menu.items.isEmpty()) {
            setError(error, QStringLiteral("%1: menu %2 has no items").arg(file).arg(id));
            return false;
        }
    }
    return true;
}

bool parseLangToolBars(const QByteArray& bytes, QHash<unsigned, LangToolBar>* out, QString* error)
{
    const QString file = QStringLiteral("toolbars.txt");
    QList<Line> lines;
    if (!splitLines(bytes, file, &lines, error))
        return false;
    for (const Line& l : lines) {
        const QList<QStringView> f = QStringView(l.text).split(u'\t');
        const auto id = f.size() == 4 ? parseNumber(f[0], 1, kMaxId) : std::nullopt;
        const auto w = f.size() == 4 ? parseNumber(f[1], 1, kMaxToolButton) : std::nullopt;
        const auto h = f.size() == 4 ? parseNumber(f[2], 1, kMaxToolButton) : std::nullopt;
        if (!id || !w || !h)
            return setError(error, lineError(file, l.number, QStringLiteral("expected id, width, height, commands"))), false;
        if (out->contains(*id))
            return setError(error, lineError(file, l.number, QStringLiteral("toolbar %1 given twice").arg(*id))), false;
        LangToolBar bar{int(*w), int(*h), {}};
        for (QStringView c : f[3].split(u' ', Qt::SkipEmptyParts)) {
            const auto command = parseNumber(c, 0, kMaxId);
            if (!command)
                return setError(error, lineError(file, l.number, QStringLiteral("bad command id"))), false;
            bar.ids.append(*command);
        }
        if (bar.ids.isEmpty())
            return setError(error, lineError(file, l.number, QStringLiteral("toolbar without buttons"))), false;
        out->insert(*id, bar);
    }
    return true;
}

namespace {

// icons.txt: id, tab, file; bitmaps.txt: id, tab, file, tab, width, tab, height.
bool parsePictures(const QByteArray& bytes, const QString& file, bool bitmaps, const LangFileReader& read,
                   LangPackContent* out, QString* error)
{
    QList<Line> lines;
    if (!splitLines(bytes, file, &lines, error))
        return false;
    QHash<QString, QByteArray> documents; // several ids may share a picture
    for (const Line& l : lines) {
        const QList<QStringView> f = QStringView(l.text).split(u'\t');
        const auto id = f.size() == (bitmaps ? 4 : 2) ? parseNumber(f[0], 1, kMaxId) : std::nullopt;
        if (!id || f[1].isEmpty())
            return setError(error, lineError(file, l.number, bitmaps ? QStringLiteral("expected id, file, width, height")
                                                                     : QStringLiteral("expected id, file"))),
                   false;
        if (bitmaps ? out->bitmaps.contains(*id) : out->icons.contains(*id))
            return setError(error, lineError(file, l.number, QStringLiteral("id %1 given twice").arg(*id))), false;
        const QString name = f[1].toString();
        auto doc = documents.constFind(name);
        if (doc == documents.constEnd()) {
            const auto svg = read(name);
            if (!svg)
                return setError(error, lineError(file, l.number, QStringLiteral("%1 is missing").arg(name))), false;
            QSvgRenderer check(*svg);
            if (!check.isValid())
                return setError(error, lineError(file, l.number, QStringLiteral("%1 is not a valid SVG").arg(name))),
                       false;
            doc = documents.insert(name, *svg);
        }
        if (!bitmaps) {
            out->icons.insert(*id, *doc);
            continue;
        }
        const auto w = parseNumber(f[2], 1, kMaxBitmapSide);
        const auto h = parseNumber(f[3], 1, kMaxBitmapSide);
        if (!w || !h)
            return setError(error, lineError(file, l.number, QStringLiteral("bad bitmap size"))), false;
        QImage image(int(*w), int(*h), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        QSvgRenderer(*doc).render(&p, QRectF(0, 0, *w, *h));
        p.end();
        out->bitmaps.insert(*id, image);
    }
    return true;
}

} // namespace

std::optional<LangPackContent> parseLangPack(const LangFileReader& read, QString* error)
{
    LangPackContent content;
    auto need = [&](const char* name) -> std::optional<QByteArray> {
        auto bytes = read(QString::fromLatin1(name));
        if (!bytes)
            setError(error, QStringLiteral("%1 is missing from the pack").arg(QLatin1String(name)));
        return bytes;
    };
    const auto strings = need("strings.txt");
    if (!strings || !parseLangStrings(*strings, &content.strings, error))
        return std::nullopt;
    const auto dialogs = need("dialogs.txt");
    if (!dialogs || !parseLangDialogTexts(*dialogs, &content.dialogTexts, error))
        return std::nullopt;
    const auto menus = need("menus.txt");
    if (!menus || !parseLangMenus(*menus, &content.menus, error))
        return std::nullopt;
    const auto toolbars = need("toolbars.txt");
    if (!toolbars || !parseLangToolBars(*toolbars, &content.toolbars, error))
        return std::nullopt;
    const auto icons = need("icons.txt");
    if (!icons || !parsePictures(*icons, QStringLiteral("icons.txt"), false, read, &content, error))
        return std::nullopt;
    const auto bitmaps = need("bitmaps.txt");
    if (!bitmaps || !parsePictures(*bitmaps, QStringLiteral("bitmaps.txt"), true, read, &content, error))
        return std::nullopt;
    return content;
}

} // namespace platform
