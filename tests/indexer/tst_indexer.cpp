// The companion indexer on real folders, in-process and as trovi-index beside
// trovi on a temporary home: what it writes is what the launcher finds, with
// snippets and tags; re-runs read only what changed; the launcher's open
// counts survive; hostile files cost a message, not the run; --watch follows
// the folders.

#include "indexer/Indexer.h"
#include "tests/indexer/DocumentFixtures.h"
#include "tests/support/Files.h"
#include "tests/support/TroviHome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

using namespace trovi::indexer;
using trovi::db::Connection;
using trovi::test::TroviRun;
using trovi::test::writeFile;

namespace {

// A home with one indexed folder and the index where the launcher looks.
class Home : public trovi::test::TroviHome {
public:
    const QString root = path() + "/Documents";
    QString databasePath() const { return path() + "/.pelmora/index.db"; }

    // One pass in-process, on the folder alone.
    trovi::Result<IndexSummary> index(const Indexer::Progress& progress = {}) {
        auto database = IndexDatabase::open(databasePath());
        if (!database)
            return database.error();
        ExtractorRegistry extractors;
        IndexOptions options;
        options.roots = {root};
        options.maxFileBytes = 1 << 20;
        options.now = [this] { return ++clock; };
        messages.clear();
        Indexer indexer(database.value(), extractors, options,
                        [this](const QString& line) { messages << line; });
        return indexer.run(progress);
    }
    TroviRun indexCommand(const QStringList& arguments = {}) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(TROVI_INDEX_EXECUTABLE, arguments);
        if (!process.waitForFinished(180000))
            process.kill();
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }
    QJsonArray search(const QString& text) const {
        return QJsonDocument::fromJson(run({"query", "--json", "--no-wait", text}).out).array();
    }

    // Rows as text, read the way the launcher does; none while there is no index.
    QList<QStringList> query(const QString& sql,
                             const std::vector<trovi::db::Binding>& bindings = {}) const {
        QList<QStringList> out;
        auto connection = Connection::open(databasePath(), trovi::db::ReadWrite);
        if (!connection)
            return out;
        auto statement = connection->prepare(sql, bindings);
        auto rows = statement ? statement->all() : statement.error();
        for (const auto& row : rows ? rows.value() : std::vector<trovi::db::Row>()) {
            QStringList columns;
            for (std::size_t i = 0; i < row.size(); ++i)
                columns << (row.text(i) ? *row.text(i)
                                        : QString::number(row.integer(i).value_or(-1)));
            out << columns;
        }
        return out;
    }
    QStringList column(const QString& sql,
                       const std::vector<trovi::db::Binding>& bindings = {}) const {
        QStringList out;
        for (const QStringList& row : query(sql, bindings))
            out << row[0];
        return out;
    }
    QStringList names() const { return column("SELECT filename FROM files ORDER BY filename"); }
    QStringList fullText(const QString& word) const {
        return column("SELECT f.filename FROM files_fts JOIN files f ON f.id = files_fts.rowid "
                      "WHERE files_fts MATCH ?1",
                      {QString("\"" + word + "\"*")});
    }
    std::int64_t scalar(const QString& sql) const { return column(sql).value(0).toLongLong(); }

    std::int64_t clock = 1000;
    QStringList messages;
};

QJsonObject find(const QJsonArray& results, const QString& filename) {
    for (const QJsonValue& value : results)
        if (value["filename"].toString() == filename && value.toObject().contains("databaseID"))
            return value.toObject();
    return {};
}

} // namespace

class IndexerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void launcherFindsIndexedDocuments() {
        Home home;
        writeFile(home.root + "/biology/report.pdf",
                  trovi::test::minimalPdf({"The light reactions of photosynthesis"}));
        writeFile(home.path() + "/Desktop/plan.txt", "nothing special here");
        const bool tags = setxattr(QFile::encodeName(home.path() + "/Desktop/plan.txt").constData(),
                                   "user.xdg.tags", "quarterly", 9, 0) == 0;

        const TroviRun indexed = home.indexCommand({"--json"});
        QCOMPARE(indexed.err, QByteArray());
        QCOMPARE(indexed.exitCode, 0);
        const QJsonObject summary = QJsonDocument::fromJson(indexed.out).object();
        QCOMPARE(summary["added"].toInt(), 2);
        QCOMPARE(summary["files"].toInt(), 2);
        // WAL: the launcher reads and counts opens while the indexer writes.
        QCOMPARE(home.column("PRAGMA journal_mode"), QStringList{"wal"});
        QCOMPARE(home.scalar("PRAGMA user_version"), IndexDatabase::kSchemaVersion);

