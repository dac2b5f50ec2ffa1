#include "platform/OperatorFile.h"

#include "platform/LangPack.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <utility>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qint64 kPieceBytes = qint64(1) << 20;

FileRead fromErrno(int error)
{
    // A loop of links is there, it only cannot be read: not "no such file".
    if (error == ELOOP)
        return FileRead::LinkLoop;
    return error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG ? FileRead::Missing : FileRead::Unreadable;
}

struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

namespace {

// Opens `name` for reading when it names a regular file of at most
// maxBytes; the descriptor never blocks.
FileRead openChecked(const QByteArray& name, qint64 maxBytes, Descriptor& file, qint64& size)
{
    // A look before opening, so that a device is not even opened (opening
    // some has effects of its own); the open descriptor decides after.
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return fromErrno(errno);
    if (!S_ISREG(st.st_mode))
        return FileRead::NotAFile;
    // Without O_NONBLOCK, a pipe put in the file's place meanwhile would
    // hold the open until someone writes to it.
    file.fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (file.fd < 0)
        return fromErrno(errno);
    if (::fstat(file.fd, &st) != 0)
        return FileRead::Unreadable;
    if (!S_ISREG(st.st_mode))
        return FileRead::NotAFile;
    if (st.st_size > maxBytes)
        return FileRead::TooLarge;
    size = st.st_size;
    return FileRead::Ok;
}

// Reads to the end, not to the size seen at the open: the file may change
// meanwhile, but never past the bound. `take` gets each piece in order.
FileRead readPieces(int fd, qint64 maxBytes, const std::function<bool()>& cancelled,
                    const std::function<bool(const char*, qint64)>& take)
{
    QByteArray piece(qsizetype(kPieceBytes), Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        if (cancelled && cancelled())
            return FileRead::Cancelled;
        const qint64 want = std::min(kPieceBytes, maxBytes + 1 - total);
        const ssize_t got = ::read(fd, piece.data(), std::size_t(want));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return FileRead::Unreadable;
        }
        if (got == 0)
            return FileRead::Ok;
        total += got;
        if (total > maxBytes)
            return FileRead::TooLarge;
        if (!take(piece.constData(), got))
            return FileRead::Unreadable;
    }
}

} // namespace

namespace {

// Opens `path` as a regular file of at most maxBytes and reads it: `start`
// hears the size seen at the open (false: refused), `take` gets each piece.
FileRead readChecked(const QString& path, qint64 maxBytes, const std::function<bool()>& cancelled,
                     const std::function<bool(qint64)>& start,
                     const std::function<bool(const char*, qint64)>& take)
{
    if (path.isEmpty())
        return FileRead::Missing;
    Descriptor file;
    qint64 size = 0;
    if (const FileRead opened = openChecked(QFile::encodeName(path), maxBytes, file, size); opened != FileRead::Ok)
        return opened;
    if (!start(size))
        return FileRead::Unreadable;
    return readPieces(file.fd, maxBytes, cancelled, take);
}

} // namespace

FileRead readOperatorFile(const QString& path, qint64 maxBytes, QByteArray& out,
                          const std::function<bool()>& cancelled)
{
    out.clear();
    QByteArray data;
    const FileRead read = readChecked(
        path, maxBytes, cancelled,
        [&](qint64 size) {
            data.reserve(qsizetype(size));
            return true;
        },
        [&](const char* bytes, qint64 n) {
            data.append(bytes, qsizetype(n));
            return true;
        });
    if (read == FileRead::Ok)
        out = std::move(data);
    return read;
}

namespace {
bool writeAll(int fd, const char* bytes, qint64 n)
{
    while (n > 0) {
        const ssize_t put = ::write(fd, bytes, std::size_t(n));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes += put;
        n -= put;
    }
    return true;
}
} // namespace

