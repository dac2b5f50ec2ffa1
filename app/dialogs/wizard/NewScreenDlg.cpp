#include "app/dialogs/wizard/NewScreenDlg.h"

#include "app/spine/Messages.h"
#include "app/dialogs/device/DlgUtil.h"
#include "app/dialogs/device/HwSettings.h"
#include "app/spine/WorkModeCaptions.h"
#include "app/dialogs/device/UnitSpinEdit.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/ItemTypes.h"
#include "platform/MessageEvent.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace dialogs {

void ApplyNewScreenValues(tagItemData* screen, const NewScreenValues& v)
{
    tagGlobalInfo& g = screen->Global;
    g.ID = std::uint8_t(std::clamp(v.address, kAddressMin, kAddressMax));
    g.Width = std::uint16_t(roundUpTo(std::clamp(v.width, kWidthUnit, kWidthUnitsMax * kWidthUnit), kWidthUnit));
    g.Height = std::uint16_t(roundUpTo(std::clamp(v.height, kHeightUnit, kHeightUnitsMax * kHeightUnit), kHeightUnit));
    g.Type = std::uint16_t(v.workMode);
    unsigned short maxScan = 0, scan = 0;
    int firstOption = 0;
    CCore::ParseLEDWorkMode(v.workMode, maxScan, scan, firstOption);
    g.ScanMode = scan;
    if (firstOption)
        g.OptionBits |= 1;
}

CNewScreenDlg::CNewScreenDlg(CCore& core, QWidget* parent, QObject* frame)
    : QDialog(parent), m_core(core), m_frame(frame ? frame : parent)
{
    withId(this, IDD);
    setWindowTitle(dlgText(IDD, 0));
    m_header = core.CreateItemHeader();
    m_screen = core.AddItem(IT_SCREEN, nullptr, m_header, nullptr);

    m_address = new CUnitSpinEdit(IDC_ADDRESS, IDC_ADDRESS_SPIN, 1, this);
    m_address->setRange(kAddressMin, kAddressMax);
    m_width = new CUnitSpinEdit(IDC_WIDTH, IDC_WIDTH_SPIN, kWidthUnit, this);
    m_width->setRange(kWidthUnitsMin, kWidthUnitsMax);
    m_height = new CUnitSpinEdit(IDC_HEIGHT, IDC_HEIGHT_SPIN, kHeightUnit, this);
    m_height->setRange(kHeightUnitsMin, kHeightUnitsMax);
    m_mode = withId(new QComboBox(this), IDC_WORKMODE);
    for (const spine::WorkModeCaption& row : spine::kWorkModeCaptions)
        m_mode->addItem(platform::langString(row.nameId), int(row.code));
    m_mode->setCurrentIndex(0);
    m_mode->setEnabled(false);
    const int presetIds[3] = {IDC_PRESET_COLOUR, IDC_PRESET_MONO, IDC_OWN};
    for (int i = 0; i < 3; ++i) {
        m_presets[i] = withId(new QRadioButton(dlgText(IDD, presetIds[i]), this), presetIds[i]);
        const int id = presetIds[i];
        connect(m_presets[i], &QRadioButton::clicked, this, [this, id] { OnPreset(id); });
    }

    auto* form = new QGridLayout;
    const auto label = [this](int id, QWidget* buddy) {
        auto* l = withId(new QLabel(dlgText(IDD, id), this), id);
        l->setBuddy(buddy);
        return l;
    };
    form->addWidget(label(IDC_LABEL_ADDRESS, m_address->edit()), 0, 0);
    form->addWidget(m_address, 0, 1);
    form->addWidget(label(IDC_LABEL_WIDTH, m_width->edit()), 1, 0);
    form->addWidget(m_width, 1, 1);
    form->addWidget(label(IDC_LABEL_HEIGHT, m_height->edit()), 2, 0);
    form->addWidget(m_height, 2, 1);
    form->addWidget(label(IDC_LABEL_MODE, m_presets[0]), 3, 0, Qt::AlignTop);
    auto* modes = new QVBoxLayout;
    modes->addWidget(m_presets[0]);
    modes->addWidget(m_presets[1]);
    modes->addWidget(m_presets[2]);
    modes->addWidget(m_mode);
    form->addLayout(modes, 3, 1);

    auto* create = withId(new QPushButton(dlgText(IDD, IDC_CREATE), this), IDC_CREATE);
    auto* search = withId(new QPushButton(dlgText(IDD, IDC_SEARCH), this), IDC_SEARCH);
    auto* cancel = withId(new QPushButton(dlgText(IDD, IDC_CANCEL), this), IDC_CANCEL);
    create->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(create);
    buttons->addWidget(search);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(create, &QPushButton::clicked, this, &CNewScreenDlg::OnCreate);
    connect(search, &QPushButton::clicked, this, [this] { done(RESULT_SEARCH); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(RESULT_CANCELLED); });

    // The core's defaults for a new screen.
    if (m_screen) {
        const tagGlobalInfo& g = m_screen->Global;
        m_address->setPosition(g.ID);
        m_width->setPosition(g.Width / 8);
        m_height->setPosition(g.Height / 4);
        const int row = spine::workModeCaptionRow(g.Type);
        m_mode->setCurrentIndex(std::max(row, 0));
        const int preset = row == 0 ? 1 : row == 13 ? 0 : 2;
        m_presets[preset]->setChecked(true);
        m_mode->setEnabled(preset == 2);
    }
    create->setFocus();
}

CNewScreenDlg::~CNewScreenDlg()
{
    if (m_header)
        m_core.DeleteItem(m_header);
}

NewScreenValues CNewScreenDlg::values() const
{
    NewScreenValues v;
    v.address = m_address->value();
    v.width = m_width->value();
    v.height = m_height->value();
    v.workMode = m_mode->currentData().toInt();
    return v;
}

void CNewScreenDlg::OnPreset(int id)
{
    if (id == IDC_OWN) {
        m_mode->setEnabled(true);
        return;
    }
    m_mode->setCurrentIndex(id == IDC_PRESET_COLOUR ? 13 : 0);
    m_mode->setEnabled(false);
}

void CNewScreenDlg::OnCreate()
{
    if (!m_screen)
        return done(RESULT_CANCELLED);
    ApplyNewScreenValues(m_screen, values());
    tagItemData* screen = m_screen;
    spine::ItemMoved::send(m_frame, screen);
    // The frame moved it into its tree unless it refused; then it stays ours to delete.
    if (screen->Parent != m_header)
        m_screen = nullptr;
    done(RESULT_CREATED);
}

void CNewScreenDlg::reject() { done(RESULT_CANCELLED); }

} // namespace dialogs
