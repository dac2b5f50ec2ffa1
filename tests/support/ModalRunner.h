#pragma once
// Answers the next modal dialog from a timer, so a test can call exec() (or
// anything that runs one) without blocking. If no modal dialog shows up, or
// the answer leaves it open, within the time-out the test fails with what the
// dialog says and the dialog is rejected so the run returns.
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace support {

class ModalRunner {
public:
    using Answer = std::function<void(QWidget* modal)>;
    explicit ModalRunner(Answer answer, int timeoutMs = 5000);
    ~ModalRunner();
    ModalRunner(const ModalRunner&) = delete;
    ModalRunner& operator=(const ModalRunner&) = delete;

    bool answered() const { return m_answered; }
    // Class name of the dialog that was answered.
    QString answeredClass() const { return m_class; }
    // Why the test failed here; empty while it has not.
    QString failure() const { return m_failure; }

private:
    void poll();
    Answer m_answer;
    int m_timeoutMs;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_answered = false;
    bool m_done = false;
    QString m_class;
    QString m_failure;
};

// Runs the dialog modally and lets `answer` drive it once it is up; the
// dialog's result.
int execAnswered(class QDialog& dialog, ModalRunner::Answer answer, int timeoutMs = 5000);

} // namespace support
