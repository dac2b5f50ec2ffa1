#pragma once
// Reads the active sheet of a workbook (".xls") for the table import. The
// table panel holds a SpreadsheetSource and listens for its answer; tests may
// put a fake in its place.
#include "app/panels/import/OfficeConversion.h"
#include "app/panels/import/SheetData.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

namespace panels {

// The message shown when the office program cannot be started (the packs
// have no id for it).
QString spreadsheetImportError();
// The message for a workbook that cannot be read (damaged or not a workbook).
QString spreadsheetUnreadableError(const QString& path);
// The message for a workbook whose conversion passed the time-out.
QString spreadsheetTimedOutError(const QString& path);

class SpreadsheetSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Starts reading; loaded() or failed() follows later, once.
    virtual void open(const QString& path) = 0;
    virtual void cancel() = 0;

signals:
    void loaded(const panels::SheetData& sheet);
    void failed(const QString& message);
};

// The office program converts the workbook to a flat spreadsheet, which is
// then read here.
class OfficeSpreadsheetSource : public SpreadsheetSource {
    Q_OBJECT
public:
    explicit OfficeSpreadsheetSource(QObject* parent = nullptr);
    void open(const QString& path) override;
    void cancel() override { m_conversion.cancel(); }
    OfficeConversion& conversion() { return m_conversion; }
    // Time of the last run's conversion and of reading its result (ms).
    qint64 conversionMs() const { return m_conversionMs; }
    qint64 readMs() const { return m_readMs; }

private:
    OfficeConversion m_conversion;
    QString m_path;
    QElapsedTimer m_clock;
    qint64 m_conversionMs = 0;
    qint64 m_readMs = 0;
};

} // namespace panels
