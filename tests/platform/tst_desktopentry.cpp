// Reading desktop entries and turning their Exec lines into commands: quoting,
// value escapes, field codes and localised names, as installed entries use them.

#include "launcher/platform/linux/DesktopEntry.h"
#include "launcher/platform/linux/DesktopEntryExec.h"

#include <QtTest>

using namespace trovi::platform;

using OptionalArgs = std::optional<QStringList>;
Q_DECLARE_METATYPE(OptionalArgs)

class TestDesktopEntry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void splitsExecLines_data();
    void splitsExecLines();
    void expandsFieldCodes_data();
    void expandsFieldCodes();
    void valueEscapesApplyBeforeQuoting();
    void localisedName_data();
    void localisedName();
    void readsOnlyTheEntryGroup();
    void toleratesUntidyFiles();
    void rejectsFilesWithoutEntryGroup();
};

void TestDesktopEntry::splitsExecLines_data() {
    QTest::addColumn<QString>("exec");
    QTest::addColumn<OptionalArgs>("expected");

    QTest::addRow("program only") << "gimp" << OptionalArgs(QStringList{"gimp"});
    QTest::addRow("blanks and tabs separate")
        << "prog  a\tb " << OptionalArgs({{"prog", "a", "b"}});
    QTest::addRow("quoted program path")
        << R"("/opt/My App/run" --x)" << OptionalArgs({{"/opt/My App/run", "--x"}});
    QTest::addRow("escapes inside double quotes")
        << R"(prog "say \"hi\"" "\$HOME" "a\\b" "\`x\`")"
        << OptionalArgs({{"prog", R"(say "hi")", "$HOME", R"(a\b)", "`x`"}});
    QTest::addRow("other backslash in quotes stays")
        << R"(prog "a\nb")" << OptionalArgs({{"prog", R"(a\nb)"}});
    QTest::addRow("empty quoted argument") << R"(prog "")" << OptionalArgs({{"prog", ""}});
    QTest::addRow("single quotes")
        << "prog 'two words' 'a\"b'" << OptionalArgs({{"prog", "two words", "a\"b"}});
    QTest::addRow("backslash outside quotes") << R"(prog a\ b)" << OptionalArgs({{"prog", "a b"}});
    QTest::addRow("quoted part joins its argument")
        << R"(prog --name="a b")" << OptionalArgs({{"prog", "--name=a b"}});
    QTest::addRow("empty line") << "" << OptionalArgs(QStringList{});
    QTest::addRow("unterminated double quote") << R"(prog "abc)" << OptionalArgs();
    QTest::addRow("unterminated single quote") << "prog 'abc" << OptionalArgs();
}

void TestDesktopEntry::splitsExecLines() {
    QFETCH(QString, exec);
    QFETCH(OptionalArgs, expected);
    QCOMPARE(splitExecLine(exec), expected);
}

void TestDesktopEntry::expandsFieldCodes_data() {
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<OptionalArgs>("expected");
    const QList<QUrl> none;
    const QUrl fileA = QUrl::fromLocalFile("/home/u/a b.txt");
    const QUrl fileB = QUrl::fromLocalFile("/home/u/c.txt");
    const QUrl web("https://example.org/x?y=1");
    const QList<QUrl> mixed{fileA, web, fileB};

    QTest::addRow("file list without files") << "demo %U"
                                             << "" << none << OptionalArgs({{"demo"}});
    QTest::addRow("%%f takes the first local file")
        << "demo %f"
        << "" << mixed << OptionalArgs({{"demo", "/home/u/a b.txt"}});
    QTest::addRow("%%F takes local files only")
        << "demo %F"
        << "" << mixed << OptionalArgs({{"demo", "/home/u/a b.txt", "/home/u/c.txt"}});
    QTest::addRow("%%u takes the first URL")
        << "demo %u"
        << "" << QList<QUrl>{web, fileA} << OptionalArgs({{"demo", "https://example.org/x?y=1"}});
    QTest::addRow("%%U takes everything")
        << "demo %U"
        << "" << mixed
        << OptionalArgs(
               {{"demo", "/home/u/a b.txt", "https://example.org/x?y=1", "/home/u/c.txt"}});
    QTest::addRow("%%i %%c %%k") << "demo %i %c %k"
                                 << "demo-icon" << none
                                 << OptionalArgs({{"demo", "--icon", "demo-icon", "Demo App",
                                                   "/usr/share/applications/demo.desktop"}});
    QTest::addRow("%%i without icon vanishes") << "demo %i -x"
                                               << "" << none << OptionalArgs({{"demo", "-x"}});
    QTest::addRow("code inside an argument")
        << "demo --title=%c"
        << "" << none << OptionalArgs({{"demo", "--title=Demo App"}});
    QTest::addRow("empty file inside an argument stays")
        << "demo --file=%f"
        << "" << none << OptionalArgs({{"demo", "--file="}});
    QTest::addRow("%%%% is a percent sign") << "demo 100%% %%u"
                                            << "" << none << OptionalArgs({{"demo", "100%", "%u"}});
    QTest::addRow("quoted %%%% inside a shell line")
        << R"(sh -c "echo %%f; exec demo")"
        << "" << none << OptionalArgs({{"sh", "-c", "echo %f; exec demo"}});
    QTest::addRow("deprecated codes vanish") << "demo %d %D %n %N %v %m"
                                             << "" << none << OptionalArgs({{"demo"}});
    QTest::addRow("unknown code vanishes") << "demo %x -y"
                                           << "" << none << OptionalArgs({{"demo", "-y"}});
    QTest::addRow("quoted program with codes")
        << R"("/opt/Demo App/demo" --new-window %U)"
        << "" << QList<QUrl>{web}
        << OptionalArgs({{"/opt/Demo App/demo", "--new-window", "https://example.org/x?y=1"}});
    QTest::addRow("missing Exec") << ""
                                  << "" << none << OptionalArgs();
    QTest::addRow("only a field code") << "%F"
                                       << "" << none << OptionalArgs();
    QTest::addRow("malformed quoting") << R"(demo "x)"
                                       << "" << none << OptionalArgs();
}

