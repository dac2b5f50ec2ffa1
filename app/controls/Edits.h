#pragma once
// Unit-suffixed, range-limited and masked single-line edits.
#include <QLineEdit>
#include <climits>

namespace controls {

// The window text read as a decimal integer (leading blanks, a sign, digits,
// anything after ignored); 0 when it does not start with a number.
int GetWindowInt(const QLineEdit* edit);
int parseLeadingInt(const QString& text);

// An edit that shows a unit text inside its frame beside the editable area.
class CPostFixEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CPostFixEdit(QWidget* parent = nullptr);

    // side 0: the unit stands right of the text; otherwise left.
    void SetSuffix(const QString& text, int side = 0);
    void SetSuffixFromResource(unsigned stringId);
    QString suffix() const { return m_unit; }
    int suffixSide() const { return m_side; }
    int suffixWidth() const { return m_unitWidth; }
    // The unit's rectangle in widget coordinates.
    QRect suffixRect() const;

    // Digits only (the edit's numeric style).
    void setNumeric(bool on);
    bool isNumeric() const { return m_numeric; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_unit;
    int m_unitWidth = 0;
    int m_side = 0;
    bool m_numeric = false;
};

// A numeric edit that keeps what is typed within a range.
class CRangeEdit : public CPostFixEdit {
    Q_OBJECT
public:
    explicit CRangeEdit(QWidget* parent = nullptr);

    // Refused (false) unless the edit is numeric.
    virtual bool SetRange(int minimum, int maximum);
    virtual int Clamp(int value) const;
    void SetValue(int value);
    int GetValue() const { return GetWindowInt(this); }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }

protected:
    void focusOutEvent(QFocusEvent*) override;

private:
    void onEdited();
    void clampBelow();

    int m_min = INT_MIN;
    int m_max = INT_MAX;
};

// The masked-input rules, apart from the widget: "#" a digit, "?" a letter,
// "X" a hexadecimal digit, anything else a literal shown as it is.
class MaskModel {
public:
    enum class Edit { Typed, Backspace, Delete };

    void setMask(const QString& mask, QChar placeholder = u'_');
    QString mask() const { return m_mask; }
    QString shown() const { return m_shown; }
    void setText(const QString& text);
    QString rawText() const;
    // Applies an edit the line edit made; returns the new caret position, or
    // -1 when nothing was to be done.
    int apply(const QString& windowText, int selStart, Edit kind);

    static bool isMaskChar(QChar m) { return m == u'#' || m == u'?' || m == u'X'; }
    static bool accepts(QChar m, QChar c);

private:
    QChar slot(int i) const { return isMaskChar(m_mask[i]) ? m_placeholder : m_mask[i]; }
    int firstMaskAtOrAfter(int i) const;

    QString m_mask;
    QString m_shown;
    QChar m_placeholder = u'_';
};

class CMaskEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CMaskEdit(QWidget* parent = nullptr);

    void SetMask(const QString& mask);
    void SetMacMask() { SetMask(QStringLiteral("XX-XX-XX-XX-XX-XX")); }
    void SetText(const QString& text);
    QString GetRawText() const { return m_model.rawText(); }
    const MaskModel& model() const { return m_model; }

protected:
    void keyPressEvent(QKeyEvent*) override;

private:
    void onEdited(const QString& text);

    MaskModel m_model;
    MaskModel::Edit m_lastKey = MaskModel::Edit::Typed;
    bool m_updating = false;
};

} // namespace controls
