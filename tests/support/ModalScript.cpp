#include "support/ModalScript.h"

#include "support/ModalText.h"

#include <QApplication>
#include <QDialog>
#include <gtest/gtest.h>

namespace support {

namespace {

QString classOf(const QWidget* w)
{
    return QString::fromLatin1(w->metaObject()->className());
}

} // namespace

ModalScript::ModalScript(int timeoutMs) : m_timeoutMs(timeoutMs)
{
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start();
    qApp->installEventFilter(this);
}

bool ModalScript::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::Show && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && w->isModal())
            m_seen << classOf(w);
    }
    return false;
}

ModalScript::~ModalScript()
{
    qApp->removeEventFilter(this);
    m_timer.stop();
    for (const Step& s : m_steps)
        ADD_FAILURE() << "the modal dialog " << s.className.toStdString() << " never came";
}

void ModalScript::expect(const QString& className, Answer answer)
{
    m_steps.push_back({className, std::move(answer)});
}

void ModalScript::watchUntilClosed(QWidget* modal)
{
    Open o{modal, {}};
    o.since.start();
    m_open.push_back(o);
}

void ModalScript::failAndClose(QWidget* modal, const QString& why)
{
    m_failures << why;
    ADD_FAILURE() << why.toStdString();
    closeModal(modal);
}

void ModalScript::poll()
{
    // Time-outs first: a dialog an answer left open, or a self-closing one
    // that never closed.
    for (Open& o : m_open) {
        if (o.widget && o.widget->isVisible() && o.since.elapsed() > m_timeoutMs) {
            QWidget* w = o.widget;
            o.widget.clear();
            failAndClose(w, QStringLiteral("the modal dialog %1 was still open after %2 ms").arg(describeModal(w)).arg(m_timeoutMs));
        }
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    for (const Open& o : m_open)
        if (o.widget == modal)
            return;   // known: answered already, or allowed to run
    if (!m_steps.empty() && m_steps.front().className == classOf(modal)) {
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        watchUntilClosed(modal);
        // The answer may run nested dialogs: the timer keeps polling meanwhile.
        if (step.answer)
            step.answer(modal);
        return;
    }
    if (m_allowed.contains(classOf(modal))) {
        watchUntilClosed(modal);
        return;
    }
    failAndClose(modal, QStringLiteral("unexpected modal dialog %1%2")
                            .arg(describeModal(modal),
                                 m_steps.empty() ? QString()
                                                 : QStringLiteral(" (waiting for %1)").arg(m_steps.front().className)));
}

} // namespace support
