#pragma once
// One office conversion: LibreOffice converts a copy of the source file in a
// fresh temporary folder, with a user profile of its own there so that runs
// in parallel do not collide, and the folder goes when the run ends, fails,
// times out or is dropped. The caller gets the converted file's bytes.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QTimer>

#include <memory>

class QTemporaryDir;

namespace panels {

// The office program, looked up on the PATH unless the registry's
// officeProgram names one (tests point it at a missing or fake program).
QString officeProgram();

inline constexpr int kOfficeTimeoutMs = 60000;

class OfficeConversion : public QObject {
    Q_OBJECT
public:
    // Why a conversion gave nothing: the office program could not be run, or
    // it ran and could not make the file out (damaged, foreign, too slow).
    enum class Failure { None, NotStarted, Unreadable };
    Q_ENUM(Failure)

    explicit OfficeConversion(QObject* parent = nullptr);
    ~OfficeConversion() override;

    void setTimeout(int ms) { m_timeoutMs = ms; }
    // Starts converting `source` to `format` (an extension such as "rtf" or
    // "fods"), reading it with the named import filter when one is given (so
    // that a file of another kind is refused, not read as text). The result
    // always comes later, through finished().
    void start(const QString& source, const QString& format, const QString& inputFilter = {});
    // Stops a running conversion and removes its folder; no signal follows.
    void cancel();
    bool isRunning() const;
    // The temporary folder of the running conversion (empty when none).
    QString workFolder() const;
    qint64 processId() const;

signals:
    // ok: `data` holds the converted file; else `failure` says which kind and
    // `reason` why (for logs; the user sees the caller's own message).
    void finished(bool ok, const QByteArray& data, const QString& reason, panels::OfficeConversion::Failure failure);

private:
    void onProcessFinished(int exitCode, QProcess::ExitStatus status);
    void onProcessError(QProcess::ProcessError error);
    void onTimeout();
    void fail(const QString& reason, Failure failure);
    void cleanUp();

    int m_timeoutMs = kOfficeTimeoutMs;
    unsigned m_run = 0;
    QString m_format;
    QString m_baseName;
    QByteArray m_log;
    std::unique_ptr<QTemporaryDir> m_dir;
    QPointer<QProcess> m_process;
    QTimer m_timer;
};

} // namespace panels
