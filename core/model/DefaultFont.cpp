#include "core/model/DefaultFont.h"

using namespace sorvane::model;

namespace sorvane::model {

LOGFONT DefaultLogFont()
{
    LOGFONT f;
    f.lfHeight = 12;
    f.lfWeight = 400;
    f.lfCharSet = 1;
    f.lfPitchAndFamily = 16;
    SetLogFontFaceName(f, u"宋体");
    return f;
}

} // namespace sorvane::model
