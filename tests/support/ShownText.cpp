#include "support/ShownText.h"

#include <QColor>
#include <QHash>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QXmlStreamReader>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>

namespace support {
namespace {

// ---- a small tree of the flat document ----

struct XmlNode {
    QString name; // qualified ("text:p"); empty for a text node
    QHash<QString, QString> attrs;
    QString text;
    QList<std::shared_ptr<XmlNode>> children;
    QString attr(const char* n) const { return attrs.value(QString::fromLatin1(n)); }
};
using NodePtr = std::shared_ptr<XmlNode>;

NodePtr parseXml(const QByteArray& bytes, QString* error)
{
    QXmlStreamReader xml(bytes);
    auto root = std::make_shared<XmlNode>();
    QList<XmlNode*> stack{root.get()};
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            auto n = std::make_shared<XmlNode>();
            n->name = xml.qualifiedName().toString();
            for (const QXmlStreamAttribute& a : xml.attributes())
                n->attrs.insert(a.qualifiedName().toString(), a.value().toString());
            stack.last()->children.append(n);
            stack.append(n.get());
        } else if (xml.isEndElement()) {
            stack.removeLast();
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            auto n = std::make_shared<XmlNode>();
            n->text = xml.text().toString();
            stack.last()->children.append(n);
        } else if (xml.isCharacters()) {
            // Spaces between elements carry no text in a flat document,
            // except inside a paragraph (a lone space between two spans).
            const QString& parent = stack.last()->name;
            if (parent == u"text:p" || parent == u"text:h" || parent == u"text:span" || parent == u"text:a") {
                auto n = std::make_shared<XmlNode>();
                n->text = xml.text().toString();
                stack.last()->children.append(n);
            }
        }
    }
    if (xml.hasError()) {
        if (error)
            *error = xml.errorString();
        return nullptr;
    }
    return root;
}

void collect(const NodePtr& n, const QString& name, QList<NodePtr>& out)
{
    for (const NodePtr& c : n->children) {
        if (c->name == name)
            out.append(c);
        else
            collect(c, name, out);
    }
}

NodePtr child(const NodePtr& n, const char* name)
{
    for (const NodePtr& c : n->children)
        if (c->name == QLatin1String(name))
            return c;
    return nullptr;
}

// ---- styles ----

using Props = QHash<QString, QString>;

struct Style {
    QString parent;
    Props text;
    Props para;
    Props cell;
    QString listStyle;
};

struct ListLevel {
    bool bullet = true;
    QString bulletChar, format, prefix, suffix;
    QString listFormat; // "%1%.%2%)": the label with its levels' numbers
    QString followedBy = QStringLiteral("listtab");
    int displayLevels = 1;
    QString font; // the label's face
};

// What the office program draws for a symbol font's private-use character:
// the bullets the corpus uses.
QString symbolBullet(const QString& c, const QString& font)
{
    if (c.size() != 1 || c[0].unicode() < 0xF020 || c[0].unicode() > 0xF0FF)
        return c;
    const char16_t glyph = c[0].unicode() & 0xFF;
    if (font.startsWith(u"Wingdings"))
        return glyph == 0xA7 ? QString(QChar(0x25AA)) : c;
    return glyph == 0xB7 ? QString(QChar(0x2022)) : c; // Symbol, and a face the office program lost
}

enum class Script { Latin, EastAsian, Complex, Weak };

Script scriptOf(char32_t c)
{
    if ((c >= 0x3000 && c <= 0x303F) || (c >= 0x3200 && c <= 0x33FF) || (c >= 0xFE30 && c <= 0xFE4F)
        || (c >= 0xFF00 && c <= 0xFFEF))
        return Script::EastAsian;
    switch (QChar::script(c)) {
    case QChar::Script_Han: case QChar::Script_Hiragana: case QChar::Script_Katakana:
    case QChar::Script_Hangul: case QChar::Script_Bopomofo: case QChar::Script_Yi:
        return Script::EastAsian;
    case QChar::Script_Hebrew: case QChar::Script_Arabic: case QChar::Script_Syriac:
    case QChar::Script_Thaana: case QChar::Script_Devanagari: case QChar::Script_Thai:
        return Script::Complex;
    case QChar::Script_Common: case QChar::Script_Inherited: case QChar::Script_Unknown:
        return Script::Weak;
    default:
        return Script::Latin;
    }
}

