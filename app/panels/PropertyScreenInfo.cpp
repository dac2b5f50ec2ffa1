#include "app/panels/PropertyScreenInfo.h"

#include "app/spine/WorkModeCaptions.h"
#include "core/api/Records.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <QGridLayout>
#include <QLabel>

namespace panels {
namespace {
// Caption labels, beside the value labels' ids.
constexpr int kCaptions[5] = {6174, 6175, 6176, 6177, 6178};
constexpr int kValues[5] = {CPropertyScreenInfo::IdModel, CPropertyScreenInfo::IdAddress, CPropertyScreenInfo::IdWidth,
                            CPropertyScreenInfo::IdHeight, CPropertyScreenInfo::IdWorkMode};
} // namespace

CPropertyScreenInfo::CPropertyScreenInfo(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

bool CPropertyScreenInfo::OnInitDialog()
{
    SetTitleFromResource(48239, false);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 28, 10, 8);
    grid->setHorizontalSpacing(12);
    for (int i = 0; i < 5; ++i) {
        grid->addWidget(makeLabel(kCaptions[i]), i, 0);
        m_values[i] = withId(new QLabel(this), kValues[i]);
        m_values[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_values[i]->setWordWrap(true);
        grid->addWidget(m_values[i], i, 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    grid->setAlignment(Qt::AlignTop);
    return true;
}

int CPropertyScreenInfo::OnNodeLoad(tagItemData* node)
{
    const LoadScope loading = beginLoadOf(node, isScreen);
    if (!loading)
        return 0;
    const tagGlobalInfo& g = node->Global;
    const FirmwareInfo* fw = CCore::GetFirmwareInfo(g.HardwareId);
    m_values[0]->setText(fw ? fw->modelName : platform::langString(spine::kUnknownCaptionId));
    m_values[1]->setText(QString::number(g.ID));
    m_values[2]->setText(QString::number(g.Width));
    m_values[3]->setText(QString::number(g.Height));
    m_values[4]->setText(spine::workModeCaption(g.Type));
    return 1;
}

} // namespace panels
