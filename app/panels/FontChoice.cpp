#include "app/panels/FontChoice.h"

#include <QColorDialog>
#include <QFontDialog>

#include <cstdlib>
#include <string>

namespace panels {
namespace {
struct NextChoice {
    bool armed = false;
    std::optional<std::pair<LOGFONT, platform::COLORREF>> answer;
};
NextChoice& next()
{
    static NextChoice n;
    return n;
}

QFont toQFont(const LOGFONT& f)
{
    QFont q(QString::fromStdU16String(LogFontFaceName(f)));
    if (f.lfHeight != 0)
        q.setPixelSize(std::abs(f.lfHeight));
    q.setBold(f.lfWeight >= 600);
    q.setItalic(f.lfItalic != 0);
    q.setUnderline(f.lfUnderline != 0);
    return q;
}

void fromQFont(const QFont& q, LOGFONT& f)
{
    SetLogFontFaceName(f, q.family().toStdU16String());
    const int px = q.pixelSize() > 0 ? q.pixelSize() : int(q.pointSizeF() * 96.0 / 72.0 + 0.5);
    f.lfHeight = -px;
    f.lfWeight = q.bold() ? 700 : 400;
    f.lfItalic = q.italic() ? 1 : 0;
    f.lfUnderline = q.underline() ? 1 : 0;
}
} // namespace

bool chooseFontAndColour(QWidget* parent, LOGFONT& font, platform::COLORREF& colour)
{
    if (next().armed) {
        auto answer = next().answer;
        clearNextFontChoice();
        if (!answer)
            return false;
        font = answer->first;
        colour = answer->second;
        return true;
    }
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, toQFont(font), parent);
    if (!ok)
        return false;
    const QColor c = QColorDialog::getColor(QColor(platform::colorRefToRgb(colour)), parent);
    if (!c.isValid())
        return false;
    fromQFont(chosen, font);
    colour = platform::rgbToColorRef(c.rgb());
    return true;
}

void setNextFontChoice(std::optional<std::pair<LOGFONT, platform::COLORREF>> answer)
{
    next().armed = true;
    next().answer = std::move(answer);
}

void clearNextFontChoice()
{
    next() = NextChoice{};
}

} // namespace panels
