#include "PackTexts.h"
#include "platform/Languages.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace platform;

namespace {

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
        // Drawn once per size and mode, for every copy of the icon.
        EXPECT_EQ(langIcon(id).pixmap(16, 16).cacheKey(), icon.pixmap(16, 16).cacheKey()) << id;
        EXPECT_NE(icon.pixmap(16, QIcon::Disabled).cacheKey(), icon.pixmap(16, 16).cacheKey()) << id;
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

TEST(LangPacks, QtDialogsFollowTheLanguageAndKeyNamesStayLatin)
{
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    // What a menu shows beside a command.
    const auto keys = [] {
        return QKeySequence(Qt::Key_Delete).toString(QKeySequence::NativeText) + u' ' +
               QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText) + u' ' +
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S).toString(QKeySequence::NativeText);
    };
    ASSERT_TRUE(installQtTranslations(kLangSimplifiedChinese));
    EXPECT_EQ(cancel(), QStringLiteral("取消"));
    EXPECT_EQ(keys(), QStringLiteral("Del Space Ctrl+Shift+S"));
    ASSERT_TRUE(installQtTranslations(kLangTraditionalChinese));
    EXPECT_EQ(cancel(), QStringLiteral("取消"));
    EXPECT_EQ(keys(), QStringLiteral("Del Space Ctrl+Shift+S"));
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

namespace {

// Where the first ASCII colon, bracket, comma, question or exclamation mark
// that touches a Chinese character (or a bracket around Chinese text) is in
// the text without its shortcut, or -1. A
// shortcut's "(&X)" keeps its ASCII brackets, and a colon between the units
// of a time pattern (时:分) is the separator the clock draws.
qsizetype halfWidthMark(const QString& text)
{
    static const QRegularExpression shortcut(QStringLiteral("\\(&.\\)"));
    QString t = text;
    t.remove(shortcut);
    static const QString units = QStringLiteral("时時分秒");
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (!QStringLiteral(":(),?!").contains(c))
            continue;
        const QChar before = i > 0 ? t[i - 1] : QChar(u' ');
        const QChar after = i + 1 < t.size() ? t[i + 1] : QChar(u' ');
        if (c == u':' && units.contains(before) && units.contains(after))
            continue;
        bool han = isHan(before) || isHan(after);
        if (c == u'(') {
            const qsizetype close = t.indexOf(u')', i);
            for (qsizetype j = i + 1; j < close; ++j)
                han = han || isHan(t[j]);
        }
        if (han)
            return i;
    }
    return -1;
}

} // namespace

TEST(LangPacks, ChineseTextsUseFullWidthMarks)
{
    EXPECT_EQ(halfWidthMark(QStringLiteral("宽度(点)(&W)：")), 2);
    EXPECT_EQ(halfWidthMark(QStringLiteral("行数(&R):")), 2);
    EXPECT_EQ(halfWidthMark(QStringLiteral("宽度（点）(&W)：")), -1);
    EXPECT_EQ(halfWidthMark(QStringLiteral("年-月-日 时:分:秒;星期")), -1);
    EXPECT_EQ(halfWidthMark(QStringLiteral("节目列表文件 (*.pl)|*.pl")), -1);
    for (const QString& code : {QStringLiteral("CN"), QStringLiteral("TW")}) {
        for (const auto& [where, text] : allTexts(code))
            EXPECT_EQ(halfWidthMark(text), -1) << code.toStdString() << " " << where << ": " << text.toStdString();
    }
}

namespace {

// The shortcut letter of a control text ("&Add", "添加(&A)"), upper case; null for none.
QChar shortcutLetter(const QString& text)
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

} // namespace

TEST(LangPacks, DialogShortcutsAreUniqueAndTheSameInEveryPack)
{
    const PackIds en = readPack("EN");
    ASSERT_FALSE(en.dialogs.isEmpty());
    for (const QString& code : packCodes()) {
        const PackIds pack = readPack(code);
        const std::string c = code.toStdString();
        QHash<quint32, quint32> owner;   // template << 16 | letter -> the control that has it
        for (auto it = pack.dialogs.cbegin(); it != pack.dialogs.cend(); ++it) {
            const QChar letter = shortcutLetter(it.value());
            EXPECT_EQ(letter, shortcutLetter(en.dialogs.value(it.key())))
                << c << " dialog " << (it.key() >> 16) << "/" << (it.key() & 0xFFFF) << ": "
                << it.value().toStdString();
            if (letter.isNull())
                continue;
            const quint32 slot = (it.key() & 0xFFFF0000u) | letter.unicode();
            EXPECT_FALSE(owner.contains(slot))
                << c << " dialog " << (it.key() >> 16) << ": controls " << (owner.value(slot) & 0xFFFF) << " and "
                << (it.key() & 0xFFFF) << " share &" << QString(letter).toStdString();
            owner.insert(slot, it.key());
        }
    }
}

TEST(LangPacks, EnglishCountsOfOneReadRight)
{
    // Texts whose count may be 1: a search that found one screen, one hidden
    // section, a model that holds one program.
    const PackIds en = readPack("EN");
    static const QRegularExpression plural(QStringLiteral("\\b1 [A-Za-z]+s\\b|\\(s\\)"));
    for (unsigned id : {48225u, 48226u, 48256u}) {
        ASSERT_TRUE(en.strings.contains(id)) << id;
        const QString text = en.strings[id].arg(1).arg(1).arg(1).arg(1);
        EXPECT_FALSE(plural.match(text).hasMatch()) << id << ": " << text.toStdString();
    }
}
