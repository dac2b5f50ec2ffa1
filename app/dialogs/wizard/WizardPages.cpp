#include "app/dialogs/wizard/WizardPages.h"

#include "app/dialogs/device/DlgUtil.h"
#include "app/dialogs/device/HwSettings.h"
#include "app/spine/WorkModeCaptions.h"
#include "app/dialogs/device/UnitSpinEdit.h"
#include "app/dialogs/task/TaskDlg.h"
#include "app/dialogs/task/TaskJob.h"
#include "app/dialogs/task/TaskProgress.h"
#include "app/dialogs/wizard/ModelCatalogue.h"
#include "app/dialogs/wizard/WorkModeClass.h"
#include "app/spine/Seams.h"
#include "core/api/Records.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/ItemTypes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedLayout>
#include <QRadioButton>
#include <QStyle>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace dialogs {

namespace {

// Labels shared with the hardware settings dialog.
constexpr unsigned hwTemplate = 6019;
constexpr unsigned IDL_ADDRESS = 6050, IDL_WIDTH = 6051, IDL_HEIGHT = 6052, IDL_WORKMODE = 6053, IDL_SCAN = 6054,
                   IDL_ROWDECODE = 6055, IDL_REFRESH = 6056, IDL_LUM = 6057;
constexpr unsigned IDS_ROW_DECODE = 48269;

QLabel* title(QWidget* page, unsigned idd)
{
    auto* l = new QLabel(dlgText(idd, 0), page);
    QFont f = l->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    l->setFont(f);
    return l;
}

QPixmap statusIcon(QWidget* w, unsigned id, QStyle::StandardPixmap fallback)
{
    QIcon icon = platform::langIcon(id);
    if (icon.isNull())
        icon = w->style()->standardIcon(fallback);
    return icon.pixmap(32, 32);
}

// The right-aligned read and write buttons under a hardware form; their texts
// are the owner's own, so each page keeps its own shortcut letters.
template <typename Owner>
QHBoxLayout* readWriteRow(Owner* owner, int readId, int writeId, void (Owner::*onRead)(), bool (Owner::*onWrite)())
{
    auto* read = withId(new QPushButton(dlgText(Owner::IDD, readId), owner), readId);
    auto* write = withId(new QPushButton(dlgText(Owner::IDD, writeId), owner), writeId);
    read->setAutoDefault(false);
    write->setAutoDefault(false);
    QObject::connect(read, &QPushButton::clicked, owner, onRead);
    QObject::connect(write, &QPushButton::clicked, owner, onWrite);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(read);
    buttons->addWidget(write);
    return buttons;
}

constexpr unsigned IDS_READ_DONE = 48276, IDS_READ_FAILED = 48277, IDS_WRITE_DONE = 48278,
                   IDS_WRITE_FAILED = 48279;

// Shows a wizard job's outcome in `result`, as the settings dialogs show
// theirs. True when the call went through (a write also when the controller
// took it); false when it failed, was cancelled or the owner went meanwhile.
bool showJobOutcome(QLabel* result, const TaskOutcome& out, bool read)
{
    if (!out.reached)
        return false;
    const bool ok = !out.cancelled && (read ? out.result >= 0 : out.result > 0);
    const unsigned text = read ? (ok ? IDS_READ_DONE : IDS_READ_FAILED) : (ok ? IDS_WRITE_DONE : IDS_WRITE_FAILED);
    showOutcome(result, platform::langString(text), ok);
    return ok;
}

// One write of the wizard as a job over `owner`.
bool request(CCore& core, QWidget* owner, QLabel* result, std::function<int(CCore&)> call)
{
    result->clear();
    return showJobOutcome(result, RunTaskJob(core, owner, WriteJob(std::move(call))), false);
}

// A read leaves the screen as it was when it fails. The controller answers
// with its own model; the one the operator chose stands over it unless none
// was (the read one is to be kept).
bool readHardware(CCore& core, QWidget* owner, QLabel* result, tagItemData* screen,
                  std::optional<std::uint32_t> model)
{
    result->clear();
    const bool read = showJobOutcome(result, RunReadJob(core, owner, screen, &CCore::RetrieveHardwareInfo), true);
    if (read && model)
        screen->Global.HardwareId = *model;   // the wizard's own screen, in no tree yet
    return read;
}

bool sendHardware(CCore& core, QWidget* owner, QLabel* result, tagItemData* screen)
{
    if (CCore::IsRoot(screen) != 1)
        return request(core, owner, result, [](CCore&) { return 0; });
    return request(core, owner, result, [block = screen->Global, link = CCore::GetOwnLink(screen)](CCore& c) {
        return c.SendHardwareInfo(block, link);
    });
}

// Sends the screen's hardware settings; the display restarts only with
// settings it really took.
bool sendAndRestart(CCore& core, QWidget* owner, QLabel* result, tagItemData* screen)
{
    if (!screen)
        return false;
    if (CCore::IsRoot(screen) != 1)
        return request(core, owner, result, [](CCore&) { return 0; });
    // The values taken here: the worker reaches no node.
    return request(core, owner, result,
                   [block = screen->Global, own = CCore::GetOwnLink(screen), over = core.GetSendLink(screen)](
                       CCore& c) {
                       const int sent = c.SendHardwareInfo(block, own);
                       if (sent > 0) {
                           c.SendSwitch(0, over);
                           c.SendSwitch(1, over);
                       }
                       return sent;
                   });
}

} // namespace

