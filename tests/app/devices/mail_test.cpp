// The mail component and File, Send To, with a stand-in xdg-email that records its arguments.
// The tests run without a session bus (see main below), so the mail portal is never there.
#include "device_commands.h"
#include "email.h"
#include "image_commands.h"
#include "mail_handover.h"
#include "program_fixture.h"
#include "sane_test_backend.h"
#include "text_table.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>

namespace {
// A folder first on PATH holding an xdg-email that writes its arguments, one a line, to a log
// and exits with FAKE_XDG_EMAIL_RC; or, with `launcher` false, holding nothing.
class FakeLauncher {
public:
    explicit FakeLauncher(bool launcher = true)
        : path_("PATH", (launcher ? bin_.path() : empty_.path()).toStdString() +
                            (launcher ? ":" + std::string(std::getenv("PATH")) : "")),
          log_("FAKE_XDG_EMAIL_LOG", bin_.filePath("log").toStdString()) {
        if (launcher) {
            QFile script(bin_.filePath("xdg-email"));
            script.open(QIODevice::WriteOnly);
            script.write(
                "#!/bin/sh\n"
                "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$FAKE_XDG_EMAIL_LOG\"\n"
                "exit \"${FAKE_XDG_EMAIL_RC:-0}\"\n");
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    bool ran() const { return QFile::exists(bin_.filePath("log")); }
    QStringList arguments() const {
        QFile log(bin_.filePath("log"));
        if (!log.open(QIODevice::ReadOnly)) {
            return {};
        }
        QStringList lines = QString::fromUtf8(log.readAll()).split('\n');
        lines.removeLast(); // after the last newline
        return lines;
    }

private:
    QTemporaryDir bin_;
    QTemporaryDir empty_;
    ScopedEnvironment path_;
    ScopedEnvironment log_;
};

// A 24-bit picture file in `folder`.
QString pictureFile(const QTemporaryDir& folder, const QString& name) {
    QImage picture(8, 6, QImage::Format_RGB888);
    picture.fill(qRgb(10, 120, 230));
    const QString path = folder.filePath(name);
    EXPECT_TRUE(picture.save(path, "BMP"));
    return path;
}
} // namespace

TEST(Email, StartsWithItsDefaultsAndClearEmptiesTheMessage) {
    TEmail email;
    EXPECT_FALSE(email.Acknowledge);
    EXPECT_TRUE(email.TruncAttFN);
    EXPECT_TRUE(email.UseLongMessageID);
    EXPECT_FALSE(email.ShowDialog);
    EXPECT_EQ(email.Version(), "2.09.02");
    EXPECT_EQ(email.property("Version").toString(), "2.09.02");
    email.Acknowledge = true;
    email.Attachment << "/tmp/a";
    email.Recipient << "a@example.org";
    email.CC << "b@example.org";
    email.Bcc << "c@example.org";
    email.setSubject("Subject");
    email.setText("Text");
    email.setProfile("Profile");
    email.Clear();
    EXPECT_FALSE(email.Acknowledge);
    EXPECT_TRUE(email.Attachment.isEmpty());
    EXPECT_TRUE(email.Recipient.isEmpty());
    EXPECT_TRUE(email.CC.isEmpty());
    EXPECT_TRUE(email.Bcc.isEmpty());
    EXPECT_TRUE(email.Subject().isEmpty());
    EXPECT_TRUE(email.Text().isEmpty());
    EXPECT_EQ(email.Profile(), "Profile"); // not part of the message
}

TEST(Email, ShortStringsKeep255Characters) {
    TEmail email;
    email.setProperty("Subject", QString(300, 'x'));
    email.setText(QString(256, 'y'));
    email.setPassword(QString(255, 'z'));
    EXPECT_EQ(email.Subject(), QString(255, 'x'));
    EXPECT_EQ(email.Text(), QString(255, 'y'));
    EXPECT_EQ(email.Password(), QString(255, 'z'));
}

TEST(Email, TheLauncherGetsTheWholeMessageAsArguments) {
    FakeLauncher launcher;
    QTemporaryDir folder;
    const QString file = pictureFile(folder, "a picture.bmp");
    TEmail email;
    email.Recipient << "to@example.org"
                    << "to2@example.org";
    email.CC << "cc@example.org";
    email.Bcc << "bcc@example.org";
    email.setSubject("Grüße");
    email.setText("Body; with \"quotes\" and $HOME");
    email.Attachment << file;
    ASSERT_TRUE(email.MapiAvail());
    EXPECT_EQ(email.SendMail(), mail_result::Success);
    EXPECT_EQ(launcher.arguments(),
              QStringList({"--utf8", "--cc", "cc@example.org", "--bcc", "bcc@example.org",
                           "--subject", "Grüße", "--body", "Body; with \"quotes\" and $HOME",
                           "--attach", file, "to@example.org", "to2@example.org"}));
}

TEST(Email, EventsComeInTheirOrder) {
    FakeLauncher launcher;
    TEmail email;
    QStringList events;
    const auto record = [&](const char* name) { return [&events, name] { events << name; }; };
    QObject::connect(&email, &TEmail::OnBeforeLogon, record("BeforeLogon"));
    QObject::connect(&email, &TEmail::OnAfterLogon, record("AfterLogon"));
    QObject::connect(&email, &TEmail::OnBeforeSendMail, record("BeforeSendMail"));
    QObject::connect(&email, &TEmail::OnAfterSendMail, record("AfterSendMail"));
    QObject::connect(&email, &TEmail::OnBeforeLogoff, record("BeforeLogoff"));
    QObject::connect(&email, &TEmail::OnAfterLogoff, record("AfterLogoff"));
    QObject::connect(&email, &TEmail::OnMapiError,
                     [&events](TEmail*, int code) { events << QString("Error %1").arg(code); });
    EXPECT_EQ(email.SendMail(), mail_result::Success);
    EXPECT_EQ(events, QStringList({"BeforeLogon", "AfterLogon", "BeforeSendMail", "AfterSendMail",
                                   "BeforeLogoff", "AfterLogoff"}));
    events.clear();
    const ScopedEnvironment failing("FAKE_XDG_EMAIL_RC", "3");
    EXPECT_EQ(email.SendMail(), mail_result::Failure);
    EXPECT_EQ(events, QStringList({"BeforeLogon", "AfterLogon", "BeforeSendMail", "Error 2",
                                   "BeforeLogoff", "AfterLogoff"}));
}

TEST(Email, AMissingAttachmentIsError11AndNothingIsSent) {
    FakeLauncher launcher;
    TEmail email;
    QSignalSpy errors(&email, &TEmail::OnMapiError);
    email.Attachment << "/nonexistent/picture.jpg";
    EXPECT_EQ(email.SendMail(), mail_result::AttachmentNotFound);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0][1].toInt(), 11);
    EXPECT_FALSE(launcher.ran());
}

