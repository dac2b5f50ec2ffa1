#include "app/controls/ComboBoxes.h"
#include "app/controls/ControlMessages.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStyle>
#include <QStylePainter>

namespace controls {

namespace {

// An item's check state is its item data (Qt::UserRole, what setItemData and
// itemData use): non-zero data checks it, and reading gives 1 or 0.
class CheckItemModel : public QStandardItemModel {
public:
    using QStandardItemModel::QStandardItemModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::UserRole) {
            if (!index.isValid())
                return {};
            const bool checked = QStandardItemModel::data(index, Qt::CheckStateRole).toInt() != Qt::Unchecked;
            return checked ? 1 : 0;
        }
        return QStandardItemModel::data(index, role);
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role == Qt::UserRole)
            return QStandardItemModel::setData(index, value.toLongLong() != 0 ? Qt::Checked : Qt::Unchecked,
                                               Qt::CheckStateRole);
        return QStandardItemModel::setData(index, value, role);
    }
};

} // namespace

CCheckComboBox::CCheckComboBox(QWidget* parent)
    : QComboBox(parent), m_model(new CheckItemModel(this)), m_separator(defaultListSeparator())
{
    setModel(m_model);
    view()->viewport()->installEventFilter(this);
    view()->installEventFilter(this);
    setCurrentIndex(-1);
    // Items are toggled, never selected: Return in the open list, arrow keys
    // or the wheel on the closed box must not make one the current item.
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            setCurrentIndex(-1);
    });
    // Items added the ordinary way (addItem, insertItem) become check items
    // too; data given with them is their check.
    connect(m_model, &QStandardItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        for (int row = first; row <= last; ++row) {
            QStandardItem* item = m_model->item(row);
            if (!item || item->data(Qt::CheckStateRole).isValid())
                continue;
            const bool checked = item->data(Qt::UserRole).toLongLong() != 0;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setData(checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
        }
        m_faceValid = false;
    });
    connect(m_model, &QStandardItemModel::itemChanged, this, [this] {
        m_faceValid = false;
        update();
    });
}

QString CCheckComboBox::defaultListSeparator()
{
    // Where the decimal point is a comma, lists use a semicolon.
    return QLocale().decimalPoint() == QStringLiteral(",") ? QStringLiteral(";") : QStringLiteral(",");
}

void CCheckComboBox::setListSeparator(const QString& sep)
{
    m_separator = sep;
    m_faceValid = false;
    update();
}

int CCheckComboBox::addItemChecked(const QString& text, bool checked)
{
    auto* item = new QStandardItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setData(checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    m_model->appendRow(item);
    setCurrentIndex(-1);
    m_faceValid = false;
    return static_cast<int>(m_model->rowCount() - 1);
}

bool CCheckComboBox::SetCheck(int index, bool checked)
{
    QStandardItem* item = m_model->item(index);
    if (!item)
        return false;
    item->setData(checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    m_faceValid = false;
    update();
    return true;
}

bool CCheckComboBox::GetCheck(int index) const
{
    QStandardItem* item = m_model->item(index);
    return item && item->data(Qt::CheckStateRole).toInt() != Qt::Unchecked;
}

void CCheckComboBox::toggle(int index)
{
    if (index < 0 || index >= m_model->rowCount())
        return;
    SetCheck(index, !GetCheck(index));
    sendCommand(this, 1); // CBN_SELCHANGE
    emit checkToggled(index);
}

QString CCheckComboBox::faceText() const
{
    if (m_faceValid)
        return m_face;
    QString sep = m_separator;
    while (!sep.isEmpty() && sep.back().isSpace())
        sep.chop(1);
    if (sep.isEmpty())
        sep = QStringLiteral(";");
    sep += u' ';
    QStringList parts;
    for (int i = 0; i < m_model->rowCount(); ++i)
        if (GetCheck(i))
            parts << m_model->item(i)->text();
    m_face = parts.join(sep);
    m_faceValid = true;
    return m_face;
}

QSize CCheckComboBox::sizeHint() const
{
    return QComboBox::sizeHint();
}

void CCheckComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText = faceText();
    opt.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    p.drawControl(QStyle::CE_ComboBoxLabel, opt);
}

bool CCheckComboBox::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == view()->viewport()) {
        if (e->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(e);
            QModelIndex idx = view()->indexAt(me->position().toPoint());
            if (idx.isValid()) {
                view()->setCurrentIndex(idx); // Space then acts on the clicked item
                toggle(idx.row());
            }
            return true;
        }
        if (e->type() == QEvent::MouseButtonRelease || e->type() == QEvent::MouseButtonDblClick)
            return true; // the list stays open while items are clicked
    } else if (watched == view() && e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->key() == Qt::Key_Space) {
            QModelIndex idx = view()->currentIndex();
            if (idx.isValid())
                toggle(idx.row());
            return true;
        }
    }
    return QComboBox::eventFilter(watched, e);
}

CFontComboBox::CFontComboBox(QWidget* parent) : QComboBox(parent) {}

void CFontComboBox::FillFonts(const QStringList& faces)
{
    QStringList names = faces.isEmpty() ? QFontDatabase::families() : faces;
    QFontMetrics fm(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    for (const QString& n : names) {
        addItem(n);
        m_widest = qMax(m_widest, fm.horizontalAdvance(n + u'0'));
    }
}

void CFontComboBox::SelectByName(const QString& name)
{
    int i = findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i >= 0)
        setCurrentIndex(i);
}

void CFontComboBox::showPopup()
{
    int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    view()->setMinimumWidth(m_widest + sb);
    QComboBox::showPopup();
}

CSizeComboBox::CSizeComboBox(QWidget* parent) : QComboBox(parent) {}

void CSizeComboBox::FillSizes()
{
    for (const char* s : {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"})
        addItem(QString::fromLatin1(s));
}

} // namespace controls
