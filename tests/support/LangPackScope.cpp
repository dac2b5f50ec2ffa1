#include "support/LangPackScope.h"

namespace support {

LangPackScope::LangPackScope(Start start) : m_start(start)
{
    if (m_start == Start::Empty)
        platform::clearLangPack();
}

LangPackScope::~LangPackScope()
{
    if (m_start == Start::Empty)
        platform::clearLangPack();
    // A missing text, icon or bitmap reads as an empty one, so putting the
    // empty value back restores it. The pack cannot drop one toolbar: one
    // that was missing stays set unless the scope started Empty.
    for (auto it = m_strings.cbegin(); it != m_strings.cend(); ++it)
        platform::setLangString(it.key(), it.value());
    for (auto it = m_icons.cbegin(); it != m_icons.cend(); ++it)
        platform::setLangIcon(it.key(), it.value());
    for (auto it = m_bitmaps.cbegin(); it != m_bitmaps.cend(); ++it)
        platform::setLangBitmap(it.key(), it.value());
    for (auto it = m_toolbars.cbegin(); it != m_toolbars.cend(); ++it)
        if (it.value())
            platform::setLangToolBar(it.key(), *it.value());
}

void LangPackScope::setString(unsigned id, const QString& text)
{
    if (!m_strings.contains(id))
        m_strings.insert(id, platform::langString(id));
    platform::setLangString(id, text);
}

void LangPackScope::setIcon(unsigned id, const QIcon& icon)
{
    if (!m_icons.contains(id))
        m_icons.insert(id, platform::langIcon(id));
    platform::setLangIcon(id, icon);
}

void LangPackScope::setBitmap(unsigned id, const QImage& image)
{
    if (!m_bitmaps.contains(id))
        m_bitmaps.insert(id, platform::langBitmap(id));
    platform::setLangBitmap(id, image);
}

void LangPackScope::setToolBar(unsigned id, const platform::LangToolBar& bar)
{
    if (!m_toolbars.contains(id))
        m_toolbars.insert(id, platform::langToolBar(id));
    platform::setLangToolBar(id, bar);
}

} // namespace support
