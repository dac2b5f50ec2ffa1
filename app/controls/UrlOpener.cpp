#include "app/controls/UrlOpener.h"

#include "app/spine/Seams.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace controls {
bool openTarget(const QString& target)
{
    if (target.isEmpty())
        return false;
    if (auto open = spine::seams().openUrl)
        return open(target);
    QUrl url = QUrl::fromUserInput(target, QString(), QUrl::AssumeLocalFile);
    return url.isValid() && QDesktopServices::openUrl(url);
}

} // namespace controls