// ---- page 1 ----

bool CWizardSelModel::Create(CWizard* wizard)
{
    CPage::Create(wizard);
    m_model = withId(new QComboBox(this), IDC_MODEL);
    for (const ModelEntry& m : OfferedModels())
        m_model->addItem(m.name, qulonglong(m.id));
    m_label = withId(new QLabel(dlgText(IDD, IDC_MODEL_LABEL), this), IDC_MODEL_LABEL);
    m_label->setBuddy(m_model);
    m_description = withId(new QTextEdit(this), IDC_DESCRIPTION);
    m_description->setReadOnly(true);
    m_keep = withId(new QCheckBox(dlgText(IDD, IDC_KEEP), this), IDC_KEEP);
    auto* row = new QHBoxLayout;
    row->addWidget(m_label);
    row->addWidget(m_model, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title(this, IDD));
    layout->addLayout(row);
    layout->addWidget(m_description, 1);
    layout->addWidget(m_keep);
    connect(m_model, &QComboBox::currentIndexChanged, this, &CWizardSelModel::OnModelChanged);
    connect(m_keep, &QCheckBox::toggled, this, &CWizardSelModel::OnKeep);
    return true;
}

int CWizardSelModel::ShowPage()
{
    wizard()->SetButtons(false, true, true);
    const int at = m_model->findData(qulonglong(screen()->Global.HardwareId));
    m_model->setCurrentIndex(at >= 0 ? at : 0);
    OnModelChanged();
    return CPage::ShowPage();
}

void CWizardSelModel::OnModelChanged()
{
    const auto id = unsigned(m_model->currentData().toULongLong());
    m_description->setPlainText(m_model->currentIndex() < 0 ? QString() : ModelDescription(CCore::GetFirmwareInfo(id)));
}

void CWizardSelModel::OnKeep()
{
    const bool on = !m_keep->isChecked();
    m_label->setEnabled(on);
    m_model->setEnabled(on);
    m_description->setEnabled(on);
}

void CWizardSelModel::store()
{
    if (!m_keep->isChecked() && m_model->currentIndex() >= 0) {
        screen()->Global.HardwareId = std::uint32_t(m_model->currentData().toULongLong());
        wizard()->setChosenModel(screen()->Global.HardwareId);
    } else {
        wizard()->setChosenModel(std::nullopt);
    }
}

int CWizardSelModel::OnNext()
{
    store();
    return 0;
}

int CWizardSelModel::OnFinish()
{
    store();
    sendFinish(0);
    return 1;
}

// ---- page 2 ----

