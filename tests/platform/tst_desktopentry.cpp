// Reading desktop entries and turning their Exec lines into commands: quoting,
// value escapes, field codes and localised names, as installed entries use them.

#include "launcher/platform/linux/DesktopEntry.h"
#include "launcher/platform/linux/DesktopEntryExec.h"
#include "tests/support/Files.h"

#include <QtTest>

using namespace trovi::platform;

using OptionalArgs = std::optional<QStringList>;
Q_DECLARE_METATYPE(OptionalArgs)

class TestDesktopEntry : public QObject {
    Q_OBJECT
private Q_SLOTS:
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

    void localisedName() {
        const QByteArray content =
            trovi::test::readFile(TROVI_FIXTURES_DIR "/desktop-entries/localised.desktop");
        // "C" and plain "de" are the command-line test's.
        const QList<std::pair<const char*, const char*>> expectations = {
            {"de_CH", "Dateien (CH)"},
            {"de_AT", "Dateien"}, // the country falls back to the language
            {"sr_RS@latin", "Datoteke"}};
        for (const auto& [locale, name] : expectations)
            QCOMPARE(parseDesktopEntry(content, "/x.desktop", locale).value_or(DesktopEntry()).name,
                     QString(name));
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

    void rejectsFilesWithoutEntryGroup() {
        QCOMPARE(parseDesktopEntry("[Desktop Action x]\nExec=x\n", "/x.desktop", "C"),
                 std::nullopt);
        QCOMPARE(parseDesktopEntry(QByteArray("\0\xff\xfe", 3), "/x.desktop", "C"), std::nullopt);
        QCOMPARE(readDesktopEntry("/nonexistent/nothing.desktop"), std::nullopt);
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
