#include "Screens.h"

#include "app/editor/FramePort.h"
#include "app/shell/ConfigFiles.h"
#include "app/shell/EditorPanel.h"
#include "app/shell/PanelView.h"
#include "core/api/Core.h"
#include "core/api/TypeRecords.h"
#include "core/model/ItemData.h"
#include "core/api/ItemRecord.h"
#include "grid/RealGrid.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QProcess>
#include <vector>

namespace windowbench {

namespace {

QString richText(int scene, int section)
{
    return QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil DejaVu Sans;}}"
                          "{\\colortbl ;\\red255\\green255\\blue0;\\red0\\green255\\blue0;}"
                          "\\pard\\cf1\\f0\\fs24 Scene %1 window %2 \\cf2\\b today\\b0  on the wall\\par"
                          " second line of the notice\\par}")
        .arg(scene)
        .arg(section);
}

QByteArray tableStream(int scene, int section)
{
    grid::CRealGrid table;
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            table.SetCellText(c, r, QStringLiteral("%1.%2 r%3c%4").arg(scene).arg(section).arg(r).arg(c).toStdU16String(),
                              false);
    std::vector<std::uint8_t> bytes;
    table.SaveTo(bytes);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

tagItemData* buildMidScreen(CCore& core, int n, const QString& picture)
{
    const std::u16string name = QStringLiteral("Mid%1").arg(n, 2, 10, QChar(u'0')).toStdU16String();
    tagItemData* screen = core.AddItem(IT_SCREEN, name.c_str(), nullptr, nullptr);
    if (!screen)
        return nullptr;
    core.ChangeItemRect(screen, 0, 0, 1024, 256);
    tagItemData* scene = nullptr;
    for (int s = 0; s < 4; ++s) {
        scene = core.AddItem(IT_SCENE, u"scene", screen, scene);
        tagItemData* section = nullptr;
        for (int i = 0; i < 8; ++i) {
            section = core.AddItem(IT_WND_PROGLIST, u"window", scene, section);
            core.ChangeItemRect(section, (i % 4) * 256, (i / 4) * 128, 256, 128);
            tagItemData* rich = core.AddItem(IT_TEXT, u"notice", section, nullptr);
            records::SetItemText(rich, richText(s, i));
            core.Paint(rich);
            tagItemData* pic = core.AddItem(IT_IMAGE, u"picture", section, rich);
            pic->Item.TypeRecord->set(records::picture::Path, picture);
            core.Paint(pic);
            tagItemData* table = core.AddItem(IT_GRID, u"table", section, pic);
            records::SetItemTableStream(table, tableStream(s, i));
            core.Paint(table);
        }
    }
    return screen;
}

} // namespace

bool writeLargestScreen(const QString& path)
{
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"Largest", nullptr, nullptr);
    if (!screen)
        return false;
    core.ChangeItemRect(screen, 0, 0, 4096, 512);
    tagItemData* scene = nullptr;
    for (int s = 0; s < 16; ++s) {
        scene = core.AddItem(IT_SCENE, u"scene", screen, scene);
        tagItemData* section = nullptr;
        for (int i = 0; i < 16; ++i) {
            section = core.AddItem(IT_WND_TEXT, u"window", scene, section);
            core.ChangeItemRect(section, (i % 4) * 1024, (i / 4) * 128, 1024, 128);
            const bool single = i % 2 == 0;
            tagItemData* text = core.AddItem(single ? IT_SINGLELINE : IT_TEXT, u"text", section, nullptr);
            records::SetItemText(text, single ? QStringLiteral("Scene %1, window %2: platform 4 now boarding").arg(s).arg(i)
                                              : richText(s, i));
            core.Paint(text);
        }
    }
    return core.SavePL(screen, reinterpret_cast<const char16_t*>(path.utf16())) == 0;
}

bool writeMidScreens(const QString& runFolder, int count)
{
    const QString folder = runFolder + u'/';
    const QString picture = folder + QStringLiteral("userdata/poster.png");
    if (!QDir().mkpath(folder + QStringLiteral("userdata")) || !support::writeWallPicture(picture))
        return false;
    CCore core;
    shell::ShellSettings settings;
    editor::FramePort port;
    shell::CEditorScreenPanel screenPanel(core, settings, folder, port);
    shell::CPanelView& panel = *screenPanel.View();
    for (int n = 0; n < count; ++n) {
        tagItemData* screen = buildMidScreen(core, n, picture);
        if (!screen || !panel.SaveScreen(screen, true))
            return false;
    }
    // As shut-down leaves them: the screens closed, then each listed.
    return panel.CloseAllScreens() == 1 && shell::SaveConfigIni(core, settings, folder + QStringLiteral("config.ini"));
}

bool writeSmallScreens(const QString& runFolder, int count)
{
    const QString folder = runFolder + u'/';
    if (!QDir().mkpath(folder + QStringLiteral("userdata")))
        return false;
    CCore core;
    shell::ShellSettings settings;
    editor::FramePort port;
    shell::CEditorScreenPanel screenPanel(core, settings, folder, port);
    shell::CPanelView& panel = *screenPanel.View();
    for (int n = 0; n < count; ++n) {
        const std::u16string name = QStringLiteral("Small%1").arg(n, 4, 10, QChar(u'0')).toStdU16String();
        tagItemData* screen = core.AddItem(IT_SCREEN, name.c_str(), nullptr, nullptr);
        if (!screen)
            return false;
        core.ChangeItemRect(screen, 0, 0, 128, 32);
        tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        tagItemData* section = core.AddItem(IT_WND_TEXT, u"window", scene, nullptr);
        core.ChangeItemRect(section, 0, 0, 128, 32);
        tagItemData* text = core.AddItem(IT_SINGLELINE, u"text", section, nullptr);
        records::SetItemText(text, QStringLiteral("Gate %1").arg(n));
        core.Paint(text);
        if (!panel.SaveScreen(screen, true))
            return false;
    }
    return panel.CloseAllScreens() == 1 && shell::SaveConfigIni(core, settings, folder + QStringLiteral("config.ini"));
}

quint16 startSimController(QProcess& sim, const QString& program)
{
    sim.start(program, {QStringLiteral("--tcp"), QStringLiteral("0")});
    quint16 port = 0;
    while (!port && sim.waitForReadyRead(5000))
        for (const QByteArray& line : sim.readAll().split('\n'))
            if (line.startsWith("tcp 127.0.0.1:"))
                port = quint16(line.mid(14).toUInt());
    return port;
}

} // namespace windowbench
