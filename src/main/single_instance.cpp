#include "main/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace tidewell {

namespace {

constexpr QByteArrayView showRequest = "show\n";
constexpr int connectWaitMilliseconds = 1000;

}  // namespace

QString SingleInstance::serverName() {
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) return QDir(runtime).filePath(QString::fromLatin1(bundleIdentifier));
    return QDir(QDir::tempPath())
        .filePath(QString::fromLatin1(bundleIdentifier) + QStringLiteral("-") + QString::number(::getuid()));
}

bool SingleInstance::askRunningInstanceToShow() {
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(connectWaitMilliseconds)) return false;
    socket.write(showRequest.data(), showRequest.size());
    bool sent = socket.waitForBytesWritten(connectWaitMilliseconds);
    socket.disconnectFromServer();
    return sent;
}

SingleInstanceServer::SingleInstanceServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    // No socket options: with them the toolkit renames its socket over an existing one, which
    // would take the name from a running instance instead of failing.
    connect(server_, &QLocalServer::newConnection, this, &SingleInstanceServer::acceptConnections);
}

bool SingleInstanceServer::listen() {
    const QString name = SingleInstance::serverName();
    if (server_->listen(name)) return true;
    // An instance that started at the same moment may own the name now; only a socket
    // nobody answers on is a leftover that can be replaced.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(connectWaitMilliseconds)) return false;
    QLocalServer::removeServer(name);
    return server_->listen(name);
}

void SingleInstanceServer::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readRequest = [this, socket] {
            if (socket->canReadLine() && socket->readLine() == showRequest.toByteArray()) emit showRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        readRequest();
    }
}

}  // namespace tidewell
