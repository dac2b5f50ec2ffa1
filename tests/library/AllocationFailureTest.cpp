// Nothing thrown leaves the library: every exported member that allocates is
// run with one of its allocations failing, the first or a later one, and
// gives its failure result with the tree as it was. The program's
// allocation functions are replaced here, and the library's own allocations
// come through them, as they would in the program.
#include "core/api/Core.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdlib>
#include <dlfcn.h>
#include <functional>
#include <new>
#include <vector>

// AddressSanitizer keeps an allocator of its own, which a replaced global
// operator new cannot share; the plain build runs these tests.
#if !defined(__SANITIZE_ADDRESS__)

namespace {

thread_local long t_allowed = -1;   // the library's allocations left before one fails; -1 none fails
thread_local long t_failed = 0;

// Base address of libSorvane.so, where the allocations that fail are made.
// Qt's own allocations go through: some are made where nothing may throw.
const void* libraryBase()
{
    static const void* base = [] {
        Dl_info info{};
        return dladdr(reinterpret_cast<const void*>(&CCore::TerminateComm), &info) ? info.dli_fbase : nullptr;
    }();
    return base;
}

bool madeByTheLibrary(const void* caller)
{
    Dl_info info{};
    return dladdr(caller, &info) && info.dli_fbase && info.dli_fbase == libraryBase();
}

void* allocate(std::size_t n, const void* caller)
{
    if (t_allowed >= 0 && madeByTheLibrary(caller)) {
        // One fails, as memory that runs short for a moment; the rest
        // (the undoing too) get theirs.
        if (t_allowed-- == 0) {
            ++t_failed;
            throw std::bad_alloc();
        }
    }
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t n) { return allocate(n, __builtin_return_address(0)); }
void* operator new[](std::size_t n) { return allocate(n, __builtin_return_address(0)); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Runs the call with the library's allocation number `allowed` (from 0)
// failing; returns how many failed (0 when the call made fewer).
template <typename Call>
long withFailingAllocations(long allowed, Call&& call)
{
    t_failed = 0;
    t_allowed = allowed;
    call();
    t_allowed = -1;
    return t_failed;
}

int countNodes(const tagItemData* node)
{
    int n = 1;
    for (const tagItemData* c = node->FirstChild; c; c = c->NextSibling)
        n += countNodes(c);
    return n;
}

// Every link of the subtree points back where it should.
bool linksHold(const tagItemData* node)
{
    const tagItemData* prev = nullptr;
    for (const tagItemData* c = node->FirstChild; c; c = c->NextSibling) {
        if (c->Parent != node || c->PrevSibling != prev || !linksHold(c))
            return false;
        prev = c;
    }
    return true;
}

std::vector<unsigned char> storeOf(CCore& core, tagItemData* screen)
{
    std::vector<unsigned char> image(core.GetStoreSize(screen));
    EXPECT_EQ(core.Store(screen, image.data(), static_cast<unsigned>(image.size())), 0u);
    return image;
}

std::vector<std::pair<unsigned, unsigned>> g_fileReports;
void recordFile(unsigned cmd, unsigned event, std::uintptr_t) { g_fileReports.emplace_back(cmd, event); }

class AllocationFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        ASSERT_NE(screen, nullptr);
        scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        section = core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
        line = core.AddItem(IT_SINGLELINE, u"line", section, nullptr);
        clock = core.AddItem(IT_CLOCKDIGIT, u"clock", section, line);
        ASSERT_TRUE(scene && section && line && clock);
        ASSERT_TRUE(records::SetItemText(line, QStringLiteral("kept through every failure")));
        core.SetFileCallBack(recordFile);
        g_fileReports.clear();
    }

