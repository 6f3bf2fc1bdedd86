// Debian 12's real desktop entries (GNOME 43, KDE Plasma 5.27, XFCE 4.18):
// which ones a menu lists and under which localised name, checked against
// GLib's own reading (Gio.DesktopAppInfo), and what a person types finds the
// settings panel under the name their desktop gives it.

#include "launcher/engine/sources/settingspanes/SystemSettingsPanes.h"
#include "launcher/platform/linux/DesktopApplicationDiscovery.h"
#include "launcher/platform/linux/DesktopEntry.h"
#include "launcher/platform/linux/LinuxSettingsPanels.h"
#include "tests/support/Files.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace trovi;
using namespace trovi::platform;

namespace {

const QString kRealEntries = QStringLiteral(TROVI_FIXTURES_DIR "/debian12/applications");
// Debian's interpreter, where python3-gi is installed.
const QString kPython = QStringLiteral("/usr/bin/python3");

QStringList titles(const QList<SearchResult>& results) {
    QStringList out;
    for (const SearchResult& result : results)
        out << result.displayName();
    return out;
}

} // namespace

class TestDebianDesktopEntries : public QObject {
    Q_OBJECT
    QTemporaryDir m_allPrograms;
    QTemporaryDir m_somePrograms;
    bool m_haveGlib = false;

    // Every case sets all it reads: the cases share one process.
    void setEnvironment(const QString& desktop, const QString& lang, const QString& language = {},
                        const QTemporaryDir* bin = nullptr) {
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
        qputenv("LANG", lang.toUtf8());
        qputenv("LANGUAGE", language.toUtf8());
        qputenv("PATH", (bin ? bin : &m_allPrograms)->path().toUtf8());
    }

private Q_SLOTS:
    void initTestCase() {
        // Stand-ins for the programs the entries run (the machine has none of
        // the desktops installed): all of them, or every other one, so that
        // GLib's rule for missing programs is compared too.
        QStringList programs;
        for (const QString& name : QDir(kRealEntries).entryList({"*.desktop"})) {
            const QString path = kRealEntries + u'/' + name;
            const auto entry = parseDesktopEntry(test::readFile(path), path, "C");
            QVERIFY2(entry, qPrintable(name));
            programs << entry->exec.section(u' ', 0, 0, QString::SectionSkipEmpty);
        }
        programs.removeAll(QString());
        programs.removeDuplicates();
        programs.sort();
        for (qsizetype i = 0; i < programs.size(); ++i) {
            for (const QTemporaryDir* bin : {&m_allPrograms, &m_somePrograms}) {
                if (bin == &m_somePrograms && i % 2 == 1)
                    continue;
                const QString path = bin->filePath(programs[i]);
                QVERIFY(test::writeFile(path, "#!/bin/sh\n"));
                QFile(path).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
            }
        }
        QProcess probe;
        probe.start(kPython, {"-c", "import gi; gi.require_version('Gio', '2.0')"});
        m_haveGlib = probe.waitForFinished(60000) && probe.exitCode() == 0;
    }

