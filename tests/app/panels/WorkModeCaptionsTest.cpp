#include "app/spine/WorkModeCaptions.h"

#include "PanelTestUtil.h"
#include "core/api/WorkMode.h"

#include <QSet>
#include <gtest/gtest.h>

#include <set>

using namespace spine;

TEST(WorkModeCaptions, RowsKeepTheirOrderAndCodesAreUnique)
{
    ASSERT_EQ(kWorkModeCaptions.size(), 22u);
    EXPECT_EQ(kWorkModeCaptions[5].code, 7);
    EXPECT_EQ(kWorkModeCaptions[14].code, 35);
    EXPECT_EQ(kWorkModeCaptions[14].nameId, 47064u);
    EXPECT_EQ(kWorkModeCaptions[15].code, 20);
    EXPECT_EQ(kWorkModeCaptions[15].nameId, 47058u);
    EXPECT_EQ(kWorkModeCaptions[21].code, 64);
    std::set<int> codes;
    for (const auto& row : kWorkModeCaptions)
        EXPECT_TRUE(codes.insert(row.code).second) << row.code;
}

TEST(WorkModeCaptions, CodesWithoutARowNameTheUnknownText)
{
    EXPECT_EQ(workModeCaptionId(35), 47064u);
    EXPECT_EQ(workModeCaptionId(64), 47080u);
    EXPECT_EQ(workModeCaptionId(0), 47044u);
    for (int code : {5, 6, 11, 12, 18, 19, 24, 32, 36, 63, 65, 0xFFFF, -1})
        EXPECT_EQ(workModeCaptionId(code), kUnknownCaptionId) << code;
    EXPECT_EQ(workModeCaptionRow(5), -1);
    EXPECT_EQ(workModeCaptionRow(23), 18);
}

namespace {

// The colour count a caption states, by the colour word its pack uses; 0 when
// it names none or more than one.
int statedColourCount(const QString& caption, const char* lang)
{
    struct Word {
        const char* lang;
        const char* text;
        int count;
    };
    static const Word words[] = {
        {"EN", "One colour", 1},   {"EN", "Two colours", 2}, {"EN", "Full colour", 3},
        {"EN", "one-colour", 1},   {"EN", "two-colour", 2},  {"EN", "full-colour", 3},
        {"CN", "单色", 1},         {"CN", "双色", 2},        {"CN", "全彩", 3},
        {"TW", "單色", 1},         {"TW", "雙色", 2},        {"TW", "全彩", 3},
    };
    int found = 0;
    for (const Word& w : words) {
        if (qstrcmp(w.lang, lang) != 0 || !caption.contains(QString::fromUtf8(w.text)))
            continue;
        if (found)
            return 0;
        found = w.count;
    }
    // Words that name a colour count the modes cannot show, or the
    // red, green and yellow of a border rather than full colour.
    static const char* const wrong[] = {"three colour", "Three colour", "three-colour", "三色",
                                        "red and green", "green and red", "红绿", "紅綠"};
    for (const char* w : wrong)
        if (caption.contains(QString::fromUtf8(w)))
            return 0;
    return found;
}

} // namespace

TEST(WorkModeCaptions, EachCaptionStatesTheColourCountOfItsCode)
{
    for (const char* lang : {"EN", "CN", "TW"}) {
        ASSERT_TRUE(paneltest::loadPack(lang)) << lang;
        QSet<QString> seen;
        for (const auto& row : kWorkModeCaptions) {
            const QString caption = workModeCaption(row.code);
            ASSERT_FALSE(caption.isEmpty()) << lang << " " << row.code;
            EXPECT_EQ(statedColourCount(caption, lang), LookupWorkMode(row.code).ColourCount)
                << lang << " code " << row.code << ": " << caption.toStdString();
            // The inversions are the dialog's own tick boxes, not part of a mode.
            EXPECT_FALSE(caption.contains(QStringLiteral("invert")) || caption.contains(QStringLiteral("反相")))
                << lang << " code " << row.code;
            EXPECT_FALSE(seen.contains(caption)) << lang << " two codes share " << caption.toStdString();
            seen.insert(caption);
        }
        // The presets of the new-screen dialog and of the wizard's search
        // panel: the first selects code 17, the second code 0.
        for (unsigned dialog : {6529u, 6435u}) {
            EXPECT_EQ(statedColourCount(platform::langDialogText(dialog, 6436), lang), LookupWorkMode(17).ColourCount)
                << lang << " " << dialog;
            EXPECT_EQ(statedColourCount(platform::langDialogText(dialog, 6437), lang), LookupWorkMode(0).ColourCount)
                << lang << " " << dialog;
        }
    }
    platform::clearLangPack();
}
