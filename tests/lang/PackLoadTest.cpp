#include "PackFiles.h"
#include "platform/LangPackReader.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QResource>
#include <QSet>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// All ids of a loaded pack, by table, read through the public API after a load.
struct PackIds {
    QHash<unsigned, QString> strings;
    QHash<quint32, QString> dialogs;
    QSet<unsigned> menus, toolbars, icons, bitmaps;
};

PackIds readPack(const QString& code)
{
    const QByteArray bytes = packBytes(code);
    PackIds ids;
    QString base = QStringLiteral(":/check-%1/").arg(code);
    // Parse the same bytes the loader reads, through the reader's own API.
    EXPECT_TRUE(checkResourceBundle(bytes));
    QResource::registerResource(reinterpret_cast<const uchar*>(bytes.constData()), base.mid(1, base.size() - 2));
    auto content = parseLangPack([&](const QString& name) -> std::optional<QByteArray> {
        QFile f(base + name);
        if (!f.open(QIODevice::ReadOnly))
            return std::nullopt;
        return f.readAll();
    });
    QResource::unregisterResource(reinterpret_cast<const uchar*>(bytes.constData()), base.mid(1, base.size() - 2));
    EXPECT_TRUE(content) << code.toStdString();
    if (!content)
        return ids;
    ids.strings = content->strings;
    ids.dialogs = content->dialogTexts;
    for (auto k : content->menus.keys()) ids.menus.insert(k);
    for (auto k : content->toolbars.keys()) ids.toolbars.insert(k);
    for (auto k : content->icons.keys()) ids.icons.insert(k);
    for (auto k : content->bitmaps.keys()) ids.bitmaps.insert(k);
    return ids;
}

// The placeholders of a text as a sorted list: %1 twice counts twice.
QStringList placeholders(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("%(\\d+)"));
    QStringList found;
    for (auto it = re.globalMatch(text); it.hasNext();)
        found << it.next().captured(0);
    found.sort();
    return found;
}

// Command ids of a menu, with the path of popups, so two packs' menus can be compared.
void menuShape(const QList<LangMenuItem>& items, const QString& path, QStringList* out)
{
    for (int i = 0; i < items.size(); ++i) {
        const auto& item = items[i];
        const QString here = path + QLatin1Char('/') + QString::number(i);
        if (item.separator)
            *out << here + QStringLiteral(" -");
        else if (item.isPopup())
            menuShape(item.submenu, here, out);
        else
            *out << here + QLatin1Char(' ') + QString::number(item.command) + QLatin1Char(' ') +
                        item.shortcut.toString(QKeySequence::PortableText);
    }
}

} // namespace

TEST(LangPacks, EachPackLoadsFromItsBundle)
{
    LangPackScope scope;
    for (const QString& code : packCodes()) {
        QString error;
        ASSERT_TRUE(loadLangPack(packPath(code), &error)) << code.toStdString() << ": " << error.toStdString();
        EXPECT_FALSE(langString(48170).isEmpty()) << code.toStdString();
        ASSERT_TRUE(langMenu(128).has_value()) << code.toStdString();
        EXPECT_FALSE(langMenu(128)->items.isEmpty());
        EXPECT_TRUE(langToolBar(128).has_value());
    }
}

