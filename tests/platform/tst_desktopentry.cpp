// Reading desktop entries and turning their Exec lines into commands: quoting,
// value escapes, field codes and localised names, as installed entries use
// them; and the folders of entries as the launcher's app records.

#include "launcher/engine/sources/paths/DesktopApplicationDirectories.h"
#include "launcher/platform/linux/DesktopApplicationDiscovery.h"
#include "launcher/platform/linux/DesktopEntry.h"
#include "launcher/platform/linux/DesktopEntryExec.h"
#include "tests/support/Files.h"

#include <QtTest>

using namespace trovi;
using namespace trovi::platform;

using OptionalArgs = std::optional<QStringList>;
Q_DECLARE_METATYPE(OptionalArgs)

class TestDesktopEntry : public QObject {
    Q_OBJECT
    QTemporaryDir m_bin;

private Q_SLOTS:
    void initTestCase() {
        // The fixtures' entries run "app"; an entry whose program is not
        // installed is hidden.
        QFile app(m_bin.filePath("app"));
        QVERIFY(app.open(QIODevice::WriteOnly));
        app.close();
        app.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", (m_bin.path() + ":" + qEnvironmentVariable("PATH")).toUtf8());
    }

    // Defined below the class: moc cannot read the raw strings in it.
    void commandLine_data();
    void commandLine() {
        QFETCH(QString, exec);
        QFETCH(QString, icon);
        QFETCH(QList<QUrl>, urls);
        QFETCH(OptionalArgs, expected);
        DesktopEntry entry;
        entry.filePath = "/usr/share/applications/demo.desktop";
        entry.name = "Demo App";
        entry.icon = icon;
        entry.exec = exec;
        QCOMPARE(desktopEntryCommandLine(entry, urls), expected);
    }

    void valueEscapesApplyBeforeQuoting() {
        // In the file, a literal backslash inside a quoted argument takes four.
        const QByteArray content = "[Desktop Entry]\n"
                                   "Exec=demo \"a\\\\\\\\b\" x\\sy \"tab\\there\"\n";
        const auto entry = parseDesktopEntry(content, "/x.desktop", "C");
        QVERIFY(entry);
        QCOMPARE(desktopEntryCommandLine(*entry),
                 OptionalArgs({{"demo", R"(a\b)", "x", "y", "tab\there"}}));
    }

    void readsOnlyTheEntryGroupOfUntidyFiles() {
        // Keys before the group, comments, CRLF lines, repeated and malformed keys.
        const QByteArray content =
            trovi::test::readFile(TROVI_FIXTURES_DIR "/desktop-entries/untidy.desktop");
        const auto entry = parseDesktopEntry(content, "/apps/editor.desktop", "C");
        QVERIFY(entry);
        QCOMPARE(entry->type, "Application");
        QCOMPARE(entry->name, "Editor");
        QCOMPARE(entry->exec, "editor %F");
        QCOMPARE(entry->workingDir, "/srv/work");
        QVERIFY(entry->terminal);
    }

    // gettext's order: LANGUAGE unless the locale is C, then LC_ALL,
    // LC_MESSAGES, LANG.
    void messageLanguages_data() {
        QTest::addColumn<QStringList>("environment"); // LANGUAGE, LC_ALL, LC_MESSAGES, LANG
        QTest::addColumn<QString>("name");
        QTest::addRow("LANGUAGE first") << QStringList{"de:en", "", "", "en_US.UTF-8"} << "Dateien";
        QTest::addRow("LANGUAGE ignored under C")
            << QStringList{"de:en", "", "", "C.UTF-8"} << "Files";
        QTest::addRow("LANGUAGE's later choice")
            << QStringList{"xx:sr_RS@latin", "", "", "en_US"} << "Datoteke";
        QTest::addRow("LC_ALL over LANG")
            << QStringList{"", "de_CH.UTF-8", "", "fr_FR"} << "Dateien (CH)";
        QTest::addRow("LC_MESSAGES over LANG") << QStringList{"", "", "de_AT", "C"} << "Dateien";
    }
    void messageLanguages() {
        QFETCH(QStringList, environment);
        QFETCH(QString, name);
        const char* variables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
        for (int i = 0; i < 4; ++i)
            qputenv(variables[i], environment[i].toUtf8());
        const QByteArray content =
            trovi::test::readFile(TROVI_FIXTURES_DIR "/desktop-entries/localised.desktop");
        QCOMPARE(parseDesktopEntry(content, "/x.desktop", currentMessageLocale())->name, name);
        qputenv("LC_ALL", "C.UTF-8");
        qunsetenv("LANGUAGE");
    }

    void keywordsAreKeptOnceAndCapped() {
        // A hostile entry's hundred thousand keywords must not cost every
        // refresh and search a quadratic scan.
        QByteArray content = "[Desktop Entry]\nName=Many\nKeywords[de]=drei;eins;\nKeywords=";
        for (int i = 0; i < 20000; ++i)
            content += "word" + QByteArray::number(i) + ";";
        content += "\n";
        const auto entry = parseDesktopEntry(content, "/x.desktop", "de");
        QVERIFY(entry);
        QCOMPARE(entry->keywords.size(), 256);
        QCOMPARE(entry->keywords.mid(0, 3), (QStringList{"drei", "eins", "word0"}));
        QCOMPARE(QSet<QString>(entry->keywords.cbegin(), entry->keywords.cend()).size(), 256);
    }

