#pragma once
// Firmware images: the hexadecimal text they are kept in, the record stream
// they decode to, and the data of the upgrade request.
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct tagItemData;

namespace sorvane::link {

// Value of one text character: 0-9, A-F and a-f as usual, anything else 0.
std::uint8_t FirmwareDigitValue(std::uint8_t c);

// Decodes the text two characters per byte, the first giving the high
// nibble; CR, LF, space and tab are skipped, and a last character without a
// partner is ignored. `out` must hold length / 2 bytes; returns the number
// of bytes written. Never reads past text + length.
std::size_t DecodeFirmwareText(const std::uint8_t* text, std::size_t length, std::uint8_t* out);
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

// Data of the upgrade request: the baud rate as a little-endian word.
std::array<std::uint8_t, 4> UpgradeRequestData(std::uint32_t baudRate);

// Why an image could not be had.
enum class FirmwareLoad { Loaded, NoImage, Unreadable };

// Reads and decodes an image file. Unreadable (and `image` unchanged) when
// the file exists but cannot be read.
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
// no image and a diagnostic, never a dialog.
std::vector<std::uint8_t> LoadFirmwareImageFor(const tagItemData* screen);

} // namespace sorvane::link
