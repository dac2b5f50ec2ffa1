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
class QThread;

namespace panels {

// The office program, looked up on the PATH unless the registry's
// officeProgram names one (tests point it at a missing or fake program).
QString officeProgram();

inline constexpr int kOfficeTimeoutMs = 60000;
// The largest document or workbook taken: a rich text holds at most 4 Mi
// characters and a table far fewer cells; a file beyond this is pictures
// and padding, and its conversion would pass the time-out anyway.
inline constexpr qint64 kMaxOfficeFileBytes = qint64(256) << 20;

// How the office program is told what a source is, by its content: an OLE
// compound file (the old binary documents) with the named import filter, so
// that a damaged one is refused rather than read as text; a ZIP package
// (OpenDocument, Office Open XML) by the program's own detection, which
// reads the package's manifest; anything else with `other` (empty: the
// program's guess).
struct InputFilters {
    QString compound;
    QString other;
};

class OfficeConversion : public QObject {
    Q_OBJECT
public:
    // Why a conversion gave nothing: the office program could not be run;
    // it ran and could not make the file out (damaged, foreign); it ran past
    // the time-out; or the source was not taken (not a file, too large,
    // cannot be opened).
    enum class Failure { None, NotStarted, Unreadable, TimedOut, NotAFile, TooLarge, CannotOpen };
    Q_ENUM(Failure)

    explicit OfficeConversion(QObject* parent = nullptr);
    ~OfficeConversion() override;

    void setTimeout(int ms) { m_timeoutMs = ms; }
    // Starts converting `source` to `format` (an extension such as "rtf" or
    // "fods"): the source is copied off the interface thread (a regular file
    // of at most kMaxOfficeFileBytes), then read with the filter its content
    // calls for. The result always comes later, through finished().
    void start(const QString& source, const QString& format, const InputFilters& filters = {});
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
    struct Copy;
    void onCopied();
    void startProcess(const QString& inputFilter);
    void onProcessFinished(int exitCode, QProcess::ExitStatus status);
    void onProcessError(QProcess::ProcessError error);
    void onTimeout();
    void fail(const QString& reason, Failure failure);
    void cleanUp();

    int m_timeoutMs = kOfficeTimeoutMs;
    unsigned m_run = 0;
    QString m_format;
    QString m_baseName;
    QString m_copyPath;
    InputFilters m_filters;
    std::shared_ptr<Copy> m_copy;
    QThread* m_copier = nullptr;
    QByteArray m_log;
    std::unique_ptr<QTemporaryDir> m_dir;
    QPointer<QProcess> m_process;
    QTimer m_timer;
};

// What a failed conversion tells the operator, by the kind of failure: the
// office program did not start, it passed the time-out, it could not read
// the source. A source that was not taken (not a file, too large, cannot be
// opened) is said the same way for every import.
struct OfficeFailureTexts {
    QString notStarted;
    QString timedOut;
    QString unreadable;
};
QString officeFailureMessage(OfficeConversion::Failure failure, const QString& path, const OfficeFailureTexts& texts);

} // namespace panels
