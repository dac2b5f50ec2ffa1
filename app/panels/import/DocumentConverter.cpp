#include "app/panels/import/DocumentConverter.h"

namespace panels {

QString documentConversionError() { return QStringLiteral("Can not start word sever!"); }

OfficeDocumentConverter::OfficeDocumentConverter(QObject* parent) : DocumentConverter(parent)
{
    connect(&m_conversion, &OfficeConversion::finished, this,
            [this](bool ok, const QByteArray& data, const QString& reason) {
                // Whatever came out must be an RTF document, or the editor
                // would show its bytes as text.
                if (ok && data.startsWith("{\\rtf")) {
                    emit converted(data);
                    return;
                }
                if (ok || !reason.isEmpty())
                    qInfo("document conversion: %s", qPrintable(ok ? QStringLiteral("not an RTF document") : reason));
                emit failed(documentConversionError());
            });
}

void OfficeDocumentConverter::convert(const QString& path) { m_conversion.start(path, QStringLiteral("rtf")); }

} // namespace panels
