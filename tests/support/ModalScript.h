#pragma once
// Answers the modal dialogs of a longer road in the order they come, each
// by its class name, so a test can run the program's own commands (which
// call exec()) without blocking. Dialogs that close by themselves (a task
// dialog on success) are allowed by class and left alone. Any other modal
// dialog, a message box above all, fails the test with its text and is
// closed; so is any dialog still open after the time-out. Nothing can hang.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

namespace support {

class ModalScript : public QObject {
public:
    using Answer = std::function<void(QWidget* modal)>;
    explicit ModalScript(int timeoutMs = 8000);
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // The next modal dialog must be of this class; `answer` drives it (and may
    // run nested ones, which the script answers too).
    void expect(const QString& className, Answer answer);
    // Modal dialogs of this class may come at any time and close by themselves.
    void allow(const QString& className) { m_allowed << className; }
    // Steps not answered yet.
    int pending() const { return int(m_steps.size()); }
    // Class names of every modal dialog shown, in order, however briefly.
    const QStringList& seen() const { return m_seen; }
    // What each failure said (the test failed once per entry).
    const QStringList& failures() const { return m_failures; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct Step {
        QString className;
        Answer answer;
    };
    struct Open {
        QPointer<QWidget> widget;
        QElapsedTimer since;
    };
    void poll();
    void watchUntilClosed(QWidget* modal);
    void failAndClose(QWidget* modal, const QString& why);

    int m_timeoutMs;
    QTimer m_timer;
    std::deque<Step> m_steps;
    QStringList m_allowed;
    QStringList m_seen;
    QStringList m_failures;
    std::vector<Open> m_open;
};

} // namespace support