// One character before its script picks its settings.
struct RawChar {
    char32_t ch;
    Props props;
    bool label = false;
};

class OfficeReading {
public:
    bool read(const QByteArray& bytes, ShownText& out, QString* error)
    {
        NodePtr root = parseXml(bytes, error);
        if (!root)
            return false;
        QList<NodePtr> faces;
        collect(root, QStringLiteral("style:font-face"), faces);
        for (const NodePtr& f : faces) {
            QString family = f->attr("svg:font-family");
            if (family.size() > 1 && (family.startsWith(u'\'') || family.startsWith(u'"')))
                family = family.mid(1, family.size() - 2);
            m_faces.insert(f->attr("style:name"), family);
        }
        QList<NodePtr> styles;
        collect(root, QStringLiteral("style:style"), styles);
        for (const NodePtr& s : styles) {
            Style st;
            st.parent = s->attr("style:parent-style-name");
            st.listStyle = s->attr("style:list-style-name");
            if (NodePtr t = child(s, "style:text-properties"))
                st.text = t->attrs;
            if (NodePtr p = child(s, "style:paragraph-properties"))
                st.para = p->attrs;
            if (NodePtr c = child(s, "style:table-cell-properties"))
                st.cell = c->attrs;
            m_styles.insert(s->attr("style:family") + u'/' + s->attr("style:name"), st);
        }
        QList<NodePtr> defaults;
        collect(root, QStringLiteral("style:default-style"), defaults);
        for (const NodePtr& d : defaults) {
            if (d->attr("style:family") != u"paragraph")
                continue;
            if (NodePtr t = child(d, "style:text-properties"))
                m_defaultText = t->attrs;
            if (NodePtr p = child(d, "style:paragraph-properties"))
                m_defaultPara = p->attrs;
        }
        QList<NodePtr> lists;
        collect(root, QStringLiteral("text:list-style"), lists);
        for (const NodePtr& l : lists) {
            QHash<int, ListLevel> levels;
            for (const NodePtr& lv : l->children) {
                ListLevel level;
                level.bullet = lv->name == u"text:list-level-style-bullet";
                if (!level.bullet && lv->name != u"text:list-level-style-number")
                    continue;
                level.bulletChar = lv->attr("text:bullet-char");
                level.format = lv->attr("style:num-format");
                level.prefix = lv->attr("style:num-prefix");
                level.suffix = lv->attr("style:num-suffix");
                level.listFormat = lv->attr("loext:num-list-format");
                QList<NodePtr> alignments;
                collect(lv, QStringLiteral("style:list-level-label-alignment"), alignments);
                if (!alignments.isEmpty() && !alignments.first()->attr("text:label-followed-by").isEmpty())
                    level.followedBy = alignments.first()->attr("text:label-followed-by");
                level.displayLevels = qMax(1, lv->attr("text:display-levels").toInt());
                if (NodePtr t = child(lv, "style:text-properties")) {
                    const QString face = t->attr("style:font-name");
                    level.font = face.isEmpty() ? t->attr("fo:font-family") : m_faces.value(face, face);
                }
                levels.insert(lv->attr("text:level").toInt(), level);
            }
            m_lists.insert(l->attr("style:name"), levels);
        }
        QList<NodePtr> bodies;
        collect(root, QStringLiteral("office:text"), bodies);
        if (bodies.isEmpty()) {
            if (error)
                *error = QStringLiteral("no text body");
            return false;
        }
        // Tracked deletions: the document as its author last saw it has
        // none of their text.
        QList<NodePtr> regions;
        collect(bodies.first(), QStringLiteral("text:changed-region"), regions);
        for (const NodePtr& r : regions)
            if (child(r, "text:deletion"))
                m_deletions.insert(r->attr("text:id"));
        walkBlocks(bodies.first());
        // Notes end the document, each a paragraph after its mark, as the
        // mark labels the note where the office program shows it.
        const QList<std::pair<QString, NodePtr>> notes = m_notes;
        for (const auto& [citation, body] : notes) {
            m_noteLabel = citation;
            walkBlocks(body);
        }
        out = m_out;
        return true;
    }

private:
    QHash<QString, QString> m_faces;
    QHash<QString, Style> m_styles;
    QHash<QString, QHash<int, ListLevel>> m_lists;
    Props m_defaultText, m_defaultPara;
    ShownText m_out;
    // lists being walked: style and counters per level
    QString m_listStyle;
    int m_listLevel = 0;
    QList<int> m_counters;
    bool m_itemLabelDue = false;
    // tables: a tab owed before a row's next cell; the cell's shading
    bool m_cellTabDue = false;
    std::optional<QRgb> m_cellBackground;
    // notes (mark and body) and the text boxes of the paragraph being read
    QList<std::pair<QString, NodePtr>> m_notes;
    QString m_noteLabel;
    QList<NodePtr> m_boxes;
    // tracked deletions, and how many are open where the text is read
    QSet<QString> m_deletions;
    int m_deleting = 0;

