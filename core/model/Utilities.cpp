#include "core/model/Utilities.h"
#include "core/api/ItemRecord.h"
#include "core/model/CoreState.h"
#include "platform/CodePage.h"
#include "platform/FontMap.h"
#include "platform/Languages.h"
#include "platform/OperatorFile.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string_view>

using namespace sorvane::model;

namespace {
constexpr std::uint32_t DAY = 86400;
constexpr std::uint32_t CYCLE = 126230400;   // four years, the first a leap year
constexpr std::uint32_t YEAR_START[4] = {0, 31622400, 63158400, 94694400};
constexpr int MONTH_START[2][12] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
};


// The 2-byte code page slot of one character.
std::uint16_t ansiPair(char16_t c, int codePage)
{
    const std::string b = platform::encodeText(std::u16string_view(&c, 1), codePage);
    const auto lo = b.empty() ? 0u : static_cast<unsigned char>(b[0]);
    const auto hi = b.size() > 1 ? static_cast<unsigned char>(b[1]) : 0u;
    return static_cast<std::uint16_t>(lo | (hi << 8));
}


bool lit(QRgb pixel) { return (pixel & 0x00FFFFFFu) != 0; }
}

namespace sorvane::model {

std::uint32_t SecondsSince2000(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 2000 || year > 2099 || month < 1 || month > 12)
        return 0;
    const int leaps = (year - 2000 + 3) / 4;   // leap years from 2000 to year - 1
    const bool leap = year % 4 == 0;
    const std::int64_t days = std::int64_t(year - 2000 - leaps) * 365 + std::int64_t(leaps) * 366
        + MONTH_START[leap][month - 1] + day - 1;
    const std::int64_t s = ((days * 24 + hour) * 60 + minute) * 60 + second;
    return s < 0 ? 0 : static_cast<std::uint32_t>(s);
}

SYSTEMTIME RemoteTimeToDate(std::uint32_t seconds)
{
    SYSTEMTIME t;
    const std::uint32_t cycles = seconds / CYCLE;
    std::uint32_t rest = seconds % CYCLE;
    int inCycle = 3;
    while (YEAR_START[inCycle] > rest)
        --inCycle;
    rest -= YEAR_START[inCycle];
    const bool leap = inCycle == 0;
    int month = 11;
    while (static_cast<std::uint32_t>(MONTH_START[leap][month]) * DAY > rest)
        --month;
    rest -= static_cast<std::uint32_t>(MONTH_START[leap][month]) * DAY;
    t.wYear = static_cast<std::uint16_t>(2000 + 4 * cycles + inCycle);
    t.wMonth = static_cast<std::uint16_t>(month + 1);
    t.wDay = static_cast<std::uint16_t>(rest / DAY + 1);
    rest %= DAY;
    t.wHour = static_cast<std::uint16_t>(rest / 3600);
    t.wMinute = static_cast<std::uint16_t>(rest % 3600 / 60);
    t.wSecond = static_cast<std::uint16_t>(rest % 60);
    t.wDayOfWeek = static_cast<std::uint16_t>(DayOfWeek(t.wYear, t.wMonth, t.wDay));
    t.wMilliseconds = 0;
    return t;
}

int DayOfWeek(int year, int month, int day)
{
    if (month < 3) {
        month += 12;
        year -= 1;
    }
    const int k = year % 100;
    const int j = year / 100;
    const int h = (13 * (month + 1) / 5 + k + k / 4 + j / 4 + day - 2 * j - 1) % 7;
    return h < 0 ? h + 7 : h;
}

QString GetLangText(int index)
{
    return GetLangText(index, CurrentLanguage());
}

QString GetLangText(int index, int lang)
{
    if (index < 0 || index > 3)
        return {};
    static const char16_t* const chinese[] = {u"天", u"时", u"分", u"秒"};
    static const char16_t* const traditional[] = {u"天", u"時", u"分", u"秒"};
    static const char16_t* const english[] = {u"days", u"hours", u"minutes", u"seconds"};
    const platform::ClockTexts set = platform::language(lang).clockTexts;
    const char16_t* const* texts = set == platform::ClockTexts::Simplified    ? chinese
                                   : set == platform::ClockTexts::Traditional ? traditional
                                                                              : english;
    return QString::fromUtf16(texts[index]);
}

QString AnsiToWideString(const char* text)
{
    if (!text)
        return {};
    return QString::fromStdU16String(platform::decodeBytes(text, platform::ansiCodePage()));
}

void WideToAnsiPairs(std::uint8_t* dst, std::size_t count, const char16_t* src)
{
    if (!dst)
        return;
    std::memset(dst, 0, 2 * count);
    if (!src)
        return;
    const int codePage = platform::ansiCodePage();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t pair = ansiPair(src[i], codePage);
        dst[2 * i] = static_cast<std::uint8_t>(pair);
        dst[2 * i + 1] = static_cast<std::uint8_t>(pair >> 8);
    }
}

