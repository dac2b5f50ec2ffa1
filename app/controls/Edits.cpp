#include "app/controls/Edits.h"
#include "platform/LangPack.h"

#include <QKeyEvent>
#include <algorithm>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionFrame>

namespace controls {

int parseLeadingInt(const QString& text)
{
    int i = 0;
    const int n = static_cast<int>(text.size());
    while (i < n && text[i].isSpace())
        ++i;
    bool neg = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        neg = text[i] == u'-';
        ++i;
    }
    long long v = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        v = v * 10 + (text[i].unicode() - u'0');
        if (v > 2147483648LL)
            v = 2147483648LL; // saturate rather than wrap
        ++i;
    }
    v = neg ? -v : v;
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

int GetWindowInt(const QLineEdit* edit)
{
    return edit ? parseLeadingInt(edit->text()) : 0;
}

// ---- CPostFixEdit ----

CPostFixEdit::CPostFixEdit(QWidget* parent) : QLineEdit(parent) {}

void CPostFixEdit::setNumeric(bool on)
{
    m_numeric = on;
    setValidator(on ? new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this)
                    : nullptr);
}

void CPostFixEdit::SetSuffix(const QString& text, int side)
{
    m_unit = text;
    m_side = side;
    int w = text.isEmpty() ? 0 : fontMetrics().horizontalAdvance(text);
    if (w >= width() - 8)
        w = width() / 2;
    m_unitWidth = text.isEmpty() ? 0 : w;
    if (m_side == 0)
        setTextMargins(0, 0, m_unitWidth, 0);
    else
        setTextMargins(m_unitWidth, 0, 0, 0);
    update();
}

void CPostFixEdit::SetSuffixFromResource(unsigned stringId)
{
    SetSuffix(platform::langString(stringId), 0);
}

QRect CPostFixEdit::suffixRect() const
{
    if (m_unitWidth <= 0)
        return {};
    // Inside the frame and the one-pixel bevel or shadow that styles draw
    // just within it, so that the unit never paints over either.
    const int inset = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) + 1;
    QRect inner = rect().adjusted(inset, inset, -inset, -inset);
    return m_side == 0 ? QRect(inner.right() - m_unitWidth + 1, inner.top(), m_unitWidth, inner.height())
                       : QRect(inner.left(), inner.top(), m_unitWidth, inner.height());
}

void CPostFixEdit::paintEvent(QPaintEvent* e)
{
    QLineEdit::paintEvent(e);
    QRect r = suffixRect();
    if (r.isEmpty())
        return;
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(r, isEnabled() ? pal.base() : pal.button());
    p.setPen(isEnabled() ? pal.shadow().color() : pal.color(QPalette::Disabled, QPalette::Text));
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, m_unit);
}

// ---- CRangeEdit ----

CRangeEdit::CRangeEdit(QWidget* parent) : CPostFixEdit(parent)
{
    setNumeric(true);
    connect(this, &QLineEdit::textEdited, this, &CRangeEdit::onEdited);
    connect(this, &QLineEdit::returnPressed, this, &CRangeEdit::clampBelow);
}

bool CRangeEdit::SetRange(int minimum, int maximum)
{
    if (!isNumeric())
        return false;
    m_min = minimum;
    m_max = maximum;
    return true;
}

int CRangeEdit::Clamp(int value) const
{
    if (value >= m_min && value <= m_max)
        return value;
    return value > m_max ? m_max : m_min;
}

void CRangeEdit::SetValue(int value)
{
    int v = Clamp(value);
    setText(QString::number(v));
    if (v != value)
        setCursorPosition(static_cast<int>(text().size()));
}

void CRangeEdit::onEdited()
{
    // Too large is cut at once. Too small waits for the end of the edit:
    // with a minimum of 10 the "1" of "15" must be typable.
    int v = GetWindowInt(this);
    if (v > m_max) {
        setText(QString::number(m_max));
        setCursorPosition(static_cast<int>(text().size()));
    }
}

void CRangeEdit::clampBelow()
{
    int v = GetWindowInt(this);
    int c = Clamp(v);
    if (c != v || text().isEmpty()) {
        setText(QString::number(c));
        setCursorPosition(static_cast<int>(text().size()));
    }
}

