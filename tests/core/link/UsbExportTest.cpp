// The USB-stick export: the firmware block, and the old file kept whole
// when an export fails, is cancelled or finds the stick full.
#include "LinkTestUtil.h"

#include "core/api/Callbacks.h"
#include "core/link/Commands.h"
#include "core/link/FirmwareImage.h"
#include "core/link/Frame.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "platform/OperatorFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <atomic>
#include <csignal>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace sorvane::link;

using namespace linktest;

namespace {

std::vector<std::pair<unsigned, unsigned>> g_events;   // (cmd, event)
void recordEvent(unsigned cmd, unsigned event, std::uintptr_t) { g_events.emplace_back(cmd, event); }

Bytes fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    return Bytes(b.begin(), b.end());
}

void putFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// (command, data) of each frame of an export.
std::vector<std::pair<std::uint8_t, Bytes>> frames(const Bytes& b)
{
    std::vector<std::pair<std::uint8_t, Bytes>> out;
    std::size_t at = 0;
    while (at + kFrameHeaderSize <= b.size()) {
        FrameHeader h;
        EXPECT_TRUE(ReadFrameHeader(b.data() + at, h));
        if (at + kFrameHeaderSize + h.length > b.size())
            break;
        out.emplace_back(h.command, Bytes(b.begin() + std::ptrdiff_t(at + kFrameHeaderSize),
                                          b.begin() + std::ptrdiff_t(at + kFrameHeaderSize + h.length)));
        at += kFrameHeaderSize + h.length;
    }
    EXPECT_EQ(at, b.size());
    return out;
}

class UsbExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetFirmwareFolder(dir.filePath("program"));
        QDir().mkpath(dir.filePath("program"));
        CCore::SetFirmwareImageFile(nullptr);
        g_events.clear();
        core.SetFileCallBack(recordEvent);
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        screen->Global.Width = 64;
        screen->Global.Height = 32;
        screen->Global.Type = 17;
        screen->Global.ScanMode = 4;
        tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        tagItemData* section = core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
        core.ChangeItemRect(section, 0, 0, 64, 32);
        tagItemData* text = core.AddItem(IT_SINGLELINE, u"t", section, nullptr);
        records::SetItemText(text, QStringLiteral("Hello"));
        core.Paint(text);
        target = dir.filePath("stick/program.dat");
        QDir().mkpath(dir.filePath("stick"));
        putFile(target, QByteArray("the old export, which must survive", 34));
        old = fileBytes(target);
    }
    void TearDown() override
    {
        SetFirmwareFolder(QString());
        CCore::SetFirmwareImageFile(nullptr);
    }
    const char16_t* wpath() const { return reinterpret_cast<const char16_t*>(target.utf16()); }
    // Nothing but the export itself is left in the stick's folder.
    QStringList stickFiles() const { return QDir(dir.filePath("stick")).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
    CCore core;
    tagItemData* screen = nullptr;
    QString target;
    Bytes old;
};

TEST_F(UsbExport, FirmwareFlagWritesTheUpgradeImageAsCommand24)
{
    // No image anywhere: nothing is written and the old file stays.
    EXPECT_EQ(core.SaveAsUSBFile(screen, wpath(), 0x20, 0), 0);
    EXPECT_EQ(fileBytes(target), old);

    // "update.dat" beside the program: its decoded bytes, after the clock.
    putFile(dir.filePath("program/update.dat"), "0003AABBCC0001ff");
    ASSERT_EQ(core.SaveAsUSBFile(screen, wpath(), 0x24, 9), 0);
    auto f = frames(fileBytes(target));
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].first, TOS_SETTIME);
    EXPECT_EQ(f[1].first, TOS_FIRMWARE);
    EXPECT_EQ(f[1].second, (Bytes{0x00, 0x03, 0xAA, 0xBB, 0xCC, 0x00, 0x01, 0xFF}));

    // Without it, the image the operator chose.
    QFile::remove(dir.filePath("program/update.dat"));
    putFile(dir.filePath("chosen.txt"), "00021234");
    const QString chosen = dir.filePath("chosen.txt");
    CCore::SetFirmwareImageFile(reinterpret_cast<const char16_t*>(chosen.utf16()));
    ASSERT_EQ(core.SaveAsUSBFile(screen, wpath(), 0x20, 0), 0);
    f = frames(fileBytes(target));
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].first, TOS_FIRMWARE);
    EXPECT_EQ(f[0].second, (Bytes{0x00, 0x02, 0x12, 0x34}));
    EXPECT_EQ(stickFiles(), QStringList{QStringLiteral("program.dat")});
}