FileRead copyOperatorFile(const QString& path, qint64 maxBytes, const QString& target,
                          const std::function<bool()>& cancelled)
{
    if (path.isEmpty())
        return FileRead::Missing;
    Descriptor in;
    qint64 size = 0;
    if (const FileRead opened = openChecked(QFile::encodeName(path), maxBytes, in, size); opened != FileRead::Ok)
        return opened;
    // Not emptied at the open: the target may be the source itself (the same
    // path or a hard link). Not blocking: a pipe there has no end to fill.
    const QByteArray targetName = QFile::encodeName(target);
    Descriptor out;
    out.fd = ::open(targetName.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (out.fd < 0)
        return FileRead::Unreadable;
    struct stat source {}, made {};
    if (::fstat(in.fd, &source) != 0 || ::fstat(out.fd, &made) != 0)
        return FileRead::Unreadable;
    // Neither the source itself nor anything but a regular file is written
    // (or removed): it is the operator's.
    if (!S_ISREG(made.st_mode) || (made.st_dev == source.st_dev && made.st_ino == source.st_ino))
        return FileRead::Unreadable;
    const auto fail = [&](FileRead why) {
        ::close(out.fd);
        out.fd = -1;
        ::unlink(targetName.constData());
        return why;
    };
    if (::ftruncate(out.fd, 0) != 0)
        return fail(FileRead::Unreadable);
    const FileRead read = readPieces(in.fd, maxBytes, cancelled,
                                     [&](const char* bytes, qint64 n) { return writeAll(out.fd, bytes, n); });
    if (read != FileRead::Ok)
        return fail(read);
    if (::close(std::exchange(out.fd, -1)) != 0)
        return fail(FileRead::Unreadable);
    return FileRead::Ok;
}

bool fileHolds(const QString& path, QByteArrayView bytes)
{
    QByteArray held;
    return readOperatorFile(path, bytes.size(), held) == FileRead::Ok && QByteArrayView(held) == bytes;
}

struct ImageFileSource::Impl {
    QByteArray bytes;
    QBuffer buffer;
    QImageReader reader;
};

ImageFileSource::ImageFileSource(const QString& path, qint64 maxBytes) : m_impl(new Impl)
{
    m_status = readOperatorFile(path, maxBytes, m_impl->bytes);
    if (m_status != FileRead::Ok)
        return;
    m_impl->buffer.setBuffer(&m_impl->bytes);
    m_impl->buffer.open(QIODevice::ReadOnly);
    // No format from the name: a name that says otherwise than the content
    // would stop the reader from looking at the content.
    m_impl->reader.setDevice(&m_impl->buffer);
}

ImageFileSource::~ImageFileSource()
{
    // The reader lets go of the buffer before the buffer goes.
    m_impl->reader.setDevice(nullptr);
    delete m_impl;
}

QImageReader& ImageFileSource::reader() { return m_impl->reader; }

QString operatorFileMessage(FileRead status, const QString& path, qint64 maxBytes)
{
    unsigned id = 0;
    QString fallback;
    switch (status) {
    case FileRead::Ok:
    case FileRead::Cancelled:
        return {};
    case FileRead::NotAFile:
        id = 48340;
        fallback = QStringLiteral("%1\nThis is not a file.");
        break;
    case FileRead::TooLarge:
        id = 48341;
        fallback = QStringLiteral("%1\nThe file is larger than %2 MB.");
        break;
    case FileRead::Missing:
    case FileRead::Unreadable:
        id = 48342;
        fallback = QStringLiteral("%1\nThe file cannot be opened.");
        break;
    case FileRead::LinkLoop:
        id = 48347;
        fallback = QStringLiteral("%1\nThe file cannot be opened: its symbolic links form a loop.");
        break;
    }
    QString text = langString(id);
    if (text.isEmpty())
        text = fallback;
    // Both at once: a path may hold "%2" itself.
    return status == FileRead::TooLarge ? text.arg(path, QString::number(maxBytes >> 20)) : text.arg(path);
}

FileRead operatorWriteTarget(const QString& path, QByteArray& target)
{
    QByteArray name = QFile::encodeName(path);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(name.constData(), &st) != 0) {
            target = name;   // not there yet: made by the write
            return FileRead::Ok;
        }
        if (S_ISREG(st.st_mode)) {
            target = name;
            return FileRead::Ok;
        }
        if (!S_ISLNK(st.st_mode))
            return FileRead::NotAFile;
        QByteArray to(qsizetype(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(name.constData(), to.data(), std::size_t(to.size()));
        if (n <= 0 || n >= to.size())
            return FileRead::Unreadable;
        to.truncate(qsizetype(n));
        if (!to.startsWith('/')) {
            const qsizetype slash = name.lastIndexOf('/');
            to = (slash >= 0 ? name.left(slash + 1) : QByteArray()) + to;
        }
        name = to;
    }
    return FileRead::LinkLoop;
}

QString operatorWriteMessage(FileRead status, const QString& path)
{
    switch (status) {
    case FileRead::Ok:
    case FileRead::Cancelled:
        return {};
    case FileRead::NotAFile: {
        const QString text = langString(48348);
        return (text.isEmpty() ? QStringLiteral("%1\nThis is not a file: nothing was written to it.") : text).arg(path);
    }
    default:
        return operatorFileMessage(status, path, 0);
    }
}

} // namespace platform
