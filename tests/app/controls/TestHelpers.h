#pragma once
// What the control tests share: a message spy that watches the controls'
// messages (the border pattern copied while its pointer is valid).
#include "app/controls/BorderSpec.h"
#include "app/controls/ControlMessages.h"
#include "support/MessageSpy.h"
#include "support/Widgets.h"

namespace testing_controls {

using support::flushDeletes;

class ControlSpy : public support::MessageSpy {
public:
    explicit ControlSpy(QWidget* parent = nullptr) : MessageSpy(parent)
    {
        watchRange(spine::WM_COLOUR_SELCHANGE, spine::WM_COLOUR_SELENDCANCEL);
        watchRange(controls::WM_BORDER_SELCHANGE, controls::WM_BORDER_SELENDCANCEL,
                   &support::copyPointedWParam<controls::BorderSpec>);
        watch(spine::WM_SHADEBTN_DROPDOWN);
        watch(platform::WM_COMMAND);
    }
};

inline controls::BorderSpec patternOf(const support::SpiedMessage& m)
{
    return support::payloadOf<controls::BorderSpec>(m);
}

} // namespace testing_controls