        const QJsonObject pdf = find(home.search("photosynthesis"), "report.pdf");
        QVERIFY2(!pdf.isEmpty(), "the PDF is not among the results");
        QVERIFY2(pdf["snippet"].toString().contains("<mark>photosynthesis</mark>"),
                 qPrintable(pdf["snippet"].toString()));
        QCOMPARE(pdf["directory"].toString(), home.root + "/biology");
        QVERIFY(!find(home.search("plan"), "plan.txt").isEmpty());
        if (!tags)
            QSKIP("this file system keeps no user extended attributes");
        QVERIFY(!find(home.search("quarterly"), "plan.txt").isEmpty());
    }

    // Nothing is written to a database the indexer does not know.
    void refusesWhatItDoesNotKnow_data() {
        QTest::addColumn<QString>("setup"); // run on the index first
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("said");
        QTest::addRow("newer index version")
            << "PRAGMA user_version = 99" << QStringList() << 1 << QStringList{"newer"};
        QTest::addRow("another program's tables")
            << "CREATE TABLE files(x)" << QStringList() << 1 << QStringList{"did not make"};
        QTest::addRow("unknown argument") << QString() << QStringList{"--frobnicate"} << 2
                                          << QStringList{"unknown argument", "usage:"};
    }
    void refusesWhatItDoesNotKnow() {
        QFETCH(QString, setup);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, said);
        Home home;
        home.mkdir(".pelmora");
        if (!setup.isEmpty()) {
            auto db =
                Connection::open(home.databasePath(), trovi::db::ReadWrite | trovi::db::Create);
            QVERIFY(!db->execute(setup));
        }
        const QByteArray before = trovi::test::readFile(home.databasePath());
        const TroviRun indexed = home.indexCommand(arguments);
        QCOMPARE(indexed.exitCode, exitCode);
        for (const QString& part : said)
            QVERIFY2(indexed.err.contains(part.toUtf8()), indexed.err.constData());
        QCOMPARE(trovi::test::readFile(home.databasePath()), before);
    }

    void acceptsTheEmptyFileTheLauncherCreates() {
        Home home;
        QVERIFY(writeFile(home.databasePath())); // zero bytes, as the launcher leaves it
        writeFile(home.root + "/a.txt", "alpha");
        QVERIFY(home.index().ok());
        QCOMPARE(home.names(), QStringList{"a.txt"});
    }

    // Edits, deletions and renames between two passes; the launcher has
    // counted opens in between.
    void followsChangesAndKeepsOpenCounts() {
        Home home;
        writeFile(home.root + "/edit.txt", "first draft");
        writeFile(home.root + "/gone.txt", "to be deleted");
        writeFile(home.root + "/old-name.txt", "renamed later");
        writeFile(home.root + "/same.txt", "never touched");
        QVERIFY(home.index().ok());
        home.query("UPDATE files SET open_count = 7");

        auto rerun = home.index();
        QVERIFY(rerun.ok());
        QCOMPARE(rerun->unchanged, 4);
        QCOMPARE(rerun->added + rerun->updated + rerun->moved + rerun->removed, 0);

        writeFile(home.root + "/edit.txt", "final version, longer");
        QFile::remove(home.root + "/gone.txt");
        QVERIFY(QFile::rename(home.root + "/old-name.txt", home.root + "/sub-new-name.txt"));
        auto summary = home.index();
        QVERIFY(summary.ok());
        QCOMPARE(summary->updated, 1);
        QCOMPARE(summary->removed, 1);
        QCOMPARE(summary->moved, 1);
        QCOMPARE(home.names(), QStringList({"edit.txt", "same.txt", "sub-new-name.txt"}));
        QCOMPARE(home.fullText("draft"), QStringList());
        QCOMPARE(home.fullText("final"), QStringList{"edit.txt"});
        QCOMPARE(home.fullText("renamed"), QStringList{"sub-new-name.txt"});
        QCOMPARE(home.scalar("SELECT count(*) FROM files WHERE open_count = 7"), 3);
        QCOMPARE(home.scalar("SELECT count(*) FROM files_fts"), 3);
    }

    void skipsWhatIsNotADocument_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("nameIndexed");
        QTest::addColumn<QString>("message");
        QTest::addRow("hidden folder") << ".secret/a.txt" << false << "";
        QTest::addRow("hidden file") << ".bashrc.txt" << false << "";
        QTest::addRow("node_modules") << "app/node_modules/lib.txt" << false << "";
        QTest::addRow("build folder") << "proj/build/out.txt" << false << "";
        QTest::addRow("__pycache__") << "py/__pycache__/x.txt" << false << "";
        QTest::addRow("FIFO") << "pipe.txt" << false << "not a regular file";
        QTest::addRow("link leaving the roots") << "outside.txt" << false << "";
        QTest::addRow("link inside the roots") << "inside.txt" << true << "";
        QTest::addRow("file over the size cap") << "huge.txt" << true << "larger than";
        QTest::addRow("unknown type, name only") << "movie.mkv" << true << "";
        QTest::addRow("zip bomb, name only") << "bomb.odt" << true << "inflates to more than";
        QTest::addRow("truncated PDF, name only") << "cut.pdf" << true << "indexed by name only";
    }
    void skipsWhatIsNotADocument() {
        QFETCH(QString, relative);
        QFETCH(bool, nameIndexed);
        QFETCH(QString, message);
        Home home;
        writeFile(home.root + "/real.txt", "real words");
        writeFile(home.path() + "/elsewhere/private.txt", "private words");
        const QString path = home.root + u'/' + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (relative == "pipe.txt") {
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (relative == "outside.txt") {
            QVERIFY(QFile::link(home.path() + "/elsewhere/private.txt", path));
        } else if (relative == "inside.txt") {
            QVERIFY(QFile::link(home.root + "/real.txt", path));
        } else if (relative == "huge.txt") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(qint64(10) << 30)); // sparse: no disk used
        } else if (relative == "bomb.odt") {
            // 80 MiB of one byte deflates to a few dozen KiB.
            QVERIFY(trovi::test::writeZip(
                path, {{"mimetype", "application/vnd.oasis.opendocument.text"},
                       {"content.xml", "<a>" + QByteArray(80 << 20, ' ') + "</a>"}}));
        } else if (relative == "cut.pdf") {
            QVERIFY(writeFile(path, trovi::test::minimalPdf({"cut short"}).left(120)));
        } else {
            writeFile(path, "hidden words");
        }
        auto summary = home.index();
        QVERIFY(summary.ok());
        const QString name = QFileInfo(path).fileName();
        QCOMPARE(home.names().contains(name), nameIndexed);
        QCOMPARE(home.fullText("private"), QStringList());
        QCOMPARE(home.fullText("hidden"), QStringList());
        if (message.isEmpty()) {
            QCOMPARE(home.messages, QStringList());
        } else {
            QCOMPARE(home.messages.size(), 1);
            QVERIFY2(home.messages[0].contains(name) && home.messages[0].contains(message),
                     qPrintable(home.messages[0]));
        }
    }

    // The executable's own size cap and its messages on standard error.
    void hostileFilesCostOneMessageEach() {
        Home home;
        writeFile(home.root + "/fine.txt", "ordinary words");
        QFile sparse(home.root + "/sparse.txt");
        QVERIFY(sparse.open(QIODevice::WriteOnly));
        QVERIFY(sparse.resize(qint64(10) << 30));
        sparse.close();
        const TroviRun indexed = home.indexCommand();
        QCOMPARE(indexed.exitCode, 0);
        const QStringList lines = QString::fromUtf8(indexed.err).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains("sparse.txt"), qPrintable(lines[0]));
        QCOMPARE(home.names(), QStringList({"fine.txt", "sparse.txt"}));
    }

    void readsTagsFromTheDesktop() {
        Home home;
        writeFile(home.root + "/tagged.txt", "content");
        writeFile(home.root + "/plain.txt", "content");
        const QByteArray tagged = QFile::encodeName(home.root + "/tagged.txt");
        if (setxattr(tagged.constData(), "user.xdg.tags", "work, urgent,,work", 18, 0) != 0)
            QSKIP("this file system keeps no user extended attributes");
        QVERIFY(home.index().ok());
        QCOMPARE(home.query("SELECT f.filename, t.tag FROM file_tags t JOIN files f ON f.id = "
                            "t.file_id ORDER BY t.tag"),
                 QList<QStringList>({{"tagged.txt", "urgent"}, {"tagged.txt", "work"}}));

        // A tag change alone (no new contents) is seen on the next pass.
        QCOMPARE(setxattr(tagged.constData(), "user.xdg.tags", "done", 4, 0), 0);
        auto summary = home.index();
        QVERIFY(summary.ok());
        QCOMPARE(summary->retagged, 1);
        QCOMPARE(home.scalar("SELECT count(*) FROM file_tags WHERE tag = 'done'"), 1);
        QCOMPARE(home.scalar("SELECT count(*) FROM file_tags"), 1);
    }

    // The launcher counts an open (one UPDATE, a one-second busy wait and one
    // retry) each time the indexer commits a batch, while the indexer goes on
    // with the next: no count is lost and no update fails.
    void launcherCountsOpensWhileTheIndexerWrites() {
        Home home;
        const int files = 1000;
        for (int i = 0; i < files; ++i)
            writeFile(QStringLiteral("%1/batch/file%2.txt").arg(home.root).arg(i),
                      QByteArray("some words to index ").repeated(50));
        writeFile(home.root + "/counted.txt", "opened often");
        QVERIFY(home.index().ok());
        home.query("UPDATE files SET open_count = 5 WHERE filename = 'counted.txt'");
        // Everything changes, so the next pass rewrites every row, the
        // counted file's too.
        for (int i = 0; i < files; ++i)
            writeFile(QStringLiteral("%1/batch/file%2.txt").arg(home.root).arg(i), "changed words");
        writeFile(home.root + "/counted.txt", "opened often, and edited");

        std::mutex mutex;
        std::condition_variable committed;
        int batches = 0, picked = 0;
        bool indexing = true;
        int counted = 0, failed = 0;
        std::thread launcher([&] {
            auto db =
                Connection::open(home.databasePath(),
                                 trovi::db::ReadWrite | trovi::db::Create | trovi::db::FullMutex);
            db->setBusyTimeout(1000);
            const QString sql = "UPDATE files SET open_count = open_count + 1 "
                                "WHERE filename = 'counted.txt'";
            std::unique_lock lock(mutex);
            int seen = 0;
            while (indexing) {
                committed.wait(lock, [&] { return batches != seen || !indexing; });
                seen = picked = batches;
                committed.notify_all();
                lock.unlock();
                auto error = db->run(sql);
                if (error && (error->code & 0xff) == 5)
                    error = db->run(sql);
                lock.lock();
                (error ? failed : counted)++;
            }
        });
        // Each batch waits until the launcher has taken it up, so every batch
        // gets its write, however the threads are scheduled.
        auto summary = home.index([&](int, int) {
            std::unique_lock lock(mutex);
            ++batches;
            committed.notify_all();
            committed.wait(lock, [&] { return picked == batches || !indexing; });
        });
        {
            std::lock_guard lock(mutex);
            indexing = false;
            committed.notify_all();
        }
        launcher.join();
        QVERIFY(summary.ok());
        QCOMPARE(summary->updated, files + 1);
        QCOMPARE(failed, 0);
        QVERIFY(counted > 1);
        QCOMPARE(home.scalar("SELECT open_count FROM files WHERE filename = 'counted.txt'"),
                 5 + counted);
    }

    void addedAndRemovedFolders() {
        Home home;
        writeFile(home.path() + "/Notes/idea.md", "# A zeppelin idea");
        QCOMPARE(home.indexCommand({"--add", home.path() + "/Notes"}).exitCode, 0);
        QCOMPARE(home.names(), QStringList{"idea.md"});
        QVERIFY(!find(home.search("zeppelin"), "idea.md").isEmpty());
        QCOMPARE(home.indexCommand().exitCode, 0); // remembered in the config file
        QCOMPARE(home.names(), QStringList{"idea.md"});
        QCOMPARE(home.indexCommand({"--remove", home.path() + "/Notes"}).exitCode, 0);
        QCOMPARE(home.names(), QStringList());
    }

    void watchFollowsTheFolders() {
        Home home;
        writeFile(home.root + "/first.txt", "present from the start");
        QProcess watcher;
        watcher.setProcessEnvironment(home.environment());
        watcher.start(TROVI_INDEX_EXECUTABLE, {"--watch"});
        QVERIFY(watcher.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(home.names(), QStringList{"first.txt"}, 60000);

        writeFile(home.root + "/new/second.txt", "written while watching");
        QTRY_COMPARE_WITH_TIMEOUT(home.names(), QStringList({"first.txt", "second.txt"}), 60000);
        QFile::remove(home.root + "/first.txt");
        QTRY_COMPARE_WITH_TIMEOUT(home.names(), QStringList{"second.txt"}, 60000);

        ::kill(pid_t(watcher.processId()), SIGTERM);
        QVERIFY(watcher.waitForFinished(30000));
        QCOMPARE(watcher.exitStatus(), QProcess::NormalExit);
        QCOMPARE(watcher.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(IndexerTest)
#include "tst_indexer.moc"
