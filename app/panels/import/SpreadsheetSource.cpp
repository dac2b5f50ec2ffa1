#include "app/panels/import/SpreadsheetSource.h"

#include "app/panels/import/FlatSheetReader.h"

namespace panels {

QString spreadsheetImportError() { return QStringLiteral("can not start excel sever!"); }

OfficeSpreadsheetSource::OfficeSpreadsheetSource(QObject* parent) : SpreadsheetSource(parent)
{
    connect(&m_conversion, &OfficeConversion::finished, this,
            [this](bool ok, const QByteArray& data, const QString& reason) {
                m_conversionMs = m_clock.elapsed();
                if (!ok) {
                    qInfo("spreadsheet conversion: %s", qPrintable(reason));
                    emit failed(spreadsheetImportError());
                    return;
                }
                QElapsedTimer read;
                read.start();
                QString why;
                const std::optional<SheetData> sheet = readFlatSpreadsheet(data, &why);
                m_readMs = read.elapsed();
                if (!sheet) {
                    qInfo("spreadsheet conversion: %s", qPrintable(why));
                    emit failed(spreadsheetImportError());
                    return;
                }
                emit loaded(*sheet);
            });
}

void OfficeSpreadsheetSource::open(const QString& path)
{
    m_clock.start();
    // Workbooks only: anything else would be read as text.
    m_conversion.start(path, QStringLiteral("fods"), QStringLiteral("MS Excel 97"));
}

} // namespace panels