TEST(LangPacks, AllPacksHoldTheSameIdsWithTheSamePlaceholders)
{
    const PackIds en = readPack("EN");
    ASSERT_FALSE(en.strings.isEmpty());
    for (const QString& code : {QStringLiteral("CN"), QStringLiteral("TW")}) {
        const PackIds other = readPack(code);
        const std::string c = code.toStdString();
        for (auto it = en.strings.cbegin(); it != en.strings.cend(); ++it) {
            ASSERT_TRUE(other.strings.contains(it.key())) << c << " lacks string " << it.key();
            EXPECT_EQ(placeholders(other.strings[it.key()]), placeholders(it.value()))
                << c << " string " << it.key();
            EXPECT_EQ(other.strings[it.key()].isEmpty(), it.value().isEmpty()) << c << " string " << it.key();
        }
        EXPECT_EQ(other.strings.size(), en.strings.size()) << c << " has strings English lacks";
        for (auto it = en.dialogs.cbegin(); it != en.dialogs.cend(); ++it) {
            ASSERT_TRUE(other.dialogs.contains(it.key()))
                << c << " lacks dialog text " << (it.key() >> 16) << "/" << (it.key() & 0xFFFF);
            EXPECT_EQ(placeholders(other.dialogs[it.key()]), placeholders(it.value()));
        }
        EXPECT_EQ(other.dialogs.size(), en.dialogs.size()) << c;
        EXPECT_EQ(other.menus, en.menus) << c;
        EXPECT_EQ(other.toolbars, en.toolbars) << c;
        EXPECT_EQ(other.icons, en.icons) << c;
        EXPECT_EQ(other.bitmaps, en.bitmaps) << c;
    }
}

TEST(LangPacks, MenusHaveTheSameCommandsInEveryLanguage)
{
    LangPackScope scope;
    ASSERT_TRUE(loadLangPack(packPath("EN")));
    const PackIds ids = readPack("EN");
    QHash<unsigned, QStringList> english;
    for (unsigned id : ids.menus)
        menuShape(langMenu(id)->items, {}, &english[id]);
    for (const QString& code : {QStringLiteral("CN"), QStringLiteral("TW")}) {
        ASSERT_TRUE(loadLangPack(packPath(code)));
        for (unsigned id : ids.menus) {
            QStringList shape;
            menuShape(langMenu(id)->items, {}, &shape);
            EXPECT_EQ(shape, english[id]) << code.toStdString() << " menu " << id;
        }
    }
}

TEST(LangPacks, PlaceholderCheckCatchesADifferingText)
{
    EXPECT_NE(placeholders("%1 of %2"), placeholders("%1 / %1"));
    EXPECT_EQ(placeholders("%2 的 %1"), placeholders("%1 of %2"));
    EXPECT_NE(placeholders("%1"), placeholders("%d"));
}

TEST(LangPacks, EveryIconAndBitmapDraws)
{
    LangPackScope scope;
    ASSERT_TRUE(loadLangPack(packPath("EN")));
    const PackIds ids = readPack("EN");
    ASSERT_FALSE(ids.icons.isEmpty());
    for (unsigned id : ids.icons) {
        const QIcon icon = langIcon(id);
        ASSERT_FALSE(icon.isNull()) << id;
        for (int side : {16, 32}) {
            const QImage image = icon.pixmap(side, side).toImage();
            ASSERT_EQ(image.size(), QSize(side, side)) << id;
            int opaque = 0;
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x)
                    opaque += qAlpha(image.pixel(x, y)) > 128;
            EXPECT_GT(opaque, side * side / 20) << "icon " << id << " is nearly empty at " << side;
        }
        const QImage disabled = icon.pixmap(16, QIcon::Disabled).toImage();
        EXPECT_FALSE(disabled.isNull());
    }
    for (unsigned id : ids.bitmaps)
        EXPECT_FALSE(langBitmap(id).isNull()) << id;
}

TEST(LangPacks, MissingIdsAreEmptyNotTheId)
{
    LangPackScope scope;
    ASSERT_TRUE(loadLangPack(packPath("EN")));
    EXPECT_TRUE(langString(1).isEmpty());
    EXPECT_TRUE(langDialogText(1, 1).isEmpty());
    EXPECT_TRUE(langDialogText(0x10000, 0).isEmpty());
    EXPECT_FALSE(langMenu(1).has_value());
    EXPECT_TRUE(langIcon(1).isNull());
}

