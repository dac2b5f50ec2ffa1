#include "core/link/UpgradeStream.h"

#include "core/api/Callbacks.h"
#include "core/link/FirmwareImage.h"
#include "core/link/LinkBase.h"

#include <climits>
#include <vector>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

void report(CoreCallBack callback, unsigned event, std::uintptr_t value)
{
    if (callback)
        callback(CBC_UPGRADE_STREAM, event, value);
}

unsigned percent(std::size_t done, std::size_t length)
{
    return length ? static_cast<unsigned>(static_cast<std::uint64_t>(done) * 100 / length) : 100;
}

} // namespace

namespace sorvane::link {

StreamRules SerialStreamRules() { return {3, 0, false, false, false, true, false}; }
StreamRules TcpStreamRules() { return {3, 0, false, false, false, true, false}; }
StreamRules EthernetStreamRules() { return {1, 2, true, true, true, false, true}; }

int RunUpgradeStream(UpgradeChannel& channel, const StreamRules& rules, const std::uint8_t* image,
                     std::size_t length, CoreCallBack callback)
{
    std::vector<FirmwareRecord> records;
    if (length > static_cast<std::size_t>(INT_MAX) || !SplitFirmwareRecords(image, length, records)) {
        report(callback, CBE_REFUSED, 0);
        return -4;
    }
    const int opened = channel.open(callback);
    if (opened < 0)
        return opened;
    report(callback, CBE_PROGRESS, 0);

    auto fail = [&](int result, int event) {
        channel.close();
        // An answer the cancel stopped waiting for ends the stream as cancelled.
        if (CancelRequested()) {
            report(callback, CBE_CANCELLED, 0);
            return int(COMM_E_CANCELLED);
        }
        if (event >= 0)
            report(callback, static_cast<unsigned>(event), 0);
        return result;
    };

    std::size_t accepted = 0;
    std::size_t index = 0;
    int resends = 0;
    bool resend = false;
    while (index < records.size()) {
        if (CancelRequested()) {
            channel.close();
            report(callback, CBE_CANCELLED, 0);
            return int(COMM_E_CANCELLED);
        }
        const FirmwareRecord& record = records[index];
        if (!channel.send(image + record.offset, record.size, resend)) {
            if (channel.lost())
                return fail(COMM_E_LINK_LOST, CBE_LINK_LOST);
            return rules.sendFailRefused ? fail(-4, CBE_REFUSED) : fail(-3, CBE_NO_REPLY);
        }

        const StreamAnswer answer = channel.answer();
        switch (answer.kind) {
        case StreamAnswerKind::Error:
            return fail(-4, CBE_REFUSED);
        case StreamAnswerKind::NoReply:
            return fail(-3, CBE_NO_REPLY);
        case StreamAnswerKind::Lost:
            return fail(COMM_E_LINK_LOST, CBE_LINK_LOST);
        case StreamAnswerKind::Silence:
            if (resends >= rules.silenceResends || CancelPending())
                return fail(-3, CBE_NO_REPLY);
            ++resends;
            resend = true;
            if (rules.retryEvent)
                report(callback, CBE_RETRY, static_cast<std::uintptr_t>(resends));
            continue;
        case StreamAnswerKind::Byte:
            break;
        }

        if (answer.byte == kStreamAccept || (rules.acceptAck && answer.byte == 'A')) {
            accepted += record.size;
            ++index;
            resends = 0;
            resend = false;
        } else if (answer.byte == kStreamResend) {
            if (resends >= rules.answerResends)
                return fail(-2, CBE_RESEND_FAILED);
            ++resends;
            resend = true;
        } else {
            return fail(-4, rules.otherByteEvent ? int(CBE_REFUSED) : -1);
        }
        report(callback, CBE_PROGRESS, percent(accepted, length));
        if (resend && rules.retryEvent)
            report(callback, CBE_RETRY, static_cast<std::uintptr_t>(resends));
    }
    channel.close();
    if (rules.doneEvent)
        report(callback, CBE_DONE, 8);
    return static_cast<int>(length);
}

} // namespace sorvane::link
