#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace pf::app {

namespace {

constexpr qsizetype kMaxRequest = 16;

// The user's own runtime folder when the session has one, else the temporary folder (the
// names carry the user id either way).
QString runtimeFolder() {
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime;
    return QDir::tempPath();
}

// The user at the other end of a local socket is this process's user.
bool peerIsSameUser(const QLocalSocket* socket) {
#ifdef SO_PEERCRED
    struct ucred cred {};
    socklen_t length = sizeof cred;
    if (::getsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0)
        return false;
    return cred.uid == ::getuid();
#else
    Q_UNUSED(socket);
    return true;  // the socket file itself is open to this user only
#endif
}

}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent) {
    const QString base = QStringLiteral("%1-%2").arg(key).arg(::getuid());
    const QString folder = runtimeFolder();
    lockPath_ = QDir(folder).filePath(base + QStringLiteral(".lock"));
    serverName_ = QDir(folder).filePath(base + QStringLiteral(".socket"));
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

bool SingleInstance::claim() {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // A lock is stale only when the copy that took it no longer runs (it crashed); a running
    // copy keeps its lock however long it runs.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError) {
            // Another copy runs. It may still be starting its server: try for a short while.
            for (int attempt = 0; attempt < 20; ++attempt) {
                if (sendRaise(serverName_)) break;
                QThread::msleep(100);
            }
            return false;
        }
        // The lock cannot be written at all (no permission, no space): run without the guard
        // rather than refuse to start.
        return true;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(serverName_);  // a socket file left by a crashed copy
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    server_->listen(serverName_);
    return true;
}

bool SingleInstance::sendRaise(const QString& serverName) {
    QLocalSocket socket;
    socket.connectToServer(serverName, QIODevice::WriteOnly);
    if (!socket.waitForConnected(1000)) return false;
    socket.write(kRaiseRequest);
    const bool written = socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
    return written;
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!peerIsSameUser(socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setReadBufferSize(kMaxRequest);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        // The request counts once the client has closed its end after it, so that a request
        // followed by anything else is not taken for one.
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readRequest(socket);
            if (!socket->property("pf_refused").toBool() &&
                socket->property("pf_request").toByteArray() == QByteArray(kRaiseRequest))
                emit raiseRequested();
            socket->deleteLater();
        });
        // A client that never finishes its request is dropped.
        QTimer::singleShot(2000, socket, [socket] {
            socket->setProperty("pf_refused", true);
            socket->abort();
        });
        if (socket->bytesAvailable() > 0) readRequest(socket);
    }
}

void SingleInstance::readRequest(QLocalSocket* socket) {
    if (socket->property("pf_refused").toBool()) return;
    const QByteArray request(kRaiseRequest);
    QByteArray received = socket->property("pf_request").toByteArray();
    received += socket->read(kMaxRequest);
    socket->setProperty("pf_request", received);
    if (received.size() > request.size() || !request.startsWith(received)) {
        // Anything but the one short request is ignored.
        socket->setProperty("pf_refused", true);
        socket->abort();
    }
}

}  // namespace pf::app
