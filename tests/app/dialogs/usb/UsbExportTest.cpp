// The USB-stick file dialog: content kinds and flags, the clock offset, the
// destination list with volumes coming and going and picked folders, the
// model choice, and the file the caller then writes from the results.
#include "app/dialogs/wizard/WizardTestUtil.h"

#include "app/controls/Edits.h"
#include "app/controls/MessageBox.h"
#include "app/dialogs/usb/UFileConfigDlg.h"
#include "app/dialogs/usb/UsbExport.h"
#include "app/dialogs/wizard/ModelCatalogue.h"
#include "core/api/Core.h"
#include "support/SeamScope.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>

using namespace dialogs;

namespace {

template <typename T>
T* byId(QWidget& w, int id)
{
    return support::findByControlId<T>(&w, id);
}

// Picks entry `index` of the destination combo as a user would.
void choose(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

TEST(UsbExport, KindsAndTicksGiveTheFlags)
{
    UsbContent c;
    EXPECT_EQ(c.flags(), 3u);
    EXPECT_EQ(c.kind(), 0);
    c.chooseKind(1, true, true, true);
    EXPECT_EQ(c.flags(), unsigned(USB_RESET));
    c.chooseKind(2, true, true, true);
    EXPECT_EQ(c.flags(), unsigned(USB_CLEAR));
    c.chooseKind(0, true, false, true);
    EXPECT_EQ(c.flags(), unsigned(USB_CLOCK | USB_PROGRAMS));
    c.setBit(USB_PROGRAMS, false);
    EXPECT_EQ(c.flags(), unsigned(USB_CLOCK));
    // The highest of the kind bits wins.
    EXPECT_EQ(UsbContent(USB_RESET | USB_FIRMWARE | 1).kind(), 3);
    EXPECT_EQ(UsbContent(USB_RESET | USB_CLEAR).kind(), 2);
}

TEST(UsbExport, TheClockOffsetNeitherWrapsNorGoesBelowZero)
{
    EXPECT_EQ(AddClockOffset(1000, 60), 1060u);
    EXPECT_EQ(AddClockOffset(0xFFFFFF00u, 2147483647), 0xFFFFFFFFu);
    EXPECT_EQ(AddClockOffset(10, -60), 0u);
}

TEST(UsbExport, DestinationsDrivesThenFoldersOnce)
{
    UsbDestinations d;
    EXPECT_TRUE(d.setDrives(SplitDrives("/media/a/;/media/b;")));
    EXPECT_FALSE(d.setDrives({"/media/a/", "/media/b/"}));
    EXPECT_EQ(d.addPickedFile("/tmp/x/program.dat"), 2);
    EXPECT_EQ(d.addPickedFile("/tmp/x/other.dat"), 2);
    EXPECT_EQ(d.addPickedFile("/media/a/p.dat"), 0);   // a volume root is not a folder entry too
    EXPECT_EQ(d.addPickedFile("relative.dat"), -1);
    EXPECT_EQ(d.entries("pick"), (QStringList{"/media/a/", "/media/b/", "/tmp/x/", "pick"}));
    EXPECT_EQ(d.pickerIndex(), 3);
}

TEST(ModelCatalogue, BadOrderIndexesLoseNoEntryAndWriteNothingOutOfBounds)
{
    const QList<ModelEntry> out = OrderModels({{2, 0, 30, "C"},
                                               {0, 0, 10, "A"},
                                               {7, 0, 70, "far"},
                                               {-1, 0, 90, "negative"},
                                               {0, 0, 11, "again"},
                                               {1, 1, 20, "hidden"}});
    QStringList names;
    for (const ModelEntry& m : out)
        names.append(m.name);
    EXPECT_EQ(names, (QStringList{"A", "C", "far", "negative", "again"}));
    EXPECT_EQ(out[1].id, 30u);
}

TEST(ModelCatalogue, ModelsSharingANameAreToldApartByTheirIds)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    const QList<ModelEntry> out =
        OrderModels({{0, 0, 0x0E010B00, "W"}, {1, 0, 0x0E020400, "E"}, {2, 0, 0x0E011B00, "W"}});
    ASSERT_EQ(out.size(), 3);
    EXPECT_EQ(out[0].name, "W (0E010B00)");
    EXPECT_EQ(out[1].name, "E");
    EXPECT_EQ(out[2].name, "W (0E011B00)");
    // The real catalogue offers every name once.
    QSet<QString> names;
    for (const ModelEntry& m : OfferedModels()) {
        EXPECT_FALSE(names.contains(m.name)) << m.name.toStdString();
        names.insert(m.name);
    }
}

TEST(ModelCatalogue, DescriptionListsLinksAndMemoryWithSeparatorsAndUnknownSizes)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    // The labels end in a no-break space.
    const auto line = [](unsigned id, const char* start) {
        for (const QString& l : ModelDescription(CCore::GetFirmwareInfo(id)).split(u'\n'))
            if (l.startsWith(QLatin1String(start)))
                return l;
        return QString();
    };
    EXPECT_EQ(line(0x0E020D00, "Links"), u"Links:\u00A0Serial port, Ethernet, Wi-Fi");
    EXPECT_EQ(line(0x0E020D00, "Memory"), u"Memory:\u00A04 KB flash, 4 KB RAM");
    EXPECT_EQ(line(0x0E060700, "Memory"), u"Memory:\u00A0flash size unknown, memory size unknown");
    EXPECT_EQ(line(0x0E020D00, "Panel sizes:"), u"Panel sizes:\u00A0512 x 32");
}

