#pragma once
// The dialogs the main frame's commands open, which stand behind the seam
// registry's frame slots.
#include "app/spine/Seams.h"

class CCore;
class QObject;
class QWidget;

namespace editor {
class FramePort;
}

namespace shell {

class CMainApp;

// `frame` receives the dialogs' messages; the software settings add the
// ports they find to the screen-link panel in `propertyPane`; a bulk send
// runs each transfer as a job of `port`, the frame's.
spine::FrameDialogs ownFrameDialogs(CCore& core, CMainApp& app, QObject* frame, QWidget* propertyPane,
                                    editor::FramePort* port);

} // namespace shell
