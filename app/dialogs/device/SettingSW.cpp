#include "app/dialogs/device/SettingSW.h"

#include "app/spine/Messages.h"
#include "app/controls/Edits.h"
#include "app/controls/MessageBox.h"
#include "app/dialogs/device/DlgUtil.h"
#include "core/api/Core.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace dialogs {

namespace {
constexpr unsigned IDL_SW_PORTS = 6320, IDL_SW_THRESHOLD = 6321, IDL_SW_OPTIONS = 6322;
// The settings-changed kinds: the user's serial ports, the colour threshold.
constexpr platform::WPARAM kSerialPortsChanged = 2;
constexpr platform::WPARAM kThresholdChanged = 8;

constexpr int kMaxPortText = 255;

bool allDigits(const QString& t)
{
    if (t.isEmpty())
        return false;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}
} // namespace

QString UserSerialPortName(const QString& typed)
{
    const QString t = typed.trimmed();
    if (allDigits(t))
        return QStringLiteral("COM") + t;
    // A device by its path, present now or not. ";" ends an entry of the
    // stored list, so a name holding one would come back as two.
    if (t.size() < 2 || !t.startsWith(u'/') || t.endsWith(u'/'))
        return {};
    for (QChar c : t)
        if (c == u';' || c.category() == QChar::Other_Control)
            return {};
    return t;
}

