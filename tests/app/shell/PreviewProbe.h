#pragma once
// Waits for a preview to show a lit LED. A check that blocks the window's
// thread is counted by the window-answer checks as the program's own time,
// so the wait never sleeps on that thread (QTest::qWaitFor sleeps 10 ms a
// turn) and the check reads the LED picture, not the dots drawn from it.
#include "app/preview/PreView.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>

namespace frametest {

// Copies a row at a time: a copy of the whole of the largest screen's
// picture is 8 MB of fresh memory, which alone is a gap worth counting.
inline bool previewLit(preview::CPreView* view, int step = 3)
{
    preview::CPreviewLed& canvas = view->Canvas();
    const QSize size = canvas.contentSize();
    for (int y = 0; y < size.height(); y += step) {
        const QImage shown = canvas.contentCopy(QRect(0, y, size.width(), 1));
        const auto* row = reinterpret_cast<const QRgb*>(shown.constScanLine(0));
        for (int x = 0; x < shown.width(); x += step)
            if (qRed(row[x]) > 96)
                return true;
    }
    return false;
}

// Checks every 25 ms while the event loop runs; false when the time ran out.
inline bool waitUntilPreviewLit(preview::CPreView* view, int timeoutMs, int step = 3)
{
    if (previewLit(view, step))
        return true;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    bool lit = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        lit = previewLit(view, step);
        if (lit || clock.elapsed() >= timeoutMs)
            loop.quit();
    });
    poll.start(25);
    loop.exec();
    return lit;
}

} // namespace frametest
