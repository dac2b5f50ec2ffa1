#include "app/panels/PropertyScreenComm.h"

#include "app/spine/Messages.h"
#include "app/controls/Edits.h"
#include "app/controls/IconButton.h"
#include "app/spine/HostAddress.h"
#include "core/api/Records.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolTip>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

namespace panels {
namespace {
constexpr int kLinkLabel = 6191;
// Labels per group: serial 6197, 6201; adapter 6198, 6199; network 6273, 6202.
constexpr int kLabelIds[6] = {6197, 6201, 6198, 6199, 6273, 6202};
constexpr int kMaxHostBytes = 66;
const char* const kBaudRates[] = {"1200", "2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"};
constexpr unsigned kNotAnAddress = 63150, kBadPort = 63151;
} // namespace

CPropertyScreenComm::CPropertyScreenComm(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

std::span<const FieldBinding> CPropertyScreenComm::bindings()
{
    static const FieldBinding table[] = {
        nodeField<&tagItemData::Global, &tagGlobalInfo::CommType, 0, UINT32_MAX>(IdLinkType, false),
        nodeField<&tagItemData::Global, &tagGlobalInfo::SerialPort, 0, UINT32_MAX>(IdSerial, false),
        nodeField<&tagItemData::Global, &tagGlobalInfo::BaudRate, 0, UINT32_MAX>(IdBaud, false),
        nodeField<&tagItemData::Global, &tagGlobalInfo::AdapterIndex, 0, UINT32_MAX>(IdAdapter, false),
        nodeField<&tagItemData::Global, &tagGlobalInfo::HostKind, 0, 1>(IdByName, false),
        nodeField<&tagItemData::Global, &tagGlobalInfo::HostPort, 1, 65535>(IdPort, false),
    };
    return table;
}

bool CPropertyScreenComm::OnInitDialog()
{
    SetTitleFromResource(48240, false);
    m_linkType = withId(new QComboBox(this), IdLinkType);
    m_serial = withId(new QComboBox(this), IdSerial);
    m_baud = withId(new QComboBox(this), IdBaud);
    for (const char* b : kBaudRates)
        m_baud->addItem(QString::fromLatin1(b));
    m_adapter = withId(new QComboBox(this), IdAdapter);
    m_adapter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_adapter->setMinimumContentsLength(16);
    m_mac = withId(new controls::CMaskEdit(this), IdMac);
    m_refresh = withId(new controls::CIconButton(this), IdRefresh);
    m_refresh->AssignIcons(6059);
    m_refresh->setIconSize(QSize(16, 16));
    m_refresh->SetTooltipText(dialogText(IdRefresh));
    m_hostRow = new QWidget(this);
    m_ip = withId(new QLineEdit(m_hostRow), IdIp);
    m_ip->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^(?:%1(?:\\.%1?){0,3})?$")
                               .arg(QStringLiteral("(?:25[0-5]|2[0-4]\\d|1\\d\\d|[1-9]?\\d)"))),
        m_ip));
    m_ip->setMaxLength(15);
    m_byName = withId(new QCheckBox(dialogText(IdByName), m_hostRow), IdByName);
    m_hostName = withId(new QLineEdit(m_hostRow), IdHostName);
    m_hostName->setMaxLength(kMaxHostBytes);
    auto* hostLayout = new QHBoxLayout(m_hostRow);
    hostLayout->setContentsMargins(0, 0, 0, 0);
    hostLayout->addWidget(m_ip, 2);
    hostLayout->addSpacing(4);
    hostLayout->addWidget(m_byName);
    hostLayout->addWidget(m_hostName, 3);
    m_port = withId(new controls::CRangeEdit(this), IdPort);
    m_port->setNumeric(true);
    m_port->SetRange(0, 65535);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 28, 10, 8);
    grid->addWidget(makeLabel(kLinkLabel), 0, 0);
    grid->addWidget(m_linkType, 0, 1);
    grid->addWidget(m_refresh, 0, 2);
    for (int i = 0; i < 6; ++i) {
        m_labels[i] = makeLabel(kLabelIds[i]);
        grid->addWidget(m_labels[i], 1 + i % 2, 0);
    }
    // The three groups share one area; only the shown group's controls are visible.
    grid->addWidget(m_serial, 1, 1, 1, 2);
    grid->addWidget(m_adapter, 1, 1, 1, 2);
    grid->addWidget(m_hostRow, 1, 1, 1, 2);
    grid->addWidget(m_baud, 2, 1, 1, 2);
    grid->addWidget(m_mac, 2, 1, 1, 2);
    grid->addWidget(m_port, 2, 1, 1, 2);
    // The fields keep a useful width; the rest of a wide pane stays empty.
    grid->setColumnMinimumWidth(1, 380);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(3, 1);

    m_mac->SetMacMask();
    m_mac->SetText(QStringLiteral("ffffffffffff"));
    controls::FillComboFromResource(48270, m_linkType);
    applyHostKind(false);
    core().EnumSerialPortList();
    fillLinkList(COMM_SERIAL);
    core().EnumAdapterList();
    fillLinkList(COMM_ETHERNET);
    m_linkType->setCurrentIndex(0);
    m_serial->setCurrentIndex(0);
    m_baud->setCurrentIndex(0);
    m_adapter->setCurrentIndex(0);
    // Link type 0 counts as shown.
    m_shown = COMM_SERIAL;
    for (int t = int(COMM_ETHERNET); t <= int(COMM_NETWORK); ++t)
        for (QWidget* w : groupWidgets(t))
            w->hide();

    // Tab runs down the shown group; hidden controls are skipped.
    QWidget* order[] = {m_linkType, m_refresh, m_serial, m_adapter, m_ip, m_byName, m_hostName, m_baud, m_mac, m_port};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_linkType, &QComboBox::activated, this, &CPropertyScreenComm::onLinkType);
    connect(m_serial, &QComboBox::activated, this, &CPropertyScreenComm::onSerial);
    connect(m_baud, &QComboBox::activated, this, &CPropertyScreenComm::onBaud);
    connect(m_adapter, &QComboBox::activated, this, &CPropertyScreenComm::onAdapter);
    connect(m_mac, &QLineEdit::textChanged, this, &CPropertyScreenComm::onMac);
    connect(m_byName, &QCheckBox::clicked, this, &CPropertyScreenComm::onByName);
    connect(m_ip, &QLineEdit::textChanged, this, &CPropertyScreenComm::onIp);
    connect(m_hostName, &QLineEdit::textChanged, this, &CPropertyScreenComm::onHostName);
    connect(m_port, &QLineEdit::textChanged, this, &CPropertyScreenComm::onPort);
    connect(m_ip, &QLineEdit::editingFinished, this, [this] { onHostDone(m_ip, false); });
    connect(m_hostName, &QLineEdit::editingFinished, this, [this] { onHostDone(m_hostName, true); });
    connect(m_port, &QLineEdit::editingFinished, this, &CPropertyScreenComm::onPortDone);
    connect(m_refresh, &QPushButton::clicked, this, &CPropertyScreenComm::onRefresh);
    return true;
}

