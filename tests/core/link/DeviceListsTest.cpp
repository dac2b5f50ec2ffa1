#include "core/link/Adapters.h"
#include "core/link/SerialPorts.h"
#include "core/api/Core.h"

#include <gtest/gtest.h>
#include <cstring>

using namespace sorvane::link;

namespace {

// Reaches the fill-the-caller's-list forms.
struct CoreProbe : CCore {
    using CCore::GetAdapterList;
    using CCore::GetIgnoreAdapterList;
    using CCore::GetIgnorePortList;
    using CCore::GetIgnoreSerialPortList;
    using CCore::GetPortList;
    using CCore::GetScreenScope;
    using CCore::GetSerialPortList;
    using CCore::GetUserSerialPortList;
    using CCore::GetValidAdapterList;
    using CCore::GetValidPortList;
    using CCore::GetValidSerialPortList;
};

std::vector<SSerInfo> g_ports;
void fakeSerial(std::vector<SSerInfo>& ports)
{
    ports = g_ports;
}

std::vector<pcapdevinfo> g_adapters;
int fakeAdapters(CUniqueArray<pcapdevinfo>& list)
{
    for (const pcapdevinfo& a : g_adapters)
        list.Add(a);
    return list.GetSize();
}

pcapdevinfo adapter(std::uint32_t index, const char* name)
{
    pcapdevinfo a;
    std::memset(&a, 0, sizeof a);
    a.index = index;
    std::strcpy(a.name, name);
    return a;
}

void setPorts(std::initializer_list<const char*> names)
{
    g_ports.clear();
    for (const char* n : names) {
        SSerInfo r;
        r.portName = QString::fromUtf8(n);
        g_ports.push_back(r);
    }
}

class DeviceLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        setPorts({});
        g_adapters.clear();
        SetSerialEnumerator(fakeSerial);
        SetAdapterEnumerator(fakeAdapters);
    }
    void TearDown() override
    {
        SetSerialEnumerator(nullptr);
        SetAdapterEnumerator(nullptr);
    }
};

template <typename T>
std::vector<T> take(CUniqueArray<T>* list, int (*release)(CUniqueArray<T>*))
{
    EXPECT_NE(list, nullptr);
    if (!list)
        return {};
    std::vector<T> out = list->items();
    EXPECT_EQ(release(list), 1);
    return out;
}

QString q(const char* s) { return QString::fromUtf8(s); }

}  // namespace

TEST_F(DeviceLists, FreshObjectHoldsPort8080AndScope1)
{
    CCore core;
    EXPECT_EQ(take(core.GetPortList(), CCore::ReleasePortList), (std::vector<unsigned short>{8080}));
    EXPECT_EQ(take(core.GetScreenScope(), CCore::ReleaseScreenScope), (std::vector<int>{1}));
    EXPECT_TRUE(take(core.GetIgnorePortList(), CCore::ReleaseIgnorePortList).empty());
    EXPECT_TRUE(take(core.GetUserSerialPortList(), CCore::ReleaseUserSerialPortList).empty());
    EXPECT_TRUE(take(core.GetIgnoreAdapterList(), CCore::ReleaseIgnoreAdapterList).empty());
}

