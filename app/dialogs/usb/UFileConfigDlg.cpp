#include "app/dialogs/usb/UFileConfigDlg.h"

#include "app/controls/Edits.h"
#include "app/controls/MessageBox.h"
#include "app/dialogs/device/DlgUtil.h"
#include "app/dialogs/wizard/ModelCatalogue.h"
#include "core/api/Records.h"
#include "core/api/Core.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <climits>

namespace dialogs {

CUFileConfigDlg::CUFileConfigDlg(std::uint32_t hardwareId, bool screenSelected, DriveQuery drives, QWidget* parent)
    : QDialog(parent), m_model(hardwareId), m_screenSelected(screenSelected), m_drives(std::move(drives))
{
    withId(this, IDD);
    setWindowTitle(dlgText(IDD, 0));

    for (int k = 0; k < 4; ++k) {
        m_kinds[k] = withId(new QRadioButton(dlgText(IDD, IDC_KIND0 + k), this), IDC_KIND0 + k);
        connect(m_kinds[k], &QRadioButton::clicked, this, [this, k] { OnKind(k); });
    }
    m_clock = withId(new QCheckBox(dlgText(IDD, IDC_CLOCK), this), IDC_CLOCK);
    m_hardware = withId(new QCheckBox(dlgText(IDD, IDC_HARDWARE), this), IDC_HARDWARE);
    m_programs = withId(new QCheckBox(dlgText(IDD, IDC_PROGRAMS), this), IDC_PROGRAMS);
    m_offsetEdit = withId(new controls::CRangeEdit(this), IDC_OFFSET);
    m_offsetEdit->setNumeric(true);
    m_offsetEdit->SetRange(0, INT_MAX);
    m_offsetEdit->SetSuffixFromResource(58110);
    m_offsetEdit->SetValue(m_offset);
    m_destCombo = withId(new QComboBox(this), IDC_DESTINATION);
    m_destCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_destCombo->setMinimumContentsLength(24);
    m_modelCombo = withId(new QComboBox(this), IDC_MODEL);

    // Flags to controls.
    const unsigned f = m_content.flags();
    m_clock->setChecked(f & USB_CLOCK);
    m_hardware->setChecked(f & USB_HARDWARE);
    m_programs->setChecked(f & USB_PROGRAMS);
    m_kinds[m_content.kind()]->setChecked(true);

    // Models: the one with this hardware id, else the first whose name its
    // model's name begins, else "any model".
    const QList<ModelEntry> models = OfferedModels();
    for (const ModelEntry& m : models)
        m_modelCombo->addItem(m.name, qulonglong(m.id));
    m_modelCombo->addItem(platform::langString(107), qulonglong(0));
    int pick = m_modelCombo->findData(qulonglong(hardwareId));
    if (pick < 0 || hardwareId == 0) {
        pick = m_modelCombo->count() - 1;
        const FirmwareInfo* info = CCore::GetFirmwareInfo(hardwareId);
        if (info && !info->modelName.isEmpty()) {
            for (int i = 0; i + 1 < m_modelCombo->count(); ++i) {
                if (m_modelCombo->itemText(i).startsWith(info->modelName, Qt::CaseInsensitive)) {
                    pick = i;
                    break;
                }
            }
        }
    }
    m_modelCombo->setCurrentIndex(pick);
    m_model = std::uint32_t(m_modelCombo->currentData().toULongLong());

    auto* kindBox = new QGroupBox(this);
    auto* kindLayout = new QGridLayout(kindBox);
    kindLayout->addWidget(m_kinds[0], 0, 0, 1, 3);
    kindLayout->addWidget(m_clock, 1, 1);
    kindLayout->addWidget(m_offsetEdit, 1, 2);
    kindLayout->addWidget(m_hardware, 2, 1);
    kindLayout->addWidget(m_programs, 3, 1);
    kindLayout->setColumnMinimumWidth(0, 16);
    kindLayout->addWidget(m_kinds[1], 4, 0, 1, 3);
    kindLayout->addWidget(m_kinds[2], 5, 0, 1, 3);
    kindLayout->addWidget(m_kinds[3], 6, 0, 1, 3);
    auto* form = new QGridLayout;
    auto* destLabel = withId(new QLabel(dlgText(IDD, IDC_LABEL_DESTINATION), this), IDC_LABEL_DESTINATION);
    destLabel->setBuddy(m_destCombo);
    auto* modelLabel = withId(new QLabel(dlgText(IDD, IDC_LABEL_MODEL), this), IDC_LABEL_MODEL);
    modelLabel->setBuddy(m_modelCombo);
    form->addWidget(destLabel, 0, 0);
    form->addWidget(m_destCombo, 0, 1);
    form->addWidget(modelLabel, 1, 0);
    form->addWidget(m_modelCombo, 1, 1);
    form->setColumnStretch(1, 1);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = withId(buttons->addButton(dlgText(IDD, 1), QDialogButtonBox::AcceptRole), 1);
    withId(buttons->addButton(dlgText(IDD, 2), QDialogButtonBox::RejectRole), 2);
    ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kindBox);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(ok, &QPushButton::clicked, this, &CUFileConfigDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_clock, &QCheckBox::toggled, this, [this](bool on) {
        m_content.setBit(USB_CLOCK, on);
        updateEnables();
    });
    connect(m_hardware, &QCheckBox::toggled, this, [this](bool on) { m_content.setBit(USB_HARDWARE, on); });
    connect(m_programs, &QCheckBox::toggled, this, [this](bool on) { m_content.setBit(USB_PROGRAMS, on); });
    connect(m_offsetEdit, &QLineEdit::textChanged, this, [this] { m_offset = m_offsetEdit->GetValue(); });
    connect(m_modelCombo, &QComboBox::currentIndexChanged, this,
            [this] { m_model = std::uint32_t(m_modelCombo->currentData().toULongLong()); });
    connect(m_destCombo, &QComboBox::activated, this, &CUFileConfigDlg::OnDestinationChosen);

