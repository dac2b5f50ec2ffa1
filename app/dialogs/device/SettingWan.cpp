#include "app/dialogs/device/SettingWan.h"

#include "app/spine/Messages.h"
#include "app/controls/MessageBox.h"
#include "app/dialogs/device/DlgUtil.h"
#include "app/dialogs/device/UnitSpinEdit.h"
#include "app/dialogs/device/WanSettings.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dialogs {

namespace {
constexpr unsigned IDL_LOCAL = 6320, IDL_IP = 6321, IDL_MASK = 6322, IDL_GATEWAY = 6323, IDL_ADDRESS4 = 6324,
                   IDL_ADDRESS5 = 6325, IDL_WAN_PORT = 6326, IDL_WAN_CONTROLLER = 6327;
constexpr int kAddressIds[5] = {CSettingWan::IDC_IP, CSettingWan::IDC_MASK, CSettingWan::IDC_GATEWAY,
                                CSettingWan::IDC_ADDRESS4, CSettingWan::IDC_ADDRESS5};
constexpr unsigned kAddressLabels[5] = {IDL_IP, IDL_MASK, IDL_GATEWAY, IDL_ADDRESS4, IDL_ADDRESS5};
} // namespace

CSettingWan::CSettingWan(CCore& core, tagItemData* screen, QWidget* parent)
    : QDialog(parent), m_core(core), m_screen(screen), m_frame(parent), m_kept(core, screen)
{
    withId(this, IDD);
    setWindowTitle(dlgText(IDD, 0));
    auto label = [this](unsigned id) { return new QLabel(dlgText(IDD, id), this); };

    m_local = withId(new QLineEdit(this), IDC_LOCAL_IP);
    m_local->setEnabled(false);
    auto* top = new QFormLayout;
    top->addRow(label(IDL_LOCAL), m_local);

    auto* group = new QGroupBox(dlgText(IDD, IDL_WAN_CONTROLLER), this);
    auto* form = new QFormLayout(group);
    m_dhcp = withId(new QRadioButton(dlgText(IDD, IDC_DHCP), this), IDC_DHCP);
    m_fixed = withId(new QRadioButton(dlgText(IDD, IDC_FIXED), this), IDC_FIXED);
    form->addRow(m_dhcp);
    form->addRow(m_fixed);
    for (int i = 0; i < 5; ++i) {
        m_address[i] = withId(new QLineEdit(this), kAddressIds[i]);
        m_address[i]->setMaxLength(15);
        form->addRow(label(kAddressLabels[i]), m_address[i]);
    }
    m_port = new CUnitSpinEdit(IDC_PORT, IDC_PORT_SPIN, 1, this);
    m_port->setRange(kDevicePortMin, kDevicePortMax);
    m_port->setValue(kDevicePortDefault);
    form->addRow(label(IDL_WAN_PORT), m_port);

    m_result = resultLabel(this, IDC_RESULT);

    auto* buttons = new QHBoxLayout;
    auto* read = withId(new QPushButton(dlgText(IDD, IDC_READ), this), IDC_READ);
    auto* write = withId(new QPushButton(dlgText(IDD, IDC_WRITE), this), IDC_WRITE);
    auto* close = withId(new QPushButton(dlgText(IDD, 2), this), 2);
    for (QPushButton* b : {read, write, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->insertStretch(2, 1);
    connect(read, &QPushButton::clicked, this, &CSettingWan::OnBnClickedRead);
    connect(write, &QPushButton::clicked, this, &CSettingWan::OnBnClickedWrite);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_dhcp, &QRadioButton::clicked, this, &CSettingWan::enableAddresses);
    connect(m_fixed, &QRadioButton::clicked, this, &CSettingWan::enableAddresses);
    m_address[1]->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(group);
    layout->addWidget(m_result);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    m_local->setText(LocalIpv4Address());
    if (m_screen)
        LoadFromScreen();
    else
        setEnabled(false);
}

void CSettingWan::LoadFromScreen()
{
    const WanValues v = WanValuesFromScreen(m_screen->Global);
    (v.dhcp ? m_dhcp : m_fixed)->setChecked(true);
    for (int i = 0; i < 5; ++i)
        m_address[i]->setText(v.address[i]);
    m_port->setValue(v.port);
    enableAddresses();
}

void CSettingWan::enableAddresses()
{
    for (QLineEdit* e : m_address)
        e->setEnabled(m_fixed->isChecked());
}

bool CSettingWan::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_address[1] && e->type() == QEvent::FocusIn)
        SuggestMask();
    return QDialog::eventFilter(watched, e);
}

void CSettingWan::SuggestMask()
{
    m_address[1]->setText(dialogs::SuggestMask(m_address[0]->text(), m_address[1]->text()));
}

QString CSettingWan::resultText() const
{
    return m_result->text();
}

void CSettingWan::OnBnClickedRead()
{
    if (!m_screen)
        return;
    if (readFromController(m_core, this, m_frame.data(), m_result, m_screen, &CCore::RetrieveIpInfo))
        LoadFromScreen();
}

void CSettingWan::OnBnClickedWrite()
{
    if (!m_screen)
        return;
    WanValues v;
    v.dhcp = m_dhcp->isChecked();
    for (int i = 0; i < 5; ++i)
        v.address[i] = m_address[i]->text();
    v.port = m_port->value();
    const tagGlobalInfo before = m_screen->Global;
    m_result->clear();
    int bad = 0;
    tagGlobalInfo edited = before;
    if (!StoreWanValues(v, edited, &bad)) {
        // A text that is not an address would reach the controller as 255.255.255.255.
        controls::MessageBox::warning(this, windowTitle(),
                                      platform::langString(IDS_NOT_AN_ADDRESS).arg(v.address[bad]));
        m_address[bad]->setFocus();
        m_address[bad]->selectAll();
        return;
    }
    spine::writeScreenBlock(m_core, m_screen, [&] { m_screen->Global = edited; });
    m_port->setValue(m_screen->Global.DevicePort);
    const std::optional<int> rc = writeToController(
        m_core, this, m_result,
        [block = m_screen->Global, link = CCore::GetOwnLink(m_screen)](CCore& c) { return c.SendIpInfo(block, link); });
    if (!rc)
        return;
    if (*rc < 0) {
        spine::restoreScreenBlock(m_core, m_screen, before);   // a write not taken leaves the screen as it was
        return;
    }
    if (ApplyWanReconnect(before, m_screen->Global))
        spine::ScreenReconnect::send(m_frame.data(), m_screen);
    m_kept.taken();
}

void CSettingWan::reject()
{
    m_kept.putBack();
    QDialog::reject();
}

} // namespace dialogs