QList<QWidget*> CPropertyScreenComm::groupWidgets(int type) const
{
    switch (type) {
    case COMM_SERIAL:
        return {m_labels[0], m_labels[1], m_serial, m_baud};
    case COMM_ETHERNET:
        return {m_labels[2], m_labels[3], m_adapter, m_mac};
    case COMM_NETWORK:
        return {m_labels[4], m_labels[5], m_hostRow, m_ip, m_byName, m_hostName, m_port};
    default:
        return {};
    }
}

void CPropertyScreenComm::fillLinkList(int type)
{
    if (type == COMM_SERIAL) {
        m_serial->clear();
        if (CUniqueArray<QString>* list = core().GetSerialPortList()) {
            for (int i = 0; i < list->GetSize(); ++i)
                m_serial->addItem((*list)[i]);
            CCore::ReleaseSerialPortList(list);
        }
    } else if (type == COMM_ETHERNET) {
        m_adapter->clear();
        if (CUniqueArray<pcapdevinfo>* list = core().GetAdapterList()) {
            for (int i = 0; i < list->GetSize(); ++i) {
                const pcapdevinfo& d = (*list)[i];
                const char* text = d.description[0] ? d.description : d.name;
                const QString shown =
                    QString::fromLocal8Bit(text, static_cast<qsizetype>(strnlen(text, sizeof d.name))).left(260);
                m_adapter->addItem(shown, static_cast<qlonglong>(d.index));
            }
            CCore::ReleaseAdapterList(list);
        }
    }
}

void CPropertyScreenComm::showLinkGroup(int type)
{
    if (type == m_shown)
        return;
    for (QWidget* w : groupWidgets(m_shown))
        w->hide();
    for (QWidget* w : groupWidgets(type))
        w->show();
    m_shown = type;
}

void CPropertyScreenComm::applyHostKind(bool byName)
{
    m_ip->setEnabled(!byName);
    m_hostName->setEnabled(byName);
}

