#pragma once
// The set-up wizard: a dialog of stacked pages that builds a new screen in
// a scratch tree. Finish lets the current page hand the screen to the frame
// (WM_WIZARD_FINISH); Cancel leaves nothing behind.
#include <QDialog>
#include <QList>

#include <cstdint>
#include <optional>

class CCore;
struct tagItemData;
class QPushButton;
class QGridLayout;

namespace dialogs {

class CWizard;

class CPage : public QWidget {
    Q_OBJECT
public:
    explicit CPage(QWidget* parent = nullptr) : QWidget(parent) {}

    // Builds the page's controls; false when it cannot be made.
    virtual bool Create(CWizard* wizard);
    // Sets the frame's buttons and fills the page, then shows it.
    virtual int ShowPage();
    virtual int HidePage();
    // The page to go to: 0 the neighbour, a positive number that page, a negative one stay.
    virtual int OnBack() { return 0; }
    virtual int OnNext() { return 0; }
    virtual int OnFinish() { return 1; }

    CWizard* wizard() const { return m_wizard; }
    tagItemData* screen() const;
    CCore& core() const;

protected:
    // Enter and Escape inside a page neither finish nor close the wizard.
    void keyPressEvent(QKeyEvent* e) override;
    // Hands the screen to the frame.
    void sendFinish(unsigned flags);

private:
    CWizard* m_wizard = nullptr;
};

class CWizard : public QDialog {
    Q_OBJECT
public:
    enum { IDD = 6405, IDC_OK = 6406, IDC_BACK = 6407, IDC_NEXT = 6408, IDC_FINISH = 6409, IDC_CANCEL = 2 };

    // `frame` receives WM_WIZARD_FINISH; the parent when null.
    CWizard(CCore& core, QWidget* parent = nullptr, QObject* frame = nullptr);
    ~CWizard() override;

    // Pages in page order; the wizard takes them as its children.
    void AddPage(CPage* page);
    // The five pages of the screen set-up.
    void AddStandardPages();

    // Makes the screen and the pages; false (and nothing shown) when a page cannot be made.
    bool InitDialog();
    int exec() override;

    int GetCurrentPage() const;
    int GoToPage(int n);
    int pageCount() const { return int(m_pages.size()); }
    CPage* page(int n) const { return m_pages.value(n - 1); }

    void OnBack();
    void OnNext();
    void OnFinish();
    void SetButtons(bool back, bool next, bool finish);

    tagItemData* screen() const { return m_screen; }
    CCore& core() const { return m_core; }
    QObject* frame() const { return m_frame; }

    // The model chosen on the first page; none while the one read from the
    // controller is to be kept. A read of the controller brings its own
    // model, and the chosen one is put back over it.
    std::optional<std::uint32_t> chosenModel() const { return m_chosenModel; }
    void setChosenModel(std::optional<std::uint32_t> id) { m_chosenModel = id; }

private:
    CCore& m_core;
    QObject* m_frame;
    QList<CPage*> m_pages;
    tagItemData* m_header = nullptr;
    tagItemData* m_screen = nullptr;
    bool m_ready = false;
    std::optional<std::uint32_t> m_chosenModel;
    QWidget* m_area;
    QGridLayout* m_areaLayout;
    QPushButton* m_back;
    QPushButton* m_next;
    QPushButton* m_finish;
};

} // namespace dialogs
