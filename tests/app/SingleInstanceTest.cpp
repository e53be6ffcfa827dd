// One copy per user: the guard in process, and the real program started twice.
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "AppTestSupport.h"
#include "Version.h"
#include "app/SingleInstance.h"

namespace pf::test {
namespace {

// Points the runtime folder, where lock and socket live, at a fresh folder, and the temporary
// folder, where they go when there is no safe runtime folder, at another.
class Guard : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path().string()));
        qputenv("TMPDIR", QByteArray::fromStdString(temp.path().string()));
    }
    void TearDown() override {
        for (const auto& [name, value] : {std::pair{"XDG_RUNTIME_DIR", oldRuntime}, std::pair{"TMPDIR", oldTemp}})
            value.isNull() ? void(qunsetenv(name)) : void(qputenv(name, value));
    }
    QString file(const char* suffix) const { return QDir(qpath(runtime.path())).filePath(QStringLiteral("presetforger-%1.").arg(::getuid()) + suffix); }

    QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR"), oldTemp = qgetenv("TMPDIR");
    TempDir runtime, temp;
};

using pf::app::SingleInstance;

// Exactly two request forms are taken; every near miss is not.
TEST(Requests, OnlyRaiseAndOpenOfOneAbsolutePathAreTaken) {
    const QByteArray longest = "/" + QByteArray(SingleInstance::kMaxPath - 1, 'p');
    const struct { QByteArray bytes; bool taken, open; QString path; } kCases[] = {
        {"raise\n", true, false, {}},
        {"open 10\n/tmp/a.g5a", true, true, QStringLiteral("/tmp/a.g5a")},
        {"open 16\n/tmp/r\xc3\xa4um b.b3a", true, true, QString::fromUtf8("/tmp/r\xc3\xa4um b.b3a")},
        {"open 4096\n" + longest, true, true, QString::fromLatin1(longest)},
        {"open 4097\n" + longest + "p", false, false, {}},          // longer than any path
        {"", false, false, {}}, {"raise", false, false, {}}, {"raise\nraise\n", false, false, {}},
        {"RAISE\n", false, false, {}}, {"open 9\nrel/a.g5a", false, false, {}},  // not absolute
        {"open 11\n/tmp/a.g5a", false, false, {}},                  // length says more
        {"open 9\n/tmp/a.g5a", false, false, {}},                   // length says less
        {"open 010\n/tmp/a.g5a", false, false, {}}, {"open +10\n/tmp/a.g5a", false, false, {}},
        {"open 10 \n/tmp/a.g5a", false, false, {}}, {"open\n/tmp/a.g5a", false, false, {}},
        {"open 0\n", false, false, {}}, {QByteArray("open 10\n/tmp/\0.g5a", 18), false, false, {}},
        {"open 10\r\n/tmp/a.g5a", false, false, {}}, {"open 10\n/tmp/a.g5araise\n", false, false, {}}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.bytes.toStdString());
        const auto request = SingleInstance::parseRequest(c.bytes);
        ASSERT_EQ(request.has_value(), c.taken);
        if (!request) continue;
        EXPECT_EQ(request->open, c.open);
        EXPECT_EQ(request->path, c.path);
        EXPECT_EQ(c.open ? SingleInstance::openRequest(c.path) : SingleInstance::raiseRequest(), c.bytes) << "made as read";
    }
    for (const QString& unsendable : {QStringLiteral("a.g5a"), QString(), QString::fromLatin1(longest + "p")})
        EXPECT_TRUE(SingleInstance::openRequest(unsendable).isEmpty()) << unsendable.size();
    const QString absolute = pf::app::fileArgument({"presetforger", "-style", "--", "-odd.g5a"});
    EXPECT_EQ(absolute, QDir::current().absoluteFilePath(QStringLiteral("-odd.g5a"))) << "files after --, made absolute";
    EXPECT_EQ(pf::app::fileArgument({"presetforger", "--x", "/a/b.b3a", "c.g5a"}), QStringLiteral("/a/b.b3a"));
    EXPECT_EQ(pf::app::fileArgument({"presetforger", "-x"}), QString());
}

