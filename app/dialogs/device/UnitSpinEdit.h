#pragma once
// A number edit with its up-down control, as the settings dialogs and the
// wizard pair them. Panel sizes count in units (8 LEDs for widths, 4 for
// heights): the spin holds whole units while the edit may hold any number
// typed; stepping writes position x unit into the edit. With unit 1 it is
// the plain clamped number edit. What is stored comes from the edit's text,
// clamped and rounded by the caller (clampStore, roundUpTo).
#include <QLineEdit>
#include <QWidget>

class QToolButton;

namespace dialogs {

// v rounded up to a multiple of unit (unit > 0).
constexpr int roundUpTo(int v, int unit) { return v <= 0 ? 0 : (v + unit - 1) / unit * unit; }

// The spin position a typed value moves the spin to: ceil(v / unit) within
// [minimum, maximum] (positions).
int unitPositionFor(int typed, int unit, int minimum, int maximum);

// The up-down control alone: a position within a range, stepped by its two
// buttons.
class CSpinButtons : public QWidget {
    Q_OBJECT
public:
    explicit CSpinButtons(QWidget* parent = nullptr);
    void setRange(int minimum, int maximum);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    int position() const { return m_pos; }
    // Clamped to the range; no signal.
    void setPosition(int pos);
    // A user step: moves and emits stepped when the position changed.
    void stepBy(int steps);
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    void stepped(int position);

private:
    QToolButton* m_up;
    QToolButton* m_down;
    int m_min = 0;
    int m_max = 100;
    int m_pos = 0;
};

class CUnitSpinEdit : public QWidget {
    Q_OBJECT
public:
    CUnitSpinEdit(int editId, int spinId, int unit, QWidget* parent = nullptr);

    QLineEdit* edit() const { return m_edit; }
    CSpinButtons* spin() const { return m_spin; }
    int unit() const { return m_unit; }

    // Range of the spin, in units.
    void setRange(int minimum, int maximum);
    int minimum() const { return m_spin->minimum(); }
    int maximum() const { return m_spin->maximum(); }
    // Moves the spin and shows position x unit in the edit.
    void setPosition(int pos);
    int position() const { return m_spin->position(); }
    // Shows a number as it is and moves the spin to where typing it would.
    void setValue(int v);
    // The edit's number (its leading integer; 0 when it does not start with one).
    int value() const;
    // The edit's number clamped to the spin's range times the unit.
    int clampedValue() const;

signals:
    void valueEdited();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void onTyped();
    void showPosition(int pos);
    QLineEdit* m_edit;
    CSpinButtons* m_spin;
    int m_unit;
};

} // namespace dialogs
