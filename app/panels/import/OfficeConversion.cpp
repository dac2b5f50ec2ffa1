#include "app/panels/import/OfficeConversion.h"

#include "app/spine/Seams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

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

OfficeConversion::OfficeConversion(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &OfficeConversion::onTimeout);
}

OfficeConversion::~OfficeConversion() { cleanUp(); }

bool OfficeConversion::isRunning() const { return m_process && m_process->state() != QProcess::NotRunning; }

QString OfficeConversion::workFolder() const { return m_dir ? m_dir->path() : QString(); }

qint64 OfficeConversion::processId() const { return m_process ? m_process->processId() : 0; }

void OfficeConversion::start(const QString& source, const QString& format, const QString& inputFilter)
{
    cleanUp();
    ++m_run;
    m_log.clear();
    m_format = format;
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tavrelo-office-XXXXXX"));
    if (!m_dir->isValid()) {
        fail(QStringLiteral("no temporary folder"), Failure::NotStarted);
        return;
    }
    // A copy with a plain name: the source may have any name and stays untouched.
    const QString suffix = QFileInfo(source).suffix().toLower();
    m_baseName = QStringLiteral("source");
    const QString copy = m_dir->filePath(m_baseName + QLatin1Char('.') + suffix);
    if (!QFile::copy(source, copy)) {
        fail(QStringLiteral("cannot read %1").arg(source), Failure::Unreadable);
        return;
    }
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
    args << QStringLiteral("--convert-to") << format << QStringLiteral("--outdir") << m_dir->filePath(QStringLiteral("out"))
         << copy;
    m_timer.start(m_timeoutMs);
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

void OfficeConversion::onTimeout() { fail(QStringLiteral("the conversion timed out"), Failure::Unreadable); }

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
