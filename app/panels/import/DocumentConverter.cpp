#include "app/panels/import/DocumentConverter.h"

#include "platform/LangPack.h"

#include <QFile>

namespace panels {

QString documentConversionError() { return QStringLiteral("Can not start word sever!"); }

QString documentUnreadableError(const QString& path)
{
    return platform::langString(48301).arg(path);
}

OfficeDocumentConverter::OfficeDocumentConverter(QObject* parent) : DocumentConverter(parent)
{
    connect(&m_conversion, &OfficeConversion::finished, this,
            [this](bool ok, const QByteArray& data, const QString& reason, OfficeConversion::Failure failure) {
                // Whatever came out must be an RTF document, or the editor
                // would show its bytes as text.
                if (ok && data.startsWith("{\\rtf")) {
                    emit converted(data);
                    return;
                }
                qInfo("document conversion: %s", qPrintable(ok ? QStringLiteral("not an RTF document") : reason));
                emit failed(failure == OfficeConversion::Failure::NotStarted ? documentConversionError()
                                                                             : documentUnreadableError(m_path));
            });
}

void OfficeDocumentConverter::convert(const QString& path)
{
    m_path = path;
    // A compound file is read as a word-processor document only: left to
    // guess, the office program takes a damaged one for text. Other files
    // named ".doc" (RTF, HTML, text) keep the guess.
    QFile file(path);
    const bool compound = file.open(QIODevice::ReadOnly) && file.read(8) == QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8);
    file.close();
    m_conversion.start(path, QStringLiteral("rtf"), compound ? QStringLiteral("MS Word 97") : QString());
}

} // namespace panels
