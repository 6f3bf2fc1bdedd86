// One indexing pass and the next, on real folders: the database is the one the
// launcher queries, re-runs read only what changed, and the launcher's open
// counts survive everything the indexer does.

#include "indexer/Indexer.h"
#include "tests/indexer/DocumentFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <thread>

using namespace trovi::indexer;
using trovi::db::Connection;

namespace {

void writeFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

// A home with one indexed folder and the index beside it.
class Fixture {
public:
    Fixture() : root(dir.filePath("Documents")) { QDir().mkpath(root); }
    QString databasePath() const { return dir.filePath(".pelmora/index.db"); }

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

    // The launcher's own statement (name and tag), then its full-text one.
    QList<QStringList> query(const QString& sql, const std::vector<trovi::db::Binding>& bindings) {
        auto connection = Connection::open(databasePath(), trovi::db::ReadWrite);
        auto rows = connection->prepare(sql, bindings)->all();
        QList<QStringList> out;
        for (const auto& row : rows.value()) {
            QStringList columns;
            for (std::size_t i = 0; i < row.size(); ++i)
                columns << (row.text(i) ? *row.text(i)
                                        : QString::number(row.integer(i).value_or(-1)));
            out << columns;
        }
        return out;
    }
    QList<QStringList> fullText(const QString& word) {
        return query("SELECT f.id, f.filename, f.directory, f.open_count, "
                     "snippet(files_fts, -1, '<mark>', '</mark>', '...', 24) AS snippet "
                     "FROM files_fts JOIN files f ON f.id = files_fts.rowid "
                     "WHERE files_fts MATCH ?1 ORDER BY files_fts.rank, f.indexed_at DESC",
                     {QString("\"" + word + "\"*")});
    }
    QStringList names() {
        QStringList out;
        for (const QStringList& row : query("SELECT filename FROM files ORDER BY filename", {}))
            out << row[0];
        return out;
    }
    std::int64_t scalar(const QString& sql) {
        return query(sql, {}).value(0).value(0).toLongLong();
    }

    QTemporaryDir dir;
    QString root;
    std::int64_t clock = 1000;
    QStringList messages;
};

} // namespace

class IndexerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void buildsTheIndexTheLauncherQueries() {
        Fixture f;
        writeFile(f.root + "/biology/report.pdf",
                  trovi::test::minimalPdf({"All about photosynthesis"}));
        writeFile(f.root + "/notes.md", "# Groceries\n\nbuy *apples*");
        auto summary = f.index();
        QVERIFY2(summary.ok(), qPrintable(summary.ok() ? QString() : summary.error().message));
        QCOMPARE(summary->added, 2);