void CRangeEdit::focusOutEvent(QFocusEvent* e)
{
    clampBelow();
    CPostFixEdit::focusOutEvent(e);
}

// ---- MaskModel ----

bool MaskModel::accepts(QChar m, QChar c)
{
    if (m == u'#')
        return c >= u'0' && c <= u'9';
    if (m == u'?')
        return c.isLetter();
    if (m == u'X')
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    return false;
}

void MaskModel::setMask(const QString& mask, QChar placeholder)
{
    m_mask = mask;
    m_placeholder = placeholder;
    m_shown.clear();
    for (int i = 0; i < m_mask.size(); ++i)
        m_shown += slot(i);
}

void MaskModel::setText(const QString& text)
{
    m_shown.clear();
    int next = 0;
    for (int i = 0; i < m_mask.size(); ++i) {
        if (!isMaskChar(m_mask[i]))
            m_shown += m_mask[i];
        else if (next < text.size())
            m_shown += text[next++];
        else
            m_shown += m_placeholder;
    }
}

QString MaskModel::rawText() const
{
    QString raw;
    for (int i = 0; i < m_mask.size() && i < m_shown.size(); ++i)
        if (isMaskChar(m_mask[i]))
            raw += m_shown[i];
    return raw;
}

int MaskModel::firstMaskAtOrAfter(int i) const
{
    for (int k = qMax(0, i); k < m_mask.size(); ++k)
        if (isMaskChar(m_mask[k]))
            return k;
    return static_cast<int>(m_mask.size());
}

int MaskModel::apply(const QString& windowText, int s, Edit kind)
{
    if (windowText == m_shown)
        return -1;
    const int len = static_cast<int>(m_mask.size());
    if (kind == Edit::Backspace) {
        if (s >= 0 && s < len)
            m_shown[s] = slot(s);
        int caret = 0;
        for (int k = qMin(s, len) - 1; k >= 0; --k)
            if (isMaskChar(m_mask[k])) {
                caret = k + 1;
                break;
            }
        return caret;
    }
    if (kind == Edit::Delete) {
        if (s >= 0 && s < len)
            m_shown[s] = slot(s);
        return firstMaskAtOrAfter(s + 1);
    }
    if (s <= 0)
        return 0;
    if (s - 1 < len && s - 1 < windowText.size()) {
        QChar m = m_mask[s - 1];
        QChar c = windowText[s - 1];
        if (!isMaskChar(m))
            return firstMaskAtOrAfter(s); // a literal stays what it is
        if (!accepts(m, c))
            return s - 1; // refused: text and caret as they were
        if (m_shown.size() < s)
            m_shown = m_shown.leftJustified(s, m_placeholder);
        m_shown[s - 1] = c;
    }
    return firstMaskAtOrAfter(s);
}

// ---- CMaskEdit ----

CMaskEdit::CMaskEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &CMaskEdit::onEdited);
}

void CMaskEdit::SetMask(const QString& mask)
{
    m_model.setMask(mask);
    m_updating = true;
    setText(m_model.shown());
    m_updating = false;
}

void CMaskEdit::SetText(const QString& text)
{
    m_model.setText(text);
    m_updating = true;
    setText(m_model.shown());
    m_updating = false;
}

void CMaskEdit::keyPressEvent(QKeyEvent* e)
{
    m_lastKey = e->key() == Qt::Key_Delete      ? MaskModel::Edit::Delete
              : e->key() == Qt::Key_Backspace ? MaskModel::Edit::Backspace
                                               : MaskModel::Edit::Typed;
    QLineEdit::keyPressEvent(e);
    m_lastKey = MaskModel::Edit::Typed;
}

void CMaskEdit::onEdited(const QString& text)
{
    if (m_updating)
        return;
    int s = hasSelectedText() ? selectionStart() : cursorPosition();
    int caret = m_model.apply(text, s, m_lastKey);
    if (caret < 0)
        return;
    m_updating = true;
    setText(m_model.shown());
    setCursorPosition(caret);
    m_updating = false;
}

} // namespace controls
