#pragma once
// Serial-port enumeration: one record per port, tidied, then reduced to names.
#include <QString>
#include <vector>

namespace sorvane::link {

struct SSerInfo {
    QString devicePath;     // e.g. /dev/ttyUSB0
    QString portName;       // e.g. ttyUSB0
    QString friendlyName;   // e.g. "USB Serial (ttyUSB0)"
    int usb = 0;            // 1 when the port belongs to a USB device
    QString description;
};

// Fills in what a method left empty: friendly name from the port name,
// description and port name from the friendly name's "text (name)" form.
void TidySerialRecord(SSerInfo& info);

// Empties `ports` and fills it with the ports present, tidied. May throw the
// enumeration's failure text as std::runtime_error; callers across the
// library boundary catch it.
void EnumSerialPorts(std::vector<SSerInfo>& ports);

// Tests replace the system method; null restores it.
using SerialEnumerator = void (*)(std::vector<SSerInfo>& ports);
void SetSerialEnumerator(SerialEnumerator fn);

// Screens store a serial port as a number. The number names the device so
// that the same device is opened again after a restart:
//   "COMk"           k (names of that form, when a user adds them)
//   ttyS<k>          k + 1 (COM1 is ttyS0)
//   ttyUSB<k>        1000 + k
//   ttyACM<k>        2000 + k
//   ttyAMA<k>        3000 + k
//   a user port      10000 + its place in the user port list (any name or
//                    path, e.g. a pseudo-terminal)
//   anything else    20000 + its place in the enumerated list
// -1 when the name is empty.
int SerialPortNumber(const QString& name, const std::vector<QString>& enumerated, const std::vector<QString>& user);
// The device name a number stands for; empty when it names none of these
// lists' ports and has no fixed form.
QString SerialPortNameOf(int n, const std::vector<QString>& enumerated, const std::vector<QString>& user);

} // namespace sorvane::link
