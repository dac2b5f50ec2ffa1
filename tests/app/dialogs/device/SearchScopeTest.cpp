// The search scope dialog: its checks reach the core's lists at once, the
// address range follows the scope, and its search finds simulated
// controllers on 127.0.0.x.
#include "DeviceTestUtil.h"

#include "app/spine/Messages.h"
#include "app/controls/MessageBox.h"
#include "app/dialogs/device/SettingRetrieveDlg.h"
#include "core/link/Adapters.h"
#include "core/link/SerialPorts.h"
#include "support/MessageSpy.h"
#include "support/ModalScript.h"
#include "support/SeamScope.h"
#include "support/SimControllerSearch.h"

#include <QApplication>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <memory>

using namespace sorvane::link;

using namespace dialogs;
using Dlg = CSettingRetrieveDlg;

namespace {

void twoSerialPorts(std::vector<SSerInfo>& ports)
{
    ports.clear();
    for (const char* name : {"ttyS0", "ttyUSB0"}) {
        SSerInfo p;
        p.portName = QString::fromLatin1(name);
        p.devicePath = "/dev/" + p.portName;
        ports.push_back(p);
    }
}

int twoAdapters(CUniqueArray<pcapdevinfo>& list)
{
    pcapdevinfo a{};
    std::strcpy(a.name, "eth0");
    std::strcpy(a.description, "Wired adapter");
    list.Add(a);
    pcapdevinfo b{};
    b.index = 1;
    std::strcpy(b.name, "enp3s0");   // no description: shown by its name
    list.Add(b);
    return 2;
}

template <typename T>
std::vector<T> items(CUniqueArray<T>* list, int (*release)(CUniqueArray<T>*))
{
    std::vector<T> out;
    if (list)
        out.assign(list->begin(), list->end());
    release(list);
    return out;
}

class SearchScope : public ::testing::Test {
protected:
    void SetUp() override
    {
        devicetest::loadPack("UI_EN.rcc");
        SetSerialEnumerator(twoSerialPorts);
        SetAdapterEnumerator(twoAdapters);
        core = std::make_unique<CCore>();
        frame.watch(spine::WM_SEARCH_SCREENS);
    }
    void TearDown() override
    {
        core.reset();
        SetSerialEnumerator(nullptr);
        SetAdapterEnumerator(nullptr);
    }
    std::vector<int> scope() { return items(core->GetScreenScope(), &CCore::ReleaseScreenScope); }
    QListWidget* list(QWidget* dlg, int id) { return support::findByControlId<QListWidget>(dlg, id); }
    void click(QWidget* dlg, int id) { devicetest::click(support::findByControlId<QAbstractButton>(dlg, id)); }
    // Toggles an item's check as the space bar does.
    void toggle(QListWidget* l, int row)
    {
        l->setFocus();
        l->setCurrentRow(row);
        const Qt::CheckState was = l->item(row)->checkState();
        QTest::keyClick(l, Qt::Key_Space);
        EXPECT_NE(l->item(row)->checkState(), was) << "row " << row;
    }

    devicetest::PackScope packs;
    std::unique_ptr<CCore> core;
    support::MessageSpy frame;
};

} // namespace

