#pragma once
// Shared pieces of the device dialog tests: rights for one test, screens
// bound to the simulated controller over TCP or a pseudo-terminal, the
// language packs and screenshots.
#include "app/dialogs/access/AccessRights.h"
#include "core/api/Core.h"
#include "core/model/GlobalInfo.h"
#include "core/model/ItemData.h"
#include "core/api/ItemTypes.h"
#include "platform/Clock.h"
#include "platform/LangPack.h"
#include "support/Widgets.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QTest>
#include <QString>
#include <QWidget>
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace dialogs {
// Tests only: the rights mask has no setter, it only grows in the program.
struct AccessRightsTestReset {
    static void set(std::uint32_t v) { AccessRights::s_value = v; }
};
} // namespace dialogs

namespace devicetest {

// Rights for one test; 0 again afterwards.
class RightsScope {
public:
    explicit RightsScope(std::uint32_t rights = 0) { dialogs::AccessRightsTestReset::set(rights); }
    ~RightsScope() { dialogs::AccessRightsTestReset::set(0); }
    RightsScope(const RightsScope&) = delete;
    RightsScope& operator=(const RightsScope&) = delete;
};

// The colour the controller's answer is drawn in (every device dialog's result is 6309).
inline QColor resultColour(const QWidget* dlg)
{
    return support::findByControlId<QLabel>(dlg, 6309)->palette().color(QPalette::WindowText);
}
inline const QColor kSuccessColour(0, 0x80, 0);

inline std::vector<std::uint8_t> image(const tagGlobalInfo& g)
{
    std::vector<std::uint8_t> out(GLOBALINFO_SIZE);
    WriteGlobalInfo(g, out.data());
    return out;
}

inline void setText(char* field, std::size_t size, const char* text)
{
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

inline void bindTcp(tagItemData* screen, std::uint16_t port)
{
    tagGlobalInfo& g = screen->Global;
    g.CommType = COMM_NETWORK;
    setText(g.Host, sizeof g.Host, "127.0.0.1");
    g.HostKind = 0;
    g.HostPort = port;
}

inline void bindPty(CCore& core, tagItemData* screen, const std::string& path)
{
    const QString name = QString::fromStdString(path);
    core.AddUserSerialPort(reinterpret_cast<const char16_t*>(name.utf16()));
    screen->Global.CommType = COMM_SERIAL;
    screen->Global.SerialPort = static_cast<std::uint32_t>(core.GetSerialPortNumber(name));
    screen->Global.BaudRate = 57600;
}

// The screen's serial link on a port no device has. A closed
// pseudo-terminal's number goes at once to the next one opened, maybe by
// another test's controller, which would answer in its place.
inline void bindNoDevice(CCore& core, tagItemData* screen)
{
    bindPty(core, screen, "/nonexistent/tty-of-no-controller");
}

// A screen under the core's root, with the settings of a new one.
inline tagItemData* newScreen(CCore& core)
{
    return core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
}

// Clicks a button; check boxes and radios on their indicator, which is
// inside what they take as a hit whatever their width.
inline void click(QAbstractButton* b)
{
    ASSERT_NE(b, nullptr);
    const bool indicator = qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b);
    QTest::mouseClick(b, Qt::LeftButton, {}, indicator ? QPoint(6, b->height() / 2) : b->rect().center());
}

// Loads a built language pack (UI_EN.rcc, UI_CN.rcc, UI_TW.rcc).
inline bool loadPack(const char* name)
{
    QString error;
    const bool ok = platform::loadLangPack(QStringLiteral(TAVRELO_SHELL_PACK_DIR "/") + QLatin1String(name), &error);
    EXPECT_TRUE(ok) << error.toStdString();
    return ok;
}

inline constexpr const char* kPacks[] = {"UI_EN.rcc", "UI_CN.rcc", "UI_TW.rcc"};
inline QString packTag(const char* pack)
{
    return QString::fromLatin1(pack).mid(3, 2).toLower();
}

// Leaves a picture of the widget for review in test-output/dialogs.
inline void saveShot(QWidget& w, const QString& name)
{
    const QString dir = QString::fromLocal8Bit(qgetenv("TAVRELO_TEST_OUTPUT")) + "/dialogs";
    QDir().mkpath(dir);
    w.adjustSize();
    EXPECT_TRUE(w.grab().save(dir + u'/' + name + ".png"));
}

// The packs are forgotten again after the test.
struct PackScope {
    ~PackScope() { platform::clearLangPack(); }
};

} // namespace devicetest
