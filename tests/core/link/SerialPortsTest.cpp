#include "core/link/SerialPorts.h"
#include "core/api/Core.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace sorvane::link;

namespace {

SSerInfo record(const char* port, const char* friendly, const char* description)
{
    SSerInfo r;
    r.portName = QString::fromUtf8(port);
    r.friendlyName = QString::fromUtf8(friendly);
    r.description = QString::fromUtf8(description);
    return r;
}

struct SerialEnumeratorGuard {
    explicit SerialEnumeratorGuard(SerialEnumerator fn) { SetSerialEnumerator(fn); }
    ~SerialEnumeratorGuard() { SetSerialEnumerator(nullptr); }
};

void twoPorts(std::vector<SSerInfo>& ports)
{
    ports.push_back(record("", "USB Serial (ttyUSB3)", ""));
    ports.push_back(record("ttyS1", "", ""));
}

void samePortTwice(std::vector<SSerInfo>& ports)
{
    ports.push_back(record("ttyUSB0", "", ""));
    ports.push_back(record("", "Adapter (ttyUSB0)", ""));
}

void failing(std::vector<SSerInfo>& ports)
{
    ports.push_back(record("ttyS9", "", ""));
    throw std::runtime_error("Could not read the port list.");
}

}  // namespace

TEST(SerialTidying, PortNameFromTheFriendlyNamesParentheses)
{
    SSerInfo r = record("", "USB Serial Port (COM5)", "USB Serial Port");
    TidySerialRecord(r);
    EXPECT_EQ(r.portName, QStringLiteral("COM5"));
    EXPECT_EQ(r.description, QStringLiteral("USB Serial Port"));
    EXPECT_EQ(r.friendlyName, QStringLiteral("USB Serial Port (COM5)"));
}

TEST(SerialTidying, DescriptionCutBeforeTheParentheses)
{
    SSerInfo r = record("COM5", "USB Serial Port (COM5)", "");
    TidySerialRecord(r);
    EXPECT_EQ(r.description, QStringLiteral("USB Serial Port"));
    EXPECT_EQ(r.portName, QStringLiteral("COM5"));
}

TEST(SerialTidying, ParenthesisAtTheStartOrNotLastIsNotTaken)
{
    SSerInfo atStart = record("", "(COM5)", "");
    TidySerialRecord(atStart);
    EXPECT_EQ(atStart.portName, QStringLiteral("(COM5)"));
    EXPECT_EQ(atStart.description, QStringLiteral("(COM5)"));

    SSerInfo notLast = record("", "Modem (COM3) x", "");
    TidySerialRecord(notLast);
    EXPECT_EQ(notLast.portName, QStringLiteral("Modem (COM3) x"));
    EXPECT_EQ(notLast.description, QStringLiteral("Modem (COM3) x"));

    // The first ")" decides, even when a later one ends the text.
    SSerInfo twoGroups = record("", "Port (a) (COM2)", "");
    TidySerialRecord(twoGroups);
    EXPECT_EQ(twoGroups.portName, QStringLiteral("Port (a) (COM2)"));
    EXPECT_EQ(twoGroups.description, QStringLiteral("Port (a) (COM2)"));
}

TEST(SerialTidying, FriendlyNameAndDescriptionFallBackToThePortName)
{
    SSerInfo r = record("ttyUSB0", "", "");
    TidySerialRecord(r);
    EXPECT_EQ(r.friendlyName, QStringLiteral("ttyUSB0"));
    EXPECT_EQ(r.description, QStringLiteral("ttyUSB0"));

    SSerInfo kept = record("ttyACM0", "Board (ttyACM0)", "Board");
    TidySerialRecord(kept);
    EXPECT_EQ(kept.description, QStringLiteral("Board"));
    EXPECT_EQ(kept.portName, QStringLiteral("ttyACM0"));
}

TEST(SerialEnumeration, NamesOfTidiedRecordsInOrder)
{
    SerialEnumeratorGuard guard(twoPorts);
    std::vector<SSerInfo> ports{record("stale", "", "")};
    EnumSerialPorts(ports);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].portName, QStringLiteral("ttyUSB3"));
    EXPECT_EQ(ports[0].description, QStringLiteral("USB Serial"));

    CCore core;
    CUniqueArray<QString>* list = core.GetSerialPortList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->items(), (std::vector<QString>{QStringLiteral("ttyUSB3"), QStringLiteral("ttyS1")}));
    CCore::ReleaseSerialPortList(list);
}

TEST(SerialEnumeration, APortFoundTwiceIsListedOnce)
{
    SerialEnumeratorGuard guard(samePortTwice);
    CCore core;
    core.AddUserSerialPort(u"ttyUSB0");
    CUniqueArray<QString>* list = core.GetSerialPortList();
    ASSERT_NE(list, nullptr);
    // The list holds no two equal names, also when two records name one port.
    EXPECT_EQ(list->items(), (std::vector<QString>{QStringLiteral("ttyUSB0")}));
    CCore::ReleaseSerialPortList(list);
}

TEST(SerialEnumeration, FailureGivesAnEmptyListAndNoException)
{
    SerialEnumeratorGuard guard(failing);
    EXPECT_NO_THROW({
        CCore core;
        CUniqueArray<QString>* list = core.GetSerialPortList();
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(list->IsEmpty());
        CCore::ReleaseSerialPortList(list);
        core.EnumSerialPortList();
        EXPECT_EQ(core.GetSerialPortName(2), QStringLiteral("COM2"));
    });
}

TEST(SerialEnumeration, SystemMethodGivesTidiedNamedRecords)
{
    std::vector<SSerInfo> ports;
    ASSERT_NO_THROW(EnumSerialPorts(ports));
    for (const SSerInfo& p : ports) {
        EXPECT_FALSE(p.portName.isEmpty());
        EXPECT_FALSE(p.friendlyName.isEmpty());
        EXPECT_FALSE(p.description.isEmpty());
        EXPECT_TRUE(p.devicePath.endsWith(p.portName)) << p.devicePath.toStdString();
    }
}