void CPropertyScreenComm::loadLinkValues(int type)
{
    if (!m_node)
        return;
    LoadScope loading(*this);
    const tagGlobalInfo& g = m_node->Global;
    const auto read = [this](int id) { return readBinding(bindings(), id); };
    if (type == COMM_SERIAL) {
        const QString name = core().GetSerialPortName(static_cast<int>(read(IdSerial)));
        int at = 0;
        for (int i = 0; i < m_serial->count(); ++i)
            if (m_serial->itemText(i).compare(name, Qt::CaseInsensitive) == 0) {
                at = i;
                break;
            }
        m_serial->setCurrentIndex(m_serial->count() ? at : -1);
        const int baud = m_baud->findText(QString::number(read(IdBaud)));
        m_baud->setCurrentIndex(baud < 0 ? 0 : baud);
    } else if (type == COMM_ETHERNET) {
        const int at = controls::FindComboItemByData(m_adapter, read(IdAdapter));
        if (at >= 0)
            m_adapter->setCurrentIndex(at);
        char16_t text[13] = {};
        CCore::ConvertMACToStr(g.DstMAC, text);
        m_mac->SetText(QString::fromUtf16(text));
    } else if (type == COMM_NETWORK) {
        const bool byName = read(IdByName) != 0;
        m_byName->setChecked(byName);
        applyHostKind(byName);
        const QString host = QString::fromLocal8Bit(g.Host, static_cast<qsizetype>(strnlen(g.Host, sizeof g.Host)));
        (byName ? m_hostName : m_ip)->setText(host);
        m_port->setText(QString::number(read(IdPort)));
    }
}

int CPropertyScreenComm::OnNodeLoad(tagItemData* node)
{
    int type = 0;
    {
        const LoadScope loading = beginLoadOf(node, isScreen);
        if (!loading)
            return 1;
        type = static_cast<int>(readBinding(bindings(), IdLinkType));
        m_linkType->setCurrentIndex(type >= 0 && type < m_linkType->count() ? type : -1);
    }
    showLinkGroup(type);
    loadLinkValues(type);
    return 1;
}

int CPropertyScreenComm::OnSettingsChanged(platform::WPARAM w, platform::LPARAM l)
{
    if (w == 2) {
        fillLinkList(static_cast<int>(l));
        loadLinkValues(static_cast<int>(l));
    }
    return 0;
}

bool CPropertyScreenComm::event(QEvent* e)
{
    if (spine::SettingsChanged::dispatch(e, [this](std::uintptr_t w, std::intptr_t l) { return OnSettingsChanged(w, l); }))
        return true;
    return CPanelBase::event(e);
}

int CPropertyScreenComm::serialNumberOf(const CCore& core, const QString& entry)
{
    const int n = core.GetSerialPortNumber(entry);
    if (n >= 0)
        return n;
    // An entry the core does not know: its first run of digits, as in "COM3".
    const qsizetype at = std::find_if(entry.begin(), entry.end(), [](QChar c) { return c.isDigit(); }) - entry.begin();
    if (at >= entry.size())
        return -1;
    qsizetype end = at;
    while (end < entry.size() && entry[end].isDigit() && end - at < 9)
        ++end;
    return entry.mid(at, end - at).toInt();
}

void CPropertyScreenComm::copyHost(char* field, std::size_t size, const QString& text)
{
    std::memset(field, 0, size);
    if (size == 0)
        return;
    QByteArray bytes = text.toLocal8Bit();
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(bytes.size()), size - 1);
    // Back off to the start of a character when the cut falls inside one.
    if (n < static_cast<std::size_t>(bytes.size()))
        while (n > 0 && (static_cast<unsigned char>(bytes[static_cast<qsizetype>(n)]) & 0xC0) == 0x80)
            --n;
    std::memcpy(field, bytes.constData(), n);
}

bool CPropertyScreenComm::acceptableHost(const QString& text, bool byName)
{
    if (text.isEmpty())
        return false;
    const bool dotted = std::all_of(text.begin(), text.end(), [](QChar c) { return c == u'.' || (c >= u'0' && c <= u'9'); });
    if (byName && !dotted)
        return true;
    // The link refuses 0.0.0.0 as a destination.
    const std::optional<std::uint32_t> address = spine::ParseIpv4(text);
    return address && *address != 0 && text.trimmed() == text;
}

bool CPropertyScreenComm::acceptablePort(const QString& text)
{
    bool ok = false;
    const uint v = text.trimmed().toUInt(&ok);
    return ok && v >= 1 && v <= 65535;
}