bool CWizardSelComm::Create(CWizard* wizard)
{
    CPage::Create(wizard);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title(this, IDD));
    for (int i = 0; i < 3; ++i) {
        m_modes[i] = withId(new QRadioButton(dlgText(IDD, IDC_SERIAL + i), this), IDC_SERIAL + i);
        connect(m_modes[i], &QRadioButton::clicked, this, &CWizardSelComm::UpdateHint);
    }
    // Each kind's own field stands under its choice.
    auto indented = [](QLabel* label, QWidget* field) {
        auto* row = new QHBoxLayout;
        row->addSpacing(20);
        row->addWidget(label);
        row->addWidget(field);
        row->addStretch(1);
        return row;
    };
    m_serialPort = withId(new QComboBox(this), IDC_SERIAL_PORT);
    m_serialPort->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_serialPort->setMinimumContentsLength(16);
    auto* serialLabel = withId(new QLabel(dlgText(IDD, IDC_SERIAL_PORT_LABEL), this), IDC_SERIAL_PORT_LABEL);
    serialLabel->setBuddy(m_serialPort);
    m_port = withId(new QLineEdit(QStringLiteral("8080"), this), IDC_PORT);
    m_port->setValidator(new QIntValidator(0, 65535, m_port));
    m_port->setMaximumWidth(100);
    auto* portLabel = withId(new QLabel(dlgText(IDD, IDC_PORT_LABEL), this), IDC_PORT_LABEL);
    portLabel->setBuddy(m_port);
    layout->addWidget(m_modes[0]);
    layout->addLayout(indented(serialLabel, m_serialPort));
    layout->addWidget(m_modes[1]);
    layout->addWidget(m_modes[2]);
    layout->addLayout(indented(portLabel, m_port));
    m_hint = withId(new QLabel(this), IDC_HINT);
    m_hint->setWordWrap(true);
    layout->addSpacing(8);
    layout->addWidget(m_hint);
    layout->addStretch(1);
    return true;
}

int CWizardSelComm::mode() const
{
    for (int i = 0; i < 3; ++i) {
        if (m_modes[i]->isChecked())
            return i;
    }
    return COMM_SERIAL;
}

int CWizardSelComm::port() const { return m_port->text().toInt(); }

void CWizardSelComm::fillSerialPorts()
{
    // Found ports and those added by hand in the software settings.
    m_serialPort->clear();
    if (CUniqueArray<QString>* list = core().GetSerialPortList()) {
        for (const QString& name : *list)
            m_serialPort->addItem(name);
        CCore::ReleaseSerialPortList(list);
    }
    const int at = m_serialPort->findText(core().GetSerialPortName(int(screen()->Global.SerialPort)));
    m_serialPort->setCurrentIndex(at >= 0 ? at : (m_serialPort->count() ? 0 : -1));
}

void CWizardSelComm::storeSerialPort()
{
    if (mode() != COMM_SERIAL || m_serialPort->currentIndex() < 0)
        return;
    const int n = core().GetSerialPortNumber(m_serialPort->currentText());
    if (n >= 0)
        screen()->Global.SerialPort = std::uint32_t(n);
}

int CWizardSelComm::ShowPage()
{
    wizard()->SetButtons(true, true, true);
    // Only the links the model has; a model the catalogue does not know offers all.
    const FirmwareInfo* model = CCore::GetFirmwareInfo(screen()->Global.HardwareId);
    const int bits = model ? model->featureBits : 0;
    const bool offered[3] = {!bits || (bits & 0x01) != 0, !bits || (bits & 0x04) != 0, !bits || (bits & 0x18) != 0};
    int chosen = int(std::min<std::uint32_t>(screen()->Global.CommType, 2));
    if (!offered[chosen])
        chosen = int(std::find(std::begin(offered), std::end(offered), true) - std::begin(offered)) % 3;
    for (int i = 0; i < 3; ++i)
        m_modes[i]->setEnabled(offered[i]);
    m_modes[chosen]->setChecked(true);
    fillSerialPorts();
    UpdateHint();
    m_port->setText(QString::number(screen()->Global.HostPort));
    return CPage::ShowPage();
}

void CWizardSelComm::UpdateHint()
{
    const int m = mode();
    m_serialPort->setEnabled(m == COMM_SERIAL);
    m_port->setEnabled(m == COMM_NETWORK);
    m_hint->setText(platform::langString(m == COMM_SERIAL ? 48165 : 48166));
}

