#include "app/panels/PropertySceneShow.h"

#include "app/controls/MessageBox.h"
#include "app/panels/PictureModes.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace panels {
namespace {
constexpr int kPathChars = 260;
} // namespace

CPropertySceneShow::CPropertySceneShow(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

const FieldBinding CPropertySceneShow::kModeBinding =
    nodeField<&tagItemData::Scene, &SceneBlock::PictureMode, 0, 255>(IdMode, true);

const FieldBinding CPropertySceneShow::kOptionBinding =
    nodeFlag<&tagItemData::Scene, &SceneBlock::DisplayOption, 1>(IdOption, false);

bool CPropertySceneShow::OnInitDialog()
{
    SetTitleFromResource(48242, false);
    m_labels[0] = makeLabel(6243);
    m_labels[1] = makeLabel(6245);
    m_path = withId(new QLineEdit(this), IdPath);
    m_path->setMaxLength(kPathChars - 1);
    m_browse = withId(new QPushButton(dialogText(IdBrowse), this), IdBrowse);
    m_mode = withId(new QComboBox(this), IdMode);
    fillPictureModes(m_mode);
    m_mode->setCurrentIndex(-1);
    m_option = withId(new QCheckBox(dialogText(IdOption), this), IdOption);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 28, 10, 8);
    grid->addWidget(m_labels[0], 0, 0, 1, 2);
    grid->addWidget(m_path, 1, 0);
    grid->addWidget(m_browse, 1, 1);
    grid->addWidget(m_labels[1], 2, 0, 1, 2);
    grid->addWidget(m_mode, 3, 0, 1, 2);
    grid->addWidget(m_option, 4, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(5, 1);
    connect(m_path, &QLineEdit::textChanged, this, &CPropertySceneShow::onPath);
    connect(m_browse, &QPushButton::clicked, this, &CPropertySceneShow::onBrowse);
    connect(m_mode, &QComboBox::activated, this, &CPropertySceneShow::onMode);
    connect(m_option, &QCheckBox::clicked, this, &CPropertySceneShow::onOption);
    return true;
}

int CPropertySceneShow::OnNodeLoad(tagItemData* node)
{
    // The global scene has no picture; it is shown but never written.
    const LoadScope loading = beginLoadOf(node, isOwnScene);
    const bool global = !loading;
    for (QWidget* w : {static_cast<QWidget*>(m_labels[0]), static_cast<QWidget*>(m_browse),
                       static_cast<QWidget*>(m_labels[1]), static_cast<QWidget*>(m_path),
                       static_cast<QWidget*>(m_mode), static_cast<QWidget*>(m_option)})
        w->setEnabled(!global);
    if (global) {
        const LoadScope clearing(*this);
        m_path->clear();
        m_mode->setCurrentIndex(m_mode->count() ? 0 : -1);
        m_option->setChecked(false);
        return 0;
    }
    const SceneBlock& s = node->Scene;
    m_path->setText(QString::fromUtf16(s.PicturePath, std::find(s.PicturePath, s.PicturePath + kPathChars, u'\0') - s.PicturePath));
    const int mode = pictureModeIndex(kModeBinding.read(*node));
    m_mode->setCurrentIndex(mode < m_mode->count() ? mode : -1);
    m_option->setChecked(kOptionBinding.read(*node) != 0);
    return 0;
}

void CPropertySceneShow::onPath()
{
    if (!canEdit())
        return;
    SceneBlock& s = m_node->Scene;
    const QString text = m_path->text().left(kPathChars - 1);
    bool stretched = false;
    writeContent([&] {
        std::fill(std::begin(s.PicturePath), std::end(s.PicturePath), u'\0');
        std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), text.size(), s.PicturePath);
        s.PicturePresent = 0;
        // A chosen picture always shows: "no picture" gives way to stretching.
        if (!text.isEmpty() && modeForChosenPicture(s.PictureMode) != s.PictureMode) {
            s.PictureMode = std::uint8_t(modeForChosenPicture(s.PictureMode));
            stretched = true;
        }
    });
    if (stretched)
        m_mode->setCurrentIndex(pictureModeIndex(s.PictureMode));
}

void CPropertySceneShow::onBrowse()
{
    const QString path = controls::FileDialog::getOpenFileName(
        this, QString(), QString(), controls::FileDialog::pictureFilter());
    if (!path.isEmpty())
        m_path->setText(path);
}

void CPropertySceneShow::onMode(int index)
{
    if (index >= 0)
        writeBinding(kModeBinding, index);
}

void CPropertySceneShow::onOption()
{
    writeBinding(kOptionBinding, m_option->isChecked() ? 1 : 0);
}

} // namespace panels