void CPropertyScreenComm::refuse(QLineEdit* edit, const QString& stored, const QString& cue)
{
    {
        LoadScope loading(*this);
        edit->setText(stored);
    }
    QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), cue, edit);
}

void CPropertyScreenComm::onHostDone(QLineEdit* edit, bool byName)
{
    if (!canEdit() || acceptableHost(edit->text(), byName))
        return;
    const tagGlobalInfo& g = m_node->Global;
    const QString stored = (readBinding(bindings(), IdByName) != 0) == byName
                               ? QString::fromLocal8Bit(g.Host, static_cast<qsizetype>(strnlen(g.Host, sizeof g.Host)))
                               : QString();
    if (edit->text() != stored)
        refuse(edit, stored, platform::langString(kNotAnAddress).arg(edit->text()));
}

void CPropertyScreenComm::onPortDone()
{
    if (!canEdit() || acceptablePort(m_port->text()))
        return;
    const QString stored = QString::number(readBinding(bindings(), IdPort));
    if (m_port->text() != stored)
        refuse(m_port, stored, platform::langString(kBadPort));
}

void CPropertyScreenComm::onLinkType(int index)
{
    if (index < 0 || !writeBinding(bindings(), IdLinkType, index))
        return;
    showLinkGroup(index);
    loadLinkValues(index);
}

void CPropertyScreenComm::onSerial(int index)
{
    if (!canEdit() || index < 0)
        return;
    const int n = serialNumberOf(core(), m_serial->itemText(index));
    if (n >= 0)
        writeBinding(bindings(), IdSerial, n);
}

void CPropertyScreenComm::onBaud(int index)
{
    if (!canEdit() || index < 0)
        return;
    bool ok = false;
    const unsigned baud = m_baud->itemText(index).toUInt(&ok);
    if (ok)
        writeBinding(bindings(), IdBaud, baud);
}

void CPropertyScreenComm::onAdapter(int index)
{
    if (index >= 0)
        writeBinding(bindings(), IdAdapter, m_adapter->itemData(index).toLongLong());
}

void CPropertyScreenComm::onMac()
{
    if (!canEdit())
        return;
    // Only a whole address is stored; a half-typed one leaves the old.
    const QString raw = m_mac->GetRawText();
    if (raw.size() != 12 || !std::all_of(raw.begin(), raw.end(), [](QChar c) { return isxdigit(c.unicode()) && c.unicode() < 128; }))
        return;
    unsigned char mac[6] = {};
    if (CCore::ConvertStrToMAC(reinterpret_cast<const char16_t*>(raw.utf16()), mac) == 1)
        spine::writeNode(core(), m_node, spine::NodeChange::Link,
                         [&] { std::memcpy(m_node->Global.DstMAC, mac, sizeof mac); }, this);
}

void CPropertyScreenComm::onByName()
{
    const bool byName = m_byName->isChecked();
    if (!writeBinding(bindings(), IdByName, byName))
        return;
    applyHostKind(byName);
    QLineEdit* edit = byName ? m_hostName : m_ip;
    // A text the field refuses (one a damaged file held) is not carried
    // over; an empty one is, and the screen then has no host.
    if (!edit->text().isEmpty() && !acceptableHost(edit->text(), byName)) {
        LoadScope loading(*this);
        edit->clear();
    }
    storeHost(edit->text());
}

void CPropertyScreenComm::storeHost(const QString& text)
{
    spine::writeNode(core(), m_node, spine::NodeChange::Link,
                     [&] { copyHost(m_node->Global.Host, sizeof m_node->Global.Host, text); }, this);
}

// While typing, only a whole address is stored; a half-typed one leaves the old.
void CPropertyScreenComm::onIp()
{
    if (!canEdit() || !acceptableHost(m_ip->text(), false))
        return;
    storeHost(m_ip->text());
}

void CPropertyScreenComm::onHostName()
{
    if (!canEdit() || !acceptableHost(m_hostName->text(), true))
        return;
    storeHost(m_hostName->text());
}

void CPropertyScreenComm::onPort()
{
    // Port 0 reaches nothing: it is refused when the edit ends; above the
    // range the edit has cut it already.
    const qlonglong v = m_port->text().trimmed().toLongLong();
    if (v >= 1)
        writeBinding(bindings(), IdPort, v);
}

void CPropertyScreenComm::onRefresh()
{
    if (!canEdit())
        return;
    const int type = m_linkType->currentIndex();
    if (type == COMM_ETHERNET)
        core().EnumAdapterList();
    else if (type != COMM_NETWORK)
        core().EnumSerialPortList();
    fillLinkList(type);
    loadLinkValues(type);
}

} // namespace panels
