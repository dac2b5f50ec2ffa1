#include "core/link/FirmwareImage.h"

#include "core/link/FirmwareCatalogue.h"
#include "core/model/ItemData.h"
#include "platform/OperatorFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QtGlobal>

using namespace sorvane::link;
using namespace sorvane::model;

namespace sorvane::link {

std::uint8_t FirmwareDigitValue(std::uint8_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    return 0;
}

namespace {
bool isHexDigit(std::uint8_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool isLayout(std::uint8_t c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; }
bool isTagCharacter(std::uint8_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
} // namespace

std::size_t DecodeFirmwareText(const std::uint8_t* text, std::size_t length, std::uint8_t* out)
{
    if (!text || !out)
        return kNotFirmwareText;
    // Line ends and spaces are layout, whichever editor saved the file.
    // The first four characters may be the image's tag, letters and digits
    // whose letters past F count as 0, as the controllers take them.
    std::size_t count = 0;
    std::size_t seen = 0;
    int high = -1;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t c = text[i];
        if (isLayout(c))
            continue;
        const bool tag = seen < kFirmwareTagLength;
        ++seen;
        if (!isHexDigit(c) && !(tag && isTagCharacter(c)))
            return kNotFirmwareText;
        if (high < 0) {
            high = FirmwareDigitValue(c);
            continue;
        }
        out[count++] = static_cast<std::uint8_t>((high << 4) | FirmwareDigitValue(c));
        high = -1;
    }
    // A digit without its partner: the text was cut or damaged.
    return high < 0 ? count : kNotFirmwareText;
}

std::vector<std::uint8_t> DecodeFirmwareText(const std::uint8_t* text, std::size_t length)
{
    std::vector<std::uint8_t> image(text ? length / 2 : 0);
    if (image.empty())
        return image;
    const std::size_t n = DecodeFirmwareText(text, length, image.data());
    image.resize(n == kNotFirmwareText ? 0 : n);
    return image;
}

RecordWalk NextFirmwareRecord(const std::uint8_t* image, std::size_t length, std::size_t offset,
                              FirmwareRecord& record)
{
    if (offset >= length)
        return RecordWalk::End;
    if (!image || length - offset < 2)
        return RecordWalk::Damaged;
    const std::size_t body = (std::size_t(image[offset]) << 8) | image[offset + 1];
    if (body > length - offset - 2)
        return RecordWalk::Damaged;
    record.offset = offset;
    record.size = body + 2;
    return RecordWalk::Record;
}

bool SplitFirmwareRecords(const std::uint8_t* image, std::size_t length, std::vector<FirmwareRecord>& records)
{
    records.clear();
    std::size_t offset = 0;
    for (;;) {
        FirmwareRecord record;
        switch (NextFirmwareRecord(image, length, offset, record)) {
        case RecordWalk::End:
            return true;
        case RecordWalk::Damaged:
            records.clear();
            return false;
        case RecordWalk::Record:
            records.push_back(record);
            offset += record.size;
            break;
        }
    }
}

bool FirmwareImageHasData(const std::uint8_t* image, std::size_t length)
{
    std::vector<FirmwareRecord> records;
    if (!SplitFirmwareRecords(image, length, records))
        return false;
    for (const FirmwareRecord& r : records)
        if (r.size > 2)
            return true;
    return false;
}

std::array<std::uint8_t, 4> UpgradeRequestData(std::uint32_t baudRate)
{
    return {static_cast<std::uint8_t>(baudRate), static_cast<std::uint8_t>(baudRate >> 8),
            static_cast<std::uint8_t>(baudRate >> 16), static_cast<std::uint8_t>(baudRate >> 24)};
}

namespace {
// A text that is not firmware text, or an image of no record with data,
// is damaged: nothing of it may reach a controller. An empty text is no
// image when `emptyIsNone` (the library's missing images), else damaged.
FirmwareLoad decodeInto(const QByteArray& text, std::vector<std::uint8_t>& image, bool emptyIsNone)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.constData());
    const auto length = static_cast<std::size_t>(text.size());
    std::vector<std::uint8_t> decoded(length / 2 + 1);
    const std::size_t n = DecodeFirmwareText(bytes, length, decoded.data());
    if (n == kNotFirmwareText) {
        image.clear();
        return FirmwareLoad::Damaged;
    }
    decoded.resize(n);
    if (emptyIsNone && length == 0) {
        image.clear();
        return FirmwareLoad::NoImage;
    }
    if (!FirmwareImageHasData(decoded.data(), decoded.size())) {
        image.clear();
        return FirmwareLoad::Damaged;
    }
    image = std::move(decoded);
    return FirmwareLoad::Loaded;
}
} // namespace