TEST_F(SearchScope, RangeFollowsTheScopesLastAddress)
{
    EXPECT_EQ(Dlg::RangeRadioFor(0), Dlg::IDC_RANGE16);
    EXPECT_EQ(Dlg::RangeRadioFor(16), Dlg::IDC_RANGE16);
    EXPECT_EQ(Dlg::RangeRadioFor(17), Dlg::IDC_RANGE16 + 1);
    EXPECT_EQ(Dlg::RangeRadioFor(64), Dlg::IDC_RANGE16 + 2);
    EXPECT_EQ(Dlg::RangeRadioFor(65), Dlg::IDC_RANGE16 + 3);
    EXPECT_EQ(Dlg::RangeRadioFor(200), Dlg::IDC_RANGE254);
    EXPECT_EQ(Dlg::RangeRadioFor(255), Dlg::IDC_RANGE16);

    core->SetSingleScreen(0);
    core->RemoveAllScreenScope();
    core->AddScreenScope(3);
    core->AddScreenScope(200);
    Dlg dlg(*core, &frame);
    dlg.show();
    QListWidget* addresses = list(&dlg, Dlg::IDC_ADDRESS_LIST);
    ASSERT_EQ(addresses->count(), 254);
    EXPECT_TRUE(support::findByControlId<QAbstractButton>(&dlg, Dlg::IDC_RANGE254)->isChecked());
    for (int i = 0; i < 254; ++i)
        EXPECT_EQ(addresses->item(i)->checkState() == Qt::Checked, i == 2 || i == 199) << i;
    EXPECT_EQ(scope(), (std::vector<int>{3, 200}));

    toggle(addresses, 4);
    EXPECT_EQ(scope(), (std::vector<int>{3, 5, 200}));
    // Shrinking drops the addresses beyond the new size from the scope.
    click(&dlg, Dlg::IDC_RANGE16);
    EXPECT_EQ(addresses->count(), 16);
    EXPECT_EQ(scope(), (std::vector<int>{3, 5}));
    click(&dlg, Dlg::IDC_RANGE16 + 1);
    EXPECT_EQ(addresses->count(), 32);
    EXPECT_EQ(addresses->item(31)->checkState(), Qt::Unchecked);

    // One screen: the range widgets go, and Search leaves the scope alone.
    click(&dlg, Dlg::IDC_SINGLE);
    EXPECT_FALSE(addresses->isVisible());
    // ...and leave no large empty box behind: the address box shrinks to its radios.
    QWidget* box = support::findByControlId<QAbstractButton>(&dlg, Dlg::IDC_SINGLE)->parentWidget();
    QCoreApplication::sendPostedEvents();
    dlg.layout()->activate();
    EXPECT_LE(box->height(), box->sizeHint().height() + 4);
    EXPECT_GT(list(&dlg, Dlg::IDC_SERIAL_LIST)->height(), box->height());
    EXPECT_EQ(core->IsSingleScreen(), 1);
    click(&dlg, Dlg::IDC_SEARCH);
    EXPECT_EQ(scope(), (std::vector<int>{3, 5}));
    QTRY_COMPARE(frame.count(spine::WM_SEARCH_SCREENS), 1);
    EXPECT_EQ(frame.messages()[0].w, 1u);
    EXPECT_EQ(frame.messages()[0].l, 1);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(SearchScope, TabRunsDownEachColumnThenThroughTheAddresses)
{
    core->EnableLan(1);
    core->EnableWan(1);
    core->SetSingleScreen(0);
    Dlg dlg(*core, &frame);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QWidget* first = support::findByControlId<QWidget>(&dlg, Dlg::IDC_SERIAL);
    first->setFocus();
    QList<int> ids;
    for (int i = 0; i < 12 && QApplication::focusWidget(); ++i) {
        ids << controls::controlId(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The radios of a group take one stop, moved through with the arrows.
    const QList<int> want{Dlg::IDC_SERIAL,   Dlg::IDC_SERIAL_REFRESH, Dlg::IDC_SERIAL_LIST, Dlg::IDC_LAN,
                          Dlg::IDC_ADAPTER_REFRESH, Dlg::IDC_ADAPTER_LIST, Dlg::IDC_WAN, Dlg::IDC_PORT_LIST,
                          Dlg::IDC_PORT_EDIT, Dlg::IDC_PORT_ADD, Dlg::IDC_PORT_DEL};
    EXPECT_EQ(ids.mid(0, want.size()), want);
    ASSERT_EQ(ids.size(), 12);
    EXPECT_TRUE(ids[11] == Dlg::IDC_SINGLE || ids[11] == Dlg::IDC_RANGE) << ids[11];
}

TEST_F(SearchScope, ChecksReachTheIgnoreListsAtOnce)
{
    core->EnableLan(1);
    core->EnableWan(1);
    const QString serialIgnored = "ttyUSB0";
    core->AddIgnoreSerialPort(reinterpret_cast<const char16_t*>(serialIgnored.utf16()));
    Dlg dlg(*core, &frame);
    dlg.show();
    QListWidget* serial = list(&dlg, Dlg::IDC_SERIAL_LIST);
    ASSERT_EQ(serial->count(), 2);
    EXPECT_EQ(serial->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(serial->item(1)->checkState(), Qt::Unchecked);
    toggle(serial, 0);
    toggle(serial, 1);
    EXPECT_EQ(items(core->GetIgnoreSerialPortList(), &CCore::ReleaseIgnoreSerialPortList),
              (std::vector<QString>{"ttyS0"}));

    QListWidget* adapters = list(&dlg, Dlg::IDC_ADAPTER_LIST);
    ASSERT_EQ(adapters->count(), 2);
    EXPECT_EQ(adapters->item(0)->text(), "Wired adapter");
    EXPECT_EQ(adapters->item(1)->text(), "enp3s0");
    toggle(adapters, 1);
    EXPECT_EQ(items(core->GetIgnoreAdapterList(), &CCore::ReleaseIgnoreAdapterList), (std::vector<int>{1}));

    QListWidget* ports = list(&dlg, Dlg::IDC_PORT_LIST);
    auto* edit = support::findByControlId<QLineEdit>(&dlg, Dlg::IDC_PORT_EDIT);
    support::SeamScope seams;
    for (const char* bad : {"0", "65536", "80a", "-5"}) {
        seams.nextAnswer(QMessageBox::Ok);
        edit->clear();
        QTest::keyClicks(edit, bad);
        click(&dlg, Dlg::IDC_PORT_ADD);
        EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(Dlg::IDS_BAD_PORT)) << bad;
        EXPECT_EQ(edit->text(), QLatin1String(bad));
    }
    EXPECT_EQ(items(core->GetPortList(), &CCore::ReleasePortList), (std::vector<unsigned short>{8080}));
    edit->clear();
    QTest::keyClicks(edit, "5005");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(edit->text().isEmpty());
    ASSERT_EQ(ports->count(), 2);
    EXPECT_EQ(ports->item(1)->text(), "5005");
    QTest::keyClicks(edit, "5005");   // listed already: nothing changes, the edit empties
    click(&dlg, Dlg::IDC_PORT_ADD);
    EXPECT_EQ(ports->count(), 2);
    EXPECT_TRUE(edit->text().isEmpty());
    toggle(ports, 1);
    EXPECT_EQ(items(core->GetIgnorePortList(), &CCore::ReleaseIgnorePortList), (std::vector<unsigned short>{5005}));
    ports->setCurrentRow(0);
    click(&dlg, Dlg::IDC_PORT_DEL);
    EXPECT_EQ(items(core->GetPortList(), &CCore::ReleasePortList), (std::vector<unsigned short>{5005}));
    ASSERT_EQ(ports->count(), 1);
    EXPECT_EQ(ports->item(0)->checkState(), Qt::Unchecked);

    // Switching a link off empties and disables its list.
    click(&dlg, Dlg::IDC_SERIAL);
    EXPECT_EQ(core->IsSerialPortEnabled(), 0);
    EXPECT_EQ(serial->count(), 0);
    EXPECT_FALSE(serial->isEnabled());
}

TEST_F(SearchScope, TheSearchItStartsFindsTwoControllersOnLoopbackAddresses)
{
    platform::ScopedClockScale fast(100);
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({{"127.0.0.2", 1}, {"127.0.0.3", 2}}));
    Dlg dlg(*core, &frame);
    dlg.show();
    click(&dlg, Dlg::IDC_SERIAL);   // off
    click(&dlg, Dlg::IDC_WAN);      // on
    QListWidget* ports = list(&dlg, Dlg::IDC_PORT_LIST);
    ports->setCurrentRow(0);        // 8080 goes
    click(&dlg, Dlg::IDC_PORT_DEL);
    auto* edit = support::findByControlId<QLineEdit>(&dlg, Dlg::IDC_PORT_EDIT);
    QTest::keyClicks(edit, QString::number(udp.port()));
    click(&dlg, Dlg::IDC_PORT_ADD);
    click(&dlg, Dlg::IDC_RANGE);
    click(&dlg, Dlg::IDC_SELECT_ALL);
    click(&dlg, Dlg::IDC_SEARCH);
    EXPECT_EQ(scope().size(), 16u);

    // The main frame's part: run the search the message asks for.
    QTRY_COMPARE(frame.count(spine::WM_SEARCH_SCREENS), 1);
    const support::SpiedMessage m = frame.messages()[0];
    EXPECT_EQ(core->RetrieveConnection(static_cast<int>(m.w), 0, 0), 2u);
    std::set<std::string> seen;
    for (unsigned i = 0; tagItemData* s = core->GetScreen(i); ++i)
        seen.insert(std::string(s->Global.Host) + "=" + std::to_string(s->Global.ID));
    EXPECT_EQ(seen, (std::set<std::string>{"127.0.0.2=1", "127.0.0.3=2"}));
}

// With no kind of link ticked there is nothing to search: Search says so at
// once and the dialog stays open, where it used to start a search whose
// task dialog said "Searching... 0%" for minutes with no worker behind it.
TEST_F(SearchScope, ASearchWithNoKindOfLinkIsRefusedAtOnce)
{
    for (const char* pack : devicetest::kPacks) {
        SCOPED_TRACE(pack);
        devicetest::loadPack(pack);
        core->EnableSerialPort(0);
        core->EnableLan(0);
        core->EnableWan(1);
        Dlg dlg(*core, &frame);
        dlg.show();
        click(&dlg, Dlg::IDC_WAN);   // the last one unticked
        ASSERT_EQ(core->IsWanEnabled(), 0);
        QString told;
        {
            support::ModalScript script;
            script.expect(QStringLiteral("QMessageBox"), [&](QWidget* m) {
                told = qobject_cast<QMessageBox*>(m)->text();
                devicetest::saveShot(*m, QStringLiteral("search_no_link_") + devicetest::packTag(pack));
                static_cast<QMessageBox*>(m)->accept();
            });
            click(&dlg, Dlg::IDC_SEARCH);
            EXPECT_EQ(script.pending(), 0);
        }
        EXPECT_EQ(told, platform::langString(Dlg::IDS_NO_LINK_KIND));
        QCoreApplication::processEvents();
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(frame.count(spine::WM_SEARCH_SCREENS), 0);
    }
}
