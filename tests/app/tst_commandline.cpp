// The `trovi` executable driven as a child process against a temporary home.

#include "db/SqliteDatabase.h"
#include "tests/support/ArgosStandIn.h"
#include "tests/support/Files.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/NotionFixtures.h"
#include "tests/support/RecordingScript.h"
#include "tests/support/TroviHome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using trovi::test::readFile;
using trovi::test::writeFile;

namespace {

using Run = trovi::test::TroviRun;

class TempHome : public trovi::test::TroviHome {
public:
    QJsonArray query(const QString& text, const QStringList& env = {}) const {
        return QJsonDocument::fromJson(run({"query", "--json", text}, env).out).array();
    }
    QJsonObject first(const QString& text, const QStringList& env = {}) const {
        return query(text, env).first().toObject();
    }
};

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Exit code, and a text each stream must contain ("" for no check).
    void exitCodes_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const auto row = [](const char* name, QStringList arguments, int code, const char* out,
                            const char* err) {
            QTest::newRow(name) << arguments << code << QString(out) << QString(err);
        };
        row("version", {"--version"}, 0, "trovi ", "");
        row("help", {"--help"}, 0, "trovi query", "");
        row("unknown option", {"--frobnicate"}, 2, "", "Usage:");
        row("unknown command", {"launch"}, 2, "", "Usage:");
        row("query option", {"query", "--xml", "a"}, 2, "", "Usage:");
        row("query without text", {"query", "--json"}, 2, "", "Usage:");
        row("open bad index", {"open", "--index", "x", "a"}, 2, "", "Usage:");
        row("launcher without a display", {}, 1, "", "trovi: ");
        row("blank query", {"query", "--json", "   "}, 0, "[\n]", "");
        row("nothing to open", {"open", "--dry-run", "zzzz-nothing"}, 1, "", "no results");
        row("copy without a display prints the value", {"open", "6*7"}, 1, "42", "could not");
        row("unknown setting", {"config", "get", "launcherNoSuchKey"}, 2, "", "unknown preference");
        row("setting value refused", {"config", "set", "launcherHotKeyCharacter", "ab"}, 1, "",
            "trovi: ");
    }
    void exitCodes() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run run = TempHome().run(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.out.contains(out.toUtf8()), run.out.constData());
        QVERIFY2(run.err.contains(err.toUtf8()), run.err.constData());
        if (exitCode == 2)
            QVERIFY(run.out.isEmpty() && run.err.startsWith("trovi: "));
    }

    void dryRunOpenIsLearned() {
        TempHome home;
        const QString folder = home.mkdir("work/Invoices");
        const Run open = home.run({"open", "--dry-run", "invoices"});
        QCOMPARE(open.exitCode, 0);
        QCOMPARE(open.out.trimmed(), ("open " + folder).toUtf8());

        const QJsonObject first = home.first("invoices");
        QCOMPARE(first["kind"].toString(), "folder");
        QCOMPARE(first["fullPath"].toString(), folder);
        QCOMPARE(first["title"].toString(), "Invoices");
        QVERIFY(first.contains("relevanceScore"));
        QVERIFY(!first.contains("snippet")); // absent optionals are left out
        QCOMPARE(first["openCount"].toInt(), 1);
        QVERIFY(first["isRecentActivation"].toBool());

        const Run plain = home.run({"query", "invoices"});
        QVERIFY(plain.out.contains("Invoices") && plain.out.contains("recent"));

        // Reveal of a typed path reveals it.
        const Run typed = home.run({"open", "--reveal", "--dry-run", folder});
        QCOMPARE(typed.out.trimmed(), ("reveal " + folder).toUtf8());
    }

    // Which entries are listed is DesktopApplicationDiscovery's; here, that the
    // desktop's names reach the scores, the stored results and the listing.
    void desktopApplicationsGoByTheirDesktopNames() {
        TempHome home;
        const QString apps = home.mkdir(".local/share/applications");
        const QString nautilus = apps + "/org.gnome.Nautilus.desktop";
        QVERIFY(writeFile(nautilus, "[Desktop Entry]\nType=Application\nExec=app %u\nName=Files\n"
                                    "Name[de]=Dateien\nKeywords=folder;manager;\n"
                                    "Icon=org.gnome.Nautilus\n"));

        const QJsonObject files = home.first("files");
        QCOMPARE(files["title"].toString(), "Files");
        QCOMPARE(files["iconName"].toString(), "org.gnome.Nautilus");
        QCOMPARE(files["fullPath"].toString(), nautilus);
        QCOMPARE(files["relevanceScore"].toInt(), 1600); // exact name: 1000 + app 600
        QCOMPARE(home.first("dateien", {"LC_ALL=de_DE.UTF-8"})["title"], "Dateien");
        QCOMPARE(home.first("folder")["relevanceScore"].toInt(), 850);

        // Opened once, it comes back from the stored results under its name,
        // and the plain listing shows the name, not the file.
        const Run open = home.run({"open", "--dry-run", "files"});
        QCOMPARE(open.out.trimmed(), ("open " + nautilus).toUtf8());
        const QJsonObject again = home.first("files");
        QCOMPARE(again["title"].toString(), "Files");
        QCOMPARE(again["keywords"].toString(), "folder;manager");
        const Run plain = home.run({"query", "files"});
        QVERIFY(plain.out.startsWith("Files ") && !plain.out.contains(".desktop"));
    }

    void missingIndexTablesAreReportedOnStderrOnly() {
        TempHome home;
        home.mkdir(".pelmora");
        home.mkdir("Reports");
        const Run run = home.run({"query", "--json", "reports"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.contains("Search query failed: "));
        QCOMPARE(QJsonDocument::fromJson(run.out).array().size(), 1);
    }

    void translationIsWaitedForThenCopied() {
        TempHome home;
        trovi::test::ArgosStandIn argos;
        const QStringList environment{"TROVI_TRANSLATION_PYTHON=/usr/bin/python3",
                                      "PYTHONPATH=" + argos.path()};
        auto rows = [&](const QStringList& arguments) {
            return QJsonDocument::fromJson(home.run(arguments, environment).out).array();
        };
        const QJsonArray waited = rows({"query", "--json", "cc en:de hello"});
        QCOMPARE(waited.size(), 2);
        QCOMPARE(waited[0]["filename"].toString(), QString("[de] hello"));
        QCOMPARE(waited[0]["directory"].toString(),
                 QString("EN -> DE via Argos (local) \u00b7 Enter copies"));
        QCOMPARE(waited[1]["actionURLString"].toString(),
                 QString("https://www.dict.cc/?s=hello#lexweb"));

        const QJsonArray first = rows({"query", "--json", "--no-wait", "cc en:de hello"});
        QVERIFY(first[0]["directory"].toString().contains("Translating locally..."));

        const Run open = home.run({"open", "--dry-run", "cc en:de hello"}, environment);
        QCOMPARE(open.out, QByteArray("copy [de] hello\n"));
    }

    // Nothing but Debian packages: Apertium answers, and no engine that
    // cannot exist on Linux is named anywhere.
    void apertiumTranslatesOnAFreshHome() {
        TempHome home;
        QCOMPARE(
            home.run({"config", "set", "launcherTranslationLanguageCodes", "en,de,es"}).exitCode,
            0);
        const QStringList noArgos{"TROVI_TRANSLATION_PYTHON=/nonexistent/python3"};
        const Run run =
            home.run({"query", "--json", "--wait", "120", "cc en:es good morning"}, noArgos);
        const QJsonArray rows = QJsonDocument::fromJson(run.out).array();
        QVERIFY(!rows.isEmpty());
        QCOMPARE(rows[0]["filename"].toString(), QString("buenos días"));
        QVERIFY(rows[0]["directory"].toString().startsWith("EN -> ES via Apertium"));
        const Run status = home.run({"translation", "status"}, noArgos);
        QCOMPARE(status.exitCode, 0);
        QVERIFY(status.out.contains("Apertium (apertium, enabled): Ready"));
        QVERIFY(status.out.contains("EN -> ES: Ready for EN -> ES (eng-spa)."));
        QVERIFY(status.out.contains("/bin/pip install argostranslate"));
        QVERIFY(!QByteArray(run.out + status.out).contains("Apple"));
    }

    void notionPagesOpenTheirAddressAndTheTokenIsNeverPrinted() {
        TempHome home;
        trovi::test::LocalHttpServer server;
        server.reply(200, trovi::test::notionTestResponse());
        const QString token = trovi::test::kNotionTestToken;
        // Read from standard input, so it never shows in the process list;
        // the line break is not part of it.
        const Run set = home.runWithInput({"config", "set", "notionIntegrationToken", "-"},
                                          token.toUtf8() + "\n");
        QCOMPARE(set.exitCode, 0);
        const Run run =
            home.run({"query", "--json", "roadmap"}, {"TROVI_NOTION_API_URL=" + server.baseURL()});
        QCOMPARE(run.exitCode, 0);
        const Run list = home.run({"config", "list"});
        QVERIFY(list.out.contains("notionIntegrationToken = (set)"));
        QVERIFY(
            !QByteArray(set.out + set.err + run.out + run.err + list.out).contains(token.toUtf8()));
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(server.requests()[0].headers.value("authorization"), "Bearer " + token.toUtf8());
        bool found = false;
        for (const QJsonValue& row : QJsonDocument::fromJson(run.out).array())
            found |=
                row["filename"].toString().endsWith("Roadmap 2027") &&
                row["action"] == "openNotionPage" &&
                row["actionURLString"] == "https://www.notion.so/0123abcd00004000800000000000000a";
        QVERIFY(found);
    }

    // Nothing on standard input stores nothing: an empty token would turn
    // the Notion search off without a word.
    void secretFromEmptyInputIsRefused() {
        TempHome home;
        const Run set = home.runWithInput({"config", "set", "notionIntegrationToken", "-"}, "");
        QCOMPARE(set.exitCode, 1);
        QVERIFY2(set.err.contains("standard input"), set.err.constData());
        QCOMPARE(home.run({"config", "get", "notionIntegrationToken"}).out, "(unset)\n");
    }

    // A file name, or what the user typed, reaches the terminal with its
    // control characters escaped.
    void controlCharactersNeverReachTheTerminal_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        const QString evil = QString::fromUtf8("evil\x1b]2;owned\x07\u009b2J");
        QTest::addRow("listed name") << QStringList{"query", "evil"} << 0;
        QTest::addRow("opened name") << QStringList{"open", "--dry-run", "evil"} << 0;
        QTest::addRow("unknown key") << QStringList{"config", "get", evil} << 2;
        QTest::addRow("refused theme")
            << QStringList{"config", "set", "launcherThemeID", evil} << 1;
        QTest::addRow("refused number")
            << QStringList{"config", "set", "launcherSearchDebounceMilliseconds", evil} << 1;
    }
    void controlCharactersNeverReachTheTerminal() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        TempHome home;
        home.mkdir(QString::fromUtf8("evil\x1b]2;owned\x07\u009b2J"));
        const Run run = home.run(arguments);
        QCOMPARE(run.exitCode, exitCode);
        const QByteArray shown = exitCode == 0 ? run.out : run.err;
        QVERIFY2(shown.contains("evil\\x1b]2;owned\\x07\\x9b2J"), shown.constData());
        for (const QByteArray& forbidden :
             {QByteArray("\x1b"), QByteArray("\x07"), QString(QChar(0x9b)).toUtf8()})
            QVERIFY(!run.out.contains(forbidden) && !run.err.contains(forbidden));
    }

    void settingsPanelsAndBookmarksAreFoundUnderHome() {
        TempHome home;
        QVERIFY(
            writeFile(home.path() + "/system-share/applications/gnome-wifi-panel.desktop",
                      "[Desktop Entry]\nType=Application\nName=Wi-Fi\nExec=gnome-control-center "
                      "wifi\nX-GNOME-Settings-Panel=wifi\nOnlyShowIn=GNOME;\nNoDisplay=true\n"));
        QVERIFY(writeFile(home.mkdir(".config/google-chrome/Default") + "/Bookmarks",
                          readFile(TROVI_FIXTURES_DIR "/browser/Bookmarks")));
        QVERIFY(writeFile(home.path() + "/.mozilla/firefox/profiles.ini",
                          "[Profile0]\nName=default\nIsRelative=1\nPath=p.default\n"));
        auto places =
            trovi::db::Connection::open(home.mkdir(".mozilla/firefox/p.default") + "/places.sqlite",
                                        trovi::db::ReadWrite | trovi::db::Create);
        QVERIFY(!places->execute(readFile(TROVI_FIXTURES_DIR "/browser/places.sql")));
        const auto row = [&](const QString& query) -> QString {
            const QJsonObject first = home.first(query, {"XDG_CURRENT_DESKTOP=GNOME"});
            return first["filename"].toString() + u'|' + first["directory"].toString();
        };
        QCOMPARE(row("wlan"), "Wi-Fi|System Settings"); // a panel by a keyword
        QCOMPARE(row("wiki"), "Wiki • wiki.example.com|Chrome bookmark · Bookmarks Bar / Work");
        QCOMPARE(row("recipes"),
                 "Pasta • pasta.example|Firefox bookmark · Bookmarks Toolbar / Recipes");
    }

    // Tabs come from the browsers' session files; Return opens the page in
    // the browser the tab was found in, and is learned like any row.
    void openTabsOfTwoBrowsersOpenInTheirOwnBrowser() {
        TempHome home;
        QVERIFY(writeFile(home.mkdir(".config/BraveSoftware/Brave-Browser/Default/Sessions") +
                              "/Session_13350000000000000",
                          readFile(TROVI_FIXTURES_DIR "/browser/Session_13350000000000000")));
        QVERIFY(writeFile(home.path() + "/.mozilla/firefox/profiles.ini",
                          "[Profile0]\nName=default\nIsRelative=1\nPath=p.default\n"));
        QVERIFY(writeFile(home.mkdir(".mozilla/firefox/p.default/sessionstore-backups") +
                              "/recovery.jsonlz4",
                          readFile(TROVI_FIXTURES_DIR "/browser/recovery.jsonlz4")));
        const trovi::test::RecordingScript brave(home.path() + "/bin", "brave-browser");

        const auto row = [&](const QString& query) -> QString {
            const QJsonObject first = home.first(query);
            return first["filename"].toString() + u'|' + first["directory"].toString() + u'|' +
                   first["action"].toString();
        };
        QCOMPARE(row("guide"), "Guide • docs.example.org|Brave tab|focusBrowserTab");
        QCOMPARE(row("mdn"), "MDN Web Docs • developer.mozilla.org|Firefox tab|focusBrowserTab");

        const Run open = home.run({"open", "guide"});
        QCOMPARE(open.exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(brave.ran(), 30000);
        QCOMPARE(brave.arguments(), QStringList{"https://docs.example.org/guide"});
        QCOMPARE(home.first("guide")["openCount"].toInt(), 1);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
