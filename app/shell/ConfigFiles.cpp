#include "app/shell/ConfigFiles.h"

#include "app/shell/AppHelpers.h"

#include "core/api/Core.h"
#include "platform/ProfileIni.h"

#include <algorithm>

namespace shell {

using platform::JoinProfileList;
using platform::ProfileFile;
using platform::ProfileTextToInt;
using platform::SplitProfileList;

namespace {

const QString kConfig = QStringLiteral("Config");
const QString kCommInfo = QStringLiteral("CommInfo");

int readInt(const ProfileFile& f, const QString& section, const QString& key, int fallback)
{
    return f.contains(section, key) ? ProfileTextToInt(f.value(section, key)) : fallback;
}

// An option the settings dialog shows as a check: any value but 0 was taken
// as set, so it stays set.
int readFlag(const ProfileFile& f, const QString& section, const QString& key, int fallback)
{
    return readInt(f, section, key, fallback) != 0 ? 1 : 0;
}

QList<int> readIntList(const ProfileFile& f, const QString& section, const QString& key)
{
    QList<int> out;
    for (const QString& entry : SplitProfileList(f.value(section, key)))
        out.append(ProfileTextToInt(entry));
    return out;
}

template <typename T>
std::vector<T> readTypedList(const ProfileFile& f, const QString& key)
{
    std::vector<T> out;
    for (int v : readIntList(f, kCommInfo, key))
        out.push_back(static_cast<T>(v));   // stored in the lists' own widths
    return out;
}

template <typename Range>
QString joinNumbers(const Range& values)
{
    QString out;
    for (auto v : values)
        out += QString::number(static_cast<int>(v)) + u';';
    return out;
}

bool validPort(int v)
{
    return v > 0 && v <= 0xFFFF;
}

template <typename T>
QString joinCoreList(CUniqueArray<T>* list, int (*release)(CUniqueArray<T>*))
{
    QString out;
    if (!list)
        return out;
    for (int i = 0; i < list->GetSize(); ++i) {
        if constexpr (std::is_same_v<T, QString>)
            out += (*list)[i] + u';';
        else
            out += QString::number(static_cast<int>((*list)[i])) + u';';
    }
    release(list);
    return out;
}

} // namespace

platform::FileRead LoadConfigIni(CCore& core, ShellSettings& s, const QString& path)
{
    ProfileFile f;
    platform::FileRead read = platform::FileRead::Ok;
    if (!f.load(path, &read))
        return read;
    core.EnableSerialPort(readInt(f, kConfig, QStringLiteral("SerialPortEnabled"), core.IsSerialPortEnabled()));
    core.EnableLan(readInt(f, kConfig, QStringLiteral("LanEnabled"), core.IsLanEnabled()));
    core.EnableWan(readInt(f, kConfig, QStringLiteral("WanEnabled"), core.IsWanEnabled()));
    core.SetSingleScreen(readInt(f, kConfig, QStringLiteral("SingleScreen"), core.IsSingleScreen()));

    // Values are read whole, however long: a list never loses entries.
    if (f.contains(kConfig, QStringLiteral("ScreenScope"))) {
        core.RemoveAllScreenScope();
        for (int v : readIntList(f, kConfig, QStringLiteral("ScreenScope")))
            core.AddScreenScope(v);
    }
    for (const QString& name : SplitProfileList(f.value(kConfig, QStringLiteral("UserSerial"))))
        core.AddUserSerialPort(wide(name));
    for (const QString& name : SplitProfileList(f.value(kConfig, QStringLiteral("IgnoreSerial"))))
        core.AddIgnoreSerialPort(wide(name));
    for (int v : readIntList(f, kConfig, QStringLiteral("IgnoreAdapter")))
        core.AddIgnoreAdapter(v);
    if (f.contains(kConfig, QStringLiteral("RetrievePort"))) {
        if (CUniqueArray<unsigned short>* held = core.GetPortList()) {
            for (int i = 0; i < held->GetSize(); ++i)
                core.DelPort((*held)[i]);
            CCore::ReleasePortList(held);
        }
        // A number that is no port would become another port in 16 bits.
        for (int v : readIntList(f, kConfig, QStringLiteral("RetrievePort")))
            if (validPort(v))
                core.AddPort(static_cast<unsigned short>(v));
    }
    for (int v : readIntList(f, kConfig, QStringLiteral("IgnorePort")))
        if (validPort(v))
            core.AddIgnorePort(static_cast<unsigned short>(v));

    OpenScreenLists& l = s.screens;
    l = OpenScreenLists{};
    l.savePath = SplitProfileList(f.value(QStringLiteral("File"), QStringLiteral("SavePath")));
    l.commMode = readTypedList<int>(f, QStringLiteral("Commmode"));
    l.serialPort = readTypedList<int>(f, QStringLiteral("Serialport"));
    l.baudRate = readTypedList<int>(f, QStringLiteral("Baudrate"));
    l.adapter = readTypedList<int>(f, QStringLiteral("Adapter"));
    l.mac = SplitProfileList(f.value(kCommInfo, QStringLiteral("Mac")));
    l.dhcpEnable = readTypedList<std::uint8_t>(f, QStringLiteral("DhcpEnable"));
    l.useDomain = readTypedList<std::uint8_t>(f, QStringLiteral("Usedomain"));
    l.addr = SplitProfileList(f.value(kCommInfo, QStringLiteral("Addr")));
    l.port = readTypedList<std::uint16_t>(f, QStringLiteral("Port"));

    s.closeByTray = readFlag(f, kConfig, QStringLiteral("CloseByTray"), 0);
    s.language = readInt(f, kConfig, QStringLiteral("Language"), platform::kLangAutomatic);
    s.autoRetrieve = readFlag(f, kConfig, QStringLiteral("AutoRetrieve"), 1);
    const int threshold = readInt(f, kConfig, QStringLiteral("Threshold"), int(CCore::GetColorThreshold()));
    CCore::SetColorThreshold(static_cast<unsigned long>(std::clamp(threshold, 0, 255)));
    return read;
}

bool SaveConfigIni(const CCore& core, const ShellSettings& s, const QString& path)
{
    ProfileFile f;
    if (!f.load(path))
        return false;
    auto put = [&](const QString& section, const char* key, const QString& value) {
        f.setValue(section, QString::fromLatin1(key), value);
    };
    auto putInt = [&](const QString& section, const char* key, int value) {
        put(section, key, QString::number(value));
    };
    putInt(QStringLiteral("Version"), "Ver", 1);
    putInt(kConfig, "SerialPortEnabled", core.IsSerialPortEnabled());
    putInt(kConfig, "LanEnabled", core.IsLanEnabled());
    putInt(kConfig, "WanEnabled", core.IsWanEnabled());
    putInt(kConfig, "SingleScreen", core.IsSingleScreen());
    put(kConfig, "ScreenScope", joinCoreList(core.GetScreenScope(), &CCore::ReleaseScreenScope));
    put(kConfig, "UserSerial", joinCoreList(core.GetUserSerialPortList(), &CCore::ReleaseUserSerialPortList));
    put(kConfig, "IgnoreSerial", joinCoreList(core.GetIgnoreSerialPortList(), &CCore::ReleaseIgnoreSerialPortList));
    put(kConfig, "IgnoreAdapter", joinCoreList(core.GetIgnoreAdapterList(), &CCore::ReleaseIgnoreAdapterList));
    put(kConfig, "RetrievePort", joinCoreList(core.GetPortList(), &CCore::ReleasePortList));
    put(kConfig, "IgnorePort", joinCoreList(core.GetIgnorePortList(), &CCore::ReleaseIgnorePortList));

    const OpenScreenLists& l = s.screens;
    put(QStringLiteral("File"), "SavePath", JoinProfileList(l.savePath));
    put(kCommInfo, "Commmode", joinNumbers(l.commMode));
    put(kCommInfo, "Serialport", joinNumbers(l.serialPort));
    put(kCommInfo, "Baudrate", joinNumbers(l.baudRate));
    put(kCommInfo, "Adapter", joinNumbers(l.adapter));
    put(kCommInfo, "Mac", JoinProfileList(l.mac));
    put(kCommInfo, "DhcpEnable", joinNumbers(l.dhcpEnable));
    put(kCommInfo, "Usedomain", joinNumbers(l.useDomain));
    put(kCommInfo, "Addr", JoinProfileList(l.addr));
    put(kCommInfo, "Port", joinNumbers(l.port));

    putInt(kConfig, "CloseByTray", s.closeByTray);
    putInt(kConfig, "Language", s.language);
    putInt(kConfig, "AutoRetrieve", s.autoRetrieve);
    putInt(kConfig, "Threshold", int(CCore::GetColorThreshold()));
    return f.save(path);
}

platform::FileRead LoadUsrIni(ShellSettings& s, const QString& path)
{
    ProfileFile f;
    platform::FileRead read = platform::FileRead::Ok;
    if (!f.load(path, &read))
        return read;
    const QString usr = QStringLiteral("usr");
    s.ci = readFlag(f, usr, QStringLiteral("CI"), 1);
    s.defaultLedSize = std::clamp(readInt(f, usr, QStringLiteral("DefaultLedSize"), 3), 1, 3);
    s.isQuitNote = readFlag(f, usr, QStringLiteral("IsQuitNote"), 0);
    s.isSaveLED = readFlag(f, usr, QStringLiteral("IsSaveLED"), 1);
    return read;
}

bool SaveUsrIni(const ShellSettings& s, const QString& path)
{
    ProfileFile f;
    if (!f.load(path))
        return false;
    const QString usr = QStringLiteral("usr");
    f.setValue(usr, QStringLiteral("CI"), QString::number(s.ci));
    f.setValue(usr, QStringLiteral("DefaultLedSize"), QString::number(s.defaultLedSize));
    f.setValue(usr, QStringLiteral("IsQuitNote"), QString::number(s.isQuitNote));
    f.setValue(usr, QStringLiteral("IsSaveLED"), QString::number(s.isSaveLED));
    return f.save(path);
}

} // namespace shell
