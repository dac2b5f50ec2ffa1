// One name per command and one command per name: within one popup or bar no
// command's name, tip or status text names another command of it, and a
// command is called the same wherever a menu, button or dialog names it.
#include "PackFiles.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace platform;

namespace {

constexpr unsigned kFrameMenu = 128;
constexpr unsigned kTreeMenu = 6188;

// The screen's tree popup runs these frame commands through a chosen link,
// in the order of its link submenus (the fourth, reset, has no frame command).
const unsigned kLinkSubmenus[] = {32771, 32777, 0, 32895, 32896};

// The item-kind bar: its buttons take their texts from these strings.
constexpr unsigned kKindFirst = 6121, kKindLast = 6129;

// Places outside the menus that name a command of the frame, or one control
// shown in two dialogs.
struct Alias {
    const char* place;   // "string 57348" or "dialog 6280/6298"
    const char* command; // the command's key
};
const Alias kAliases[] = {
    {"string 57348", "frame 32905"},        // the Find button's drop-down runs the search
    {"dialog 6471/0", "frame 32905"},       // the dialog the search opens
    {"dialog 6280/6298", "frame 32777"},    // the USB-stick file sets the clock as the command does
    {"dialog 6435/6438", "work mode by hand"},   // wizard
    {"dialog 6529/6438", "work mode by hand"},   // new screen
};

// Pairs where one command's text starts with another's name and means it:
// a bulk send is a send of scenes.
const std::pair<const char*, const char*> kAllowed[] = {
    {"frame 33031", "frame 32771"},
};

// A command's name as a reader compares it: no mnemonic, no "..." or colon.
QString bare(QString text)
{
    static const QRegularExpression mark(QStringLiteral("\\(&.\\)|&(?!&)"));
    static const QRegularExpression tail(QStringLiteral("(\\.\\.\\.|\u2026\u2026|:|\uFF1A)\\s*$"));
    return text.remove(mark).remove(tail).trimmed();
}

struct Command {
    std::string key;   // "frame 32896", "menu 6188 32889"
    QString name;
};

struct Scope {
    std::string where;
    std::vector<Command> commands;
};

struct PackView {
    std::vector<Scope> scopes;
    std::map<std::string, std::set<std::pair<QString, std::string>>> names;   // key -> (name, place)
};

std::string frameKey(unsigned id) { return "frame " + std::to_string(id); }

// Every popup of the menus, and the bars, as the program builds them.
PackView viewOf()
{
    PackView v;
    std::function<void(const QList<LangMenuItem>&, unsigned, const std::string&, int)> walk =
        [&](const QList<LangMenuItem>& items, unsigned menu, const std::string& where, int depth) {
            Scope scope{where, {}};
            int popupIndex = 0;
            for (const LangMenuItem& item : items) {
                if (item.separator)
                    continue;
                const QString name = bare(item.text);
                std::string key;
                if (item.isPopup()) {
                    walk(item.submenu, menu, where + " / " + name.toStdString(), depth + 1);
                    if (menu == kTreeMenu && depth == 1 && popupIndex < 5) {
                        const unsigned id = kLinkSubmenus[popupIndex];
                        key = id ? frameKey(id) : where + " reset";
                    }
                    ++popupIndex;
                } else {
                    key = menu == kFrameMenu ? frameKey(item.command)
                                             : "menu " + std::to_string(menu) + " " + std::to_string(item.command);
                }
                if (key.empty())
                    continue;
                scope.commands.push_back({key, name});
                v.names[key].insert({name, where});
            }
            if (!scope.commands.empty())
                v.scopes.push_back(std::move(scope));
        };
    for (unsigned id : {kFrameMenu, kTreeMenu, 6127u}) {
        const std::optional<LangMenu> menu = langMenu(id);
        EXPECT_TRUE(menu) << id;
        if (menu)
            walk(menu->items, id, "menu " + std::to_string(id), 0);
    }
    // A button shows the short half of its command's string.
    auto button = [](unsigned id) {
        return Command{frameKey(id), bare(langString(id).section(u'\n', -1))};
    };
    for (unsigned bar : {128u, 6045u}) {
        Scope scope{"toolbar " + std::to_string(bar), {}};
        for (unsigned id : langToolBar(bar) ? langToolBar(bar)->ids : QList<unsigned>{})
            if (id)
                scope.commands.push_back(button(id));
        v.scopes.push_back(std::move(scope));
    }
    Scope kinds{"item-kind bar", {}};
    for (unsigned id = kKindFirst; id <= kKindLast; ++id)
        kinds.commands.push_back(button(id));
    v.scopes.push_back(std::move(kinds));
    for (const Alias& a : kAliases) {
        const QString place = QString::fromLatin1(a.place);
        const QStringList parts = place.section(u' ', 1).split(u'/');
        const QString text = place.startsWith(QLatin1String("string")) ? langString(parts[0].toUInt())
                                                                       : langDialogText(parts[0].toUInt(), parts[1].toUInt());
        EXPECT_FALSE(text.isEmpty()) << a.place;
        v.names[a.command].insert({bare(text), a.place});
    }
    return v;
}

// What a reader meets of a command: its name, and for a frame command the
// status text and the button text of its string.
QStringList textsOf(const Command& c)
{
    QStringList texts{c.name};
    if (c.key.rfind("frame ", 0) == 0) {
        for (const QString& half : langString(std::stoul(c.key.substr(6))).split(u'\n'))
            texts << bare(half);
    }
    return texts;
}

bool allowed(const std::string& a, const std::string& b)
{
    for (const auto& [x, y] : kAllowed)
        if (a == x && b == y)
            return true;
    return false;
}

// True when the text reads as the other command: it is its name, or it
// begins with that name where the command's own name does not.
bool namesOther(const QString& text, const QString& own, const QString& other)
{
    if (other.isEmpty())
        return false;
    return text == other || (text != own && text.startsWith(other) && !own.startsWith(other));
}

} // namespace

