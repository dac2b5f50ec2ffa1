#pragma once
// A memory device whose writes fail once N bytes have been written: the
// write that crosses the limit is cut short, every later one fails. For
// checking that writers report a full disk instead of claiming success.
#include <QBuffer>

namespace support {

class FailDevice : public QBuffer {
public:
    explicit FailDevice(qint64 failAfter, QObject* parent = nullptr);
    qint64 failAfter() const { return m_failAfter; }
    // Writes refused so far.
    int failures() const { return m_failures; }

protected:
    qint64 writeData(const char* data, qint64 len) override;

private:
    qint64 m_failAfter;
    int m_failures = 0;
};

} // namespace support
