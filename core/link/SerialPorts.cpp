#include "core/link/SerialPorts.h"

#include "core/model/Core.h"

#include <QSerialPortInfo>
#include <QtGlobal>

#include <exception>

namespace {

// Port names are the system's own (ttyUSB0, ttyS0); the friendly name takes
// the "description (name)" form so the tidying rules read it as elsewhere.
void systemEnumerate(std::vector<SSerInfo>& ports)
{
    const QList<QSerialPortInfo> found = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& p : found) {
        SSerInfo info;
        info.devicePath = p.systemLocation();
        info.portName = p.portName();
        if (!p.description().isEmpty())
            info.friendlyName = p.description() + QStringLiteral(" (") + p.portName() + QLatin1Char(')');
        info.usb = p.hasVendorIdentifier() ? 1 : 0;
        info.description = p.description();
        ports.push_back(info);
    }
}

SerialEnumerator g_enumerator = nullptr;

}  // namespace

void TidySerialRecord(SSerInfo& info)
{
    if (info.friendlyName.isEmpty())
        info.friendlyName = info.portName;

    if (info.description.isEmpty()) {
        info.description = info.friendlyName;
        const qsizetype open = info.description.indexOf(u" (");
        const qsizetype close = info.description.indexOf(u')');
        if (open > 0 && close >= 0 && close == info.description.size() - 1)
            info.description.truncate(open);
    }

    if (info.portName.isEmpty()) {
        info.portName = info.friendlyName;
        const qsizetype open = info.portName.indexOf(u'(');
        const qsizetype close = info.portName.indexOf(u')');
        if (open > 0 && close > open && close == info.portName.size() - 1)
            info.portName = info.portName.mid(open + 1, close - open - 1);
    }
}

void EnumSerialPorts(std::vector<SSerInfo>& ports)
{
    ports.clear();
    if (g_enumerator)
        g_enumerator(ports);
    else
        systemEnumerate(ports);
    for (SSerInfo& info : ports)
        TidySerialRecord(info);
}

void SetSerialEnumerator(SerialEnumerator fn)
{
    g_enumerator = fn;
}

void CCore::EnumSerialPortList()
{
    m_serialPorts.RemoveAll();
    // No failure may leave the library as an exception: a failed enumeration
    // is an empty list.
    try {
        std::vector<SSerInfo> ports;
        EnumSerialPorts(ports);
        // One name per port, in the order the enumeration met them.
        for (const SSerInfo& info : ports)
            m_serialPorts.Add(info.portName);
    } catch (const std::exception& e) {
        m_serialPorts.RemoveAll();
        qWarning("Serial port enumeration failed: %s", e.what());
    } catch (...) {
        m_serialPorts.RemoveAll();
        qWarning("Serial port enumeration failed");
    }
}
