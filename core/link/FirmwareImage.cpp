#include "core/link/FirmwareImage.h"

#include "core/link/FirmwareCatalogue.h"
#include "core/model/ItemData.h"

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

std::size_t DecodeFirmwareText(const std::uint8_t* text, std::size_t length, std::uint8_t* out)
{
    if (!text || !out)
        return 0;
    // Line ends and spaces are layout, whichever editor saved the file.
    std::size_t count = 0;
    int high = -1;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t c = text[i];
        if (c == '\r' || c == '\n' || c == ' ' || c == '\t')
            continue;
        if (high < 0) {
            high = FirmwareDigitValue(c);
            continue;
        }
        out[count++] = static_cast<std::uint8_t>((high << 4) | FirmwareDigitValue(c));
        high = -1;
    }
    return count;
}

std::vector<std::uint8_t> DecodeFirmwareText(const std::uint8_t* text, std::size_t length)
{
    std::vector<std::uint8_t> image(text ? length / 2 : 0);
    if (!image.empty())
        image.resize(DecodeFirmwareText(text, length, image.data()));
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

std::array<std::uint8_t, 4> UpgradeRequestData(std::uint32_t baudRate)
{
    return {static_cast<std::uint8_t>(baudRate), static_cast<std::uint8_t>(baudRate >> 8),
            static_cast<std::uint8_t>(baudRate >> 16), static_cast<std::uint8_t>(baudRate >> 24)};
}

FirmwareLoad LoadFirmwareFile(const QString& path, std::vector<std::uint8_t>& image)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return FirmwareLoad::NoImage;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FirmwareLoad::Unreadable;
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FirmwareLoad::Unreadable;
    image = DecodeFirmwareText(reinterpret_cast<const std::uint8_t*>(text.constData()),
                               static_cast<std::size_t>(text.size()));
    return image.empty() ? FirmwareLoad::NoImage : FirmwareLoad::Loaded;
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

std::vector<std::uint8_t> LoadFirmwareImageFor(const tagItemData* screen)
{
    std::vector<std::uint8_t> image;
    const QString override = FirmwareOverridePath(FirmwareFolder());
    if (QFileInfo::exists(override)) {
        if (LoadFirmwareFile(override, image) == FirmwareLoad::Unreadable)
            qWarning("firmware image %s cannot be read", qUtf8Printable(override));
        return image;
    }
    const QString chosen = ChosenFirmwareFile();
    if (!chosen.isEmpty()) {
        if (LoadFirmwareFile(chosen, image) != FirmwareLoad::Loaded)
            qWarning("firmware image %s cannot be read", qUtf8Printable(chosen));
        return image;
    }
    if (!screen)
        return image;
    const unsigned id = FirmwareResourceId(screen->Global.HardwareId, screen->Global.RemoteVersion);
    if (id == 0)
        return image;
    // The library's own images would live here; none are shipped.
    QFile resource(QStringLiteral(":/firmware/%1").arg(id));
    if (!resource.open(QIODevice::ReadOnly))
        return image;
    const QByteArray text = resource.readAll();
    return DecodeFirmwareText(reinterpret_cast<const std::uint8_t*>(text.constData()),
                              static_cast<std::size_t>(text.size()));
}

} // namespace sorvane::link
