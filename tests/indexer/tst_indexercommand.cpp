// trovi-index and trovi side by side on a temporary home: what the indexer
// writes is what the launcher finds, with snippets and tags; hostile files
// cost a message, not the run; --watch follows the folders.

#include "db/SqliteDatabase.h"
#include "tests/indexer/DocumentFixtures.h"
#include "tests/support/TroviHome.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <sys/stat.h>
#include <sys/xattr.h>

#include <csignal>

using trovi::test::TroviHome;
using trovi::test::TroviRun;

namespace {

class Home : public TroviHome {
public:
    QString documents() const { return path() + "/Documents"; }
    void write(const QString& relative, const QByteArray& data) const {
        const QString file = path() + u'/' + relative;
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(data);
    }
    TroviRun index(const QStringList& arguments = {}) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(TROVI_INDEX_EXECUTABLE, arguments);
        if (!process.waitForFinished(180000))
            process.kill();
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }
    QJsonArray query(const QString& text) const {
        const TroviRun result = run({"query", "--json", "--no-wait", text});
        return QJsonDocument::fromJson(result.out).array();
    }
    // The index's rows by file name, read the way the launcher does.
    QStringList indexedNames() const {
        auto db = trovi::db::Connection::open(path() + "/.pelmora/index.db", trovi::db::ReadWrite);
        if (!db)
            return {};
        auto rows = db->prepare("SELECT filename FROM files ORDER BY filename");
        QStringList names;
        if (!rows)
            return names;
        auto all = rows->all();
        if (all)
            for (const auto& row : all.value())
                names << row.text(0).value_or("");
        return names;
    }
};

QJsonObject find(const QJsonArray& results, const QString& filename) {
    for (const QJsonValue& value : results)
        if (value["filename"].toString() == filename && value.toObject().contains("databaseID"))
            return value.toObject();
    return {};
}

} // namespace

class IndexerCommandTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void launcherFindsIndexedDocuments() {
        Home home;
        home.write("Documents/biology/report.pdf",
                   trovi::test::minimalPdf({"The light reactions of photosynthesis"}));
        home.write("Desktop/plan.txt", "nothing special here");
        const bool tags = setxattr(QFile::encodeName(home.path() + "/Desktop/plan.txt").constData(),
                                   "user.xdg.tags", "quarterly", 9, 0) == 0;

        const TroviRun indexed = home.index({"--json"});
        QCOMPARE(indexed.err, QByteArray());
        QCOMPARE(indexed.exitCode, 0);
        const QJsonObject summary = QJsonDocument::fromJson(indexed.out).object();
        QCOMPARE(summary["added"].toInt(), 2);
        QCOMPARE(summary["files"].toInt(), 2);

        const QJsonObject pdf = find(home.query("photosynthesis"), "report.pdf");
        QVERIFY2(!pdf.isEmpty(), "the PDF is not among the results");
        QVERIFY2(pdf["snippet"].toString().contains("<mark>photosynthesis</mark>"),
                 qPrintable(pdf["snippet"].toString()));
        QCOMPARE(pdf["directory"].toString(), home.documents() + "/biology");
        if (!tags)
            QSKIP("this file system keeps no user extended attributes");
        QVERIFY(!find(home.query("quarterly"), "plan.txt").isEmpty());
    }

    void hostileFilesCostOneMessageEach() {
        Home home;
        home.write("Documents/fine.txt", "ordinary words");
        QVERIFY(
            trovi::test::writeZip(home.documents() + "/bomb.odt",
                                  {{"mimetype", "application/vnd.oasis.opendocument.text"},
                                   {"content.xml", "<a>" + QByteArray(80 << 20, ' ') + "</a>"}}));
        home.write("Documents/cut.pdf", trovi::test::minimalPdf({"cut short"}).left(120));
        QFile sparse(home.documents() + "/sparse.txt");
        QVERIFY(sparse.open(QIODevice::WriteOnly));
        QVERIFY(sparse.resize(qint64(10) << 30));
        sparse.close();
        QCOMPARE(mkfifo(QFile::encodeName(home.documents() + "/pipe.txt").constData(), 0600), 0);

        const TroviRun indexed = home.index();
        QCOMPARE(indexed.exitCode, 0);
        const QStringList lines = QString::fromUtf8(indexed.err).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        for (const char* name : {"bomb.odt", "cut.pdf", "sparse.txt", "pipe.txt"})
            QVERIFY2(lines.filter(name).size() == 1, qPrintable(indexed.err));
        QCOMPARE(home.indexedNames(),
                 QStringList({"bomb.odt", "cut.pdf", "fine.txt", "sparse.txt"}));
    }

    void addedAndRemovedFolders() {
        Home home;
        home.write("Notes/idea.md", "# A zeppelin idea");
        QCOMPARE(home.index({"--add", home.path() + "/Notes"}).exitCode, 0);
        QCOMPARE(home.indexedNames(), QStringList{"idea.md"});
        QVERIFY(!find(home.query("zeppelin"), "idea.md").isEmpty());
        QCOMPARE(home.index().exitCode, 0); // remembered in the config file
        QCOMPARE(home.indexedNames(), QStringList{"idea.md"});
        QCOMPARE(home.index({"--remove", home.path() + "/Notes"}).exitCode, 0);
        QCOMPARE(home.indexedNames(), QStringList());
    }

    void refusesAnIndexFromANewerVersion() {
        Home home;
        home.mkdir(".pelmora");
        {
            auto db = trovi::db::Connection::open(home.path() + "/.pelmora/index.db",
                                                  trovi::db::ReadWrite | trovi::db::Create);
            QVERIFY(!db->execute("PRAGMA user_version = 7"));
        }
        const TroviRun indexed = home.index();
        QCOMPARE(indexed.exitCode, 1);
        QVERIFY2(indexed.err.contains("newer"), indexed.err.constData());
    }

    void badArgumentsAreRefused() {
        Home home;
        const TroviRun run = home.index({"--frobnicate"});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.contains("unknown argument"));
        QVERIFY(run.err.contains("usage:"));
    }

    void watchFollowsTheFolders() {
        Home home;
        home.write("Documents/first.txt", "present from the start");
        QProcess watcher;
        watcher.setProcessEnvironment(home.environment());
        watcher.start(TROVI_INDEX_EXECUTABLE, {"--watch"});
        QVERIFY(watcher.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(home.indexedNames(), QStringList{"first.txt"}, 60000);

        home.write("Documents/new/second.txt", "written while watching");
        QTRY_COMPARE_WITH_TIMEOUT(home.indexedNames(), QStringList({"first.txt", "second.txt"}),
                                  60000);
        QFile::remove(home.documents() + "/first.txt");
        QTRY_COMPARE_WITH_TIMEOUT(home.indexedNames(), QStringList{"second.txt"}, 60000);

        ::kill(pid_t(watcher.processId()), SIGTERM);
        QVERIFY(watcher.waitForFinished(30000));
        QCOMPARE(watcher.exitStatus(), QProcess::NormalExit);
        QCOMPARE(watcher.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(IndexerCommandTest)
#include "tst_indexercommand.moc"