TEST_F(Guard, ALaterCopyAsksTheFirstToComeForwardOrToOpenItsFileAndAnythingElseIsIgnored) {
    pf::app::SingleInstance first(QStringLiteral("pf-test"));
    ASSERT_TRUE(first.claim());
    EXPECT_TRUE(first.lockPath().startsWith(qpath(runtime.path())));
    QSignalSpy raised(&first, &pf::app::SingleInstance::raiseRequested);
    QSignalSpy opened(&first, &pf::app::SingleInstance::openRequested);
    for (const QByteArray& junk : {QByteArray("hello\n"), QByteArray("raise\nraise\n"), QByteArray(4096, 'x'),
                                   QByteArray("open 5000\n/") + QByteArray(4999, 'y'), QByteArray("open 3\nab/")}) {
        QLocalSocket socket;
        socket.connectToServer(first.serverName());
        ASSERT_TRUE(socket.waitForConnected(5000));
        socket.write(junk);
        socket.waitForBytesWritten(5000);
        socket.disconnectFromServer();
    }
    pf::app::SingleInstance second(QStringLiteral("pf-test"));
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(raised.count() == 1 || raised.wait(10000));
    pf::app::SingleInstance third(QStringLiteral("pf-test"));
    EXPECT_FALSE(third.claim(QStringLiteral("/some where/b.g3xa")));
    EXPECT_TRUE(opened.count() == 1 || opened.wait(10000));
    QTest::qWait(50);  // let any late junk be read too
    EXPECT_EQ(raised.count(), 1) << "only the proper requests count";
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.front().front().toString(), QStringLiteral("/some where/b.g3xa"));
}

// The private folder the guard falls back on for key "pf-test".
QString ownFolder(const TempDir& temp) { return qpath(temp / ("pf-test-" + std::to_string(::getuid()))); }

// Lock and socket go only where nobody else may write: a runtime folder that is missing, open
// to others (where someone else's lock and server wait) or a link gives way to the user's own
// folder in the temporary folder, made for them; the hand-over works there. A folder of that
// name that is a link, open to others or no folder is refused: the copy goes on alone and says
// why.
TEST_F(Guard, LockAndSocketLiveOnlyInAFolderOfTheUsersOwnThatNobodyElseMayWrite) {
    TempDir shared;
    ::chmod(shared.path().c_str(), 0777);
    const QString squatted = QDir(qpath(shared.path())).filePath(QStringLiteral("pf-test-%1.").arg(::getuid()));
    QLockFile squatterLock(squatted + "lock");
    ASSERT_TRUE(squatterLock.tryLock(0));
    QLocalServer squatter;
    ASSERT_TRUE(squatter.listen(squatted + "socket"));
    QSignalSpy reached(&squatter, &QLocalServer::newConnection);
    std::filesystem::create_directory_symlink(runtime.path(), temp / "link");
    const QString own = ownFolder(temp);
    for (const QString& runtimeFolder : {QString(), qpath(shared.path()), qpath(temp / "link"), QStringLiteral("relative")}) {
        SCOPED_TRACE(runtimeFolder.toStdString());
        if (runtimeFolder.isEmpty()) qunsetenv("XDG_RUNTIME_DIR");
        else qputenv("XDG_RUNTIME_DIR", runtimeFolder.toLocal8Bit());
        SingleInstance first(QStringLiteral("pf-test"));
        ASSERT_TRUE(first.claim());
        EXPECT_EQ(first.problem().toStdString(), "");
        EXPECT_EQ(QFileInfo(first.lockPath()).path().toStdString(), own.toStdString());
        struct stat st {};
        ASSERT_EQ(::lstat(own.toLocal8Bit().constData(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, 0700u);
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);
        SingleInstance second(QStringLiteral("pf-test"));
        EXPECT_FALSE(second.claim());
        EXPECT_TRUE(raised.wait(5000));
    }
    QTest::qWait(20);
    EXPECT_EQ(reached.count(), 0) << "the lock and server in the shared folder are never used";

    qunsetenv("XDG_RUNTIME_DIR");
    const std::filesystem::path ownPath = own.toStdString();
    const struct { const char* what; std::function<void()> make; const char* reason; } kRefused[] = {
        {"link", [&] { std::filesystem::create_directory_symlink(runtime.path(), ownPath); }, "it is a symbolic link"},
        {"open to others", [&] { std::filesystem::create_directory(ownPath); ::chmod(ownPath.c_str(), 0777); }, "others may write to it"},
        {"a file", [&] { writeFile(ownPath, "x"); }, "it is not a folder"}};
    for (const auto& c : kRefused) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(ownPath);
        c.make();
        SingleInstance alone(QStringLiteral("pf-test"));
        EXPECT_TRUE(alone.claim());
        EXPECT_EQ(alone.lockPath().toStdString(), "");
        EXPECT_EQ(alone.problem().toStdString(), QStringLiteral("Cannot keep the lock and socket in folder %1: %2").arg(own, QLatin1String(c.reason)).toStdString());
    }
    EXPECT_TRUE(QDir(qpath(runtime.path())).isEmpty());
}

