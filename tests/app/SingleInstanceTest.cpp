// One copy per user: the guard in process, and the real program started twice.
#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <unistd.h>

#include "AppTestSupport.h"
#include "Version.h"
#include "app/SingleInstance.h"

namespace pf::test {
namespace {

// Points the runtime folder, where lock and socket live, at a fresh folder.
class Guard : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path().string()));
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", oldRuntime); }
    QString file(const char* suffix) const { return QDir(qpath(runtime.path())).filePath(QStringLiteral("presetforger-%1.").arg(::getuid()) + suffix); }

    QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    TempDir runtime;
};

TEST_F(Guard, ALaterCopyAsksTheFirstToComeForwardAndAnythingElseIsIgnored) {
    pf::app::SingleInstance first(QStringLiteral("pf-test"));
    ASSERT_TRUE(first.claim());
    EXPECT_TRUE(first.lockPath().startsWith(qpath(runtime.path())));
    QSignalSpy raised(&first, &pf::app::SingleInstance::raiseRequested);
    for (const QByteArray& junk : {QByteArray("hello\n"), QByteArray("raise\nraise\n"), QByteArray(4096, 'x')}) {
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
    QTest::qWait(50);  // let any late junk be read too
    EXPECT_EQ(raised.count(), 1) << "only the proper request counts";
}

class RealProgram : public Guard {
protected:
    QProcess* start(const QStringList& args = {}, const QString& platform = QStringLiteral("offscreen")) {
        auto* p = processes.emplace_back(std::make_unique<QProcess>()).get();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), qpath(runtime.path()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        p->setProcessEnvironment(env);
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
        {"--help", "usage: presetforger [--help | --version]\n", false}};
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
}

}  // namespace
}  // namespace pf::test