TEST(LangPacks, MissingOrDamagedPackFailsAndKeepsTheLoadedOne)
{
    LangPackScope scope;
    ASSERT_TRUE(loadLangPack(packPath("CN")));
    const QString before = langString(48170);
    ASSERT_FALSE(before.isEmpty());

    QString error;
    EXPECT_FALSE(loadLangPack(QStringLiteral(TAVRELO_LANG_DIR "/UI_XX.rcc"), &error));
    EXPECT_TRUE(error.contains("UI_XX.rcc"));

    const QByteArray good = packBytes("EN");
    ASSERT_FALSE(good.isEmpty());
    // Every cut short bundle is refused (the tables' files end the bundle's data).
    for (qsizetype n = 0; n < good.size(); n += qMax<qsizetype>(1, good.size() / 300)) {
        error.clear();
        ASSERT_FALSE(loadLangPackData(good.left(n), &error)) << n;
        ASSERT_FALSE(error.isEmpty());
    }
    // Flipped bytes: refused, or loaded whole (a flip inside a text may still parse).
    for (qsizetype at = 0; at < good.size(); at += qMax<qsizetype>(1, good.size() / 400)) {
        QByteArray bad = good;
        bad[at] = char(bad[at] ^ 0x5A);
        if (loadLangPackData(bad, &error)) {
            ASSERT_TRUE(loadLangPack(packPath("CN")));
            continue;
        }
        ASSERT_EQ(langString(48170), before) << "a refused pack changed the tables (byte " << at << ")";
    }
    EXPECT_EQ(langString(48170), before);
    ASSERT_TRUE(langMenu(128).has_value());
}

TEST(LangPacks, LoadingAnotherPackReplacesTheTables)
{
    LangPackScope scope;
    ASSERT_TRUE(loadLangPack(packPath("EN")));
    setLangString(1, "left over");
    const QString english = langString(48170);
    ASSERT_TRUE(loadLangPack(packPath("TW")));
    EXPECT_NE(langString(48170), english);
    EXPECT_TRUE(langString(1).isEmpty());
    // The earlier bundle is gone from the resource system.
    ASSERT_TRUE(loadLangPack(packPath("EN")));
    EXPECT_EQ(langString(48170), english);
}

TEST(LangPacks, QtDialogsFollowTheLanguage)
{
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    ASSERT_TRUE(installQtTranslations(kLangSimplifiedChinese));
    EXPECT_EQ(cancel(), QStringLiteral("取消"));
    ASSERT_TRUE(installQtTranslations(kLangTraditionalChinese));
    EXPECT_EQ(cancel(), QStringLiteral("取消"));
    EXPECT_TRUE(installQtTranslations(kLangEnglish));
    EXPECT_EQ(cancel(), QStringLiteral("Cancel"));
}

namespace {

// The mnemonic of a menu text: the character after a single '&'.
QChar mnemonic(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1].toUpper();
    }
    return {};
}

void checkMnemonics(const QList<LangMenuItem>& items, const std::string& where)
{
    QHash<QChar, QString> used;
    for (const LangMenuItem& item : items) {
        if (item.separator)
            continue;
        const QChar m = mnemonic(item.text);
        if (!m.isNull()) {
            EXPECT_FALSE(used.contains(m)) << where << ": " << item.text.toStdString() << " and "
                                           << used.value(m).toStdString() << " share &" << QString(m).toStdString();
            used.insert(m, item.text);
        }
        if (item.isPopup())
            checkMnemonics(item.submenu, where + " / " + item.text.toStdString());
    }
}

} // namespace

TEST(LangPacks, MnemonicsAreUniqueInEachMenu)
{
    LangPackScope scope;
    for (const QString& code : packCodes()) {
        ASSERT_TRUE(loadLangPack(packPath(code)));
        for (unsigned id : {128u, 6188u, 6127u}) {
            const auto menu = langMenu(id);
            ASSERT_TRUE(menu.has_value()) << id;
            checkMnemonics(menu->items, code.toStdString() + " menu " + std::to_string(id));
        }
    }
}
