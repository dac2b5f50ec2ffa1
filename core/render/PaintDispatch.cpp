#include "core/render/PaintDispatch.h"

// No painter is registered yet: nothing is drawn.
int PaintItemByKind(tagItemData* /*node*/)
{
    return 0;
}
