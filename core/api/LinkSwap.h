#pragma once
// A screen that sends through another screen's link takes that link for one
// request or transfer; what it took is put back when the swap ends, whatever
// happened in between. The screen must outlive the swap; nothing is freed.
#include "core/api/Export.h"
#include "core/api/Nodes.h"

class CCore;

class SORVANE_API LinkSwap {
public:
    // The core's own sends: the screen's secondary link, with the other
    // screen's host when that is a network link; the link fields alone come
    // back. Nothing is taken when the other is the screen itself.
    LinkSwap(CCore& core, tagItemData* screen, tagItemData* other);
    // A bulk send: the screen's whole link part and its name come back,
    // whatever it takes with takeWholeLinkOf.
    explicit LinkSwap(tagItemData* screen);
    ~LinkSwap();
    LinkSwap(const LinkSwap&) = delete;
    LinkSwap& operator=(const LinkSwap&) = delete;

    // The screen takes the other's link, address and name; its transfer goes
    // where the other screen's own would go.
    void takeWholeLinkOf(const tagItemData* other);

private:
    enum class Restore : std::uint8_t { Nothing, Link, WholeLink };
    tagItemData* m_screen;
    tagGlobalInfo m_saved;
    char16_t m_name[sizeof(tagItemData::Name) / sizeof(char16_t)];
    Restore m_restore = Restore::Nothing;
};
