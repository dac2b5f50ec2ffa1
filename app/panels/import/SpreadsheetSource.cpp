#include "app/panels/import/SpreadsheetSource.h"

#include "app/panels/import/FlatSheetReader.h"
#include "platform/LangPack.h"

namespace panels {

QString spreadsheetImportError() { return QStringLiteral("can not start excel sever!"); }

QString spreadsheetUnreadableError(const QString& path)
{
    return platform::langString(48300).arg(path);
}

OfficeSpreadsheetSource::OfficeSpreadsheetSource(QObject* parent) : SpreadsheetSource(parent)
{
    connect(&m_conversion, &OfficeConversion::finished, this,
            [this](bool ok, const QByteArray& data, const QString& reason, OfficeConversion::Failure failure) {
                m_conversionMs = m_clock.elapsed();
                if (!ok) {
                    qInfo("spreadsheet conversion: %s", qPrintable(reason));
                    emit failed(failure == OfficeConversion::Failure::NotStarted ? spreadsheetImportError()
                                                                                 : spreadsheetUnreadableError(m_path));
                    return;
                }
                QElapsedTimer read;
                read.start();
                QString why;
                const std::optional<SheetData> sheet = readFlatSpreadsheet(data, &why);
                m_readMs = read.elapsed();
                if (!sheet) {
                    qInfo("spreadsheet conversion: %s", qPrintable(why));
                    emit failed(spreadsheetUnreadableError(m_path));
                    return;
                }
                emit loaded(*sheet);
            });
}

void OfficeSpreadsheetSource::open(const QString& path)
{
    m_path = path;
    m_clock.start();
    // Workbooks only: anything else would be read as text.
    m_conversion.start(path, QStringLiteral("fods"), QStringLiteral("MS Excel 97"));
}

} // namespace panels
