#include "single_instance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace {
constexpr int connectTimeoutMs = 2000;

QString lockFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}
} // namespace

SingleInstance::SingleInstance(const QString& key)
    : key_(key), lock_(std::make_unique<QLockFile>(lockFolder() + "/" + key + ".lock")) {
    lock_->setStaleLockTime(0); // a lock is stale only when its process is gone
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultKey() {
    return QString("huemark-%1").arg(getuid());
}

bool SingleInstance::claim() {
    if (!lock_->tryLock(0)) {
        return false;
    }
    QLocalServer::removeServer(key_); // a socket left by a program that crashed
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(key_);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readConnection(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            readConnection(socket);
        }
    });
    return true;
}

void SingleInstance::readConnection(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine().chopped(1);
        emit fileHandedOver(QString::fromUtf8(line));
    }
}

bool SingleInstance::handOver(const QString& fileName) const {
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(connectTimeoutMs)) {
        return false;
    }
    const QString absolute =
        fileName.isEmpty() ? QString() : QFileInfo(fileName).absoluteFilePath();
    socket.write(absolute.toUtf8() + '\n');
    const bool sent = socket.waitForBytesWritten(connectTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(connectTimeoutMs);
    }
    return sent;
}
