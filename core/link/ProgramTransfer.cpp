#include "core/api/Callbacks.h"
#include "core/link/CommSession.h"
#include "core/link/Commands.h"
#include "core/link/LinkBase.h"
#include "core/link/ProgramTransfer.h"
#include "core/api/Core.h"
#include "core/model/CoreAccess.h"
#include "core/model/ItemData.h"
#include "core/model/Tree.h"
#include "core/render/ContentCompiler.h"
#include "core/render/ProgramSchema.h"
#include "platform/ByteIO.h"
#include "platform/Clock.h"
#include "platform/OperatorFile.h"

#include "core/link/Upgrade.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace sorvane::link;
using namespace sorvane::model;
using sorvane::render::CContentCompiler;

namespace {

constexpr int kBlockPauseMs = 200;
constexpr int kCompileFailedInFile = 10;

using sorvane::render::program::Block;
using sorvane::render::program::BlockOrder;

// The command a block of the program goes out with.
std::uint8_t commandOf(Block block)
{
    switch (block) {
    case Block::PageMap: return TOS_PAGEMAP;
    case Block::ProgramMap: return TOS_PROGMAP;
    case Block::ProgramMask: return TOS_PROGMASK;
    case Block::ProgramData: break;
    }
    return TOS_PROGDATA;
}

// Puts one block into the session's request buffer.
void loadBlock(CommSession& session, tagItemData* screen, Block block)
{
    session.request.assign(CContentCompiler::GetBlockSize(screen, block), 0);
    CContentCompiler::CopyBlock(screen, block, session.request.data(), session.request.size());
}

// A compile stopped by a cancel leaves the event set for the transfer to
// see: take it here and end as a cancel before a block does, so it neither
// reads as a refused compile nor stops the next transfer.
bool compileCancelled(const CommSession& session, unsigned event)
{
    if (!CancelRequested())
        return false;
    session.report(TOS_PAGEMAP, event, 0);
    return true;
}

// Ends the screen's compile (kept for the next send or freed) however the
// sequence ends.
struct CompiledScope {
    tagItemData* screen;
    ~CompiledScope() { CContentCompiler::FreeBuffers(screen); }
};

} // namespace

namespace sorvane::link {

int SendProgramBlocks(CommSession& session, tagItemData* node)
{
    const tagItemData* screen = GetScreenOf(node);
    return screen ? SendProgramBlocks(session, node, screen->Global.SwapRedGreen != 0) : 0;
}

int SendProgramBlocks(CommSession& session, tagItemData* node, bool swapRedGreen)
{
    tagItemData* screen = GetScreenOf(node);
    if (!screen)
        return 0;
    if (const tagItemData* item = CContentCompiler::UndrawableItem(screen)) {
        // It would go out black and the send be taken for a success: named.
        const char16_t* end = std::find(std::begin(item->Name), std::end(item->Name), u'\0');
        const std::u16string name(std::begin(item->Name), end);
        session.report(CBC_PICTURE_FILE, CBE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(name.c_str()));
        return COMM_E_OPEN;
    }
    CompiledScope scope{screen};
    if (!CContentCompiler::Compile(screen, swapRedGreen))
        return compileCancelled(session, CBE_CANCELLED) ? int(COMM_E_CANCELLED) : 0;
    int rc = 0;
    for (std::size_t i = 0; i < std::size(BlockOrder); ++i) {
        if (i > 0) {
            if (rc < 0)
                break;
            PauseUnlessCancelled(kBlockPauseMs);   // the controller's time between blocks; a cancel shows in the next block
        }
        loadBlock(session, screen, BlockOrder[i]);
        // The last block's acknowledgement ends the transfer.
        const bool last = i + 1 == std::size(BlockOrder);
        rc = session.sendRequest(commandOf(BlockOrder[i]), last ? std::uint32_t(REPLY_ACK_LAST) : 0u);
    }
    return rc;
}

int WriteProgramBlocks(CommSession& session, tagItemData* node)
{
    tagItemData* screen = GetScreenOf(node);
    if (!screen)
        return kCompileFailedInFile;
    CompiledScope scope{screen};
    if (!CContentCompiler::Compile(screen))
        return compileCancelled(session, UFE_CANCELLED) ? int(COMM_E_CANCELLED) : kCompileFailedInFile;
    int rc = 0;
    for (std::size_t i = 0; i < std::size(BlockOrder) && rc == 0; ++i) {
        session.fileMode = i == 0 ? QStringLiteral("wb+") : QStringLiteral("ab+");
        loadBlock(session, screen, BlockOrder[i]);
        rc = session.sendRequest(commandOf(BlockOrder[i]), 0);
    }
    return rc;
}

} // namespace sorvane::link

