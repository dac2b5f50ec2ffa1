#include "app/controls/BorderSpec.h"

#include "platform/LangPack.h"

#include <QPainter>
#include <QtEndian>

namespace controls {

std::array<std::int32_t, 33> BorderSpec::words() const
{
    std::array<std::int32_t, 33> w{};
    w[0] = lead;
    for (int i = 0; i < 8; ++i) {
        w[1 + 4 * i] = sides[i].style;
        w[2 + 4 * i] = sides[i].width;
        w[3 + 4 * i] = sides[i].colour;
        w[4 + 4 * i] = sides[i].apply;
    }
    return w;
}

QByteArray BorderSpec::bytes() const
{
    QByteArray out(33 * 4, '\0');
    auto w = words();
    for (int i = 0; i < 33; ++i)
        qToLittleEndian<std::int32_t>(w[i], out.data() + 4 * i);
    return out;
}

BorderSpec defaultBorderSpec()
{
    BorderSpec s;
    for (int i = 0; i < 6; ++i)
        s.sides[i].apply = 1;
    return s;
}

BorderSpec borderPreset(int index)
{
    BorderSpec s;
    auto set = [&s](int side, int width) {
        s.sides[side] = BorderSide{0, width, 0xFFFF, 1};
    };
    switch (index) {
    case 0: return defaultBorderSpec();
    case 1: set(BorderBottom, 0); break;
    case 2: set(BorderLeft, 0); break;
    case 3: set(BorderTop, 0); break;
    case 4: set(BorderRight, 0); break;
    case 5: set(BorderBottom, 2); break;
    case 6: set(BorderTop, 0); set(BorderBottom, 0); break;
    case 7: set(BorderLeft, 0); set(BorderRight, 0); break;
    case 8:
        for (int i = 0; i < 6; ++i)
            set(i, 0);
        break;
    case 9: set(BorderInnerH, 0); set(BorderInnerV, 0); break;
    case 10:
        for (int i = 0; i < 4; ++i)
            set(i, 0);
        break;
    case 11: set(BorderLeft, 0); set(BorderTop, 0); set(BorderRight, 0); set(BorderBottom, 2); break;
    default: return defaultBorderSpec();
    }
    return s;
}

QString borderPresetCaption(int index)
{
    // Captions come from the language pack: the picker speaks the program's
    // language like every other control.
    static const unsigned captionIds[kBorderPresetCount] = {
        42011, 42012, 42013, 42014, 42015, 42016, 42017, 42018, 42019, 42020, 42021, 42022,
    };
    if (index < 0 || index >= kBorderPresetCount)
        return {};
    return platform::langString(captionIds[index]);
}

void drawBorderPreview(QPainter& p, const QRect& r, const BorderSpec& pattern)
{
    int a = qMin(r.width(), r.height()) / 2;
    a -= (a % 2) ? 1 : 2;
    if (a <= 0)
        return;
    QPoint c = r.center();
    const int left = c.x() - a, right = c.x() + a, top = c.y() - a, bottom = c.y() + a;
    p.save();
    auto penFor = [](const BorderSide& s) {
        if (s.style == 5) {
            QPen pen(Qt::black, 1, Qt::CustomDashLine);
            pen.setDashPattern({1, 1});
            return pen;
        }
        // Square ends: a flat end leaves out the last pixel of the line, and
        // with it the corner where two sides meet.
        QPen pen(Qt::black, qMax(1, s.width));
        pen.setCapStyle(Qt::SquareCap);
        return pen;
    };
    auto line = [&](int side, QPoint from, QPoint to) {
        p.setPen(penFor(pattern.sides[side]));
        p.drawLine(from, to);
    };
    line(BorderLeft, {left, bottom}, {left, top});
    line(BorderTop, {left, top}, {right, top});
    line(BorderRight, {right, top}, {right, bottom});
    line(BorderBottom, {right, bottom}, {left, bottom});
    line(BorderInnerH, {left + 1, c.y()}, {right, c.y()});
    line(BorderInnerV, {c.x(), top + 1}, {c.x(), bottom});
    p.restore();
}

} // namespace controls
