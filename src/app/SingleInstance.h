#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace pf::app {

// Only one copy of the program runs per user. The first copy holds a lock file and listens on
// a local socket that only the same user may reach; a later copy finds the lock held, asks the
// running copy to come forward and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the lock and the socket; files go to the user's runtime folder (or the
    // temporary folder when there is none), with the user id in their names.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only copy: the lock is taken and the server listens. False when
    // another copy holds the lock; the request to come forward has then been sent (if the
    // running copy could be reached at all).
    bool claim();

    QString lockPath() const { return lockPath_; }
    QString serverName() const { return serverName_; }

    // The one request a later copy sends.
    static constexpr const char* kRaiseRequest = "raise\n";

    // Sends the request to come forward to the server named `serverName`; true when written.
    static bool sendRaise(const QString& serverName);

signals:
    // A later copy asked the running one to come forward.
    void raiseRequested();

private:
    void acceptConnection();
    void readRequest(QLocalSocket* socket);

    QString lockPath_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

}  // namespace pf::app
