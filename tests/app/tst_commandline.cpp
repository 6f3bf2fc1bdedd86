// The `trovi` executable driven as a child process against a temporary home.

#include "db/SqliteDatabase.h"
#include "tests/support/ArgosStandIn.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class TempHome {
public:
    TempHome() { QDir(dir.path()).mkpath(QStringLiteral(".config")); }
    QString path() const { return dir.path(); }
    QString mkdir(const QString& relative) const {
        QDir().mkpath(dir.path() + u'/' + relative);
        return dir.path() + u'/' + relative;
    }

    Run trovi(const QStringList& arguments, const QStringList& extraEnvironment = {}) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& variable : extraEnvironment)
            env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path() + QStringLiteral("/.local/share"));
        // Only the applications this test installs, not the machine's.
        env.insert(QStringLiteral("XDG_DATA_DIRS"), dir.path() + QStringLiteral("/system-share"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        for (const QString& entry : extraEnvironment)
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TROVI_EXECUTABLE), arguments);
        if (!process.waitForFinished(60000))
            process.kill();
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QJsonArray query(const QString& text) const {
        const Run run = trovi({QStringLiteral("query"), QStringLiteral("--json"), text});
        return QJsonDocument::fromJson(run.out).array();
    }

private:
    QTemporaryDir dir;
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
    }
    void exitCodes() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run run = TempHome().trovi(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.out.contains(out.toUtf8()), run.out.constData());
        QVERIFY2(run.err.contains(err.toUtf8()), run.err.constData());
        if (exitCode == 2)
            QVERIFY(run.out.isEmpty() && run.err.startsWith("trovi: "));
    }

    void queryFindsFolderUnderHome() {
        TempHome home;
        home.mkdir(QStringLiteral("projects/notes"));
        const QJsonArray results = home.query(QStringLiteral("notes"));
        QVERIFY(!results.isEmpty());
        const QJsonObject first = results.first().toObject();
        QCOMPARE(first.value(QStringLiteral("kind")).toString(), QStringLiteral("folder"));
        QCOMPARE(first.value(QStringLiteral("fullPath")).toString(),
                 home.path() + QStringLiteral("/projects/notes"));
        QVERIFY(first.contains(QStringLiteral("relevanceScore")));
        QVERIFY(!first.contains(QStringLiteral("snippet"))); // absent optionals are left out

        QCOMPARE(home.query("2^3^2").first()["filename"].toString(), "512");
        const QJsonObject typed = home.query("~/projects").first().toObject();
        QVERIFY(typed["isDirectPathMatch"].toBool());
        QCOMPARE(typed["fullPath"].toString(), home.path() + "/projects");
    }

    void dryRunOpenIsLearned() {
        TempHome home;
        const QString folder = home.mkdir(QStringLiteral("work/Invoices"));
        const Run open = home.trovi(
            {QStringLiteral("open"), QStringLiteral("--dry-run"), QStringLiteral("invoices")});
        QCOMPARE(open.exitCode, 0);
        QCOMPARE(open.out.trimmed(), ("open " + folder).toUtf8());

        const QJsonObject first = home.query(QStringLiteral("invoices")).first().toObject();
        QCOMPARE(first.value(QStringLiteral("fullPath")).toString(), folder);
        QCOMPARE(first.value(QStringLiteral("openCount")).toInt(), 1);
        QVERIFY(first.value(QStringLiteral("isRecentActivation")).toBool());

        const Run plain = home.trovi({QStringLiteral("query"), QStringLiteral("invoices")});
        QVERIFY(plain.out.contains("Invoices") && plain.out.contains("recent"));

        // Reveal of a folder found by name opens it; of a typed path, reveals it.
        const Run reveal = home.trovi({"open", "--reveal", "--dry-run", "invoices"});
        QCOMPARE(reveal.out.trimmed(), ("open " + folder).toUtf8());
        const Run typed = home.trovi({"open", "--reveal", "--dry-run", folder});
        QCOMPARE(typed.out.trimmed(), ("reveal " + folder).toUtf8());
    }

    void controlCharactersInNamesNeverReachTheTerminal() {
        TempHome home;
        const QString folder = home.mkdir("evil\x1b]2;owned\x07\u009b2J");
        for (const QStringList& arguments :
             {QStringList{"query", "evil"}, QStringList{"open", "--dry-run", "evil"}}) {
            const Run run = home.trovi(arguments);
            QVERIFY(run.out.contains("evil\\x1b]2;owned\\x07\\x9b2J"));
            for (const QByteArray& forbidden :
                 {QByteArray("\x1b"), QByteArray("\x07"), QString(QChar(0x9b)).toUtf8()})
                QVERIFY(!run.out.contains(forbidden) && !run.err.contains(forbidden));
        }
    }

    void desktopApplicationsGoByTheirDesktopNames() {
        TempHome home;
        const QString apps = home.mkdir(QStringLiteral(".local/share/applications"));
        auto install = [&](const QString& file, const QByteArray& keys) {
            QFile entry(apps + u'/' + file);
            QVERIFY(entry.open(QIODevice::WriteOnly));
            entry.write("[Desktop Entry]\nType=Application\nExec=app %u\n" + keys);
        };
        install("org.gnome.Nautilus.desktop",
                "Name=Files\nName[de]=Dateien\n"
                "Keywords=folder;manager;\nIcon=org.gnome.Nautilus\n");
        install("firefox-esr.desktop", "Name=Firefox ESR\nGenericName=Web Browser\n");
        install("profiles.desktop", "Name=Files Profiles\nNoDisplay=true\n");
        install("kfiles.desktop", "Name=Files for KDE\nOnlyShowIn=KDE;\n");
        const QStringList gnome{QStringLiteral("XDG_CURRENT_DESKTOP=GNOME")};
        auto query = [&](const QString& text, const QStringList& env) {
            const Run run = home.trovi({"query", "--json", text}, env);
            return QJsonDocument::fromJson(run.out).array();
        };

        const QJsonArray files = query("files", gnome);
        for (const QJsonValue& row : files) // hidden, and for another desktop
            QVERIFY(!row.toObject().value("title").toString().startsWith("Files "));
        const QJsonObject nautilus = files.first().toObject();
        QCOMPARE(nautilus.value("title").toString(), "Files");
        QCOMPARE(nautilus.value("iconName").toString(), "org.gnome.Nautilus");
        QCOMPARE(nautilus.value("fullPath").toString(), apps + "/org.gnome.Nautilus.desktop");
        QCOMPARE(nautilus.value("relevanceScore").toInt(), 1600); // exact name: 1000 + app 600
        QCOMPARE(query("dateien", gnome + QStringList{"LC_ALL=de_DE.UTF-8"})
                     .first()
                     .toObject()
                     .value("title"),
                 "Dateien");
        QCOMPARE(query("folder", gnome).first().toObject().value("relevanceScore").toInt(), 850);
        const QJsonObject browser = query("web browser", gnome).first().toObject();
        QCOMPARE(browser.value("title").toString(), "Firefox ESR");

        // Opened once, it comes back from the stored results under its name,
        // and the plain listing shows the name, not the file.
        const Run open = home.trovi({"open", "--dry-run", "files"}, gnome);
        QCOMPARE(open.out.trimmed(), ("open " + apps + "/org.gnome.Nautilus.desktop").toUtf8());
        const QJsonObject again = query("files", gnome).first().toObject();
        QCOMPARE(again.value("title").toString(), "Files");
        QCOMPARE(again.value("keywords").toString(), "folder;manager");
        QCOMPARE(again.value("fullPath").toString(), apps + "/org.gnome.Nautilus.desktop");
        const Run plain = home.trovi({"query", "files"}, gnome);
        QVERIFY(plain.out.startsWith("Files "));
        QVERIFY(!plain.out.contains(".desktop"));
        // A plain folder's title is its file name.
        home.mkdir("Reports");
        QCOMPARE(query("reports", gnome).first().toObject().value("title").toString(), "Reports");
    }

    void indexedDocumentIsFoundByContentAndCountedWhenOpened() {
        TempHome home;
        const QString docs = home.mkdir(QStringLiteral("papers"));
        home.mkdir(QStringLiteral(".pelmora"));
        const QString indexPath = home.path() + QStringLiteral("/.pelmora/index.db");
        {
            auto opened =
                trovi::db::Connection::open(indexPath, trovi::db::ReadWrite | trovi::db::Create);
            QVERIFY(opened.ok());
            auto& db = opened.value();
            QVERIFY(!db.execute(
                QStringLiteral("CREATE TABLE files(id INTEGER PRIMARY KEY, filename TEXT, "
                               "directory TEXT, open_count INTEGER, indexed_at INTEGER);"
                               "CREATE TABLE file_tags(file_id INTEGER, tag TEXT);"
                               "CREATE VIRTUAL TABLE files_fts USING fts5(filename, content);")));
            QVERIFY(!db.run(QStringLiteral("INSERT INTO files VALUES(7, 'thesis.pdf', ?, 2, 1)"),
                            {docs}));
            QVERIFY(!db.run(QStringLiteral(
                "INSERT INTO files_fts(rowid, filename, content) VALUES(7, 'thesis.pdf', "
                "'a study of photosynthesis in alpine meadows')")));
        }
        const QJsonObject hit = home.query(QStringLiteral("photosynthesis")).first().toObject();
        QCOMPARE(hit.value(QStringLiteral("filename")).toString(), QStringLiteral("thesis.pdf"));
        QCOMPARE(hit.value(QStringLiteral("databaseID")).toInt(), 7);
        QVERIFY(hit.value(QStringLiteral("snippet"))
                    .toString()
                    .contains(QStringLiteral("<mark>photosynthesis</mark>")));

        const Run open = home.trovi({QStringLiteral("open"), QStringLiteral("--dry-run"),
                                     QStringLiteral("photosynthesis")});
        QCOMPARE(open.exitCode, 0);
        auto reopened = trovi::db::Connection::open(indexPath, trovi::db::ReadWrite);
        QVERIFY(reopened.ok());
        auto statement =
            reopened->prepare(QStringLiteral("SELECT open_count FROM files WHERE id = 7"));
        QVERIFY(statement.ok());
        auto rows = statement->all();
        QVERIFY(rows.ok());
        QCOMPARE(rows->front().integer(0), 3);
    }

    void missingIndexTablesAreReportedOnStderrOnly() {
        TempHome home;
        home.mkdir(QStringLiteral(".pelmora"));
        home.mkdir(QStringLiteral("Reports"));
        const Run run = home.trovi(
            {QStringLiteral("query"), QStringLiteral("--json"), QStringLiteral("reports")});
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
            return QJsonDocument::fromJson(home.trovi(arguments, environment).out).array();
        };
        const QJsonArray waited = rows({"query", "--json", "cc en:de hello"});
        QCOMPARE(waited.size(), 2);
        QCOMPARE(waited[0]["filename"].toString(), QString("[de] hello"));
        QCOMPARE(waited[0]["directory"].toString(),
                 QString("EN -> DE via Argos (local) \u00b7 Apple Translation unavailable on Linux "
                         "\u00b7 Enter copies"));
        QCOMPARE(waited[1]["actionURLString"].toString(),
                 QString("https://www.dict.cc/?s=hello#lexweb"));

        const QJsonArray first = rows({"query", "--json", "--no-wait", "cc en:de hello"});
        QVERIFY(first[0]["directory"].toString().contains("Translating locally..."));

        const Run open = home.trovi({"open", "--dry-run", "cc en:de hello"}, environment);
        QCOMPARE(open.out, QByteArray("copy [de] hello\n"));
    }

};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