int CWizardSelComm::OnNext()
{
    screen()->Global.CommType = std::uint32_t(mode());
    storeSerialPort();
    if (mode() == COMM_NETWORK)
        screen()->Global.HostPort = std::uint16_t(std::clamp(port(), 0, 65535));
    return 0;
}

int CWizardSelComm::OnFinish()
{
    screen()->Global.CommType = std::uint32_t(mode());
    // The port chosen is the one the screen is to use, finished here or not.
    storeSerialPort();
    sendFinish(0);
    return 1;
}

// ---- shared hardware form ----

CWizardHwForm::CWizardHwForm(bool full, int maxWidthUnits, int maxHeightUnits, QWidget* parent)
    : QWidget(parent), m_full(full)
{
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    const auto label = [this](unsigned id) { return new QLabel(dlgText(hwTemplate, id), this); };
    if (full) {
        m_address = new CUnitSpinEdit(IDC_ADDRESS, IDC_ADDRESS_SPIN, 1, this);
        m_address->setRange(kAddressMin, kAddressMax);
        form->addRow(label(IDL_ADDRESS), m_address);
    }
    m_width = new CUnitSpinEdit(IDC_WIDTH, IDC_WIDTH_SPIN, 8, this);
    m_width->setRange(1, maxWidthUnits);
    m_height = new CUnitSpinEdit(IDC_HEIGHT, IDC_HEIGHT_SPIN, 4, this);
    m_height->setRange(1, maxHeightUnits);
    form->addRow(label(IDL_WIDTH), m_width);
    form->addRow(label(IDL_HEIGHT), m_height);
    m_mode = withId(new QComboBox(this), IDC_WORKMODE);
    for (const spine::WorkModeCaption& row : spine::kWorkModeCaptions)
        m_mode->addItem(platform::langString(row.nameId), int(row.code));
    m_mode->setCurrentIndex(0);
    form->addRow(label(IDL_WORKMODE), m_mode);
    m_scan = new CUnitSpinEdit(IDC_SCAN, IDC_SCAN_SPIN, 1, this);
    m_scan->setRange(1, 2);
    form->addRow(label(IDL_SCAN), m_scan);
    m_rowDecode = withId(new QComboBox(this), IDC_ROWDECODE);
    m_rowDecode->addItems(splitPieces(platform::langString(IDS_ROW_DECODE)));
    form->addRow(label(IDL_ROWDECODE), m_rowDecode);
    if (full) {
        m_refresh = new CUnitSpinEdit(IDC_REFRESH, IDC_REFRESH_SPIN, 1, this);
        m_refresh->setRange(kRefreshMin, kRefreshMax);
        m_lum = new CUnitSpinEdit(IDC_LUM, IDC_LUM_SPIN, 1, this);
        m_lum->setRange(kLumMin, kLumMax);
        form->addRow(label(IDL_REFRESH), m_refresh);
        form->addRow(label(IDL_LUM), m_lum);
    }
    auto* options = new QGridLayout;
    const int ids[4] = {IDC_OPTION0, IDC_OPTION1, IDC_OPTION2, IDC_OPTION3};
    for (int i = 0; i < 4; ++i) {
        m_options[i] = withId(new QCheckBox(dlgText(hwTemplate, ids[i]), this), ids[i]);
        options->addWidget(m_options[i], i / 2, i % 2);
    }
    form->addRow(options);
    connect(m_mode, &QComboBox::activated, this, &CWizardHwForm::OnWorkModeChanged);
}

int CWizardHwForm::workModeRow() const { return m_mode->currentIndex(); }

void CWizardHwForm::selectWorkModeRow(int row)
{
    if (m_mode->currentIndex() == row)
        return;
    m_mode->setCurrentIndex(row);
    OnWorkModeChanged();
}

void CWizardHwForm::OnWorkModeChanged()
{
    if (m_mode->currentIndex() < 0)
        return;
    const WorkModeClass c = WorkModeClassOf(m_mode->currentData().toInt());
    m_scan->setRange(1, c.maxScan);
    m_scan->setPosition(c.presetScan);
    m_options[0]->setChecked(c.firstOption);
}