TEST_F(UsbExport, ADamagedFirmwareImageIsRefusedAndTheOldFileKept)
{
    // The second record claims more bytes than the image holds.
    putFile(dir.filePath("program/update.dat"), "0003AABBCC0009ff");
    EXPECT_EQ(core.SaveAsUSBFile(screen, wpath(), 0x20, 0), int(UFE_WRITE_FAILED));
    EXPECT_EQ(fileBytes(target), old);
    EXPECT_EQ(stickFiles(), QStringList{QStringLiteral("program.dat")});
    bool reported = false;
    for (const auto& [cmd, event] : g_events)
        reported = reported || (cmd == TOS_FIRMWARE && event == UFE_WRITE_FAILED);
    EXPECT_TRUE(reported);
}

TEST_F(UsbExport, AFinishedExportReplacesTheFileAndReportsItAfterwards)
{
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_EQ(core.SaveAsUSBFile(screen, wpath(), 0x03, 0), 0);
    const auto f = frames(fileBytes(target));
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f[4].first, TOS_HWCONFIG);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);   // the old file's permissions
    EXPECT_EQ(stickFiles(), QStringList{QStringLiteral("program.dat")});
    // One "written" per block, in order.
    const std::vector<std::pair<unsigned, unsigned>> want = {
        {TOS_PAGEMAP, UFE_WRITTEN}, {TOS_PROGMAP, UFE_WRITTEN}, {TOS_PROGMASK, UFE_WRITTEN},
        {TOS_PROGDATA, UFE_WRITTEN}, {TOS_HWCONFIG, UFE_WRITTEN}};
    EXPECT_EQ(g_events, want);
}

TEST_F(UsbExport, AFailedCompileLeavesTheOldFile)
{
    screen->Global.ScanMode = 5;   // refused by the compiler
    // The compile's 10, the hardware block's 0: still combined, but nothing replaced.
    EXPECT_EQ(core.SaveAsUSBFile(screen, wpath(), 0x03, 0), 10);
    EXPECT_EQ(fileBytes(target), old);
    EXPECT_EQ(core.SaveAsUSBFile(screen, wpath()), 1);
    EXPECT_EQ(fileBytes(target), old);
    EXPECT_EQ(stickFiles(), QStringList{QStringLiteral("program.dat")});
}

TEST_F(UsbExport, AFullStickLeavesTheOldFile)
{
    // Writes past 200 bytes fail as on a full stick.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 200;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int fourArgs = core.SaveAsUSBFile(screen, wpath(), 0x1F, 0);
    const int twoArgs = core.SaveAsUSBFile(screen, wpath());
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_NE(fourArgs, 0);
    EXPECT_EQ(twoArgs, 1);
    EXPECT_EQ(fileBytes(target), old);
    EXPECT_EQ(stickFiles(), QStringList{QStringLiteral("program.dat")});
    for (const auto& e : g_events)
        EXPECT_NE(e.second, unsigned(UFE_WRITTEN));
}

TEST_F(UsbExport, ACancelledExportStopsAndLeavesTheOldFile)
{
    // The session clears the event when it is made, so a canceller that is
    // not scheduled until the export is done cancels nothing: such a round
    // wrote the whole export; it is put back and the round repeated.
    bool cancelledOnce = false;
    for (int round = 0; round < 20 && !cancelledOnce; ++round) {
        std::atomic<bool> running{true}, started{false};
        std::thread canceller([&] {
            while (running) {
                CCore::TerminateComm();
                started = true;
            }
        });
        while (!started)
            std::this_thread::yield();
        const int rc = core.SaveAsUSBFile(screen, wpath(), 0x1F, 0);
        running = false;
        canceller.join();
        if (rc == 0) {
            putFile(target, QByteArray(reinterpret_cast<const char*>(old.data()), int(old.size())));
            continue;
        }
        cancelledOnce = true;
        EXPECT_EQ(rc, COMM_E_CANCELLED);   // nothing after the cancel was written
        EXPECT_EQ(fileBytes(target), old);
        EXPECT_EQ(stickFiles(), QStringList{QStringLiteral("program.dat")});
    }
    EXPECT_TRUE(cancelledOnce);
}

} // namespace