    static double sizeIn(const QString& v, double inherited)
    {
        if (v.endsWith(u'%'))
            return inherited * v.chopped(1).toDouble() / 100.0;
        if (v.endsWith(QLatin1String("pt")))
            return v.chopped(2).toDouble();
        return inherited;
    }

    // Merges a style's settings over the inherited ones; relative sizes take
    // the inherited size as their base.
    static void mergeText(Props& into, const Props& from)
    {
        for (auto it = from.begin(); it != from.end(); ++it) {
            if (it.key().startsWith(u"fo:font-size") || it.key().startsWith(u"style:font-size")) {
                const double base = sizeIn(into.value(it.key(), QStringLiteral("12pt")), 12);
                into.insert(it.key(), QString::number(sizeIn(it.value(), base)) + QStringLiteral("pt"));
            } else {
                into.insert(it.key(), it.value());
                // A colour of its own overrides an inherited automatic colour.
                if (it.key() == u"fo:color")
                    into.remove(QStringLiteral("style:use-window-font-color"));
            }
        }
    }

    QList<const Style*> chain(const QString& family, QString name) const
    {
        QList<const Style*> out;
        for (int guard = 0; !name.isEmpty() && guard < 32; ++guard) {
            auto it = m_styles.constFind(family + u'/' + name);
            if (it == m_styles.constEnd())
                break;
            out.prepend(&*it);
            name = it->parent;
        }
        return out;
    }

    Props paragraphText(const QString& style) const
    {
        Props p = m_defaultText;
        for (const Style* s : chain(QStringLiteral("paragraph"), style))
            mergeText(p, s->text);
        return p;
    }

    Props paragraphProps(const QString& style) const
    {
        Props p = m_defaultPara;
        for (const Style* s : chain(QStringLiteral("paragraph"), style))
            for (auto it = s->para.begin(); it != s->para.end(); ++it)
                p.insert(it.key(), it.value());
        return p;
    }

    QString listStyleOf(const QString& paragraphStyle) const
    {
        const QList<const Style*> c = chain(QStringLiteral("paragraph"), paragraphStyle);
        for (auto it = c.rbegin(); it != c.rend(); ++it)
            if (!(*it)->listStyle.isEmpty())
                return (*it)->listStyle;
        return {};
    }

