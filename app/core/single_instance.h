// One running program per user and display: the first start takes a lock file and listens on a
// local socket, both in the user's private runtime folder; a later start hands its first
// argument over that socket and ends, and the first program opens the file and comes to the
// front. Without a private runtime folder (missing and not creatable, another owner, or open to
// others) every start runs on its own: file names never go through a socket that someone else
// could own. The user's clipboard is never touched.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>

#include <memory>

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // One key per user and display (Wayland, X or login session), so that two logins of one
    // user on two seats keep their files apart.
    static QString
    defaultKey(const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    // The user's runtime folder as the desktop names it (not yet checked to be private).
    static QString runtimeFolder();

    // `key` names the lock and the socket; `folder` holds both and must be private to the user
    // (it is created with mode 0700 when missing).
    explicit SingleInstance(const QString& key = defaultKey(),
                            const QString& folder = runtimeFolder());
    ~SingleInstance() override;

    // True when this is the first instance (it then listens for later ones), and also when
    // there is no private folder and the program has to run on its own.
    bool claim();
    // Sends a file name (made absolute; may be empty) to the first instance; false when it
    // cannot be reached.
    bool handOver(const QString& fileName) const;

signals:
    // A later start handed over this file (empty: only come to the front).
    void fileHandedOver(const QString& fileName);

private:
    QString socketPath() const;
    void listen();
    void acceptConnections();
    void takeLines(QLocalSocket* socket);
    void deliverPending();

    QString key_;
    QString folder_; // empty when there is no private folder
    std::unique_ptr<QLockFile> lock_;
    QStringList pending_; // received lines not yet handed on, oldest first
    bool delivering_ = false;
    // Declared last so that it and its connections go first when the instance is destroyed,
    // while the members above are still intact.
    QLocalServer server_;
};
