#pragma once
// Sending a screen's compiled programs to its controller and writing them
// to the USB-stick file: the four blocks in the order page map, program
// map, program mask, program data.
struct CommSession;
struct tagItemData;

// Flags of the USB-stick export, written in this order.
enum UsbFileFlags : unsigned {
    USB_PROGRAMS = 0x01,
    USB_HARDWARE = 0x02,
    USB_CLOCK = 0x04,
    USB_RESET = 0x08,
    USB_CLEAR = 0x10,
    USB_FIRMWARE = 0x20,
};

// Compiles the node's screen and sends the blocks with 200 ms between them;
// only the program data asks for an acknowledgement. Returns the last
// block's result, 0 when compiling is refused, -6 (reported as a cancel of
// the page map) when a cancel stopped the compile. The compiled buffers are
// freed however it ends.
int SendProgramBlocks(CommSession& session, tagItemData* node);
// The same into the session's file without pauses: 10 when compiling is
// refused, -6 when a cancel stopped it; a block is written only after the previous one was (result 0).
int WriteProgramBlocks(CommSession& session, tagItemData* node);