    void agreesWithGlib_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QStringList>("locale"); // LANG, LANGUAGE
        QTest::addColumn<bool>("allPrograms");
        QTest::addColumn<bool>("untranslated"); // see the row
        const QList<std::pair<const char*, QStringList>> locales = {
            {"C", {"C", ""}},
            {"de_DE", {"de_DE.UTF-8", ""}},
            {"fr_FR", {"fr_FR.UTF-8", ""}},
            {"LANGUAGE de:en", {"en_US.UTF-8", "de:en"}},
            {"LANGUAGE fr_CA:de", {"en_GB.UTF-8", "fr_CA:de"}},
        };
        for (const char* desktop : {"GNOME", "KDE", "XFCE", "ubuntu:GNOME", ""})
            for (const auto& [name, locale] : locales)
                QTest::addRow("%s %s", *desktop ? desktop : "no desktop", name)
                    << QString(desktop) << locale << true << false;
        // GLib hides an entry whose Exec program is not installed, TryExec
        // or not; so must every list, the settings panels' too.
        QTest::addRow("programs missing, GNOME")
            << "GNOME" << QStringList{"C", ""} << false << false;
        QTest::addRow("programs missing, XFCE") << "XFCE" << QStringList{"C", ""} << false << false;
        // The one justified difference: gettext (and so every translated
        // program) ignores LANGUAGE when the locale is C; GLib reads it anyway.
        QTest::addRow("LANGUAGE under the C locale")
            << "GNOME" << QStringList{"C", "de"} << true << true;
    }
    void agreesWithGlib() {
        QFETCH(QString, desktop);
        QFETCH(QStringList, locale);
        QFETCH(bool, allPrograms);
        QFETCH(bool, untranslated);
        if (!m_haveGlib)
            QSKIP("python3-gi is not installed (scripts/install-deps.sh installs it)");
        setEnvironment(desktop, locale[0], locale[1],
                       allPrograms ? &m_allPrograms : &m_somePrograms);

        QProcess glib;
        glib.start(kPython, {TROVI_TEST_SOURCE_DIR "/glib_desktop_entries.py", kRealEntries});
        QVERIFY(glib.waitForFinished(120000));
        QCOMPARE(glib.exitCode(), 0);
        const QJsonObject reference =
            QJsonDocument::fromJson(glib.readAllStandardOutput()).object();
        QCOMPARE(reference.size(), QDir(kRealEntries).entryList({"*.desktop"}).size());

        // Listed: an application row, or a settings panel a menu shows.
        QSet<QString> listed;
        for (const SearchResult& app : discoverDesktopApplications({kRealEntries}))
            listed.insert(app.filename);
        for (const SettingsPanelEntry& panel :
             discoverSettingsPanels({kRealEntries}, currentDesktopNames(), currentMessageLocale()))
            if (const auto entry = readDesktopEntry(panel.filePath); entry && !entry->noDisplay)
                listed.insert(QFileInfo(panel.filePath).fileName());

        QStringList disagreements;
        for (auto it = reference.constBegin(); it != reference.constEnd(); ++it) {
            const QJsonObject glibEntry = it.value().toObject();
            const auto entry = readDesktopEntry(kRealEntries + u'/' + it.key());
            QVERIFY(entry);
            const bool loaded = entry->type == u"Application" && entry->programsFound();
            if (loaded != glibEntry["loaded"].toBool())
                disagreements << it.key() + (loaded ? " loaded" : " not loaded");
            if (listed.contains(it.key()) != glibEntry["shown"].toBool())
                disagreements << it.key() + (listed.contains(it.key()) ? " listed" : " not listed");
            if (!glibEntry["loaded"].toBool())
                continue;
            const QString expected =
                untranslated ? entry->untranslatedName : glibEntry["name"].toString();
            if (entry->name != expected)
                disagreements << it.key() + ": " + entry->name + " != " + expected;
        }
        QVERIFY2(disagreements.isEmpty(), qPrintable(disagreements.join("; ")));
    }

    void queryFindsTheDesktopsPanel_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("panel");
        const auto row = [](const char* desktop, const char* language, const char* query,
                            const char* panel) {
            QTest::addRow("%s %s %s", desktop, language, query)
                << QString(desktop) << QString(language) << QString(query) << QString(panel);
        };
        // Most of GNOME's panels say so only in their categories.
        row("GNOME", "", "displays", "Displays");
        row("GNOME", "", "wlan", "Wi-Fi");
        row("GNOME", "", "bluetooth", "Bluetooth");
        row("GNOME", "", "printers", "Printers");
        row("GNOME", "", "mouse", "Mouse & Touchpad");
        row("GNOME", "", "keyboard", "Keyboard");
        row("GNOME", "", "power", "Power");
        row("GNOME", "de:en", "bildschirme", "Bildschirme");
        row("GNOME", "de:en", "hintergrund", "Erscheinungsbild");
        row("GNOME", "de:en", "wlan", "WLAN");
        row("GNOME", "de:en", "tastatur", "Tastatur");
        row("ubuntu:GNOME", "", "bluetooth", "Bluetooth");
        row("KDE", "", "display", "Display Configuration");
        row("KDE", "", "bluetooth", "Bluetooth");
        row("KDE", "", "printers", "Printers");
        row("KDE", "", "mouse", "Mouse");
        row("KDE", "", "keyboard", "Keyboard");
        row("KDE", "", "power", "Energy Saving");
        row("KDE", "de:en", "maus", "Maus");
        row("XFCE", "", "display", "Display");
        row("XFCE", "", "mouse", "Mouse and Touchpad");
        row("XFCE", "", "keyboard", "Keyboard");
        row("XFCE", "", "power", "Power Manager");
        row("XFCE", "", "bluetooth", "Bluetooth Manager");
        row("XFCE", "de:en", "maus", "Maus und Touchpad");
        // A Name is shown as written, not split into words.
        row("X-Generic", "", "arandr", "ARandR");
        row("X-Generic", "", "pulseaudio", "PulseAudio Volume Control");
        row("X-Generic", "", "print", "Print Settings");
    }
    void queryFindsTheDesktopsPanel() {
        QFETCH(QString, desktop);
        QFETCH(QString, language);
        QFETCH(QString, query);
        QFETCH(QString, panel);
        setEnvironment(desktop, "en_US.UTF-8", language);
        const SystemSettingsPaneSource source = linuxSystemSettingsPaneSource({kRealEntries});
        const QList<SearchResult> found =
            searchSystemSettingsActionResults(query, source.discover(), {});
        QVERIFY2(titles(found).contains(panel), qPrintable(titles(found).join(", ")));
    }

    // A one-letter word of a name never matches inside a query's words.
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
        setEnvironment("XFCE", "C");
        const QString pavucontrol = kRealEntries + "/pavucontrol.desktop";
        int rows = 0;
        for (const SearchResult& app : discoverDesktopApplications({kRealEntries}))
            rows += app.fullPath() == pavucontrol;
        for (const SystemSettingsShortcut& pane :
             linuxSystemSettingsPaneSource({kRealEntries}).discover())
            rows += pane.primaryURLString == QUrl::fromLocalFile(pavucontrol).toString();
        QCOMPARE(rows, 1);
    }
};

QTEST_GUILESS_MAIN(TestDebianDesktopEntries)
#include "tst_debiandesktopentries.moc"