// Through a symbolic link the linked file gets the export and the link stays
// (also a relative link and a chain); a loop of links is refused unwritten.
TEST_F(UsbExport, AnExportThroughALinkWritesTheLinkedFile)
{
    QDir().mkpath(dir.filePath("real"));
    const QString linked = dir.filePath("real/program.dat");
    putFile(linked, QByteArray("old"));
    const QString first = dir.filePath("stick/first.dat");
    ASSERT_EQ(::symlink("../real/program.dat", QFile::encodeName(first).constData()), 0);
    ASSERT_TRUE(QFile::remove(target));
    ASSERT_TRUE(QFile::link(first, target));
    ASSERT_EQ(core.SaveAsUSBFile(screen, wpath(), 0x02, 0), 0);
    EXPECT_EQ(QFileInfo(target).symLinkTarget(), first);
    EXPECT_TRUE(QFileInfo(first).isSymLink());
    const auto f = frames(fileBytes(linked));
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].first, TOS_HWCONFIG);
    EXPECT_EQ(QDir(dir.filePath("real")).entryList(QDir::Files | QDir::Hidden), QStringList{"program.dat"});

    const QString loop = dir.filePath("stick/loop.dat");
    ASSERT_TRUE(QFile::link(loop, loop));
    g_events.clear();
    EXPECT_EQ(core.SaveAsUSBFile(screen, reinterpret_cast<const char16_t*>(loop.utf16()), 0x02, 0), 1);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].second, UFE_OPEN_FAILED);
    EXPECT_TRUE(QFileInfo(loop).isSymLink());
}

namespace {

struct NodeKind {
    mode_t type;
    dev_t rdev;
    bool operator==(const NodeKind&) const = default;
};
NodeKind kindOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return {mode_t(st.st_mode & S_IFMT), st.st_rdev};
}

} // namespace

// A pipe or a device, named straight or through a link, is no file to
// replace: both forms refuse it and leave it, and the link, as they were.
TEST_F(UsbExport, APipeOrADeviceIsRefusedAndLeftAsItWas)
{
    QStringList refused;
    const QString fifo = dir.filePath("stick/pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    refused << fifo;
    const QString device = dir.filePath("stick/null");
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        refused << device;
    else
        std::printf("[  NOTE    ] mknod not permitted here: the device node case is left out\n");
    refused << dir.filePath("stick");   // a folder
    for (const QString& what : QStringList(refused)) {
        const QString link = what + QStringLiteral(".link");
        ASSERT_TRUE(QFile::link(what, link));
        refused << link;
    }
    for (const QString& path : refused) {
        QFileInfo info(path);
        const QString named = info.isSymLink() ? info.symLinkTarget() : path;
        const NodeKind before = kindOf(named);
        const auto* wide = reinterpret_cast<const char16_t*>(path.utf16());
        g_events.clear();
        EXPECT_EQ(core.SaveAsUSBFile(screen, wide), 1) << path.toStdString();
        EXPECT_EQ(core.SaveAsUSBFile(screen, wide, 0x03, 0), 1) << path.toStdString();
        EXPECT_EQ(g_events, (std::vector<std::pair<unsigned, unsigned>>{{TOS_PAGEMAP, UFE_OPEN_FAILED},
                                                                         {0, UFE_OPEN_FAILED}}))
            << path.toStdString();
        EXPECT_TRUE(kindOf(named) == before) << path.toStdString();
        EXPECT_EQ(QFileInfo(path).isSymLink(), info.isSymLink());
        QByteArray target;
        EXPECT_EQ(platform::operatorWriteTarget(path, target), platform::FileRead::NotAFile);
    }
    EXPECT_EQ(fileBytes(target), old);
    const QStringList parts = QDir(dir.filePath("stick")).entryList({"*.part-*"}, QDir::AllEntries | QDir::Hidden);
    EXPECT_TRUE(parts.isEmpty()) << parts.join(' ').toStdString();
}

// An export killed half-way leaves its part file; the next export takes away
// what ours left there, and no other file.
TEST_F(UsbExport, TheNextExportRemovesThePartsOfAKilledOne)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit none{0, 0};
        ::setrlimit(RLIMIT_CORE, &none);
        std::signal(SIGXFSZ, SIG_DFL);   // a write past the limit kills, half-way through the file
        rlimit small{200, 200};
        ::setrlimit(RLIMIT_FSIZE, &small);
        core.SaveAsUSBFile(screen, wpath(), 0x03, 0);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    QStringList left = QDir(dir.filePath("stick")).entryList({"program.dat.part-*"}, QDir::Files | QDir::Hidden);
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(fileBytes(target), old);

    // A part another export is writing now (it holds its lock), and files not ours by name.
    const QString live = dir.filePath("stick/program.dat.part-Live01");
    putFile(live, "being written");
    const int liveFd = ::open(QFile::encodeName(live).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(liveFd, 0);
    ASSERT_EQ(::flock(liveFd, LOCK_EX), 0);
    putFile(dir.filePath("stick/other.dat.part-abcdef"), "x");
    putFile(dir.filePath("stick/program.dat.part-notours"), "x");
    ASSERT_EQ(core.SaveAsUSBFile(screen, wpath(), 0x03, 0), 0);
    ::close(liveFd);
    QStringList after = stickFiles();
    after.sort();
    EXPECT_EQ(after, (QStringList{"other.dat.part-abcdef", "program.dat", "program.dat.part-Live01",
                                  "program.dat.part-notours"}));
    EXPECT_EQ(frames(fileBytes(target)).size(), 5u);
}
