#include "app/dialogs/device/SettingHW.h"

#include "app/spine/Messages.h"
#include "app/controls/ComboBoxes.h"
#include "app/controls/MessageBox.h"
#include "app/dialogs/access/AccessRights.h"
#include "app/spine/Seams.h"
#include "app/dialogs/device/DlgUtil.h"
#include "app/dialogs/task/TaskDlg.h"
#include "app/spine/WorkModeCaptions.h"
#include "app/dialogs/device/UnitSpinEdit.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/ItemTypes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <memory>

namespace dialogs {

namespace {
constexpr unsigned IDS_TIME_FORMAT = 43002;
constexpr unsigned IDS_WEEKDAYS = 48268;
constexpr unsigned IDS_ROW_DECODE = 48269;
constexpr unsigned kChooseImage = 44036;
constexpr unsigned kReadFailed = 48277;
// Labels of the controls, which have no ids of their own.
constexpr unsigned IDL_ADDRESS = 6050, IDL_WIDTH = 6051, IDL_HEIGHT = 6052, IDL_WORKMODE = 6053, IDL_SCAN = 6054,
                   IDL_ROWDECODE = 6055, IDL_REFRESH = 6056, IDL_LUM = 6057, IDL_TIME_ON = 6058,
                   IDL_TIME_OFF = 6059, IDL_WEEKDAYS = 6060, IDL_VERSION = 6061, IDL_HARDWARE_ID = 6062,
                   IDL_VERSION_WORD = 6063, IDL_OPTIONS = 6064, IDL_DISPLAY = 6065, IDL_CONTROLLER = 6066;
} // namespace

CSettingHW::CSettingHW(CCore& core, tagItemData* screen, QWidget* parent)
    : QDialog(parent), m_core(core), m_screen(screen), m_frame(parent), m_kept(core, screen)
{
    withId(this, IDD);
    buildLayout();
    // Initial state of the dialog, before the screen is loaded.
    m_address->setRange(kAddressMin, kAddressMax);
    m_width->setRange(kWidthUnitsMin, kWidthUnitsMax);
    m_height->setRange(kHeightUnitsMin, kHeightUnitsMax);
    m_scan->setRange(1, kScanMaxBeforeMode);
    m_refresh->setRange(kRefreshMin, kRefreshMax);
    m_lum->setRange(kLumMin, kLumMax);
    QString format = platform::langString(IDS_TIME_FORMAT);
    if (format.isEmpty())
        format = QStringLiteral("HH:mm");
    m_timeOn->setDisplayFormat(format);
    m_timeOff->setDisplayFormat(format);
    for (const spine::WorkModeCaption& row : spine::kWorkModeCaptions)
        m_workMode->addItem(platform::langString(row.nameId), row.code);
    m_workMode->setCurrentIndex(0);
    m_rowDecode->addItems(splitPieces(platform::langString(IDS_ROW_DECODE)));
    for (const QString& day : splitPieces(platform::langString(IDS_WEEKDAYS)))
        m_weekDays->addItemChecked(day, false);
    if (!AccessRights::has(RIGHT_UPGRADE))
        m_upgrade->hide();
    if (m_screen)
        LoadFromScreen();
    else
        setEnabled(false);
}

void CSettingHW::buildLayout()
{
    setWindowTitle(dlgText(IDD, 0));
    auto label = [this](unsigned id) { return new QLabel(dlgText(IDD, id), this); };
    auto check = [this](int id) {
        auto* c = withId(new QCheckBox(dlgText(IDD, id), this), id);
        return c;
    };

    m_address = new CUnitSpinEdit(IDC_ADDRESS, IDC_ADDRESS_SPIN, 1, this);
    m_width = new CUnitSpinEdit(IDC_WIDTH, IDC_WIDTH_SPIN, kWidthUnit, this);
    m_height = new CUnitSpinEdit(IDC_HEIGHT, IDC_HEIGHT_SPIN, kHeightUnit, this);
    m_scan = new CUnitSpinEdit(IDC_SCAN, IDC_SCAN_SPIN, 1, this);
    m_refresh = new CUnitSpinEdit(IDC_REFRESH, IDC_REFRESH_SPIN, 1, this);
    m_lum = new CUnitSpinEdit(IDC_LUM, IDC_LUM_SPIN, 1, this);
    m_workMode = withId(new QComboBox(this), IDC_WORKMODE);
    m_rowDecode = withId(new QComboBox(this), IDC_ROWDECODE);

    auto* display = new QGroupBox(dlgText(IDD, IDL_DISPLAY), this);
    auto* form = new QFormLayout(display);
    form->addRow(label(IDL_ADDRESS), m_address);
    form->addRow(label(IDL_WIDTH), m_width);
    form->addRow(label(IDL_HEIGHT), m_height);
    form->addRow(label(IDL_WORKMODE), m_workMode);
    form->addRow(label(IDL_SCAN), m_scan);
    form->addRow(label(IDL_ROWDECODE), m_rowDecode);
    form->addRow(label(IDL_REFRESH), m_refresh);
    form->addRow(label(IDL_LUM), m_lum);

    auto* options = new QGroupBox(dlgText(IDD, IDL_OPTIONS), this);
    auto* optLayout = new QVBoxLayout(options);
    const int optionIds[4] = {IDC_OPTION0, IDC_OPTION1, IDC_OPTION2, IDC_OPTION3};
    for (int i = 0; i < 4; ++i) {
        m_option[i] = check(optionIds[i]);
        optLayout->addWidget(m_option[i]);
    }
    m_fastSerial = check(IDC_FAST_SERIAL);
    m_linkBit1 = check(IDC_LINK_BIT1);
    optLayout->addWidget(m_fastSerial);
    optLayout->addWidget(m_linkBit1);
    m_autoSwitch = check(IDC_AUTOSWITCH);
    m_weekDays = withId(new controls::CCheckComboBox(this), IDC_WEEKDAYS);
    m_timeOn = withId(new QTimeEdit(this), IDC_TIME_ON);
    m_timeOff = withId(new QTimeEdit(this), IDC_TIME_OFF);
    auto* sw = new QFormLayout;
    sw->addRow(m_autoSwitch);
    sw->addRow(label(IDL_WEEKDAYS), m_weekDays);
    sw->addRow(label(IDL_TIME_ON), m_timeOn);
    sw->addRow(label(IDL_TIME_OFF), m_timeOff);
    optLayout->addLayout(sw);
    optLayout->addStretch(1);

    auto* controller = new QGroupBox(dlgText(IDD, IDL_CONTROLLER), this);
    auto* ctl = new QGridLayout(controller);
    m_version = withId(new QLabel(this), IDC_VERSION);
    m_hardwareId = withId(new QLabel(this), IDC_HARDWARE_ID);
    m_word = withId(new QLabel(this), IDC_VERSION_WORD);
    m_status = withId(new QLabel(this), IDC_VERSION_STATUS);
    m_status->setWordWrap(true);
    makeRed(m_status);
    ctl->addWidget(label(IDL_VERSION), 0, 0);
    ctl->addWidget(m_version, 0, 1);
    ctl->addWidget(label(IDL_HARDWARE_ID), 0, 2);
    ctl->addWidget(m_hardwareId, 0, 3);
    ctl->addWidget(label(IDL_VERSION_WORD), 0, 4);
    ctl->addWidget(m_word, 0, 5);
    ctl->setColumnStretch(6, 1);
    ctl->addWidget(m_status, 1, 0, 1, 7);

    m_result = resultLabel(this, IDC_RESULT);

    auto* buttons = new QHBoxLayout;
    auto button = [&](int id) {
        auto* b = withId(new QPushButton(dlgText(IDD, id), this), id);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    connect(button(IDC_READ), &QPushButton::clicked, this, &CSettingHW::OnBnClickedRead);
    connect(button(IDC_SEND), &QPushButton::clicked, this, &CSettingHW::OnBnClickedSend);
    connect(button(IDC_RESET), &QPushButton::clicked, this, &CSettingHW::OnBnClickedReset);
    m_upgrade = button(IDC_UPGRADE);
    connect(m_upgrade, &QPushButton::clicked, this, &CSettingHW::OnBnClickedUpgrade);
    buttons->addStretch(1);
    auto* close = new QDialogButtonBox(this);
    withId(close->addButton(dlgText(IDD, 1), QDialogButtonBox::AcceptRole), 1)->setAutoDefault(false);
    withId(close->addButton(dlgText(IDD, 2), QDialogButtonBox::RejectRole), 2)->setAutoDefault(false);
    connect(close, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    buttons->addWidget(close);

    auto* top = new QHBoxLayout;
    top->addWidget(display, 1);
    top->addWidget(options, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(controller);
    layout->addWidget(m_result);
    layout->addLayout(buttons);

    connect(m_autoSwitch, &QCheckBox::clicked, this, &CSettingHW::OnBnClickedAutoSwitch);
    connect(m_workMode, qOverload<int>(&QComboBox::activated), this, &CSettingHW::OnCbnSelchangeWorkMode);
}

QObject* CSettingHW::frameTarget() const
{
    return m_frame.data();
}

void CSettingHW::setValues(const HwSettingsValues& v)
{
    m_address->setValue(v.address);
    m_width->setPosition(v.width / kWidthUnit);
    m_height->setPosition(v.height / kHeightUnit);
    const int row = v.type >= 0 ? spine::workModeCaptionRow(v.type) : -1;
    m_workMode->setCurrentIndex(row);
    unsigned short maxScan = kScanMaxBeforeMode, defaultScan = 1;
    int firstOption = 0;
    if (row >= 0) {
        CCore::ParseLEDWorkMode(spine::kWorkModeCaptions[static_cast<std::size_t>(row)].code, maxScan, defaultScan,
                                firstOption);
    }
    m_scan->setRange(1, maxScan);
    m_scan->setValue(v.scan);
    m_rowDecode->setCurrentIndex(v.rowDecode < m_rowDecode->count() ? v.rowDecode : -1);
    m_refresh->setValue(v.refresh);
    m_lum->setValue(v.lum);
    for (int i = 0; i < 4; ++i)
        m_option[i]->setChecked(v.option[i]);
    m_fastSerial->setChecked(v.fastSerial);
    m_linkBit1->setChecked(v.linkBit1);
    m_autoSwitch->setChecked(v.autoSwitch);
    OnBnClickedAutoSwitch();
    m_timeOn->setTime(QTime(v.onHour % 24, v.onMinute % 60));
    m_timeOff->setTime(QTime(v.offHour % 24, v.offMinute % 60));
    for (int i = 0; i < m_weekDays->count(); ++i)
        m_weekDays->SetCheck(i, i < 8 && ((v.weekDays >> i) & 1));
}

HwSettingsValues CSettingHW::values() const
{
    HwSettingsValues v;
    v.address = m_address->value();
    v.width = m_width->value();
    v.height = m_height->value();
    v.type = m_workMode->currentIndex() >= 0 ? m_workMode->currentData().toInt() : -1;
    v.scan = m_scan->value();
    v.rowDecode = m_rowDecode->currentIndex();
    v.refresh = m_refresh->value();
    v.lum = m_lum->value();
    for (int i = 0; i < 4; ++i)
        v.option[i] = m_option[i]->isChecked();
    v.fastSerial = m_fastSerial->isChecked();
    v.linkBit1 = m_linkBit1->isChecked();
    v.autoSwitch = m_autoSwitch->isChecked();
    v.onHour = m_timeOn->time().hour();
    v.onMinute = m_timeOn->time().minute();
    v.offHour = m_timeOff->time().hour();
    v.offMinute = m_timeOff->time().minute();
    v.weekDays = 0;
    for (int i = 0; i < m_weekDays->count() && i < 8; ++i) {
        if (m_weekDays->GetCheck(i))
            v.weekDays = static_cast<std::uint8_t>(v.weekDays | (1u << i));
    }
    return v;
}

void CSettingHW::LoadFromScreen()
{
    if (!m_screen)
        return;
    const tagGlobalInfo& g = m_screen->Global;
    // With no row selected the stored code stays; the list then shows none.
    setValues(HwValuesFromScreen(g));
    m_fastSerial->setVisible(g.CommType == COMM_SERIAL);
    ShowVersionInfo();
}

void CSettingHW::ShowVersionInfo()
{
    const tagGlobalInfo& g = m_screen->Global;
    const VersionTexts t =
        MakeVersionTexts(g.RemoteVersion, g.HardwareId, g.VersionWord, CCore::GetUpgradeVersion(g.HardwareId));
    m_version->setText(t.version);
    m_hardwareId->setText(t.hardwareId);
    m_word->setText(t.word);
    m_status->setText(t.status);
    m_status->setVisible(t.statusShown);
}

void CSettingHW::OnBnClickedAutoSwitch()
{
    const bool on = m_autoSwitch->isChecked();
    m_weekDays->setEnabled(on);
    m_timeOn->setEnabled(on);
    m_timeOff->setEnabled(on);
}

void CSettingHW::OnCbnSelchangeWorkMode()
{
    if (m_workMode->currentIndex() < 0)
        return;
    const int code = m_workMode->currentData().toInt();
    unsigned short maxScan = 0, defaultScan = 0;
    int firstOption = 0;
    CCore::ParseLEDWorkMode(code, maxScan, defaultScan, firstOption);
    m_scan->setRange(1, maxScan);
    m_scan->setPosition(defaultScan);
    m_option[0]->setChecked(firstOption != 0);
    m_option[3]->setChecked(code == 33 || code == 34 || code == 35);
    m_option[1]->setChecked(code == 34 || code == 35);
}

void CSettingHW::OnBnClickedRead()
{
    if (!m_screen)
        return;
    if (!readFromController(m_core, this, frameTarget(), m_result, m_screen, &CCore::RetrieveHardwareInfo))
        return;
    LoadFromScreen();
}

QString CSettingHW::resultText() const
{
    return m_result->text();
}

void CSettingHW::OnBnClickedSend()
{
    if (!m_screen)
        return;
    const tagGlobalInfo old = m_screen->Global;
    spine::writeScreenBlock(m_core, m_screen, [&] { StoreHwValues(values(), m_scan->maximum(), m_screen->Global); });
    // The controller still answers at the address it had before the change.
    // The worker gets the block and link as values: it reaches no screen.
    const std::optional<int> rc = writeToController(
        m_core, this, m_result,
        [block = m_screen->Global, link = CCore::GetOwnLinkTo(m_screen, old.ID)](CCore& c) {
            return c.SendHardwareInfo(block, link);
        });
    if (!rc)
        return;
    if (*rc < 0) {
        // A write the controller did not take (or a cancelled one) leaves the
        // screen as it was; the dialog keeps the edit for another try.
        spine::restoreScreenBlock(m_core, m_screen, old);
        return;
    }
    if (HwNeedsReconnect(old, m_screen->Global))
        spine::ScreenReconnect::send(frameTarget(), m_screen);
    // After the reconnect: the link it found is the controller's too.
    m_kept.taken();
}

void CSettingHW::reject()
{
    m_kept.putBack();
    QDialog::reject();
}

void CSettingHW::OnBnClickedReset()
{
    if (!m_screen)
        return;
    // Its answer shown like the other requests of this dialog.
    writeToController(m_core, this, m_result,
                      [link = m_core.GetSendLink(m_screen)](CCore& c) { return c.SendReset(link); });
}

void CSettingHW::OnBnClickedUpgrade()
{
    if (!m_screen)
        return;
    m_result->clear();
    const TaskOutcome version = RunReadJob(m_core, this, m_screen, &CCore::RetrieveRemoteVer);
    if (!version.reached)
        return;
    if (version.cancelled || version.result < 0) {
        // No version, no upgrade: said, not left as if nothing was tried.
        showOutcome(m_result, platform::langString(kReadFailed), false);
        return;
    }
    ShowVersionInfo();
    const tagGlobalInfo& g = m_screen->Global;
    if (!UpgradeAllowed(g.RemoteVersion, CCore::GetUpgradeVersion(g.HardwareId), AccessRights::value()))
        return;
    const int kind = UpgradeTaskKind(g.HardwareId, g.RemoteVersion, g.CommType);
    const QPointer<CSettingHW> self(this);
    if (const auto upgrade = spine::seams().firmwareUpgrade) {
        upgrade(m_core, m_screen, kind, this);
    } else {
        for (;;) {
            // On the heap: a dialog destroyed meanwhile takes it along.
            QPointer<CTaskDlg> task = new CTaskDlg(m_core, this);
            task->SetTask(kind, m_screen);
            task->exec();
            const bool missed = task && task->MissedFirmwareImage();
            delete task.data();
            if (!self || !missed)
                break;
            // No image beside the program: the operator may name its file.
            const QString chosen = controls::FileDialog::getOpenFileName(this, platform::langString(kChooseImage), QString(),
                                                                         controls::FileDialog::firmwareFilter());
            if (!self || chosen.isEmpty())
                break;
            CCore::SetFirmwareImageFile(reinterpret_cast<const char16_t*>(chosen.utf16()));
        }
    }
    if (self)
        ShowVersionInfo();
}

} // namespace dialogs
