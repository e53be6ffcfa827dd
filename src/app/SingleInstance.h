#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QList>
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
// Lock and socket live in a folder of the user's own that nobody else may write to: the
// session's runtime folder, else a folder made for them in the temporary folder. Where there
// is no such folder, or the running copy cannot be reached, a copy runs on its own and
// problem() says why.
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
    // `key` names the lock and the socket, with the user id in their names. They go to the
    // user's runtime folder when it is safe (below), else to the folder KEY-UID in the
    // temporary folder, made when missing and taken only when it is safe too.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // False when another copy holds the lock and has been asked to open `file` (an absolute
    // path), or to come forward when `file` is empty: this copy ends. True otherwise: this is
    // the only copy (the lock is taken and the server listens), or the request could not be
    // handed over safely and problem() says why: this copy goes on with a window of its own.
    bool claim(const QString& file = {});

    // Why this copy runs without handing over or being handed to: the folder, the lock or the
    // running copy named with the reason; empty while all is well.
    QString problem() const { return problem_; }
    QString lockPath() const { return lockPath_; }    // empty when there is no safe folder
    QString serverName() const { return serverName_; }

    // Empty when `folder` is one of this user's that nobody else may write to, the folder
    // itself and not a link to one; else the reason it is not.
    static QString unsafeFolder(const QString& folder);

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

    // Sends `request` to the server named `serverName`, only if that server runs as this
    // user; true when written, else `reason` (when given) says why not.
    static bool send(const QString& serverName, const QByteArray& request, QString* reason = nullptr);

signals:
    // A later copy asked the running one to come forward.
    void raiseRequested();
    // A later copy asked the running one to open a file.
    void openRequested(const QString& path);

private:
    void listen();
    void acceptConnection();
    void readRequest(QLocalSocket* socket);

    QString problem_;
    QString lockPath_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    QList<QLocalSocket*> clients_;  // those still being read, oldest first
};

}  // namespace pf::app
