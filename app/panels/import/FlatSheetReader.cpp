#include "app/panels/import/FlatSheetReader.h"

#include <QHash>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

namespace panels {

namespace {

constexpr auto kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr auto kStyle = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr auto kTable = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr auto kText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr auto kFo = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";
constexpr auto kSvg = "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0";
constexpr auto kConfig = "urn:oasis:names:tc:opendocument:xmlns:config:1.0";

// The sheet's size limits: no spreadsheet has more.
constexpr long long kMaxRows = 1 << 20;
constexpr long long kMaxColumns = 1 << 14;

// Cell-style properties as written; unset ones come from the parent style.
struct CellStyle {
    QString parent;
    std::optional<bool> bold, italic, underline, strikeOut;
    std::optional<double> size;
    std::optional<QString> fontName;   // a font-face declaration
    std::optional<QString> fontFamily; // a family given directly
    std::optional<SheetAlign> align;
    std::optional<bool> alignFromValue;
    std::optional<SheetLine> left, top, right, bottom;
};

struct ResolvedStyle {
    SheetFont font;
    SheetAlign align = SheetAlign::General;
    SheetLine left = SheetLine::None, top = SheetLine::None, right = SheetLine::None, bottom = SheetLine::None;
    bool hasBorder() const
    {
        return left != SheetLine::None || top != SheetLine::None || right != SheetLine::None || bottom != SheetLine::None;
    }
};

// A run of equal rows or columns with its size in points (-1: default).
struct Run {
    long long start = 0;
    long long count = 0;
    double size = -1;
    QString cellStyle; // columns: the default style of their cells
};

struct RawCell {
    SheetCell cell;
    QString style;
    bool hasStyle = false;
};

SheetLine lineOf(QStringView border)
{
    const QString b = border.toString().toLower();
    if (b.isEmpty() || b == u"none" || b == u"hidden")
        return SheetLine::None;
    const QStringList parts = b.split(u' ', Qt::SkipEmptyParts);
    if (parts.contains(u"none"_qs) || parts.contains(u"hidden"_qs))
        return SheetLine::None;
    if (parts.contains(u"double"_qs))
        return SheetLine::Double;
    if (parts.contains(u"solid"_qs))
        return SheetLine::Continuous;
    return SheetLine::Other;
}

QString unquote(QString s)
{
    s = s.trimmed();
    if (s.size() >= 2 && (s.front() == u'\'' || s.front() == u'"') && s.back() == s.front())
        s = s.mid(1, s.size() - 2);
    return s;
}

class Reader {
public:
    explicit Reader(const QByteArray& xml) : m_xml(xml) {}

    std::optional<SheetData> run(QString* error);

private:
    bool fail(const QString& why)
    {
        if (m_error.isEmpty())
            m_error = why;
        return false;
    }
    QStringView attr(QLatin1StringView ns, QLatin1StringView name) const
    {
        return m_xml.attributes().value(QLatin1StringView(ns), name);
    }
    bool is(const char* ns, const char* name) const
    {
        return m_xml.namespaceUri() == QLatin1StringView(ns) && m_xml.name() == QLatin1StringView(name);
    }
    static long long repeat(QStringView v)
    {
        if (v.isEmpty())
            return 1;
        bool ok = false;
        const long long n = v.toLongLong(&ok);
        return ok && n >= 1 ? n : -1;
    }

    void readSettings();
    void readFontFaces();
    void readStyles(bool isDefault);
    void readStyleProperties(CellStyle& style, double* rowColumnSize, const QString& family);
    bool readBody();
    bool readTable();
    bool readColumns(long long& column);
    bool readRow(long long& row);
    bool readCell(RawCell& raw, bool covered, long long& spanRows, long long& spanCols, long long& repeats);
    QString readCellText();
    ResolvedStyle resolve(const QString& name);

