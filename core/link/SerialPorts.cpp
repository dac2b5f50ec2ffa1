#include "core/link/SerialPorts.h"

#include "core/api/Core.h"

#include <QSerialPortInfo>
#include <QtGlobal>

#include <algorithm>
#include <exception>

using namespace sorvane::link;
using namespace sorvane::model;

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

namespace sorvane::link {

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

} // namespace sorvane::link

namespace {

struct FixedForm {
    const char* prefix;
    int base;
};
constexpr FixedForm kForms[] = {{"ttyUSB", 1000}, {"ttyACM", 2000}, {"ttyAMA", 3000}, {"ttyS", 1}, {"COM", 0}};
constexpr int kUserBase = 10000;
constexpr int kOtherBase = 20000;

// The k of "<prefix><k>" (k a plain decimal number), or -1.
int suffixNumber(const QString& name, const char* prefix)
{
    const QLatin1String p(prefix);
    if (!name.startsWith(p) || name.size() == p.size() || name.size() - p.size() > 4)
        return -1;
    int k = 0;
    for (qsizetype i = p.size(); i < name.size(); ++i) {
        if (!name[i].isDigit())
            return -1;
        k = k * 10 + name[i].digitValue();
    }
    return k;
}

int indexIn(const std::vector<QString>& list, const QString& name)
{
    const auto it = std::find(list.begin(), list.end(), name);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

}  // namespace

namespace sorvane::link {

int SerialPortNumber(const QString& name, const std::vector<QString>& enumerated, const std::vector<QString>& user)
{
    if (name.isEmpty())
        return -1;
    for (const FixedForm& f : kForms) {
        const int k = suffixNumber(name, f.prefix);
        if (k >= 0 && (f.base == 0 || k < 1000 - 1))
            return f.base + k;
    }
    const int u = indexIn(user, name);
    if (u >= 0)
        return kUserBase + u;
    const int e = indexIn(enumerated, name);
    return e >= 0 ? kOtherBase + e : -1;
}

QString SerialPortNameOf(int n, const std::vector<QString>& enumerated, const std::vector<QString>& user)
{
    if (n >= kOtherBase)
        return n - kOtherBase < static_cast<int>(enumerated.size()) ? enumerated[std::size_t(n - kOtherBase)] : QString();
    if (n >= kUserBase)
        return n - kUserBase < static_cast<int>(user.size()) ? user[std::size_t(n - kUserBase)] : QString();
    for (const FixedForm& f : kForms)
        if (f.base > 0 && n >= f.base && n < f.base + 999)
            return QLatin1String(f.prefix) + QString::number(n - f.base);
    return {};
}

} // namespace sorvane::link

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
