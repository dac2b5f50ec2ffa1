#pragma once
// Firmware images: the hexadecimal text they are kept in, the record stream
// they decode to, and the data of the upgrade request.
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct tagGlobalInfo;
struct tagItemData;

namespace sorvane::link {

// Value of one text character: 0-9, A-F and a-f as usual, anything else 0.
std::uint8_t FirmwareDigitValue(std::uint8_t c);

// The characters an image text may begin with as its tag.
constexpr std::size_t kFirmwareTagLength = 4;
// What DecodeFirmwareText gives for a text that is not firmware text.
constexpr std::size_t kNotFirmwareText = static_cast<std::size_t>(-1);

// Decodes the text two characters per byte, the first giving the high
// nibble; CR, LF, space and tab are skipped. The first four other
// characters may be a tag of letters and digits (letters past F count as
// 0); every later one must be a hexadecimal digit, and their number even.
// `out` must hold length / 2 bytes; returns the number of bytes written, or
// kNotFirmwareText for any other character or a digit without its partner.
// Never reads past text + length.
std::size_t DecodeFirmwareText(const std::uint8_t* text, std::size_t length, std::uint8_t* out);
// The decoded bytes; empty for a text that is not firmware text.
std::vector<std::uint8_t> DecodeFirmwareText(const std::uint8_t* text, std::size_t length);

// One record of a decoded image: a 2-byte big-endian length L and L bytes,
// sent as its L + 2 bytes.
struct FirmwareRecord {
    std::size_t offset = 0;   // of the length prefix
    std::size_t size = 0;     // L + 2
};

enum class RecordWalk { Record, End, Damaged };

// The record that starts at `offset`. End when offset is at or past the end;
// Damaged when the prefix or the body would run past the image end.
RecordWalk NextFirmwareRecord(const std::uint8_t* image, std::size_t length, std::size_t offset,
                              FirmwareRecord& record);

// Every record in order; false (and `records` emptied) when any record runs
// past the image end, so nothing of a damaged image is ever sent.
bool SplitFirmwareRecords(const std::uint8_t* image, std::size_t length, std::vector<FirmwareRecord>& records);

// Whether a decoded image is records that tile it, at least one of them
// with data: an image of empty records would only put a controller into
// its loader.
bool FirmwareImageHasData(const std::uint8_t* image, std::size_t length);

// Data of the upgrade request: the baud rate as a little-endian word.
std::array<std::uint8_t, 4> UpgradeRequestData(std::uint32_t baudRate);

// Why an image could not be had.
enum class FirmwareLoad { Loaded, NoImage, Unreadable, Damaged };

// The largest image: one that SendUpgrade2 sends as a single block, which a
// controller takes whole into its memory, and the largest memory of a
// controller of the catalogue is 4 Mi bytes.
inline constexpr std::size_t kMaxFirmwareImageBytes = std::size_t(4) << 20;
// The largest image file: two digits a byte, and as much again for the line
// ends and spaces that editors put between them.
inline constexpr qint64 kMaxFirmwareTextBytes = qint64(kMaxFirmwareImageBytes) * 4;

// Reads and decodes an image file. NoImage when there is none; Unreadable
// (and `image` unchanged) when the path names no regular file (a folder, a
// device, a pipe), one larger than kMaxFirmwareTextBytes, or one that cannot
// be read; Damaged (and `image` empty) when its text is not firmware text,
// holds no record with data or an image above kMaxFirmwareImageBytes.
FirmwareLoad LoadFirmwareFile(const QString& path, std::vector<std::uint8_t>& image);

// The override image beside the program: folder + "update.dat".
QString FirmwareOverridePath(const QString& programFolder);

// The folder "update.dat" is looked for in: the program's own folder, or
// the folder a test set (empty restores the program's).
QString FirmwareFolder();
void SetFirmwareFolder(const QString& folder);

// The image chosen by the operator, used when there is no "update.dat";
// empty: the image the library carries for the board (none are shipped).
void SetChosenFirmwareFile(const QString& path);
QString ChosenFirmwareFile();

// The image for a screen: "update.dat" beside the program when it exists,
// else the chosen file, else the library's image for the screen's board.
// Empty when there is none; a file that exists but cannot be read gives
// no image and a diagnostic, never a dialog. `status`, when given, tells
// which: no image at all, or one that could not be read; `source` the file
// that was read (empty for the library's image).
std::vector<std::uint8_t> LoadFirmwareImageFor(const tagItemData* screen, FirmwareLoad* status = nullptr,
                                               QString* source = nullptr);
// The same for the board a screen block names (its model and version),
// which may be one the screen does not hold.
std::vector<std::uint8_t> LoadFirmwareImageFor(const tagGlobalInfo* board, FirmwareLoad* status = nullptr,
                                               QString* source = nullptr);

} // namespace sorvane::link
