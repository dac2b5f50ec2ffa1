#pragma once
// Where the built packs are, and small helpers shared by the pack tests.
#include "platform/LangPack.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

inline QString packPath(const QString& code)
{
    return QStringLiteral(TAVRELO_LANG_DIR "/UI_%1.rcc").arg(code);
}

inline QByteArray packBytes(const QString& code)
{
    QFile f(packPath(code));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline const QStringList& packCodes()
{
    static const QStringList codes{QStringLiteral("EN"), QStringLiteral("CN"), QStringLiteral("TW")};
    return codes;
}

// Leaves the tables empty after a test, whatever it loaded.
struct LangPackScope {
    LangPackScope() { platform::clearLangPack(); }
    ~LangPackScope() { platform::clearLangPack(); }
};