// A child process running `body`, which gives its exit status; ended with the object.
class Child {
public:
    explicit Child(const std::function<int()>& body) : pid_(::fork()) {
        if (pid_ == 0) ::_exit(body());
    }
    ~Child() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    // Its exit status once it has ended by itself; the event loop runs meanwhile.
    int result() {
        int status = 0;
        if (!QTest::qWaitFor([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, 30000)) return -1;
        pid_ = -1;
        return WEXITSTATUS(status);
    }

private:
    pid_t pid_;
};

sockaddr_un unixAddress(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
    return address;
}

// A burst of idle connections, more than the server takes at once and with the process out of
// file descriptors meanwhile, leaves the running copy reachable: a later copy hands over.
TEST_F(Guard, ABurstOfIdleConnectionsPastTheFileLimitLeavesTheHandOverWorking) {
    SingleInstance first(QStringLiteral("pf-test"));
    ASSERT_TRUE(first.claim());
    QSignalSpy opened(&first, &SingleInstance::openRequested);
    const sockaddr_un address = unixAddress(first.serverName());
    Child burst([&] {  // connects up to 64 times and ends, never having said a word
        for (int fd = 3; fd < 1024; ++fd) ::close(fd);  // the server's listening socket too
        int made = 0;
        for (int fd; made < 64 && (fd = ::socket(AF_UNIX, SOCK_STREAM, 0)) >= 0 &&
                     ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;)
            ++made;
        return made;
    });
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    const rlim_t usual = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {})) + 6;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    EXPECT_GT(burst.result(), 6);
    limit.rlim_cur = usual;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(first.serverName()); }, 5000)) << "listening again";
    SingleInstance second(QStringLiteral("pf-test"));
    EXPECT_FALSE(second.claim(QStringLiteral("/x/a.g5a"))) << second.problem().toStdString();
    EXPECT_TRUE(opened.wait(5000));
}

// A copy whose running copy cannot be reached, or is a server of another user, goes on alone
// and says why.
TEST_F(Guard, ASecondStartThatCannotHandOverSafelySaysWhyAndGoesOnAlone) {
    QLockFile held(file("lock"));  // a running copy without a server
    ASSERT_TRUE(held.tryLock(0));
    SingleInstance second(QStringLiteral("presetforger"));
    EXPECT_TRUE(second.claim(QStringLiteral("/x/a.g5a")));
    const std::string cannot = "Cannot hand over to the window already running at " + file("socket").toStdString() + ": ";
    EXPECT_EQ(second.problem().toStdString(), cannot + "No such file or directory");
    if (::getuid() != 0) return;  // only the superuser can start a server as another user
    const sockaddr_un address = unixAddress(file("socket"));
    Child other([&] {  // what clients see of a server is the user it listened as
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 && ::syscall(SYS_setuid, 65534) == 0 &&
            ::listen(fd, 8) == 0)
            ::pause();
        return 1;
    });
    SingleInstance third(QStringLiteral("presetforger"));
    EXPECT_TRUE(third.claim(QStringLiteral("/x/a.g5a")));
    EXPECT_EQ(third.problem().toStdString(), cannot + "it is run by another user");
}

