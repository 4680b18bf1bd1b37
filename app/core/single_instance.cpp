#include "single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QScopedValueRollback>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int connectTimeoutMs = 2000;

// `folder` when only this user may enter it (owned by the user, mode 0700), created so when
// it is missing; otherwise empty.
QString privateFolder(const QString& folder) {
    if (folder.isEmpty()) {
        return {};
    }
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), S_IRWXU) != 0 && errno != EEXIST) {
        return {};
    }
    struct stat status {};
    if (::stat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::geteuid() || (status.st_mode & 07777) != S_IRWXU) {
        return {};
    }
    return folder;
}

// A variable's value as a safe part of a file name; different values stay different.
QString fileNamePart(const QString& value) {
    return QString::fromLatin1(value.toUtf8().toPercentEncoding());
}

// The display or login session the program shows its windows in; empty when none is known.
QString sessionName(const QProcessEnvironment& environment) {
    if (const QString wayland = environment.value("WAYLAND_DISPLAY"); !wayland.isEmpty()) {
        return "wayland-" + fileNamePart(wayland);
    }
    if (const QString x11 = environment.value("DISPLAY"); !x11.isEmpty()) {
        return "x11-" + fileNamePart(x11);
    }
    if (const QString session = environment.value("XDG_SESSION_ID"); !session.isEmpty()) {
        return "session-" + fileNamePart(session);
    }
    return {};
}
} // namespace

SingleInstance::SingleInstance(const QString& key, const QString& folder)
    : key_(key), folder_(privateFolder(folder)) {
    if (!folder_.isEmpty()) {
        lock_ = std::make_unique<QLockFile>(QDir(folder_).filePath(key_ + ".lock"));
        lock_->setStaleLockTime(0); // a lock is stale only when its process is gone
    }
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultKey(const QProcessEnvironment& environment) {
    const QString user = QString("huemark-%1").arg(::getuid());
    const QString session = sessionName(environment);
    return session.isEmpty() ? user : user + "-" + session;
}

QString SingleInstance::runtimeFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString SingleInstance::socketPath() const {
    return QDir(folder_).filePath(key_);
}

bool SingleInstance::claim() {
    if (!lock_) {
        return true; // no private folder: run on its own
    }
    if (!lock_->tryLock(0)) {
        return false;
    }
    listen();
    return true;
}

// Listens on the socket beside the lock. When that fails the program says so and works on
// alone; it gives up the lock so that later starts run on their own instead of losing their
// files to a program that cannot hear them.
void SingleInstance::listen() {
    const QString path = socketPath();
    QLocalServer::removeServer(path); // a socket left by a program of ours that crashed
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(path)) {
        qWarning("Huemark: cannot listen on %s (%s); later starts will not hand their files "
                 "to this program",
                 qUtf8Printable(path), qUtf8Printable(server_.errorString()));
        lock_->unlock();
        return;
    }
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { takeLines(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            takeLines(socket);
            socket->deleteLater();
        });
        takeLines(socket);
    }
}

// Moves every complete line out of the socket and hands the lines on later, from the event
// loop: the receiver may run events (a progress box does), and the socket may then be
// disconnected and deleted, so nothing is handed on while the socket is in use.
void SingleInstance::takeLines(QLocalSocket* socket) {
    const qsizetype before = pending_.size();
    while (socket->canReadLine()) {
        pending_.append(QString::fromUtf8(socket->readLine().chopped(1)));
    }
    if (pending_.size() > before) {
        QMetaObject::invokeMethod(this, &SingleInstance::deliverPending, Qt::QueuedConnection);
    }
}

// Hands on the received lines in order, each once. A call made while a receiver runs events
// returns at once: the outer call goes on with the lines that arrived meanwhile.
void SingleInstance::deliverPending() {
    if (delivering_) {
        return;
    }
    const QScopedValueRollback delivering(delivering_, true);
    while (!pending_.isEmpty()) {
        emit fileHandedOver(pending_.takeFirst());
    }
}

bool SingleInstance::handOver(const QString& fileName) const {
    if (folder_.isEmpty()) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(socketPath());
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
