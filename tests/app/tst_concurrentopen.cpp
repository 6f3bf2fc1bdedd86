// Launcher processes on one home that end midway or are told to stop: every
// `trovi open` that finished is counted and both stores stay sound, and the
// resident launcher stops the translation helper it started when it quits.

#include "db/SqliteDatabase.h"
#include "launcher/engine/usage/UsageStore.h"
#include "launcher/settings/SqlitePreferenceStore.h"
#include "tests/support/ArgosStandIn.h"
#include "tests/support/DocumentIndex.h"
#include "tests/support/Processes.h"
#include "tests/support/TroviHome.h"

#include <QFileSystemWatcher>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>

namespace {

using trovi::db::Connection;

// A folder found by name (counted in the preferences) and a document found by
// content (counted in the document index).
const QStringList kQueries{"invoices", "photosynthesis"};

class Home : public trovi::test::TroviHome {
public:
    Home() {
        mkdir("work/Invoices");
        mkdir(".pelmora");
        trovi::test::DocumentIndex(indexPath())
            .add(1, "thesis.pdf", 0, 1, "on photosynthesis", {}, path() + "/work");
    }
    QString indexPath() const { return path() + "/.pelmora/index.db"; }
    QString preferencesPath() const {
        return path() + "/.config/trovi-launcher/preferences.sqlite3";
    }
    void start(QProcess& process, const QString& program, const QStringList& arguments) const {
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
    }

    // What each store holds now, in the order of kQueries.
    QList<qint64> counts() const {
        auto prefs = trovi::SqlitePreferenceStore::open(preferencesPath());
        auto index = Connection::open(indexPath(), trovi::db::ReadWrite);
        auto row = index->prepare("SELECT open_count FROM files")->all();
        return {trovi::UsageStore(*prefs).count(path() + "/work/Invoices"),
                row->front().integer(0).value_or(-1)};
    }
    static QString integrity(const QString& file) {
        auto db = Connection::open(file, trovi::db::ReadWrite);
        auto rows = db->prepare("PRAGMA integrity_check")->all();
        return rows ? rows->front().text(0).value_or("") : rows.error().description();
    }
};

} // namespace

class ConcurrentOpenTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void twoProcessesCountEveryOpen() {
        Home home;
        const QString lane = "for i in $(seq 100); do for q in %1; do "
                             "\"$0\" open --dry-run $q >/dev/null || exit 1; done; done";
        QProcess lanes[2];
        for (QProcess& process : lanes)
            home.start(process, "/bin/sh", {"-c", lane.arg(kQueries.join(' ')), TROVI_EXECUTABLE});
        for (QProcess& process : lanes) {
            QVERIFY(process.waitForFinished(240000));
            QCOMPARE(process.readAllStandardError(), QByteArray());
            QCOMPARE(process.exitCode(), 0);
        }
        QCOMPARE(home.counts(), QList<qint64>({200, 200}));
    }

    // Each open is killed at its start or after its first, second, ... write
    // to the preference log; one that finished anyway counts as finished.
    void killedOpensLoseNoFinishedOne() {
        Home home;
        QProcess first;
        home.start(first, TROVI_EXECUTABLE, {"open", "--dry-run", kQueries[0]});
        QVERIFY(first.waitForFinished(60000));
        QList<qint64> finished{1, 0};
        QList<qint64> killed{0, 0};
        QFileSystemWatcher log({home.preferencesPath() + "-wal"});
        for (int cycle = 0; cycle < 48; ++cycle) {
            const int target = cycle % 2;
            const int killAfterWrites = cycle / 2 % 12;
            QProcess victim;
            int writes = 0;
            const auto connection = connect(&log, &QFileSystemWatcher::fileChanged, [&] {
                if (++writes == killAfterWrites)
                    victim.kill();
            });
            QSignalSpy done(&victim, &QProcess::finished);
            home.start(victim, TROVI_EXECUTABLE, {"open", "--dry-run", kQueries[target]});
            if (killAfterWrites == 0)
                victim.kill();
            QVERIFY(done.wait(60000));
            disconnect(connection);
            const bool completed =
                victim.exitStatus() == QProcess::NormalExit && victim.exitCode() == 0;
            ++(completed ? finished : killed)[target];
        }
        QCOMPARE(Home::integrity(home.preferencesPath()), "ok");
        QCOMPARE(Home::integrity(home.indexPath()), "ok");
        const QList<qint64> counts = home.counts();
        for (int target : {0, 1}) {
            QVERIFY(counts[target] >= finished[target]);
            QVERIFY(counts[target] <= finished[target] + killed[target]);
        }
    }

    // Runs the window offscreen, so no X server is needed.
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
        // It runs Python unbuffered; the launcher's availability check is a
        // short Python run of its own.
        qint64 helper = 0;
        const auto findHelper = [&] {
            if (helper == 0)
                helper = trovi::test::liveGrandchild(launcher.processId(), QByteArray("-u\0-c", 5));
            return helper != 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(findHelper(), 30000);
        const auto noOrphan = qScopeGuard([&] {
            if (!trovi::test::hasEnded(helper))
                ::kill(pid_t(helper), SIGKILL);
        });

        launcher.terminate(); // what a logout or a service manager sends
        QVERIFY(launcher.waitForFinished(60000));
        QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
        QCOMPARE(launcher.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(trovi::test::hasEnded(helper), 20000);
    }
};

QTEST_GUILESS_MAIN(ConcurrentOpenTest)
#include "tst_concurrentopen.moc"
