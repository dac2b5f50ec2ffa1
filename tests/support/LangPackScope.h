#pragma once
// Sets language-pack entries for one test and puts back, on leaving, what
// each id it set held before. Starting Empty also clears the pack on entry
// and on exit, for tests that need every other id missing (and the only way
// to have a toolbar template missing again afterwards).
#include "platform/LangPack.h"

#include <QHash>
#include <QSet>

namespace support {

class LangPackScope {
public:
    enum class Start { AsIs, Empty };
    explicit LangPackScope(Start start = Start::AsIs);
    ~LangPackScope();
    LangPackScope(const LangPackScope&) = delete;
    LangPackScope& operator=(const LangPackScope&) = delete;

    void setString(unsigned id, const QString& text);
    void setIcon(unsigned id, const QIcon& icon);
    void setBitmap(unsigned id, const QImage& image);
    void setToolBar(unsigned id, const platform::LangToolBar& bar);

private:
    Start m_start;
    QHash<unsigned, QString> m_strings;
    QHash<unsigned, QIcon> m_icons;
    QHash<unsigned, QImage> m_bitmaps;
    QHash<unsigned, std::optional<platform::LangToolBar>> m_toolbars;
};

} // namespace support
