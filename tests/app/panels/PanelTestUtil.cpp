#include "PanelTestUtil.h"

#include "platform/LangPack.h"

#include <QDir>

namespace paneltest {

bool loadPack(const char* lang)
{
    QString error;
    const QString path = QStringLiteral(TAVRELO_SHELL_PACK_DIR "/UI_%1.rcc").arg(QLatin1String(lang));
    return platform::loadLangPack(path, &error);
}

QString outputDir()
{
    const QString dir = qEnvironmentVariable("TAVRELO_TEST_OUTPUT") + QStringLiteral("/panels");
    QDir().mkpath(dir);
    return dir;
}

} // namespace paneltest
