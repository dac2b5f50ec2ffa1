#pragma once
// Keeps the program to one running copy per user: the first copy listens on a
// local socket named after the application; a later copy finds it, asks it to
// come forward and ends. A socket file left by a crashed copy is taken over.
#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QWidget;

namespace shell {

class CInstanceChecker : public QObject {
    Q_OBJECT
public:
    // `name` defaults to the application name.
    explicit CInstanceChecker(const QString& name = QString(), QObject* parent = nullptr);
    ~CInstanceChecker() override;

    // "CInstanceChecker_MMF_" + the application name.
    QString GetMappingName() const;
    // True when a first copy answers on the socket.
    bool PreviousInstanceRunning();
    // Starts listening unless another copy does; a stale socket is removed
    // first. True when this copy now owns the socket. `window` is the one
    // brought forward on request (the active modal dialog when there is one).
    bool TrackFirstInstance(QWidget* window);
    // Asks the first copy to come forward; true when it took the request.
    bool ActivatePreviousInstance();
    // Stops answering (before a restart, so the new copy starts as the first).
    void Close();
    bool IsListening() const;

signals:
    // The first copy was asked to come forward (after it did so).
    void activationRequested();

private:
    QString serverPath() const;
    void onConnection();
    void bringForward();

    QString m_name;
    QLocalServer* m_server = nullptr;
    QPointer<QWidget> m_window;
};

} // namespace shell
