#include "app/dialogs/device/SettingRetrieveDlg.h"

#include "app/spine/Messages.h"
#include "app/controls/MessageBox.h"
#include "app/dialogs/device/DlgUtil.h"
#include "core/api/Records.h"
#include "core/api/Core.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

namespace dialogs {

namespace {
constexpr unsigned IDL_LINKS = 6500, IDL_ADDRESSES = 6501, IDL_PORT = 6502;
constexpr int kRangeSizes[5] = {16, 32, 64, 128, 254};
// The check state an item had before its last change, to see real transitions.
constexpr int kOldCheckRole = Qt::UserRole + 1;

// A number 1-65535 written in digits only; 0 otherwise.
unsigned short portNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 5)
        return 0;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    const unsigned v = t.toUInt();
    return v >= 1 && v <= 65535 ? static_cast<unsigned short>(v) : 0;
}

QString textOf(const char* field, std::size_t size)
{
    return QString::fromLocal8Bit(field, static_cast<qsizetype>(strnlen(field, size)));
}

QToolButton* iconButton(QWidget* parent, int id, unsigned iconId, int size, const QString& fallback)
{
    auto* b = withId(new QToolButton(parent), id);
    b->setIcon(platform::langIcon(iconId));
    b->setIconSize(QSize(size, size));
    if (b->icon().isNull())
        b->setText(fallback);
    return b;
}
} // namespace

int CSettingRetrieveDlg::RangeRadioFor(int last)
{
    if (last <= 16 || last >= 255)
        return IDC_RANGE16;
    if (last <= 32)
        return IDC_RANGE16 + 1;
    if (last <= 64)
        return IDC_RANGE16 + 2;
    if (last <= 128)
        return IDC_RANGE16 + 3;
    return IDC_RANGE254;
}

int CSettingRetrieveDlg::RangeSizeOf(int radioId)
{
    const int i = radioId - IDC_RANGE16;
    return i >= 0 && i < 5 ? kRangeSizes[i] : 16;
}

CSettingRetrieveDlg::CSettingRetrieveDlg(CCore& core, QWidget* parent)
    : QDialog(parent), m_core(core), m_frame(parent)
{
    withId(this, IDD);
    buildLayout();
    m_replace->setChecked(true);
    m_readHw->setChecked(true);
    loadState();
    // One screen needs no room for the address list.
    resize(720, std::max(sizeHint().height(), m_single->isChecked() ? 420 : 560));
}

