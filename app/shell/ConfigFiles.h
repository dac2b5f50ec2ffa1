#pragma once
// "config.ini" and "usr.ini": the program-wide settings, the open-screen lists
// and the core's search lists and flags. Reading pushes into the core; writing
// reads back from it, in the order the files are written.
#include "platform/Languages.h"
#include "platform/OperatorFile.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class CCore;

namespace shell {

// One entry per screen open when the program last ended, in tree order.
struct OpenScreenLists {
    QStringList savePath;
    std::vector<int> commMode;
    std::vector<int> serialPort;
    std::vector<int> baudRate;
    std::vector<int> adapter;
    QStringList mac;
    std::vector<std::uint8_t> dhcpEnable;
    std::vector<std::uint8_t> useDomain;
    QStringList addr;
    std::vector<std::uint16_t> port;

    bool operator==(const OpenScreenLists&) const = default;
};

struct ShellSettings {
    // config.ini [Config]
    int language = platform::kLangAutomatic;
    int closeByTray = 0;
    int autoRetrieve = 1;
    // usr.ini [usr]
    int ci = 1;
    int defaultLedSize = 3;   // 1..3
    int isQuitNote = 0;
    int isSaveLED = 1;
    OpenScreenLists screens;

    bool operator==(const ShellSettings&) const = default;
};

// Reads "config.ini" at `path` into the core and the settings. Missing keys
// keep the defaults; malformed numbers read as 0. A search list present in the
// file replaces the core's list (so removed defaults stay removed). Values
// come in the ranges the settings dialogs allow. The reader's result: Ok also
// for a missing file; any other leaves everything on its defaults.
platform::FileRead LoadConfigIni(CCore& core, ShellSettings& settings, const QString& path);
// False when the file could not be written.
bool SaveConfigIni(const CCore& core, const ShellSettings& settings, const QString& path);
platform::FileRead LoadUsrIni(ShellSettings& settings, const QString& path);
bool SaveUsrIni(const ShellSettings& settings, const QString& path);

} // namespace shell
