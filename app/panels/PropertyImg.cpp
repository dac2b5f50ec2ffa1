#include "app/panels/PropertyImg.h"
#include "platform/OperatorFile.h"

#include "app/controls/ControlMessages.h"
#include "app/controls/Edits.h"
#include "app/spine/Messages.h"
#include "app/controls/MessageBox.h"
#include "app/controls/PopupMenu.h"
#include "app/controls/ShadeSplitButton.h"
#include "app/editor/BrowserDlg.h"
#include "core/api/TypeRecords.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/ItemRecord.h"
#include "platform/LangPack.h"

#include <QComboBox>
#include <QImageReader>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <utility>

namespace panels {
namespace {
namespace rec = records::picture;
constexpr unsigned kPictureTitle = 48250;
constexpr unsigned kAnimationTitle = 41008;   // the kind's own name
} // namespace

QString CPropertyImg::browserFolder(bool animation)
{
    return QDir::current().filePath(QStringLiteral("UserRes/") +
                                    (animation ? QStringLiteral("Animations") : QStringLiteral("Images")));
}

CPropertyImg::CPropertyImg(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

bool CPropertyImg::OnInitDialog()
{
    SetTitleFromResource(kPictureTitle, true);
    m_stay = withId(new controls::CRangeEdit(this), IdStay);
    m_stay->setNumeric(true);
    m_stay->SetSuffixFromResource(58100);
    m_stay->SetRange(0, 32767);
    m_stay->setText(QStringLiteral("0"));
    m_stayLabel = makeLabel(IdStayLabel);
    m_path = withId(new QLineEdit(this), IdPath);
    // The record holds 260 characters with the terminator.
    m_path->setMaxLength(int(rec::Path.MaxLength()));
    // Room for a file name; a path longer still scrolls in the edit.
    m_path->setMinimumWidth(180);
    m_mode = withId(new QComboBox(this), IdMode);
    controls::FillComboFromResource(48264, m_mode);
    m_mode->setCurrentIndex(0);
    m_browse = withId(new controls::CShadeSplitButton(this), IdBrowse);
    m_browse->setText(dialogText(IdBrowse));
    m_browse->setMinimumSize(m_browse->fontMetrics().horizontalAdvance(m_browse->text()) + 40, 24);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 28, 8, 8);
    grid->addWidget(m_path, 0, 0, 1, 2);
    grid->addWidget(m_browse, 0, 2);
    grid->addWidget(m_mode, 1, 0, 1, 3);
    grid->addWidget(m_stayLabel, 2, 0);
    grid->addWidget(m_stay, 2, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);

    connect(m_stay, &QLineEdit::textChanged, this, [this] { writeBinding(bindings(), IdStay, m_stay->GetValue()); });
    connect(m_path, &QLineEdit::textChanged, this, &CPropertyImg::onPath);
    connect(m_mode, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            writeBinding(bindings(), IdMode, index);
    });
    connect(m_browse, &QAbstractButton::clicked, this, &CPropertyImg::onBrowse);
    return true;
}

std::span<const FieldBinding> CPropertyImg::bindings()
{
    static const FieldBinding table[] = {
        {IdStay, [](const tagItemData& n) -> qint64 { return n.PlayTime; },
         [](tagItemData& n, qint64 v) { n.PlayTime = std::int32_t(std::clamp<qint64>(v, 0, 32767)); }, false},
        recordField<rec::Mode, 0, 255>(IdMode, true),
    };
    return table;
}

bool CPropertyImg::event(QEvent* e)
{
    if (spine::ShadeBtnDropDown::dispatch(e, [this](int id) {
            if (id == IdBrowse)
                onDropDown();
            return 0;
        }))
        return true;
    return CPanelBase::event(e);
}

bool CPropertyImg::isAnimation() const
{
    return m_record && m_record->get(rec::Animated) == 1;
}

int CPropertyImg::OnNodeLoad(tagItemData* node)
{
    const LoadScope loading = beginLoad(node, {IT_IMAGE, IT_GIF});
    if (!loading)
        return 0;
    m_stay->setText(QString::number(readBinding(bindings(), IdStay)));
    if (!m_record) {
        m_path->clear();
        m_mode->setCurrentIndex(0);
        return 1;
    }
    m_stay->setVisible(isAnimation());
    m_stayLabel->setVisible(isAnimation());
    // An animation's panel is named after its kind, not "Picture".
    SetTitleFromResource(m_node->Item.TypeCode == IT_GIF || isAnimation() ? kAnimationTitle : kPictureTitle, true);
    m_path->setText(m_record->get(rec::Path));
    const int mode = int(readBinding(bindings(), IdMode));
    m_mode->setCurrentIndex(mode < m_mode->count() ? mode : 0);
    return 1;
}

void CPropertyImg::onPath()
{
    if (!canWrite())
        return;
    if (!m_record->set(rec::Path, m_path->text()))
        return;
    const QString path = m_record->get(rec::Path);
    CCore::ReadGifImageFile(reinterpret_cast<const char16_t*>(path.utf16()), m_node);
    announce();
}

bool CPropertyImg::choose(const QString& path)
{
    if (path.size() > int(rec::Path.MaxLength())) {
        controls::MessageBox::warning(this, title(), platform::langString(48291).arg(rec::Path.MaxLength()));
        return false;
    }
    // A device, a pipe or a file that is no picture would be kept and shown
    // black: refused, and the old path stays.
    platform::ImageFileSource source(path);
    QString refused = platform::operatorFileMessage(source.status(), path, platform::kMaxPictureFileBytes);
    if (refused.isEmpty() && !source.reader().canRead())
        refused = platform::operatorFileMessage(platform::FileRead::Unreadable, path, platform::kMaxPictureFileBytes);
    if (!refused.isEmpty()) {
        controls::MessageBox::warning(this, title(), refused);
        return false;
    }
    m_path->setText(path);
    return true;
}

void CPropertyImg::onBrowse()
{
    if (!canWrite())
        return;
    const QString filter = isAnimation() ? controls::FileDialog::gifFilter() : controls::FileDialog::pictureFilter();
    const QString path = controls::FileDialog::getOpenFileName(this, QString(), QString(), filter);
    if (!path.isEmpty())
        choose(path);
}

void CPropertyImg::onDropDown()
{
    if (!canWrite())
        return;
    QMenu menu(this);
    QAction* browse = menu.addAction(platform::langString(42003));
    browse->setData(kBrowserCommand);
    const QPoint at = m_browse->mapToGlobal(QPoint(0, m_browse->height()));
    QAction* chosen = controls::runPopupMenu(&menu, at);
    if (chosen != browse)
        return;
    editor::CBrowserDlg dlg(browserFolder(isAnimation()), this);
    if (dlg.exec() != QDialog::Accepted || dlg.GetPath().isEmpty())
        return;
    if (choose(dlg.GetPath()))
        announce();
}

} // namespace panels
