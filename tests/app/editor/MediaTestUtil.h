#pragma once
// Language packs and screenshots for the media dialogs' tests.
#include "platform/LangPack.h"

#include <QDir>
#include <QWidget>

#include <gtest/gtest.h>
#include <vector>

namespace mediatest {

struct Language {
    QString code; // en, cn, tw
    QString pack; // file name of the built pack
};

inline std::vector<Language> languages()
{
    return {{QStringLiteral("en"), QStringLiteral("UI_EN.rcc")},
            {QStringLiteral("cn"), QStringLiteral("UI_CN.rcc")},
            {QStringLiteral("tw"), QStringLiteral("UI_TW.rcc")}};
}

// Loads a built pack for one test and forgets it afterwards.
class PackScope {
public:
    explicit PackScope(const Language& lang)
    {
        QString error;
        const QString path = QStringLiteral(TAVRELO_SHELL_PACK_DIR "/") + lang.pack;
        EXPECT_TRUE(platform::loadLangPack(path, &error)) << error.toStdString();
    }
    ~PackScope() { platform::clearLangPack(); }
    PackScope(const PackScope&) = delete;
    PackScope& operator=(const PackScope&) = delete;
};

inline void saveShot(QWidget* w, const QString& name)
{
    const QString dir = qEnvironmentVariable("TAVRELO_TEST_OUTPUT") + QStringLiteral("/editor");
    QDir().mkpath(dir);
    EXPECT_TRUE(w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

} // namespace mediatest
