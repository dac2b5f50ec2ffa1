#include "app/dialogs/usb/UsbExport.h"

#include "platform/ProfileIni.h"

#include <algorithm>
#include <limits>

namespace dialogs {

int UsbContent::kind() const
{
    if (m_flags & USB_FIRMWARE)
        return 3;
    if (m_flags & USB_CLEAR)
        return 2;
    if (m_flags & USB_RESET)
        return 1;
    return 0;
}

void UsbContent::chooseKind(int kind, bool clock, bool hardware, bool programs)
{
    m_flags &= ~0x3Fu;
    switch (kind) {
    case 0:
        m_flags |= (clock ? unsigned(USB_CLOCK) : 0u) | (hardware ? unsigned(USB_HARDWARE) : 0u) | (programs ? unsigned(USB_PROGRAMS) : 0u);
        break;
    case 1: m_flags |= USB_RESET; break;
    case 2: m_flags |= USB_CLEAR; break;
    default: m_flags |= USB_FIRMWARE; break;
    }
}

void UsbContent::setBit(unsigned bit, bool on)
{
    if (on)
        m_flags |= bit;
    else
        m_flags &= ~bit;
}

std::uint32_t AddClockOffset(std::uint32_t time, std::int64_t offset)
{
    const std::int64_t sum = std::int64_t(time) + offset;
    return std::uint32_t(std::clamp<std::int64_t>(sum, 0, std::numeric_limits<std::uint32_t>::max()));
}

QStringList SplitDrives(const QString& list)
{
    QStringList out;
    for (const QString& d : platform::SplitProfileList(list)) {
        if (!d.isEmpty())
            out.append(d.endsWith(u'/') ? d : d + u'/');
    }
    return out;
}

bool UsbDestinations::setDrives(const QStringList& drives)
{
    if (drives == m_drives)
        return false;
    m_drives = drives;
    return true;
}

int UsbDestinations::addPickedFile(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return -1;
    const QString folder = path.left(slash + 1);
    const int drive = int(m_drives.indexOf(folder));
    if (drive >= 0)
        return drive;
    if (!m_folders.contains(folder))
        m_folders.append(folder);
    return int(m_drives.size() + m_folders.indexOf(folder));
}

} // namespace dialogs
