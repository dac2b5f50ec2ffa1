#include "platform/OperatorFile.h"

#include "platform/LangPack.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qint64 kPieceBytes = qint64(1) << 20;

FileRead fromErrno(int error)
{
    return error == ENOENT || error == ENOTDIR || error == ELOOP || error == ENAMETOOLONG ? FileRead::Missing
                                                                                         : FileRead::Unreadable;
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

FileRead readOperatorFile(const QString& path, qint64 maxBytes, QByteArray& out,
                          const std::function<bool()>& cancelled)
{
    out.clear();
    if (path.isEmpty())
        return FileRead::Missing;
    const QByteArray name = QFile::encodeName(path);
    // A look before opening, so that a device is not even opened (opening
    // some has effects of its own); the open descriptor decides after.
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return fromErrno(errno);
    if (!S_ISREG(st.st_mode))
        return FileRead::NotAFile;
    // Without O_NONBLOCK, a pipe put in the file's place meanwhile would
    // hold the open until someone writes to it.
    Descriptor file;
    file.fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (file.fd < 0)
        return fromErrno(errno);
    if (::fstat(file.fd, &st) != 0)
        return FileRead::Unreadable;
    if (!S_ISREG(st.st_mode))
        return FileRead::NotAFile;
    if (st.st_size > maxBytes)
        return FileRead::TooLarge;

    // Read to the end, not to the size seen: the file may change meanwhile,
    // but never past the bound.
    QByteArray data;
    data.reserve(qsizetype(st.st_size));
    for (;;) {
        if (cancelled && cancelled())
            return FileRead::Cancelled;
        const qint64 room = maxBytes + 1 - data.size();
        const qsizetype at = data.size();
        const qint64 piece = std::min(kPieceBytes, room);
        data.resize(at + qsizetype(piece));
        const ssize_t got = ::read(file.fd, data.data() + at, std::size_t(piece));
        if (got < 0) {
            data.resize(at);
            if (errno == EINTR)
                continue;
            return FileRead::Unreadable;
        }
        data.resize(at + got);
        if (got == 0)
            break;
        if (data.size() > maxBytes)
            return FileRead::TooLarge;
    }
    out = std::move(data);
    return FileRead::Ok;
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
    }
    QString text = langString(id);
    if (text.isEmpty())
        text = fallback;
    // Both at once: a path may hold "%2" itself.
    return status == FileRead::TooLarge ? text.arg(path, QString::number(maxBytes >> 20)) : text.arg(path);
}

} // namespace platform
