// The custom picture path of a border element, set and read by callers
// outside the library, so that the element's owned data never changes hands.
#include "core/api/Core.h"
#include "core/api/OwnerThread.h"
#include "core/model/DynFrame.h"

using namespace sorvane::model;

int CCore::SetFrameElementPicture(DynFrameElement* element, const char16_t* path)
{
    SORVANE_ASSERT_NODE_OWNER(FrameLinks::nodeOf(element));
    if (!element)
        return 0;
    std::vector<std::uint8_t> data;
    for (const char16_t* c = path; c && *c; ++c) {
        data.push_back(static_cast<std::uint8_t>(*c & 0xFF));
        data.push_back(static_cast<std::uint8_t>(*c >> 8));
    }
    return SetFrameElementData(element, std::move(data)) ? 1 : 0;
}

QString CCore::GetFrameElementPicture(const DynFrameElement* element)
{
    if (!element)
        return {};
    const std::vector<std::uint8_t>& data = element->Data();
    QString out;
    out.reserve(qsizetype(data.size() / 2));
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
        out.append(QChar(char16_t(data[i] | data[i + 1] << 8)));
    return out;
}
