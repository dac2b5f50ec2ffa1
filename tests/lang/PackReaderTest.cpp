#include "platform/LangPackReader.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(PackReader, StringsUnescapeAndRefuseBadLines)
{
    QHash<unsigned, QString> s;
    QString error;
    ASSERT_TRUE(parseLangStrings("# comment\n\n100\tOne\\ntwo\\t\\\\ %1\r\n101\t\n", &s, &error)) << error.toStdString();
    EXPECT_EQ(s.value(100), QStringLiteral("One\ntwo\t\\ %1"));
    EXPECT_TRUE(s.contains(101));
    EXPECT_TRUE(s.value(101).isEmpty());

    const char* bad[] = {"100 text\n", "x\ttext\n", "0\ttext\n", "65536\ttext\n", "100\ta\\q\n",
                         "100\ttrailing\\\n", "100\ta\n100\tb\n", "\xff\xfe\n"};
    for (const char* text : bad) {
        QHash<unsigned, QString> out;
        error.clear();
        EXPECT_FALSE(parseLangStrings(text, &out, &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

TEST(PackReader, DialogTextsAreKeyedByTemplateAndControl)
{
    QHash<quint32, QString> d;
    QString error;
    ASSERT_TRUE(parseLangDialogTexts("6502\t0\tOverview\n6502\t6503\tClose\n", &d, &error));
    EXPECT_EQ(d.value(langDialogKey(6502, 0)), "Overview");
    EXPECT_EQ(d.value(langDialogKey(6502, 6503)), "Close");
    EXPECT_FALSE(parseLangDialogTexts("6502\t6503\n", &d, &error));
    QHash<quint32, QString> twice;
    EXPECT_FALSE(parseLangDialogTexts("1\t2\ta\n1\t2\tb\n", &twice, &error));
}

TEST(PackReader, MenusNestPopupsByIndentation)
{
    const QByteArray text = "menu\t128\n"
                            "\t&File\n"
                            "\t\t&New\t57600\tCtrl+N\n"
                            "\t\t-\n"
                            "\t\tRecent\n"
                            "\t\t\tNone\t57616\n"
                            "\t\tE&xit\t57665\n"
                            "\t&Help\n"
                            "\t\t&About\t57664\tF1\n"
                            "menu\t200\n"
                            "\tCopy\t32895\n";
    QHash<unsigned, LangMenu> menus;
    QString error;
    ASSERT_TRUE(parseLangMenus(text, &menus, &error)) << error.toStdString();
    ASSERT_EQ(menus.size(), 2);
    const LangMenu& main = menus[128];
    ASSERT_EQ(main.items.size(), 2);
    const LangMenuItem& file = main.items[0];
    EXPECT_EQ(file.text, "&File");
    EXPECT_TRUE(file.isPopup());
    ASSERT_EQ(file.submenu.size(), 4);
    EXPECT_EQ(file.submenu[0].command, 57600u);
    EXPECT_EQ(file.submenu[0].shortcut, QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_TRUE(file.submenu[1].separator);
    ASSERT_EQ(file.submenu[2].submenu.size(), 1);
    EXPECT_EQ(file.submenu[2].submenu[0].command, 57616u);
    EXPECT_EQ(file.submenu[3].command, 57665u);
    EXPECT_EQ(main.items[1].submenu[0].shortcut, QKeySequence(Qt::Key_F1));
    EXPECT_EQ(menus[200].items[0].command, 32895u);
}

TEST(PackReader, MalformedMenusAreRefused)
{
    const char* bad[] = {
        "\tOrphan\t1\n",                          // before any menu
        "menu\t1\n",                              // empty menu
        "menu\t1\n\tPopup\n",                     // popup without items
        "menu\t1\n\tPopup\n\tNext\t2\n",          // popup without items, then a sibling
        "menu\t1\n\tItem\t2\n\t\tChild\t3\n",     // a command with items
        "menu\t1\n\t\tToo deep\t2\n",             // skips a level
        "menu\t1\n\tItem\tx\n",                   // bad command
        "menu\t1\n\tItem\t2\tNotAKey\n",          // bad shortcut
        "menu\t1\n\tItem\t2\tCtrl+N\textra\n",    // too many fields
        "menu\t1\n\tItem\t2\nmenu\t1\n\tB\t3\n",  // id twice
        "menu\tx\n",
        "menu\t1\n\t\t\t\t\t\t\t\t\tDeep\t1\n",
    };
    for (const char* text : bad) {
        QHash<unsigned, LangMenu> out;
        QString error;
        EXPECT_FALSE(parseLangMenus(text, &out, &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

TEST(PackReader, ToolBarsKeepSeparatorsAndRefuseBadSizes)
{
    QHash<unsigned, LangToolBar> bars;
    QString error;
    ASSERT_TRUE(parseLangToolBars("128\t32\t31\t57600 0 57603\n", &bars, &error));
    EXPECT_EQ(bars[128].width, 32);
    EXPECT_EQ(bars[128].height, 31);
    EXPECT_EQ(bars[128].ids, (QList<unsigned>{57600, 0, 57603}));
    for (const char* text : {"1\t0\t16\t1\n", "1\t16\t16\t\n", "1\t16\t16\t1 x\n", "1\t16\t16\n"}) {
        QHash<unsigned, LangToolBar> out;
        EXPECT_FALSE(parseLangToolBars(text, &out, &error)) << text;
    }
}

TEST(PackReader, PackNeedsEveryTableAndValidPictures)
{
    QHash<QString, QByteArray> files{
        {"strings.txt", "1\tOne\n"},
        {"dialogs.txt", ""},
        {"menus.txt", ""},
        {"toolbars.txt", ""},
        {"icons.txt", "5\ticons/a.svg\n6\ticons/a.svg\n"},
        {"bitmaps.txt", "7\ticons/a.svg\t20\t10\n"},
        {"icons/a.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='8' height='8'>"
                        "<rect width='8' height='8' fill='red'/></svg>"},
    };
    auto reader = [&](const QHash<QString, QByteArray>& f) {
        return [f](const QString& name) -> std::optional<QByteArray> {
            auto it = f.constFind(name);
            return it == f.constEnd() ? std::nullopt : std::optional<QByteArray>(*it);
        };
    };
    QString error;
    auto content = parseLangPack(reader(files), &error);
    ASSERT_TRUE(content) << error.toStdString();
    EXPECT_EQ(content->icons.size(), 2);
    EXPECT_EQ(content->bitmaps.value(7).size(), QSize(20, 10));
    EXPECT_EQ(QColor(content->bitmaps.value(7).pixel(10, 5)), QColor(Qt::red));

    for (const QString& name : files.keys()) {
        auto less = files;
        less.remove(name);
        EXPECT_FALSE(parseLangPack(reader(less), &error)) << name.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    auto broken = files;
    broken["icons/a.svg"] = "<svg this is not";
    EXPECT_FALSE(parseLangPack(reader(broken), &error));
}

TEST(PackReader, BundleCheckRefusesOutOfRangeStructure)
{
    QString error;
    EXPECT_FALSE(checkResourceBundle({}, &error));
    EXPECT_FALSE(checkResourceBundle("qres\0\0\0\x09", &error));
    // Header of version 3 pointing past the end.
    QByteArray b("qres", 4);
    for (quint32 v : {3u, 1000u, 24u, 24u, 0u}) {
        const char be[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        b.append(be, 4);
    }
    EXPECT_FALSE(checkResourceBundle(b, &error));
    EXPECT_FALSE(error.isEmpty());
}
