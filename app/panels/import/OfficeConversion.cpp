#include "app/panels/import/OfficeConversion.h"

#include "app/spine/Seams.h"
#include "platform/OperatorFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace panels {

QString officeProgram()
{
    if (const QString& chosen = spine::seams().officeProgram; !chosen.isEmpty())
        return chosen;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    return found.isEmpty() ? QStringLiteral("soffice") : found;
}

QString officeFailureMessage(OfficeConversion::Failure failure, const QString& path, const OfficeFailureTexts& texts)
{
    using F = OfficeConversion::Failure;
    using platform::FileRead;
    switch (failure) {
    case F::NotAFile: return platform::operatorFileMessage(FileRead::NotAFile, path, kMaxOfficeFileBytes);
    case F::TooLarge: return platform::operatorFileMessage(FileRead::TooLarge, path, kMaxOfficeFileBytes);
    case F::CannotOpen: return platform::operatorFileMessage(FileRead::Unreadable, path, kMaxOfficeFileBytes);
    case F::NotStarted: return texts.notStarted;
    case F::TimedOut: return texts.timedOut;
    default: return texts.unreadable;
    }
}

// The copy of the source, made on a thread of its own; the conversion
// reads `result` once the thread has finished.
struct OfficeConversion::Copy {
    std::atomic<bool> cancelled{false};
    platform::FileRead result = platform::FileRead::Cancelled;
};

OfficeConversion::OfficeConversion(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &OfficeConversion::onTimeout);
}

OfficeConversion::~OfficeConversion() { cleanUp(); }

bool OfficeConversion::isRunning() const
{
    return m_copier || (m_process && m_process->state() != QProcess::NotRunning);
}

QString OfficeConversion::workFolder() const { return m_dir ? m_dir->path() : QString(); }

qint64 OfficeConversion::processId() const { return m_process ? m_process->processId() : 0; }

void OfficeConversion::start(const QString& source, const QString& format, const InputFilters& filters)
{
    cleanUp();
    ++m_run;
    m_log.clear();
    m_format = format;
    m_filters = filters;
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tavrelo-office-XXXXXX"));
    if (!m_dir->isValid()) {
        fail(QStringLiteral("no temporary folder"), Failure::NotStarted);
        return;
    }
    // A copy with a plain name: the source may have any name and stays
    // untouched. Made off the interface thread, from a regular file only
    // and within the bound, so that a device or a pipe can hold nothing.
    const QString suffix = QFileInfo(source).suffix().toLower();
    m_baseName = QStringLiteral("source");
    m_copyPath = m_dir->filePath(m_baseName + QLatin1Char('.') + suffix);
    auto copy = std::make_shared<Copy>();
    m_copy = copy;
    m_copier = QThread::create([copy, source, target = m_copyPath] {
        copy->result = platform::copyOperatorFile(source, kMaxOfficeFileBytes, target,
                                                  [&copy] { return copy->cancelled.load(); });
    });
    connect(m_copier, &QThread::finished, this, &OfficeConversion::onCopied);
    // The time-out counts from the start, the copy included.
    m_timer.start(m_timeoutMs);
    m_copier->start();
}

void OfficeConversion::onCopied()
{
    if (!m_copier || !m_copy)
        return;
    m_copier->wait();
    delete std::exchange(m_copier, nullptr);
    const platform::FileRead copied = std::exchange(m_copy, nullptr)->result;
    using platform::FileRead;
    switch (copied) {
    case FileRead::Ok: break;
    case FileRead::NotAFile: return fail(QStringLiteral("not a file"), Failure::NotAFile);
    case FileRead::TooLarge: return fail(QStringLiteral("too large"), Failure::TooLarge);
    case FileRead::Cancelled: return;
    default: return fail(QStringLiteral("cannot be opened"), Failure::CannotOpen);
    }
    // The content, not the name, says what the source is.
    QFile copy(m_copyPath);
    const QByteArray head = copy.open(QIODevice::ReadOnly) ? copy.read(8) : QByteArray();
    copy.close();
    if (head == QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8))
        startProcess(m_filters.compound);
    else if (head.startsWith("PK\x03\x04"))
        startProcess(QString());
    else
        startProcess(m_filters.other);
}