TEST_F(DeviceLists, AddAndRemoveResults)
{
    CCore core;
    EXPECT_EQ(core.AddPort(8080), 0);
    EXPECT_EQ(core.AddIgnorePort(8080), 0);
    EXPECT_EQ(core.AddPort(9000), 1);
    EXPECT_EQ(core.AddPort(9000), 0);
    EXPECT_EQ(core.DelPort(9000), 1);
    EXPECT_EQ(core.DelPort(9000), 0);

    EXPECT_EQ(core.AddIgnorePort(7000), 1);
    EXPECT_EQ(core.AddIgnorePort(8080), 0);
    EXPECT_EQ(core.RemoveIgnorePort(8080), 1);
    EXPECT_EQ(core.RemoveIgnorePort(8080), 0);

    EXPECT_EQ(core.AddIgnoreAdapter(4), 0);
    EXPECT_EQ(core.AddIgnoreAdapter(7), 1);
    EXPECT_EQ(core.AddIgnoreAdapter(4), 0);
    EXPECT_EQ(core.RemoveIgnoreAdapter(4), 1);
    EXPECT_EQ(core.RemoveIgnoreAdapter(4), 0);

    EXPECT_EQ(core.AddScreenScope(1), 0);
    EXPECT_EQ(core.AddScreenScope(9), 1);
    EXPECT_EQ(core.RemoveScreenScope(1), 1);
    EXPECT_EQ(core.RemoveScreenScope(1), 0);

    EXPECT_EQ(core.AddUserSerialPort(u"COM3"), 0);
    EXPECT_EQ(core.AddUserSerialPort(u"com3"), 1);
    EXPECT_EQ(core.AddUserSerialPort(u"COM3"), 0);
    EXPECT_EQ(core.AddUserSerialPort(nullptr), -1);
    EXPECT_EQ(core.RemoveUserSerialPort(u"Com3"), 0);
    EXPECT_EQ(core.RemoveUserSerialPort(u"com3"), 1);
    EXPECT_EQ(core.RemoveUserSerialPort(nullptr), 0);

    EXPECT_EQ(core.AddIgnoreSerialPort(u"ttyS0"), 0);
    EXPECT_EQ(core.AddIgnoreSerialPort(u"ttyS1"), 1);
    EXPECT_EQ(core.RemoveIgnoreSerialPort(u"ttyS0"), 1);
    EXPECT_EQ(core.RemoveIgnoreSerialPort(u"ttyS0"), 0);

    core.RemoveAllUserSerialPort();
    core.RemoveAllIgnoreSerialPort();
    core.RemoveAllIgnoreAdapter();
    core.RemoveAllIgnorePort();
    core.RemoveAllScreenScope();
    EXPECT_TRUE(take(core.GetUserSerialPortList(), CCore::ReleaseUserSerialPortList).empty());
    EXPECT_TRUE(take(core.GetIgnoreSerialPortList(), CCore::ReleaseIgnoreSerialPortList).empty());
    EXPECT_TRUE(take(core.GetIgnoreAdapterList(), CCore::ReleaseIgnoreAdapterList).empty());
    EXPECT_TRUE(take(core.GetIgnorePortList(), CCore::ReleaseIgnorePortList).empty());
    EXPECT_TRUE(take(core.GetScreenScope(), CCore::ReleaseScreenScope).empty());
    EXPECT_EQ(take(core.GetPortList(), CCore::ReleasePortList), (std::vector<unsigned short>{8080}));
}

TEST_F(DeviceLists, SerialListMergesUserPortsAndDropsIgnoredOnes)
{
    setPorts({"COM3", "ttyS0"});
    CCore core;
    core.AddUserSerialPort(u"COM3");
    core.AddUserSerialPort(u"com3");
    core.AddUserSerialPort(u"ttyUSB1");
    EXPECT_EQ(take(core.GetSerialPortList(), CCore::ReleaseSerialPortList),
              (std::vector<QString>{q("COM3"), q("ttyS0"), q("com3"), q("ttyUSB1")}));

    core.AddIgnoreSerialPort(u"ttyS0");
    core.AddIgnoreSerialPort(u"ttyUSB1");
    core.AddIgnoreSerialPort(u"COM9");
    EXPECT_EQ(take(core.GetValidSerialPortList(), CCore::ReleaseValidSerialPortList),
              (std::vector<QString>{q("COM3"), q("com3")}));
    EXPECT_EQ(take(core.GetUserSerialPortList(), CCore::ReleaseUserSerialPortList),
              (std::vector<QString>{q("COM3"), q("com3"), q("ttyUSB1")}));
    EXPECT_EQ(take(core.GetIgnoreSerialPortList(), CCore::ReleaseIgnoreSerialPortList),
              (std::vector<QString>{q("ttyS0"), q("ttyUSB1"), q("COM9")}));
}

TEST_F(DeviceLists, HeapCopiesAreIndependent)
{
    setPorts({"ttyS0"});
    g_adapters = {adapter(0, "eth0")};
    CCore core;

    CUniqueArray<QString>* serial = core.GetSerialPortList();
    serial->Add(q("extra"));
    serial->RemoveAt(0);
    CUniqueArray<unsigned short>* ports = core.GetPortList();
    ports->RemoveAll();
    CUniqueArray<int>* scope = core.GetScreenScope();
    scope->Add(50);
    CUniqueArray<pcapdevinfo>* adapters = core.GetAdapterList();
    pcapdevinfo changed = (*adapters)[0];
    changed.name[0] = 'X';
    adapters->RemoveAll();
    adapters->Add(changed);

    EXPECT_EQ(take(core.GetSerialPortList(), CCore::ReleaseSerialPortList), (std::vector<QString>{q("ttyS0")}));
    EXPECT_EQ(take(core.GetPortList(), CCore::ReleasePortList), (std::vector<unsigned short>{8080}));
    EXPECT_EQ(take(core.GetScreenScope(), CCore::ReleaseScreenScope), (std::vector<int>{1}));
    EXPECT_EQ(core.GetAdapterName(0), QByteArray("eth0"));

    // A list handed out stays valid after the core's own list changes.
    core.AddPort(9000);
    EXPECT_TRUE(ports->IsEmpty());

    EXPECT_EQ(CCore::ReleaseSerialPortList(serial), 1);
    EXPECT_EQ(CCore::ReleasePortList(ports), 1);
    EXPECT_EQ(CCore::ReleaseScreenScope(scope), 1);
    EXPECT_EQ(CCore::ReleaseAdapterList(adapters), 1);
}

