// Helper processes never outlive their use: stopping one ends everything it
// started, and killing the launcher outright ends the helper and its children too.

#include "launcher/clients/translation/ChildProcess.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <iostream>
#include <thread>

using namespace trovi;

namespace {

// Gone, or a zombie waiting for whoever adopted it.
bool hasEnded(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) == "Z";
}

qint64 readPid(ChildProcess& child) {
    QByteArray output;
    QDeadlineTimer deadline(60'000);
    while (!output.contains('\n') && !deadline.hasExpired())
        child.read(output, deadline);
    return output.trimmed().toLongLong();
}

// Run as a separate launcher: starts a helper that ignores its input and has
// a child of its own, from a thread that ends at once, prints both pids and
// waits to be killed.
int runLauncherThatIsKilled() {
    std::unique_ptr<ChildProcess> helper;
    std::thread([&helper] {
        helper = ChildProcess::start("/bin/sh", {"-c", "sleep 300 & echo $!; wait"}, {},
                                     ChildProcess::Streams::pipes);
    }).join();
    if (!helper)
        return 1;
    std::cout << helper->pid() << ' ' << readPid(*helper) << std::endl;
    for (;;)
        ::pause();
}

} // namespace

class TestChildProcess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stoppingEndsTheHelpersOwnChildren() {
        // The helper and its child both ignore SIGTERM.
        auto helper =
            ChildProcess::start("/bin/sh", {"-c", "trap '' TERM; sleep 300 & echo $!; wait"}, {},
                                ChildProcess::Streams::pipes);
        QVERIFY(helper);
        const qint64 grandchild = readPid(*helper);
        QVERIFY(grandchild > 0);
        QVERIFY(!hasEnded(grandchild));
        helper->terminate(QDeadlineTimer(200));
        QVERIFY(!helper->isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(hasEnded(grandchild), 30'000);
    }

    void killedLauncherTakesItsHelperAlong() {
        QProcess launcher;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TROVI_TEST_KILLED_LAUNCHER", "1");
        launcher.setProcessEnvironment(environment);
        launcher.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(launcher.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(launcher.canReadLine(), 60'000);
        const QList<QByteArray> pids = launcher.readLine().trimmed().split(' ');
        QCOMPARE(pids.size(), 2);
        const qint64 helper = pids[0].toLongLong(), grandchild = pids[1].toLongLong();
        QVERIFY(helper > 0 && grandchild > 0);
        QVERIFY(!hasEnded(helper) && !hasEnded(grandchild));
        ::kill(pid_t(launcher.processId()), SIGKILL);
        QVERIFY(launcher.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(hasEnded(helper), 30'000);
        QTRY_VERIFY_WITH_TIMEOUT(hasEnded(grandchild), 30'000);
    }

    void missingProgramStartsNothing() {
        QVERIFY(!ChildProcess::start("/nonexistent/program", {}, {}, ChildProcess::Streams::pipes));
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("TROVI_TEST_KILLED_LAUNCHER"))
        return runLauncherThatIsKilled();
    QCoreApplication app(argc, argv);
    TestChildProcess test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_childprocess.moc"