    static char alignOf(const Props& para)
    {
        const QString a = para.value(QStringLiteral("fo:text-align"), QStringLiteral("start"));
        const bool rtl = para.value(QStringLiteral("style:writing-mode")).startsWith(u"rl");
        if (a == u"center")
            return 'C';
        if (a == u"justify")
            return 'J';
        if (a == u"left")
            return 'L';
        if (a == u"right")
            return 'R';
        if (a == u"end")
            return rtl ? 'L' : 'R';
        return rtl ? 'R' : 'L';
    }

    QString numberText(int n, const QString& format) const
    {
        if (format == u"a" || format == u"A") {
            QString s;
            for (int v = n; v > 0; v = (v - 1) / 26)
                s.prepend(QChar(char16_t((format == u"a" ? u'a' : u'A') + (v - 1) % 26)));
            return s;
        }
        if (format == u"i" || format == u"I") {
            static const char* r[] = {"", "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix", "x"};
            QString s = QString::fromLatin1(r[qBound(0, n, 10)]);
            return format == u"I" ? s.toUpper() : s;
        }
        if (format.isEmpty())
            return {};
        return QString::number(n);
    }

    QString labelText() const
    {
        const QHash<int, ListLevel> levels = m_lists.value(m_listStyle);
        const ListLevel level = levels.value(m_listLevel);
        if (level.bullet)
            return symbolBullet(level.bulletChar, level.font);
        if (!level.listFormat.isEmpty()) {
            QString s = level.listFormat;
            for (int l = m_listLevel; l >= 1; --l)
                s.replace(QStringLiteral("%%1%").arg(l), numberText(m_counters.value(l - 1), levels.value(l).format));
            return s;
        }
        QString s = level.prefix;
        const int first = qMax(1, m_listLevel - level.displayLevels + 1);
        for (int l = first; l <= m_listLevel; ++l) {
            if (l > first)
                s += u'.';
            s += numberText(m_counters.value(l - 1), levels.value(l).format);
        }
        return s + level.suffix;
    }

    void walkBlocks(const NodePtr& n)
    {
        for (const NodePtr& c : n->children) {
            if (c->name == u"text:p" || c->name == u"text:h")
                paragraph(c);
            else if (c->name == u"table:table")
                table(c);
            else if (c->name == u"text:list")
                list(c);
            else if (c->name == u"text:section" || c->name == u"table:table-header-rows"
                     || c->name == u"table:table-rows")
                walkBlocks(c);
        }
    }

    void list(const NodePtr& l)
    {
        const QString outerStyle = m_listStyle;
        if (!l->attr("text:style-name").isEmpty())
            m_listStyle = l->attr("text:style-name");
        ++m_listLevel;
        if (m_counters.size() < m_listLevel)
            m_counters.resize(m_listLevel);
        m_counters[m_listLevel - 1] = 0;
        for (const NodePtr& item : l->children) {
            if (item->name != u"text:list-item" && item->name != u"text:list-header")
                continue;
            if (item->name == u"text:list-item") {
                ++m_counters[m_listLevel - 1];
                m_counters.resize(m_listLevel);
                m_itemLabelDue = true;
            }
            for (const NodePtr& c : item->children) {
                if (c->name == u"text:list") {
                    list(c);
                } else if (c->name == u"text:p" || c->name == u"text:h") {
                    paragraph(c);
                }
            }
        }
        --m_listLevel;
        m_listStyle = outerStyle;
    }

