#include "app/controls/UrlOpener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace controls {
namespace {

UrlOpener& current()
{
    static UrlOpener o = [](const QString& target) {
        QUrl url = QUrl::fromUserInput(target, QString(), QUrl::AssumeLocalFile);
        return url.isValid() && QDesktopServices::openUrl(url);
    };
    return o;
}

} // namespace

bool openTarget(const QString& target)
{
    if (target.isEmpty())
        return false;
    return current()(target);
}

UrlOpener setUrlOpener(UrlOpener opener)
{
    UrlOpener old = current();
    current() = std::move(opener);
    return old;
}

} // namespace controls
