// The desktop's ways of opening the user's mail composer with a message: the mail portal
// (org.freedesktop.portal.Email on the session bus), and xdg-email run as a program. Both wait
// for the hand-over to finish but never for the user to send the mail.
#pragma once

#include <QStringList>

struct MailMessage {
    QStringList to;
    QStringList cc;
    QStringList bcc;
    QString subject;
    QString body;
    QStringList attachments; // absolute paths of existing files
};

namespace mail_handover {

// Whether the session bus has the mail portal.
bool portalAvailable();
// Hands the message to the portal: a mail_result code, or -1 when the portal could not be
// reached at all (another way may be tried).
int sendThroughPortal(const MailMessage& message);

// The path of xdg-email on PATH, empty when there is none.
QString launcherPath();
// The arguments xdg-email gets for a message.
QStringList launcherArguments(const MailMessage& message);
// Runs xdg-email (never through a shell): a mail_result code.
int sendThroughLauncher(const MailMessage& message);

} // namespace mail_handover