    // Calls `make` with ever later failing allocations until one succeeds:
    // each failure gives null and leaves the tree as it was.
    void sweepCreation(const std::function<tagItemData*()>& make)
    {
        tagItemData* root = screen->Parent;
        const int before = countNodes(root);
        // Once without failures, so that caches made on first use (inside
        // Qt, where nothing may throw) are there before allocations fail.
        tagItemData* first = make();
        ASSERT_NE(first, nullptr);
        core.DeleteItem(first);
        for (long allowed = 0;; ++allowed) {
            tagItemData* made = nullptr;
            const long failed = withFailingAllocations(allowed, [&] { made = make(); });
            if (failed == 0) {
                ASSERT_NE(made, nullptr) << "no allocation failed, yet nothing was made";
                EXPECT_GT(countNodes(root), before);
                return;
            }
            // Work that can do without what it failed to get (a picture, say)
            // still makes the node; anything else gives null and no trace.
            if (made)
                ASSERT_EQ(countNodes(root), before + countNodes(made)) << "allocation " << allowed << " failed";
            else
                ASSERT_EQ(countNodes(root), before) << "allocation " << allowed << " failed";
            ASSERT_TRUE(linksHold(root)) << "allocation " << allowed << " failed";
            if (made) {
                core.DeleteItem(made);
                ASSERT_EQ(countNodes(root), before);
            }
        }
    }

    CCore core;
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    tagItemData* section = nullptr;
    tagItemData* line = nullptr;
    tagItemData* clock = nullptr;
};

} // namespace

TEST_F(AllocationFailure, MadeNodesAreNullAndTheTreeKeepsItsShape)
{
    // Kinds without rich text: Qt's text document and hash tables end the
    // process on a failed allocation of their own, where nothing may throw.
    sweepCreation([&] { return core.AddItem(IT_COUNT, u"counter", section, clock); });
    sweepCreation([&] { return core.AddItem(IT_SCENE, u"scene 2", screen, scene); });
    sweepCreation([&] { return core.AddItem(IT_SCREEN, u"screen 2", nullptr, nullptr); });
    sweepCreation([&] { return core.CopyItem(line, section, nullptr); });
    sweepCreation([&] { return core.CopyBranch(scene, screen, nullptr); });
    sweepCreation([&] { return core.CopyBranch(screen, nullptr, screen); });
}

TEST_F(AllocationFailure, StoreGivesNoHalfImage)
{
    const std::vector<unsigned char> whole = storeOf(core, screen);
    std::vector<unsigned char> image(whole.size(), 0xCC);
    unsigned rc = 0;
    EXPECT_GT(withFailingAllocations(0, [&] { rc = core.Store(screen, image.data(), unsigned(image.size())); }), 0);
    EXPECT_EQ(rc, 1u);
    EXPECT_EQ(image, std::vector<unsigned char>(whole.size(), 0));
    EXPECT_EQ(storeOf(core, screen), whole);
}

TEST_F(AllocationFailure, SavingAndLoadingKeepFileAndScreen)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("screen.pl");
    const std::u16string wpath = path.toStdU16String();
    ASSERT_EQ(core.SavePL(screen, wpath.c_str()), 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();

    // A save that fails leaves the old file and says so.
    core.DeleteItem(clock);
    g_fileReports.clear();
    int rc = 0;
    EXPECT_GT(withFailingAllocations(0, [&] { rc = core.SavePL(screen, wpath.c_str()); }), 0);
    EXPECT_EQ(rc, 1);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), saved);
    file.close();
    ASSERT_FALSE(g_fileReports.empty());
    EXPECT_EQ(g_fileReports.back(), std::make_pair(unsigned(CBC_SAVE_PL), unsigned(PLE_OPEN_FAILED)));

    // A load that fails anywhere leaves the screen as it was; one that got
    // by without what it could not have loads the whole file.
    const QString without = dir.filePath("without.pl");
    const std::u16string wwithout = without.toStdU16String();
    ASSERT_EQ(core.SavePL(screen, wwithout.c_str()), 0);
    ASSERT_EQ(core.LoadPL(screen, wwithout.c_str()), 0);
    const std::vector<unsigned char> shorter = storeOf(core, screen);
    ASSERT_EQ(core.LoadPL(screen, wpath.c_str()), 0);
    const std::vector<unsigned char> whole = storeOf(core, screen);
    ASSERT_NE(whole, shorter);
    for (long allowed = 0;; ++allowed) {
        ASSERT_EQ(core.LoadPL(screen, wwithout.c_str()), 0);
        ASSERT_EQ(storeOf(core, screen), shorter);
        g_fileReports.clear();
        const long failed = withFailingAllocations(allowed, [&] { rc = core.LoadPL(screen, wpath.c_str()); });
        if (failed == 0) {
            EXPECT_EQ(rc, 0);
            EXPECT_EQ(storeOf(core, screen), whole);
            break;
        }
        if (rc == 0) {
            ASSERT_EQ(storeOf(core, screen), whole) << "allocation " << allowed << " failed";
            continue;
        }
        ASSERT_EQ(rc, 1) << "allocation " << allowed << " failed";
        ASSERT_EQ(storeOf(core, screen), shorter) << "allocation " << allowed << " failed";
        ASSERT_EQ(g_fileReports.back(), std::make_pair(unsigned(CBC_LOAD_PL), unsigned(PLE_OPEN_FAILED)));
    }
}