void CSettingRetrieveDlg::buildLayout()
{
    setWindowTitle(dlgText(IDD, 0));
    auto check = [this](int id) { return withId(new QCheckBox(dlgText(IDD, id), this), id); };
    auto list = [this](int id) {
        auto* l = withId(new QListWidget(this), id);
        connect(l, &QListWidget::itemChanged, this, &CSettingRetrieveDlg::onItemChanged);
        return l;
    };

    m_serial = check(IDC_SERIAL);
    m_lan = check(IDC_LAN);
    m_wan = check(IDC_WAN);
    m_serialList = list(IDC_SERIAL_LIST);
    m_adapterList = list(IDC_ADAPTER_LIST);
    m_portList = list(IDC_PORT_LIST);
    m_portList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_addressList = list(IDC_ADDRESS_LIST);
    m_addressList->setFlow(QListView::LeftToRight);
    m_addressList->setWrapping(true);
    m_addressList->setResizeMode(QListView::Adjust);
    m_addressList->setUniformItemSizes(true);
    m_serialRefresh = iconButton(this, IDC_SERIAL_REFRESH, IDI_REFRESH, 16, QStringLiteral("\u21bb"));
    m_adapterRefresh = iconButton(this, IDC_ADAPTER_REFRESH, IDI_REFRESH, 16, QStringLiteral("\u21bb"));
    m_portAdd = iconButton(this, IDC_PORT_ADD, IDI_ADD, 16, QStringLiteral("+"));
    m_portDel = iconButton(this, IDC_PORT_DEL, IDI_DELETE, 16, QStringLiteral("\u2212"));
    m_portEdit = withId(new QLineEdit(this), IDC_PORT_EDIT);
    m_portEdit->setMaxLength(5);
    m_portEdit->setMinimumWidth(m_portEdit->fontMetrics().horizontalAdvance(QStringLiteral("65535")) + 16);

    auto* links = new QGroupBox(dlgText(IDD, IDL_LINKS), this);
    auto* grid = new QGridLayout(links);
    auto head = [](QWidget* c, QWidget* b) {
        auto* row = new QHBoxLayout;
        row->addWidget(c, 1);
        if (b)
            row->addWidget(b);
        return row;
    };
    grid->addLayout(head(m_serial, m_serialRefresh), 0, 0);
    grid->addWidget(m_serialList, 1, 0);
    grid->addLayout(head(m_lan, m_adapterRefresh), 0, 1);
    grid->addWidget(m_adapterList, 1, 1);
    grid->addLayout(head(m_wan, nullptr), 0, 2);
    grid->addWidget(m_portList, 1, 2);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(new QLabel(dlgText(IDD, IDL_PORT), this));
    portRow->addWidget(m_portEdit, 1);
    portRow->addWidget(m_portAdd);
    portRow->addWidget(m_portDel);
    grid->addLayout(portRow, 2, 2);
    // Adapter descriptions are the longest texts.
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 1);

    m_addresses = new QGroupBox(dlgText(IDD, IDL_ADDRESSES), this);
    auto* av = new QVBoxLayout(m_addresses);
    m_single = withId(new QRadioButton(dlgText(IDD, IDC_SINGLE), this), IDC_SINGLE);
    m_range = withId(new QRadioButton(dlgText(IDD, IDC_RANGE), this), IDC_RANGE);
    auto* modes = new QHBoxLayout;
    modes->addWidget(m_single);
    modes->addWidget(m_range);
    modes->addStretch(1);
    av->addLayout(modes);
    m_sizes = new QButtonGroup(this);
    auto* sizes = new QHBoxLayout;
    for (int id = IDC_RANGE16; id <= IDC_RANGE254; ++id) {
        auto* r = withId(new QRadioButton(dlgText(IDD, id), this), id);
        m_sizes->addButton(r, id);
        sizes->addWidget(r);
    }
    m_selectAll = check(IDC_SELECT_ALL);
    sizes->addStretch(1);
    sizes->addWidget(m_selectAll);
    av->addLayout(sizes);
    av->addWidget(m_addressList, 1);

    m_replace = check(IDC_REPLACE);
    m_readHw = check(IDC_READ_HW);
    auto* search = iconButton(this, IDC_SEARCH, IDI_SEARCH, 48, QString());
    search->setText(dlgText(IDD, IDC_SEARCH));
    search->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* close = withId(new QPushButton(dlgText(IDD, 2), this), 2);
    close->setAutoDefault(false);
    auto* bottom = new QHBoxLayout;
    auto* flags = new QVBoxLayout;
    flags->addWidget(m_replace);
    flags->addWidget(m_readHw);
    bottom->addLayout(flags, 1);
    bottom->addWidget(search);
    bottom->addWidget(close, 0, Qt::AlignBottom);

    m_layout = new QVBoxLayout(this);
    m_layout->addWidget(links, 2);
    m_layout->addWidget(m_addresses, 3);
    m_layout->addLayout(bottom);

    // Tab follows the columns top to bottom, then the address box and the buttons.
    QList<QWidget*> order{m_serial, m_serialRefresh, m_serialList, m_lan, m_adapterRefresh, m_adapterList,
                          m_wan, m_portList, m_portEdit, m_portAdd, m_portDel, m_single, m_range};
    for (QAbstractButton* b : m_sizes->buttons())
        order << b;
    order << m_selectAll << m_addressList << m_replace << m_readHw << search << close;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_serial, &QCheckBox::clicked, this, &CSettingRetrieveDlg::onEnableSerial);
    connect(m_lan, &QCheckBox::clicked, this, &CSettingRetrieveDlg::onEnableLan);
    connect(m_wan, &QCheckBox::clicked, this, &CSettingRetrieveDlg::onEnableWan);
    connect(m_serialRefresh, &QToolButton::clicked, this, &CSettingRetrieveDlg::FillSerialList);
    connect(m_adapterRefresh, &QToolButton::clicked, this, &CSettingRetrieveDlg::FillAdapterList);
    connect(m_portAdd, &QToolButton::clicked, this, &CSettingRetrieveDlg::OnBnClickedAddPort);
    connect(m_portDel, &QToolButton::clicked, this, &CSettingRetrieveDlg::OnBnClickedDelPort);
    connect(m_portEdit, &QLineEdit::returnPressed, this, &CSettingRetrieveDlg::OnBnClickedAddPort);
    connect(m_single, &QRadioButton::clicked, this, &CSettingRetrieveDlg::onSingle);
    connect(m_range, &QRadioButton::clicked, this, &CSettingRetrieveDlg::onRange);
    connect(m_sizes, &QButtonGroup::idClicked, this, &CSettingRetrieveDlg::SetAddressCount);
    connect(m_selectAll, &QCheckBox::clicked, this, &CSettingRetrieveDlg::onSelectAll);
    connect(search, &QToolButton::clicked, this, &CSettingRetrieveDlg::OnBnClickedSearch);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void CSettingRetrieveDlg::loadState()
{
    m_serial->setChecked(m_core.IsSerialPortEnabled());
    onEnableSerial();
    m_lan->setChecked(m_core.IsLanEnabled());
    onEnableLan();
    m_wan->setChecked(m_core.IsWanEnabled());
    onEnableWan();
    if (m_core.IsSingleScreen()) {
        m_single->setChecked(true);
        showRange(false);
        m_core.SetSingleScreen(1);
        return;
    }
    m_range->setChecked(true);
    onRange();
}