void CWizardHwForm::setOwnChoiceEnabled(bool on)
{
    m_scan->setEnabled(on);
    m_mode->setEnabled(on);
    m_rowDecode->setEnabled(on);
    for (QCheckBox* c : m_options)
        c->setEnabled(on);
}

void CWizardHwForm::loadFromScreen(const tagGlobalInfo& g)
{
    if (m_address)
        m_address->setPosition(g.ID);
    m_width->setPosition(g.Width / 8);
    m_height->setPosition(g.Height / 4);
    const int row = spine::workModeCaptionRow(g.Type);
    m_mode->setCurrentIndex(row);
    // The range is the work mode's own (as in the hardware settings): a scan
    // beyond it cannot be compiled, and every later send would fail.
    m_scan->setRange(1, WorkModeClassOf(row < 0 ? 22 : int(g.Type)).maxScan);
    m_scan->setPosition(g.ScanMode);
    m_rowDecode->setCurrentIndex(g.RowDecode < m_rowDecode->count() ? g.RowDecode : -1);
    if (m_refresh)
        m_refresh->setPosition(g.ReFreq);
    if (m_lum)
        m_lum->setPosition(g.Lum);
    for (int i = 0; i < 4; ++i)
        m_options[i]->setChecked(g.OptionBits & (1 << i));
}

void CWizardHwForm::store(tagGlobalInfo& g, int lum) const
{
    if (m_address)
        g.ID = std::uint8_t(m_address->clampedValue());
    g.Width = std::uint16_t(roundUpTo(m_width->clampedValue(), 8));
    g.Height = std::uint16_t(roundUpTo(m_height->clampedValue(), 4));
    if (m_mode->currentIndex() >= 0)
        g.Type = std::uint16_t(m_mode->currentData().toInt());
    g.ScanMode = std::uint16_t(m_scan->clampedValue());
    g.RowDecode = std::uint8_t(std::max(0, m_rowDecode->currentIndex()));
    if (m_refresh)
        g.ReFreq = std::uint16_t(m_refresh->clampedValue());
    g.Lum = std::uint16_t(m_lum ? m_lum->clampedValue() : lum);
    std::uint8_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= m_options[i]->isChecked() ? (1 << i) : 0;
    g.OptionBits = std::uint8_t((g.OptionBits & 0xF0) | bits);
}

// ---- search result panel ----

CWizardRetrieveSuccess::CWizardRetrieveSuccess(CCore& core, std::function<tagItemData*()> screen,
                                               std::function<std::optional<std::uint32_t>()> model, QWidget* parent)
    : QWidget(parent), m_core(core), m_screen(std::move(screen)), m_model(std::move(model))
{
    withId(this, IDD);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const int ids[3] = {IDC_PRESET_COLOUR, IDC_PRESET_MONO, IDC_OWN};
    for (int i = 0; i < 3; ++i) {
        m_presets[i] = withId(new QRadioButton(dlgText(IDD, ids[i]), this), ids[i]);
        layout->addWidget(m_presets[i]);
        const int id = ids[i];
        connect(m_presets[i], &QRadioButton::clicked, this, [this, id] { OnPreset(id); });
    }
    m_form = new CWizardHwForm(false, kWidthUnitsMax, kHeightUnitsMax, this);
    m_form->setOwnChoiceEnabled(false);
    layout->addWidget(m_form);
    layout->addLayout(
        readWriteRow(this, IDC_READ, IDC_WRITE, &CWizardRetrieveSuccess::OnRead, &CWizardRetrieveSuccess::OnWrite));
    m_result = resultLabel(this, IDC_RESULT);
    layout->addWidget(m_result);
}

void CWizardRetrieveSuccess::OnPreset(int id)
{
    m_form->setOwnChoiceEnabled(id == IDC_OWN);
    if (id != IDC_OWN)
        m_form->selectWorkModeRow(id == IDC_PRESET_COLOUR ? 13 : 0);
}