TEST_F(AllocationFailure, LinksSearchesAndListsReportFailure)
{
    // A serial link to a port that is not there; the search looks nowhere.
    screen->Global.CommType = COMM_SERIAL;
    screen->Global.SerialPort = 250;
    core.EnableSerialPort(0);
    core.EnableLan(0);
    core.EnableWan(0);

    const std::vector<std::function<int()>> reads = {
        [&] { return core.RetrieveRemoteVer(screen); },
        [&] { return core.RetrieveHardwareInfo(screen); },
        [&] { return core.RetrieveIpInfo(screen); },
        [&] { return core.RetrieveWifiInfo(screen); },
    };
    for (std::size_t i = 0; i < reads.size(); ++i) {
        int rc = 0;
        EXPECT_GT(withFailingAllocations(0, [&] { rc = reads[i](); }), 0) << i;
        EXPECT_LT(rc, 0) << i;
    }

    int rc = -1;
    EXPECT_GT(withFailingAllocations(0, [&] { rc = core.SendUpgrade(screen); }), 0);
    EXPECT_EQ(rc, 0);
    rc = -1;
    EXPECT_GT(withFailingAllocations(0, [&] { rc = core.SendUpgrade2(screen); }), 0);
    EXPECT_EQ(rc, 0);
    rc = -1;
    EXPECT_GT(withFailingAllocations(0, [&] { rc = core.RetrieveConnection(screen); }), 0);
    EXPECT_EQ(rc, 0);
    unsigned found = 1;
    const int screens = countNodes(screen->Parent);
    // With no link to search the search asks for no memory; it finds nothing either way.
    withFailingAllocations(0, [&] { found = core.RetrieveConnection(0, 0, 0); });
    EXPECT_EQ(found, 0u);
    EXPECT_EQ(countNodes(screen->Parent), screens);

    core.AddPort(5005);
    CUniqueArray<unsigned short>* held = core.GetPortList();
    ASSERT_NE(held, nullptr);
    const int portCount = held->GetSize();
    CCore::ReleasePortList(held);
    CUniqueArray<unsigned short>* ports = reinterpret_cast<CUniqueArray<unsigned short>*>(1);
    EXPECT_GT(withFailingAllocations(0, [&] { ports = core.GetPortList(); }), 0);
    EXPECT_EQ(ports, nullptr);
    CUniqueArray<QString>* names = reinterpret_cast<CUniqueArray<QString>*>(1);
    withFailingAllocations(0, [&] { names = core.GetSerialPortList(); });
    EXPECT_EQ(names, nullptr);
    ports = core.GetPortList();   // and again once memory is there
    ASSERT_NE(ports, nullptr);
    EXPECT_EQ(ports->GetSize(), portCount);
    CCore::ReleasePortList(ports);
}

#else

TEST(AllocationFailure, RunsInThePlainBuildOnly)
{
    GTEST_SKIP() << "a replaced operator new cannot share AddressSanitizer's allocator";
}

#endif
