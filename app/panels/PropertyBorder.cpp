#include "app/panels/PropertyBorder.h"

#include "app/controls/Edits.h"
#include "app/controls/IconButton.h"
#include "app/controls/MessageBox.h"
#include "app/editor/EditorStrings.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace panels {
namespace {
// The motions in the order of the list: item data, text.
constexpr struct {
    int mode;
    unsigned text;
} kMotions[] = {{255, 48227}, {0, 48228}, {1, 48229}, {2, 48230}, {3, 48231}, {4, 48232}, {5, 48233}};

// The add menu: element type, text, and the text appended to it (0: none).
constexpr struct {
    int type;
    unsigned text, more;
} kAddMenu[] = {
    {0, 34700, 0},       {11, 41028, 41107}, {12, 41029, 41108}, {13, 41030, 41113}, {14, 41031, 41109},
    {15, 41032, 41109},  {16, 41033, 41109}, {1, 41017, 41100},  {17, 41034, 41110}, {18, 41035, 41110},
    {19, 41036, 41110},  {20, 41037, 41111}, {21, 41038, 41111}, {22, 41039, 41111}, {23, 41040, 41112},
    {10, 41027, 41102},  {7, 41024, 41105},  {8, 41025, 41104},  {4, 41021, 41101},  {5, 41022, 41101},
    {6, 41023, 41101},   {2, 41019, 0},      {255, 41018, 0},
};

DynFrame* frameOf(tagItemData* node)
{
    return node->Level == LEVEL_SCENE ? node->Scene.Frame : node->Section.Frame;
}

// Scenes but the global one, and sections, have a border.
bool hasBorder(tagItemData* node)
{
    return isOwnScene(node) && (node->Level == LEVEL_SCENE || node->Level == LEVEL_SECTION);
}

QString nameOf(const DynFrameElement* e)
{
    std::size_t n = 0;
    while (n < std::size(e->Name) && e->Name[n])
        ++n;
    return QString::fromUtf16(e->Name, qsizetype(n));
}

DynFrameElement* elementOf(const QListWidgetItem* row)
{
    return row ? static_cast<DynFrameElement*>(row->data(Qt::UserRole).value<void*>()) : nullptr;
}

controls::CRangeEdit* makeEdit(QWidget* parent, int id, unsigned suffix, int lo, int hi, int initial)
{
    auto* e = withId(new controls::CRangeEdit(parent), id);
    e->setNumeric(true);
    e->SetSuffixFromResource(suffix);
    e->SetRange(lo, hi);
    e->setText(QString::number(initial));
    // Room for the largest value beside its unit.
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QString::number(hi)) + e->suffixWidth() + 12);
    return e;
}
} // namespace

CPropertyBorder::CPropertyBorder(PanelContext ctx, QWidget* parent)
    : CPanelBase(kTemplate, ctx, parent)
{
}

std::span<const CPropertyBorder::ElementBinding> CPropertyBorder::elementBindings()
{
    using E = DynFrameElement;
    // The length shown is the cell without its gap; a new gap keeps that length.
    static const ElementBinding table[] = {
        {IdMotion, [](const E& e) -> qint64 { return e.Motion; },
         [](E& e, qint64 v) { e.Motion = std::uint8_t(std::clamp<qint64>(v, 0, 255)); }, false},
        {IdLength, [](const E& e) -> qint64 { return int(e.Period) - int(e.MarginRight); },
         [](E& e, qint64 v) { e.Period = std::uint16_t(std::clamp<qint64>(e.MarginRight + v, 1, 4096)); }, true},
        {IdGap, [](const E& e) -> qint64 { return e.MarginRight; },
         [](E& e, qint64 v) {
             const int gap = int(std::clamp<qint64>(v, 0, 2048));
             e.Period = std::uint16_t(std::clamp(int(e.Period) + gap - int(e.MarginRight), 1, 4096));
             e.MarginRight = std::uint16_t(gap);
         },
         true},
        {IdSpeed, [](const E& e) -> qint64 { return e.Speed; },
         [](E& e, qint64 v) { e.Speed = std::uint16_t(std::clamp<qint64>(v, 1, 10000)); }, false},
        {IdStay, [](const E& e) -> qint64 { return e.Duration; },
         [](E& e, qint64 v) { e.Duration = std::uint32_t(std::clamp<qint64>(v, 0, 10000)); }, false},
    };
    return table;
}

QString CPropertyBorder::elementName(const DynFrame& border, int type)
{
    unsigned base = 41016;
    if (type == 1)
        base = 41017;
    else if (type >= 2 && type <= 23)
        base = 41017 + unsigned(type);
    else if (type == kCustomPicture)
        base = 41018;
    const QString stem = platform::langString(base);
    for (int n = 1;; ++n) {
        const QString name = stem + QString::number(n);
        bool taken = false;
        for (const DynFrameElement* e = border.First; e && !taken; e = e->Next)
            taken = nameOf(e) == name;
        if (!taken)
            return name;
    }
}

