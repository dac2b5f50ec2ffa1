#pragma once
// The program-wide rights mask that gates the controller settings dialogs and
// the firmware upgrade. It starts at 0, is never stored and only ever grows:
// the access dialog raises it when a code matches.
#include <QString>
#include <cstdint>

class QWidget;

namespace dialogs {

inline constexpr std::uint32_t RIGHT_DEVICE_SETTINGS = 1;
inline constexpr std::uint32_t RIGHT_UPGRADE = 2;
inline constexpr std::uint32_t RIGHT_ANY_VERSION = 4;

class AccessRights {
public:
    static std::uint32_t value() { return s_value; }
    static bool has(std::uint32_t bits) { return (s_value & bits) == bits; }

private:
    friend class CAuthorityDlg;
    friend struct AccessRightsTestReset;   // defined by tests only
    static void raise(std::uint32_t mask) { s_value |= mask; }
    static inline std::uint32_t s_value = 0;
};

// The mask of the first code the text equals exactly, or 0.
std::uint32_t MatchAccessCode(const QString& code);

// Whether a main-frame command needs RIGHT_DEVICE_SETTINGS.
bool CommandNeedsDeviceRights(int commandId);

// The gate of those commands: true at once when the rights are held, else
// the access dialog runs and the command goes on only when a code was
// accepted. Other commands pass.
bool PassAccessGate(int commandId, QWidget* parent);

} // namespace dialogs
