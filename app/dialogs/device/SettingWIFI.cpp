#include "app/dialogs/device/SettingWIFI.h"

#include "app/spine/Messages.h"
#include "app/dialogs/device/DlgUtil.h"
#include "app/dialogs/device/WifiScanner.h"
#include "app/dialogs/device/WifiSettings.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace dialogs {

namespace {
constexpr unsigned IDL_NETWORK = 6320, IDL_JOIN_KEY = 6321, IDL_OWN_NAME = 6322, IDL_ENCRYPTION = 6323,
                   IDL_SECURITY = 6324, IDL_OWN_KEY = 6325;
} // namespace

CSettingWIFI::CSettingWIFI(CCore& core, tagItemData* screen, QWidget* parent, WifiScanner* scanner)
    : QDialog(parent), m_core(core), m_screen(screen), m_frame(parent), m_kept(core, screen),
      m_scanner(scanner ? scanner : new NetworkManagerWifiScanner())
{
    withId(this, IDD);
    setWindowTitle(dlgText(IDD, 0));
    auto label = [this](unsigned id) { return new QLabel(dlgText(IDD, id), this); };

    m_join = withId(new QRadioButton(dlgText(IDD, IDC_MODE_JOIN), this), IDC_MODE_JOIN);
    m_own = withId(new QRadioButton(dlgText(IDD, IDC_MODE_OWN), this), IDC_MODE_OWN);
    // The two modes sit in boxes of their own, so they need a group to exclude each other.
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_join);
    modes->addButton(m_own);

    m_network = withId(new QComboBox(this), IDC_NETWORK);
    m_network->setEditable(true);
    m_network->setInsertPolicy(QComboBox::NoInsert);
    m_network->lineEdit()->setValidator(new ByteLengthValidator(kSsidMaxBytes, this));
    m_network->setMinimumContentsLength(20);
    m_rescan = withId(new QToolButton(this), IDC_RESCAN);
    m_rescan->setIcon(platform::langIcon(IDI_RESCAN));
    m_rescan->setIconSize(QSize(16, 16));
    if (m_rescan->icon().isNull())
        m_rescan->setText(QStringLiteral("\u21bb"));
    m_joinKey = withId(new QLineEdit(this), IDC_JOIN_KEY);
    m_joinKey->setValidator(new ByteLengthValidator(kWifiKeyMaxBytes, this));
    m_ownName = withId(new QLineEdit(this), IDC_OWN_NAME);
    m_ownName->setValidator(new ByteLengthValidator(kSsidMaxBytes, this));
    m_encryption = withId(new QComboBox(this), IDC_ENCRYPTION);
    m_security = withId(new QComboBox(this), IDC_SECURITY);
    m_ownKey = withId(new QLineEdit(this), IDC_OWN_KEY);
    m_ownKey->setValidator(new ByteLengthValidator(kWifiKeyMaxBytes, this));
    m_result = resultLabel(this, IDC_RESULT);

    auto* joinBox = new QGroupBox(this);
    auto* joinForm = new QFormLayout(joinBox);
    joinForm->addRow(m_join);
    auto* networkRow = new QHBoxLayout;
    networkRow->addWidget(m_network, 1);
    networkRow->addWidget(m_rescan);
    joinForm->addRow(label(IDL_NETWORK), networkRow);
    joinForm->addRow(label(IDL_JOIN_KEY), m_joinKey);
    auto* ownBox = new QGroupBox(this);
    auto* ownForm = new QFormLayout(ownBox);
    ownForm->addRow(m_own);
    ownForm->addRow(label(IDL_OWN_NAME), m_ownName);
    ownForm->addRow(label(IDL_ENCRYPTION), m_encryption);
    ownForm->addRow(label(IDL_SECURITY), m_security);
    ownForm->addRow(label(IDL_OWN_KEY), m_ownKey);

    auto* buttons = new QHBoxLayout;
    auto* read = withId(new QPushButton(dlgText(IDD, IDC_READ), this), IDC_READ);
    auto* write = withId(new QPushButton(dlgText(IDD, IDC_WRITE), this), IDC_WRITE);
    auto* close = withId(new QPushButton(dlgText(IDD, 2), this), 2);
    for (QPushButton* b : {read, write, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->insertStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(joinBox);
    layout->addWidget(ownBox);
    layout->addWidget(m_result);
    layout->addLayout(buttons);
    setMinimumWidth(400);

    connect(read, &QPushButton::clicked, this, &CSettingWIFI::OnBnClickedRead);
    connect(write, &QPushButton::clicked, this, &CSettingWIFI::OnBnClickedWrite);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_join, &QRadioButton::clicked, this, &CSettingWIFI::UpdateMode);
    connect(m_own, &QRadioButton::clicked, this, &CSettingWIFI::UpdateMode);
    connect(m_network, qOverload<int>(&QComboBox::activated), this, &CSettingWIFI::onNetworkChosen);
    connect(m_encryption, qOverload<int>(&QComboBox::activated), this, &CSettingWIFI::UpdateSecurity);
    connect(m_rescan, &QToolButton::clicked, this, [this] {
        const QString typed = m_network->currentText();
        m_network->clear();
        ScanNetworks();
        m_network->setEditText(typed);
    });

    if (!m_screen) {
        // Nothing to edit: close again as soon as shown.
        setEnabled(false);
        QTimer::singleShot(0, this, &QDialog::reject);
        return;
    }
    const QStringList encryptions = splitPieces(platform::langString(IDS_ENCRYPTIONS));
    const QStringList securities = splitPieces(platform::langString(IDS_SECURITIES));
    for (int i = 0; i < 2; ++i) {
        m_encryption->addItem(encryptions.value(i), i + 1);
        m_security->addItem(securities.value(i), i + 1);
    }
    ScanNetworks();
    setModeFromScreen();
    UpdateMode();
}