void CSettingRetrieveDlg::rebuildAddressList()
{
    CUniqueArray<int>* scope = m_core.GetScreenScope();
    const int last = scope && scope->GetSize() ? (*scope)[scope->GetSize() - 1] : 0;
    const int radio = RangeRadioFor(last);
    m_sizes->button(radio)->setChecked(true);
    m_listsReady = false;
    m_addressList->clear();
    const int n = RangeSizeOf(radio);
    for (int k = 1; k <= n; ++k)
        addCheckItem(m_addressList, QString::number(k), false);
    if (scope) {
        for (int i = 0; i < scope->GetSize(); ++i) {
            const int k = (*scope)[i];
            if (k >= 1 && k <= n) {
                m_addressList->item(k - 1)->setCheckState(Qt::Checked);
                m_addressList->item(k - 1)->setData(kOldCheckRole, true);
            }
        }
    }
    m_listsReady = true;
    CCore::ReleaseScreenScope(scope);
}

QListWidgetItem* CSettingRetrieveDlg::addCheckItem(QListWidget* list, const QString& text, bool checked)
{
    auto* item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    item->setData(kOldCheckRole, checked);
    list->addItem(item);
    return item;
}

void CSettingRetrieveDlg::onEnableSerial()
{
    const bool on = m_serial->isChecked();
    if (on != (m_core.IsSerialPortEnabled() != 0))
        m_core.EnableSerialPort(on);
    if (on)
        FillSerialList();
    else
        m_serialList->clear();
    m_serialList->setEnabled(on);
    m_serialRefresh->setEnabled(on);
}

void CSettingRetrieveDlg::onEnableLan()
{
    const bool on = m_lan->isChecked();
    if (on != (m_core.IsLanEnabled() != 0))
        m_core.EnableLan(on);
    if (on)
        FillAdapterList();
    else
        m_adapterList->clear();
    m_adapterList->setEnabled(on);
    m_adapterRefresh->setEnabled(on);
}

void CSettingRetrieveDlg::onEnableWan()
{
    const bool on = m_wan->isChecked();
    if (on != (m_core.IsWanEnabled() != 0))
        m_core.EnableWan(on);
    if (on)
        FillPortList();
    else
        m_portList->clear();
    for (QWidget* w : {static_cast<QWidget*>(m_portList), static_cast<QWidget*>(m_portEdit),
                       static_cast<QWidget*>(m_portAdd), static_cast<QWidget*>(m_portDel)})
        w->setEnabled(on);
}

void CSettingRetrieveDlg::FillSerialList()
{
    m_listsReady = false;
    m_serialList->clear();
    m_core.EnumSerialPortList();
    CUniqueArray<QString>* ports = m_core.GetSerialPortList();
    CUniqueArray<QString>* ignored = m_core.GetIgnoreSerialPortList();
    for (int i = 0; ports && i < ports->GetSize(); ++i) {
        const QString& name = (*ports)[i];
        bool skip = false;
        for (int j = 0; ignored && j < ignored->GetSize() && !skip; ++j)
            skip = (*ignored)[j] == name;
        addCheckItem(m_serialList, name, !skip);
    }
    CCore::ReleaseSerialPortList(ports);
    CCore::ReleaseIgnoreSerialPortList(ignored);
    m_listsReady = true;
}

void CSettingRetrieveDlg::FillAdapterList()
{
    m_listsReady = false;
    m_adapterList->clear();
    m_core.EnumAdapterList();
    CUniqueArray<pcapdevinfo>* adapters = m_core.GetAdapterList();
    CUniqueArray<int>* ignored = m_core.GetIgnoreAdapterList();
    for (int i = 0; adapters && i < adapters->GetSize(); ++i) {
        const pcapdevinfo& a = (*adapters)[i];
        const QString description = textOf(a.description, sizeof a.description);
        const QString name = textOf(a.name, sizeof a.name);
        bool skip = false;
        for (int j = 0; ignored && j < ignored->GetSize() && !skip; ++j)
            skip = (*ignored)[j] == i;
        addCheckItem(m_adapterList, description.isEmpty() ? name : description, !skip);
    }
    CCore::ReleaseAdapterList(adapters);
    CCore::ReleaseIgnoreAdapterList(ignored);
    m_listsReady = true;
}

