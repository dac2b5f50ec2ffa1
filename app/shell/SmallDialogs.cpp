#include "app/shell/SmallDialogs.h"

#include "app/controls/ControlMessages.h"
#include "app/controls/MessageBox.h"
#include "app/shell/ShellLang.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <climits>

namespace shell {

namespace {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdMessage = 65535;   // the template's static text
constexpr unsigned kStringNotInteger = 61712;

void tagControl(QWidget* w, int id)
{
    controls::setControlId(w, id);
    w->setObjectName(QString::number(id));
}

// Texts of one template onto its controls; buttons without a text keep Qt's own.
void applyTexts(QWidget* dialog, int templateId)
{
    dialog->setWindowTitle(packDialogText(templateId, 0));
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        const int id = controls::controlId(w);
        if (id <= 0)
            continue;
        const QString text = packDialogText(templateId, id);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            if (!text.isEmpty() || !qobject_cast<QPushButton*>(w))
                b->setText(text);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(text);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            g->setTitle(text);
        }
    }
}

} // namespace

// ---- quit question ----

CQuerySaveDlg::CQuerySaveDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(IDD));
    auto* layout = new QVBoxLayout(this);
    auto* message = new QLabel(this);
    message->setWordWrap(true);
    tagControl(message, kIdMessage);
    layout->addWidget(message);
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (int id = IDC_FIRST; id <= IDC_LAST; ++id) {
        auto* b = new QPushButton(this);
        tagControl(b, id);
        b->setAutoDefault(false);
        if (id == IDC_QUIT)
            b->setDefault(true);
        connect(b, &QPushButton::clicked, this, [this, id] { done(ResultForButton(id)); });
        row->addWidget(b);
        // The template's seven commands stay, but the operator is shown one
        // way to quit and one way back; the others end it as Cancel does.
        if (id != IDC_QUIT && id != IDC_CANCEL)
            b->hide();
    }
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    retranslate();
}

void CQuerySaveDlg::retranslate()
{
    applyTexts(this, IDD);
}

int CQuerySaveDlg::ResultForButton(int controlId)
{
    if (controlId == IDC_QUIT)
        return RESULT_QUIT;
    if (controlId >= IDC_FIRST && controlId <= IDC_LAST)
        return RESULT_OTHER;
    return RESULT_CANCEL;
}

void CQuerySaveDlg::reject()
{
    done(RESULT_CANCEL);
}

// ---- test dialogs ----

TestScanValues& TestScanSettings()
{
    static TestScanValues v;
    return v;
}

TestGridValues& TestGridSettings()
{
    static TestGridValues v;
    return v;
}

CTestDialogBase::CTestDialogBase(int templateId, QWidget* parent) : QDialog(parent), m_templateId(templateId)
{
    setObjectName(QString::number(templateId));
    m_body = new QVBoxLayout(this);
}

QButtonGroup* CTestDialogBase::addRadioGroup(int firstId, int count, int labelId)
{
    auto* box = new QGroupBox(this);
    tagControl(box, labelId);
    auto* col = new QVBoxLayout(box);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < count; ++i) {
        auto* r = new QRadioButton(box);
        tagControl(r, firstId + i);
        group->addButton(r, i);
        col->addWidget(r);
    }
    m_body->addWidget(box);
    return group;
}

QLineEdit* CTestDialogBase::addNumberEdit(int id, int labelId)
{
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(this);
    tagControl(label, labelId);
    auto* edit = new QLineEdit(this);
    tagControl(edit, id);
    edit->setValidator(new QIntValidator(INT_MIN, INT_MAX, edit));
    label->setBuddy(edit);
    row->addWidget(label);
    row->addWidget(edit, 1);
    m_body->addLayout(row);
    return edit;
}

void CTestDialogBase::finishLayout()
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    tagControl(buttons->button(QDialogButtonBox::Ok), kIdOk);
    tagControl(buttons->button(QDialogButtonBox::Cancel), kIdCancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_body->addWidget(buttons);
    m_body->setSizeConstraint(QLayout::SetFixedSize);
    retranslate();
    load();
}

void CTestDialogBase::retranslate()
{
    applyTexts(this, m_templateId);
}

void CTestDialogBase::setChecked(QButtonGroup* group, int index)
{
    if (QAbstractButton* b = group->button(index))
        b->setChecked(true);
}

void CTestDialogBase::accept()
{
    // A number that does not convert keeps the dialog open, as a typed value would be lost.
    for (QLineEdit* e : findChildren<QLineEdit*>()) {
        bool ok = false;
        e->text().trimmed().toInt(&ok);
        if (!ok) {
            QString text = packString(kStringNotInteger);
            if (text.isEmpty())
                text = QStringLiteral("Please enter an integer.");
            controls::MessageBox::notice(this, text, QMessageBox::Warning);
            e->setFocus();
            e->selectAll();
            return;
        }
    }
    store();
    QDialog::accept();
}

CTestScan::CTestScan(QWidget* parent) : CTestDialogBase(IDD, parent)
{
    m_colour = addRadioGroup(IDC_COLOUR, 4, 6256);
    m_direction = addRadioGroup(IDC_DIRECTION, 4, 6257);
    m_speed = addNumberEdit(IDC_SPEED, 6254);
    finishLayout();
}

void CTestScan::load()
{
    const TestScanValues& v = TestScanSettings();
    setChecked(m_colour, v.colour);
    setChecked(m_direction, v.direction);
    m_speed->setText(QString::number(v.speed));
}

void CTestScan::store()
{
    TestScanValues& v = TestScanSettings();
    v.colour = m_colour->checkedId();
    v.direction = m_direction->checkedId();
    v.speed = m_speed->text().trimmed().toInt();
}

CTestGrid::CTestGrid(QWidget* parent) : CTestDialogBase(IDD, parent)
{
    m_colour = addRadioGroup(IDC_COLOUR, 3, 6256);
    m_stay = addNumberEdit(IDC_STAY, 6258);
    finishLayout();
}

void CTestGrid::load()
{
    const TestGridValues& v = TestGridSettings();
    setChecked(m_colour, v.colour);
    m_stay->setText(QString::number(v.stay));
}

void CTestGrid::store()
{
    TestGridValues& v = TestGridSettings();
    v.colour = m_colour->checkedId();
    v.stay = m_stay->text().trimmed().toInt();
}

} // namespace shell