void CWizardRetrieveSuccess::LoadFromScreen(tagItemData* screen)
{
    m_form->loadFromScreen(screen->Global);
    const int row = spine::workModeCaptionRow(screen->Global.Type);
    const int preset = row == 0 ? 1 : row == 13 ? 0 : 2;
    m_presets[preset]->setChecked(true);
    m_form->setOwnChoiceEnabled(preset == 2);
}

bool CWizardRetrieveSuccess::Apply(tagItemData* screen)
{
    m_form->store(screen->Global, 500);
    return sendHardware(m_core, this, m_result, screen);
}

bool CWizardRetrieveSuccess::Read(tagItemData* screen)
{
    const QPointer<CWizardRetrieveSuccess> self(this);
    const bool read = readHardware(m_core, this, m_result, screen, m_model ? m_model() : std::nullopt);
    if (read && self)
        LoadFromScreen(screen);
    return read;
}

void CWizardRetrieveSuccess::OnRead()
{
    if (tagItemData* s = m_screen())
        Read(s);
}

bool CWizardRetrieveSuccess::OnWrite()
{
    tagItemData* s = m_screen();
    if (!s)
        return false;
    m_form->store(s->Global, 500);
    return sendAndRestart(m_core, this, m_result, s);
}

// ---- page 3 ----

bool CWizardRetrieve::Create(CWizard* wizard)
{
    CPage::Create(wizard);
    m_icon = withId(new QLabel(this), IDC_ICON);
    m_status = withId(new QLabel(this), IDC_STATUS);
    m_status->setWordWrap(true);
    makeRed(m_status);
    // Its first icon and text from the start, so the frame has the room for them.
    m_icon->setPixmap(statusIcon(this, 6215, QStyle::SP_BrowserReload));
    m_status->setText(platform::langString(48162));
    m_success = new CWizardRetrieveSuccess(
        wizard->core(), [wizard] { return wizard->screen(); }, [wizard] { return wizard->chosenModel(); }, this);
    m_fail = withId(new QWidget(this), FAIL_IDD);
    auto* retry = withId(new QPushButton(dlgText(FAIL_IDD, IDC_RETRY), m_fail), IDC_RETRY);
    retry->setAutoDefault(false);
    auto* failLayout = new QHBoxLayout(m_fail);
    failLayout->addWidget(retry, 0, Qt::AlignTop);
    failLayout->addStretch(1);
    connect(retry, &QPushButton::clicked, this, &CWizardRetrieve::OnRetry);
    auto* head = new QHBoxLayout;
    head->addWidget(m_icon);
    head->addWidget(m_status, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title(this, IDD));
    layout->addLayout(head);
    // The outcome panels share one place that is as large as the larger,
    // so a finished search does not grow the wizard.
    auto* outcome = new QWidget(this);
    m_outcome = new QStackedLayout(outcome);
    m_outcome->setContentsMargins(0, 0, 0, 0);
    m_pending = new QWidget(outcome);
    m_outcome->addWidget(m_pending);
    m_outcome->addWidget(m_success);
    m_outcome->addWidget(m_fail);
    layout->addWidget(outcome);
    layout->addStretch(1);
    m_searched = false;
    return true;
}

int CWizardRetrieve::ShowPage()
{
    wizard()->SetButtons(true, true, true);
    if (m_searched)
        return CPage::ShowPage();
    CPage::ShowPage();
    m_icon->setPixmap(statusIcon(this, 6215, QStyle::SP_BrowserReload));
    m_status->setText(platform::langString(48162));
    makeRed(m_status);
    m_outcome->setCurrentWidget(m_pending);
    int r = 2;
    const QPointer<CWizardRetrieve> self(this);
    if (const auto search = spine::seams().wizardSearch) {
        r = search(wizard(), core(), screen());
    } else {
        // On the heap: a wizard destroyed meanwhile takes it along.
        QPointer<CTaskDlg> task = new CTaskDlg(core(), wizard());
        task->SetTask(TASK_WIZARD_FIND, screen());
        r = task->exec();
        delete task.data();
    }
    if (!self)
        return 0;
    if (r == 1) {
        m_icon->setPixmap(statusIcon(this, 6106, QStyle::SP_DialogApplyButton));
        m_status->setText(platform::langString(48163));
        makeSuccessColour(m_status);
        m_outcome->setCurrentWidget(m_success);
        // What the search found stays on the panel when the read fails.
        m_success->LoadFromScreen(screen());
        m_success->Read(screen());
        if (!self)
            return 0;
    } else {
        m_icon->setPixmap(statusIcon(this, 6105, QStyle::SP_MessageBoxWarning));
        m_status->setText(platform::langString(48164));
        makeRed(m_status);
        m_outcome->setCurrentWidget(m_fail);
    }
    return 1;
}

