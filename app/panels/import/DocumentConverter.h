#pragma once
// Turns a word-processor document (".doc") into RTF for the rich-text
// editors. The panel holds a DocumentConverter and listens for its answer;
// tests may put a fake in its place.
#include "app/panels/import/OfficeConversion.h"

#include <QObject>
#include <QString>

namespace panels {

// The message shown when the office program cannot be started (the packs
// have no id for it).
QString documentConversionError();
// The message for a document that cannot be read (damaged or of another kind).
QString documentUnreadableError(const QString& path);
// The message for a document whose conversion passed the time-out.
QString documentTimedOutError(const QString& path);

class DocumentConverter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Starts converting; converted() or failed() follows later, once.
    virtual void convert(const QString& path) = 0;
    virtual void cancel() = 0;

signals:
    void converted(const QByteArray& rtf);
    void failed(const QString& message);
};

// Converts through the office program in headless mode.
class OfficeDocumentConverter : public DocumentConverter {
    Q_OBJECT
public:
    explicit OfficeDocumentConverter(QObject* parent = nullptr);
    void convert(const QString& path) override;
    void cancel() override { m_conversion.cancel(); }
    OfficeConversion& conversion() { return m_conversion; }

private:
    OfficeConversion m_conversion;
    QString m_path;
};

} // namespace panels