FirmwareLoad LoadFirmwareFile(const QString& path, std::vector<std::uint8_t>& image)
{
    QByteArray text;
    switch (platform::readOperatorFile(path, kMaxFirmwareTextBytes, text)) {
    case platform::FileRead::Ok:
        break;
    case platform::FileRead::Missing:
        return FirmwareLoad::NoImage;
    default:
        // A folder, a device, a pipe, a text no image could fill.
        return FirmwareLoad::Unreadable;
    }
    std::vector<std::uint8_t> decoded;
    const FirmwareLoad got = decodeInto(text, decoded, false);
    if (got == FirmwareLoad::Loaded && decoded.size() > kMaxFirmwareImageBytes) {
        image.clear();
        return FirmwareLoad::Damaged;
    }
    image = std::move(decoded);
    return got;
}

QString FirmwareOverridePath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("update.dat"));
}

} // namespace sorvane::link

namespace {
QMutex g_pathsMutex;
QString g_folder;
QString g_chosen;

QString programFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}
} // namespace

namespace sorvane::link {

QString FirmwareFolder()
{
    QMutexLocker lock(&g_pathsMutex);
    return g_folder.isEmpty() ? programFolder() : g_folder;
}

void SetFirmwareFolder(const QString& folder)
{
    QMutexLocker lock(&g_pathsMutex);
    g_folder = folder;
}

void SetChosenFirmwareFile(const QString& path)
{
    QMutexLocker lock(&g_pathsMutex);
    g_chosen = path;
}

QString ChosenFirmwareFile()
{
    QMutexLocker lock(&g_pathsMutex);
    return g_chosen;
}

std::vector<std::uint8_t> LoadFirmwareImageFor(const tagItemData* screen, FirmwareLoad* status, QString* source)
{
    return LoadFirmwareImageFor(screen ? &screen->Global : nullptr, status, source);
}

std::vector<std::uint8_t> LoadFirmwareImageFor(const tagGlobalInfo* board, FirmwareLoad* status, QString* source)
{
    FirmwareLoad unused;
    FirmwareLoad& got = status ? *status : unused;
    got = FirmwareLoad::NoImage;
    std::vector<std::uint8_t> image;
    // update.dat beside the program, else the chosen file: the first that is
    // there decides, read or not.
    for (const QString& path : {FirmwareOverridePath(FirmwareFolder()), ChosenFirmwareFile()}) {
        if (path.isEmpty())
            continue;
        got = LoadFirmwareFile(path, image);
        if (got == FirmwareLoad::NoImage)
            continue;
        if (source)
            *source = path;
        if (got != FirmwareLoad::Loaded)
            qWarning("firmware image %s cannot be read", qUtf8Printable(path));
        return image;
    }
    if (!board)
        return image;
    const unsigned id = FirmwareResourceId(board->HardwareId, board->RemoteVersion);
    if (id == 0)
        return image;
    // The library's own images would live here; none are shipped.
    QFile resource(QStringLiteral(":/firmware/%1").arg(id));
    if (!resource.open(QIODevice::ReadOnly))
        return image;
    got = decodeInto(resource.readAll(), image, true);
    return image;
}

} // namespace sorvane::link
