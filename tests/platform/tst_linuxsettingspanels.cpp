#include "launcher/platform/linux/LinuxSettingsPanels.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace trovi;
using namespace trovi::platform;

namespace {

bool write(const QString& path, const QByteArray& body) {
    return trovi::test::writeFile(path, "[Desktop Entry]\nType=Application\n" + body);
}

} // namespace

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
        QTemporaryDir user, system;
        const QByteArray gnome = "OnlyShowIn=GNOME;Unity;\nNoDisplay=true\n";
        write(system.filePath("applications/gnome-wifi-panel.desktop"),
              "Name=Wi-Fi\nName[de]=WLAN\nExec=gnome-control-center wifi\n"
              "X-GNOME-Settings-Panel=wifi\nKeywords=Wireless;IP;\n" +
                  gnome);
        write(system.filePath("applications/gnome-sound-panel.desktop"),
              "Name=Sound\nExec=gnome-control-center sound\nX-GNOME-Settings-Panel=sound\n" +
                  gnome);
        write(system.filePath("applications/kde/kcm_pulseaudio.desktop"),
              "Name=Audio\nExec=systemsettings kcm_pulseaudio\nNoDisplay=true\nNotShowIn=GNOME;\n");
        write(system.filePath("applications/xfce-display-settings.desktop"),
              "Name=Display Settings\nExec=xfce4-display-settings\n"
              "Categories=XFCE;GTK;Settings;X-XFCE-SettingsDialog;\n");
        write(system.filePath("applications/nm-connection-editor.desktop"),
              "Name=Old Network\nExec=nm-connection-editor\nCategories=GNOME;Settings;\n");
        // The user's copy hides the system's entry with the same desktop id.
        write(user.filePath("applications/nm-connection-editor.desktop"),
              "Name=Network\nExec=nm-connection-editor\nCategories=Settings;\n");
        write(system.filePath("applications/hidden-settings.desktop"),
              "Name=Hidden\nExec=x\nCategories=Settings;\nNoDisplay=true\n");
        write(system.filePath("applications/editor.desktop"),
              "Name=Editor\nExec=gedit\nCategories=Utility;\n");
        QStringList found;
        for (const SettingsPanelEntry& panel : discoverSettingsPanels(
                 {user.filePath("applications"), system.filePath("applications")},
                 desktops.split(u':', Qt::SkipEmptyParts), "de_DE"))
            found << panel.name;
        found.sort();
        QCOMPARE(found, names);
    }

    void paneSourceOffersNoSeeds() {
        QTemporaryDir dir;
        write(dir.filePath("gnome-wifi-panel.desktop"),
              "Name=Wi-Fi\nExec=gnome-control-center wifi\nX-GNOME-Settings-Panel=wifi\n");
        const SystemSettingsPaneSource source = linuxSystemSettingsPaneSource({dir.path()});
        QVERIFY(source.preferred.isEmpty());
        QCOMPARE(source.discover().value(0).primaryURLString,
                 QUrl::fromLocalFile(dir.filePath("gnome-wifi-panel.desktop")).toString());
    }
};

QTEST_GUILESS_MAIN(TestLinuxSettingsPanels)
#include "tst_linuxsettingspanels.moc"