TEST(UFileConfigDlg, OpensWithTheLastVolumeAndFollowsVolumesComingAndGoing)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    support::SeamScope seams;
    QString volumes = "/media/op/A/;/media/op/B/;";
    CUFileConfigDlg dlg(0, true, [&] { return volumes; });
    dlg.setPollInterval(10);
    dlg.show();
    EXPECT_EQ(dlg.flags(), 3u);
    EXPECT_EQ(dlg.clockOffset(), 60);
    EXPECT_TRUE(byId<QCheckBox>(dlg, CUFileConfigDlg::IDC_PROGRAMS)->isChecked());
    EXPECT_TRUE(byId<QCheckBox>(dlg, CUFileConfigDlg::IDC_HARDWARE)->isChecked());
    EXPECT_FALSE(byId<QCheckBox>(dlg, CUFileConfigDlg::IDC_CLOCK)->isChecked());
    EXPECT_FALSE(byId<QWidget>(dlg, CUFileConfigDlg::IDC_OFFSET)->isEnabled());
    EXPECT_FALSE(byId<QWidget>(dlg, CUFileConfigDlg::IDC_MODEL)->isEnabled());
    EXPECT_EQ(dlg.destination(), "/media/op/B/");
    auto* dest = byId<QComboBox>(dlg, CUFileConfigDlg::IDC_DESTINATION);
    ASSERT_EQ(dest->count(), 3);
    EXPECT_EQ(dest->itemText(2), platform::langString(63001));

    // A stick plugged in while the dialog is open is added and chosen.
    volumes = "/media/op/A/;/media/op/B/;/media/op/C/;";
    ASSERT_TRUE(QTest::qWaitFor([&] { return dest->count() == 4; }, 2000));
    EXPECT_EQ(dlg.destination(), "/media/op/C/");
    EXPECT_EQ(dest->currentText(), "/media/op/C/");

    // A cancelled pick keeps the choice before it.
    choose(dest, 0);
    EXPECT_EQ(dlg.destination(), "/media/op/A/");
    seams.nextFileName(QString());
    choose(dest, 3);
    EXPECT_EQ(dlg.destination(), "/media/op/A/");
    EXPECT_EQ(dest->currentIndex(), 0);

    // A folder picked twice is listed once.
    seams.nextFileName("/srv/out/anything.dat");
    choose(dest, 3);
    EXPECT_EQ(dlg.destination(), "/srv/out/");
    seams.nextFileName("/srv/out/other.dat");
    choose(dest, 4);
    EXPECT_EQ(dest->count(), 5);
    EXPECT_EQ(dlg.destination(), "/srv/out/");

    // Every stick pulled out: the picked folder stays chosen.
    volumes.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dest->count() == 2; }, 2000));
    EXPECT_EQ(dlg.destination(), "/srv/out/");
}

TEST(UFileConfigDlg, KindsEnableTheirControlsAndAFirmwareImageNeedsAModel)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    support::SeamScope seams;
    {
        // Without a selected screen only the clock can go in.
        CUFileConfigDlg dlg(0, false, {});
        dlg.show();
        EXPECT_FALSE(byId<QCheckBox>(dlg, CUFileConfigDlg::IDC_PROGRAMS)->isEnabled());
        EXPECT_FALSE(byId<QCheckBox>(dlg, CUFileConfigDlg::IDC_HARDWARE)->isEnabled());
        EXPECT_TRUE(byId<QCheckBox>(dlg, CUFileConfigDlg::IDC_CLOCK)->isEnabled());
        EXPECT_TRUE(dlg.destination().isEmpty());
        devicetest::click(byId<QRadioButton>(dlg, CUFileConfigDlg::IDC_KIND0 + 1));
        devicetest::click(byId<QRadioButton>(dlg, CUFileConfigDlg::IDC_KIND0));
        devicetest::click(byId<QCheckBox>(dlg, CUFileConfigDlg::IDC_CLOCK));
        EXPECT_EQ(dlg.flags(), unsigned(USB_CLOCK));
    }
    CUFileConfigDlg dlg(0, true, {});
    dlg.show();
    devicetest::click(byId<QRadioButton>(dlg, CUFileConfigDlg::IDC_KIND0 + 1));
    EXPECT_FALSE(byId<QCheckBox>(dlg, CUFileConfigDlg::IDC_CLOCK)->isEnabled());
    devicetest::click(byId<QRadioButton>(dlg, CUFileConfigDlg::IDC_KIND0 + 2));
    EXPECT_EQ(dlg.flags(), unsigned(USB_CLEAR));
    devicetest::click(byId<QRadioButton>(dlg, CUFileConfigDlg::IDC_KIND0));
    EXPECT_EQ(dlg.flags(), 3u);
    devicetest::click(byId<QCheckBox>(dlg, CUFileConfigDlg::IDC_CLOCK));
    EXPECT_EQ(dlg.flags(), 7u);
    EXPECT_TRUE(byId<QWidget>(dlg, CUFileConfigDlg::IDC_OFFSET)->isEnabled());

    devicetest::click(byId<QRadioButton>(dlg, CUFileConfigDlg::IDC_KIND0 + 3));
    auto* model = byId<QComboBox>(dlg, CUFileConfigDlg::IDC_MODEL);
    ASSERT_TRUE(model->isEnabled());
    EXPECT_EQ(model->currentData().toULongLong(), 0u);   // id 0 has no model: "any model"
    seams.nextAnswer(QMessageBox::Ok);
    QTest::mouseClick(byId<QPushButton>(dlg, 1), Qt::LeftButton);
    EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(103));
    EXPECT_TRUE(dlg.isVisible());
    if (model->count() > 1) {
        model->setCurrentIndex(0);
        QTest::mouseClick(byId<QPushButton>(dlg, 1), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.model(), std::uint32_t(model->itemData(0).toULongLong()));
    }
}