TEST(Email, WithoutAnyWayToMailTheLogonFails) {
    FakeLauncher nothing(false);
    TEmail email;
    QSignalSpy errors(&email, &TEmail::OnMapiError);
    QSignalSpy sending(&email, &TEmail::OnBeforeSendMail);
    EXPECT_FALSE(email.MapiAvail());
    EXPECT_FALSE(mail_handover::portalAvailable());
    EXPECT_EQ(email.SendMail(), mail_result::LoginFailure);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0][1].toInt(), 3);
    EXPECT_EQ(sending.size(), 0);
}

namespace {
class SendToTest : public ProgramTest {
protected:
    // Opens a saved picture by a name relative to the current folder.
    TfrmMDIChild* openSavedPicture() {
        pictureFile(folder, "saved picture.bmp");
        QDir::setCurrent(folder.path());
        EXPECT_TRUE(main->files().OpenImageFile("saved picture.bmp"));
        return main->activeImageWindow();
    }

    void sendTo() { main->devices().mnSendTo->trigger(); }

    QString common(int n) const { return main->language().Text("Common", n); }

    void expectOneMessage(MessageKind kind, int n) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, kind);
        EXPECT_EQ(messages[0].text, common(n));
    }

    const QString startFolder = QDir::currentPath();
    void TearDown() override {
        QDir::setCurrent(startFolder);
        ProgramTest::TearDown();
    }
};
} // namespace

TEST_F(SendToTest, TheMainWindowsMailComponentShowsTheMessage) {
    const TEmail& email = *main->devices().Email;
    EXPECT_EQ(email.objectName(), "Email");
    EXPECT_TRUE(email.ShowDialog);
    EXPECT_FALSE(email.DownLoadFirst);
    EXPECT_FALSE(email.NewSession);
    EXPECT_FALSE(email.UnreadOnly);
}

TEST_F(SendToTest, ASavedPictureIsAttachedByItsAbsolutePath) {
    FakeLauncher launcher;
    EXPECT_FALSE(main->devices().mnSendTo->isEnabled());
    openSavedPicture();
    main->EvaluateEnablingRules();
    EXPECT_TRUE(main->devices().mnSendTo->isEnabled());
    sendTo();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(launcher.arguments(),
              QStringList({"--utf8", "--attach", folder.filePath("saved picture.bmp")}));
    EXPECT_TRUE(main->devices().Email->Attachment.isEmpty()); // cleared again
}

TEST_F(SendToTest, APictureNeverSavedMustBeSavedFirst) {
    FakeLauncher launcher;
    main->NewImageWindow(pattern(8, 8), main->NextImageName());
    sendTo();
    expectOneMessage(MessageKind::Information, common_text::SaveBeforeSending);
    EXPECT_FALSE(launcher.ran());
}

TEST_F(SendToTest, AnEditedPictureMustBeSavedFirst) {
    FakeLauncher launcher;
    openSavedPicture();
    main->images().mnRotate90->trigger();
    ASSERT_NE(main->activeImageWindow(), nullptr);
    sendTo();
    expectOneMessage(MessageKind::Information, common_text::SaveBeforeSending);
    EXPECT_FALSE(launcher.ran());
}

TEST_F(SendToTest, AFailingLauncherSaysTheMailWasNotSent) {
    FakeLauncher launcher;
    const ScopedEnvironment failing("FAKE_XDG_EMAIL_RC", "3");
    openSavedPicture();
    sendTo();
    EXPECT_TRUE(launcher.ran());
    expectOneMessage(MessageKind::Error, common_text::MailFailed);
}

TEST_F(SendToTest, APictureWhoseFileIsGoneIsNotSent) {
    FakeLauncher launcher;
    openSavedPicture();
    QFile::remove(folder.filePath("saved picture.bmp"));
    sendTo();
    EXPECT_FALSE(launcher.ran());
    expectOneMessage(MessageKind::Error, common_text::MailFailed);
}

TEST_F(SendToTest, WithoutLauncherOrPortalThereIsNoMail) {
    FakeLauncher nothing(false);
    openSavedPicture();
    sendTo();
    expectOneMessage(MessageKind::Information, common_text::NoMail);
}

// Widgets on the offscreen platform, and no session bus: the desktop's real mail portal must
// never see a test's message.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/huemark-test-bus");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
