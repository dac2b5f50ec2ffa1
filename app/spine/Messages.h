#pragma once
// The program's numbered messages, each declared once: its id, what its two
// parameters carry, and a typed send, post and read. Parameters are packed and
// unpacked only here; a handler gets typed values and answers a sent message
// through what read() returns. A pointer parameter is valid during a send
// only, unless the message says otherwise. Transport: platform/MessageEvent.h.
#include "platform/Colour.h"
#include "platform/MessageEvent.h"

#include <concepts>
#include <cstdint>
#include <optional>
#include <type_traits>
#include <utility>

class QObject;
class QPainter;
class QString;
class QWidget;
struct tagGlobalInfo;
struct tagItemData;

namespace spine {

// A parameter the message does not use: sent as 0, never read.
struct None {};

// A control's command word: its control id and notification code.
struct CommandWord {
    int id = 0;
    int code = 0;
};

namespace detail {

template <typename T>
struct Param;

template <>
struct Param<None> {
    static std::uintptr_t pack(None) { return 0; }
    static None unpack(std::uintptr_t) { return {}; }
};

template <typename T>
struct Param<T*> {
    static std::uintptr_t pack(T* p) { return reinterpret_cast<std::uintptr_t>(p); }
    static T* unpack(std::uintptr_t v) { return reinterpret_cast<T*>(v); }
};

template <typename T>
    requires std::is_integral_v<T> || std::is_enum_v<T>
struct Param<T> {
    static std::uintptr_t pack(T v) { return static_cast<std::uintptr_t>(v); }
    static T unpack(std::uintptr_t v)
    {
        if constexpr (std::is_same_v<T, bool>)
            return v != 0;
        else
            return static_cast<T>(v);
    }
};

template <>
struct Param<CommandWord> {
    static std::uintptr_t pack(CommandWord c) { return platform::makeCommandWParam(c.id, c.code); }
    static CommandWord unpack(std::uintptr_t v) { return {platform::commandId(v), platform::commandCode(v)}; }
};

} // namespace detail

// A received message: its typed parameters, and the answer a sender gets.
template <typename W, typename L>
class Received {
public:
    Received(platform::MessageEvent& e, W wp, L lp) : w(wp), l(lp), m_event(&e) {}
    W w;
    L l;
    void answer(std::intptr_t result) const { m_event->setResult(result); }

private:
    platform::MessageEvent* m_event;
};

// The parameters' types of a message whose id is chosen at run time (a
// callback a caller registers); Message below fixes the id.
template <typename W = None, typename L = None>
struct Payload {
    using WParam = W;
    using LParam = L;

    static std::intptr_t send(QObject* to, unsigned id, W w, L l)
    {
        return platform::sendMessage(to, id, detail::Param<W>::pack(w),
                                     static_cast<platform::LPARAM>(detail::Param<L>::pack(l)));
    }
    static bool post(QObject* to, unsigned id, W w, L l)
    {
        return platform::postMessage(to, id, detail::Param<W>::pack(w),
                                     static_cast<platform::LPARAM>(detail::Param<L>::pack(l)));
    }
    // The message's typed view when e is message id, else nothing.
    static std::optional<Received<W, L>> read(QEvent* e, unsigned id)
    {
        if (!e || static_cast<unsigned>(e->type()) != id)
            return std::nullopt;
        // Another event class that happens to use the number is not ours.
        auto* m = dynamic_cast<platform::MessageEvent*>(e);
        if (!m)
            return std::nullopt;
        return Received<W, L>(*m, detail::Param<W>::unpack(m->wParam()),
                              detail::Param<L>::unpack(static_cast<std::uintptr_t>(m->lParam())));
    }
};

template <unsigned Id, typename W = None, typename L = None>
struct Message {
    static constexpr unsigned id = Id;
    using Args = Received<W, L>;