    void table(const NodePtr& t)
    {
        QList<NodePtr> rows;
        for (const NodePtr& c : t->children) {
            if (c->name == u"table:table-row")
                rows.append(c);
            else if (c->name == u"table:table-header-rows" || c->name == u"table:table-rows")
                for (const NodePtr& r : c->children)
                    if (r->name == u"table:table-row")
                        rows.append(r);
        }
        for (const NodePtr& row : rows) {
            bool first = true;
            qsizetype cells = 0;
            for (const NodePtr& cell : row->children)
                cells += cell->name == u"table:table-cell" || cell->name == u"table:covered-table-cell";
            for (const NodePtr& cell : row->children) {
                if (cell->name != u"table:table-cell" && cell->name != u"table:covered-table-cell")
                    continue;
                // Cells are laid out at tabs: a row's first cell, centred or
                // aligned right, stands at a tab of its own as the others do.
                bool lead = false;
                if (first && cells > 1) {
                    const NodePtr p = child(cell, "text:p");
                    const char a = p ? alignOf(paragraphProps(p->attr("text:style-name"))) : 'L';
                    lead = a == 'C' || a == 'R';
                    m_cellTabDue = m_cellTabDue || lead;
                }
                if (!first)
                    m_cellTabDue = true;
                first = false;
                const qsizetype before = m_out.size();
                m_cellBackground.reset();
                QString shade;
                for (const Style* st : chain(QStringLiteral("table-cell"), cell->attr("table:style-name")))
                    shade = st->cell.value(QStringLiteral("fo:background-color"), shade);
                if (const QColor bg(shade); bg.isValid() && bg.alpha() > 0)
                    m_cellBackground = bg.rgb();
                walkBlocks(cell);
                m_cellBackground.reset();
                // A cell's last paragraph mark is the cell's end, not a paragraph.
                if (m_out.size() > before && m_out.last().ch == 0x2029)
                    m_out.removeLast();
                if (lead)
                    m_cellTabDue = false; // an empty first cell has no tab before it
                if (m_cellTabDue) {
                    // An empty cell still has its tab.
                    ShownChar tab;
                    tab.ch = u'\t';
                    m_out.append(tab);
                    m_cellTabDue = false;
                }
            }
            ShownChar end;
            end.ch = 0x2029;
            if (!m_out.isEmpty())
                end.align = m_out.last().align;
            m_out.append(end);
        }
    }

    void paragraph(const NodePtr& p)
    {
        const QString style = p->attr("text:style-name");
        const Props para = paragraphProps(style);
        const char align = alignOf(para);
        QList<RawChar> chars;
        for (QChar c : std::exchange(m_noteLabel, QString()))
            chars.append(RawChar{c.unicode(), {}, true});
        if (!chars.isEmpty())
            chars.append(RawChar{u'\t', {}, true});
        if (m_itemLabelDue) {
            m_itemLabelDue = false;
            if (m_listStyle.isEmpty())
                m_listStyle = listStyleOf(style);
            const QString label = labelText();
            for (QChar c : label)
                chars.append(RawChar{c.unicode(), {}, true});
            const QString after = m_lists.value(m_listStyle).value(m_listLevel).followedBy;
            if (after == u"listtab")
                chars.append(RawChar{u'\t', {}, true});
            else if (after == u"space")
                chars.append(RawChar{u' ', {}, true});
        }
        inline_(p, paragraphText(style), chars);
        if (m_cellTabDue && !chars.isEmpty()) {
            chars.prepend(RawChar{u'\t', chars.first().props, false});
            m_cellTabDue = false;
        }
        Script last = Script::Weak;
        for (qsizetype i = 0; i < chars.size(); ++i) {
            const RawChar& r = chars[i];
            Script s = scriptOf(r.ch);
            if (s == Script::Weak) {
                s = last;
                for (qsizetype j = i + 1; s == Script::Weak && j < chars.size(); ++j)
                    s = scriptOf(chars[j].ch);
                if (s == Script::Weak)
                    s = Script::Latin;
            } else {
                last = s;
            }
            m_out.append(shown(r, s, align));
        }
        ShownChar end;
        end.ch = 0x2029;
        end.align = align;
        m_out.append(end);
        // A text box's paragraphs follow the paragraph that anchors them.
        const QList<NodePtr> boxes = std::exchange(m_boxes, {});
        for (const NodePtr& box : boxes)
            walkBlocks(box);
    }

