#include "app/panels/import/SpreadsheetSource.h"

#include "app/panels/import/FlatSheetReader.h"
#include "platform/LangPack.h"

namespace panels {

QString spreadsheetImportError() { return QStringLiteral("can not start excel sever!"); }

QString spreadsheetUnreadableError(const QString& path)
{
    return platform::langString(48300).arg(path);
}

QString spreadsheetTimedOutError(const QString& path)
{
    return platform::langString(48345).arg(path);
}

OfficeSpreadsheetSource::OfficeSpreadsheetSource(QObject* parent) : SpreadsheetSource(parent)
{
    connect(&m_conversion, &OfficeConversion::finished, this,
            [this](bool ok, const QByteArray& data, const QString& reason, OfficeConversion::Failure failure) {
                m_conversionMs = m_clock.elapsed();
                if (!ok) {
                    qInfo("spreadsheet conversion: %s", qPrintable(reason));
                    emit failed(officeFailureMessage(failure, m_path,
                                                     {spreadsheetImportError(), spreadsheetTimedOutError(m_path),
                                                      spreadsheetUnreadableError(m_path)}));
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
    // A workbook by its content: an old binary one, or a package (an
    // OpenDocument or Office Open XML workbook under this name). Anything
    // else goes to the old workbook filter, which refuses it: left to
    // guess, the office program would read any text as a table.
    const QString binary = QStringLiteral("MS Excel 97");
    m_conversion.start(path, QStringLiteral("fods"), InputFilters{binary, binary});
}

} // namespace panels
