// Every count, index and length the program reads from its ini files and
// program lists, at its bound, one past it and at 2^31 - 1: what is read
// never numbers more than exists, and nothing loops towards the value.
#include "ShellTestUtil.h"

#include "app/dialogs/groups/GroupInfo.h"
#include "app/shell/ConfigFiles.h"
#include "core/api/Core.h"
#include "core/model/ProgramList.h"

#include <QElapsedTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace shelltest;

namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

// A screen of one scene, one section and one single-line text, stored, and
// the stored size of the text's record.
Bytes storedScreen(CCore& core, std::size_t& itemPayload)
{
    tagItemData* screen = core.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"texts", scene, nullptr);
    tagItemData* line = core.AddItem(IT_SINGLELINE, u"line", section, nullptr);
    itemPayload = TypeRecordPayloadSize(*line->Item.TypeRecord);
    Bytes out(core.GetStoreSize(screen));
    core.Store(screen, out.data(), static_cast<unsigned>(out.size()));
    core.DeleteItem(screen);
    return out;
}

struct Row {
    const char* what;
    std::int64_t bound;
    // Reads the file with the value in it; what the program took from it.
    std::function<std::int64_t(std::int64_t value)> read;
    // What it may take: the value up to the bound, past it this.
    std::int64_t pastBound;
};

} // namespace

TEST(FileCounts, NoCountReadFromAFileNumbersMoreThanExists)
{
    QTemporaryDir dir;
    const QString groups = dir.filePath("groupinfo.ini");
    const QString usr = dir.filePath("usr.ini");
    const QString config = dir.filePath("config.ini");
    const auto groupFile = [&](const QByteArray& num, const QByteArray& id) {
        QByteArray text = "[GroupInfo]\r\nnum=" + num + "\r\n";
        for (int k = 1; k <= 3; ++k)
            text += "[Group" + QByteArray::number(k) + "]\r\nGroupName" + QByteArray::number(k) + "=g"
                    + QByteArray::number(k) + "\r\nid1=" + id + "\r\n";
        EXPECT_TRUE(writeFile(groups, text));
    };
    // config.ini holding one [Config] line, read into `c`.
    const auto loadConfig = [&](CCore& c, const QByteArray& line) {
        EXPECT_TRUE(writeFile(config, "[Config]\r\n" + line + "\r\n"));
        shell::ShellSettings s;
        shell::LoadConfigIni(c, s, config);
    };
    CCore core;
    std::size_t itemPayload = 0;
    const Bytes screen = storedScreen(core, itemPayload);
    // The text item is the last node: its record and text end the image.
    const std::size_t itemAt = screen.size() - itemPayload - ITEMDATA_SIZE;
    const auto loads = [&](const Bytes& image) {
        tagItemData* target = core.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
        const bool ok = sorvane::model::LoadProgramList(target, image.data(), image.size()) == PL_OK;
        core.DeleteItem(target);
        return ok;
    };

    const Row rows[] = {
        {"groupinfo.ini num (three groups held)", 3,
         [&](std::int64_t v) {
             groupFile(QByteArray::number(v), "0");
             const QByteArray before = readFile(groups);
             const qsizetype n = dialogs::GroupInfoFile(groups).allNames().size();
             // A count past what the file holds is damaged: never written over.
             if (v > 3) {
                 EXPECT_EQ(dialogs::GroupInfoFile(groups).add("new", {0}, {"a"}, {}), dialogs::GroupInfoFile::Damaged);
                 EXPECT_EQ(readFile(groups), before);
             }
             return std::int64_t(n);
         },
         0},
        {"groupinfo.ini id (four screens open)", 3,
         [&](std::int64_t v) {
             groupFile("3", QByteArray::number(v));
             const QList<int> members = dialogs::GroupInfoFile(groups).membersNamed("g1", 4);
             return members.isEmpty() ? std::int64_t(-1) : std::int64_t(members.front());
         },
         -1},
        {"usr.ini DefaultLedSize", 3,
         [&](std::int64_t v) {
             EXPECT_TRUE(writeFile(usr, "[usr]\r\nDefaultLedSize=" + QByteArray::number(v) + "\r\n"));
             shell::ShellSettings s;
             shell::LoadUsrIni(s, usr);
             return std::int64_t(s.defaultLedSize);
         },
         3},
        {"config.ini Threshold", 255,
         [&](std::int64_t v) {
             CCore c;
             loadConfig(c, "Threshold=" + QByteArray::number(v));
             const auto t = std::int64_t(CCore::GetColorThreshold());
             CCore::SetColorThreshold(128);
             return t;
         },
         255},
        {"config.ini RetrievePort", 0xFFFF,
         [&](std::int64_t v) {
             CCore c;
             loadConfig(c, "RetrievePort=" + QByteArray::number(v) + ";");
             CUniqueArray<unsigned short>* ports = c.GetPortList();
             const std::int64_t got = ports && ports->GetSize() == 1 ? (*ports)[0] : -1;
             CCore::ReleasePortList(ports);
             return got;
         },
         -1},
        {"program list: an item's record length (the bytes after it)", std::int64_t(itemPayload),
         [&](std::int64_t v) {
             Bytes image = screen;
             put32(image, itemAt + 328, std::uint32_t(v));
             return loads(image) ? v : -1;
         },
         -1},
        {"program list: the node area's length (the bytes after the header)",
         std::int64_t(screen.size() - sorvane::model::PL_NODES_OFFSET),
         [&](std::int64_t v) {
             Bytes image = screen;
             put32(image, 4, std::uint32_t(v));
             return loads(image) ? v : -1;
         },
         -1},
    };
    for (const Row& row : rows) {
        for (const std::int64_t v : {row.bound, row.bound + 1, std::int64_t(INT32_MAX)}) {
            QElapsedTimer clock;
            clock.start();
            const std::int64_t got = row.read(v);
            EXPECT_EQ(got, v <= row.bound ? v : row.pastBound) << row.what << " = " << v;
            EXPECT_LT(clock.elapsed(), 1000) << row.what << " = " << v;
        }
    }
}
