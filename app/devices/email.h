// TEmail: the program's mail component. It hands a message with its attachments to the user's
// mail program: through the desktop's mail portal where there is one, else through xdg-email.
// Either way the user's mail program opens the message for editing and sending; the component
// counts the hand-over as sent once the composer has it.
//
// The properties and events are those of a full mail component; the ones for reading mail, for
// profiles and passwords, receipts and the short attachment names have nothing to act on with
// these ways of handing over and are kept as plain values.
#pragma once

#include <QObject>
#include <QStringList>

// Result codes of SendMail and of OnMapiError.
namespace mail_result {
enum : int {
    Success = 0,
    UserAbort = 1,
    Failure = 2,
    LoginFailure = 3,
    AttachmentNotFound = 11,
    AttachmentOpenFailure = 12,
};
} // namespace mail_result

class TEmail : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Acknowledge MEMBER Acknowledge)
    Q_PROPERTY(QStringList Attachment MEMBER Attachment)
    Q_PROPERTY(QStringList CC MEMBER CC)
    Q_PROPERTY(QStringList Bcc MEMBER Bcc)
    Q_PROPERTY(QStringList Recipient MEMBER Recipient)
    Q_PROPERTY(bool DownLoadFirst MEMBER DownLoadFirst)
    Q_PROPERTY(bool NewSession MEMBER NewSession)
    Q_PROPERTY(bool ShowDialog MEMBER ShowDialog)
    Q_PROPERTY(bool UnreadOnly MEMBER UnreadOnly)
    Q_PROPERTY(bool UseDefProfile MEMBER UseDefProfile)
    Q_PROPERTY(bool TruncAttFN MEMBER TruncAttFN)
    Q_PROPERTY(bool UseLongMessageID MEMBER UseLongMessageID)
    Q_PROPERTY(QString Password READ Password WRITE setPassword)
    Q_PROPERTY(QString Profile READ Profile WRITE setProfile)
    Q_PROPERTY(QString Subject READ Subject WRITE setSubject)
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(bool MapiAvail READ MapiAvail)
    Q_PROPERTY(QString Version READ Version CONSTANT)

public:
    explicit TEmail(QObject* parent = nullptr);

    // Short strings keep at most this many characters.
    static constexpr int shortStringLength = 255;

    bool Acknowledge = false; // ask for a receipt
    QStringList Attachment;   // full paths
    QStringList CC;
    QStringList Bcc;
    QStringList Recipient;
    bool DownLoadFirst = false;
    bool NewSession = false;
    bool ShowDialog = false; // the composer always opens with these ways of handing over
    bool UnreadOnly = false;
    bool UseDefProfile = false;
    bool TruncAttFN = true;
    bool UseLongMessageID = true;

    QString Password() const { return password_; }
    void setPassword(const QString& value) { password_ = value.left(shortStringLength); }
    QString Profile() const { return profile_; }
    void setProfile(const QString& value) { profile_ = value.left(shortStringLength); }
    QString Subject() const { return subject_; }
    void setSubject(const QString& value) { subject_ = value.left(shortStringLength); }
    QString Text() const { return text_; }
    void setText(const QString& value) { text_ = value.left(shortStringLength); }

    // Whether the desktop has a way to hand a message to a mail program.
    bool MapiAvail() const;
    QString Version() const { return QStringLiteral("2.09.02"); }

    // Acknowledge off; attachments, recipients, subject and text emptied.
    void Clear();
    // Hands the message to the mail program; mail_result::Success once its composer has it.
    int SendMail();

signals:
    void OnBeforeLogon(TEmail* sender);
    void OnAfterLogon(TEmail* sender);
    void OnBeforeLogoff(TEmail* sender);
    void OnAfterLogoff(TEmail* sender);
    void OnBeforeSaveMail(TEmail* sender);
    void OnAfterSaveMail(TEmail* sender);
    void OnBeforeSendMail(TEmail* sender);
    void OnAfterSendMail(TEmail* sender);
    void OnMapiError(TEmail* sender, int ErrorCode);

private:
    bool logOn();
    void logOff();
    int fail(int code);

    QString password_;
    QString profile_;
    QString subject_;
    QString text_;
    bool loggedOn_ = false;
};
