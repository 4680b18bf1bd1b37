#include "email.h"

#include "mail_handover.h"

#include <QFileInfo>

TEmail::TEmail(QObject* parent) : QObject(parent) {}

bool TEmail::MapiAvail() const {
    return mail_handover::portalAvailable() || !mail_handover::launcherPath().isEmpty();
}

void TEmail::Clear() {
    Acknowledge = false;
    Attachment.clear();
    Bcc.clear();
    CC.clear();
    Recipient.clear();
    subject_.clear();
    text_.clear();
}

int TEmail::fail(int code) {
    emit OnMapiError(this, code);
    return code;
}

bool TEmail::logOn() {
    emit OnBeforeLogon(this);
    loggedOn_ = MapiAvail();
    if (loggedOn_) {
        emit OnAfterLogon(this);
    }
    return loggedOn_;
}

void TEmail::logOff() {
    emit OnBeforeLogoff(this);
    loggedOn_ = false;
    emit OnAfterLogoff(this);
}

int TEmail::SendMail() {
    MailMessage message{Recipient, CC, Bcc, subject_, text_, {}};
    for (const QString& file : std::as_const(Attachment)) {
        const QFileInfo attachment(file);
        if (!attachment.isFile()) {
            return fail(mail_result::AttachmentNotFound);
        }
        message.attachments << attachment.absoluteFilePath();
    }
    const bool ownSession = !loggedOn_;
    if (ownSession && !logOn()) {
        return fail(mail_result::LoginFailure);
    }
    emit OnBeforeSendMail(this);
    int result = mail_handover::portalAvailable() ? mail_handover::sendThroughPortal(message) : -1;
    if (result < 0) {
        result = mail_handover::sendThroughLauncher(message);
    }
    if (result != mail_result::Success) {
        emit OnMapiError(this, result);
    } else {
        emit OnAfterSendMail(this);
    }
    if (ownSession) {
        logOff();
    }
    return result;
}