int CPropertyBorder::firstElementType(int width)
{
    switch (width) {
    case 2: return 12;
    case 3: return 16;
    case 4: return 1;
    case 5: return 22;
    case 6: return 10;
    case 12: return 7;
    case 14: return 6;
    default: return 0;
    }
}

bool CPropertyBorder::OnInitDialog()
{
    SetTitleFromResource(48245, false);
    // The width and the element list on the left; the chosen element's
    // values, and its picture, in a block beside them.
    auto* grid = new QGridLayout(this);
    setPanelMargins(grid);
    m_width = withId(new QComboBox(this), IdWidth);
    controls::FillComboFromResource(48266, m_width);
    for (int i = 0; i < m_width->count(); ++i)
        m_width->setItemData(i, i);   // an entry's index is its width in LEDs
    m_width->setCurrentIndex(0);
    m_widthRow = new QHBoxLayout;
    QLabel* widthLabel = makeLabel(6215);
    widthLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    m_widthRow->addWidget(widthLabel);
    m_widthRow->addWidget(m_width, 1);
    grid->addLayout(m_widthRow, 0, 0, 1, 2);

    m_listGroup = new QWidget(this);
    auto* listBox = new QVBoxLayout(m_listGroup);
    listBox->setContentsMargins(0, 0, 0, 0);
    listBox->setSpacing(2);
    auto* buttons = new QHBoxLayout;
    const int ids[4] = {IdAdd, IdUp, IdDown, IdDelete};
    const unsigned icons[4] = {6200, 6203, 6204, 6205};
    const unsigned tips[4] = {34600, 34601, 34602, 34603};
    for (int i = 0; i < 4; ++i) {
        m_buttons[i] = withId(new controls::CIconButton(m_listGroup), ids[i]);
        m_buttons[i]->AssignIcons(icons[i]);
        m_buttons[i]->SetTooltipFromResource(tips[i]);
        m_buttons[i]->setFixedSize(i == 0 ? 28 : 22, i == 0 ? 28 : 22);
        buttons->addWidget(m_buttons[i]);
    }
    buttons->addStretch();
    listBox->addLayout(buttons);
    m_list = withId(new QListWidget(m_listGroup), IdList);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Three rows are enough to pick from; the list grows with the pane.
    m_list->setMinimumHeight(3 * m_list->fontMetrics().height() + 8);
    listBox->addWidget(m_list, 1);
    grid->addWidget(m_listGroup, 1, 0, 1, 2);

    m_values = new QWidget(this);
    auto* values = new QGridLayout(m_values);
    values->setContentsMargins(0, 0, 0, 0);
    values->setVerticalSpacing(4);
    m_motion = withId(new QComboBox(m_values), IdMotion);
    for (const auto& m : kMotions)
        m_motion->addItem(platform::langString(m.text), m.mode);
    m_length = makeEdit(m_values, IdLength, 58102, 1, 2048, 10);
    m_stay = makeEdit(m_values, IdStay, 58100, 0, 10000, 26);
    m_speed = makeEdit(m_values, IdSpeed, 58100, 1, 10000, 20);
    m_gap = makeEdit(m_values, IdGap, 58102, 0, 2048, 10);
    // Motion, length and gap; speed and stay beside them.
    QWidget* fields[5] = {m_motion, m_length, m_gap, m_speed, m_stay};
    const int labels[5] = {6216, 6217, 6220, 6219, 6218};
    for (int i = 0; i < 5; ++i) {
        auto* l = withId(new QLabel(dialogText(unsigned(labels[i])), m_values), labels[i]);
        values->addWidget(l, i % 3, i < 3 ? 0 : 2);
        values->addWidget(fields[i], i % 3, i < 3 ? 1 : 3);
    }

    m_pictureRow = new QWidget(this);
    auto* pictureRow = new QHBoxLayout(m_pictureRow);
    pictureRow->setContentsMargins(0, 0, 0, 0);
    pictureRow->addWidget(withId(new QLabel(dialogText(6221), m_pictureRow), 6221));
    m_path = withId(new QLineEdit(m_pictureRow), IdPicture);
    m_path->setMaxLength(kMaxPath);
    pictureRow->addWidget(m_path, 1);
    m_browse = withId(new QPushButton(dialogText(IdBrowse), m_pictureRow), IdBrowse);
    pictureRow->addWidget(m_browse);

    auto* element = new QVBoxLayout;
    element->setSpacing(4);
    element->addWidget(m_values);
    element->addWidget(m_pictureRow);
    element->addStretch();
    grid->addLayout(element, 0, 2, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 2);
    grid->setRowStretch(1, 1);
    m_listGroup->hide();
    m_values->hide();
    m_pictureRow->hide();
    placeWidthRow();

    connect(m_width, &QComboBox::activated, this, &CPropertyBorder::onWidth);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CPropertyBorder::onRowSelected);
    connect(m_buttons[0], &QAbstractButton::clicked, this, &CPropertyBorder::onAdd);
    connect(m_buttons[1], &QAbstractButton::clicked, this, [this] { onMove(true); });
    connect(m_buttons[2], &QAbstractButton::clicked, this, [this] { onMove(false); });
    connect(m_buttons[3], &QAbstractButton::clicked, this, &CPropertyBorder::onDelete);
    connect(m_motion, &QComboBox::activated, this, [this] { onValue(IdMotion); });
    for (controls::CRangeEdit* e : {m_length, m_gap, m_speed, m_stay})
        connect(e, &QLineEdit::textChanged, this, [this, e] { onValue(controls::controlId(e)); });
    connect(m_path, &QLineEdit::textChanged, this, &CPropertyBorder::onPath);
    connect(m_browse, &QPushButton::clicked, this, &CPropertyBorder::onBrowse);
    return true;
}