    void inline_(const NodePtr& n, const Props& props, QList<RawChar>& chars)
    {
        if (props.value(QStringLiteral("text:display")) == u"none")
            return;
        for (const NodePtr& c : n->children) {
            if (c->name == u"text:change-start" || c->name == u"text:change-end") {
                if (m_deletions.contains(c->attr("text:change-id")))
                    m_deleting = qMax(0, m_deleting + (c->name == u"text:change-start" ? 1 : -1));
            } else if (m_deleting > 0) {
                // deleted text: not shown
            } else if (c->name.isEmpty()) {
                // A letter and its combining mark show as the one letter they make.
                const QString t = c->text.normalized(QString::NormalizationForm_C);
                for (qsizetype i = 0; i < t.size(); ++i) {
                    char32_t ch = t[i].unicode();
                    if (t[i].isHighSurrogate() && i + 1 < t.size()) {
                        ch = QChar::surrogateToUcs4(t[i], t[i + 1]);
                        ++i;
                    }
                    // Runs of white space in a paragraph's text are one space.
                    if (ch == u'\n' || ch == u'\r' || ch == u'\t')
                        ch = u' ';
                    if (ch == u' ' && !chars.isEmpty() && chars.last().ch == u' ' && !chars.last().label)
                        continue;
                    chars.append(RawChar{ch, props});
                }
            } else if (c->name == u"text:span" || c->name == u"text:a") {
                Props inner = props;
                for (const Style* s : chain(QStringLiteral("text"), c->attr("text:style-name")))
                    mergeText(inner, s->text);
                inline_(c, inner, chars);
            } else if (c->name == u"text:s") {
                const int n = qMax(1, c->attr("text:c").toInt());
                for (int i = 0; i < n; ++i)
                    chars.append(RawChar{u' ', props});
            } else if (c->name == u"text:tab") {
                chars.append(RawChar{u'\t', props});
            } else if (c->name == u"text:line-break") {
                chars.append(RawChar{0x2028, props});
            } else if (c->name == u"text:soft-hyphen") {
                chars.append(RawChar{0xAD, props});
            } else if (c->name == u"text:note") {
                // The mark stands raised in the text; the note is read at the end.
                const NodePtr citation = child(c, "text:note-citation");
                const NodePtr body = child(c, "text:note-body");
                QString mark;
                if (citation)
                    for (const NodePtr& t : citation->children)
                        mark += t->text;
                Props raised = props;
                raised.insert(QStringLiteral("style:text-position"), QStringLiteral("super 58%"));
                for (QChar ch : mark)
                    chars.append(RawChar{ch.unicode(), raised});
                if (body)
                    m_notes.append({mark, body});
            } else if (c->name == u"draw:frame") {
                if (NodePtr box = child(c, "draw:text-box"))
                    m_boxes.append(box);
            }
        }
    }