    static std::intptr_t send(QObject* to)
        requires std::same_as<W, None> && std::same_as<L, None>
    {
        return Payload<W, L>::send(to, Id, {}, {});
    }
    static std::intptr_t send(QObject* to, W w)
        requires(!std::same_as<W, None>) && std::same_as<L, None>
    {
        return Payload<W, L>::send(to, Id, w, {});
    }
    static std::intptr_t send(QObject* to, W w, L l)
        requires(!std::same_as<L, None>)
    {
        return Payload<W, L>::send(to, Id, w, l);
    }
    static bool post(QObject* to)
        requires std::same_as<W, None> && std::same_as<L, None>
    {
        return Payload<W, L>::post(to, Id, {}, {});
    }
    static bool post(QObject* to, W w)
        requires(!std::same_as<W, None>) && std::same_as<L, None>
    {
        return Payload<W, L>::post(to, Id, w, {});
    }
    static bool post(QObject* to, W w, L l)
        requires(!std::same_as<L, None>)
    {
        return Payload<W, L>::post(to, Id, w, l);
    }

    static std::optional<Args> read(QEvent* e) { return Payload<W, L>::read(e, Id); }

    // Calls handler with the used parameters when e is this message; a value
    // the handler returns becomes the sender's answer. True when e was it.
    template <typename F>
    static bool dispatch(QEvent* e, F&& handler)
    {
        auto m = read(e);
        if (!m)
            return false;
        auto call = [&]() -> decltype(auto) {
            if constexpr (std::same_as<W, None> && std::same_as<L, None>)
                return std::forward<F>(handler)();
            else if constexpr (std::same_as<L, None>)
                return std::forward<F>(handler)(m->w);
            else
                return std::forward<F>(handler)(m->w, m->l);
        };
        if constexpr (std::is_void_v<decltype(call())>)
            call();
        else
            m->answer(static_cast<std::intptr_t>(call()));
        return true;
    }
};

// ---- Between the windows ----

// The node now selected, null for none.
inline constexpr unsigned WM_NODE_SELECT = 0x5F4;
using NodeSelect = Message<WM_NODE_SELECT, tagItemData*>;
// The node to load again (the one shown, or one of its own).
inline constexpr unsigned WM_NODE_LOAD = 0x5FF;
using NodeLoad = Message<WM_NODE_LOAD, tagItemData*>;
inline constexpr unsigned WM_STATUS_IDLE = 0x607;
using StatusIdle = Message<WM_STATUS_IDLE>;
inline constexpr unsigned WM_SCREEN_CHANGED = 0x609;
using ScreenChanged = Message<WM_SCREEN_CHANGED, tagItemData*>;
inline constexpr unsigned WM_WIZARD_RETRIEVED = 0x60E;
using WizardRetrieved = Message<WM_WIZARD_RETRIEVED, tagItemData*>;
// The new screen, and whether the wizard's last page asked to send at once.
inline constexpr unsigned WM_WIZARD_FINISH = 0x617;
using WizardFinish = Message<WM_WIZARD_FINISH, tagItemData*, std::intptr_t>;
inline constexpr unsigned WM_WIZARD_APPLYHW = 0x619;
using WizardApplyHw = Message<WM_WIZARD_APPLYHW, tagItemData*>;
inline constexpr unsigned WM_WIZARD_RETRY = 0x61A;
using WizardRetry = Message<WM_WIZARD_RETRY>;
inline constexpr unsigned WM_ITEM_MOVED = 0x620;
using ItemMoved = Message<WM_ITEM_MOVED, tagItemData*>;
// The canvas the thumbnail shows from now on; compared, never dereferenced
// before the receiver knows it.
inline constexpr unsigned WM_THUMB_SETSOURCE = 0x621;
using ThumbSetSource = Message<WM_THUMB_SETSOURCE, const QWidget*>;
// Paints the canvas's content into the painter; answers 1 when painted.
inline constexpr unsigned WM_CANVAS_PAINTTO = 0x622;
using CanvasPaintTo = Message<WM_CANVAS_PAINTTO, QPainter*>;
inline constexpr unsigned WM_VIEW_RELAYOUT = 0x623;
using ViewRelayout = Message<WM_VIEW_RELAYOUT>;
inline constexpr unsigned WM_TEXT_WRAPWIDTH = 0x624;
using TextWrapWidth = Message<WM_TEXT_WRAPWIDTH, std::uintptr_t, std::intptr_t>;
// What changed (a flag of the sender's), and a value with it.
inline constexpr unsigned WM_SETTINGS_CHANGED = 0x662;
using SettingsChanged = Message<WM_SETTINGS_CHANGED, std::uintptr_t, std::intptr_t>;
// Replace the list, read the hardware settings of what is found.
inline constexpr unsigned WM_SEARCH_SCREENS = 0x663;
using SearchScreens = Message<WM_SEARCH_SCREENS, int, int>;
// The screen, and the link to send through for this once: null the screen's
// own, TARGET_SCREEN_NONE (all bits set) none, else another screen's.
inline constexpr unsigned WM_SEND_PROGRAMS = 0x664;
using SendPrograms = Message<WM_SEND_PROGRAMS, tagItemData*, tagItemData*>;
// The new item and where it went.
inline constexpr unsigned WM_ITEM_CREATE = 0x665;
using ItemCreate = Message<WM_ITEM_CREATE, tagItemData*, int>;
// The screen to be renamed and the name proposed, not yet written: a
// non-zero answer refuses it (the receiver has said why).
inline constexpr unsigned WM_ITEM_RENAME = 0x666;
using ItemRename = Message<WM_ITEM_RENAME, tagItemData*, const QString*>;
inline constexpr unsigned WM_SCREEN_RECONNECT = 0x667;
using ScreenReconnect = Message<WM_SCREEN_RECONNECT, tagItemData*>;
// Animation-effect dialog: a navigator command (control id) and its value,
// and the GIF-text panel's notice that the item's text changed.
inline constexpr unsigned WM_GIFNAV_COMMAND = 0x66C;
using GifNavCommand = Message<WM_GIFNAV_COMMAND, int, long>;
inline constexpr unsigned WM_GIFTEXT_CHANGED = 0x66D;
using GifTextChanged = Message<WM_GIFTEXT_CHANGED>;
// 1 success, 2 failure or cancelled.
inline constexpr unsigned WM_TASK_DONE = 0x7E7;
using TaskDone = Message<WM_TASK_DONE, int>;

// ---- From the controls to their owners ----

// A control's command notification; lParam is the sending control.
using Command = Message<platform::WM_COMMAND, CommandWord, QObject*>;

// Colour button and picker: the colour, and the control id (0 from the popup).
inline constexpr unsigned WM_COLOUR_SELCHANGE = 0x7E9;
inline constexpr unsigned WM_COLOUR_DROPDOWN = 0x7EA;
inline constexpr unsigned WM_COLOUR_CLOSEUP = 0x7EB;
inline constexpr unsigned WM_COLOUR_SELENDOK = 0x7EC;
inline constexpr unsigned WM_COLOUR_SELENDCANCEL = 0x7ED;
using ColourPayload = Payload<platform::COLORREF, int>;
using ColourSelChange = Message<WM_COLOUR_SELCHANGE, platform::COLORREF, int>;
using ColourDropDown = Message<WM_COLOUR_DROPDOWN, platform::COLORREF, int>;
using ColourCloseUp = Message<WM_COLOUR_CLOSEUP, platform::COLORREF, int>;
using ColourSelEndOk = Message<WM_COLOUR_SELENDOK, platform::COLORREF, int>;
using ColourSelEndCancel = Message<WM_COLOUR_SELENDCANCEL, platform::COLORREF, int>;

// The border picker's messages carry a pattern of the controls: they are
// declared with it (app/controls/ControlMessages.h).

// Shaded split button: its drop-down part was clicked (the control id).
inline constexpr unsigned WM_SHADEBTN_DROPDOWN = 0x0464;
using ShadeBtnDropDown = Message<WM_SHADEBTN_DROPDOWN, int>;

// HTML tooltip: the link under the mouse changed (its number, -2 for none),
// with the value the receiver registered.
inline constexpr unsigned WM_TOOLTIP_REDRAW = 0x0465;
using TooltipHover = Payload<int, platform::LPARAM>;
// A message link was followed: its text (valid during the call) and the
// receiver's value; the id is the one the receiver registered.
using TooltipLink = Payload<const QString*, platform::LPARAM>;
using TooltipRedraw = Message<WM_TOOLTIP_REDRAW, int, platform::LPARAM>;

} // namespace spine
