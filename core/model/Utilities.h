#pragma once
// Small shared routines of the core: controller time, unit texts, 8-bit
// text in the program's code page, glyph bitmaps, picture frames, files.
#include "core/api/Records.h"
#include "core/model/DefaultFont.h"

#include <QImage>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

class ItemRecord;

namespace sorvane::model {

// Controller time: seconds since 2000-01-01 00:00:00, years 2000 to 2099,
// every fourth year from 2000 a leap year. A date outside that range (or an
// impossible month) gives 0.
std::uint32_t SecondsSince2000(int year, int month, int day, int hour, int minute, int second);
SYSTEMTIME RemoteTimeToDate(std::uint32_t seconds);
// 0 Sunday to 6 Saturday.
int DayOfWeek(int year, int month, int day);

// Unit texts of counters in the current core's language: 0 days, 1 hours,
// 2 minutes, 3 seconds; empty for any other index.
QString GetLangText(int index);
// The same in a given language, by its row's clock texts.
QString GetLangText(int index, int lang);

// 8-bit text in the program's code page.
QString AnsiToWideString(const char* text);
// Each of `count` characters converted on its own into a 2-byte slot of dst
// (second byte 0 for a single-byte character); dst is zero-filled first.
void WideToAnsiPairs(std::uint8_t* dst, std::size_t count, const char16_t* src);
// Sorts characters by the 16-bit value of their 2-byte slot (first byte
// low), keeping equal ones in order.
void SortCharsByAnsiCode(char16_t* text, std::size_t count);

// One bit per pixel, column by column, ceil(height / 8) bytes per column;
// bit (row mod 8) of byte (column * ceil(height / 8) + row / 8) is set for
// a non-black pixel. Appends to out when given; returns the byte count.
std::size_t BitmapToColumnBits(const QImage& bitmap, std::vector<std::uint8_t>* out);
// The text on one line, white on black, in a bitmap of exactly its extent,
// converted with BitmapToColumnBits. Returns ceil(height / 8) * width.
std::size_t RenderTextBitmap(const QString& text, const LOGFONT& font, std::vector<std::uint8_t>* out,
                             QImage* bitmap = nullptr);
bool BitmapFits(const QImage& bitmap, int w, int h);
void ClearDCBitmap(QImage& bitmap);
// -1 for no bitmap; else the rows from the top down to the lowest one
// holding a non-black pixel (0 when all are black).
int GetBitmapUsedHeight(const QImage& bitmap);
// Draws one frame of a picture into target: mode 0 stretched into (left,
// top, right, bottom), 1 at natural size centred in a right x bottom area,
// 2 tiled from (left, top). Returns frame + 1 while frame is below the
// frame count (nothing is drawn past the last frame), else 0.
int DrawImageFrame(const std::vector<QImage>& frames, int top, QImage& target, int left, int right, int bottom,
                   int mode, int frame);
// Loads a picture's frame count and frame delays (ms, up to 4096 frames)
// into a picture record; 0 when the file cannot be read (count 0).
int ReadGifFrameDelays(ItemRecord* record, const QString& path);

// The running program's folder, ending with a separator.
QString GetAppDirectory();
// Creates or truncates the file and writes the data: 0, or -1 when the
// file cannot be opened, written in full or flushed.
int WriteBufferToFile(const QString& path, const void* data, std::size_t length);

} // namespace sorvane::model
