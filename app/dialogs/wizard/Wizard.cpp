#include "app/dialogs/wizard/Wizard.h"

#include "app/spine/Messages.h"
#include "app/dialogs/device/DlgUtil.h"
#include "app/dialogs/wizard/WizardPages.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/ItemTypes.h"
#include "platform/MessageEvent.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace dialogs {

bool CPage::Create(CWizard* wizard)
{
    m_wizard = wizard;
    return true;
}

tagItemData* CPage::screen() const { return m_wizard ? m_wizard->screen() : nullptr; }
CCore& CPage::core() const { return m_wizard->core(); }

int CPage::ShowPage()
{
    show();
    return 1;
}

int CPage::HidePage()
{
    hide();
    return 1;
}

void CPage::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        e->accept();
        return;
    default:
        QWidget::keyPressEvent(e);
    }
}

void CPage::sendFinish(unsigned flags)
{
    spine::WizardFinish::send(m_wizard->frame(), screen(), std::intptr_t(flags));
}

CWizard::CWizard(CCore& core, QWidget* parent, QObject* frame)
    : QDialog(parent), m_core(core), m_frame(frame ? frame : parent)
{
    withId(this, IDD);
    setWindowTitle(dlgText(IDD, 0));
    m_header = core.CreateItemHeader();

    m_area = new QWidget(this);
    m_areaLayout = new QGridLayout(m_area);
    m_areaLayout->setContentsMargins(0, 0, 0, 0);
    m_back = withId(new QPushButton(dlgText(IDD, IDC_BACK), this), IDC_BACK);
    m_next = withId(new QPushButton(dlgText(IDD, IDC_NEXT), this), IDC_NEXT);
    m_finish = withId(new QPushButton(dlgText(IDD, IDC_FINISH), this), IDC_FINISH);
    auto* ok = withId(new QPushButton(dlgText(IDD, IDC_OK), this), IDC_OK);
    auto* cancel = withId(new QPushButton(dlgText(IDD, IDC_CANCEL), this), IDC_CANCEL);
    for (QPushButton* b : {m_back, m_next, m_finish, ok, cancel})
        b->setAutoDefault(false);
    m_next->setDefault(true);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addWidget(m_finish);
    buttons->addSpacing(12);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_area, 1);
    layout->addWidget(line);
    layout->addLayout(buttons);

    connect(m_back, &QPushButton::clicked, this, &CWizard::OnBack);
    connect(m_next, &QPushButton::clicked, this, &CWizard::OnNext);
    connect(m_finish, &QPushButton::clicked, this, &CWizard::OnFinish);
    // OK closes without handing the screen over; only Finish does that.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

CWizard::~CWizard()
{
    // Pages first: they may still point into the scratch tree.
    for (int i = int(m_pages.size()) - 1; i >= 0; --i)
        delete m_pages[i];
    m_pages.clear();
    if (m_header)
        m_core.DeleteItem(m_header);
}

void CWizard::AddPage(CPage* page)
{
    page->setParent(m_area);
    page->hide();
    m_pages.append(page);
}

void CWizard::AddStandardPages()
{
    AddPage(new CWizardSelModel);
    AddPage(new CWizardSelComm);
    AddPage(new CWizardRetrieve);
    AddPage(new CWizardHwConfig);
    AddPage(new CWizardEditProgram);
}

bool CWizard::InitDialog()
{
    if (m_ready)
        return true;
    if (!m_header)
        return false;
    m_screen = m_core.AddItem(IT_SCREEN, nullptr, m_header, nullptr);
    if (!m_screen)
        return false;
    for (int i = int(m_pages.size()) - 1; i >= 0; --i) {
        CPage* p = m_pages[i];
        if (!p->Create(this))
            return false;
        // Hidden pages keep their room, so the frame and its buttons stay put from page to page.
        QSizePolicy policy = p->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        p->setSizePolicy(policy);
        p->hide();
        m_areaLayout->addWidget(p, 0, 0);
    }
    m_ready = true;
    if (!m_pages.isEmpty())
        m_pages[0]->ShowPage();
    return true;
}

int CWizard::exec()
{
    // A page that cannot be made ends the wizard before it shows.
    if (!InitDialog()) {
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

int CWizard::GetCurrentPage() const
{
    for (int i = int(m_pages.size()) - 1; i >= 0; --i) {
        if (!m_pages[i]->isHidden())
            return i + 1;
    }
    return -1;
}

int CWizard::GoToPage(int n)
{
    if (!m_ready || n < 1 || n > m_pages.size())
        return 0;
    const int current = GetCurrentPage();
    if (n == current)
        return 0;
    if (current > 0)
        m_pages[current - 1]->HidePage();
    return m_pages[n - 1]->ShowPage();
}

void CWizard::OnBack()
{
    const int current = GetCurrentPage();
    if (current < 2)
        return;
    const int r = m_pages[current - 1]->OnBack();
    if (r >= 0)
        GoToPage(r == 0 ? current - 1 : r);
}

void CWizard::OnNext()
{
    const int current = GetCurrentPage();
    if (current < 1 || current >= m_pages.size())
        return;
    const int r = m_pages[current - 1]->OnNext();
    if (r >= 0)
        GoToPage(r == 0 ? current + 1 : r);
}

void CWizard::OnFinish()
{
    const int current = GetCurrentPage();
    // A page whose settings did not go through stays, with its answer.
    if (current > 0 && m_pages[current - 1]->OnFinish() < 0)
        return;
    accept();
}

void CWizard::SetButtons(bool back, bool next, bool finish)
{
    m_back->setEnabled(back);
    m_next->setEnabled(next);
    m_finish->setEnabled(finish);
}

} // namespace dialogs