int CPropertyBorder::OnNodeLoad(tagItemData* node)
{
    m_width->setEnabled(!isGlobalScene(node));
    const LoadScope loading = beginLoadOf(node, hasBorder);
    if (!loading) {
        m_border = nullptr;
        m_listGroup->hide();
        m_values->hide();
        m_pictureRow->hide();
        return 0;
    }
    m_border = frameOf(node);
    m_list->clear();
    const int width = m_border ? m_border->Width : 0;
    const int index = m_width->findData(width);
    m_width->setCurrentIndex(index < 0 ? 0 : index);
    fillList();
    m_pictureRow->hide();
    showControls();
    placeWidthRow();
    if (m_border && m_border->DefaultIndex < m_list->count())
        m_list->setCurrentRow(m_border->DefaultIndex);
    return 0;
}

void CPropertyBorder::OnNodeDeleting(tagItemData* node)
{
    if (m_node && isSameOrBelow(m_node, node)) {
        m_node = nullptr;
        m_border = nullptr;
        LoadScope loading(*this);
        m_list->clear();
    }
    CPanelBase::OnNodeDeleting(node);
}

void CPropertyBorder::fillList()
{
    if (!m_border)
        return;
    for (DynFrameElement* e = m_border->First; e; e = e->Next) {
        auto* row = new QListWidgetItem(nameOf(e));
        row->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(e)));
        m_list->addItem(row);
    }
}

void CPropertyBorder::showControls()
{
    const bool wide = m_border && m_border->Width != 0;
    m_listGroup->setVisible(wide);
    m_values->setVisible(wide && m_list->count() > 0);
    if (!wide || m_list->count() == 0)
        m_pictureRow->hide();
}

void CPropertyBorder::placeWidthRow()
{
    // Without a border the width row stands alone: the label moves right
    // and down by (14, 18), the combo by (16, 18).
    const bool zero = !m_border || m_border->Width == 0;
    m_widthRow->setContentsMargins(zero ? 14 : 0, zero ? 18 : 0, 0, 0);
    m_widthRow->setSpacing(zero ? 8 : 6);
}

DynFrameElement* CPropertyBorder::selectedElement() const
{
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->isSelected())
            return elementOf(m_list->item(i));
    return nullptr;
}

void CPropertyBorder::onWidth(int index)
{
    if (!canEdit() || index < 0)
        return;
    const int width = m_width->itemData(index).toInt();
    if (width == (m_border ? m_border->Width : 0))
        return;
    core().SetItemFrame(m_node, width);
    // A node without a border gets one from the core.
    m_border = frameOf(m_node);
    if (width != 0 && !m_border->First)
        addElement(firstElementType(width));
    showControls();
    placeWidthRow();
    // A scene's border moves and fits its sections: their rectangles change too.
    announce(spine::NodeChange::Geometry | spine::NodeChange::Content);
}

void CPropertyBorder::onRowSelected()
{
    DynFrameElement* e = selectedElement();
    if (!m_node || !e)
        return;
    writeContent([&] {
        if (!isLoading())
            m_border->DefaultIndex = std::uint16_t(m_list->row(m_list->selectedItems().value(0)));
    });
    {
        LoadScope loading(*this);
        const auto read = [e](int id) { return int(bindingOf(elementBindings(), id).read(*e)); };
        m_motion->setCurrentIndex(std::max(0, m_motion->findData(read(IdMotion))));
        for (controls::CRangeEdit* edit : {m_length, m_gap, m_speed, m_stay})
            edit->SetValue(read(controls::controlId(edit)));
        const bool custom = e->Type == kCustomPicture;
        m_pictureRow->setVisible(custom && m_border->Width != 0);
        m_path->setText(custom ? CCore::GetFrameElementPicture(e) : QString());
    }
}

