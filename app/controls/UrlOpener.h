#pragma once
// Opens a web address or file with the desktop's handler (tests fill the
// registry's openUrl so that nothing is started).
#include <QString>

namespace controls {

bool openTarget(const QString& target);

} // namespace controls