TEST_F(DeviceLists, ReleaseOfNullGivesZero)
{
    EXPECT_EQ(CCore::ReleaseSerialPortList(nullptr), 0);
    EXPECT_EQ(CCore::ReleaseValidSerialPortList(nullptr), 0);
    EXPECT_EQ(CCore::ReleaseUserSerialPortList(nullptr), 0);
    EXPECT_EQ(CCore::ReleaseIgnoreSerialPortList(nullptr), 0);
    EXPECT_EQ(CCore::ReleaseAdapterList(nullptr), 0);
    EXPECT_EQ(CCore::ReleaseValidAdapterList(nullptr), 0);
    EXPECT_EQ(CCore::ReleaseIgnoreAdapterList(nullptr), 0);
    EXPECT_EQ(CCore::ReleasePortList(nullptr), 0);
    EXPECT_EQ(CCore::ReleaseIgnorePortList(nullptr), 0);
    EXPECT_EQ(CCore::ReleaseScreenScope(nullptr), 0);
}

TEST_F(DeviceLists, CallerListFormsEmptyAndFill)
{
    setPorts({"ttyS0", "ttyS1"});
    g_adapters = {adapter(0, "eth0"), adapter(1, "eth1")};
    CoreProbe core;
    core.AddPort(9000);
    core.AddPort(9100);
    core.AddIgnorePort(8080);
    core.AddIgnorePort(9100);
    core.AddIgnoreSerialPort(u"ttyS0");
    core.AddIgnoreAdapter(0);
    core.RemoveAllScreenScope();
    for (int a : {12, 3, 200})
        core.AddScreenScope(a);

    CUniqueArray<unsigned short> ports;
    ports.Add(1);
    EXPECT_EQ(core.GetValidPortList(&ports), 1);
    EXPECT_EQ(ports.items(), (std::vector<unsigned short>{9000}));
    EXPECT_EQ(core.GetPortList(&ports), 1);
    EXPECT_EQ(ports.items(), (std::vector<unsigned short>{8080, 9000, 9100}));
    EXPECT_EQ(core.GetIgnorePortList(&ports), 1);
    EXPECT_EQ(ports.items(), (std::vector<unsigned short>{8080, 9100}));

    CUniqueArray<QString> names;
    names.Add(q("junk"));
    EXPECT_EQ(core.GetValidSerialPortList(&names), 1);
    EXPECT_EQ(names.items(), (std::vector<QString>{q("ttyS1")}));
    EXPECT_EQ(core.GetSerialPortList(&names), 1);
    EXPECT_EQ(names.items(), (std::vector<QString>{q("ttyS0"), q("ttyS1")}));
    EXPECT_EQ(core.GetIgnoreSerialPortList(&names), 1);
    EXPECT_EQ(names.items(), (std::vector<QString>{q("ttyS0")}));
    EXPECT_EQ(core.GetUserSerialPortList(&names), 1);
    EXPECT_TRUE(names.IsEmpty());

    CUniqueArray<pcapdevinfo> adapters;
    adapters.Add(adapter(9, "old"));
    EXPECT_EQ(core.GetValidAdapterList(&adapters), 1);
    ASSERT_EQ(adapters.GetSize(), 1);
    EXPECT_STREQ(adapters[0].name, "eth1");
    EXPECT_EQ(core.GetAdapterList(&adapters), 1);
    EXPECT_EQ(adapters.GetSize(), 2);

    // The caller's form keeps the order the addresses were added in.
    CUniqueArray<int> scope;
    EXPECT_EQ(core.GetScreenScope(&scope), 1);
    EXPECT_EQ(scope.items(), (std::vector<int>{12, 3, 200}));
    EXPECT_EQ(core.GetIgnoreAdapterList(&scope), 1);
    EXPECT_EQ(scope.items(), (std::vector<int>{0}));

    using Getter = int (CoreProbe::*)(void*) const;
    const Getter getters[] = {&CoreProbe::GetSerialPortList, &CoreProbe::GetValidSerialPortList, &CoreProbe::GetUserSerialPortList,
          &CoreProbe::GetIgnoreSerialPortList, &CoreProbe::GetAdapterList, &CoreProbe::GetValidAdapterList,
          &CoreProbe::GetIgnoreAdapterList, &CoreProbe::GetPortList, &CoreProbe::GetIgnorePortList,
          &CoreProbe::GetValidPortList, &CoreProbe::GetScreenScope};
    for (Getter get : getters)
        EXPECT_EQ((core.*get)(nullptr), 0);
}