void CWizardRetrieve::OnRetry()
{
    m_searched = false;
    ShowPage();
}

bool CWizardRetrieve::applyShown()
{
    return m_success->isHidden() || m_success->Apply(screen());
}

int CWizardRetrieve::OnBack()
{
    m_searched = false;
    return 0;
}

int CWizardRetrieve::OnNext()
{
    // Settings the controller did not take keep the page, with its answer.
    if (!applyShown())
        return -1;
    m_searched = true;
    return 0;
}

int CWizardRetrieve::OnFinish()
{
    if (!applyShown())
        return -1;
    sendFinish(0);
    return 1;
}

// ---- page 4 ----

bool CWizardHwConfig::Create(CWizard* wizard)
{
    CPage::Create(wizard);
    m_form = new CWizardHwForm(true, 256, 64, this);
    auto* note = withId(new QLabel(dlgText(IDD, IDC_NOTE), this), IDC_NOTE);
    note->setWordWrap(true);
    makeRed(note);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title(this, IDD));
    layout->addWidget(m_form);
    layout->addWidget(note);
    layout->addLayout(readWriteRow(this, IDC_READ, IDC_WRITE, &CWizardHwConfig::OnRead, &CWizardHwConfig::OnWrite));
    m_result = resultLabel(this, IDC_RESULT);
    layout->addWidget(m_result);
    layout->addStretch(1);
    return true;
}

int CWizardHwConfig::ShowPage()
{
    wizard()->SetButtons(true, true, true);
    CPage::ShowPage();
    if (!m_stored)
        m_form->loadFromScreen(screen()->Global);
    return 1;
}

void CWizardHwConfig::store() { m_form->store(screen()->Global, 0); }

void CWizardHwConfig::OnRead()
{
    const QPointer<CWizardHwConfig> self(this);
    if (readHardware(core(), this, m_result, screen(), wizard()->chosenModel()) && self)
        m_form->loadFromScreen(screen()->Global);
}

bool CWizardHwConfig::OnWrite()
{
    store();
    return sendAndRestart(core(), this, m_result, screen());
}

int CWizardHwConfig::OnBack()
{
    m_stored = false;
    // The search page looks again for the controller.
    if (auto* search = qobject_cast<CWizardRetrieve*>(wizard()->page(wizard()->GetCurrentPage() - 1)))
        search->clearSearched();
    return 0;
}

int CWizardHwConfig::OnNext()
{
    m_stored = true;
    store();
    // Settings the controller did not take keep the page, with its answer.
    return sendHardware(core(), this, m_result, screen()) ? 0 : -1;
}

int CWizardHwConfig::OnFinish()
{
    store();
    sendFinish(0);
    return 1;
}

// ---- page 5 ----

bool CWizardEditProgram::Create(CWizard* wizard)
{
    CPage::Create(wizard);
    m_starter = withId(new QCheckBox(dlgText(IDD, IDC_STARTER), this), IDC_STARTER);
    m_send = withId(new QCheckBox(dlgText(IDD, IDC_SEND), this), IDC_SEND);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title(this, IDD));
    layout->addWidget(m_starter);
    layout->addWidget(m_send);
    layout->addStretch(1);
    return true;
}

int CWizardEditProgram::ShowPage()
{
    wizard()->SetButtons(true, false, true);
    m_starter->setChecked(false);
    m_send->setChecked(false);
    return CPage::ShowPage();
}

int CWizardEditProgram::OnFinish()
{
    sendFinish((m_send->isChecked() ? 1u << 16 : 0u) | (m_starter->isChecked() ? 1u : 0u));
    return 1;
}

} // namespace dialogs
