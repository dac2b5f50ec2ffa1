#include "core/link/CommCodes.h"
#include "core/link/CommSession.h"
#include "core/link/Commands.h"
#include "core/link/LinkSwap.h"
#include "core/link/ProgramTransfer.h"
#include "core/model/Core.h"
#include "core/model/ItemData.h"
#include "core/model/Tree.h"
#include "core/render/ContentCompiler.h"
#include "platform/ByteIO.h"
#include "platform/Clock.h"

#include <cstring>

namespace {

constexpr int kBlockPauseMs = 200;
constexpr int kCompileFailedInFile = 10;

struct ProgramBlock {
    std::size_t (*size)(tagItemData*);
    std::size_t (*copy)(tagItemData*, std::uint8_t*, std::size_t);
    std::uint8_t command;
};

constexpr ProgramBlock kBlocks[] = {
    {CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap, TOS_PAGEMAP},
    {CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap, TOS_PROGMAP},
    {CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask, TOS_PROGMASK},
    {CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData, TOS_PROGDATA},
};

// Puts one block into the session's request buffer.
void loadBlock(CommSession& session, tagItemData* screen, const ProgramBlock& b)
{
    session.request.assign(b.size(screen), 0);
    b.copy(screen, session.request.data(), session.request.size());
}

// Frees the compiled buffers of the screen however the sequence ends.
struct CompiledScope {
    tagItemData* screen;
    ~CompiledScope() { CContentCompiler::FreeBuffers(screen); }
};

} // namespace

int SendProgramBlocks(CommSession& session, tagItemData* node)
{
    tagItemData* screen = GetScreenOf(node);
    if (!screen)
        return 0;
    CompiledScope scope{screen};
    if (!CContentCompiler::Compile(screen))
        return 0;
    int rc = 0;
    for (std::size_t i = 0; i < std::size(kBlocks); ++i) {
        if (i > 0) {
            if (rc < 0)
                break;
            platform::sleepFor(kBlockPauseMs);   // the controller's time between blocks
        }
        loadBlock(session, screen, kBlocks[i]);
        const std::uint32_t reply = kBlocks[i].command == TOS_PROGDATA ? std::uint32_t(REPLY_ACK_LAST) : 0u;
        rc = session.sendRequest(kBlocks[i].command, reply);
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
        return kCompileFailedInFile;
    int rc = 0;
    for (std::size_t i = 0; i < std::size(kBlocks) && rc == 0; ++i) {
        session.fileMode = i == 0 ? QStringLiteral("wb+") : QStringLiteral("ab+");
        loadBlock(session, screen, kBlocks[i]);
        rc = session.sendRequest(kBlocks[i].command, 0);
    }
    return rc;
}

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

int writeHardware(CommSession& session, const tagItemData* screen)
{
    session.request.assign(kHardwareBlockSize, 0);
    BuildHardwareBlock(screen->Global, session.request.data());
    return session.sendRequest(TOS_HWCONFIG, 0);
}

} // namespace

int CCore::SendPrograms(tagItemData* screen)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return 0;
    if (GetValidChildNum(screen) == 0)
        return 1;
    try {
        LinkSwap swap(*this, screen, GetSecondaryScreen(screen));
        CommSession session;
        CreateCommSession(session, screen->Global.ID, kRequestTimeout, m_commCallBack);
        SetCommInterface(screen, &session);
        return SendProgramBlocks(session, screen);
    } catch (...) {
        CContentCompiler::FreeBuffers(screen);
        return 0;
    }
}

int CCore::SaveAsUSBFile(tagItemData* node, const char16_t* path)
{
    tagItemData* screen = exportScreen(node);
    if (!screen || !path)
        return 1;
    try {
        CommSession session;
        CreateFileSession(session, QString::fromUtf16(path), m_fileCallBack);
        if (WriteProgramBlocks(session, screen) != 0)
            return 1;
        session.fileMode = QStringLiteral("ab+");
        // The hardware block is the screen's, whichever node of it was given.
        return writeHardware(session, screen) == 0 ? 0 : 1;
    } catch (...) {
        CContentCompiler::FreeBuffers(screen);
        return 1;
    }
}

int CCore::SaveAsUSBFile(tagItemData* node, const char16_t* path, unsigned flags, unsigned value)
{
    tagItemData* screen = GetScreenOf(node);
    if (!screen || !path)
        return 1;
    try {
        CommSession session;
        CreateFileSession(session, QString::fromUtf16(path), m_fileCallBack);
        bool first = true;
        int result = 0;
        auto next = [&](int rc) {
            result |= rc;
            first = false;
        };
        auto mode = [&] { session.fileMode = first ? QStringLiteral("wb+") : QStringLiteral("ab+"); };
        if (flags & USB_PROGRAMS)
            next(WriteProgramBlocks(session, screen));
        if (flags & USB_HARDWARE) {
            mode();
            next(writeHardware(session, screen));
        }
        if (flags & USB_CLOCK) {
            mode();
            next(writeWord(session, TOS_SETTIME, value));
        }
        if (flags & USB_RESET) {
            mode();
            next(writeWord(session, TOS_RESET, 0));
        }
        if (flags & USB_CLEAR) {
            mode();
            next(writeWord(session, TOS_CLEARPROG, 0));
        }
        // USB_FIRMWARE: no firmware image is carried by this library, so nothing is written.
        return result;
    } catch (...) {
        CContentCompiler::FreeBuffers(screen);
        return 1;
    }
}
