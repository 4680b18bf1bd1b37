#include "mail_handover.h"

#include "email.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString emailInterface = QStringLiteral("org.freedesktop.portal.Email");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
// How long the portal may take to answer a call, and to report that the composer has the mail
// (it may first ask the user which mail program to use).
constexpr int portalCallWait = 25000;
constexpr int portalResponseWait = 120000;
// How long xdg-email may take; a launcher still running then is the composer itself.
constexpr int launcherWait = 30000;

// Waits for a reply, letting other events run but no user input.
QDBusMessage awaitReply(QDBusConnection& bus, const QDBusMessage& call, int timeout) {
    QDBusPendingCall pending = bus.asyncCall(call, timeout);
    if (!pending.isFinished()) {
        QDBusPendingCallWatcher watcher(pending);
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return pending.reply();
}

// The options of ComposeEmail for a message; false when an attachment cannot be opened.
bool composeOptions(const MailMessage& message, const QString& token, QVariantMap& options) {
    options.insert("handle_token", token);
    if (!message.to.isEmpty()) {
        options.insert("addresses", message.to);
    }
    if (!message.cc.isEmpty()) {
        options.insert("cc", message.cc);
    }
    if (!message.bcc.isEmpty()) {
        options.insert("bcc", message.bcc);
    }
    if (!message.subject.isEmpty()) {
        options.insert("subject", message.subject);
    }
    if (!message.body.isEmpty()) {
        options.insert("body", message.body);
    }
    QList<QDBusUnixFileDescriptor> files;
    for (const QString& path : message.attachments) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        files << QDBusUnixFileDescriptor(fd); // keeps a duplicate
        ::close(fd);
    }
    if (!files.isEmpty()) {
        options.insert("attachment_fds", QVariant::fromValue(files));
    }
    return true;
}

QString nextToken() {
    static int count = 0;
    return QString("huemark%1_%2").arg(QCoreApplication::applicationPid()).arg(++count);
}
} // namespace

// The answer of one portal request, delivered as a D-Bus signal.
class PortalResponse : public QObject {
    Q_OBJECT

public:
    bool received = false;
    uint code = 2;

public slots:
    void take(uint response, const QVariantMap&) {
        received = true;
        code = response;
        emit arrived();
    }

signals:
    void arrived();
};

namespace mail_handover {

bool portalAvailable() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(portalService, portalPath,
                                                      "org.freedesktop.DBus.Properties", "Get");
    get << emailInterface << QStringLiteral("version");
    const QDBusMessage reply = awaitReply(bus, get, portalCallWait);
    return reply.type() == QDBusMessage::ReplyMessage &&
           reply.arguments().value(0).value<QDBusVariant>().variant().toUInt() >= 1;
}

int sendThroughPortal(const MailMessage& message) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() ||
        (!message.attachments.isEmpty() &&
         !bus.connectionCapabilities().testFlag(QDBusConnection::UnixFileDescriptorPassing))) {
        return -1;
    }
    qDBusRegisterMetaType<QList<QDBusUnixFileDescriptor>>();
    const QString token = nextToken();
    QVariantMap options;
    if (!composeOptions(message, token, options)) {
        return mail_result::AttachmentOpenFailure;
    }
    // The request's path is known before the call, so its answer cannot come unheard.
    const QString sender = bus.baseService().mid(1).replace('.', '_');
    QString requestPath = portalPath + "/request/" + sender + "/" + token;
    PortalResponse response;
    const auto listen = [&](const QString& path, bool on) {
        return on ? bus.connect(portalService, path, requestInterface, "Response", &response,
                                SLOT(take(uint, QVariantMap)))
                  : bus.disconnect(portalService, path, requestInterface, "Response", &response,
                                   SLOT(take(uint, QVariantMap)));
    };
    listen(requestPath, true);
    QDBusMessage compose =
        QDBusMessage::createMethodCall(portalService, portalPath, emailInterface, "ComposeEmail");
    compose << QString() << options;
    const QDBusMessage reply = awaitReply(bus, compose, portalCallWait);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        listen(requestPath, false);
        return -1;
    }
    const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != requestPath && !response.received) {
        // An older portal chose its own path.
        listen(requestPath, false);
        requestPath = handle;
        listen(requestPath, true);
    }
    if (!response.received) {
        QEventLoop loop;
        QObject::connect(&response, &PortalResponse::arrived, &loop, &QEventLoop::quit);
        QTimer::singleShot(portalResponseWait, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    listen(requestPath, false);
    if (!response.received) {
        return mail_result::Failure;
    }
    return response.code == 0   ? mail_result::Success
           : response.code == 1 ? mail_result::UserAbort
                                : mail_result::Failure;
}

QString launcherPath() {
    return QStandardPaths::findExecutable("xdg-email");
}

QStringList launcherArguments(const MailMessage& message) {
    QStringList arguments{"--utf8"};
    for (const QString& address : message.cc) {
        arguments << "--cc" << address;
    }
    for (const QString& address : message.bcc) {
        arguments << "--bcc" << address;
    }
    if (!message.subject.isEmpty()) {
        arguments << "--subject" << message.subject;
    }
    if (!message.body.isEmpty()) {
        arguments << "--body" << message.body;
    }
    for (const QString& file : message.attachments) {
        arguments << "--attach" << file;
    }
    return arguments + message.to;
}

int sendThroughLauncher(const MailMessage& message) {
    const QString program = launcherPath();
    if (program.isEmpty()) {
        return mail_result::Failure;
    }
    auto* launcher = new QProcess;
    launcher->setProgram(program);
    launcher->setArguments(launcherArguments(message));
    launcher->setStandardInputFile(QProcess::nullDevice());
    launcher->start();
    if (!launcher->waitForStarted()) {
        delete launcher;
        return mail_result::Failure;
    }
    if (launcher->state() != QProcess::NotRunning) {
        QEventLoop loop;
        QObject::connect(launcher, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(launcherWait, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (launcher->state() != QProcess::NotRunning) {
        // Still running: it is the composer, and it has the message.
        QObject::connect(launcher, &QProcess::finished, launcher, &QObject::deleteLater);
        return mail_result::Success;
    }
    const bool launched =
        launcher->exitStatus() == QProcess::NormalExit && launcher->exitCode() == 0;
    delete launcher;
    return launched ? mail_result::Success : mail_result::Failure;
}

} // namespace mail_handover

#include "mail_handover.moc"