    void rejectsFilesWithoutEntryGroup() {
        QCOMPARE(parseDesktopEntry("[Desktop Action x]\nExec=x\n", "/x.desktop", "C"),
                 std::nullopt);
        QCOMPARE(parseDesktopEntry(QByteArray("\0\xff\xfe", 3), "/x.desktop", "C"), std::nullopt);
        QCOMPARE(readDesktopEntry("/nonexistent/nothing.desktop"), std::nullopt);
    }

    void listsVisibleApplicationsAndHonoursOverrides() {
        // The user's viewer wins over the system's; the user's removed entry
        // hides the system's; helpers, links, other desktops' entries, other
        // files and programs that are not installed (TryExec or Exec) stay out.
        const QString user = TROVI_FIXTURES_DIR "/applications/user/applications";
        const QString system = TROVI_FIXTURES_DIR "/applications/system/applications";
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");

        const auto results = discoverDesktopApplications({user, system, user + "/no"});
        QStringList found;
        for (const auto& r : results) {
            found.append(r.fullPath());
            QVERIFY(r.kind == SearchResultKind::app && r.id == stableNegativeID(r.fullPath()));
        }
        found.sort();
        QCOMPARE(found, (QStringList{system + "/action.desktop", system + "/editor.desktop",
                                     system + "/gnome.desktop", system + "/kde/tool.desktop",
                                     system + "/present.desktop", user + "/viewer.desktop"}));
        const auto web = std::find_if(results.cbegin(), results.cend(),
                                      [](const auto& r) { return r.filename == "gnome.desktop"; });
        QCOMPARE(web->title, std::optional<QString>("App"));
        QCOMPARE(web->keywords, std::optional<QString>("Web Browser;internet;www"));
        QCOMPARE(web->iconName, std::optional<QString>("org.example.Web"));
    }

    void defaultFoldersFollowXdgVariables() {
        qputenv("XDG_DATA_HOME", "/data/home");
        qputenv("XDG_DATA_DIRS", "/one:relative:/two/");
        const QStringList dirs = defaultDesktopApplicationDirectories("/home/u");
        QCOMPARE(dirs.first(), "/data/home/applications");
        // The user's flatpak exports come next; relative entries are ignored.
        QCOMPARE(dirs.mid(2, 2), (QStringList{"/one/applications", "/two/applications"}));
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");
        const QStringList defaults = defaultDesktopApplicationDirectories("/home/u");
        QCOMPARE(defaults.first(), "/home/u/.local/share/applications");
        QVERIFY(defaults.contains("/usr/share/applications"));
    }
};

void TestDesktopEntry::commandLine_data() {
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<OptionalArgs>("expected");
    const auto row = [](const char* exec, OptionalArgs expected, const QList<QUrl>& urls = {},
                        const char* icon = "") {
        QTest::newRow(exec) << QString(exec) << QString(icon) << urls << expected;
    };
    const QList<QUrl> urls{QUrl::fromLocalFile("/home/u/a b.txt"),
                           QUrl("https://example.org/x?y=1"), QUrl::fromLocalFile("/home/u/c.txt")};

    // Quoting.
    row("\"/opt/My App/run\"  --x\t-y", QStringList{"/opt/My App/run", "--x", "-y"});
    row(R"(prog "say \"hi\"" "\$HOME" "a\\b" "\`x\`" "a\nb")",
        QStringList{"prog", R"(say "hi")", "$HOME", R"(a\b)", "`x`", R"(a\nb)"});
    row(R"(prog 'two words' a\ b "")", QStringList{"prog", "two words", "a b", ""});
    row(R"(prog --name="a b")", QStringList{"prog", "--name=a b"});
    row(R"(prog "abc)", std::nullopt);
    row("", std::nullopt);

    // Field codes: %f and %F take local files only, %u and %U everything.
    row("demo %f", QStringList{"demo", "/home/u/a b.txt"}, urls);
    row("demo %F", QStringList{"demo", "/home/u/a b.txt", "/home/u/c.txt"}, urls);
    row("demo %U",
        QStringList{"demo", "/home/u/a b.txt", "https://example.org/x?y=1", "/home/u/c.txt"}, urls);
    row("demo %i --title=%c %k",
        QStringList{"demo", "--icon", "demo-icon", "--title=Demo App",
                    "/usr/share/applications/demo.desktop"},
        {}, "demo-icon");
    // Without an icon %i vanishes, like deprecated and unknown codes.
    row("demo %i %d %D %n %N %v %m %x -y", QStringList{"demo", "-y"});
    row("demo --file=%f", QStringList{"demo", "--file="});
    row(R"(sh -c "echo %%f; exec demo" 100%%)",
        QStringList{"sh", "-c", "echo %f; exec demo", "100%"});
    row("%F", std::nullopt);
}

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
