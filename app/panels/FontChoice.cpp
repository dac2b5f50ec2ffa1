#include "app/panels/FontChoice.h"

#include "app/spine/Seams.h"

#include <QColorDialog>
#include <QFontDialog>

#include <cstdlib>
#include <string>

namespace panels {
namespace {
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
    if (auto answer = spine::takeNext(spine::seams().nextFont)) {
        if (!answer->ok)
            return false;
        font = answer->font;
        colour = answer->colour;
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

} // namespace panels
