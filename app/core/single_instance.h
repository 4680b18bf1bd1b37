// One running program per user: the first start takes a lock file and listens on a local
// socket; a later start hands its first argument over that socket and ends, and the first
// program opens the file and comes to the front. The user's clipboard is never touched.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <memory>

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // `key` names the lock and the socket; by default one per user.
    explicit SingleInstance(const QString& key = defaultKey());
    ~SingleInstance() override;

    // True when this is the first instance (it then listens for later ones).
    bool claim();
    // Sends a file name (made absolute; may be empty) to the first instance; false when it
    // cannot be reached.
    bool handOver(const QString& fileName) const;

    static QString defaultKey();

signals:
    // A later start handed over this file (empty: only come to the front).
    void fileHandedOver(const QString& fileName);

private:
    void readConnection(QLocalSocket* socket);

    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};