void SortCharsByAnsiCode(char16_t* text, std::size_t count)
{
    if (!text || count < 2)
        return;
    const int codePage = platform::ansiCodePage();
    std::vector<std::pair<std::uint16_t, char16_t>> keyed(count);
    for (std::size_t i = 0; i < count; ++i)
        keyed[i] = {ansiPair(text[i], codePage), text[i]};
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < count; ++i)
        text[i] = keyed[i].second;
}

std::size_t BitmapToColumnBits(const QImage& bitmap, std::vector<std::uint8_t>* out)
{
    if (bitmap.isNull())
        return 0;
    const QImage img = bitmap.convertToFormat(QImage::Format_RGB32);
    const int w = img.width();
    const int h = img.height();
    const std::size_t perColumn = static_cast<std::size_t>((h + 7) / 8);
    const std::size_t total = static_cast<std::size_t>(w) * perColumn;
    if (!out)
        return total;
    const std::size_t base = out->size();
    out->resize(base + total, 0);
    std::uint8_t* bits = out->data() + base;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (lit(row[x]))
                bits[static_cast<std::size_t>(x) * perColumn + static_cast<std::size_t>(y / 8)] |=
                    static_cast<std::uint8_t>(1u << (y % 8));
    }
    return total;
}

std::size_t RenderTextBitmap(const QString& text, const LOGFONT& lf, std::vector<std::uint8_t>* out, QImage* bitmap)
{
    const QFont font = platform::FontFromLogFont(lf);
    const QFontMetrics metrics(font);
    const int w = metrics.horizontalAdvance(text);
    const int h = metrics.height();
    if (w <= 0 || h <= 0)
        return 0;
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, w, h), Qt::AlignCenter | Qt::TextSingleLine, text);
    }
    if (out)
        BitmapToColumnBits(image, out);
    if (bitmap)
        *bitmap = image;
    return static_cast<std::size_t>((h + 7) / 8) * static_cast<std::size_t>(w);
}

bool BitmapFits(const QImage& bitmap, int w, int h) { return bitmap.width() >= w && bitmap.height() >= h; }

void ClearDCBitmap(QImage& bitmap)
{
    if (!bitmap.isNull())
        bitmap.fill(Qt::black);
}

int GetBitmapUsedHeight(const QImage& bitmap)
{
    if (bitmap.isNull())
        return -1;
    const QImage img = bitmap.convertToFormat(QImage::Format_RGB32);
    for (int y = img.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        if (std::any_of(row, row + img.width(), lit))
            return y + 1;
    }
    return 0;
}

int DrawImageFrame(const std::vector<QImage>& frames, int top, QImage& target, int left, int right, int bottom,
                   int mode, int frame)
{
    const int count = static_cast<int>(frames.size());
    if (count == 0 || frame < 0 || frame >= count || target.isNull())
        return 0;
    const QImage& image = frames[static_cast<std::size_t>(frame)];
    if (!image.isNull()) {
        QPainter p(&target);
        switch (mode) {
        case 0:
            p.drawImage(QRect(left, top, right - left, bottom - top), image);
            break;
        case 1:
            p.drawImage(QPoint((right - image.width()) / 2, (bottom - image.height()) / 2), image);
            break;
        case 2:
            for (int y = top; y < bottom; y += image.height())
                for (int x = left; x < right; x += image.width())
                    p.drawImage(QPoint(x, y), image);
            break;
        default:
            break;
        }
    }
    return frame + 1;
}

int ReadGifFrameDelays(ItemRecord* record, const QString& path)
{
    if (!record)
        return 0;
    platform::ImageFileSource source(path);
    QImageReader& reader = source.reader();
    if (!reader.canRead()) {
        record->set(records::picture::FrameCount, 0);
        return 0;
    }
    const int count = std::max(1, reader.imageCount());
    record->set(records::picture::FrameCount, static_cast<std::uint32_t>(count));
    if (count == 1) {
        record->set(records::picture::Delays[0], 0);
        return 1;
    }
    // The reader gives each frame's delay in milliseconds.
    for (int i = 0; i < std::min(count, static_cast<int>(records::picture::Delays.Count)); ++i) {
        const QImage frame = reader.read();
        const int delay = frame.isNull() ? 0 : std::max(0, reader.nextImageDelay());
        record->set(records::picture::Delays[static_cast<std::size_t>(i)], static_cast<std::uint32_t>(delay));
    }
    return 1;
}

QString GetAppDirectory()
{
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    QString dir = QFileInfo(exe.canonicalFilePath()).absolutePath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

int WriteBufferToFile(const QString& path, const void* data, std::size_t length)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    const qint64 written = length ? file.write(static_cast<const char*>(data), static_cast<qint64>(length)) : 0;
    const bool flushed = file.flush();
    file.close();
    return written == static_cast<qint64>(length) && flushed && file.error() == QFileDevice::NoError ? 0 : -1;
}

} // namespace sorvane::model