namespace {

// The screen a USB-stick export writes for: the node's screen, when it has a scene.
tagItemData* exportScreen(tagItemData* node)
{
    tagItemData* screen = GetScreenOf(node);
    return screen && screen->FirstChild ? screen : nullptr;
}

int writeWord(CommSession& session, std::uint8_t command, std::uint32_t value)
{
    session.request.assign(4, 0);
    bytes::put32(session.request.data(), 0, value);
    return session.sendRequest(command, 0);
}

int writeHardware(CommSession& session, const tagGlobalInfo& board)
{
    session.request.assign(kHardwareBlockSize, 0);
    BuildHardwareBlock(board, session.request.data());
    return session.sendRequest(TOS_HWCONFIG, 0);
}

} // namespace

int CCore::SendPrograms(tagItemData* screen)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return 0;
    return SendPrograms(screen, GetSendLink(screen));
}

int CCore::SendPrograms(tagItemData* screen, const LinkSettings& link)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return 0;
    if (GetValidChildNum(screen) == 0)
        return 1;
    try {
        CommSession session;
        OpenSession(link, session);
        return SendProgramBlocks(session, screen, link.SwapRedGreen != 0);
    } catch (...) {
        CContentCompiler::FreeBuffers(screen);
        return 0;
    }
}

namespace {

// Reports of one export go through here: "written" waits until the whole file
// is on the stick, and failures name the export's own path.
struct ExportReports {
    CoreCallBack target = nullptr;
    const char16_t* path = nullptr;
    std::vector<unsigned> written;   // commands of the blocks written
};
thread_local ExportReports* t_reports = nullptr;

void exportCallback(unsigned cmd, unsigned event, std::uintptr_t value)
{
    ExportReports* r = t_reports;
    if (!r)
        return;
    if (event == UFE_WRITTEN) {
        r->written.push_back(cmd);
        return;
    }
    if (event == UFE_OPEN_FAILED)
        value = reinterpret_cast<std::uintptr_t>(r->path);
    if (r->target)
        r->target(cmd, event, value);
}

// Part files of exports of ours that ended before they were put in place
// (the program was killed): a live export holds a lock on its own.
void removeStaleParts(const QByteArray& target)
{
    const QFileInfo info(QFile::decodeName(target));
    const QString prefix = info.fileName() + QStringLiteral(".part-");
    const QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden)) {
        const QByteArray part = QFile::encodeName(folder.filePath(name));
        const int fd = ::open(part.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(part.constData());
        ::close(fd);
    }
}

// The new export is written beside the old file and renamed over it only
// when every block was written, so a failed or cancelled export leaves the
// old file as it was. Through a symbolic link it is the linked file that
// is replaced, as an editor would, and the link stays. Only a regular file
// or a name not there yet is written: a device, a pipe or a folder, named
// or linked to, is refused and left as it is.
class StagedExport {
public:
    StagedExport(const char16_t* path, CoreCallBack callback)
    {
        m_reports.target = callback;
        m_reports.path = path;
        m_previous = t_reports;
        t_reports = &m_reports;
        if (platform::operatorWriteTarget(QString::fromUtf16(path), m_target) != platform::FileRead::Ok)
            return;
        removeStaleParts(m_target);
        QByteArray pattern = m_target + ".part-XXXXXX";
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            return;
        // Held until the part is renamed or removed: the next export sees it is ours and alive.
        ::flock(fd, LOCK_EX);
        m_lock = fd;
        m_temp = pattern;
    }
    ~StagedExport()
    {
        if (!m_temp.isEmpty())
            ::unlink(m_temp.constData());
        if (m_lock >= 0)
            ::close(m_lock);
        t_reports = m_previous;
    }
    StagedExport(const StagedExport&) = delete;
    StagedExport& operator=(const StagedExport&) = delete;

    bool ok() const { return !m_temp.isEmpty(); }
    QString path() const { return QFile::decodeName(m_temp); }

    // No place for the new file beside the old one.
    int openFailed(unsigned cmd) const
    {
        if (m_reports.target)
            m_reports.target(cmd, UFE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(m_reports.path));
        return 1;
    }

    // Synced to the stick, then renamed over the old file; the held
    // "written" reports follow. 0, or 13 when it could not be put in place.
    int commit()
    {
        int fd = ::open(m_temp.constData(), O_RDWR | O_CLOEXEC);
        bool done = fd >= 0;
        if (done) {
            struct stat old {};
            const mode_t mode = ::stat(m_target.constData(), &old) == 0 ? (old.st_mode & 07777) : defaultMode();
            ::fchmod(fd, mode);
            done = ::fsync(fd) == 0;
            done = ::close(fd) == 0 && done;
        }
        // Looked at again just before: what the path names may have changed meanwhile.
        QByteArray now;
        if (done)
            done = platform::operatorWriteTarget(QString::fromUtf16(m_reports.path), now) == platform::FileRead::Ok
                   && now == m_target;
        if (done)
            done = ::rename(m_temp.constData(), m_target.constData()) == 0;
        if (!done) {
            if (m_reports.target)
                m_reports.target(m_reports.written.empty() ? 0u : m_reports.written.back(), UFE_CLOSE_FAILED, 0);
            return UFE_CLOSE_FAILED;
        }
        m_temp.clear();
        // The rename itself must reach the stick too.
        const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(m_target)).absolutePath());
        fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
        if (m_reports.target)
            for (unsigned cmd : m_reports.written)
                m_reports.target(cmd, UFE_WRITTEN, 0);
        return 0;
    }