void OfficeConversion::startProcess(const QString& inputFilter)
{
    const QString copy = m_copyPath;
    QDir(m_dir->path()).mkdir(QStringLiteral("out"));

    auto* process = new QProcess(this);
    m_process = process;
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setWorkingDirectory(m_dir->path());
    // A group of its own: the office program runs as a chain of processes,
    // and a cancel or time-out must end them all.
    process->setChildProcessModifier([] { ::setsid(); });
    connect(process, &QProcess::finished, this, &OfficeConversion::onProcessFinished);
    connect(process, &QProcess::errorOccurred, this, &OfficeConversion::onProcessError);
    // What the program says is drained as it comes (a full pipe would stall
    // it); the tail is kept for the log.
    connect(process, &QProcess::readyRead, this, [this, process] {
        m_log += process->readAll();
        if (m_log.size() > 4096)
            m_log = m_log.right(4096);
    });
    const QString profile = QUrl::fromLocalFile(m_dir->filePath(QStringLiteral("profile"))).toString();
    QStringList args{QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                     QStringLiteral("--norestore")};
    if (!inputFilter.isEmpty())
        args << QStringLiteral("--infilter=") + inputFilter;
    args << QStringLiteral("--convert-to") << m_format << QStringLiteral("--outdir")
         << m_dir->filePath(QStringLiteral("out")) << copy;
    process->start(officeProgram(), args);
}

void OfficeConversion::cancel()
{
    ++m_run;
    cleanUp();
}

void OfficeConversion::onProcessFinished(int exitCode, QProcess::ExitStatus status)
{
    if (!m_dir)
        return;
    m_timer.stop();
    // The office program may say nothing and exit 0 although it converted
    // nothing, so the output file decides.
    QFile out(m_dir->filePath(QStringLiteral("out/") + m_baseName + QLatin1Char('.') + m_format));
    if (status != QProcess::NormalExit || !out.open(QIODevice::ReadOnly)) {
        if (m_process)
            m_log += m_process->readAll();
        const QString log = QString::fromLocal8Bit(m_log).trimmed();
        fail(QStringLiteral("conversion failed (exit %1): %2").arg(exitCode).arg(log), Failure::Unreadable);
        return;
    }
    const QByteArray data = out.readAll();
    out.close();
    cleanUp();
    emit finished(true, data, QString(), Failure::None);
}

void OfficeConversion::onProcessError(QProcess::ProcessError error)
{
    if (error == QProcess::FailedToStart)
        fail(QStringLiteral("the office program could not be started"), Failure::NotStarted);
}

// A document that takes longer is too large or too complex, not damaged.
void OfficeConversion::onTimeout() { fail(QStringLiteral("the conversion timed out"), Failure::TimedOut); }

void OfficeConversion::fail(const QString& reason, Failure failure)
{
    cleanUp();
    // Always later, never from inside start(): the caller may still be wiring.
    const unsigned run = m_run;
    QMetaObject::invokeMethod(
        this,
        [this, reason, run, failure] {
            if (run == m_run)
                emit finished(false, QByteArray(), reason, failure);
        },
        Qt::QueuedConnection);
}

void OfficeConversion::cleanUp()
{
    m_timer.stop();
    // A copy under way stops at its next piece; it writes into the folder
    // removed below, so it must be over first.
    if (QThread* copier = std::exchange(m_copier, nullptr)) {
        copier->disconnect(this);
        if (m_copy)
            m_copy->cancelled = true;
        copier->wait();
        delete copier;
    }
    m_copy.reset();
    if (QProcess* p = m_process.data()) {
        m_process.clear();
        p->disconnect(this);
        if (p->state() != QProcess::NotRunning) {
            if (p->processId() > 0)
                ::kill(-static_cast<pid_t>(p->processId()), SIGKILL);
            p->kill();
            p->waitForFinished(3000);
        }
        // Possibly inside one of its own signals: it goes when that returns.
        p->deleteLater();
    }
    if (m_dir) {
        m_dir->remove();
        m_dir.reset();
    }
}

} // namespace panels
