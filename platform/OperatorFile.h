#pragma once
// The one way to read a file whose path the operator names (an import, a
// picture, a firmware image, a language pack, a start-up file): regular
// files only, links followed; opened so that opening cannot block, checked
// on the open descriptor, and read no further than the caller's bound. A
// device, a pipe or a folder is refused at once, never read.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

class QImageReader;

namespace platform {

enum class FileRead {
    Ok,
    Missing,      // no such path
    NotAFile,     // a folder, a device, a pipe or a socket
    TooLarge,     // more bytes than the caller's bound
    Unreadable,   // no right to read it, or the read failed
    LinkLoop,     // unreadable: its symbolic links lead round in a loop
    Cancelled,    // the caller's cancel said so between two pieces
};

// Reads the whole file at `path` into `out`, which is left empty unless the
// result is Ok. `cancelled`, when given, is asked between pieces of a large
// read. Never blocks on the path and never holds more than maxBytes.
FileRead readOperatorFile(const QString& path, qint64 maxBytes, QByteArray& out,
                          const std::function<bool()>& cancelled = {});

// Copies the file at `path` to `target` (a file of the caller's, made or
// emptied) in pieces, with the same checks and bound; on any refusal the
// target is removed. Unreadable also when `target` cannot be written, is
// no regular file (a pipe is never waited on) or is the source itself (the
// same path or a hard link), which are then left as they were.
FileRead copyOperatorFile(const QString& path, qint64 maxBytes, const QString& target,
                          const std::function<bool()>& cancelled = {});

// True when the regular file at `path` holds exactly `bytes`: writing them
// there again would change nothing (and costs a disk sync).
bool fileHolds(const QString& path, QByteArrayView bytes);

// Pictures and animations: a file larger than this is refused. Qt decodes
// no single image above 256 MiB either, and no LED screen shows a picture
// that takes a file that large.
inline constexpr qint64 kMaxPictureFileBytes = qint64(256) << 20;

// Reads a picture or animation file and hands its bytes to `reader` (which
// keeps reading them, so the source must outlive its reads). The content
// decides the format, whatever the name says. A refused file leaves a
// reader that reads nothing.
class ImageFileSource {
public:
    explicit ImageFileSource(const QString& path, qint64 maxBytes = kMaxPictureFileBytes);
    ~ImageFileSource();
    ImageFileSource(const ImageFileSource&) = delete;
    ImageFileSource& operator=(const ImageFileSource&) = delete;

    FileRead status() const { return m_status; }
    // The reader over the file's bytes; one that can read nothing when refused.
    QImageReader& reader();

private:
    struct Impl;
    Impl* m_impl;
    FileRead m_status;
};

// Where a file written for the operator at `path` lands once its symbolic
// links are followed (`target`). Ok when that is a regular file or a name
// not there yet; NotAFile for a folder, a device, a pipe or a socket, which
// is never written over; LinkLoop when the links lead round. Only looks:
// nothing is opened, so nothing blocks.
FileRead operatorWriteTarget(const QString& path, QByteArray& target);

// What to tell the operator about a file that was not written over.
// Empty for Ok and Cancelled.
QString operatorWriteMessage(FileRead status, const QString& path);

// What to tell the operator about a refused file, in the pack's language:
// "%1 is not a file", "%1 is larger than %2", or that it cannot be opened.
// Empty for Ok and Cancelled.
QString operatorFileMessage(FileRead status, const QString& path, qint64 maxBytes);

} // namespace platform
