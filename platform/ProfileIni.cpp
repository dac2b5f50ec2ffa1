#include "platform/ProfileIni.h"
#include "platform/OperatorFile.h"

#include <QSaveFile>
#include <QtEndian>
#include <climits>

namespace platform {
namespace {

// A stray carriage return (a CRLF file cut after its CR) counts as blank too.
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r';
}

QString trimmed(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

// The section name of a header line, or a null string for any other line.
QString headerName(const QString& line)
{
    const QString t = trimmed(line);
    if (!t.startsWith(u'['))
        return {};
    const qsizetype close = t.indexOf(u']');
    const QString name = trimmed(t.mid(1, close < 0 ? -1 : close - 1));
    return name.isNull() ? QStringLiteral("") : name;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasBreak(const QString& s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}

} // namespace

bool ProfileFile::load(const QString& path, FileRead* why)
{
    m_lines.clear();
    m_utf16 = m_bom = false;
    QByteArray raw;
    const FileRead read = readOperatorFile(path, kMaxProfileBytes, raw);
    if (why)
        *why = read == FileRead::Missing ? FileRead::Ok : read;
    switch (read) {
    case FileRead::Ok:
        loadData(std::move(raw));
        return true;
    case FileRead::Missing:
        return true;
    default:
        return false;
    }
}

void ProfileFile::loadData(QByteArray raw)
{
    m_lines.clear();
    m_utf16 = m_bom = false;
    QString text;
    if (raw.startsWith("\xFF\xFE")) {
        m_utf16 = m_bom = true;
        // Taken unit by unit: a decoder would treat a second mark after the
        // first as a byte-order switch and garble everything behind it.
        const qsizetype units = (raw.size() - 2) / 2;
        text.resize(units);
        for (qsizetype i = 0; i < units; ++i)
            text[i] = QChar(qFromLittleEndian<quint16>(raw.constData() + 2 + 2 * i));
    } else {
        if (raw.startsWith("\xEF\xBB\xBF")) {
            m_bom = true;
            raw.remove(0, 3);
        }
        text = QString::fromUtf8(raw);
    }
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype nl = text.indexOf(u'\n', pos);
        Line line;
        if (nl < 0) {
            line.text = text.mid(pos);
            pos = text.size();
        } else {
            qsizetype end = nl;
            if (end > pos && text[end - 1] == u'\r') {
                --end;
                line.eol = QStringLiteral("\r\n");
            } else {
                line.eol = QStringLiteral("\n");
            }
            line.text = text.mid(pos, end - pos);
            pos = nl + 1;
        }
        m_lines.append(line);
    }
}

QByteArray ProfileFile::bytes() const
{
    QString text;
    for (const Line& l : m_lines)
        text += l.text + l.eol;
    if (m_utf16) {
        QByteArray out = m_bom ? QByteArray("\xFF\xFE", 2) : QByteArray();
        const qsizetype start = out.size();
        out.resize(start + text.size() * 2);
        for (qsizetype i = 0; i < text.size(); ++i)
            qToLittleEndian<quint16>(text[i].unicode(), out.data() + start + 2 * i);
        return out;
    }
    QByteArray out = m_bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    return out + text.toUtf8();
}

bool ProfileFile::save(const QString& path) const
{
    const QByteArray data = bytes();
    if (fileHolds(path, data))
        return true;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(data) != data.size())
        return false;
    return f.commit();
}

int ProfileFile::findSection(const QString& section) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString name = headerName(m_lines[i].text);
        if (!name.isNull() && sameName(name, section))
            return i;
    }
    return -1;
}

int ProfileFile::findKey(int header, const QString& key) const
{
    for (int i = header + 1; i < m_lines.size(); ++i) {
        const QString& t = m_lines[i].text;
        if (!headerName(t).isNull())
            break;
        const qsizetype eq = t.indexOf(u'=');
        if (eq >= 0 && sameName(trimmed(t.left(eq)), key))
            return i;
    }
    return -1;
}

bool ProfileFile::contains(const QString& section, const QString& key) const
{
    const int h = findSection(section);
    return h >= 0 && findKey(h, key) >= 0;
}

