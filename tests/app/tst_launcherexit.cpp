// The resident launcher leaves nothing behind when it quits: a translation
// helper still loading its models when the session ends is stopped with it.
// Runs the window offscreen, so no X server is needed.

#include "tests/support/ArgosStandIn.h"
#include "tests/support/TroviHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

#include <csignal>

namespace {

// The live (not zombie) processes whose parent is `parent`, with their command lines.
QHash<qint64, QByteArray> liveChildren(qint64 parent) {
    QHash<qint64, QByteArray> children;
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid ...": the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 2 || fields[0] == "Z" || fields[1].toLongLong() != parent)
            continue;
        QFile cmdline("/proc/" + entry + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly))
            children.insert(pid, cmdline.readAll());
    }
    return children;
}

bool isAlive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

} // namespace

class LauncherExitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void translationHelperEndsWithTheLauncher() {
        trovi::test::TroviHome home;
        // Longer than any wait below: a helper left behind is still there.
        trovi::test::ArgosStandIn argos(300);
        QProcess launcher;
        launcher.setProcessEnvironment(home.environment(
            {"QT_QPA_PLATFORM=offscreen", "WAYLAND_DISPLAY=trovi-test-no-compositor",
             "TROVI_TRANSLATION_PYTHON=/usr/bin/python3", "PYTHONPATH=" + argos.path()}));
        launcher.start(TROVI_EXECUTABLE, {"--hide"});
        QVERIFY(launcher.waitForStarted());

        // The helper is started once the launcher is up, to have it warm for
        // "cc"; it runs under a guardian process of the launcher's own.
        qint64 helper = 0;
        const auto findHelper = [&] {
            const auto children = liveChildren(launcher.processId());
            for (auto it = children.cbegin(); it != children.cend(); ++it) {
                const auto grandchildren = liveChildren(it.key());
                for (auto inner = grandchildren.cbegin(); inner != grandchildren.cend(); ++inner)
                    if (inner.value().contains("python"))
                        helper = inner.key();
            }
            return helper != 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(findHelper(), 30000);
        const auto noOrphan = qScopeGuard([&] {
            if (isAlive(helper))
                ::kill(pid_t(helper), SIGKILL);
        });

        launcher.terminate(); // what a logout or a service manager sends
        QVERIFY(launcher.waitForFinished(60000));
        QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
        QCOMPARE(launcher.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!isAlive(helper), 20000);
    }
};

QTEST_GUILESS_MAIN(LauncherExitTest)
#include "tst_launcherexit.moc"