        const auto hits = f.fullText("photosynth");
        QCOMPARE(hits.size(), 1);
        QCOMPARE(hits[0][1], "report.pdf");
        QCOMPARE(hits[0][2], QDir(f.root).canonicalPath() + "/biology");
        QVERIFY2(hits[0][4].contains("<mark>photosynthesis</mark>"), qPrintable(hits[0][4]));
        // The launcher's name-and-tag statement, verbatim.
        const auto byName = f.query(
            "SELECT f.id, f.filename, f.directory, f.open_count, NULL as snippet, (CASE WHEN "
            "f.filename LIKE ? THEN 1 ELSE 0 END) as exact_name_match FROM files f WHERE "
            "f.filename LIKE ? OR f.id IN (SELECT file_id FROM file_tags WHERE tag LIKE ?) GROUP "
            "BY f.id ORDER BY exact_name_match DESC, (CASE WHEN f.filename LIKE ? THEN "
            "f.open_count ELSE 0 END) DESC, f.open_count DESC, f.indexed_at DESC LIMIT 250",
            {QString("%notes%"), QString("%notes%"), QString("%notes%"), QString("%notes%")});
        QCOMPARE(byName.size(), 1);
        QCOMPARE(f.query("PRAGMA journal_mode", {}).value(0).value(0), "wal");
        QCOMPARE(f.scalar("PRAGMA user_version"), IndexDatabase::kSchemaVersion);
    }

    void refusesDatabasesItDoesNotKnow_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::addRow("newer index version") << "PRAGMA user_version = 99"
                                             << "newer";
        QTest::addRow("another program's tables") << "CREATE TABLE files(x)"
                                                  << "did not make";
    }
    void refusesDatabasesItDoesNotKnow() {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        Fixture f;
        QDir().mkpath(QFileInfo(f.databasePath()).absolutePath());
        {
            auto db = Connection::open(f.databasePath(), trovi::db::ReadWrite | trovi::db::Create);
            QVERIFY(!db->execute(setup));
        }
        const QByteArray before = [&] {
            QFile file(f.databasePath());
            file.open(QIODevice::ReadOnly);
            return file.readAll();
        }();
        auto opened = IndexDatabase::open(f.databasePath());
        QVERIFY(!opened.ok());
        QVERIFY2(opened.error().message.contains(message), qPrintable(opened.error().message));
        QFile file(f.databasePath());
        file.open(QIODevice::ReadOnly);
        QCOMPARE(file.readAll(), before);
    }

    void acceptsTheEmptyFileTheLauncherCreates() {
        Fixture f;
        QDir().mkpath(QFileInfo(f.databasePath()).absolutePath());
        QFile(f.databasePath()).open(QIODevice::WriteOnly); // zero bytes, as the launcher leaves it
        writeFile(f.root + "/a.txt", "alpha");
        QVERIFY(f.index().ok());
        QCOMPARE(f.names(), QStringList{"a.txt"});
    }

    // Edits, deletions and renames between two passes; the launcher has
    // counted opens in between.
    void followsChangesAndKeepsOpenCounts() {
        Fixture f;
        writeFile(f.root + "/edit.txt", "first draft");
        writeFile(f.root + "/gone.txt", "to be deleted");
        writeFile(f.root + "/old-name.txt", "renamed later");
        writeFile(f.root + "/same.txt", "never touched");
        QVERIFY(f.index().ok());
        f.query("UPDATE files SET open_count = 7", {});

        auto rerun = f.index();
        QVERIFY(rerun.ok());
        QCOMPARE(rerun->unchanged, 4);
        QCOMPARE(rerun->added + rerun->updated + rerun->moved + rerun->removed, 0);

        writeFile(f.root + "/edit.txt", "final version, longer");
        QFile::remove(f.root + "/gone.txt");
        QVERIFY(QFile::rename(f.root + "/old-name.txt", f.root + "/sub-new-name.txt"));
        auto summary = f.index();
        QVERIFY(summary.ok());
        QCOMPARE(summary->updated, 1);
        QCOMPARE(summary->removed, 1);
        QCOMPARE(summary->moved, 1);
        QCOMPARE(f.names(), QStringList({"edit.txt", "same.txt", "sub-new-name.txt"}));
        QCOMPARE(f.fullText("draft").size(), 0);
        QCOMPARE(f.fullText("final").size(), 1);
        QCOMPARE(f.fullText("renamed").value(0).value(1), "sub-new-name.txt");
        QCOMPARE(f.scalar("SELECT count(*) FROM files WHERE open_count = 7"), 3);
        QCOMPARE(f.scalar("SELECT count(*) FROM files_fts"), 3);
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
    }
    void skipsWhatIsNotADocument() {
        QFETCH(QString, relative);
        QFETCH(bool, nameIndexed);
        QFETCH(QString, message);
        Fixture f;
        writeFile(f.root + "/real.txt", "real words");
        writeFile(f.dir.filePath("elsewhere/private.txt"), "private words");
        const QString path = f.root + u'/' + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (relative == "pipe.txt") {
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (relative == "outside.txt") {
            QVERIFY(QFile::link(f.dir.filePath("elsewhere/private.txt"), path));
        } else if (relative == "inside.txt") {
            QVERIFY(QFile::link(f.root + "/real.txt", path));
        } else if (relative == "huge.txt") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(qint64(10) << 30)); // sparse: no disk used
        } else {
            writeFile(path, "hidden words");
        }
        auto summary = f.index();
        QVERIFY(summary.ok());
        const QString name = QFileInfo(path).fileName();
        QCOMPARE(f.names().contains(name), nameIndexed);
        QCOMPARE(f.fullText("private").size(), 0);
        QCOMPARE(f.fullText("hidden").size(), 0);
        if (message.isEmpty()) {
            QCOMPARE(f.messages, QStringList());
        } else {
            QCOMPARE(f.messages.size(), 1);
            QVERIFY2(f.messages[0].contains(name) && f.messages[0].contains(message),
                     qPrintable(f.messages[0]));
        }
    }

    void readsTagsFromTheDesktop() {
        Fixture f;
        writeFile(f.root + "/tagged.txt", "content");
        writeFile(f.root + "/plain.txt", "content");
        const QByteArray tagged = QFile::encodeName(f.root + "/tagged.txt");
        if (setxattr(tagged.constData(), "user.xdg.tags", "work, urgent,,work", 18, 0) != 0)
            QSKIP("this file system keeps no user extended attributes");
        QVERIFY(f.index().ok());
        QCOMPARE(f.query("SELECT f.filename, t.tag FROM file_tags t JOIN files f ON f.id = "
                         "t.file_id ORDER BY t.tag",
                         {}),
                 QList<QStringList>({{"tagged.txt", "urgent"}, {"tagged.txt", "work"}}));

        // A tag change alone (no new contents) is seen on the next pass.
        QCOMPARE(setxattr(tagged.constData(), "user.xdg.tags", "done", 4, 0), 0);
        auto summary = f.index();
        QVERIFY(summary.ok());
        QCOMPARE(summary->retagged, 1);
        QCOMPARE(f.scalar("SELECT count(*) FROM file_tags WHERE tag = 'done'"), 1);
        QCOMPARE(f.scalar("SELECT count(*) FROM file_tags"), 1);
    }

    // The launcher counts an open (one UPDATE, a one-second busy wait and one
    // retry) each time the indexer commits a batch, while the indexer goes on
    // with the next: no count is lost and no update fails.
    void launcherCountsOpensWhileTheIndexerWrites() {
        Fixture f;
        const int files = 1000;
        for (int i = 0; i < files; ++i)
            writeFile(QStringLiteral("%1/batch/file%2.txt").arg(f.root).arg(i),
                      QByteArray("some words to index ").repeated(50));
        writeFile(f.root + "/counted.txt", "opened often");
        QVERIFY(f.index().ok());
        f.query("UPDATE files SET open_count = 5 WHERE filename = 'counted.txt'", {});
        // Everything changes, so the next pass rewrites every row, the
        // counted file's too.
        for (int i = 0; i < files; ++i)
            writeFile(QStringLiteral("%1/batch/file%2.txt").arg(f.root).arg(i), "changed words");
        writeFile(f.root + "/counted.txt", "opened often, and edited");

        std::mutex mutex;
        std::condition_variable committed;
        int batches = 0;
        bool indexing = true;
        int counted = 0, failed = 0;
        std::thread launcher([&] {
            auto db = Connection::open(f.databasePath(), trovi::db::ReadWrite | trovi::db::Create |
                                                             trovi::db::FullMutex);
            db->setBusyTimeout(1000);
            const QString sql = "UPDATE files SET open_count = open_count + 1 "
                                "WHERE filename = 'counted.txt'";
            std::unique_lock lock(mutex);
            int seen = 0;
            while (indexing) {
                committed.wait(lock, [&] { return batches != seen || !indexing; });
                seen = batches;
                lock.unlock();
                auto error = db->run(sql);
                if (error && (error->code & 0xff) == 5)
                    error = db->run(sql);
                lock.lock();
                (error ? failed : counted)++;
            }
        });
        auto summary = f.index([&](int, int) {
            std::lock_guard lock(mutex);
            ++batches;
            committed.notify_all();
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
        QCOMPARE(f.scalar("SELECT open_count FROM files WHERE filename = 'counted.txt'"),
                 5 + counted);
    }
};

QTEST_GUILESS_MAIN(IndexerTest)
#include "tst_indexer.moc"
