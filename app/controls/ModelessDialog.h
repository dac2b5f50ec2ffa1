#pragma once
// Base of the embedded child dialogs (pages, panels, editors): Return goes to
// the focused control only and Escape is dropped, so neither presses a default
// button nor closes or hides anything.
#include <QWidget>

namespace controls {

class CModelessDialog : public QWidget {
    Q_OBJECT
public:
    explicit CModelessDialog(QWidget* parent = nullptr);

    // Creates the dialog as a child of the parent; the template id names the
    // layout the subclass builds in OnInitDialog.
    bool Create(unsigned templateId, QWidget* parent);
    unsigned templateId() const { return m_templateId; }

protected:
    virtual bool OnInitDialog() { return true; }
    void setTemplateId(unsigned id) { m_templateId = id; }
    void keyPressEvent(QKeyEvent* e) override;
    bool event(QEvent* e) override;

private:
    unsigned m_templateId = 0;
};

} // namespace controls