    ShownChar shown(const RawChar& r, Script s, char align) const
    {
        ShownChar c;
        c.ch = r.ch;
        c.label = r.label;
        c.align = align;
        const Props& p = r.props;
        const QString suffix = s == Script::EastAsian ? QStringLiteral("-asian")
                             : s == Script::Complex   ? QStringLiteral("-complex")
                                                      : QString();
        const auto get = [&](const char* western, const char* base) {
            return suffix.isEmpty() ? p.value(QString::fromLatin1(western))
                                    : p.value(QString::fromLatin1(base) + suffix);
        };
        const QString weight = get("fo:font-weight", "style:font-weight");
        c.bold = weight == u"bold" || weight.toInt() >= 600;
        const QString posture = get("fo:font-style", "style:font-style");
        c.italic = posture == u"italic" || posture == u"oblique";
        c.points = sizeIn(get("fo:font-size", "style:font-size"), 12);
        const QString faceName = get("style:font-name", "style:font-name");
        c.face = m_faces.value(faceName, faceName);
        const QString ul = p.value(QStringLiteral("style:text-underline-style"));
        c.underline = !ul.isEmpty() && ul != u"none";
        const QString st = p.value(QStringLiteral("style:text-line-through-style"));
        c.strike = !st.isEmpty() && st != u"none";
        const QString pos = p.value(QStringLiteral("style:text-position")).section(u' ', 0, 0);
        if (pos == u"super" || (pos.endsWith(u'%') && pos.chopped(1).toDouble() > 0))
            c.raised = 1;
        else if (pos == u"sub" || (pos.endsWith(u'%') && pos.chopped(1).toDouble() < 0))
            c.raised = -1;
        if (p.value(QStringLiteral("style:use-window-font-color")) != u"true") {
            const QColor colour(p.value(QStringLiteral("fo:color")));
            if (colour.isValid()) {
                c.colour = colour.rgb();
                c.automatic = false;
            }
        }
        const QColor bg(p.value(QStringLiteral("fo:background-color")));
        if (bg.isValid())
            c.background = bg.rgb();
        else if (m_cellBackground)
            c.background = *m_cellBackground;
        // Capitals as shown: small capitals are capitals of four fifths the size.
        if (p.value(QStringLiteral("fo:text-transform")) == u"uppercase") {
            c.ch = QChar::toUpper(c.ch);
        } else if (p.value(QStringLiteral("fo:font-variant")) == u"small-caps" && QChar::isLower(c.ch)) {
            c.ch = QChar::toUpper(c.ch);
            c.points *= 0.8;
        }
        return c;
    }
};

char visualAlign(const QTextBlockFormat& b)
{
    Qt::Alignment a = b.alignment();
    const bool rtl = b.layoutDirection() == Qt::RightToLeft;
    if (a & Qt::AlignHCenter)
        return 'C';
    if (a & Qt::AlignJustify)
        return 'J';
    const bool right = (a & Qt::AlignRight) != 0;
    if (a & Qt::AlignAbsolute)
        return right ? 'R' : 'L';
    return right != rtl ? 'R' : 'L';
}

QString rgb(std::optional<QRgb> c)
{
    return c ? QColor(*c).name() : QStringLiteral("none");
}

QString yesNo(bool b) { return b ? QStringLiteral("yes") : QStringLiteral("no"); }

} // namespace

bool shownByOffice(const QByteArray& flatOdt, ShownText& out, QString* error)
{
    OfficeReading reading;
    return reading.read(flatOdt, out, error);
}

ShownText shownByDocument(const QTextDocument& doc)
{
    ShownText out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const char blockAlign = visualAlign(b.blockFormat());
        // Text after a centre or right tab is seen so aligned (a table's
        // cells stand at such tabs); the paragraph's end takes the last.
        const QList<QTextOption::Tab> tabs = b.blockFormat().tabPositions();
        int tabsSeen = 0;
        char align = blockAlign;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QTextCharFormat f = frag.charFormat();
            const QString text = frag.text();
            for (qsizetype i = 0; i < text.size(); ++i) {
                ShownChar c;
                c.ch = text[i].unicode();
                if (text[i].isHighSurrogate() && i + 1 < text.size()) {
                    c.ch = QChar::surrogateToUcs4(text[i], text[i + 1]);
                    ++i;
                }
                if (c.ch == u'\t' && tabsSeen < tabs.size()) {
                    const QTextOption::TabType type = tabs[tabsSeen++].type;
                    align = type == QTextOption::CenterTab ? 'C' : type == QTextOption::RightTab ? 'R' : blockAlign;
                }
                c.bold = f.fontWeight() >= QFont::DemiBold;
                c.italic = f.fontItalic();
                c.underline = f.fontUnderline();
                c.strike = f.fontStrikeOut();
                c.points = f.fontPointSize();
                const QStringList families = f.fontFamilies().toStringList();
                c.face = families.value(0);
                if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript || f.baselineOffset() > 0)
                    c.raised = 1;
                else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript || f.baselineOffset() < 0)
                    c.raised = -1;
                if (f.foreground().style() != Qt::NoBrush) {
                    c.colour = f.foreground().color().rgb();
                    c.automatic = false;
                }
                if (f.background().style() != Qt::NoBrush)
                    c.background = f.background().color().rgb();
                c.align = align;
                out.append(c);
            }
        }
        ShownChar end;
        end.ch = 0x2029;
        end.align = align;
        out.append(end);
    }
    // The document's last block has no mark of its own when it is empty.
    while (out.size() >= 2 && out.last().ch == 0x2029 && out[out.size() - 2].ch == 0x2029)
        out.removeLast();
    return out;
}

