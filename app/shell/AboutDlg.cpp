#include "app/shell/AboutDlg.h"

#include "app/controls/ControlMessages.h"
#include "app/controls/StaticLink.h"
#include "app/shell/AppHelpers.h"
#include "app/shell/ShellLang.h"
#include "platform/LangPack.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {

namespace {

constexpr unsigned kIconApp = 128;
constexpr int kIdOk = 1;
constexpr int kIdName = 6369;
constexpr int kIdText = 65535;

QLabel* labelById(QWidget* w, int id)
{
    for (QLabel* l : w->findChildren<QLabel*>())
        if (controls::controlId(l) == id)
            return l;
    return nullptr;
}

} // namespace

// The product has no pages of its own yet, and a link that leads nowhere is
// worse than none: no address is set, so the links stay hidden.
QString CAboutDlg::LinkTarget(int controlId)
{
    static const char* const kTargets[] = {"", "", "", ""};
    if (controlId < IDC_LINK_FIRST || controlId > IDC_LINK_LAST)
        return {};
    return QString::fromLatin1(kTargets[controlId - IDC_LINK_FIRST]);
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(IDD));
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    const QIcon appIcon = platform::langIcon(kIconApp);
    if (!appIcon.isNull())
        icon->setPixmap(appIcon.pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);

    auto* text = new QVBoxLayout;
    auto* name = new QLabel(this);
    controls::setControlId(name, kIdName);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    text->addWidget(name);
    auto* about = new QLabel(this);
    controls::setControlId(about, kIdText);
    about->setWordWrap(true);
    about->setMinimumWidth(280);
    text->addWidget(about);
    auto* version = new QLabel(this);
    controls::setControlId(version, IDC_VERSION);
    version->setObjectName(QString::number(IDC_VERSION));
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->addWidget(version);

    auto* links = new QGridLayout;
    const bool product = IsProductBuild() == 1;
    for (int id = IDC_LINK_FIRST; id <= IDC_LINK_LAST; ++id) {
        auto* link = new controls::CStaticLink(this);
        link->m_link.target = LinkTarget(id);
        link->setToolTip(link->m_link.target);
        controls::setControlId(link, id);
        link->setObjectName(QString::number(id));
        links->addWidget(link, (id - IDC_LINK_FIRST) / 2, (id - IDC_LINK_FIRST) % 2);
        link->setVisible(LinkShown(product, link->m_link.target));
    }
    links->setColumnStretch(1, 1);
    text->addLayout(links);
    text->addStretch();
    top->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    controls::setControlId(ok, kIdOk);
    ok->setObjectName(QString::number(kIdOk));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    retranslate();
}

void CAboutDlg::retranslate()
{
    setWindowTitle(packDialogText(IDD, 0));
    if (QLabel* name = labelById(this, kIdName)) {
        const QString t = packDialogText(IDD, kIdName);
        name->setText(t.isEmpty() ? QStringLiteral("Tavrelo") : t);
    }
    labelById(this, kIdText)->setText(packDialogText(IDD, kIdText));
    labelById(this, IDC_VERSION)->setText(GetFileVersionText());
    for (int id = IDC_LINK_FIRST; id <= IDC_LINK_LAST; ++id)
        labelById(this, id)->setText(packDialogText(IDD, id));
    for (QPushButton* b : findChildren<QPushButton*>())
        if (controls::controlId(b) == kIdOk && !packDialogText(IDD, kIdOk).isEmpty())
            b->setText(packDialogText(IDD, kIdOk));   // else Qt's own, translated
}

} // namespace shell
