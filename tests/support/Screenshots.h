#pragma once
// Pictures for review: a widget as it is drawn, saved as PNG under the test
// output folder (TAVRELO_TEST_OUTPUT) in a subfolder per area.
#include <QDir>
#include <QString>
#include <QWidget>

namespace support {

// True when the picture was written to <output>/<folder>/<name>.png.
inline bool saveScreenshot(QWidget& w, const QString& folder, const QString& name)
{
    const QString dir = qEnvironmentVariable("TAVRELO_TEST_OUTPUT") + u'/' + folder;
    QDir().mkpath(dir);
    return w.grab().save(dir + u'/' + name + QStringLiteral(".png"));
}

} // namespace support
