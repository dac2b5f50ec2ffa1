#pragma once
// What the USB-stick file holds: the content flags of CCore::SaveAsUSBFile,
// written into the file in this order.
#include "core/api/Export.h"

#include <cstdint>

class CCore;
struct tagItemData;

enum UsbFileFlags : unsigned {
    USB_PROGRAMS = 0x01,
    USB_HARDWARE = 0x02,
    USB_CLOCK = 0x04,
    USB_RESET = 0x08,
    USB_CLEAR = 0x10,
    USB_FIRMWARE = 0x20,
};

// CCore::SaveAsUSBFile with flags, for a controller of model `hardwareId`:
// the hardware block and the firmware image are that model's, and the
// screen keeps its own.
SORVANE_API int SaveAsUSBFileFor(CCore& core, tagItemData* node, const char16_t* path, unsigned flags,
                                 unsigned value, std::uint32_t hardwareId);