void TestDesktopEntry::expandsFieldCodes() {
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

void TestDesktopEntry::valueEscapesApplyBeforeQuoting() {
    // In the file, a literal backslash inside a quoted argument takes four.
    const QByteArray content = "[Desktop Entry]\n"
                               "Type=Application\n"
                               "Exec=demo \"a\\\\\\\\b\" x\\sy \"tab\\there\"\n";
    const auto entry = parseDesktopEntry(content, "/x.desktop", "C");
    QVERIFY(entry);
    QCOMPARE(desktopEntryCommandLine(*entry),
             OptionalArgs({{"demo", R"(a\b)", "x", "y", "tab\there"}}));
}

void TestDesktopEntry::localisedName_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("name");

    QTest::addRow("no locale") << ""
                               << "Files";
    QTest::addRow("C locale") << "C"
                              << "Files";
    QTest::addRow("language") << "de"
                              << "Dateien";
    QTest::addRow("language and country") << "de_CH"
                                          << "Dateien (CH)";
    QTest::addRow("country falls back to language") << "de_AT"
                                                    << "Dateien";
    QTest::addRow("modifier") << "sr_RS@latin"
                              << "Datoteke";
    QTest::addRow("untranslated language") << "fr_FR"
                                           << "Files";
}

void TestDesktopEntry::localisedName() {
    QFETCH(QString, locale);
    QFETCH(QString, name);
    const QByteArray content = "[Desktop Entry]\n"
                               "Name=Files\n"
                               "Name[de]=Dateien\n"
                               "Name[de_CH]=Dateien (CH)\n"
                               "Name[sr@latin]=Datoteke\n"
                               "Name[sr]=Датотеке\n";
    const auto entry = parseDesktopEntry(content, "/x.desktop", locale);
    QVERIFY(entry);
    QCOMPARE(entry->name, name);
}

void TestDesktopEntry::readsOnlyTheEntryGroup() {
    const QByteArray content = "Exec=before-any-group\n"
                               "[Desktop Entry]\n"
                               "Type=Application\n"
                               "Name=Editor\n"
                               "Exec=editor %F\n"
                               "Icon=editor\n"
                               "Path=/srv/work\n"
                               "Terminal=true\n"
                               "[Desktop Action new-window]\n"
                               "Name=New Window\n"
                               "Exec=editor --new-window\n";
    const auto entry = parseDesktopEntry(content, "/apps/editor.desktop", "C");
    QVERIFY(entry);
    QCOMPARE(entry->type, "Application");
    QCOMPARE(entry->name, "Editor");
    QCOMPARE(entry->exec, "editor %F");
    QCOMPARE(entry->icon, "editor");
    QCOMPARE(entry->workingDir, "/srv/work");
    QVERIFY(entry->terminal);
    QCOMPARE(entry->filePath, "/apps/editor.desktop");
}

void TestDesktopEntry::toleratesUntidyFiles() {
    const QByteArray content = "# comment\r\n"
                               "\r\n"
                               "[Desktop Entry]\r\n"
                               "Name = Spaced\r\n"
                               "Exec=first\r\n"
                               "Exec=second\r\n"
                               "garbage line\r\n"
                               "=no key\r\n"
                               "Terminal=false\r\n";
    const auto entry = parseDesktopEntry(content, "/x.desktop", "C");
    QVERIFY(entry);
    QCOMPARE(entry->name, "Spaced");
    QCOMPARE(entry->exec, "first");
    QVERIFY(!entry->terminal);
}

void TestDesktopEntry::rejectsFilesWithoutEntryGroup() {
    QCOMPARE(parseDesktopEntry("Exec=x\n", "/x.desktop", "C"), std::nullopt);
    QCOMPARE(parseDesktopEntry("[Desktop Action x]\nExec=x\n", "/x.desktop", "C"), std::nullopt);
    QCOMPARE(parseDesktopEntry(QByteArray("\0\xff\xfe", 3), "/x.desktop", "C"), std::nullopt);
    QCOMPARE(readDesktopEntry("/nonexistent/nothing.desktop"), std::nullopt);
}

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
