// The two passes of the HTML drawing engine and the paragraph layout.
#include "app/tooltips/HtmlDrawer.h"

#include "app/controls/UrlOpener.h"
#include "platform/LangPack.h"

#include <QIcon>
#include <QPixmap>
#include <algorithm>

namespace tooltips {
namespace {

bool isBreakChar(QChar c)
{
    static const QString kBreaks = QStringLiteral(" -.,!:;)}]?");
    return kBreaks.contains(c);
}

int countSpaces(const QString& s) { return static_cast<int>(s.count(u' ')); }

QString trimTrailingSpaces(QString s)
{
    int n = s.size();
    while (n > 0 && s[n - 1] == u' ')
        --n;
    s.truncate(n);
    return s;
}

QString trimLeadingSpaces(const QString& s)
{
    int i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    return s.mid(i);
}

bool isObjectTag(int code) { return code == 6 || code == 7 || code == 8 || (code >= 17 && code <= 20); }

unsigned toId(const QString& v)
{
    bool ok = false;
    unsigned id = v.toUInt(&ok, 0);
    return ok ? id : 0;
}

} // namespace

void CHtmlDrawer::setHoverCallback(QObject* target, unsigned message, platform::LPARAM param)
{
    m_hoverTarget = target;
    m_hoverMessage = message;
    m_hoverParam = param;
}

void CHtmlDrawer::setLinkMessageCallback(QObject* target, unsigned message, platform::LPARAM param)
{
    m_linkTarget = target;
    m_linkMessage = message;
    m_linkParam = param;
}

void CHtmlDrawer::prepare(const QString& text)
{
    QString t = text;
    for (const auto& [entity, replacement] : m_entities)
        t.replace(entity, replacement);
    t.remove(u'\r');
    if (m_convertNewlines) {
        t.replace(u'\n', QStringLiteral("<br>"));
        t.replace(u'\t', QStringLiteral("<t>"));
    } else {
        t.remove(u'\n');
        t.remove(u'\t');
    }
    m_text = t;
}

QSize CHtmlDrawer::Measure(HtmlCanvas& canvas, const QString& text)
{
    prepare(text);
    if (m_text.isEmpty())
        return {0, 0};
    m_canvas = &canvas;
    m_measure = true;
    m_tables.clear();
    QSize s = runPass(QRect(0, 0, m_maxWidth, 0));
    m_canvas = nullptr;
    if (s == QSize(0, 0)) {
        m_text.clear();
        return {0, 0};
    }
    int cx = s.width();
    if (m_maxWidth > 0 && m_maxWidth < cx)
        cx = m_maxWidth;
    return {cx + 1, s.height() + 1};
}

void CHtmlDrawer::Draw(HtmlCanvas& canvas, const QRect& rect)
{
    if (m_text.isEmpty())
        return;
    m_canvas = &canvas;
    m_measure = false;
    // Each drawing pass records the areas afresh, so repaints do not pile them up.
    m_links.clear();
    runPass(rect);
    m_canvas = nullptr;
    m_measure = true;
}

QSize CHtmlDrawer::runPass(const QRect& rect)
{
    if (m_measure) {
        m_links.clear();
        m_lines.clear();
        m_anims.clear();
    }
    m_lineCounter = 0;
    m_tableCounter = -1;
    m_linkCounter = -1;
    m_animCounter = -1;
    m_stack.clear();
    m_style.reset();
    applyRule(QStringLiteral("body"), m_style);
    selectFont();
    QSize s = layoutContent(m_text, rect);
    if (m_measure)
        m_lines.resize(m_lineCounter); // the line started after the last one holds nothing
    m_stack.clear();
    return s;
}

namespace {

// The name of the tag whose "<" is at i (up to a space, "=" or ">").
QString tagNameAt(const QString& t, int i)
{
    int e = i + 1;
    while (e < t.size() && t[e] != u' ' && t[e] != u'=' && t[e] != u'>' && t[e] != u'<')
        ++e;
    return t.mid(i + 1, e - i - 1);
}

// The next tag named one of the names from pos, skipping escaped "<<"; -1 when none.
int findTag(const QString& t, int pos, std::initializer_list<const char16_t*> names, QString* found = nullptr)
{
    for (int i = t.indexOf(u'<', pos); i >= 0 && i < t.size(); i = t.indexOf(u'<', i)) {
        if (i + 1 < t.size() && t[i + 1] == u'<') {
            i += 2;
            continue;
        }
        const QString name = tagNameAt(t, i);
        for (const char16_t* n : names) {
            if (name == QStringView(n) && t.indexOf(u'>', i) >= 0) {
                if (found)
                    *found = name;
                return i;
            }
        }
        ++i;
    }
    return -1;
}

// The end of the table whose content starts at pos: the "<" of its "/table", or -1.
int findTableEnd(const QString& t, int pos)
{
    int depth = 0;
    QString name;
    for (int i = findTag(t, pos, {u"table", u"/table"}, &name); i >= 0;
         i = findTag(t, i + 1, {u"table", u"/table"}, &name)) {
        if (name == u"table") {
            ++depth;
        } else if (depth-- == 0) {
            return i;
        }
    }
    return -1;
}

} // namespace

QSize CHtmlDrawer::layoutContent(const QString& text, QRect rect)
{
    int cx = 0, cy = 0;
    int top = rect.top();
    int pos = 0;
    while (pos < text.size()) {
        int table = findTag(text, pos, {u"table"});
        const QString block = text.mid(pos, (table < 0 ? text.size() : table) - pos);
        if (!block.isEmpty()) {
            QSize s = layoutBlock(block, QRect(rect.left(), top, rect.width(), rect.height()));
            cx = std::max(cx, s.width());
            cy = clampPosition(static_cast<long long>(cy) + s.height());
            top = clampPosition(static_cast<long long>(top) + s.height());
        }
        if (table < 0)
            break;
        const int tagEnd = text.indexOf(u'>', table);
        const QString attrs = text.mid(table + 6, tagEnd - table - 6);
        const int end = findTableEnd(text, tagEnd + 1);
        const QString content = text.mid(tagEnd + 1, (end < 0 ? text.size() : end) - tagEnd - 1);
        QSize s = layoutTable(attrs, content, QRect(rect.left(), top, rect.width(), rect.height()));
        cx = std::max(cx, s.width());
        cy = clampPosition(static_cast<long long>(cy) + s.height());
        top = clampPosition(static_cast<long long>(top) + s.height());
        pos = end < 0 ? text.size() : text.indexOf(u'>', end) + 1;
    }
    return {cx, cy};
}

void CHtmlDrawer::selectFont()
{
    if (!m_canvas)
        return;
    // Face names are cut to the 31 characters a font record holds.
    m_canvas->selectFont(HtmlFont{m_style.face.left(31), std::clamp(m_style.size, 1, 4096), m_style.weight, m_style.italic != 0,
                                  m_style.underline != 0, m_style.strikeout != 0});
    m_metrics = m_canvas->metrics();
}

void CHtmlDrawer::pushStyle(const QString& name)
{
    HtmlStyle copy = m_style;
    copy.name = name;
    m_stack.push_back(std::move(copy));
}

void CHtmlDrawer::popStyle(const QString& name)
{
    if (!m_stack.empty() && m_stack.back().name == name) {
        m_style = std::move(m_stack.back());
        m_stack.pop_back();
    }
    m_style.name.clear();
    selectFont();
}

// ---- paragraph layout ----

QSize CHtmlDrawer::layoutBlock(const QString& block, const QRect& rect)
{
    const QString t = QStringLiteral("<body>") + block + QStringLiteral("</body>");
    m_area = rect;
    m_cx = 0;
    const size_t firstLine = m_lineCounter;
    m_y = rect.top();
    startLine();

    QString run;
    int i = 0;
    while (i < t.size()) {
        int lt = t.indexOf(u'<', i);
        if (lt < 0) {
            run += QStringView(t).mid(i);
            break;
        }
        run += QStringView(t).mid(i, lt - i);
        if (lt + 1 >= t.size()) {
            run += u'<';
            break;
        }
        if (t[lt + 1] == u'<') {
            run += u'<';
            i = lt + 2;
            continue;
        }
        if (!run.isEmpty()) {
            handleRun(run, true);
            run.clear();
        }
        int gt = t.indexOf(u'>', lt + 1);
        if (gt < 0) {
            // An unclosed tag is empty; reading goes on after its "<".
            i = lt + 1;
            continue;
        }
        handleTag(t.mid(lt + 1, gt - lt - 1));
        i = gt + 1;
    }
    if (!run.isEmpty())
        handleRun(run, true);
    if (m_x != m_lineStart) {
        if (m_measure)
            m_line.justify = 0;
        endLine(1);
    }
    m_justifyExtra = m_justifySpaces = 0;
    const int height = m_y - rect.top();
    if (m_measure) {
        for (size_t k = firstLine; k < m_lineCounter && k < m_lines.size(); ++k) {
            LineRecord& l = m_lines[k];
            if (l.percent) {
                l.width = clampPosition(l.width + static_cast<long long>(l.percent) * m_cx / 100);
                m_cx = std::max(m_cx, l.width);
            }
        }
    }
    return {m_cx, height};
}

void CHtmlDrawer::startLine()
{
    const int left = m_area.left(), width = m_area.width();
    if (m_measure) {
        m_line = LineRecord{};
        m_line.align = m_style.align;
        if (m_lines.size() <= m_lineCounter)
            m_lines.resize(m_lineCounter + 1);
        m_lines[m_lineCounter] = m_line;
        m_x = left;
    } else {
        m_linesExhausted = m_lineCounter >= m_lines.size();
        m_line = m_linesExhausted ? LineRecord{} : m_lines[m_lineCounter];
        if (m_line.percent)
            m_line.width = clampPosition(m_line.width + static_cast<long long>(m_line.percent) * width / 100);
        m_spacesRemaining = m_line.spaces;
        if (m_line.align == 1)
            m_x = clampPosition(left + (static_cast<long long>(width) - m_line.width) / 2);
        else if (m_line.align == 2)
            m_x = clampPosition(static_cast<long long>(left) + width - m_line.width);
        else
            m_x = left;
    }
    m_lineStart = m_x;
    m_extraSoFar = 0;
}

void CHtmlDrawer::endLine(int count)
{
    if (count <= 0)
        count = 1;
    if (m_measure) {
        if (m_line.height == 0)
            m_line.height = m_metrics.height;
        m_cx = std::max(m_cx, m_x - m_area.left());
        m_line.height += m_line.descent;
        m_line.width = m_x - m_area.left();
        m_lines[m_lineCounter] = m_line;
    }
    ++m_lineCounter;
    m_y = clampPosition(m_y + static_cast<long long>(count) * m_line.height);
    startLine();
}

void CHtmlDrawer::placeText(int h)
{
    m_line.descent = std::max(m_line.descent, h - m_metrics.ascent);
    m_line.height = std::max(m_line.height, m_metrics.ascent);
}

void CHtmlDrawer::placeObject(int h) { m_line.height = std::max(m_line.height, h); }

int CHtmlDrawer::textTop()
{
    switch (m_style.valign) {
    case 0: return m_y;
    case 1: return m_y + (m_line.height - m_metrics.height) / 2;
    case 2: return m_y + m_line.height - m_metrics.ascent;
    default: return m_y + m_line.height - m_metrics.ascent - m_line.descent;
    }
}

int CHtmlDrawer::objectTop(int h)
{
    switch (m_style.valign) {
    case 0: return m_y;
    case 1: return m_y + (m_line.height - h) / 2;
    case 2: return m_y + m_line.height - h;
    default: return m_y + m_line.height - m_line.descent - h;
    }
}

void CHtmlDrawer::addLinkArea(int x, int top, int w, int h)
{
    if (m_style.linkKind == 0)
        return;
    m_links.push_back({x, top, x + w - 1, top + h - 1, m_style.linkKind, m_linkCounter, m_style.link});
}

int CHtmlDrawer::splitRun(const QString& all, int from, int limit, int room, int& pieceEnd, int& restStart)
{
    // Widths grow with the prefix, so the longest fitting prefix is found by
    // bisection; limit bounds the search (the prefix of that length is too wide).
    auto width = [&](int len) { return m_canvas->textWidth(all.mid(from, len)); };
    const int n = limit;
    std::vector<int> breaks;
    for (int k = 0; k < n; ++k)
        if (isBreakChar(all[from + k]))
            breaks.push_back(k + 1);
    int lo = 0, hi = static_cast<int>(breaks.size()) - 1, best = -1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        if (width(breaks[mid]) <= room) {
            best = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    const int total = all.size() - from;
    if (best >= 0) {
        int e = breaks[best];
        restStart = from + e;
        while (e > 0 && all[from + e - 1] == u' ')
            --e;
        pieceEnd = from + e;
        while (restStart < all.size() && all[restStart] == u' ')
            ++restStart;
    } else if (m_x == m_lineStart) {
        int len = 1;
        if (total > 1) {
            int a = 1, b = std::min(n, total);
            while (a <= b) {
                int mid = (a + b) / 2;
                if (width(mid) <= room) {
                    len = mid;
                    a = mid + 1;
                } else {
                    b = mid - 1;
                }
            }
        } else {
            len = total;
        }
        pieceEnd = restStart = from + len;
    } else {
        pieceEnd = restStart = from;
    }
    return m_canvas->textWidth(all.mid(from, pieceEnd - from));
}

void CHtmlDrawer::handleRun(QString all, bool wrap)
{
    switch (m_style.transform) {
    case 1: all = all.toUpper(); break;
    case 2: all = all.toLower(); break;
    case 3:
        all = all.toLower();
        for (int k = 0; k < all.size(); ++k)
            if ((k == 0 || all[k - 1] == u' ') && all[k] >= u'a' && all[k] <= u'z')
                all[k] = all[k].toUpper();
        break;
    default: break;
    }
    const int right = m_area.left() + m_area.width();
    const bool mayWrap = wrap && m_maxWidth > 0 && m_area.width() > 0;
    int from = 0;
    while (from < all.size()) {
        int top = 0;
        if (m_measure)
            placeText(m_metrics.height);
        else
            top = textTop();
        const int room = right - m_x;
        const int total = all.size() - from;
        // Whether the rest fits: probe growing prefixes so that a long run costs
        // about the length of one line per line, not the whole run.
        int limit = total, w = -1;
        bool over = false;
        if (mayWrap) {
            for (int probe = 16; probe < total; probe *= 2) {
                if (m_canvas->textWidth(all.mid(from, probe)) > room) {
                    over = true;
                    limit = probe;
                    break;
                }
            }
        }
        if (!over) {
            w = m_canvas->textWidth(from == 0 ? all : all.mid(from));
            over = mayWrap && w > room;
        }
        int pieceEnd = all.size(), restStart = all.size(), pw = w;
        if (over)
            pw = splitRun(all, from, limit, room, pieceEnd, restStart);
        if (pieceEnd == from && restStart == from && m_x == m_lineStart) {
            // Nothing fits and the line is empty: place the run whole.
            pieceEnd = restStart = all.size();
            pw = w >= 0 ? w : m_canvas->textWidth(all.mid(from));
        }
        QString piece = (from == 0 && pieceEnd == all.size()) ? all : all.mid(from, pieceEnd - from);
        if (m_measure) {
            m_line.align = m_style.align;
            m_line.spaces += countSpaces(piece);
            m_x = clampPosition(static_cast<long long>(m_x) + pw);
        } else {
            const int remaining = m_line.width - (m_x - m_extraSoFar - m_lineStart);
            if (pw >= remaining && piece.endsWith(u' ')) {
                piece = trimTrailingSpaces(piece);
                pw = m_canvas->textWidth(piece);
            }
            if (m_line.align == 3 && m_line.justify) {
                m_justifyExtra = std::max(0, room - remaining);
                m_justifySpaces = m_spacesRemaining;
            } else {
                m_justifyExtra = m_justifySpaces = 0;
            }
            drawPiece(piece, top);
        }
        if (restStart < all.size()) {
            if (m_measure)
                m_line.justify = 1;
            endLine(1);
        }
        from = restStart;
    }
}

void CHtmlDrawer::drawPiece(const QString& piece, int top)
{
    // Justification spreads the extra pixels over the spaces left on the line,
    // the remainder going one pixel each to the later spaces.
    const int natural = m_canvas->textWidth(piece);
    const int spaces = countSpaces(piece);
    std::vector<int> extras;
    int total = 0;
    if (m_justifyExtra > 0 && m_justifySpaces > 0) {
        for (int k = 0; k < spaces; ++k) {
            int e = static_cast<int>(static_cast<long long>(m_justifyExtra) * (k + 1) / m_justifySpaces -
                                     static_cast<long long>(m_justifyExtra) * k / m_justifySpaces);
            extras.push_back(e);
            total += e;
        }
    }
    const int width = natural + total;
    if (!m_linesExhausted && !piece.isEmpty()) {
        addLinkArea(m_x, top, width, m_metrics.height);
        const HtmlTextPaint paint{m_style.color, m_style.bkmode == 2, m_style.bkcolor};
        if (extras.empty()) {
            m_canvas->drawText(m_x, top, piece, paint);
        } else {
            int x = m_x, start = 0, k = 0;
            for (int i = 0; i <= piece.size(); ++i) {
                if (i == piece.size() || piece[i] == u' ') {
                    const QString word = piece.mid(start, i - start + (i < piece.size() ? 1 : 0));
                    if (!word.isEmpty())
                        m_canvas->drawText(x, top, word, paint);
                    x += m_canvas->textWidth(word) + (i < piece.size() ? extras[k++] : 0);
                    start = i + 1;
                }
            }
        }
        if (m_style.overline)
            m_canvas->drawLine(m_x, top, m_x + width, top, m_style.color, 0, m_style.weight >= 700 ? 2 : 1);
    }
    m_spacesRemaining -= spaces;
    m_x = clampPosition(static_cast<long long>(m_x) + width);
    m_extraSoFar += total;
}

// ---- tags ----

void CHtmlDrawer::handleTag(const QString& tag)
{
    int split = 0;
    while (split < tag.size() && tag[split] != u' ' && tag[split] != u'=')
        ++split;
    QString name = tag.left(split);
    const QString attrs = trimLeadingSpaces(tag.mid(split));
    const bool closing = name.startsWith(u'/');
    if (closing)
        name.remove(0, 1);
    auto it = m_tags.find(name);
    if (it == m_tags.end())
        return;
    const TagInfo info = it->second;
    if (!closing && isObjectTag(info.code)) {
        objectTag(info.code, name, attrs);
        return;
    }
    if (!closing) {
        pushStyle(info.styleName);
        applyTagEffect(info.code, name, attrs);
    } else if (!m_stack.empty() && m_stack.back().name == info.styleName) {
        m_style = std::move(m_stack.back());
        m_stack.pop_back();
    }
    m_style.name.clear();
    selectFont();
}

void CHtmlDrawer::applyTagEffect(int code, const QString& name, const QString& attrs)
{
    HtmlStyle& s = m_style;
    switch (code) {
    case 1: s.weight = std::min(s.weight * 2, 900); break;
    case 2: s.italic = !s.italic; break;
    case 3: s.underline = !s.underline; break;
    case 4: s.strikeout = !s.strikeout; break;
    case 5:
        for (const auto& [n, v] : readAttributes(attrs)) {
            if (n == u"face")
                s.face = v;
            else if (n == u"size")
                s.size = length(v, s.size, true);
            else if (n == u"color")
                s.color = colourValue(v, s.color);
            else if (n == u"weight")
                applyDeclarations(QStringLiteral("font-weight:") + v, s);
            else if (n == u"bkgnd") {
                if (v.isEmpty() || v == u"transparent" || !m_coloursEnabled) {
                    s.bkmode = 1;
                } else {
                    s.bkmode = 2;
                    s.bkcolor = colourValue(v, s.bkcolor);
                }
            } else if (n == u"style") {
                bool on = true;
                for (QChar c : v) {
                    if (c == u'-')
                        on = false;
                    else if (c == u'+')
                        on = true;
                    else if (c == u'b')
                        s.weight = on ? 700 : 400;
                    else if (c == u'i')
                        s.italic = on;
                    else if (c == u'u')
                        s.underline = on;
                    else if (c == u's')
                        s.strikeout = on;
                    else if (c == u'o')
                        s.overline = on;
                }
            }
        }
        break;
    case 9: s.align = 0; break;
    case 10: s.align = 1; break;
    case 11: s.align = 2; break;
    case 12: s.align = 3; break;
    case 13: s.valign = 3; break;
    case 14: s.valign = 0; break;
    case 15: s.valign = 1; break;
    case 16: s.valign = 2; break;
    case 21: applyRule(name, s); break;
    case 22:
        for (const auto& [n, v] : readAttributes(attrs))
            if (n == u"class")
                applyRule(QStringLiteral(".") + v, s);
        break;
    case 23:
        s.linkKind = 2;
        s.link.clear();
        for (const auto& [n, v] : readAttributes(attrs)) {
            if (n == u"href") {
                s.linkKind = 1;
                s.link = v;
            } else if (n == u"msg") {
                s.linkKind = 2;
                s.link = v;
            }
        }
        ++m_linkCounter;
        applyRule(m_linkCounter == m_hovered ? QStringLiteral("a:hover") : QStringLiteral("a:link"), s);
        break;
    default: break;
    }
}

void CHtmlDrawer::objectTag(int code, const QString&, const QString& attrs)
{
    switch (code) {
    case 6: horizontalRule(attrs); break;
    case 7:
    case 8: {
        // Counts beyond a screenful of lines or stops are treated as that many.
        const int n = std::clamp(attrs.isEmpty() ? 1 : length(attrs.mid(1), 1, false), 0, 1000);
        if (code == 7) {
            if (m_measure)
                m_line.justify = 0;
            endLine(n);
        } else {
            int count = std::clamp(n, 0, 1000);
            const int rel = m_x - m_area.left();
            if (m_tabWidth > 0 && rel % m_tabWidth != 0) {
                m_x = m_area.left() + (rel / m_tabWidth + (rel > 0 ? 1 : 0)) * m_tabWidth;
                count = std::max(0, count - 1);
            }
            m_x = clampPosition(m_x + static_cast<long long>(count) * m_tabWidth);
        }
        break;
    }
    case 17:
    case 18:
    case 19: imageTag(code, attrs); break;
    case 20: {
        unsigned id = 0;
        for (const auto& [n, v] : readAttributes(attrs))
            if (n == u"idres" || n == u"iddll")
                id = toId(v);
        if (id != 0) {
            const QString s = platform::langString(id);
            if (!s.isEmpty())
                handleRun(s, false);
        }
        break;
    }
    default: break;
    }
}

void CHtmlDrawer::horizontalRule(const QString& attrs)
{
    HtmlStyle copy = m_style;
    copy.borderWidth = 1;
    applyRule(QStringLiteral("hr"), copy);
    int thickness = copy.borderWidth;
    COLORREF colour = copy.color;
    QString widthText = QStringLiteral("100%");
    for (const auto& [n, v] : readAttributes(attrs)) {
        if (n == u"width")
            widthText = v;
        else if (n == u"size")
            thickness = length(v, thickness, false);
        else if (n == u"color")
            colour = colourValue(v, colour);
    }
    const bool percent = widthText.endsWith(u'%');
    const int pct = percent ? std::clamp(length(widthText, 100, false), 0, 100000) : 0;
    const int fixed = percent ? 0 : std::max(0, length(widthText, 0, false));
    if (m_measure) {
        if (percent)
            m_line.percent += pct;
        m_line.height = std::max(m_line.height, thickness + 8);
        m_line.align = m_style.align;
        m_x = clampPosition(static_cast<long long>(m_x) + (percent ? 1 : fixed));
    } else {
        const int w = percent ? clampPosition(static_cast<long long>(pct) * m_area.width() / 100) : fixed;
        if (!m_linesExhausted) {
            const int y = m_y + m_line.height / 2;
            m_canvas->drawLine(m_x, y, m_x + w, y, colour, 0, thickness);
        }
        m_x = clampPosition(static_cast<long long>(m_x) + w);
    }
}

QImage CHtmlDrawer::loadImage(int code, const std::map<QString, QString>& a, bool* given)
{
    *given = true;
    auto get = [&](const char16_t* key) -> const QString* {
        auto it = a.find(QString::fromUtf16(key));
        return it == a.end() ? nullptr : &it->second;
    };
    if (const QString* v = get(u"idres")) {
        const unsigned id = toId(*v);
        if (code == 18) {
            const QIcon icon = platform::langIcon(id);
            return icon.isNull() ? QImage() : icon.pixmap(32, 32).toImage();
        }
        return platform::langBitmap(id);
    }
    if (const QString* v = get(u"file"))
        return QImage(*v);
    if (const QString* v = get(u"iddll")) {
        const QString* lib = get(u"srcdll");
        if (lib) {
            auto it = m_modules.find(*lib);
            return it == m_modules.end() || !it->second ? QImage() : it->second(toId(*v));
        }
        return m_module ? m_module(toId(*v)) : QImage();
    }
    if (const QString* v = get(u"handle")) {
        auto it = m_handles.find(v->toULongLong(nullptr, 0));
        return it == m_handles.end() ? QImage() : it->second;
    }
    *given = false;
    return {};
}

void CHtmlDrawer::imageTag(int code, const QString& attrs)
{
    const auto list = readAttributes(attrs);
    std::map<QString, QString> a;
    unsigned flags = 0, hotFlags = 0;
    bool useMask = false;
    COLORREF maskColour = 0xFF00FF;
    auto letters = [&](const QString& v) {
        unsigned f = 0;
        for (QChar c : v) {
            if (c == u'g')
                f |= kImageGrey;
            else if (c == u'd')
                f |= kImageDarker;
            else if (c == u'l')
                f |= kImageLighter;
            else if (c == u's' && (m_shadowOffsetX || m_shadowOffsetY))
                f |= m_gradientShadow ? kImageBlurShadow : kImageShadow;
        }
        return f;
    };
    for (const auto& [n, v] : list) {
        if (n == u"style")
            flags = hotFlags = letters(v);
        else if (n == u"hotstyle")
            hotFlags = letters(v);
        else if (n == u"mask") {
            useMask = true;
            maskColour = colourValue(v, 0xFF00FF);
        }
        a[n] = v;
    }

    bool given = false;
    QImage image = loadImage(code, a, &given);
    if (code == 19 && !given) {
        image = m_imageList;
        given = true;
    }
    if (!given || image.isNull())
        return;

    QSize base = image.size();
    int frameIndex = 0;
    QSize frameSize;
    if (code == 18)
        base = QSize(32, 32);
    if (code == 19) {
        auto num = [&](const char16_t* key, bool* present) {
            auto it = a.find(QString::fromUtf16(key));
            *present = it != a.end();
            return *present ? length(it->second, 0, false) : 0;
        };
        bool hasCx = false, hasCy = false, hasIndex = false, hasSpeed = false;
        int cx = num(u"cx", &hasCx), cy = num(u"cy", &hasCy);
        if (hasCx && !hasCy)
            cy = cx;
        else if (hasCy && !hasCx)
            cx = cy;
        else if (!hasCx && !hasCy)
            cx = cy = std::min(image.width(), image.height());
        if (cx <= 0 || cy <= 0)
            return;
        const int frames = (image.width() / cx) * (image.height() / cy);
        frameIndex = num(u"index", &hasIndex);
        if (frameIndex < 0 || frameIndex >= frames)
            return;
        const int speed = num(u"speed", &hasSpeed);
        if (speed > 0) {
            ++m_animCounter;
            if (m_measure)
                m_anims.push_back({frameIndex, frames, 0, speed});
            else if (m_animCounter >= 0 && static_cast<size_t>(m_animCounter) < m_anims.size())
                frameIndex = m_anims[m_animCounter].frame;
        }
        frameSize = QSize(cx, cy);
        base = frameSize;
    }

    auto attr = [&](const char16_t* key) {
        auto it = a.find(QString::fromUtf16(key));
        return it == a.end() ? QString() : it->second;
    };
    const int w = std::max(0, length(attr(u"width"), base.width(), false));
    const int h = std::max(0, length(attr(u"height"), base.height(), false));
    if (code == 18 && (w != 32 || h != 32)) {
        // An icon is loaded at the size it is shown.
        if (a.count(QStringLiteral("idres"))) {
            const QIcon icon = platform::langIcon(toId(a[QStringLiteral("idres")]));
            if (!icon.isNull() && w > 0 && h > 0)
                image = icon.pixmap(w, h).toImage();
        } else if (a.count(QStringLiteral("file")) && w > 0 && h > 0) {
            image = QIcon(a[QStringLiteral("file")]).pixmap(w, h).toImage();
        }
    }
    if (w == 0 || h == 0)
        return;
    int bw = w, bh = h;
    if ((flags | hotFlags) & (kImageShadow | kImageBlurShadow)) {
        bw += m_shadowOffsetX;
        bh += m_shadowOffsetY;
    }
    const int right = m_area.left() + m_area.width();
    if (m_maxWidth > 0 && m_x != m_lineStart && bw > right - m_x) {
        if (m_measure)
            m_line.justify = 1;
        endLine(1);
    }
    if (m_measure) {
        m_line.align = m_style.align;
        placeObject(bh);
    } else if (!m_linesExhausted) {
        const int top = objectTop(bh);
        addLinkArea(m_x, top, bw, bh);
        const bool hot = m_style.linkKind != 0 && m_linkCounter == m_hovered;
        unsigned f = hot ? hotFlags : flags;
        if (!m_coloursEnabled)
            f = (f & 0xFF00u) + kImageFill;
        ImageDrawParams ip;
        ip.flags = f;
        ip.useMask = useMask;
        ip.maskColour = maskColour;
        ip.shadowOffsetX = m_shadowOffsetX;
        ip.shadowOffsetY = m_shadowOffsetY;
        ip.blurX = m_shadowDepthX;
        ip.blurY = m_shadowDepthY;
        ip.fillColour = m_coloursEnabled ? m_shadowColour : m_disabledColour;
        const HtmlImageKind kind =
            code == 17 ? HtmlImageKind::Bitmap : code == 18 ? HtmlImageKind::Icon : HtmlImageKind::Frame;
        m_canvas->drawImage(kind, QRect(m_x, top, w, h), image, frameIndex, frameSize, ip);
    }
    m_x = clampPosition(static_cast<long long>(m_x) + bw);
}

// ---- links, hover, animation ----

int CHtmlDrawer::HitTestLink(QPoint p) const
{
    for (size_t i = 0; i < m_links.size(); ++i) {
        const LinkArea& a = m_links[i];
        if (p.x() >= a.left && p.x() <= a.right && p.y() >= a.top && p.y() <= a.bottom)
            return static_cast<int>(i);
    }
    return -1;
}

bool CHtmlDrawer::OnMouseOver(QPoint p)
{
    const int i = HitTestLink(p);
    auto notify = [this] {
        if (m_hoverTarget && m_hoverMessage != 0)
            spine::TooltipHover::send(m_hoverTarget, m_hoverMessage, m_hovered, m_hoverParam);
    };
    if (i >= 0) {
        const LinkArea& a = m_links[static_cast<size_t>(i)];
        if (a.number != m_hovered) {
            m_hovered = a.number;
            notify();
        }
        // The notification may have redrawn and so renewed the areas.
        return i < static_cast<int>(m_links.size()) && !m_links[static_cast<size_t>(i)].text.isEmpty();
    }
    if (m_hovered != -2) {
        m_hovered = -2;
        notify();
    }
    return false;
}

void CHtmlDrawer::FollowLink(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_links.size())
        return;
    const LinkArea a = m_links[static_cast<size_t>(index)];
    if (a.text.isEmpty())
        return;
    if (a.kind == 1) {
        controls::openTarget(a.text);
    } else if (a.kind == 2 && m_linkTarget && m_linkMessage != 0) {
        spine::TooltipLink::send(m_linkTarget, m_linkMessage, &a.text, m_linkParam);
    }
}

bool CHtmlDrawer::StepAnimation()
{
    bool changed = false;
    for (AnimatedImage& a : m_anims) {
        if (a.frameCount <= 0)
            continue;
        if (++a.tick >= a.ticksPerFrame) {
            a.tick = 0;
            a.frame = (a.frame + 1) % a.frameCount;
            changed = true;
        }
    }
    return changed;
}

QString CHtmlDrawer::LoadTipString(unsigned id)
{
    if (id == 0)
        return {};
    const QString s = platform::langString(id);
    const int first = s.indexOf(u'\n');
    if (first < 0)
        return {};
    const int second = s.indexOf(u'\n', first + 1);
    return s.mid(first + 1, second < 0 ? -1 : second - first - 1);
}

int CHtmlDrawer::Replace(QString& text, const QString& oldText, const QString& newText)
{
    if (oldText.isEmpty())
        return 0;
    const int n = static_cast<int>(text.count(oldText));
    if (n > 0)
        text.replace(oldText, newText);
    return n;
}

QSize layoutHtml(HtmlCanvas& canvas, const QString& text, int maxWidth)
{
    CHtmlDrawer d;
    d.setMaxWidth(maxWidth);
    const QSize s = d.Measure(canvas, text);
    d.Draw(canvas, QRect(QPoint(0, 0), s));
    return s;
}

} // namespace tooltips
