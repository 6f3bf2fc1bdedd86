// Our reading of Debian 12's real desktop entries against GLib's own
// (Gio.DesktopAppInfo): which entries a menu lists and under which localised
// name, on several desktops and in several languages.

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

} // namespace

class TestGlibDesktopEntries : public QObject {
    Q_OBJECT
    QTemporaryDir m_allPrograms;
    QTemporaryDir m_somePrograms;

    static QString programOf(const QString& path) {
        const auto entry = parseDesktopEntry(test::readFile(path), path, "C");
        return entry ? entry->exec.section(u' ', 0, 0, QString::SectionSkipEmpty) : QString();
    }

private Q_SLOTS:
    void initTestCase() {
        QProcess probe;
        probe.start(kPython, {"-c", "import gi; gi.require_version('Gio', '2.0')"});
        if (!probe.waitForFinished(60000) || probe.exitCode() != 0)
            QSKIP("python3-gi is not installed (scripts/install-deps.sh installs it)");
        // Stand-ins for the programs the entries run: all of them, or every
        // other one, so that GLib's rule for missing programs is compared too.
        QStringList programs;
        for (const QString& name : QDir(kRealEntries).entryList({"*.desktop"}))
            programs << programOf(kRealEntries + u'/' + name);
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
        const QString bin = (allPrograms ? m_allPrograms : m_somePrograms).path();
        const QList<std::pair<const char*, QString>> environment = {
            {"XDG_CURRENT_DESKTOP", desktop},
            {"LANG", locale[0]},
            {"LANGUAGE", locale[1]},
            {"PATH", bin}};
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        for (const auto& [name, value] : environment)
            qputenv(name, value.toUtf8());

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
};

QTEST_GUILESS_MAIN(TestGlibDesktopEntries)
#include "tst_glibdesktopentries.moc"