TEST_F(DeviceLists, ScreenScopeComesBackSorted)
{
    CCore core;
    core.RemoveAllScreenScope();
    for (int a : {12, 3, 200})
        core.AddScreenScope(a);
    EXPECT_EQ(take(core.GetScreenScope(), CCore::ReleaseScreenScope), (std::vector<int>{3, 12, 200}));

    // Above 255 the order stays numeric rather than by the low byte.
    core.AddScreenScope(256);
    core.AddScreenScope(1);
    EXPECT_EQ(take(core.GetScreenScope(), CCore::ReleaseScreenScope), (std::vector<int>{1, 3, 12, 200, 256}));
}

TEST_F(DeviceLists, ValidAdaptersLeaveOutIgnoredIndexFields)
{
    // Index fields that differ from the positions show which one is matched.
    g_adapters = {adapter(10, "eth0"), adapter(11, "eth1"), adapter(12, "wlan0")};
    CCore core;
    core.AddIgnoreAdapter(0);
    core.AddIgnoreAdapter(11);
    CUniqueArray<pcapdevinfo>* valid = core.GetValidAdapterList();
    ASSERT_NE(valid, nullptr);
    ASSERT_EQ(valid->GetSize(), 2);
    EXPECT_STREQ((*valid)[0].name, "eth0");
    EXPECT_STREQ((*valid)[1].name, "wlan0");
    EXPECT_EQ(CCore::ReleaseValidAdapterList(valid), 1);
    EXPECT_EQ(take(core.GetIgnoreAdapterList(), CCore::ReleaseIgnoreAdapterList), (std::vector<int>{0, 11}));
}

TEST_F(DeviceLists, SerialPortNameFallbacks)
{
    {
        CCore core;
        EXPECT_EQ(core.GetSerialPortName(7), q("COM7"));
        core.AddUserSerialPort(u"ttyACM0");
        EXPECT_EQ(core.GetSerialPortName(4), q("ttyACM0"));
        core.AddUserSerialPort(u"COM4");
        EXPECT_EQ(core.GetSerialPortName(4), q("COM4"));
    }
    setPorts({"ttyUSB0", "COM2"});
    CCore core;
    core.AddUserSerialPort(u"COM9");
    core.AddUserSerialPort(u"ttyACM1");
    EXPECT_EQ(core.GetSerialPortName(2), q("COM2"));
    EXPECT_EQ(core.GetSerialPortName(9), q("COM9"));
    EXPECT_EQ(core.GetSerialPortName(4), q("ttyUSB0"));
    EXPECT_EQ(core.GetSerialPortName(-1), q("ttyUSB0"));
}

TEST_F(DeviceLists, AdapterNameByIndex)
{
    {
        CCore core;
        EXPECT_EQ(core.GetAdapterName(0), QByteArray("rpcap://"));
        EXPECT_EQ(core.GetAdapterName(3), QByteArray("rpcap://"));
        CUniqueArray<pcapdevinfo>* none = core.GetAdapterList();
        ASSERT_NE(none, nullptr);
        EXPECT_TRUE(none->IsEmpty());
        CCore::ReleaseAdapterList(none);
    }
    g_adapters = {adapter(0, "eth0"), adapter(1, "enp3s0")};
    CCore core;
    EXPECT_EQ(core.GetAdapterName(1), QByteArray("enp3s0"));
    EXPECT_EQ(core.GetAdapterName(5), QByteArray("eth0"));
    EXPECT_EQ(core.GetAdapterName(2), QByteArray("eth0"));
    EXPECT_EQ(core.GetAdapterName(-1), QByteArray("eth0"));

    // A refresh replaces the list.
    g_adapters = {adapter(0, "eth7")};
    core.EnumAdapterList();
    EXPECT_EQ(core.GetAdapterName(1), QByteArray("eth7"));
}

TEST_F(DeviceLists, FlagSettersReturnThePreviousValue)
{
    CCore core;
    EXPECT_EQ(core.SetSingleScreen(0), 1);
    EXPECT_EQ(core.SetSingleScreen(1), 0);
    EXPECT_EQ(core.IsSingleScreen(), 1);
    EXPECT_EQ(core.EnableSerialPort(0), 1);
    EXPECT_EQ(core.IsSerialPortEnabled(), 0);
    EXPECT_EQ(core.EnableLan(1), 0);
    EXPECT_EQ(core.EnableLan(5), 1);
    EXPECT_EQ(core.IsLanEnabled(), 5);
    EXPECT_EQ(core.EnableWan(1), 0);
    EXPECT_EQ(core.IsWanEnabled(), 1);
}
