#pragma once
// Serial-port enumeration: one record per port, tidied, then reduced to names.
#include <QString>
#include <vector>

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
