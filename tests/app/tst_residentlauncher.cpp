// The resident launcher as two real processes on a private X server: a second
// launch hands over and leaves, a dead predecessor does not block, the global
// hotkey toggles the window and follows `trovi config`, a key taken by another
// client is reported without stopping the launcher. Skipped without Xvfb.

#include "tests/support/TroviHome.h"
#include "tests/support/XvfbServer.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString skipReason;
trovi::test::XvfbServer* xvfb = nullptr;

// A home whose first-run onboarding is done, so the launcher window itself shows.
class Home : public trovi::test::TroviHome {
public:
    Home() { run({"config", "set", "launcherPermissionsOnboardingCompleted", "true"}); }
    ~Home() {
        for (QProcess* p : launchers) {
            p->kill();
            p->waitForFinished();
            delete p;
        }
    }

    QProcess* start(const QStringList& arguments = {}) {
        auto* process = new QProcess;
        process->setProcessEnvironment(environment(x11()));
        process->start(TROVI_EXECUTABLE, arguments);
        process->waitForStarted();
        launchers.append(process);
        return process;
    }

    // Every run talks to the private X server, as a launch from the desktop would.
    trovi::test::TroviRun run(const QStringList& arguments) const {
        return TroviHome::run(arguments, x11());
    }
    QStringList x11() const {
        QStringList env{"XDG_SESSION_TYPE=x11", "QT_QPA_PLATFORM=xcb"};
        if (xvfb)
            env << "DISPLAY=" + xvfb->display();
        return env;
    }

    QString lockFolder() const { return path() + "/.local/share/com.dalvo.trovi-launcher"; }

    // What a failed wait needs to be understood: every launcher's stderr and the window tree.
    QByteArray diagnosis() const {
        QByteArray text;
        for (QProcess* p : launchers)
            text += "launcher stderr:\n" + p->readAllStandardError() + '\n';
        return text + "window tree:\n" + xwininfo();
    }
    static QByteArray xwininfo();

    QList<QProcess*> launchers;

private:
    QByteArray m_errors;
};

QByteArray tool(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", xvfb->display());
    process.setProcessEnvironment(env);
    process.start("xdotool", arguments);
    process.waitForFinished(30000);
    return process.readAllStandardOutput();
}

bool launcherVisible() {
    return !tool({"search", "--onlyvisible", "--name", "Trovi"}).trimmed().isEmpty();
}

QByteArray Home::xwininfo() {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", xvfb->display());
    process.setProcessEnvironment(env);
    process.start("xwininfo", {"-root", "-tree"});
    process.waitForFinished(30000);
    return process.readAllStandardOutput();
}

// Waits for the window to be shown or hidden; a miss prints what explains it.
#define WAIT_VISIBLE(home, visible, timeout)                                                       \
    do {                                                                                           \
        if (!QTest::qWaitFor([&] { return launcherVisible() == (visible); }, (timeout)))           \
            QFAIL((home).diagnosis().constData());                                                 \
    } while (false)

// Presses `keys` until the window reaches `visible`; a press that arrives
// before a new grab is in place just goes to the focused window.
bool pressUntil(const QString& keys, bool visible) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        tool({"key", keys});
        QDeadlineTimer deadline(2000);
        while (!deadline.hasExpired()) {
            if (launcherVisible() == visible)
                return true;
            QTest::qWait(20);
        }
    }
    return false;
}

} // namespace

class ResidentLauncherTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void secondLaunchHandsOverAndLeaves() {
        if (!skipReason.isEmpty())
            QSKIP(qPrintable(skipReason));
        Home home;
        home.start();
        WAIT_VISIBLE(home, true, 60000);
        QVERIFY(home.run({"status", "--json"}).out.contains(R"("visible":true)"));

        const auto hide = home.run({"--hide"});
        QCOMPARE(hide.exitCode, 0);
        WAIT_VISIBLE(home, false, 30000);
        QCOMPARE(home.run({}).exitCode, 0); // a plain second launch toggles
        WAIT_VISIBLE(home, true, 30000);

        // A launcher killed outright leaves its lock file and socket behind.
        home.launchers.first()->kill();
        home.launchers.first()->waitForFinished();
        WAIT_VISIBLE(home, false, 30000);
        QProcess* next = home.start();
        WAIT_VISIBLE(home, true, 60000);
        QFile lock(home.lockFolder() + "/TroviLauncher.lock");
        QVERIFY(lock.open(QIODevice::ReadOnly));
        QCOMPARE(lock.readAll(), QByteArray::number(next->processId()) + '\n');
        QCOMPARE(home.run({"--hide"}).exitCode, 0);
        WAIT_VISIBLE(home, false, 30000);
    }

    void hotKeyTogglesAndFollowsTheStoredShortcut() {
        if (!skipReason.isEmpty())
            QSKIP(qPrintable(skipReason));
        Home home;
        home.start();
        WAIT_VISIBLE(home, true, 60000);
        QVERIFY(pressUntil("ctrl+space", false));
        QVERIFY(pressUntil("ctrl+space", true));

        QCOMPARE(home.run({"config", "set", "launcherHotKeyCode", "0"}).exitCode, 0); // A
        QVERIFY(pressUntil("ctrl+a", false));
        tool({"key", "ctrl+space"}); // released: must not toggle any more
        QVERIFY(pressUntil("ctrl+a", true));
    }

    void aShortcutTakenElsewhereIsReportedNotFatal() {
        if (!skipReason.isEmpty())
            QSKIP(qPrintable(skipReason));
        Home other;
        QProcess* blocker = other.start({"--hide"});
        // Once Ctrl+Space shows the other launcher, the key is its.
        QVERIFY(pressUntil("ctrl+space", true));
        QCOMPARE(other.run({"--hide"}).exitCode, 0);
        WAIT_VISIBLE(other, false, 30000);
        Home home;
        QProcess* launcher = home.start();
        WAIT_VISIBLE(home, true, 60000);
        QByteArray errors;
        QTRY_VERIFY_WITH_TIMEOUT(
            (errors += launcher->readAllStandardError()).contains("already taken"), 10000);
        QCOMPARE(blocker->state(), QProcess::Running);
        QCOMPARE(home.run({"--hide"}).exitCode, 0);
        WAIT_VISIBLE(home, false, 30000);
        QCOMPARE(launcher->state(), QProcess::Running);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    trovi::test::XvfbServer server;
    if (!server.skipReason().isEmpty())
        skipReason = server.skipReason();
    else if (QStandardPaths::findExecutable("xdotool").isEmpty())
        skipReason = "xdotool is not installed";
    else
        xvfb = &server;
    ResidentLauncherTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_residentlauncher.moc"
