#include "app/panels/import/DocumentConverter.h"

#include "platform/LangPack.h"

namespace panels {

QString documentConversionError() { return QStringLiteral("Can not start word sever!"); }

QString documentUnreadableError(const QString& path)
{
    return platform::langString(48301).arg(path);
}

QString documentTimedOutError(const QString& path)
{
    return platform::langString(48343).arg(path);
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
                emit failed(officeFailureMessage(
                    failure, m_path,
                    {documentConversionError(), documentTimedOutError(m_path), documentUnreadableError(m_path)}));
            });
}

void OfficeDocumentConverter::convert(const QString& path)
{
    m_path = path;
    // A compound file is read as a word-processor document only: left to
    // guess, the office program takes a damaged one for text. Other files
    // named ".doc" (a package, RTF, HTML, text) keep the guess.
    m_conversion.start(path, QStringLiteral("rtf"), InputFilters{QStringLiteral("MS Word 97"), QString()});
}

} // namespace panels
