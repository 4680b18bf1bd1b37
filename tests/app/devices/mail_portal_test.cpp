// The mail component with the desktop's mail portal: a private session bus of its own (never
// the user's), on which the test plays the portal.
#include "email.h"
#include "mail_handover.h"
#include "sane_test_backend.h"

#include <QApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {
// What the portal's answer to ComposeEmail is.
enum class PortalAnswer { Sent, Cancelled, CallFails };

// org.freedesktop.portal.Email as the test plays it: it keeps the options of each call,
// with the files behind the attachment descriptors, and answers as told.
class FakeEmailPortal : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Email")
    Q_PROPERTY(uint version READ version)

public:
    FakeEmailPortal(QObject* object, QDBusConnection bus)
        : QDBusAbstractAdaptor(object), bus_(std::move(bus)) {}

    uint version() const { return 4; }

    PortalAnswer answer = PortalAnswer::Sent;
    int calls = 0;
    QVariantMap options;
    QStringList attachedFiles;

public slots:
    QDBusObjectPath ComposeEmail(const QString&, const QVariantMap& given,
                                 const QDBusMessage& message) {
        ++calls;
        options = given;
        attachedFiles = filesOf(given.value("attachment_fds"));
        if (answer == PortalAnswer::CallFails) {
            message.setDelayedReply(true); // the error is the only reply
            bus_.send(message.createErrorReply(QDBusError::Failed, "no mail program"));
            return {};
        }
        const QString sender = message.service().mid(1).replace('.', '_');
        const QString path = "/org/freedesktop/portal/desktop/request/" + sender + "/" +
                             given.value("handle_token").toString();
        const uint code = answer == PortalAnswer::Sent ? 0 : 1;
        const QString caller = message.service();
        QTimer::singleShot(0, this, [this, caller, path, code] {
            QDBusMessage response = QDBusMessage::createTargetedSignal(
                caller, path, "org.freedesktop.portal.Request", "Response");
            response << code << QVariantMap();
            bus_.send(response);
        });
        return QDBusObjectPath(path);
    }

private:
    static QStringList filesOf(const QVariant& descriptors) {
        QList<QDBusUnixFileDescriptor> fds;
        descriptors.value<QDBusArgument>() >> fds;
        QStringList files;
        for (const QDBusUnixFileDescriptor& fd : fds) {
            files << QFile::symLinkTarget(QString("/proc/self/fd/%1").arg(fd.fileDescriptor()));
        }
        return files;
    }

    QDBusConnection bus_;
};

class PortalTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.isConnected());
        ASSERT_TRUE(bus.registerObject("/org/freedesktop/portal/desktop", &desktop));
        ASSERT_TRUE(bus.registerService("org.freedesktop.portal.Desktop"));
        QImage picture(4, 4, QImage::Format_RGB888);
        picture.fill(Qt::red);
        ASSERT_TRUE(picture.save(file, "BMP"));
    }

    void TearDown() override {
        bus.unregisterService("org.freedesktop.portal.Desktop");
        bus.unregisterObject("/org/freedesktop/portal/desktop");
        QDBusConnection::disconnectFromBus("fake-portal");
    }

    QDBusConnection bus = QDBusConnection::connectToBus(
        QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), "fake-portal");
    QObject desktop;
    FakeEmailPortal* portal = new FakeEmailPortal(&desktop, bus);
    QTemporaryDir folder;
    QString file = folder.filePath("picture.bmp");
    // A launcher that must not be needed while the portal works.
    QTemporaryDir bin;
    ScopedEnvironment path{"PATH", bin.path().toStdString()};

    void addLauncher() {
        QFile script(bin.filePath("xdg-email"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\n: > \"$0.ran\"\n");
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool launcherRan() const { return QFile::exists(bin.filePath("xdg-email.ran")); }
};
} // namespace

TEST_F(PortalTest, ThePortalAloneMakesMailAvailable) {
    EXPECT_TRUE(mail_handover::portalAvailable());
    EXPECT_TRUE(TEmail().MapiAvail());
}

TEST_F(PortalTest, ThePortalIsPreferredAndGetsTheMessageWithTheAttachedFile) {
    addLauncher();
    TEmail email;
    email.Recipient << "to@example.org";
    email.CC << "cc@example.org";
    email.setSubject("A picture");
    email.setText("Here it is.");
    email.Attachment << file;
    EXPECT_EQ(email.SendMail(), mail_result::Success);
    EXPECT_EQ(portal->calls, 1);
    EXPECT_EQ(portal->attachedFiles, QStringList({file}));
    EXPECT_EQ(portal->options.value("addresses").toStringList(), QStringList({"to@example.org"}));
    EXPECT_EQ(portal->options.value("cc").toStringList(), QStringList({"cc@example.org"}));
    EXPECT_FALSE(portal->options.contains("bcc"));
    EXPECT_EQ(portal->options.value("subject").toString(), "A picture");
    EXPECT_EQ(portal->options.value("body").toString(), "Here it is.");
    EXPECT_FALSE(launcherRan());
}

TEST_F(PortalTest, CancellingInThePortalIsAUserAbort) {
    portal->answer = PortalAnswer::Cancelled;
    TEmail email;
    QSignalSpy errors(&email, &TEmail::OnMapiError);
    email.Attachment << file;
    EXPECT_EQ(email.SendMail(), mail_result::UserAbort);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0][1].toInt(), mail_result::UserAbort);
}

TEST_F(PortalTest, APortalThatFailsLeavesTheMailToTheLauncher) {
    portal->answer = PortalAnswer::CallFails;
    addLauncher();
    TEmail email;
    email.Attachment << file;
    EXPECT_EQ(email.SendMail(), mail_result::Success);
    EXPECT_EQ(portal->calls, 1);
    EXPECT_TRUE(launcherRan());
}

namespace {
// A session bus for this process alone, ended when the tests end.
class PrivateBus {
public:
    PrivateBus() {
        std::ofstream(config_) << "<!DOCTYPE busconfig PUBLIC "
                                  "\"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                                  "\"http://www.freedesktop.org/standards/dbus/1.0/"
                                  "busconfig.dtd\">\n"
                                  "<busconfig><type>session</type>"
                                  "<listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
                                  "<policy context=\"default\">"
                                  "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                                  "</busconfig>\n";
        const std::string command =
            "dbus-daemon --fork --print-address=1 --print-pid=1 --config-file=" + config_;
        FILE* daemon = popen(command.c_str(), "r");
        char address[512] = {};
        char pid[32] = {};
        if (daemon != nullptr && std::fgets(address, sizeof address, daemon) != nullptr &&
            std::fgets(pid, sizeof pid, daemon) != nullptr) {
            address_ = address;
            address_.erase(address_.find_last_not_of('\n') + 1);
            pid_ = std::atoi(pid);
        }
        if (daemon != nullptr) {
            pclose(daemon);
        }
    }
    ~PrivateBus() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
        }
        std::remove(config_.c_str());
    }
    const std::string& address() const { return address_; }

private:
    std::string config_ = "/tmp/huemark-test-bus-" + std::to_string(getpid()) + ".conf";
    std::string address_;
    pid_t pid_ = 0;
};
} // namespace

int main(int argc, char** argv) {
    const PrivateBus bus;
    if (bus.address().empty()) {
        std::fprintf(stderr, "dbus-daemon did not start\n");
        return 1;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "mail_portal_test.moc"