    QXmlStreamReader m_xml;
    QString m_error;
    QString m_activeTable;
    bool m_tableDone = false;
    QHash<QString, QString> m_fontFaces;
    QHash<QString, CellStyle> m_cellStyles;
    std::optional<CellStyle> m_defaultCellStyle;
    QHash<QString, double> m_rowHeights;
    QHash<QString, double> m_columnWidths;
    QHash<QString, ResolvedStyle> m_resolved;
    double m_defaultRowHeight = 12.8;
    double m_defaultColumnWidth = 64.0;
    std::vector<Run> m_rowRuns;
    std::vector<Run> m_columnRuns;
    std::map<std::pair<long long, long long>, RawCell> m_cells; // (row, column)
};

std::optional<SheetData> Reader::run(QString* error)
{
    bool sawDocument = false;
    bool sawBody = false;
    while (!m_xml.atEnd() && m_error.isEmpty()) {
        if (m_xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (is(kOffice, "document")) {
            sawDocument = true;
        } else if (!sawDocument) {
            fail(QStringLiteral("not a flat spreadsheet document"));
        } else if (is(kOffice, "settings")) {
            readSettings();
        } else if (is(kOffice, "font-face-decls")) {
            readFontFaces();
        } else if (is(kOffice, "styles")) {
            readStyles(true);
        } else if (is(kOffice, "automatic-styles")) {
            readStyles(false);
        } else if (is(kOffice, "spreadsheet")) {
            sawBody = true;
            readBody();
        }
    }
    if (m_error.isEmpty() && m_xml.hasError())
        m_error = QStringLiteral("damaged document: %1 (line %2)").arg(m_xml.errorString()).arg(m_xml.lineNumber());
    if (m_error.isEmpty() && !sawBody)
        m_error = QStringLiteral("the document holds no spreadsheet");
    if (m_error.isEmpty() && !m_tableDone)
        m_error = QStringLiteral("the spreadsheet holds no sheet");
    if (!m_error.isEmpty()) {
        if (error)
            *error = m_error;
        return std::nullopt;
    }

    // The used range: every cell with a value, a text, a merge or a border.
    long long top = LLONG_MAX, left = LLONG_MAX, bottom = -1, right = -1;
    for (auto& [pos, raw] : m_cells) {
        const ResolvedStyle rs = resolve(raw.style);
        const bool used = raw.cell.kind != SheetValueKind::Empty || !raw.cell.text.isEmpty() || raw.cell.rowSpan > 1
                          || raw.cell.colSpan > 1 || rs.hasBorder();
        if (!used)
            continue;
        top = std::min(top, pos.first);
        left = std::min(left, pos.second);
        bottom = std::max(bottom, pos.first + raw.cell.rowSpan - 1);
        right = std::max(right, pos.second + raw.cell.colSpan - 1);
    }
    SheetData sheet;
    if (bottom < 0) {
        // An empty sheet still has its first cell, as spreadsheets report it.
        top = left = bottom = right = 0;
    }
    bottom = std::min(bottom, kMaxRows - 1);
    right = std::min(right, kMaxColumns - 1);
    const long long rows = bottom - top + 1, cols = right - left + 1;
    if (rows * cols > kMaxSheetCells) {
        if (error)
            *error = QStringLiteral("the sheet's used range (%1 x %2 cells) is too large").arg(rows).arg(cols);
        return std::nullopt;
    }
    sheet.rows = int(rows);
    sheet.columns = int(cols);
    sheet.firstRow = int(top);
    sheet.firstColumn = int(left);
    sheet.cells.resize(std::size_t(rows * cols));

    auto sizeAt = [](const std::vector<Run>& runs, long long i, double fallback) {
        for (const Run& r : runs)
            if (i >= r.start && i < r.start + r.count)
                return r.size >= 0 ? r.size : fallback;
        return fallback;
    };
    for (long long r = 0; r < rows; ++r)
        sheet.rowHeights.push_back(sizeAt(m_rowRuns, top + r, m_defaultRowHeight));
    for (long long c = 0; c < cols; ++c)
        sheet.columnWidths.push_back(pointsToCharacters(sizeAt(m_columnRuns, left + c, m_defaultColumnWidth)));

    // Cells without an element of their own take their column's default
    // style, then the document's default.
    auto columnStyle = [this](long long c) {
        for (const Run& r : m_columnRuns)
            if (c >= r.start && c < r.start + r.count)
                return r.cellStyle;
        return QString();
    };
    for (long long r = 0; r < rows; ++r)
        for (long long c = 0; c < cols; ++c) {
            SheetCell& out = sheet.at(int(r), int(c));
            auto it = m_cells.find({top + r, left + c});
            QString style = columnStyle(left + c);
            if (it != m_cells.end()) {
                out = it->second.cell;
                if (it->second.hasStyle)
                    style = it->second.style;
            }
            const ResolvedStyle rs = resolve(style);
            out.font = rs.font;
            out.align = rs.align;
            out.left = rs.left;
            out.top = rs.top;
            out.right = rs.right;
            out.bottom = rs.bottom;
            // A merge reaching past the used range ends at its edge.
            out.rowSpan = int(std::min<long long>(out.rowSpan, rows - r));
            out.colSpan = int(std::min<long long>(out.colSpan, cols - c));
        }
    return sheet;
}

void Reader::readSettings()
{
    while (!m_xml.atEnd()) {
        const auto t = m_xml.readNext();
        if (t == QXmlStreamReader::EndElement && is(kOffice, "settings"))
            return;
        if (t == QXmlStreamReader::StartElement && is(kConfig, "config-item")
            && attr(QLatin1StringView(kConfig), QLatin1StringView("name")) == u"ActiveTable" && m_activeTable.isEmpty())
            m_activeTable = m_xml.readElementText();
    }
}

void Reader::readFontFaces()
{
    while (!m_xml.atEnd()) {
        const auto t = m_xml.readNext();
        if (t == QXmlStreamReader::EndElement && is(kOffice, "font-face-decls"))
            return;
        if (t == QXmlStreamReader::StartElement && is(kStyle, "font-face"))
            m_fontFaces.insert(attr(QLatin1StringView(kStyle), QLatin1StringView("name")).toString(),
                               unquote(attr(QLatin1StringView(kSvg), QLatin1StringView("font-family")).toString()));
    }
}

void Reader::readStyles(bool common)
{
    const char* end = common ? "styles" : "automatic-styles";
    while (!m_xml.atEnd() && m_error.isEmpty()) {
        const auto t = m_xml.readNext();
        if (t == QXmlStreamReader::EndElement && is(kOffice, end))
            return;
        if (t != QXmlStreamReader::StartElement)
            continue;
        const bool isDefault = is(kStyle, "default-style");
        if (!isDefault && !is(kStyle, "style")) {
            continue;
        }
        const QString family = attr(QLatin1StringView(kStyle), QLatin1StringView("family")).toString();
        const QString name = attr(QLatin1StringView(kStyle), QLatin1StringView("name")).toString();
        CellStyle style;
        style.parent = attr(QLatin1StringView(kStyle), QLatin1StringView("parent-style-name")).toString();
        double size = -1;
        readStyleProperties(style, &size, family);
        if (family == u"table-cell") {
            if (isDefault)
                m_defaultCellStyle = style;
            else
                m_cellStyles.insert(name, style);
        } else if (family == u"table-row" && size >= 0) {
            if (isDefault)
                m_defaultRowHeight = size;
            else
                m_rowHeights.insert(name, size);
        } else if (family == u"table-column" && size >= 0) {
            if (isDefault)
                m_defaultColumnWidth = size;
            else
                m_columnWidths.insert(name, size);
        }
    }
}

void Reader::readStyleProperties(CellStyle& s, double* size, const QString& family)
{
    const QLatin1StringView fo(kFo), st(kStyle);
    while (!m_xml.atEnd()) {
        const auto t = m_xml.readNext();
        if (t == QXmlStreamReader::EndElement && (is(kStyle, "style") || is(kStyle, "default-style")))
            return;
        if (t != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = m_xml.attributes();
        if (is(kStyle, "table-row-properties") && family == u"table-row") {
            const double h = lengthInPoints(a.value(st, QLatin1StringView("row-height")));
            if (h >= 0)
                *size = h;
        } else if (is(kStyle, "table-column-properties") && family == u"table-column") {
            const double w = lengthInPoints(a.value(st, QLatin1StringView("column-width")));
            if (w >= 0)
                *size = w;
        } else if (is(kStyle, "table-cell-properties")) {
            if (a.hasAttribute(fo, QLatin1StringView("border"))) {
                const SheetLine all = lineOf(a.value(fo, QLatin1StringView("border")));
                s.left = s.top = s.right = s.bottom = all;
            }
            auto side = [&](const char* n, std::optional<SheetLine>& out) {
                if (a.hasAttribute(fo, QLatin1StringView(n)))
                    out = lineOf(a.value(fo, QLatin1StringView(n)));
            };
            side("border-left", s.left);
            side("border-top", s.top);
            side("border-right", s.right);
            side("border-bottom", s.bottom);
            if (a.hasAttribute(st, QLatin1StringView("text-align-source")))
                s.alignFromValue = a.value(st, QLatin1StringView("text-align-source")) == u"value-type";
        } else if (is(kStyle, "paragraph-properties")) {
            if (a.hasAttribute(fo, QLatin1StringView("text-align"))) {
                const QStringView v = a.value(fo, QLatin1StringView("text-align"));
                if (v == u"start" || v == u"left")
                    s.align = SheetAlign::Left;
                else if (v == u"center")
                    s.align = SheetAlign::Centre;
                else if (v == u"end" || v == u"right")
                    s.align = SheetAlign::Right;
                else
                    s.align = SheetAlign::General;
            }
        } else if (is(kStyle, "text-properties")) {
            if (a.hasAttribute(fo, QLatin1StringView("font-weight"))) {
                const QStringView w = a.value(fo, QLatin1StringView("font-weight"));
                bool ok = false;
                const int n = w.toInt(&ok);
                s.bold = w == u"bold" || (ok && n >= 600);
            }
            if (a.hasAttribute(fo, QLatin1StringView("font-style")))
                s.italic = a.value(fo, QLatin1StringView("font-style")) != u"normal";
            if (a.hasAttribute(st, QLatin1StringView("text-underline-style")))
                s.underline = a.value(st, QLatin1StringView("text-underline-style")) != u"none"
                              && a.value(st, QLatin1StringView("text-underline-type")) != u"double";
            if (a.hasAttribute(st, QLatin1StringView("text-line-through-style")))
                s.strikeOut = a.value(st, QLatin1StringView("text-line-through-style")) != u"none";
            if (a.hasAttribute(fo, QLatin1StringView("font-size"))) {
                const double pt = lengthInPoints(a.value(fo, QLatin1StringView("font-size")));
                if (pt > 0)
                    s.size = pt;
            }
            if (a.hasAttribute(st, QLatin1StringView("font-name")))
                s.fontName = a.value(st, QLatin1StringView("font-name")).toString();
            if (a.hasAttribute(fo, QLatin1StringView("font-family")))
                s.fontFamily = unquote(a.value(fo, QLatin1StringView("font-family")).toString());
        }
    }
}

ResolvedStyle Reader::resolve(const QString& name)
{
    auto cached = m_resolved.constFind(name);
    if (cached != m_resolved.constEnd())
        return *cached;
    // The chain from the style up to the default; a loop ends it.
    std::vector<const CellStyle*> chain;
    QString n = name.isEmpty() ? QStringLiteral("Default") : name;
    QStringList seen;
    while (!n.isEmpty() && !seen.contains(n) && chain.size() < 64) {
        seen << n;
        auto it = m_cellStyles.constFind(n);
        if (it == m_cellStyles.constEnd())
            break;
        chain.push_back(&*it);
        n = it->parent;
    }
    if (m_defaultCellStyle)
        chain.push_back(&*m_defaultCellStyle);
    ResolvedStyle r;
    auto pick = [&chain](auto member) -> std::remove_cvref_t<decltype(CellStyle{}.*member)> {
        for (const CellStyle* s : chain)
            if ((s->*member).has_value())
                return s->*member;
        return {};
    };
    r.font.bold = pick(&CellStyle::bold).value_or(false);
    r.font.italic = pick(&CellStyle::italic).value_or(false);
    r.font.underline = pick(&CellStyle::underline).value_or(false);
    r.font.strikeOut = pick(&CellStyle::strikeOut).value_or(false);
    r.font.size = pick(&CellStyle::size).value_or(10.0);
    // The nearer of a face declaration and a plain family wins.
    for (const CellStyle* s : chain) {
        if (s->fontName) {
            r.font.face = m_fontFaces.value(*s->fontName, *s->fontName);
            break;
        }
        if (s->fontFamily) {
            r.font.face = *s->fontFamily;
            break;
        }
    }
    if (!pick(&CellStyle::alignFromValue).value_or(false))
        r.align = pick(&CellStyle::align).value_or(SheetAlign::General);
    r.left = pick(&CellStyle::left).value_or(SheetLine::None);
    r.top = pick(&CellStyle::top).value_or(SheetLine::None);
    r.right = pick(&CellStyle::right).value_or(SheetLine::None);
    r.bottom = pick(&CellStyle::bottom).value_or(SheetLine::None);
    m_resolved.insert(name, r);
    return r;
}

bool Reader::readBody()
{
    while (!m_xml.atEnd() && m_error.isEmpty()) {
        const auto t = m_xml.readNext();
        if (t == QXmlStreamReader::EndElement && is(kOffice, "spreadsheet"))
            return true;
        if (t != QXmlStreamReader::StartElement || !is(kTable, "table"))
            continue;
        const QString name = attr(QLatin1StringView(kTable), QLatin1StringView("name")).toString();
        // The active sheet, or the first when none is named.
        if (!m_tableDone && (m_activeTable.isEmpty() || name == m_activeTable)) {
            if (!readTable())
                return false;
            m_tableDone = true;
        } else {
            m_xml.skipCurrentElement();
        }
    }
    return m_error.isEmpty();
}

bool Reader::readTable()
{
    long long row = 0, column = 0;
    while (!m_xml.atEnd() && m_error.isEmpty()) {
        const auto t = m_xml.readNext();
        if (t == QXmlStreamReader::EndElement && is(kTable, "table"))
            return true;
        if (t != QXmlStreamReader::StartElement)
            continue;
        if (is(kTable, "table-column")) {
            if (!readColumns(column))
                return false;
        } else if (is(kTable, "table-row")) {
            if (!readRow(row))
                return false;
        } else if (is(kTable, "table-header-rows") || is(kTable, "table-rows") || is(kTable, "table-row-group")
                   || is(kTable, "table-header-columns") || is(kTable, "table-columns")
                   || is(kTable, "table-column-group")) {
            continue; // groups only wrap rows and columns
        } else {
            m_xml.skipCurrentElement();
        }
    }
    return fail(QStringLiteral("the sheet ends early"));
}

bool Reader::readColumns(long long& column)
{
    const long long n = repeat(attr(QLatin1StringView(kTable), QLatin1StringView("number-columns-repeated")));
    if (n < 0 || column + n > kMaxColumns * 4)
        return fail(QStringLiteral("a column repeat count is out of range"));
    Run run;
    run.start = column;
    run.count = n;
    const QString style = attr(QLatin1StringView(kTable), QLatin1StringView("style-name")).toString();
    run.size = m_columnWidths.value(style, -1);
    run.cellStyle = attr(QLatin1StringView(kTable), QLatin1StringView("default-cell-style-name")).toString();
    m_columnRuns.push_back(run);
    column += n;
    m_xml.skipCurrentElement();
    return true;
}

bool Reader::readRow(long long& row)
{
    const long long n = repeat(attr(QLatin1StringView(kTable), QLatin1StringView("number-rows-repeated")));
    if (n < 0 || row + n > kMaxRows * 4)
        return fail(QStringLiteral("a row repeat count is out of range"));
    const QString style = attr(QLatin1StringView(kTable), QLatin1StringView("style-name")).toString();
    m_rowRuns.push_back(Run{row, n, m_rowHeights.value(style, -1), {}});

    // The cells of one row; they are laid out n times when the row repeats.
    std::vector<std::pair<long long, RawCell>> cells;
    long long column = 0;
    while (!m_xml.atEnd() && m_error.isEmpty()) {
        const auto t = m_xml.readNext();
        if (t == QXmlStreamReader::EndElement && is(kTable, "table-row"))
            break;
        if (t != QXmlStreamReader::StartElement)
            continue;
        const bool covered = is(kTable, "covered-table-cell");
        if (!covered && !is(kTable, "table-cell")) {
            m_xml.skipCurrentElement();
            continue;
        }
        RawCell raw;
        long long spanRows = 1, spanCols = 1, repeats = 1;
        if (!readCell(raw, covered, spanRows, spanCols, repeats))
            return false;
        if (column + repeats > kMaxColumns * 4)
            return fail(QStringLiteral("a row is too long"));
        // A style alone counts only when it draws a border: formats of empty
        // cells run to the sheet's end in many files.
        const bool keep = raw.cell.kind != SheetValueKind::Empty || !raw.cell.text.isEmpty() || spanRows > 1
                          || spanCols > 1 || covered || (raw.hasStyle && resolve(raw.style).hasBorder());
        if (keep) {
            if (repeats * n > kMaxSheetCells)
                return fail(QStringLiteral("too many repeated cells"));
            for (long long k = 0; k < repeats; ++k)
                cells.emplace_back(column + k, raw);
        }
        column += repeats;
    }
    if (!m_error.isEmpty())
        return false;
    if (!cells.empty()) {
        if (static_cast<long long>(m_cells.size()) + n * static_cast<long long>(cells.size()) > kMaxSheetCells * 2)
            return fail(QStringLiteral("the sheet has too many cells"));
        for (long long k = 0; k < n; ++k)
            for (auto& [c, raw] : cells)
                m_cells[{row + k, c}] = raw;
    }
    row += n;
    return true;
}

bool Reader::readCell(RawCell& raw, bool covered, long long& spanRows, long long& spanCols, long long& repeats)
{
    const QLatin1StringView tb(kTable), of(kOffice);
    const QXmlStreamAttributes a = m_xml.attributes();
    repeats = repeat(a.value(tb, QLatin1StringView("number-columns-repeated")));
    spanRows = repeat(a.value(tb, QLatin1StringView("number-rows-spanned")));
    spanCols = repeat(a.value(tb, QLatin1StringView("number-columns-spanned")));
    if (repeats < 0 || spanRows < 0 || spanCols < 0 || spanRows > kMaxRows || spanCols > kMaxColumns)
        return fail(QStringLiteral("a cell's repeat or span is out of range"));
    raw.hasStyle = a.hasAttribute(tb, QLatin1StringView("style-name"));
    raw.style = a.value(tb, QLatin1StringView("style-name")).toString();
    SheetCell& cell = raw.cell;
    cell.covered = covered;
    if (!covered) {
        cell.rowSpan = int(spanRows);
        cell.colSpan = int(spanCols);
    }
    const QStringView type = a.value(of, QLatin1StringView("value-type"));
    if (type == u"float" || type == u"percentage" || type == u"currency") {
        bool ok = false;
        cell.number = a.value(of, QLatin1StringView("value")).toDouble(&ok);
        cell.kind = ok && std::isfinite(cell.number) ? SheetValueKind::Number : SheetValueKind::Other;
    } else if (type == u"date") {
        const QStringView v = a.value(of, QLatin1StringView("date-value"));
        cell.date = QDate::fromString(v.left(10).toString(), Qt::ISODate);
        cell.kind = cell.date.isValid() ? SheetValueKind::Date : SheetValueKind::Other;
    } else if (type == u"time") {
        // A time of day is a fraction of a day, as a number.
        const QString v = a.value(of, QLatin1StringView("time-value")).toString();
        int h = 0, m = 0;
        double s = 0;
        cell.kind = SheetValueKind::Number;
        if (std::sscanf(v.toLatin1().constData(), "PT%dH%dM%lfS", &h, &m, &s) == 3)
            cell.number = (h * 3600 + m * 60 + s) / 86400.0;
    } else if (type == u"string") {
        cell.kind = SheetValueKind::Text;
    } else if (!type.isEmpty()) {
        cell.kind = SheetValueKind::Other;
    }
    const bool hasStringValue = a.hasAttribute(of, QLatin1StringView("string-value"));
    const QString stringValue = a.value(of, QLatin1StringView("string-value")).toString();
    cell.text = readCellText();
    if (!m_error.isEmpty())
        return false;
    if (hasStringValue)
        cell.text = stringValue;
    if (cell.kind == SheetValueKind::Empty && !cell.text.isEmpty())
        cell.kind = SheetValueKind::Text;
    if (cell.kind != SheetValueKind::Text)
        cell.text.clear();
    return true;
}

QString Reader::readCellText()
{
    QString text;
    int paragraphs = 0;
    int depth = 0;
    while (!m_xml.atEnd()) {
        const auto t = m_xml.readNext();
        if (t == QXmlStreamReader::EndElement) {
            if (depth == 0)
                return text; // the cell's own end
            --depth;
            continue;
        }
        if (t == QXmlStreamReader::Characters && depth > 0) {
            text += m_xml.text();
            continue;
        }
        if (t != QXmlStreamReader::StartElement)
            continue;
        if (is(kOffice, "annotation")) {
            m_xml.skipCurrentElement();
            continue;
        }
        if (is(kText, "p") || is(kText, "h")) {
            if (depth == 0 && paragraphs++ > 0)
                text += u'\n';
        } else if (is(kText, "s")) {
            const long long n = repeat(m_xml.attributes().value(QLatin1StringView(kText), QLatin1StringView("c")));
            text += QString(int(std::clamp<long long>(n, 1, 1024)), u' ');
        } else if (is(kText, "tab")) {
            text += u'\t';
        } else if (is(kText, "line-break")) {
            text += u'\n';
        }
        ++depth;
    }
    fail(QStringLiteral("a cell ends early"));
    return text;
}

} // namespace

double lengthInPoints(QStringView text)
{
    const QString t = text.trimmed().toString();
    static const struct {
        const char* unit;
        double points;
    } units[] = {{"cm", 72.0 / 2.54}, {"mm", 72.0 / 25.4}, {"in", 72.0}, {"pt", 1.0}, {"pc", 12.0}, {"px", 0.75}};
    for (const auto& u : units) {
        if (!t.endsWith(QLatin1StringView(u.unit)))
            continue;
        bool ok = false;
        const double v = QStringView(t).chopped(2).toDouble(&ok);
        return ok && std::isfinite(v) && v >= 0 ? v * u.points : -1;
    }
    return -1;
}

double pointsToCharacters(double points)
{
    const double pixels = points * 96.0 / 72.0;
    return std::max(0.0, (pixels - 5.0) / 7.0);
}

QString sheetCellText(const SheetCell& cell)
{
    switch (cell.kind) {
    case SheetValueKind::Number: {
        char buf[400];
        std::snprintf(buf, sizeof buf, "%0.0f", cell.number);
        // A value that rounds to zero shows no sign.
        if (std::strcmp(buf, "-0") == 0)
            return QStringLiteral("0");
        return QString::fromLatin1(buf);
    }
    case SheetValueKind::Date:
        // Dates before 1900 have no serial number: day 0 stands in.
        return (cell.date.year() > 1899 ? cell.date : QDate(1899, 12, 30)).toString(QStringLiteral("yyyy-MM-dd"));
    case SheetValueKind::Text:
        return cell.text;
    default:
        return {};
    }
}

std::optional<SheetData> readFlatSpreadsheet(const QByteArray& xml, QString* error)
{
    Reader reader(xml);
    return reader.run(error);
}

} // namespace panels
