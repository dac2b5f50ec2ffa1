#include "app/shell/InstanceChecker.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QWidget>

namespace shell {

namespace {

const QByteArray kActivate = "activate\n";
constexpr int kConnectMs = 1000;

} // namespace

// In the user's runtime folder, so copies of different users never meet.
QString CInstanceChecker::serverPath() const
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return dir.isEmpty() ? GetMappingName() : dir + u'/' + GetMappingName();
}

CInstanceChecker::CInstanceChecker(const QString& name, QObject* parent)
    : QObject(parent), m_name(name.isEmpty() ? QCoreApplication::applicationName() : name)
{
}

CInstanceChecker::~CInstanceChecker()
{
    Close();
}

QString CInstanceChecker::GetMappingName() const
{
    return QStringLiteral("CInstanceChecker_MMF_") + m_name;
}

bool CInstanceChecker::PreviousInstanceRunning()
{
    if (IsListening())
        return false;
    QLocalSocket socket;
    socket.connectToServer(serverPath());
    const bool running = socket.waitForConnected(kConnectMs);
    socket.abort();
    return running;
}

bool CInstanceChecker::TrackFirstInstance(QWidget* window)
{
    m_window = window;
    if (IsListening())
        return true;
    if (PreviousInstanceRunning())
        return false;
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(serverPath())) {
        // Nobody answered, so a socket file left there is a dead copy's.
        QLocalServer::removeServer(serverPath());
        if (!server->listen(serverPath())) {
            delete server;
            return false;
        }
    }
    connect(server, &QLocalServer::newConnection, this, &CInstanceChecker::onConnection);
    m_server = server;
    return true;
}

bool CInstanceChecker::ActivatePreviousInstance()
{
    QLocalSocket socket;
    socket.connectToServer(serverPath());
    if (!socket.waitForConnected(kConnectMs))
        return false;
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(kConnectMs))
        return false;
    // The first copy answers once it has come forward.
    const bool answered = socket.waitForReadyRead(kConnectMs) && socket.readAll().startsWith("ok");
    socket.disconnectFromServer();
    return answered;
}

void CInstanceChecker::Close()
{
    if (!m_server)
        return;
    m_server->close();
    delete m_server;
    m_server = nullptr;
}

bool CInstanceChecker::IsListening() const
{
    return m_server && m_server->isListening();
}

void CInstanceChecker::onConnection()
{
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            if (!client->canReadLine())
                return;
            if (client->readLine() == kActivate) {
                bringForward();
                client->write("ok\n");
                client->flush();
                emit activationRequested();
            }
            client->disconnectFromServer();
        });
    }
}

void CInstanceChecker::bringForward()
{
    QWidget* target = QApplication::activeModalWidget();
    if (!target)
        target = m_window;
    if (!target)
        return;
    if (m_window && m_window->isMinimized())
        m_window->showNormal();
    if (target->isMinimized())
        target->showNormal();
    target->raise();
    target->activateWindow();
}

} // namespace shell