TEST(UFileConfigDlg, TheModelOfTheScreenIsPreselectedByItsId)
{
    const QList<ModelEntry> models = OfferedModels();
    if (models.size() < 2)
        GTEST_SKIP() << "the catalogue offers fewer than two models";
    const ModelEntry& wanted = models[models.size() - 1];
    CUFileConfigDlg dlg(wanted.id, true, {});
    EXPECT_EQ(dlg.model(), wanted.id);
    EXPECT_EQ(byId<QComboBox>(dlg, CUFileConfigDlg::IDC_MODEL)->currentText(), wanted.name);
}

TEST(UFileConfigDlg, ProgramDatHoldsTheChosenPartsInAFolderAndOnAVolume)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    support::SeamScope seams;
    QTemporaryDir folder, volume;
    CCore core;
    tagItemData* screen = wiztest::addScreen(core, u"s");
    const QString root = volume.path() + u'/';
    for (bool toVolume : {false, true}) {
        CUFileConfigDlg dlg(0, true, [&] { return root + u';'; });
        dlg.show();
        if (!toVolume) {
            seams.nextFileName(folder.filePath("typed-name.dat"));
            choose(byId<QComboBox>(dlg, CUFileConfigDlg::IDC_DESTINATION), 1);
        }
        devicetest::click(byId<QCheckBox>(dlg, CUFileConfigDlg::IDC_PROGRAMS));   // off
        devicetest::click(byId<QCheckBox>(dlg, CUFileConfigDlg::IDC_CLOCK));      // on
        auto* offset = byId<controls::CRangeEdit>(dlg, CUFileConfigDlg::IDC_OFFSET);
        offset->selectAll();
        QTest::keyClicks(offset, "120");
        QTest::mouseClick(byId<QPushButton>(dlg, 1), Qt::LeftButton);
        ASSERT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.flags(), unsigned(USB_HARDWARE | USB_CLOCK));
        EXPECT_EQ(dlg.clockOffset(), 120);
        const QString dir = toVolume ? root : folder.path() + u'/';
        ASSERT_EQ(dlg.destination(), dir);

        // What the frame then writes from the results.
        const std::uint32_t stamp = AddClockOffset(5000, dlg.clockOffset());
        const QString file = dlg.destination() + "program.dat";
        ASSERT_EQ(core.SaveAsUSBFile(screen, reinterpret_cast<const char16_t*>(file.utf16()), dlg.flags(), stamp), 0);
        // Two frames, no program blocks: the hardware block, then the clock
        // word carrying the offset time.
        const QByteArray written = wiztest::fileBytes(file);
        const QByteArray frameMark("\xAA\xAA\x66\x99", 4);
        EXPECT_EQ(written.count(frameMark), 2) << written.toHex().toStdString();
        const QByteArray clock = written.mid(written.lastIndexOf(frameMark));
        const char word[4] = {char(5120 & 0xFF), char(5120 >> 8), 0, 0};
        EXPECT_TRUE(clock.contains(QByteArray(word, 4))) << clock.toHex().toStdString();
        EXPECT_FALSE(QFile::exists(dir + "typed-name.dat"));
    }
}

TEST(UFileConfigDlg, Screenshots)
{
    devicetest::PackScope packs;
    for (const char* pack : devicetest::kPacks) {
        ASSERT_TRUE(devicetest::loadPack(pack));
        CUFileConfigDlg dlg(0, true, [] { return QStringLiteral("/media/operator/STICK/;"); });
        dlg.show();
        EXPECT_EQ(dlg.windowTitle(), platform::langDialogText(CUFileConfigDlg::IDD, 0));
        devicetest::saveShot(dlg, "usbfile_" + devicetest::packTag(pack));
    }
}
