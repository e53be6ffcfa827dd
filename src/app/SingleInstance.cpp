#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
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

// Connections accepted and not yet taken, and clients read at once: a burst of connections
// beyond them costs the oldest clients their place, never the server its files.
constexpr int kPendingConnections = 8;
constexpr qsizetype kClients = 16;
// A client has this long for its request; a server that could not listen tries again this often.
constexpr int kClientMs = 2000;
constexpr int kListenRetryMs = 500;

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString foreignServer() { return QStringLiteral("it is run by another user"); }

// Why a connection to a server failed, in the system's words where it has them.
QString socketReason(const QLocalSocket& socket) {
    switch (socket.error()) {
    case QLocalSocket::ServerNotFoundError: return systemReason(ENOENT);
    case QLocalSocket::ConnectionRefusedError: return systemReason(ECONNREFUSED);
    case QLocalSocket::SocketAccessError: return systemReason(EACCES);
    case QLocalSocket::SocketTimeoutError: return QStringLiteral("no answer");
    default: return socket.errorString();
    }
}

// The user id of the process at the other end of a local socket, if the system tells it.
std::optional<uid_t> peerUser(qintptr descriptor) {
#ifdef SO_PEERCRED
    struct ucred cred {};
    socklen_t length = sizeof cred;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0) return std::nullopt;
    return cred.uid;
#else
    Q_UNUSED(descriptor);
    return std::nullopt;
#endif
}

// The folder for lock and socket: the session's runtime folder when it is safe, else a folder
// of this user's own in the temporary folder; empty with `problem` set when neither is.
QString privateFolder(const QString& key, QString* problem) {
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (runtime.startsWith(QLatin1Char('/')) && SingleInstance::unsafeFolder(runtime).isEmpty()) return runtime;
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("%1-%2").arg(key).arg(::getuid()));
    // Made here, or found: either way it counts only once it is seen to be safe.
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST) {
        const int error = errno;
        *problem = QStringLiteral("Cannot create folder %1: %2").arg(own, systemReason(error));
        return {};
    }
    if (const QString why = SingleInstance::unsafeFolder(own); !why.isEmpty()) {
        *problem = QStringLiteral("Cannot keep the lock and socket in folder %1: %2").arg(own, why);
        return {};
    }
    return own;
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
    const QString folder = privateFolder(key, &problem_);
    if (folder.isEmpty()) return;
    const QString base = QStringLiteral("%1-%2").arg(key).arg(::getuid());
    lockPath_ = QDir(folder).filePath(base + QStringLiteral(".lock"));
    serverName_ = QDir(folder).filePath(base + QStringLiteral(".socket"));
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

QString SingleInstance::unsafeFolder(const QString& folder) {
    struct stat st {};
    if (::lstat(QFile::encodeName(folder).constData(), &st) != 0) {
        const int error = errno;
        return systemReason(error);
    }
    if (S_ISLNK(st.st_mode)) return QStringLiteral("it is a symbolic link");
    if (!S_ISDIR(st.st_mode)) return QStringLiteral("it is not a folder");
    if (st.st_uid != ::getuid()) return QStringLiteral("it belongs to another user");
    if (st.st_mode & (S_IWGRP | S_IWOTH)) return QStringLiteral("others may write to it");
    return {};
}

bool SingleInstance::claim(const QString& file) {
    if (lockPath_.isEmpty()) return true;  // no safe folder: problem_ says why
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // A lock is stale only when the copy that took it no longer runs (it crashed); a running
    // copy keeps its lock however long it runs.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError) {
            // Another copy runs. It may still be starting its server: try for a short while,
            // but never hand anything to a server of another user.
            const QByteArray open = openRequest(file);
            const QByteArray request = open.isEmpty() ? raiseRequest() : open;
            QString reason;
            for (int attempt = 0; attempt < 20; ++attempt) {
                if (send(serverName_, request, &reason)) return false;
                if (reason == foreignServer()) break;
                QThread::msleep(100);
            }
            problem_ = QStringLiteral("Cannot hand over to the window already running at %1: %2").arg(serverName_, reason);
            return true;
        }
        // The lock cannot be written at all (no permission, no space): run without the guard
        // rather than refuse to start.
        problem_ = QStringLiteral("Cannot create lock file %1: %2")
                       .arg(lockPath_, lock_->error() == QLockFile::PermissionError ? systemReason(EACCES)
                                                                                    : QStringLiteral("unknown error"));
        return true;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(kPendingConnections);
    server_->setListenBacklogSize(kPendingConnections);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    listen();
    // A server that has stopped listening (an accept that failed, say for want of file
    // descriptors, closes it) listens again as soon as it can.
    auto* watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this] {
        if (!server_->isListening()) listen();
    });
    watch->start(kListenRetryMs);
    return true;
}

void SingleInstance::listen() {
    QLocalServer::removeServer(serverName_);  // a socket file left by a crashed copy, or by this one
    server_->listen(serverName_);
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

bool SingleInstance::send(const QString& serverName, const QByteArray& request, QString* reason) {
    QString why;
    QLocalSocket socket;
    socket.connectToServer(serverName, QIODevice::WriteOnly);
    bool written = false;
    if (!socket.waitForConnected(1000)) {
        why = socketReason(socket);
    } else if (const std::optional<uid_t> server = peerUser(socket.socketDescriptor()); server && *server != ::getuid()) {
        why = foreignServer();
        socket.abort();
        if (reason) *reason = why;
        return false;
    } else {
        socket.write(request);
        written = socket.waitForBytesWritten(1000);
        if (!written) why = socketReason(socket);
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
    if (reason) *reason = why;
    return written;
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        // A peer of another user is dropped unread.
        if (peerUser(socket->socketDescriptor()) != ::getuid()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Room for the newest: the oldest client still not done is dropped.
        if (clients_.size() >= kClients) {
            QLocalSocket* oldest = clients_.takeFirst();
            oldest->setProperty("pf_refused", true);
            oldest->abort();
        }
        clients_.append(socket);
        connect(socket, &QObject::destroyed, this, [this, socket] { clients_.removeOne(socket); });
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
        QTimer::singleShot(kClientMs, socket, [socket] {
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
