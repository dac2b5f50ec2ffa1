// What a reader of each pack meets, checked over every text: one word for
// one thing, no character of the other script, and the pack's own marks.
#include "PackTexts.h"
#include "ScriptTables.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A word a pack must not use, because the pack names the thing another way.
struct Rival {
    const char* pack;
    const char* word;     // the pack's word
    const char* pattern;  // the rival, as a regular expression
    std::initializer_list<const char*> where = {};   // texts where the rival means something else
};

const Rival kRivals[] = {
    {"EN", "scene", R"(\bprograms?\b(?!-list))"},
    {"EN", "full colour", R"(\bthree[ -]colours?\b)", {"string 41027"}},   // the red, green and yellow border
    {"EN", "quit", R"(\bexit\b(?! (effect|speed)))"},
    {"EN", "stay time", R"(\bstay\b(?! time))", {"dialog 6235/6530"}},     // staying in the program
    {"EN", "password", R"(\bpass ?phrase)"},
    {"EN", "thumbnail", R"(\boverview\b)"},
    {"EN", "access code", R"(\baccess level)"},
    {"EN", "standard panels", R"(\busual\b)"},
    {"EN", "additional address", R"(\bfurther address)"},
    {"CN", "全彩", "三色", {"string 41027"}},
    {"CN", "控制卡", "控制器"},
    {"CN", "发送", "传送"},
    {"CN", "以太网直连", "原始以太网"},
    {"CN", "停留时间", "停留(?!时间)"},
    {"TW", "全彩", "三色", {"string 41027"}},
    {"TW", "控制卡", "控制器"},
    {"TW", "傳送", "發送"},
    {"TW", "乙太網路直連", "原始乙太網路"},
    {"TW", "停留時間", "停留(?!時間)"},
    {"TW", "螢幕", "屏"},   // 顯示屏, 全屏, 開屏 and 關屏 are mainland words
    {"TW", "模組", "單元板"},
    {"TW", "記憶體", "^儲存："},   // the memory label
    {"TW", "正數計時", "正數(?!計時)"},
};

QRegularExpression rivalExpression(const Rival& r)
{
    return QRegularExpression(QString::fromUtf8(r.pattern), QRegularExpression::CaseInsensitiveOption |
                                                                QRegularExpression::UseUnicodePropertiesOption);
}

// The names of the languages in their own script, shown by every pack.
QString withoutLanguageNames(QString text)
{
    return text.remove(QStringLiteral("简体中文")).remove(QStringLiteral("繁體中文"));
}

// The first character of the text that the other script's table holds, or null.
QChar otherScriptCharacter(const QString& text, const char16_t* table)
{
    const QString forbidden = QString::fromUtf16(table);
    for (QChar c : withoutLanguageNames(text))
        if (forbidden.contains(c))
            return c;
    return {};
}

} // namespace

TEST(PackWords, EachPackNamesOneThingWithOneWord)
{
    // The patterns catch what they are for, and only that.
    EXPECT_TRUE(rivalExpression(kRivals[0]).match(QStringLiteral("Send programs")).hasMatch());
    EXPECT_FALSE(rivalExpression(kRivals[0]).match(QStringLiteral("Program-list window")).hasMatch());
    EXPECT_FALSE(rivalExpression(kRivals[2]).match(QStringLiteral("Exit effect:")).hasMatch());
    for (const QString& code : packCodes()) {
        const auto texts = allTexts(code);
        ASSERT_FALSE(texts.isEmpty()) << code.toStdString();
        for (const Rival& r : kRivals) {
            if (code != QLatin1String(r.pack))
                continue;
            const QRegularExpression re = rivalExpression(r);
            ASSERT_TRUE(re.isValid()) << r.pattern;
            for (const auto& [where, text] : texts) {
                if (std::find(r.where.begin(), r.where.end(), where) != r.where.end())
                    continue;
                EXPECT_FALSE(re.match(text).hasMatch())
                    << r.pack << " " << where << " says \"" << text.toStdString() << "\" where the pack says "
                    << r.word;
            }
        }
    }
}

TEST(PackWords, NoTextHoldsACharacterOfTheOtherScript)
{
    EXPECT_EQ(otherScriptCharacter(QStringLiteral("显示屏"), kSimplifiedOnly), QChar(u'显'));
    EXPECT_EQ(otherScriptCharacter(QStringLiteral("後"), kTraditionalOnly), QChar(u'後'));
    EXPECT_TRUE(otherScriptCharacter(QStringLiteral("后台里只干"), kSimplifiedOnly).isNull());
    EXPECT_TRUE(otherScriptCharacter(QStringLiteral("简体中文"), kSimplifiedOnly).isNull());
    for (const auto& [where, text] : allTexts(QStringLiteral("TW"))) {
        const QChar c = otherScriptCharacter(text, kSimplifiedOnly);
        EXPECT_TRUE(c.isNull()) << "TW " << where << ": simplified " << QString(c).toStdString() << " in "
                                << text.toStdString();
    }
    for (const auto& [where, text] : allTexts(QStringLiteral("CN"))) {
        const QChar c = otherScriptCharacter(text, kTraditionalOnly);
        EXPECT_TRUE(c.isNull()) << "CN " << where << ": traditional " << QString(c).toStdString() << " in "
                                << text.toStdString();
    }
    for (const auto& [where, text] : allTexts(QStringLiteral("EN"))) {
        const QString rest = withoutLanguageNames(text);
        EXPECT_TRUE(std::none_of(rest.begin(), rest.end(), isHan)) << "EN " << where << ": " << text.toStdString();
    }
}

TEST(PackWords, MarksAreThePacksOwn)
{
    // English: straight quotes and three dots, as everywhere in the pack.
    static const QRegularExpression curly(QStringLiteral("[\u2018\u2019\u201C\u201D\u2026]"));
    for (const auto& [where, text] : allTexts(QStringLiteral("EN")))
        EXPECT_FALSE(curly.match(text).hasMatch()) << "EN " << where << ": " << text.toStdString();

    // Chinese: "……" only for what is under way (a command that opens a
    // window ends in "..."), never a lone "…"; the colours of a border are
    // listed with "、".
    static const QRegularExpression lone(QStringLiteral("(?<!\u2026)\u2026(?!\u2026)"));
    static const QRegularExpression underWay(QStringLiteral("正在|稍候|重试|重試"));
    static const QRegularExpression colourRun(QStringLiteral("（[红绿黄紅綠黃]{2,}）"));
    for (const QString& code : {QStringLiteral("CN"), QStringLiteral("TW")}) {
        for (const auto& [where, text] : allTexts(code)) {
            const std::string name = code.toStdString() + " " + where + ": " + text.toStdString();
            EXPECT_FALSE(lone.match(text).hasMatch()) << name;
            if (text.contains(QStringLiteral("……")))
                EXPECT_TRUE(underWay.match(text).hasMatch()) << name;
            EXPECT_FALSE(colourRun.match(text).hasMatch()) << name;
        }
    }
}