namespace {

QString textOf(const ShownText& t, qsizetype from, qsizetype to)
{
    QString s;
    for (qsizetype i = qMax<qsizetype>(0, from); i < qMin(t.size(), to); ++i) {
        const char32_t c = t[i].ch;
        if (c == 0x2029)
            s += QStringLiteral("¶");
        else if (c == u'\t')
            s += QStringLiteral("→");
        else
            s += QString::fromUcs4(&c, 1);
    }
    return s;
}

} // namespace

QList<ShownDifference> compareShown(const ShownText& oursIn, const ShownText& officeIn)
{
    // A document may end with an empty paragraph or not: marks at the end
    // are not compared.
    const auto trimmed = [](ShownText t) {
        while (!t.isEmpty() && t.last().ch == 0x2029)
            t.removeLast();
        return t;
    };
    const ShownText ours = trimmed(oursIn), office = trimmed(officeIn);
    QList<ShownDifference> out;
    const qsizetype n = qMin(ours.size(), office.size());
    qsizetype i = 0;
    while (i < n && ours[i].ch == office[i].ch)
        ++i;
    if (i < n || ours.size() != office.size()) {
        out.append({QStringLiteral("text"), i, textOf(ours, i - 12, i + 24), textOf(office, i - 12, i + 24),
                    QString(), 0, false});
        return out;
    }
    for (i = 0; i < n; ++i) {
        const ShownChar& a = ours[i];
        const ShownChar& b = office[i];
        const QString context = textOf(ours, i - 8, i + 8);
        const auto add = [&](const char* what, const QString& x, const QString& y) {
            out.append({QString::fromLatin1(what), i, x, y, context, a.ch, b.automatic});
        };
        if (a.align != b.align)
            add("alignment", QString(QChar(a.align)), QString(QChar(b.align)));
        if (b.label || a.ch == 0x2029 || a.ch == u'\t')
            continue;
        if (a.bold != b.bold)
            add("bold", yesNo(a.bold), yesNo(b.bold));
        if (a.italic != b.italic)
            add("italic", yesNo(a.italic), yesNo(b.italic));
        if (a.underline != b.underline)
            add("underline", yesNo(a.underline), yesNo(b.underline));
        if (a.strike != b.strike)
            add("strike", yesNo(a.strike), yesNo(b.strike));
        if (a.raised != b.raised)
            add("raised", QString::number(a.raised), QString::number(b.raised));
        if (std::abs(a.points - b.points) > 0.01)
            add("size", QString::number(a.points), QString::number(b.points));
        if (a.face != b.face && a.ch != u' ')
            add("face", a.face, b.face);
        if (a.colour != b.colour)
            add("colour", rgb(a.colour), rgb(b.colour));
        if (a.background != b.background)
            add("background", rgb(a.background), rgb(b.background));
    }
    return out;
}

QString describe(const ShownDifference& d)
{
    if (d.attribute == u"text")
        return QStringLiteral("text differs at %1: ours \"%2\", office \"%3\"").arg(d.at).arg(d.ours, d.office);
    return QStringLiteral("%1 at %2 (\"%3\"): ours %4, office %5")
        .arg(d.attribute)
        .arg(d.at)
        .arg(d.context, d.ours, d.office);
}

} // namespace support
