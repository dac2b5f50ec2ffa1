#include "app/spine/NodeNotice.h"

#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/OwnerThread.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <array>
#include <cstring>

namespace spine {

bool NodeNotices::onOwnThread() const
{
    if (QThread::currentThread() == thread())
        return true;
    // A worker's write is announced by whoever waited for the job, once it ended.
    qWarning("spine: a node notice asked for off the interface thread was refused");
    return false;
}

void NodeNotices::changed(tagItemData* node, NodeChanges what, const QObject* origin)
{
    if (node && what && onOwnThread()) {
        CCore::NoteWritten(node);
        emit nodeChanged(node, what, origin);
    }
}

void NodeNotices::deleting(tagItemData* node)
{
    if (node && onOwnThread())
        emit nodeDeleting(node);
}

void NodeNotices::flushPendingEdits()
{
    if (onOwnThread())
        emit pendingEditsFlushed();
}

NodeNotices& notices()
{
    static NodeNotices* n = [] {
        auto* made = new NodeNotices;
        // Made on first use, perhaps before the application: it belongs to the
        // interface thread either way.
        if (QCoreApplication* app = QCoreApplication::instance())
            made->moveToThread(app->thread());
        return made;
    }();
    return *n;
}

// The write roads end here: a write made off the interface thread stops a
// debug or sanitizer build before it is told.
void announce(CCore& core, tagItemData* node, NodeChanges what, const QObject* origin)
{
    SORVANE_ASSERT_OWNER(core);
    // Also a write no other window shows (a stay time) is one to save.
    CCore::NoteWritten(node);
    if (!node || !what)
        return;
    if (what & NodeChange::Content)
        core.Paint(node);
    notices().changed(node, what, origin);
}

NodeChanges screenBlockChanges(const tagGlobalInfo& before, const tagGlobalInfo& after)
{
    NodeChanges c;
    if (before.Width != after.Width || before.Height != after.Height)
        c |= NodeChange::Geometry;
    if (before.Type != after.Type)
        c |= NodeChange::WorkMode;
    const bool sameLink = before.CommType == after.CommType && before.SerialPort == after.SerialPort
                       && before.BaudRate == after.BaudRate && before.AdapterIndex == after.AdapterIndex
                       && std::equal(std::begin(before.DstMAC), std::end(before.DstMAC), std::begin(after.DstMAC))
                       && before.HostKind == after.HostKind && before.HostPort == after.HostPort
                       && std::strncmp(before.Host, after.Host, sizeof before.Host) == 0
                       && before.TargetScreen == after.TargetScreen;
    if (!sameLink)
        c |= NodeChange::Link;
    // Every other field counts through the block's stored image.
    std::array<std::uint8_t, GLOBALINFO_SIZE> a{}, b{};
    WriteGlobalInfo(before, a.data());
    WriteGlobalInfo(after, b.data());
    if (a != b)
        c |= NodeChange::Hardware;
    return c;
}

void announceScreenBlock(CCore& core, tagItemData* screen, const tagGlobalInfo& before)
{
    SORVANE_ASSERT_OWNER(core);
    if (CCore::IsRoot(screen) != 1)
        return;
    const NodeChanges what = screenBlockChanges(before, screen->Global);
    if (what)
        CCore::NoteWritten(screen);
    if (what & NodeChange::Geometry) {
        // The block holds the new size already: each scene fits its sections to it.
        const int w = screen->Global.Width, h = screen->Global.Height;
        for (tagItemData* scene = screen->FirstChild; scene; scene = scene->NextSibling)
            core.ChangeItemRect(scene, 0, 0, w, h);
    }
    notices().changed(screen, what);
}

void restoreScreenBlock(CCore& core, tagItemData* screen, const tagGlobalInfo& block)
{
    writeScreenBlock(core, screen, [&] { screen->Global = block; });
}

} // namespace spine