CSettingWIFI::~CSettingWIFI() = default;

int CSettingWIFI::exec()
{
    if (!m_screen)
        return QDialog::Rejected;
    return QDialog::exec();
}

bool CSettingWIFI::joinMode() const
{
    return !m_own->isChecked();
}

void CSettingWIFI::setModeFromScreen()
{
    // A stored mode other than 2 opens in mode 1.
    (m_screen->Global.WifiMode == 2 ? m_own : m_join)->setChecked(true);
}

void CSettingWIFI::ScanNetworks()
{
    const QString typed = m_network->currentText();
    for (const QByteArray& ssid : m_scanner->scan()) {
        if (m_network->findData(ssid) < 0)
            m_network->addItem(DecodeWifiText(ssid), ssid);
    }
    m_network->setCurrentIndex(-1);
    m_network->setEditText(typed);
}

void CSettingWIFI::onNetworkChosen(int index)
{
    m_network->setEditText(m_network->itemText(index));
}

void CSettingWIFI::UpdateMode()
{
    if (!m_screen)
        return;
    const bool join = joinMode();
    const tagGlobalInfo& g = m_screen->Global;
    m_network->setEnabled(join);
    m_rescan->setEnabled(join);
    m_joinKey->setEnabled(join);
    m_ownName->setEnabled(!join);
    m_ownKey->setEnabled(!join);
    m_encryption->setEnabled(!join);
    if (join) {
        m_network->setCurrentIndex(m_network->findData(StoredSsid(g)));
        m_network->setEditText(DecodeWifiText(StoredSsid(g)));
        m_joinKey->setText(DecodeWifiText(StoredWifiKey(g)));
        m_ownName->clear();
        m_encryption->setCurrentIndex(-1);
    } else {
        m_network->setCurrentIndex(-1);
        m_network->setEditText(QString());
        m_joinKey->clear();
        m_ownName->setText(DecodeWifiText(StoredSsid(g)));
        // A kind the list lacks shows as the first, which is what a write sends.
        m_encryption->setCurrentIndex(std::max(0, m_encryption->findData(g.WifiEncryption)));
    }
    UpdateSecurity();
}

void CSettingWIFI::UpdateSecurity()
{
    if (!m_screen)
        return;
    const bool secured = !joinMode() && m_encryption->currentIndex() >= 0 && m_encryption->currentData().toInt() == 2;
    m_security->setEnabled(secured);
    m_ownKey->setEnabled(secured);
    if (secured) {
        m_security->setCurrentIndex(std::max(0, m_security->findData(m_screen->Global.WifiSecurity)));
        m_ownKey->setText(DecodeWifiText(StoredWifiKey(m_screen->Global)));
    } else {
        m_security->setCurrentIndex(-1);
        m_ownKey->clear();
    }
}

QByteArray CSettingWIFI::bytesFor(const QString& text, const QByteArray& shownFrom) const
{
    return text == DecodeWifiText(shownFrom) ? shownFrom : EncodeWifiText(text);
}

QString CSettingWIFI::resultText() const
{
    return m_result->text();
}

void CSettingWIFI::OnBnClickedRead()
{
    if (!m_screen)
        return;
    if (!readFromController(m_core, this, m_frame.data(), m_result, m_screen, &CCore::RetrieveWifiInfo))
        return;
    setModeFromScreen();
    UpdateMode();
}

void CSettingWIFI::OnBnClickedWrite()
{
    if (!m_screen)
        return;
    spine::StatusIdle::send(m_frame.data());
    const tagGlobalInfo before = m_screen->Global;
    tagGlobalInfo g = before;
    const QByteArray storedSsid = StoredSsid(g);
    const QByteArray storedKey = StoredWifiKey(g);
    if (joinMode()) {
        // A network chosen from the list keeps the bytes it was seen with.
        const QString name = m_network->currentText();
        QByteArray ssid = bytesFor(name, storedSsid);
        const int seen = m_network->findText(name, Qt::MatchExactly);
        if (seen >= 0)
            ssid = m_network->itemData(seen).toByteArray();
        StoreWifiJoin(g, ssid, bytesFor(m_joinKey->text(), storedKey));
    } else {
        const int encryption = m_encryption->currentIndex() >= 0 ? m_encryption->currentData().toInt() : -1;
        const int security = m_security->currentIndex() >= 0 ? m_security->currentData().toInt() : -1;
        StoreWifiOwn(g, bytesFor(m_ownName->text(), storedSsid), encryption, security,
                     bytesFor(m_ownKey->text(), storedKey));
    }
    spine::writeScreenBlock(m_core, m_screen, [&] { m_screen->Global = g; });
    const std::optional<int> rc = writeToController(
        m_core, this, m_result,
        [block = m_screen->Global, link = CCore::GetOwnLink(m_screen)](CCore& c) {
            return c.SendWifiInfo(block, link);
        });
    if (!rc)
        return;
    if (*rc < 0)
        spine::restoreScreenBlock(m_core, m_screen, before);   // a write not taken leaves the screen as it was
    else
        m_kept.taken();
}

void CSettingWIFI::reject()
{
    m_kept.putBack();
    QDialog::reject();
}

} // namespace dialogs