CSettingSW::CSettingSW(CCore& core, const SoftwareOptions& options, QWidget* parent)
    : QDialog(parent), m_core(core), m_frame(parent), m_applied(options)
{
    withId(this, IDD);
    setWindowTitle(dlgText(IDD, 0));
    auto check = [this](int id) { return withId(new QCheckBox(dlgText(IDD, id), this), id); };
    auto button = [this](int id) {
        auto* b = withId(new QPushButton(dlgText(IDD, id), this), id);
        b->setAutoDefault(false);
        return b;
    };

    auto* optionsBox = new QGroupBox(dlgText(IDD, IDL_SW_OPTIONS), this);
    auto* ov = new QVBoxLayout(optionsBox);
    m_closeByTray = check(IDC_CLOSE_BY_TRAY);
    m_autoRetrieve = check(IDC_AUTO_RETRIEVE);
    m_quitNote = check(IDC_QUIT_NOTE);
    m_saveLed = check(IDC_SAVE_LED);
    for (QCheckBox* c : {m_closeByTray, m_autoRetrieve, m_quitNote, m_saveLed})
        ov->addWidget(c);
    m_threshold = withId(new QSpinBox(this), IDC_THRESHOLD);
    m_threshold->setRange(0, 255);
    auto* thresholdRow = new QFormLayout;
    thresholdRow->addRow(new QLabel(dlgText(IDD, IDL_SW_THRESHOLD), this), m_threshold);
    ov->addLayout(thresholdRow);
    ov->addStretch(1);

    auto* portsBox = new QGroupBox(dlgText(IDD, IDL_SW_PORTS), this);
    auto* pg = new QGridLayout(portsBox);
    m_portEdit = withId(new controls::CPostFixEdit(this), IDC_PORT_EDIT);
    m_portEdit->setMaxLength(kMaxPortText);
    m_portEdit->setToolTip(platform::langString(IDS_BAD_PORT_NUMBER));
    m_portEdit->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("COM/dev/ttyUSB0000")));
    m_portEdit->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    showPortPrefix();
    m_ports = withId(new QListWidget(this), IDC_PORT_LIST);
    // A long device path keeps its start and its end in view; the tip holds it whole.
    m_ports->setTextElideMode(Qt::ElideMiddle);
    m_ports->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ports->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("/dev/serial/by-id/usb-0000-port0")));
    auto* add = button(IDC_PORT_ADD);
    auto* remove = button(IDC_PORT_REMOVE);
    pg->addWidget(m_portEdit, 0, 0);
    pg->addWidget(add, 0, 1);
    pg->addWidget(m_ports, 1, 0);
    pg->addWidget(remove, 1, 1, Qt::AlignTop);

    auto* bottom = new QHBoxLayout;
    auto* applyButton = button(IDC_APPLY);
    auto* defaults = button(IDC_DEFAULTS);
    auto* ok = button(IDC_OK);
    auto* cancel = button(IDC_CANCEL);
    ok->setDefault(true);
    bottom->addWidget(applyButton);
    bottom->addWidget(defaults);
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);

    auto* top = new QHBoxLayout;
    top->addWidget(optionsBox, 3);
    top->addWidget(portsBox, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);

    connect(add, &QPushButton::clicked, this, &CSettingSW::OnBnClickedAddPort);
    // Enter in the port field adds the port and keeps the dialog open.
    m_portEdit->installEventFilter(this);
    connect(m_portEdit, &QLineEdit::textChanged, this, &CSettingSW::showPortPrefix);
    connect(remove, &QPushButton::clicked, this, &CSettingSW::OnBnClickedRemovePort);
    connect(applyButton, &QPushButton::clicked, this, &CSettingSW::Apply);
    connect(defaults, &QPushButton::clicked, this, &CSettingSW::OnBnClickedDefaults);
    connect(ok, &QPushButton::clicked, this, [this] {
        // A port typed but not yet added is taken, not lost.
        if (!m_portEdit->text().trimmed().isEmpty() && !addTypedPort())
            return;
        Apply();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_saveLed->setChecked(options.saveLed);
    m_quitNote->setChecked(options.quitNote);
    m_closeByTray->setChecked(options.closeByTray);
    m_autoRetrieve->setChecked(options.autoRetrieve);
    if (CUniqueArray<QString>* ports = m_core.GetUserSerialPortList()) {
        for (const QString& name : *ports)
            addListed(name);
        CCore::ReleaseUserSerialPortList(ports);
    }
    m_threshold->setValue(static_cast<int>(CCore::GetColorThreshold()));
}

bool CSettingSW::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_portEdit && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OnBnClickedAddPort();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void CSettingSW::addListed(const QString& name)
{
    auto* item = new QListWidgetItem(name, m_ports);
    item->setToolTip(name);
}

void CSettingSW::showPortPrefix()
{
    // Digits name COMn; a path is shown as it stands, and an empty field
    // shows the kind of path it takes.
    const QString t = m_portEdit->text().trimmed();
    const QString prefix = allDigits(t) ? QStringLiteral("COM") : QString();
    if (prefix != m_portEdit->suffix())
        m_portEdit->SetSuffix(prefix, 1);
}

void CSettingSW::OnBnClickedAddPort()
{
    addTypedPort();
}

bool CSettingSW::addTypedPort()
{
    if (m_portEdit->text().trimmed().isEmpty())
        return true;
    const QString name = UserSerialPortName(m_portEdit->text());
    if (name.isEmpty()) {
        controls::MessageBox::warning(this, windowTitle(), platform::langString(IDS_BAD_PORT_NUMBER));
        m_portEdit->setFocus();
        m_portEdit->selectAll();
        return false;
    }
    m_core.AddUserSerialPort(reinterpret_cast<const char16_t*>(name.utf16()));
    // The core holds each name once; so does the list.
    if (m_ports->findItems(name, Qt::MatchExactly).isEmpty())
        addListed(name);
    m_portEdit->clear();
    spine::SettingsChanged::send(m_linkPage.data(), kSerialPortsChanged, 0);
    return true;
}

void CSettingSW::OnBnClickedRemovePort()
{
    const QList<QListWidgetItem*> selected = m_ports->selectedItems();
    if (selected.isEmpty())
        return;
    QListWidgetItem* item = selected.first();
    const QString name = item->text();
    m_core.RemoveUserSerialPort(reinterpret_cast<const char16_t*>(name.utf16()));
    delete item;
    spine::SettingsChanged::send(m_linkPage.data(), kSerialPortsChanged, 0);
}

void CSettingSW::OnBnClickedDefaults()
{
    m_closeByTray->setChecked(false);
    m_quitNote->setChecked(false);
    m_saveLed->setChecked(true);
}

void CSettingSW::Apply()
{
    m_applied.closeByTray = m_closeByTray->isChecked();
    m_applied.autoRetrieve = m_autoRetrieve->isChecked();
    m_applied.quitNote = m_quitNote->isChecked();
    m_applied.saveLed = m_saveLed->isChecked();
    emit applied(m_applied);
    const auto p = static_cast<unsigned long>(m_threshold->value());
    if (p != CCore::GetColorThreshold()) {
        CCore::SetColorThreshold(p);
        spine::SettingsChanged::send(m_frame.data(), kThresholdChanged, 0);
    }
}

} // namespace dialogs
