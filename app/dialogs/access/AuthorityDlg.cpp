#include "app/dialogs/access/AuthorityDlg.h"

#include "app/controls/MessageBox.h"
#include "app/dialogs/access/AccessRights.h"
#include "app/dialogs/device/DlgUtil.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace dialogs {

CAuthorityDlg::CAuthorityDlg(QWidget* parent) : QDialog(parent)
{
    withId(this, IDD);
    setWindowTitle(dlgText(IDD, 0));
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(dlgText(IDD, 65535), this);
    prompt->setWordWrap(true);
    layout->addWidget(prompt);
    m_code = withId(new QLineEdit(this), IDC_CODE);
    m_code->setMaxLength(259);
    m_code->setEchoMode(QLineEdit::Password);
    prompt->setBuddy(m_code);
    layout->addWidget(m_code);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = withId(buttons->addButton(dlgText(IDD, 1), QDialogButtonBox::AcceptRole), 1);
    withId(buttons->addButton(dlgText(IDD, 2), QDialogButtonBox::RejectRole), 2);
    ok->setDefault(true);
    layout->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &CAuthorityDlg::OnBnClickedOk);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(320);
}

void CAuthorityDlg::OnBnClickedOk()
{
    const std::uint32_t mask = MatchAccessCode(m_code->text());
    if (!mask) {
        controls::MessageBox::warning(this, windowTitle(), platform::langString(IDS_WRONG_CODE));
        return;
    }
    AccessRights::raise(mask);
    accept();
}

} // namespace dialogs
