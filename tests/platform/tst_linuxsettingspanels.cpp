#include "launcher/platform/linux/LinuxSettingsPanels.h"

#include <QTest>

using namespace trovi;
using namespace trovi::platform;

class TestLinuxSettingsPanels : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelsOfTheCurrentDesktop_data() {
        QTest::addColumn<QString>("desktops");
        QTest::addColumn<QStringList>("names");
        QTest::addRow("GNOME") << "ubuntu:GNOME"
                               << QStringList{"Display Settings", "Network", "Sound", "WLAN"};
        QTest::addRow("KDE") << "KDE" << QStringList{"Audio", "Display Settings", "Network"};
        QTest::addRow("no desktop named")
            << "" << QStringList{"Audio", "Display Settings", "Network"};
    }
    void panelsOfTheCurrentDesktop() {
        QFETCH(QString, desktops);
        QFETCH(QStringList, names);
        // The user's copy of nm-connection-editor hides the system's entry.
        const QString panels = TROVI_FIXTURES_DIR "/settings-panels";
        QStringList found;
        for (const SettingsPanelEntry& panel : discoverSettingsPanels(
                 {panels + "/user/applications", panels + "/system/applications"},
                 desktops.split(u':', Qt::SkipEmptyParts), "de_DE"))
            found << panel.name;
        found.sort();
        QCOMPARE(found, names);
    }

    void paneSourceOffersNoSeeds() {
        const QString user = TROVI_FIXTURES_DIR "/settings-panels/user/applications";
        const SystemSettingsPaneSource source = linuxSystemSettingsPaneSource({user});
        QVERIFY(source.preferred.isEmpty());
        QCOMPARE(source.discover().value(0).primaryURLString,
                 QUrl::fromLocalFile(user + "/nm-connection-editor.desktop").toString());
    }
};

QTEST_GUILESS_MAIN(TestLinuxSettingsPanels)
#include "tst_linuxsettingspanels.moc"
