#pragma once
// What the USB-stick file holds: the content flags of CCore::SaveAsUSBFile,
// written into the file in this order.

enum UsbFileFlags : unsigned {
    USB_PROGRAMS = 0x01,
    USB_HARDWARE = 0x02,
    USB_CLOCK = 0x04,
    USB_RESET = 0x08,
    USB_CLEAR = 0x10,
    USB_FIRMWARE = 0x20,
};