    updateEnables();
    m_list.setDrives(SplitDrives(m_drives ? m_drives() : QString()));
    rebuildDestinations(m_list.drives().isEmpty() ? -1 : int(m_list.drives().size()) - 1);

    // Volumes come and go while the dialog is open.
    m_poll = new QTimer(this);
    m_poll->setInterval(1500);
    connect(m_poll, &QTimer::timeout, this, &CUFileConfigDlg::OnDeviceChange);
    m_poll->start();
}

void CUFileConfigDlg::setPollInterval(int ms) { m_poll->setInterval(ms); }

void CUFileConfigDlg::updateEnables()
{
    const int kind = m_content.kind();
    m_clock->setEnabled(kind == 0);
    m_hardware->setEnabled(kind == 0 && m_screenSelected);
    m_programs->setEnabled(kind == 0 && m_screenSelected);
    m_offsetEdit->setEnabled(kind == 0 && m_clock->isChecked());
    m_modelCombo->setEnabled(kind == 3);
}

void CUFileConfigDlg::OnKind(int kind)
{
    m_content.chooseKind(kind, m_clock->isChecked(), m_hardware->isChecked() && m_screenSelected,
                         m_programs->isChecked() && m_screenSelected);
    updateEnables();
}

void CUFileConfigDlg::rebuildDestinations(int select)
{
    QSignalBlocker block(m_destCombo);
    m_destCombo->clear();
    m_destCombo->addItems(m_list.entries(platform::langString(63001)));
    m_destCombo->setCurrentIndex(select);
    m_lastIndex = select;
    m_destination = select >= 0 && select < m_list.pickerIndex() ? m_destCombo->itemText(select) : QString();
}

void CUFileConfigDlg::OnDeviceChange()
{
    if (!m_list.setDrives(SplitDrives(m_drives ? m_drives() : QString())))
        return;
    if (!m_list.drives().isEmpty())
        return rebuildDestinations(int(m_list.drives().size()) - 1);
    // No volume left: a picked folder still chosen stays chosen.
    const int folder = int(m_list.folders().indexOf(m_destination));
    rebuildDestinations(folder);
}

void CUFileConfigDlg::OnDestinationChosen(int index)
{
    if (index != m_list.pickerIndex()) {
        m_lastIndex = index;
        m_destination = m_destCombo->itemText(index);
        return;
    }
    const QString path = controls::FileDialog::getSaveFileName(this, QString(), QStringLiteral("program.dat"),
                                                               controls::FileDialog::usbFileFilter());
    const int at = path.isEmpty() ? -1 : m_list.addPickedFile(path);
    if (at < 0) {
        // A cancelled pick keeps what was chosen before.
        QSignalBlocker block(m_destCombo);
        m_destCombo->setCurrentIndex(m_lastIndex);
        return;
    }
    rebuildDestinations(at);
}

void CUFileConfigDlg::accept()
{
    if ((m_content.flags() & USB_FIRMWARE) && m_model == 0) {
        controls::MessageBox::warning(this, platform::langString(110), platform::langString(103));
        return;
    }
    m_offset = m_offsetEdit->GetValue();
    QDialog::accept();
}

} // namespace dialogs
