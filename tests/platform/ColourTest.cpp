#include "platform/Colour.h"
#include "platform/MessageEvent.h"
#include <QObject>
#include <gtest/gtest.h>

using namespace platform;

TEST(Colour, ConvertsBetweenColorRefAndRgb)
{
    EXPECT_EQ(colorRefToRgb(0x0000FFu), 0xFFFF0000u);   // red
    EXPECT_EQ(colorRefToRgb(0x00FFFFu), 0xFFFFFF00u);   // yellow
    EXPECT_EQ(colorRefToRgb(0x123456u), 0xFF563412u);
    EXPECT_EQ(rgbToColorRef(0x80563412u), 0x123456u);
    EXPECT_EQ(makeColorRef(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(swapRedGreen(0x00123456u), 0x00125634u);
    EXPECT_EQ(swapRedGreen(swapRedGreen(0x00ABCDEFu)), 0x00ABCDEFu);
}

namespace {
class Receiver : public QObject {
public:
    unsigned got = 0;
    WPARAM w = 0;
    LPARAM l = 0;
    bool event(QEvent* e) override
    {
        if (auto* m = asMessage(e, 0x7E9)) {
            got = m->message(); w = m->wParam(); l = m->lParam();
            const_cast<MessageEvent*>(m)->setResult(42);
            return true;
        }
        return QObject::event(e);
    }
};
}

TEST(MessageEvent, SendDeliversAtOnceAndPostQueues)
{
    Receiver r;
    EXPECT_EQ(sendMessage(&r, 0x7E9, 0xFF, 7), 42);
    EXPECT_EQ(r.got, 0x7E9u);
    EXPECT_EQ(r.w, 0xFFu);
    EXPECT_EQ(r.l, 7);
    r.got = 0;
    EXPECT_TRUE(postMessage(&r, 0x7E9, 1, 2));
    EXPECT_EQ(r.got, 0u);
    QCoreApplication::sendPostedEvents(&r);
    EXPECT_EQ(r.got, 0x7E9u);
    EXPECT_EQ(r.w, 1u);
}
