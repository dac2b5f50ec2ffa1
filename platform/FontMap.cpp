#include "platform/FontMap.h"

#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace {

const QString kSans = QStringLiteral("DejaVu Sans");
const QString kSerif = QStringLiteral("DejaVu Serif");
const QString kMono = QStringLiteral("DejaVu Sans Mono");
const QString kCjk = QStringLiteral("WenQuanYi Micro Hei");

const std::pair<const char16_t*, int>* table(std::size_t& n)
{
    // 0 sans, 1 serif, 2 mono, 3 CJK
    static const std::pair<const char16_t*, int> t[] = {
        {u"宋体", 3},          {u"新宋体", 3},        {u"黑体", 3},     {u"楷体", 3},
        {u"仿宋", 3},          {u"微软雅黑", 3},      {u"SimSun", 3},   {u"NSimSun", 3},
        {u"SimHei", 3},        {u"Microsoft YaHei", 3}, {u"MingLiU", 3}, {u"PMingLiU", 3},
        {u"新細明體", 3},      {u"細明體", 3},        {u"Batang", 3},   {u"Gulim", 3},
        {u"Times New Roman", 1}, {u"Georgia", 1},     {u"Arial", 0},    {u"Verdana", 0},
        {u"Tahoma", 0},        {u"MS Sans Serif", 0}, {u"System", 0},   {u"Courier New", 2},
        {u"Courier", 2},
    };
    n = sizeof(t) / sizeof(t[0]);
    return t;
}

const QString& family(int kind)
{
    switch (kind) {
    case 1: return kSerif;
    case 2: return kMono;
    case 3: return kCjk;
    default: return kSans;
    }
}

} // namespace

namespace platform {

QString SubstituteFace(const QString& face)
{
    std::size_t n = 0;
    const auto* t = table(n);
    for (std::size_t i = 0; i < n; ++i)
        if (face.compare(QStringView(t[i].first), Qt::CaseInsensitive) == 0)   // no copy: asked per character
            return family(t[i].second);
    return face.isEmpty() ? kCjk : face;
}

void EnsureFontSubstitutions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        std::size_t n = 0;
        const auto* t = table(n);
        for (std::size_t i = 0; i < n; ++i) {
            const QString face = QString::fromUtf16(t[i].first);
            QFont::insertSubstitutions(face, QStringList{family(t[i].second), kCjk});
        }
    });
}

QFont FontFromLogFont(const LOGFONT& lf)
{
    EnsureFontSubstitutions();
    QFont f(SubstituteFace(QString::fromStdU16String(LogFontFaceName(lf))));
    // Glyphs not in the chosen family (CJK in a Latin face) come from the CJK font.
    f.setFamilies(QStringList{f.family(), kCjk});
    const std::int64_t h = std::abs(static_cast<std::int64_t>(lf.lfHeight));
    f.setPixelSize(h > 0 ? static_cast<int>(std::min<std::int64_t>(h, kMaxFontPixels)) : 12);
    f.setWeight(static_cast<QFont::Weight>(lf.lfWeight > 0 ? std::min<int>(lf.lfWeight, 1000) : 400));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

} // namespace platform