QString ProfileFile::value(const QString& section, const QString& key, const QString& fallback) const
{
    const int h = findSection(section);
    const int k = h < 0 ? -1 : findKey(h, key);
    if (k < 0)
        return fallback;
    const QString& t = m_lines[k].text;
    QString v = trimmed(t.mid(t.indexOf(u'=') + 1));
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

QStringList ProfileFile::keys(const QString& section) const
{
    QStringList out;
    const int h = findSection(trimmed(section));
    if (h < 0)
        return out;
    for (int i = h + 1; i < m_lines.size() && headerName(m_lines[i].text).isNull(); ++i) {
        const QString& t = m_lines[i].text;
        const qsizetype eq = t.indexOf(u'=');
        if (eq >= 0)
            out.append(trimmed(t.left(eq)));
    }
    return out;
}

int ProfileFile::sectionCount() const
{
    int n = 0;
    for (const Line& line : m_lines)
        n += headerName(line.text).isNull() ? 0 : 1;
    return n;
}

bool ProfileFile::removeKey(const QString& section, const QString& key)
{
    bool removed = false;
    for (;;) {
        const int h = findSection(trimmed(section));
        const int k = h < 0 ? -1 : findKey(h, trimmed(key));
        if (k < 0)
            return removed;
        m_lines.removeAt(k);
        removed = true;
    }
}

bool ProfileFile::removeSection(const QString& section)
{
    const int h = findSection(trimmed(section));
    if (h < 0)
        return false;
    int end = h + 1;
    while (end < m_lines.size() && headerName(m_lines[end].text).isNull())
        ++end;
    m_lines.remove(h, end - h);
    return true;
}

QString ProfileFile::newLineEnding() const
{
    int crlf = 0, lf = 0;
    for (const Line& l : m_lines) {
        if (l.eol == u"\r\n")
            ++crlf;
        else if (l.eol == u"\n")
            ++lf;
    }
    return lf > crlf ? QStringLiteral("\n") : QStringLiteral("\r\n");
}

bool ProfileFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString s = trimmed(section), k = trimmed(key);
    if (s.isEmpty() || k.isEmpty() || hasBreak(s) || hasBreak(k) || hasBreak(value) || s.contains(u']')
        || k.contains(u'=') || k.startsWith(u'['))
        return false;
    const QString eol = newLineEnding();
    // The line before an insertion must end, or the new text would join it.
    auto endLine = [&](int i) {
        if (i >= 0 && m_lines[i].eol.isEmpty())
            m_lines[i].eol = eol;
    };
    const int h = findSection(s);
    if (h < 0) {
        endLine(int(m_lines.size()) - 1);
        m_lines.append({u'[' + s + u']', eol});
        m_lines.append({k + u'=' + value, eol});
        return true;
    }
    const int at = findKey(h, k);
    if (at >= 0) {
        QString& t = m_lines[at].text;
        t = trimmed(t.left(t.indexOf(u'='))) + u'=' + value;
        return true;
    }
    // After the section's last non-blank line.
    int last = h;
    for (int i = h + 1; i < m_lines.size() && headerName(m_lines[i].text).isNull(); ++i)
        if (!trimmed(m_lines[i].text).isEmpty())
            last = i;
    endLine(last);
    m_lines.insert(last + 1, {k + u'=' + value, eol});
    return true;
}

int ProfileTextToInt(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (isBlank(text[i]) || text[i] == u'\r' || text[i] == u'\n'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long v = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        v = v * 10 + (text[i].unicode() - u'0');
        if (v > 1LL + INT_MAX)
            v = 1LL + INT_MAX;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return int(v);
}

QString GetPrivateProfileString(const QString& section, const QString& key, const QString& fallback,
                                const QString& path)
{
    ProfileFile f;
    f.load(path);
    return f.value(section, key, fallback);
}

int GetPrivateProfileInt(const QString& section, const QString& key, int fallback, const QString& path)
{
    ProfileFile f;
    f.load(path);
    if (!f.contains(section, key))
        return fallback;
    return ProfileTextToInt(f.value(section, key));
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& path)
{
    ProfileFile f;
    if (!f.load(path))
        return false;
    return f.setValue(section, key, value) && f.save(path);
}

QStringList SplitProfileList(const QString& value)
{
    QStringList out;
    qsizetype pos = 0;
    for (qsizetype semi; (semi = value.indexOf(u';', pos)) >= 0; pos = semi + 1)
        out.append(value.mid(pos, semi - pos));
    return out;
}

QString JoinProfileList(const QStringList& entries)
{
    QString out;
    for (const QString& e : entries)
        out += e + u';';
    return out;
}

} // namespace platform
