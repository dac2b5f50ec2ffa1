#include "app/dialogs/device/UnitSpinEdit.h"

#include "app/controls/Edits.h"
#include "app/dialogs/device/DlgUtil.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

namespace dialogs {

int unitPositionFor(int typed, int unit, int minimum, int maximum)
{
    if (unit < 1)
        unit = 1;
    // Compare in 64 bits: a typed width near INT_MAX must not wrap.
    const long long v = typed;
    if (v < static_cast<long long>(minimum) * unit)
        return minimum;
    if (v > static_cast<long long>(maximum) * unit)
        return maximum;
    return static_cast<int>((v + unit - 1) / unit);
}

CSpinButtons::CSpinButtons(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    for (QToolButton* b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(16, 11);
        layout->addWidget(b);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void CSpinButtons::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = std::max(minimum, maximum);
    m_pos = std::clamp(m_pos, m_min, m_max);
}

void CSpinButtons::setPosition(int pos)
{
    m_pos = std::clamp(pos, m_min, m_max);
}

void CSpinButtons::stepBy(int steps)
{
    const int old = m_pos;
    setPosition(static_cast<int>(std::clamp<long long>(static_cast<long long>(m_pos) + steps, m_min, m_max)));
    if (m_pos != old)
        emit stepped(m_pos);
}

CUnitSpinEdit::CUnitSpinEdit(int editId, int spinId, int unit, QWidget* parent)
    : QWidget(parent), m_unit(std::max(1, unit))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    m_edit = withId(new QLineEdit(this), editId);
    m_edit->setMaxLength(10);
    m_spin = withId(new CSpinButtons(this), spinId);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_spin);
    setFocusProxy(m_edit);
    m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::textEdited, this, &CUnitSpinEdit::onTyped);
    connect(m_spin, &CSpinButtons::stepped, this, [this](int pos) {
        showPosition(pos);
        emit valueEdited();
    });
}

void CUnitSpinEdit::setRange(int minimum, int maximum)
{
    m_spin->setRange(minimum, maximum);
}

void CUnitSpinEdit::setPosition(int pos)
{
    m_spin->setPosition(pos);
    showPosition(m_spin->position());
}

void CUnitSpinEdit::setValue(int v)
{
    m_edit->setText(QString::number(v));
    m_spin->setPosition(unitPositionFor(v, m_unit, minimum(), maximum()));
}

int CUnitSpinEdit::value() const
{
    return controls::GetWindowInt(m_edit);
}

int CUnitSpinEdit::clampedValue() const
{
    return static_cast<int>(std::clamp<long long>(value(), static_cast<long long>(minimum()) * m_unit,
                                                  static_cast<long long>(maximum()) * m_unit));
}

void CUnitSpinEdit::onTyped()
{
    // Only the spin follows what is typed; the text stays as typed.
    m_spin->setPosition(unitPositionFor(value(), m_unit, minimum(), maximum()));
    emit valueEdited();
}

void CUnitSpinEdit::showPosition(int pos)
{
    m_edit->setText(QString::number(static_cast<long long>(pos) * m_unit));
}

bool CUnitSpinEdit::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_edit && isEnabled()) {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                m_spin->stepBy(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        } else if (e->type() == QEvent::Wheel) {
            const int dy = static_cast<QWheelEvent*>(e)->angleDelta().y();
            if (dy)
                m_spin->stepBy(dy > 0 ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

} // namespace dialogs
