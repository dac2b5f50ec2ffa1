#pragma once
// Shared pieces of the screen-set-up dialog tests: open screens, a scratch
// folder, the INI text and screenshots in every language.
#include "../device/DeviceTestUtil.h"

#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/api/ItemTypes.h"

#include <QFile>
#include <QTemporaryDir>

namespace wiztest {

inline tagItemData* addScreen(CCore& core, const char16_t* name, int w = 64, int h = 32)
{
    // After the last screen, so list positions follow the order of the calls.
    tagItemData* last = nullptr;
    for (unsigned n = 0; core.GetScreen(n); ++n)
        last = core.GetScreen(n);
    tagItemData* s = core.AddItem(IT_SCREEN, name, nullptr, last);
    s->Global.Width = std::uint16_t(w);
    s->Global.Height = std::uint16_t(h);
    return s;
}

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline int nodeCount(tagItemData* node)
{
    int n = 0;
    for (tagItemData* c = node; c; c = c->NextSibling)
        n += 1 + nodeCount(c->FirstChild);
    return n;
}

} // namespace wiztest
