// Settings panels as Debian 12's desktops ship them (GNOME 43, KDE Plasma
// 5.27, XFCE 4.18): what a person types finds the panel under the name their
// desktop gives it.

#include "launcher/engine/sources/settingspanes/SystemSettingsPanes.h"
#include "launcher/platform/linux/DesktopApplicationDiscovery.h"
#include "launcher/platform/linux/LinuxSettingsPanels.h"
#include "tests/support/Files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace trovi;
using namespace trovi::platform;

namespace {

const QString kRealEntries = QStringLiteral(TROVI_FIXTURES_DIR "/debian12/applications");

// The environment a case runs in, restored afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, QString>> values) {
        for (const auto& [name, value] : values) {
            m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value.toUtf8());
        }
    }
    ~ScopedEnvironment() {
        for (const Saved& saved : m_saved) {
            if (saved.wasSet)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }

private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    QList<Saved> m_saved;
};

QStringList titles(const QList<SearchResult>& results) {
    QStringList out;
    for (const SearchResult& result : results)
        out << result.displayName();
    return out;
}

} // namespace

class TestLinuxSettingsPanels : public QObject {
    Q_OBJECT
    QTemporaryDir m_bin;

private Q_SLOTS:
    void initTestCase() {
        // Every program the real entries run, so that none is hidden for a
        // missing program; the machine has none of the desktops installed.
        QVERIFY(m_bin.isValid());
        QDir entries(kRealEntries);
        for (const QString& name : entries.entryList({"*.desktop"})) {
            const auto entry = parseDesktopEntry(test::readFile(entries.filePath(name)),
                                                 entries.filePath(name), "C");
            QVERIFY(entry);
            const QString program = entry->exec.section(u' ', 0, 0, QString::SectionSkipEmpty);
            const QString path = m_bin.filePath(program);
            if (program.isEmpty() || QFile::exists(path))
                continue;
            QVERIFY(test::writeFile(path, "#!/bin/sh\n"));
            QFile(path).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        }
        qputenv("PATH", m_bin.path().toUtf8());
    }

