#pragma once
// Sending a screen's compiled programs to its controller and writing them
// to the USB-stick file: the four blocks in the order page map, program
// map, program mask, program data.
#include "core/api/UsbFile.h"

struct tagItemData;

namespace sorvane::link {

struct CommSession;

// Compiles the node's screen and sends the blocks with 200 ms between them;
// only the program data asks for an acknowledgement. Returns the last
// block's result, 0 when compiling is refused, -6 (reported as a cancel of
// the page map) when a cancel stopped the compile. The compiled buffers are
// freed however it ends. Red and green are swapped as the screen's flag
// says, or as the link it is sent over says.
int SendProgramBlocks(CommSession& session, tagItemData* node);
int SendProgramBlocks(CommSession& session, tagItemData* node, bool swapRedGreen);
// The same into the session's file without pauses: 10 when compiling is
// refused, -6 when a cancel stopped it; a block is written only after the previous one was (result 0).
int WriteProgramBlocks(CommSession& session, tagItemData* node);

} // namespace sorvane::link
