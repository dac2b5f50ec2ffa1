#pragma once
// What goes into the USB-stick file: the content flags the core's writer
// takes, the clock offset, and the destination list of removable volumes
// and picked folders.
#include "core/api/UsbFile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace dialogs {

// Kind 0 content (bits 0-2 from the ticks), 1 reset, 2 clear, 3 firmware.
class UsbContent {
public:
    explicit UsbContent(unsigned flags = USB_PROGRAMS | USB_HARDWARE) : m_flags(flags) {}
    unsigned flags() const { return m_flags; }
    // The highest of bits 3-5 decides; none of them: kind 0.
    int kind() const;
    void chooseKind(int kind, bool clock, bool hardware, bool programs);
    void setBit(unsigned bit, bool on);

private:
    unsigned m_flags;
};

// The controller time word plus an offset in seconds, without wrapping.
std::uint32_t AddClockOffset(std::uint32_t time, std::int64_t offset);

// The volumes as the drive query gives them (every root ended by ";").
QStringList SplitDrives(const QString& list);

// The destination combo's entries: drives, picked folders, then the picker.
class UsbDestinations {
public:
    const QStringList& drives() const { return m_drives; }
    const QStringList& folders() const { return m_folders; }
    QStringList entries(const QString& pickerText) const { return m_drives + m_folders + QStringList{pickerText}; }
    int pickerIndex() const { return int(m_drives.size() + m_folders.size()); }
    // New drives; true when they differ from the old ones.
    bool setDrives(const QStringList& drives);
    // The folder of a picked file path (ending with "/"); its index in the entries.
    int addPickedFile(const QString& path);

private:
    QStringList m_drives;
    QStringList m_folders;
};

} // namespace dialogs
