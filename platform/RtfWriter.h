#pragma once
// Writes a QTextDocument as RTF in the form a rich edit streams out: font and
// colour tables, then paragraphs with only the properties that change.
#include <QByteArray>

class QTextDocument;

namespace platform {

// Characters outside ASCII are written as \uN? escapes, so no text is lost
// whatever the code page; font names use their charset's code page when they
// fit in it.
QByteArray writeRtf(const QTextDocument& doc);

} // namespace platform
