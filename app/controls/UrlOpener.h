#pragma once
// Opens a web address or file with the desktop's handler. Tests put their own
// opener in place so that nothing is started.
#include <QString>
#include <functional>

namespace controls {

using UrlOpener = std::function<bool(const QString& target)>;

bool openTarget(const QString& target);
// Returns the previous opener.
UrlOpener setUrlOpener(UrlOpener opener);

} // namespace controls