class RealProgram : public Guard {
protected:
    // Starts the program with `args` on `platform`, in `folder` (default: this one); `display`
    // is the X display for "xcb".
    QProcess* start(const QStringList& args = {}, const QString& platform = QStringLiteral("offscreen"),
                    const QString& folder = {}, const QString& display = {}) {
        auto* p = processes.emplace_back(std::make_unique<QProcess>()).get();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), qpath(runtime.path()));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), qpath(runtime.path()));  // the user's settings stay untouched
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        if (!display.isEmpty()) env.insert(QStringLiteral("DISPLAY"), display);
        // The X keyboard library reads a reply with strndup past its terminator, harmlessly; the
        // sanitizer's strict string checks would stop the program there, before any window.
        if (platform == QStringLiteral("xcb") && env.contains(QStringLiteral("ASAN_OPTIONS")))
            env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) +
                                                           QStringLiteral(":strict_string_checks=0"));
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(folder);
        p->start(QStringLiteral(PF_BUILD_DIR "/presetforger"), args);
        EXPECT_TRUE(p->waitForStarted(10000));
        return p;
    }
    // A copy that ends by itself at once, silently and without failing.
    static void endsAtOnce(QProcess* p) {
        ASSERT_TRUE(p->state() == QProcess::NotRunning || p->waitForFinished(30000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0);
        EXPECT_TRUE(p->readAllStandardOutput().isEmpty());
    }
    // The running copy listens once its socket file exists.
    bool listening() { return QTest::qWaitFor([&] { return QFileInfo::exists(file("socket")); }, 20000); }
    void TearDown() override {
        for (auto& p : processes) {
            p->kill();
            p->waitForFinished(10000);
        }
        Guard::TearDown();
    }
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(RealProgram, ASecondStartEndsAtOnceWhileTheFirstRunsEvenAfterACrashedCopy) {
    QProcess* crashed = start();
    ASSERT_TRUE(listening());
    crashed->kill();  // no chance to remove its lock or socket
    ASSERT_TRUE(crashed->waitForFinished(10000));
    QProcess* first = start();
    // It takes the lock over: its process id stands in the lock file.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        QFile f(file("lock"));
        return first->state() != QProcess::Running ||
               (f.open(QIODevice::ReadOnly) && f.readLine().trimmed() == QByteArray::number(first->processId()));
    }, 30000));
    ASSERT_EQ(first->state(), QProcess::Running) << "the start was not blocked";
    endsAtOnce(start());
    EXPECT_EQ(first->state(), QProcess::Running);
}

// A start that cannot hand over says why on its error output and opens its own window.
TEST_F(RealProgram, ASecondStartThatCannotHandOverSaysWhyAndOpensItsOwnWindow) {
    QLockFile held(file("lock"));  // a running copy that does not answer
    ASSERT_TRUE(held.tryLock(0));
    QProcess* p = start();
    QByteArray err;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (err += p->readAllStandardError()).contains('\n') || p->state() != QProcess::Running; }, 30000));
    EXPECT_EQ(err.toStdString(), "presetforger: Cannot hand over to the window already running at " + file("socket").toStdString() +
                                     ": No such file or directory; this window runs on its own\n");
    QTest::qWait(200);
    EXPECT_EQ(p->state(), QProcess::Running);
}

TEST_F(RealProgram, CopiesStartedAtTheSameMomentEndWithExactlyOneWindow) {
    std::vector<QProcess*> copies;
    for (int i = 0; i < 3; ++i) copies.push_back(start());
    ASSERT_TRUE(listening());
    auto running = [&] { return std::count_if(copies.begin(), copies.end(), [](QProcess* p) { return p->state() == QProcess::Running; }); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return running() <= 1; }, 30000));
    QTest::qWait(500);
    EXPECT_EQ(running(), 1);
    for (QProcess* p : copies)
        if (p->state() == QProcess::NotRunning) endsAtOnce(p);
}