private:
    static mode_t defaultMode()
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0666 & ~mask;
    }

    QByteArray m_target;
    QByteArray m_temp;
    int m_lock = -1;
    ExportReports m_reports;
    ExportReports* m_previous = nullptr;
};

} // namespace

int CCore::SaveAsUSBFile(tagItemData* node, const char16_t* path)
{
    tagItemData* screen = exportScreen(node);
    if (!screen || !path)
        return 1;
    try {
        StagedExport staged(path, m_fileCallBack);
        if (!staged.ok())
            return staged.openFailed(TOS_PAGEMAP);
        CommSession session;
        CreateFileSession(session, staged.path(), exportCallback);
        if (WriteProgramBlocks(session, screen) != 0)
            return 1;
        session.fileMode = QStringLiteral("ab+");
        // The hardware block is the screen's, whichever node of it was given.
        if (writeHardware(session, screen->Global) != 0)
            return 1;
        return staged.commit() == 0 ? 0 : 1;
    } catch (...) {
        CContentCompiler::FreeBuffers(screen);
        return 1;
    }
}

namespace {

int saveUsbFile(CoreCallBack fileCallBack, tagItemData* node, const char16_t* path, unsigned flags, unsigned value,
                std::uint32_t hardwareId)
{
    tagItemData* screen = GetScreenOf(node);
    if (!screen || !path)
        return 1;
    // The controller the file is for: the screen's block with its model.
    tagGlobalInfo board = screen->Global;
    board.HardwareId = hardwareId;
    try {
        StagedExport staged(path, fileCallBack);
        if (!staged.ok())
            return (flags & 0x3F) ? staged.openFailed(0) : 0;
        CommSession session;
        CreateFileSession(session, staged.path(), exportCallback);
        bool first = true;
        bool cancelled = false;
        int result = 0;
        auto next = [&](int rc) {
            result |= rc;
            first = false;
            // A cancel ends the export; the parts written so far are thrown away.
            cancelled = rc == COMM_E_CANCELLED;
        };
        auto mode = [&] { session.fileMode = first ? QStringLiteral("wb+") : QStringLiteral("ab+"); };
        if (flags & USB_PROGRAMS)
            next(WriteProgramBlocks(session, screen));
        if ((flags & USB_HARDWARE) && !cancelled) {
            mode();
            next(writeHardware(session, board));
        }
        if ((flags & USB_CLOCK) && !cancelled) {
            mode();
            next(writeWord(session, TOS_SETTIME, value));
        }
        if ((flags & USB_RESET) && !cancelled) {
            mode();
            next(writeWord(session, TOS_RESET, 0));
        }
        if ((flags & USB_CLEAR) && !cancelled) {
            mode();
            next(writeWord(session, TOS_CLEARPROG, 0));
        }
        // The image an upgrade would send; nothing when there is none.
        FirmwareLoad image = FirmwareLoad::NoImage;
        if ((flags & USB_FIRMWARE) && !cancelled
            && (LoadFirmwareImage(session, &board, &image) > 0 || image != FirmwareLoad::NoImage)) {
            mode();
            if (wholeFirmwareImage(session.request)) {
                next(session.sendRequest(TOS_FIRMWARE, 0));
            } else {
                // A damaged or unreadable image is refused rather than carried to a controller.
                session.request.clear();
                session.report(TOS_FIRMWARE, UFE_WRITE_FAILED, 0);
                next(UFE_WRITE_FAILED);
            }
        }
        // Nothing written: the old file stays.
        if (result == 0 && !first)
            result = staged.commit();
        return result;
    } catch (...) {
        CContentCompiler::FreeBuffers(screen);
        return 1;
    }
}

} // namespace

int CCore::SaveAsUSBFile(tagItemData* node, const char16_t* path, unsigned flags, unsigned value)
{
    const tagItemData* screen = GetScreenOf(node);
    return saveUsbFile(m_fileCallBack, node, path, flags, value, screen ? screen->Global.HardwareId : 0);
}

int SaveAsUSBFileFor(CCore& core, tagItemData* node, const char16_t* path, unsigned flags, unsigned value,
                     std::uint32_t hardwareId)
{
    return saveUsbFile(CoreAccess::fileCallBack(core), node, path, flags, value, hardwareId);
}
