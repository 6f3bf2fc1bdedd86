// Run at login through the desktop's autostart folder: the entry the desktop
// reads, and the stored choice kept in step at start-up and from the toggle.

#include "launcher/platform/linux/XdgAutostartLoginItem.h"
#include "launcher/settings/PreferenceStore.h"
#include "tests/support/Files.h"

#include <QtTest>

using namespace trovi;
using trovi::platform::XdgAutostartLoginItem;

class TestXdgAutostart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void entryFollowsTheToggle() {
        QTemporaryDir dir;
        InMemoryPreferenceStore preferences;
        const LaunchAtLoginSettingsStore store(preferences);
        XdgAutostartLoginItem item(QStringLiteral("/opt/my apps/trovi"), dir.path() + "/autostart");

        auto on = applyLaunchAtLoginToggle(item, store, true);
        QVERIFY(on.enabled);
        QCOMPARE(on.statusMessage, "Launcher will start automatically when you log in.");
        QVERIFY(
            test::readFile(item.entryPath()).contains("\nExec=\"/opt/my apps/trovi\" --hide\n"));
        QCOMPARE(store.storedValue(), true);

        auto off = applyLaunchAtLoginToggle(item, store, false);
        QVERIFY(!off.enabled);
        QCOMPARE(off.statusMessage, "Launcher will not start automatically.");
        QVERIFY(!QFile::exists(item.entryPath()));
        QCOMPARE(store.storedValue(), false);
    }

    void uninstallRemovesTheLoginEntry() {
        QTemporaryDir dir;
        XdgAutostartLoginItem item("/usr/bin/trovi", dir.path() + "/config/autostart");
        QVERIFY(std::holds_alternative<LaunchAtLoginState>(item.update(true)));
        QVERIFY(test::writeFile(dir.path() + "/config/autostart/other.desktop"));
        QProcess make;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.path() + "/config");
        make.setProcessEnvironment(env);
        make.start("make", {"-s", "-C", TROVI_FIXTURES_DIR "/../..", "uninstall",
                            "PREFIX=" + dir.path() + "/prefix"});
        QVERIFY(make.waitForFinished(60000));
        QCOMPARE(make.exitCode(), 0);
        QVERIFY(!QFile::exists(item.entryPath()));
        QVERIFY(QFile::exists(dir.path() + "/config/autostart/other.desktop"));
    }

    void startupReconcilesTheStoredChoice() {
        QTemporaryDir dir;
        InMemoryPreferenceStore preferences;
        const LaunchAtLoginSettingsStore store(preferences);
        XdgAutostartLoginItem item("/usr/bin/trovi", dir.path());
        QStringList reports;
        auto report = [&](const QString& line) { reports << line; };

        // Nothing stored: the desktop's state is recorded.
        synchronizeLaunchAtLoginAtStartup(item, store, report);
        QCOMPARE(store.storedValue(), false);
        // Stored on (set from another machine or `trovi config`): the entry is written.
        store.save(true);
        synchronizeLaunchAtLoginAtStartup(item, store, report);
        QCOMPARE(item.currentState(), LaunchAtLoginState::enabled);
        QVERIFY(reports.isEmpty());
    }

    // `trovi config get launcherRunAtLogin` reads the stored value: after a
    // failed registration it must say what the desktop will do, and nothing
    // is written outside the folder through a link.
    void refusedFolderSaysWhyAndStoresTheRealState_data() {
        QTest::addColumn<QString>("kind");
        QTest::addRow("a file where the folder should be") << "file";
        QTest::addRow("the folder is a link to another folder") << "link";
    }

    void refusedFolderSaysWhyAndStoresTheRealState() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString folder = dir.path() + "/autostart";
        const QString elsewhere = dir.path() + "/elsewhere";
        if (kind == "file")
            QVERIFY(test::writeFile(folder));
        else
            QVERIFY(QDir().mkpath(elsewhere) && QFile::link(elsewhere, folder));
        InMemoryPreferenceStore preferences;
        const LaunchAtLoginSettingsStore store(preferences);
        XdgAutostartLoginItem item("/usr/bin/trovi", folder);

        store.save(true);
        QStringList reports;
        synchronizeLaunchAtLoginAtStartup(item, store, [&](const QString& l) { reports << l; });
        QCOMPARE(store.storedValue(), false);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports[0].startsWith(
            "Failed to update run-at-login state: Could not register run-at-login: "));
        QVERIFY(QDir(elsewhere).isEmpty());

        auto outcome = applyLaunchAtLoginToggle(item, store, true);
        QVERIFY(!outcome.enabled);
        QVERIFY(outcome.statusMessage.startsWith("Could not register run-at-login: "));
        QCOMPARE(store.storedValue(), false);
        QVERIFY(QDir(elsewhere).isEmpty());
    }

    void oddEntriesAreReplaced() {
        QTemporaryDir dir;
        XdgAutostartLoginItem hidden("/usr/bin/trovi", dir.path() + "/hidden");
        QVERIFY(test::writeFile(
            hidden.entryPath(),
            "[Desktop Entry]\nType=Application\nExec=/usr/bin/trovi\nHidden=true\n"));
        QCOMPARE(hidden.currentState(), LaunchAtLoginState::disabled);
        QCOMPARE(std::get<LaunchAtLoginState>(hidden.update(true)), LaunchAtLoginState::enabled);

        // A link is replaced, not written through.
        const QString victim = dir.path() + "/victim.txt";
        QVERIFY(test::writeFile(victim, "keep me\n"));
        XdgAutostartLoginItem item("/usr/bin/trovi", dir.path() + "/autostart");
        QVERIFY(QDir().mkpath(dir.path() + "/autostart"));
        QVERIFY(QFile::link(victim, item.entryPath()));

        QCOMPARE(std::get<LaunchAtLoginState>(item.update(true)), LaunchAtLoginState::enabled);
        QCOMPARE(test::readFile(victim), QByteArray("keep me\n"));
        QVERIFY(!QFileInfo(item.entryPath()).isSymLink());
        QVERIFY(test::readFile(item.entryPath()).contains("\nExec=/usr/bin/trovi --hide\n"));
        // Nothing left beside it but the entry.
        QCOMPARE(QDir(dir.path() + "/autostart").entryList(QDir::Files | QDir::Hidden),
                 QStringList{"trovi-launcher.desktop"});
    }
};

QTEST_GUILESS_MAIN(TestXdgAutostart)
#include "tst_xdgautostart.moc"
