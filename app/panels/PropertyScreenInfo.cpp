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

std::span<const FieldBinding> CPropertyScreenInfo::bindings()
{
    static const FieldBinding table[] = {
        {IdModel, [](const tagItemData& n) -> qint64 { return n.Global.HardwareId; }, nullptr, false},
        {IdAddress, [](const tagItemData& n) -> qint64 { return n.Global.ID; }, nullptr, false},
        {IdWidth, [](const tagItemData& n) -> qint64 { return n.Global.Width; }, nullptr, false},
        {IdHeight, [](const tagItemData& n) -> qint64 { return n.Global.Height; }, nullptr, false},
        {IdWorkMode, [](const tagItemData& n) -> qint64 { return n.Global.Type; }, nullptr, false},
    };
    return table;
}

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
    for (int i = 0; i < 5; ++i) {
        const qint64 v = bindingOf(bindings(), kValues[i]).read(*node);
        QString text = QString::number(v);
        if (kValues[i] == IdModel) {
            const FirmwareInfo* fw = CCore::GetFirmwareInfo(static_cast<unsigned>(v));
            text = fw ? fw->modelName : platform::langString(spine::kUnknownCaptionId);
        } else if (kValues[i] == IdWorkMode) {
            text = spine::workModeCaption(static_cast<int>(v));
        }
        m_values[i]->setText(text);
    }
    return 1;
}

} // namespace panels