TEST_F(RealProgram, VersionAndHelpPrintAndEndWithoutADisplayOrTheGuard) {
    // --version prints one line; --help begins with its usage line.
    const struct { const char* arg; QByteArray out; bool whole; } kCases[] = {
        {"--version", QByteArray("presetforger ") + pf::kVersion + "\n", true},
        {"--help", "usage: presetforger [FILE]\n", false}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.arg);
        QProcess* p = start({QLatin1String(c.arg)}, QStringLiteral("no-such-platform"));  // no window could open
        ASSERT_TRUE(p->waitForFinished(30000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0);
        const QByteArray out = p->readAllStandardOutput();
        EXPECT_EQ((c.whole ? out : out.left(c.out.size())).toStdString(), c.out.toStdString());
        EXPECT_TRUE(QDir(qpath(runtime.path())).isEmpty()) << "no lock, no socket";
    }
    // After "--" an argument is a file name: the program goes on to its desktop (none here).
    QProcess* p = start({QStringLiteral("--"), QStringLiteral("--help")}, QStringLiteral("no-such-platform"));
    ASSERT_TRUE(p->waitForFinished(30000));
    EXPECT_FALSE(p->readAllStandardOutput().startsWith("usage:"));
}

// An X server of the test's own: Xvfb picks a free display and prints its number. The window
// titles on it are read with xwininfo, as any other program on the desktop would see them.
class XServer {
public:
    XServer() {
        xvfb_.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "800x600x24"});
        if (xvfb_.waitForStarted(10000) && QTest::qWaitFor([&] { return xvfb_.canReadLine(); }, 20000))
            display_ = QStringLiteral(":") + QString::fromLatin1(xvfb_.readLine().trimmed());
    }
    ~XServer() {
        xvfb_.terminate();
        xvfb_.waitForFinished(10000);
    }
    const QString& display() const { return display_; }
    // Waits until a window's title contains `text`.
    bool waitForTitle(const QString& text) const {
        for (int i = 0; i < 200; ++i) {
            QProcess xwininfo;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("DISPLAY"), display_);
            xwininfo.setProcessEnvironment(env);
            xwininfo.start(QStringLiteral("xwininfo"), {"-root", "-tree"});
            if (xwininfo.waitForFinished(10000) && QString::fromUtf8(xwininfo.readAllStandardOutput()).contains(text))
                return true;
            QTest::qWait(100);
        }
        return false;
    }

private:
    QProcess xvfb_;
    QString display_;
};

// The first start loads the file named on its command line (relative to its own folder); a
// second start from elsewhere hands its file over and ends, and the running window loads it;
// a file that cannot be loaded gives the Load error and the document stays.
TEST_F(RealProgram, AFileOnTheCommandLineIsLoadedAndASecondStartHandsItsFileOver) {
    XServer x;
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    TempDir elsewhere;
    writeFile(elsewhere / "other set.b3a", exampleBytes("low-end.b3a"));
    QProcess* first = start({"evening-set.g5a"}, QStringLiteral("xcb"), QStringLiteral(PF_SOURCE_DIR "/examples"), x.display());
    EXPECT_TRUE(x.waitForTitle(QStringLiteral("Presetforging:  \"evening-set.g5a\""))) << "the file on the command line";
    endsAtOnce(start({"other set.b3a"}, QStringLiteral("offscreen"), qpath(elsewhere.path())));
    EXPECT_TRUE(x.waitForTitle(QStringLiteral("Presetforging:  \"other set.b3a\""))) << "the file handed over";
    endsAtOnce(start({"/nonexistent/gone.g5a"}));
    EXPECT_TRUE(x.waitForTitle(QStringLiteral("\"The Presetforger 2000\""))) << "the Load error";
    EXPECT_TRUE(x.waitForTitle(QStringLiteral("Presetforging:  \"other set.b3a\""))) << "the document stays";
    EXPECT_EQ(first->state(), QProcess::Running);
}

}  // namespace
}  // namespace pf::test