    void queryFindsTheDesktopsPanel_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("panel");
        const QString none;
        // Most of GNOME's panels say so only in their categories.
        QTest::addRow("GNOME displays") << "GNOME" << none << "displays"
                                        << "Displays";
        QTest::addRow("GNOME wlan") << "GNOME" << none << "wlan"
                                    << "Wi-Fi";
        QTest::addRow("GNOME bluetooth") << "GNOME" << none << "bluetooth"
                                         << "Bluetooth";
        QTest::addRow("GNOME printers") << "GNOME" << none << "printers"
                                        << "Printers";
        QTest::addRow("GNOME mouse") << "GNOME" << none << "mouse"
                                     << "Mouse & Touchpad";
        QTest::addRow("GNOME keyboard") << "GNOME" << none << "keyboard"
                                        << "Keyboard";
        QTest::addRow("GNOME power") << "GNOME" << none << "power"
                                     << "Power";
        QTest::addRow("GNOME German displays") << "GNOME"
                                               << "de:en"
                                               << "bildschirme"
                                               << "Bildschirme";
        QTest::addRow("GNOME German wallpaper") << "GNOME"
                                                << "de:en"
                                                << "hintergrund"
                                                << "Erscheinungsbild";
        QTest::addRow("GNOME German wlan") << "GNOME"
                                           << "de:en"
                                           << "wlan"
                                           << "WLAN";
        QTest::addRow("GNOME German keyboard") << "GNOME"
                                               << "de:en"
                                               << "tastatur"
                                               << "Tastatur";
        QTest::addRow("Ubuntu's GNOME") << "ubuntu:GNOME" << none << "bluetooth"
                                        << "Bluetooth";
        QTest::addRow("KDE displays") << "KDE" << none << "display"
                                      << "Display Configuration";
        QTest::addRow("KDE bluetooth") << "KDE" << none << "bluetooth"
                                       << "Bluetooth";
        QTest::addRow("KDE printers") << "KDE" << none << "printers"
                                      << "Printers";
        QTest::addRow("KDE mouse") << "KDE" << none << "mouse"
                                   << "Mouse";
        QTest::addRow("KDE keyboard") << "KDE" << none << "keyboard"
                                      << "Keyboard";
        QTest::addRow("KDE power") << "KDE" << none << "power"
                                   << "Energy Saving";
        QTest::addRow("KDE German mouse") << "KDE"
                                          << "de:en"
                                          << "maus"
                                          << "Maus";
        QTest::addRow("XFCE displays") << "XFCE" << none << "display"
                                       << "Display";
        QTest::addRow("XFCE mouse") << "XFCE" << none << "mouse"
                                    << "Mouse and Touchpad";
        QTest::addRow("XFCE keyboard") << "XFCE" << none << "keyboard"
                                       << "Keyboard";
        QTest::addRow("XFCE power") << "XFCE" << none << "power"
                                    << "Power Manager";
        QTest::addRow("XFCE bluetooth") << "XFCE" << none << "bluetooth"
                                        << "Bluetooth Manager";
        QTest::addRow("XFCE German mouse") << "XFCE"
                                           << "de:en"
                                           << "maus"
                                           << "Maus und Touchpad";
    }
    void queryFindsTheDesktopsPanel() {
        QFETCH(QString, desktop);
        QFETCH(QString, language);
        QFETCH(QString, query);
        QFETCH(QString, panel);
        const ScopedEnvironment environment{{"XDG_CURRENT_DESKTOP", desktop},
                                            {"LANGUAGE", language},
                                            {"LC_ALL", QString()},
                                            {"LC_MESSAGES", QString()},
                                            {"LANG", "en_US.UTF-8"}};
        const SystemSettingsPaneSource source = linuxSystemSettingsPaneSource({kRealEntries});
        const QList<SearchResult> found =
            searchSystemSettingsActionResults(query, source.discover(), {});
        QVERIFY2(titles(found).contains(panel), qPrintable(titles(found).join(", ")));
    }

    // A Name is shown as written, and a one-letter word of it never matches
    // inside a query's words.
    void namesAsWrittenAndNoOneLetterMatches_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("forbidden");
        QTest::addColumn<QString>("expected");
        QTest::addRow("ARandR keeps its name") << "arandr" << QStringList{"ARand R"} << "ARandR";
        QTest::addRow("PulseAudio keeps its name")
            << "pulseaudio" << QStringList{"Pulse Audio Volume Control"}
            << "PulseAudio Volume Control";
        QTest::addRow("Print Settings keeps Settings")
            << "print" << QStringList{"Print"} << "Print Settings";
        QTest::addRow("an r inside firefox")
            << "firefox" << QStringList{"ARandR", "ARand R"} << QString();
        QTest::addRow("an r inside terminal")
            << "terminal" << QStringList{"ARandR", "ARand R"} << QString();
    }
    void namesAsWrittenAndNoOneLetterMatches() {
        QFETCH(QString, query);
        QFETCH(QStringList, forbidden);
        QFETCH(QString, expected);
        const ScopedEnvironment environment{
            {"XDG_CURRENT_DESKTOP", "X-Generic"}, {"LANGUAGE", QString()}, {"LC_ALL", "C"}};
        const QStringList found = titles(searchSystemSettingsActionResults(
            query, linuxSystemSettingsPaneSource({kRealEntries}).discover(), {}));
        for (const QString& name : forbidden)
            QVERIFY2(!found.contains(name), qPrintable(found.join(", ")));
        if (!expected.isEmpty())
            QVERIFY2(found.contains(expected), qPrintable(found.join(", ")));
    }

    void oneLetterWordMatchesOnlyAsAWord_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("found");
        QTest::addRow("inside firefox") << "firefox" << false;
        QTest::addRow("inside terminal") << "terminal" << false;
        QTest::addRow("a word of the query") << "r console" << true;
    }
    void oneLetterWordMatchesOnlyAsAWord() {
        QFETCH(QString, query);
        QFETCH(bool, found);
        const SystemSettingsShortcut pane{
            "R Console", "System Settings", "file:///r.desktop", std::nullopt, {"r"}};
        QCOMPARE(searchSystemSettingsActionResults(query, {pane}, {}).size(), found ? 1 : 0);
    }

    // pavucontrol is a settings dialog and an application: one row, not two.
    void applicationThatIsAPanelIsOfferedOnce() {
        const ScopedEnvironment environment{{"XDG_CURRENT_DESKTOP", "XFCE"}, {"LC_ALL", "C"}};
        const QString pavucontrol = kRealEntries + "/pavucontrol.desktop";
        int rows = 0;
        for (const SearchResult& app : discoverDesktopApplications({kRealEntries}))
            rows += app.fullPath() == pavucontrol;
        for (const SystemSettingsShortcut& pane :
             linuxSystemSettingsPaneSource({kRealEntries}).discover())
            rows += pane.primaryURLString == QUrl::fromLocalFile(pavucontrol).toString();
        QCOMPARE(rows, 1);
    }

    void panelWhoseProgramIsGoneIsHidden() {
        // GLib hides an entry whose Exec program is not installed, TryExec or not.
        QTemporaryDir apps;
        QVERIFY(test::writeFile(apps.filePath("gone.desktop"),
                                "[Desktop Entry]\nType=Application\nName=Gone\n"
                                "Exec=no-such-program-anywhere %U\nCategories=Settings;\n"));
        QVERIFY(test::writeFile(apps.filePath("here.desktop"),
                                "[Desktop Entry]\nType=Application\nName=Here\n"
                                "Exec=xfce4-mouse-settings\nCategories=Settings;\n"));
        QStringList names;
        for (const SettingsPanelEntry& panel : discoverSettingsPanels({apps.path()}, {"XFCE"}, "C"))
            names << panel.name;
        QCOMPARE(names, QStringList{"Here"});
    }
};

QTEST_GUILESS_MAIN(TestLinuxSettingsPanels)
#include "tst_debiandesktopentries.moc"
