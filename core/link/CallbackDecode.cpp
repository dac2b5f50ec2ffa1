#include "core/api/Callbacks.h"

namespace {
// A text a report points at: NUL-ended UTF-16.
QString copyText(std::uintptr_t value)
{
    const auto* p = reinterpret_cast<const char16_t*>(value);
    return p ? QString::fromUtf16(p) : QString();
}
}

CallbackPayload DecodeCallback(CallbackSource source, unsigned cmd, unsigned event, std::uintptr_t value)
{
    CallbackPayload out;
    // Candidate reports carry a candidate; the search's phase reports on the
    // same command carry the phase number.
    if (source == CallbackSource::Comm && cmd == CBC_SEARCH_CANDIDATE && event != CBE_SEARCH_PHASE) {
        const auto* c = reinterpret_cast<const SearchCandidate*>(value);
        if (!c) {
            out.kind = CallbackPayload::Kind::None;
            return out;
        }
        out.kind = CallbackPayload::Kind::Candidate;
        out.candidate.Form = c->Form;
        out.candidate.PortName = c->PortName ? QString::fromUtf16(c->PortName) : QString();
        out.candidate.BaudRate = c->BaudRate;
        out.candidate.DeviceName = c->DeviceName ? QByteArray(c->DeviceName) : QByteArray();
        out.candidate.Port = c->Port;
        return out;
    }
    // The file callback's other events carry numbers (13 there is a close failure).
    const bool text = source == CallbackSource::Comm ? (event == CBE_OPEN_FAILED || event == CBE_HOST_FAILED
                                                        || event == CBE_PORT_LOST)
                                                     : event == UFE_OPEN_FAILED;
    if (text) {
        out.kind = CallbackPayload::Kind::Text;
        out.text = copyText(value);
        return out;
    }
    out.number = value;
    return out;
}
