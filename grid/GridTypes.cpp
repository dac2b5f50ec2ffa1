#include "grid/GridTypes.h"


namespace grid {

LOGFONT DefaultLogFont()
{
    LOGFONT f;
    f.lfHeight = -13;
    f.lfWeight = 400;
    f.lfCharSet = 134;
    SetLogFontFaceName(f, u"宋体");
    return f;
}

void InitBorderSpec(BorderSpec& spec)
{
    spec.lead = 0;
    for (int i = 0; i < 8; ++i) {
        spec.items[i].style = i < 6 ? std::int32_t(PS_SOLID) : std::int32_t(PS_NULL);
        spec.items[i].width = 0;
        spec.items[i].colour = 0x00FFFF;
        spec.items[i].apply = i < 6 ? 1 : 0;
    }
}

}   // namespace grid
