#include "app/dialogs/access/AccessRights.h"

#include "app/spine/CommandIds.h"

#include "app/dialogs/access/AuthorityDlg.h"

namespace dialogs {

namespace {
struct AccessCode {
    const char16_t* code;
    std::uint32_t mask;
};
// Searched in this order; the first equal row wins.
constexpr AccessCode kCodes[] = {
    {u"418", RIGHT_DEVICE_SETTINGS},
    {u"593", RIGHT_DEVICE_SETTINGS | RIGHT_UPGRADE},
    {u"RV#", RIGHT_DEVICE_SETTINGS | RIGHT_UPGRADE | RIGHT_ANY_VERSION},
};
} // namespace

std::uint32_t MatchAccessCode(const QString& code)
{
    for (const AccessCode& row : kCodes) {
        if (code == QString::fromUtf16(row.code))
            return row.mask;
    }
    return 0;
}

bool CommandNeedsDeviceRights(int commandId)
{
    // The commands that open the hardware, IP and Wi-Fi settings and the wizard.
    switch (commandId) {
    case spine::ID_HARDWARE_SETTINGS:
    case spine::ID_NETWORK_SETTINGS:
    case spine::ID_WIFI_SETTINGS:
    case spine::ID_WIZARD: return true;
    default: return false;
    }
}

bool PassAccessGate(int commandId, QWidget* parent)
{
    if (!CommandNeedsDeviceRights(commandId) || AccessRights::has(RIGHT_DEVICE_SETTINGS))
        return true;
    CAuthorityDlg dlg(parent);
    // Any accepted code is enough: every row carries the settings bit.
    return dlg.exec() == QDialog::Accepted;
}

} // namespace dialogs
