// Tavrelo: designs what LED screens show and sends it to their controllers.
#include "core/model/Core.h"
#include "platform/CodePage.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CCore core;
    // 8-bit texts (clipboard, old stored strings, RTF) follow the language.
    platform::setAnsiCodePage(platform::codePageForLanguage(core.GetCurLang()));
    QLabel label(QObject::tr("Tavrelo"));
    label.setWindowTitle(QStringLiteral("Tavrelo"));
    label.resize(480, 320);
    label.show();
    return app.exec();
}
