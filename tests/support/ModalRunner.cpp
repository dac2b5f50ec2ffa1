#include "support/ModalRunner.h"

#include "support/ModalText.h"

#include <QApplication>
#include <QDialog>
#include <gtest/gtest.h>

namespace support {


ModalRunner::ModalRunner(Answer answer, int timeoutMs) : m_answer(std::move(answer)), m_timeoutMs(timeoutMs)
{
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_clock.start();
    m_timer.start();
}

ModalRunner::~ModalRunner()
{
    m_timer.stop();
    if (!m_answered && !m_done) {
        m_failure = QStringLiteral("no modal dialog was shown to answer");
        ADD_FAILURE() << m_failure.toStdString();
    }
}

void ModalRunner::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && !m_answered) {
        m_answered = true;
        m_class = QString::fromLatin1(modal->metaObject()->className());
        m_clock.restart();   // the time-out now bounds how long the answer may leave it open
        QPointer<QWidget> guard(modal);
        m_answer(modal);
        return;
    }
    if (m_answered && !modal) {
        m_done = true;
        m_timer.stop();
        return;
    }
    if (m_clock.elapsed() < m_timeoutMs)
        return;
    m_done = true;
    m_timer.stop();
    if (!m_answered)
        m_failure = QStringLiteral("no modal dialog appeared within %1 ms").arg(m_timeoutMs);
    else
        m_failure = QStringLiteral("the modal dialog %1 was still open after %2 ms").arg(describeModal(modal)).arg(m_timeoutMs);
    ADD_FAILURE() << m_failure.toStdString();
    if (modal)
        closeModal(modal);
}

int execAnswered(QDialog& dialog, ModalRunner::Answer answer, int timeoutMs)
{
    ModalRunner runner(std::move(answer), timeoutMs);
    return dialog.exec();
}

} // namespace support