TEST(PackCommandNames, TheRuleCatchesATipThatNamesAnotherCommand)
{
    EXPECT_TRUE(namesOther(QStringLiteral("Close screen"), QStringLiteral("Off"), QStringLiteral("Close screen")));
    EXPECT_TRUE(namesOther(QString::fromUtf16(u"關閉螢幕顯示"), QString::fromUtf16(u"關閉顯示"),
                           QString::fromUtf16(u"關閉螢幕")));
    EXPECT_FALSE(namesOther(QStringLiteral("Save as"), QStringLiteral("Save as"), QStringLiteral("Save")));
    EXPECT_FALSE(namesOther(QStringLiteral("Switch the display off"), QStringLiteral("Display off"),
                            QStringLiteral("Display on")));
    EXPECT_EQ(bare(QString::fromUtf16(u"搜索控制卡(&H)...")), QString::fromUtf16(u"搜索控制卡"));
    EXPECT_EQ(bare(QStringLiteral("Searc&h for controllers...")), QStringLiteral("Search for controllers"));
    EXPECT_EQ(bare(QStringLiteral("Custom:")), QStringLiteral("Custom"));
}

TEST(PackCommandNames, NoCommandReadsAsAnotherInOnePopupOrBar)
{
    for (const QString& code : packCodes()) {
        LangPackScope scope;
        ASSERT_TRUE(loadLangPack(packPath(code))) << code.toStdString();
        const PackView v = viewOf();
        for (const Scope& s : v.scopes) {
            for (const Command& a : s.commands) {
                for (const Command& b : s.commands) {
                    if (a.key == b.key || allowed(a.key, b.key))
                        continue;
                    for (const QString& t : textsOf(a))
                        EXPECT_FALSE(namesOther(t, a.name, b.name))
                            << code.toStdString() << " " << s.where << ": " << a.key << " says \"" << t.toStdString()
                            << "\", the name of " << b.key;
                }
            }
        }
    }
}

TEST(PackCommandNames, OneCommandHasOneNameEverywhere)
{
    for (const QString& code : packCodes()) {
        LangPackScope scope;
        ASSERT_TRUE(loadLangPack(packPath(code))) << code.toStdString();
        const PackView v = viewOf();
        for (const auto& [key, names] : v.names) {
            std::set<QString> distinct;
            std::string all;
            for (const auto& [name, where] : names) {
                distinct.insert(name);
                all += " \"" + name.toStdString() + "\" (" + where + ")";
            }
            EXPECT_EQ(distinct.size(), 1u) << code.toStdString() << " " << key << " is called" << all;
        }
    }
}
