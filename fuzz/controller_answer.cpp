// The answers of a controller's reads as the core takes them: the first byte
// picks the read (hardware, version, network, Wi-Fi), the rest is the
// answer. Deciding and storing read the answer's bytes alone, and what an
// answer that was taken stores are values the settings take (the decision
// and the store agree on every field) with texts ended within their fields.
#include "core/api/Nodes.h"
#include "core/api/SettingLimits.h"
#include "core/api/WorkMode.h"
#include "core/link/Commands.h"
#include "core/model/GlobalInfo.h"
#include "fuzz/FuzzCheck.h"

#include <cstring>
#include <vector>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

bool ended(const char* field, std::size_t size)
{
    return std::memchr(field, 0, size) != nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The answer in a buffer of its own length, so a read past it is seen.
    const std::vector<std::uint8_t> answer(data + 1, data + size);
    const std::uint8_t* a = answer.empty() ? nullptr : answer.data();
    tagGlobalInfo g;
    InitGlobalInfo(g);
    switch (data[0] % 4) {
    case 0:
        if (HardwareAnswerAllowed(a, answer.size())) {
            ApplyHardwareAnswer(a, answer.size(), g);
            FUZZ_CHECK(ControllerAddressAllowed(g.ID), "a taken address reaches one controller");
            FUZZ_CHECK(PanelSizeAllowed(g.Width, g.Height), "a taken size fits a panel");
            FUZZ_CHECK(WorkModeKnown(g.Type) && ScanFitsWorkMode(g.Type, g.ScanMode), "a taken work mode and scan fit");
            FUZZ_CHECK(SwitchTimeAllowed(g.HourSU, g.MinSU) && SwitchTimeAllowed(g.HourSD, g.MinSD)
                           && WeekDaysAllowed(g.WeekSD),
                       "taken switch times are times of a week");
        }
        break;
    case 1:
        if (VersionAnswerAllowed(a, answer.size())) {
            ApplyVersionAnswer(a, answer.size(), g);
            FUZZ_CHECK(g.HardwareId != 0 && g.RemoteVersion != 0xFFFFFFFFu, "a taken version names a board");
        }
        break;
    case 2:
        if (IpAnswerAllowed(a, answer.size())) {
            ApplyIpAnswer(a, answer.size(), g);
            FUZZ_CHECK(AddressSourceAllowed(g.DhcpFlag) && DevicePortAllowed(g.DevicePort), "taken network values fit");
            FUZZ_CHECK(ended(g.DeviceName, sizeof g.DeviceName), "the device name ends in its field");
        }
        break;
    default:
        if (WifiAnswerAllowed(a, answer.size())) {
            ApplyWifiAnswer(a, answer.size(), g);
            FUZZ_CHECK(WifiChoiceAllowed(g.WifiMode) && WifiChoiceAllowed(g.WifiSecurity)
                           && WifiChoiceAllowed(g.WifiEncryption),
                       "taken Wi-Fi choices are offered ones");
            FUZZ_CHECK(ended(g.WifiSsid, sizeof g.WifiSsid) && ended(g.WifiKey, sizeof g.WifiKey),
                       "Wi-Fi texts end in their fields");
        }
        break;
    }
    return 0;
}
