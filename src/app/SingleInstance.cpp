#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace pf::app {

namespace {

constexpr char kRaise[] = "raise\n";
constexpr char kOpen[] = "open ";
// The longest request: "open ", four digits, the line break and the path.
constexpr qsizetype kMaxRequest = sizeof kOpen - 1 + 4 + 1 + SingleInstance::kMaxPath;

// False once `received` can no longer become a request: a start no request has, or more bytes
// than the longest one.
bool mayBecomeRequest(const QByteArray& received) {
    if (received.size() > kMaxRequest) return false;
    const QByteArray raise(kRaise), open(kOpen);
    if (received.size() <= raise.size() && raise.startsWith(received)) return true;
    return received.size() < open.size() ? open.startsWith(received) : received.startsWith(open);
}

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

QString fileArgument(const QStringList& arguments) {
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (optionsEnded || !arg.startsWith(QLatin1Char('-'))) {
            return arg.isEmpty() ? QString() : QFileInfo(arg).absoluteFilePath();
        }
    }
    return {};
}

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent) {
    const QString base = QStringLiteral("%1-%2").arg(key).arg(::getuid());
    const QString folder = runtimeFolder();
    lockPath_ = QDir(folder).filePath(base + QStringLiteral(".lock"));
    serverName_ = QDir(folder).filePath(base + QStringLiteral(".socket"));
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

bool SingleInstance::claim(const QString& file) {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // A lock is stale only when the copy that took it no longer runs (it crashed); a running
    // copy keeps its lock however long it runs.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError) {
            // Another copy runs. It may still be starting its server: try for a short while.
            const QByteArray open = openRequest(file);
            const QByteArray request = open.isEmpty() ? raiseRequest() : open;
            for (int attempt = 0; attempt < 20; ++attempt) {
                if (send(serverName_, request)) break;
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

QByteArray SingleInstance::raiseRequest() { return QByteArray(kRaise); }

QByteArray SingleInstance::openRequest(const QString& absolutePath) {
    const QByteArray path = QFile::encodeName(absolutePath);
    if (path.isEmpty() || path.size() > kMaxPath || !path.startsWith('/') || path.contains('\0')) return {};
    return kOpen + QByteArray::number(path.size()) + '\n' + path;
}

std::optional<SingleInstance::Request> SingleInstance::parseRequest(const QByteArray& bytes) {
    if (bytes == kRaise) return Request{};
    if (!bytes.startsWith(kOpen)) return std::nullopt;
    const qsizetype digits = sizeof kOpen - 1;
    const qsizetype newline = bytes.indexOf('\n', digits);
    if (newline <= digits || newline - digits > 4 || bytes[digits] == '0') return std::nullopt;
    qsizetype length = 0;
    for (qsizetype i = digits; i < newline; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9') return std::nullopt;
        length = length * 10 + (bytes[i] - '0');
    }
    const QByteArray path = bytes.mid(newline + 1);
    if (length > kMaxPath || path.size() != length || !path.startsWith('/') || path.contains('\0')) return std::nullopt;
    return Request{true, QFile::decodeName(path)};
}

bool SingleInstance::send(const QString& serverName, const QByteArray& request) {
    QLocalSocket socket;
    socket.connectToServer(serverName, QIODevice::WriteOnly);
    if (!socket.waitForConnected(1000)) return false;
    socket.write(request);
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
            socket->deleteLater();
            if (socket->property("pf_refused").toBool()) return;
            if (const auto request = parseRequest(socket->property("pf_request").toByteArray())) {
                if (request->open)
                    emit openRequested(request->path);
                else
                    emit raiseRequested();
            }
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
    QByteArray received = socket->property("pf_request").toByteArray();
    received += socket->read(kMaxRequest + 1 - received.size());
    socket->setProperty("pf_request", received);
    if (!mayBecomeRequest(received)) {
        // Anything but the requests above is ignored.
        socket->setProperty("pf_refused", true);
        socket->abort();
    }
}

}  // namespace pf::app
