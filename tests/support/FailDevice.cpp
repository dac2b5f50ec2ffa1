#include "support/FailDevice.h"

namespace support {

FailDevice::FailDevice(qint64 failAfter, QObject* parent) : QBuffer(parent), m_failAfter(failAfter) {}

qint64 FailDevice::writeData(const char* data, qint64 len)
{
    const qint64 room = m_failAfter - pos();
    if (room <= 0 && len > 0) {
        ++m_failures;
        setErrorString(QStringLiteral("No space left on device"));
        return -1;
    }
    return QBuffer::writeData(data, qMin(len, room));
}

} // namespace support