void CPropertyBorder::addElement(int type)
{
    if (!canEdit() || !m_border)
        return;
    DynFrameElement* after = selectedElement();
    const QString name = elementName(*m_border, type);
    DynFrameElement* e = core().AddFrameElement(std::uint16_t(type), reinterpret_cast<const char16_t*>(name.utf16()),
                                                m_border, after);
    if (!e)
        return;
    const int at = after ? m_list->row(m_list->selectedItems().value(0)) + 1 : 0;
    auto* row = new QListWidgetItem(nameOf(e));
    row->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(e)));
    m_list->insertItem(at, row);
    m_list->clearSelection();
    m_list->setCurrentRow(at);
    showControls();
}

void CPropertyBorder::onAdd()
{
    if (!canEdit() || !m_border)
        return;
    QMenu menu(this);
    for (const auto& entry : kAddMenu) {
        QString text = platform::langString(entry.text);
        if (entry.more)
            text += platform::langString(entry.more);
        menu.addAction(text)->setData(entry.type);
    }
    QAction* chosen = menu.exec(m_buttons[0]->mapToGlobal(QPoint(0, m_buttons[0]->height())));
    if (chosen)
        addElement(chosen->data().toInt());
}

void CPropertyBorder::onDelete()
{
    m_list->setFocus();
    DynFrameElement* e = selectedElement();
    if (!canEdit() || !e)
        return;
    const auto answer = controls::MessageBox::question(this, platform::langString(46004),
                                                       platform::langString(editor::kStrDeleteQuestion).arg(nameOf(e)),
                                                       QMessageBox::Ok | QMessageBox::Cancel);
    if (answer != QMessageBox::Ok)
        return;
    const int row = m_list->row(m_list->selectedItems().value(0));
    core().DeleteFrameElement(m_border, e);
    {
        LoadScope loading(*this);
        delete m_list->takeItem(row);
    }
    if (m_list->count() == 0) {
        showControls();
        announce();
    } else {
        m_list->clearSelection();
        m_list->setCurrentRow(m_list->count() - 1);
    }
}

void CPropertyBorder::onMove(bool up)
{
    m_list->setFocus();
    if (!canEdit() || !m_border)
        return;
    QListWidgetItem* last = nullptr;
    const int n = m_list->count();
    for (int k = 0; k < n; ++k) {
        const int i = up ? k : n - 1 - k;
        QListWidgetItem* row = m_list->item(i);
        if (!row->isSelected())
            continue;
        if ((up && i == 0) || (!up && i == n - 1))
            break;
        DynFrameElement* e = elementOf(row);
        DynFrameElement* after = up ? (e->Prev ? e->Prev->Prev : nullptr) : e->Next;
        core().ModifyFrameElmentPos(e, m_border, after);
        LoadScope loading(*this);
        m_list->takeItem(i);
        m_list->insertItem(up ? i - 1 : i + 1, row);
        row->setSelected(true);
        last = row;
    }
    if (last)
        m_list->setCurrentItem(last);
    announce();
}

void CPropertyBorder::onValue(int controlId)
{
    DynFrameElement* e = selectedElement();
    if (!canEdit() || !e)
        return;
    qint64 value = m_motion->currentData().toInt();
    for (controls::CRangeEdit* edit : {m_length, m_gap, m_speed, m_stay})
        if (controls::controlId(edit) == controlId)
            value = edit->GetValue();
    const ElementBinding& b = bindingOf(elementBindings(), controlId);
    writeNode(b.repaint ? spine::NodeChanges(spine::NodeChange::Content) : spine::NodeChanges(),
              [&] { b.write(*e, value); });
}

void CPropertyBorder::onPath(const QString& text)
{
    DynFrameElement* e = selectedElement();
    if (!canEdit() || !e)
        return;
    const QString path = text.left(kMaxPath);
    writeContent([&] { CCore::SetFrameElementPicture(e, reinterpret_cast<const char16_t*>(path.utf16())); });
}

void CPropertyBorder::onBrowse()
{
    if (!canEdit() || !selectedElement())
        return;
    const QString path = controls::FileDialog::getOpenFileName(this, QString(), QString(),
                                                               controls::FileDialog::pictureFilter());
    if (!path.isEmpty())
        m_path->setText(path.left(kMaxPath));
}

} // namespace panels
