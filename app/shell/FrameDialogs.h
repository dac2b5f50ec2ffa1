#pragma once
// The dialogs the main frame's commands open, which stand behind the seam
// registry's frame slots.
#include "app/spine/Seams.h"

class CCore;
class CMainApp;
class QObject;
class QWidget;

namespace shell {

// `frame` receives the dialogs' messages; the software settings add the
// ports they find to the screen-link panel in `propertyPane`.
spine::FrameDialogs ownFrameDialogs(CCore& core, CMainApp& app, QObject* frame, QWidget* propertyPane);

} // namespace shell