void CSettingRetrieveDlg::FillPortList()
{
    m_listsReady = false;
    m_portList->clear();
    CUniqueArray<unsigned short>* ports = m_core.GetPortList();
    CUniqueArray<unsigned short>* ignored = m_core.GetIgnorePortList();
    for (int i = 0; ports && i < ports->GetSize(); ++i) {
        const unsigned short port = (*ports)[i];
        bool skip = false;
        for (int j = 0; ignored && j < ignored->GetSize() && !skip; ++j)
            skip = (*ignored)[j] == port;
        addCheckItem(m_portList, QString::number(port), !skip);
    }
    CCore::ReleasePortList(ports);
    CCore::ReleaseIgnorePortList(ignored);
    m_listsReady = true;
}

void CSettingRetrieveDlg::onItemChanged(QListWidgetItem* item)
{
    const bool was = item->data(kOldCheckRole).toBool();
    const bool now = item->checkState() == Qt::Checked;
    if (was == now || !m_listsReady) {
        item->setData(kOldCheckRole, now);
        return;
    }
    item->setData(kOldCheckRole, now);
    QListWidget* list = item->listWidget();
    const int index = list->row(item);
    if (list == m_serialList) {
        const QString name = item->text();
        const auto* text = reinterpret_cast<const char16_t*>(name.utf16());
        now ? m_core.RemoveIgnoreSerialPort(text) : m_core.AddIgnoreSerialPort(text);
    } else if (list == m_adapterList) {
        now ? m_core.RemoveIgnoreAdapter(index) : m_core.AddIgnoreAdapter(index);
    } else if (list == m_portList) {
        const auto port = static_cast<unsigned short>(item->text().toUInt());
        now ? m_core.RemoveIgnorePort(port) : m_core.AddIgnorePort(port);
    } else if (list == m_addressList) {
        now ? m_core.AddScreenScope(index + 1) : m_core.RemoveScreenScope(index + 1);
    }
}

void CSettingRetrieveDlg::OnBnClickedAddPort()
{
    const unsigned short port = portNumber(m_portEdit->text());
    if (!port) {
        controls::MessageBox::warning(this, windowTitle(), platform::langString(IDS_BAD_PORT));
        m_portEdit->setFocus();
        m_portEdit->selectAll();
        return;
    }
    if (m_core.AddPort(port))
        FillPortList();
    m_portEdit->clear();
}

void CSettingRetrieveDlg::OnBnClickedDelPort()
{
    bool removed = false;
    for (QListWidgetItem* item : m_portList->selectedItems())
        removed = m_core.DelPort(static_cast<unsigned short>(item->text().toUInt())) != 0 || removed;
    if (removed)
        FillPortList();
}

void CSettingRetrieveDlg::showRange(bool on)
{
    m_addressList->setVisible(on);
    m_selectAll->setVisible(on);
    for (QAbstractButton* b : m_sizes->buttons())
        b->setVisible(on);
    // With one screen the box holds only the two radios: the lists take the room.
    m_layout->setStretchFactor(m_addresses, on ? 3 : 0);
}

void CSettingRetrieveDlg::onSingle()
{
    showRange(false);
    m_core.SetSingleScreen(1);
}

void CSettingRetrieveDlg::onRange()
{
    showRange(true);
    m_core.SetSingleScreen(0);
    rebuildAddressList();
}

void CSettingRetrieveDlg::SetAddressCount(int radioId)
{
    const int n = RangeSizeOf(radioId);
    // Unchecking first takes the address out of the scope.
    for (int i = m_addressList->count() - 1; i >= n; --i) {
        m_addressList->item(i)->setCheckState(Qt::Unchecked);
        delete m_addressList->takeItem(i);
    }
    m_listsReady = false;
    for (int k = m_addressList->count() + 1; k <= n; ++k)
        addCheckItem(m_addressList, QString::number(k), false);
    m_listsReady = true;
}

void CSettingRetrieveDlg::onSelectAll()
{
    const Qt::CheckState state = m_selectAll->isChecked() ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < m_addressList->count(); ++i)
        m_addressList->item(i)->setCheckState(state);
}

void CSettingRetrieveDlg::OnBnClickedSearch()
{
    // Without a kind of link nothing can be searched: said at once, with
    // the dialog still open, rather than a search that never ends.
    if (!m_serial->isChecked() && !m_lan->isChecked() && !m_wan->isChecked()) {
        controls::MessageBox::warning(this, windowTitle(), platform::langString(IDS_NO_LINK_KIND));
        return;
    }
    const bool replace = m_replace->isChecked();
    const bool readHw = m_readHw->isChecked();
    if (!m_core.IsSingleScreen()) {
        m_core.RemoveAllScreenScope();
        for (int i = 0; i < m_addressList->count(); ++i) {
            if (m_addressList->item(i)->checkState() == Qt::Checked)
                m_core.AddScreenScope(i + 1);
        }
    }
    spine::SearchScreens::post(m_frame.data(), replace ? 1 : 0, readHw ? 1 : 0);
    accept();
}

} // namespace dialogs
