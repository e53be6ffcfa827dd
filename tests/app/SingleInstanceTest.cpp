// One copy per user: the guard in process, and the real program started twice.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTest>

#include "AppTestSupport.h"
#include "app/SingleInstance.h"
#include "support/TempDir.h"

#include <unistd.h>

namespace pf::test {
namespace {

// Points the runtime folder, where lock and socket live, at a fresh folder.
class Guard : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path().string()));
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", oldRuntime); }

    TempDir runtime;
    QByteArray oldRuntime;
};

TEST_F(Guard, TheFirstClaimsAndALaterOneAsksItToComeForward) {
    pf::app::SingleInstance first(QStringLiteral("pf-test"));
    ASSERT_TRUE(first.claim());
    EXPECT_TRUE(first.lockPath().startsWith(QString::fromStdString(runtime.path().string())));
    QSignalSpy raised(&first, &pf::app::SingleInstance::raiseRequested);
    pf::app::SingleInstance second(QStringLiteral("pf-test"));
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(raised.count() == 1 || raised.wait(10000));
    EXPECT_EQ(raised.count(), 1);
}

TEST_F(Guard, AnythingButTheOneRequestIsIgnored) {
    pf::app::SingleInstance first(QStringLiteral("pf-test"));
    ASSERT_TRUE(first.claim());
    QSignalSpy raised(&first, &pf::app::SingleInstance::raiseRequested);
    for (const QByteArray& junk : {QByteArray("hello\n"), QByteArray("raise\nraise\n"), QByteArray(4096, 'x')}) {
        QLocalSocket socket;
        socket.connectToServer(first.serverName());
        ASSERT_TRUE(socket.waitForConnected(5000));
        socket.write(junk);
        socket.waitForBytesWritten(5000);
        socket.disconnectFromServer();
    }
    // A proper request after the junk is the only one that counts.
    ASSERT_TRUE(pf::app::SingleInstance::sendRaise(first.serverName()));
    EXPECT_TRUE(raised.wait(10000));
    QTest::qWait(50);  // let any late junk be read too
    EXPECT_EQ(raised.count(), 1);
}

class RealProgram : public Guard {
protected:
    QProcess* start() {
        auto* p = new QProcess;
        processes.emplace_back(p);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.path().string()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(PF_BUILD_DIR "/presetforger"), {});
        EXPECT_TRUE(p->waitForStarted(10000));
        return p;
    }
    // The running copy listens once its socket file exists.
    bool waitUntilListening() {
        const QString socket = QDir(QString::fromStdString(runtime.path().string()))
                                   .filePath(QStringLiteral("presetforger-%1.socket").arg(::getuid()));
        return QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 20000);
    }
    void TearDown() override {
        for (auto& p : processes) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(10000);
            }
        }
        Guard::TearDown();
    }
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(RealProgram, ASecondStartEndsAtOnceWhileTheFirstRuns) {
    QProcess* first = start();
    ASSERT_TRUE(waitUntilListening());
    QProcess* second = start();
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardOutput().isEmpty()) << "silently";
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(RealProgram, ALockLeftByACrashedCopyDoesNotBlockTheNextStart) {
    QProcess* crashed = start();
    ASSERT_TRUE(waitUntilListening());
    crashed->kill();  // no chance to remove its lock or socket
    ASSERT_TRUE(crashed->waitForFinished(10000));
    QProcess* next = start();
    // The next copy takes the lock over: its process id stands in the lock file.
    const QString lock = QDir(QString::fromStdString(runtime.path().string()))
                             .filePath(QStringLiteral("presetforger-%1.lock").arg(::getuid()));
    const QByteArray pid = QByteArray::number(next->processId());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QFile f(lock);
            return next->state() != QProcess::Running ||
                   (f.open(QIODevice::ReadOnly) && f.readLine().trimmed() == pid);
        },
        30000));
    ASSERT_EQ(next->state(), QProcess::Running) << "the next start was not blocked";
    QProcess* third = start();
    ASSERT_TRUE(third->waitForFinished(30000));
    EXPECT_EQ(third->exitCode(), 0);
    EXPECT_EQ(next->state(), QProcess::Running);
}

TEST_F(RealProgram, CopiesStartedAtTheSameMomentEndWithExactlyOneWindow) {
    std::vector<QProcess*> copies;
    for (int i = 0; i < 3; ++i) copies.push_back(start());
    ASSERT_TRUE(waitUntilListening());
    // All but one end by themselves; the one left runs on.
    auto running = [&] {
        return std::count_if(copies.begin(), copies.end(), [](QProcess* p) { return p->state() == QProcess::Running; });
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return running() <= 1; }, 30000));
    QTest::qWait(500);
    EXPECT_EQ(running(), 1);
    for (QProcess* p : copies)
        if (p->state() == QProcess::NotRunning) EXPECT_EQ(p->exitCode(), 0);
}

}  // namespace
}  // namespace pf::test
