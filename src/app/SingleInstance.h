#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

namespace pf::app {

// The patch group named on the command line, made absolute against the current folder; empty
// when none is named. Arguments starting with "-" are options, not files, up to a "--".
QString fileArgument(const QStringList& arguments);

// Only one copy of the program runs per user. The first copy holds a lock file and listens on
// a local socket that only the same user may reach; a later copy finds the lock held, hands its
// request to the running copy and ends.
//
// A request is one of exactly two byte strings, sent on a fresh connection that the sender then
// closes:
//   "raise\n"                       come to the front
//   "open N\n" and N bytes          load the file at this absolute path and come to the front;
//                                   N is decimal, 1 to kMaxPath, the path has no NUL byte
// Anything else, or a peer of another user, is ignored.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the lock and the socket; files go to the user's runtime folder (or the
    // temporary folder when there is none), with the user id in their names.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only copy: the lock is taken and the server listens. False when
    // another copy holds the lock; it has then been asked to open `file` (an absolute path), or
    // to come forward when `file` is empty (if the running copy could be reached at all).
    bool claim(const QString& file = {});

    QString lockPath() const { return lockPath_; }
    QString serverName() const { return serverName_; }

    static constexpr qsizetype kMaxPath = 4096;
    struct Request {
        bool open = false;  // false: come to the front only
        QString path;       // the file to open
    };
    static QByteArray raiseRequest();
    // The request to open `absolutePath`; empty when the path cannot be sent (not absolute,
    // too long, a NUL in it).
    static QByteArray openRequest(const QString& absolutePath);
    // The request `bytes` hold in full, if they are one.
    static std::optional<Request> parseRequest(const QByteArray& bytes);

    // Sends `request` to the server named `serverName`; true when written.
    static bool send(const QString& serverName, const QByteArray& request);

signals:
    // A later copy asked the running one to come forward.
    void raiseRequested();
    // A later copy asked the running one to open a file.
    void openRequested(const QString& path);

private:
    void acceptConnection();
    void readRequest(QLocalSocket* socket);

    QString lockPath_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

}  // namespace pf::app
