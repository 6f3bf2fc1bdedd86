#include "db/SqliteDatabase.h"
#include "launcher/engine/IndexedDocumentSearch.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace trovi;

namespace {

// A document index laid out the way the companion indexer writes it.
class IndexFixture {
public:
    explicit IndexFixture(const QString& path, bool withFullText = true) {
        auto opened = db::Connection::open(path, db::ReadWrite | db::Create);
        QVERIFY2(opened.ok(), "cannot create index fixture");
        m_db = std::move(opened.value());
        QString schema = QStringLiteral(
            "CREATE TABLE files(id INTEGER PRIMARY KEY, filename TEXT NOT NULL, directory TEXT "
            "NOT NULL, open_count INTEGER NOT NULL DEFAULT 0, indexed_at REAL NOT NULL);"
            "CREATE TABLE file_tags(file_id INTEGER NOT NULL, tag TEXT NOT NULL);");
        if (withFullText)
            schema +=
                QStringLiteral("CREATE VIRTUAL TABLE files_fts USING fts5(filename, content);");
        QVERIFY(!m_db.execute(schema));
        m_withFullText = withFullText;
    }

    void add(std::int64_t id, const QString& filename, const QString& directory,
             std::int64_t openCount, double indexedAt, const QString& content = {},
             const QStringList& tags = {}) {
        QVERIFY(!m_db.run(QStringLiteral("INSERT INTO files VALUES (?, ?, ?, ?, ?)"),
                          {id, filename, directory, openCount, indexedAt}));
        if (m_withFullText)
            QVERIFY(!m_db.run(
                QStringLiteral("INSERT INTO files_fts(rowid, filename, content) VALUES (?, ?, ?)"),
                {id, filename, content}));
        for (const QString& tag : tags)
            QVERIFY(!m_db.run(QStringLiteral("INSERT INTO file_tags VALUES (?, ?)"), {id, tag}));
    }

    db::Connection& connection() { return m_db; }

private:
    db::Connection m_db;
    bool m_withFullText = true;
};

QStringList names(const QList<SearchResult>& results) {
    QStringList list;
    for (const SearchResult& result : results)
        list << result.filename;
    return list;
}

QStringList sortedNames(const QList<SearchResult>& results) {
    QStringList list = names(results);
    list.sort();
    return list;
}

const IndexedDocumentSearch::UsageKeyProvider noUsageKey = [](const QString&, const QString&) {
    return std::optional<QString>();
};
const IndexedDocumentSearch::LearnedCountProvider noLearnedCount = [](const QString&) {
    return std::int64_t(0);
};

} // namespace

class TestIndexedDocumentSearch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_lines;

    QString indexPath() const { return m_dir.filePath(QStringLiteral("index.db")); }
    IndexedDocumentSearch::DiagnosticSink sink() {
        return [this](const QString& line) { m_lines << line; };
    }
    QList<SearchResult> searchFor(IndexedDocumentSearch& index, const QString& query) {
        return index.search(query, noUsageKey, noLearnedCount);
    }

private Q_SLOTS:
    void init() {
        m_lines.clear();
        QFile::remove(indexPath());
    }

    void fullTextQuery_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<std::optional<QString>>("expected");
        const std::optional<QString> none;
        auto phrase = [](const QString& text) { return std::optional<QString>(text); };

        QTest::addRow("words and digits") << "report 2024" << phrase("\"report 2024\"*");
        QTest::addRow("trimmed, case kept") << "  Quarterly Report \n"
                                            << phrase("\"Quarterly Report\"*");
        QTest::addRow("inner tab") << "tab\there" << phrase("\"tab\there\"*");
        QTest::addRow("accented letters") << "café Über" << phrase("\"café Über\"*");
        QTest::addRow("combining mark") << "nai\u0308ve" << phrase("\"nai\u0308ve\"*");
        QTest::addRow("ideographs") << "日本語" << phrase("\"日本語\"*");
        QTest::addRow("no-break space") << "a\u00A0b" << phrase("\"a\u00A0b\"*");
        QTest::addRow("percent sign") << "50% off" << none;
        QTest::addRow("hyphen") << "a-b" << none;
        QTest::addRow("double quote") << "say \"hi\"" << none;
        QTest::addRow("fts operator") << "rep*" << none;
        QTest::addRow("inner line feed") << "two\nlines" << none;
        QTest::addRow("emoji") << "party 🎉" << none;
        QTest::addRow("empty") << "" << none;
        QTest::addRow("blank") << " \t\n " << none;
    }

    void fullTextQuery() {
        QFETCH(QString, query);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(indexedFTSQuery(query), expected);
    }

    void defaultPathIsUnderHome() {
        QCOMPARE(IndexedDocumentSearch::defaultDatabasePath(QStringLiteral("/home/ana")),
                 QStringLiteral("/home/ana/.pelmora/index.db"));
    }

    void nameMatchesComeFirstByOpenCountThenTagMatches() {
        IndexFixture fixture(indexPath());
        fixture.add(1, "report-a.txt", "/docs", 5, 100);
        fixture.add(2, "report-b.txt", "/docs", 9, 100);
        fixture.add(3, "report-c.txt", "/docs", 5, 200); // newer than report-a
        fixture.add(4, "notes.txt", "/docs", 100, 100, {}, {"report"});
        fixture.add(5, "minutes.txt", "/docs", 1, 100, {}, {"Quarterly-Report", "work"});
        fixture.add(6, "holiday.jpg", "/pics", 50, 100, {}, {"beach"});

        IndexedDocumentSearch index(indexPath(), sink());
        QVERIFY(index.isOpen());
        // Punctuation keeps the full-text statement out of this one.
        QCOMPARE(names(searchFor(index, "report-")),
                 QStringList({"report-b.txt", "report-c.txt", "report-a.txt"}));
        QCOMPARE(names(searchFor(index, "REPORT")),
                 QStringList(
                     {"report-b.txt", "report-c.txt", "report-a.txt", "notes.txt", "minutes.txt"}));
        QVERIFY(m_lines.isEmpty());
    }

    void nameAndContentMatchIsListedOnceWithSnippet() {
        IndexFixture fixture(indexPath());
        fixture.add(1, "budget.xlsx", "/work", 0, 100, "annual budget figures for the board");
        fixture.add(2, "plan.txt", "/work", 7, 100,
                    "a long plan that mentions the budget once among many other words about "
                    "schedules, staffing, venues and travel");
        fixture.add(3, "memo.txt", "/work", 0, 100, "budget budget budget");
        fixture.add(4, "unrelated.txt", "/work", 0, 100, "nothing to see");

        IndexedDocumentSearch index(indexPath(), sink());
        const auto results = searchFor(index, "budget");
        QCOMPARE(names(results), QStringList({"budget.xlsx", "memo.txt", "plan.txt"}));
        QVERIFY(results[0].snippet);
        QVERIFY(results[0].snippet->contains("<mark>budget</mark>"));
        QVERIFY(results[1].snippet && results[1].snippet->contains("<mark>budget</mark>"));
        QVERIFY(m_lines.isEmpty());
    }

    void contentOnlyRowsFollowNameAndTagRows() {
        IndexFixture fixture(indexPath());
        fixture.add(1, "summary.txt", "/w", 0, 100, "the invoice total is attached");
        fixture.add(2, "invoice-march.pdf", "/w", 1, 100, "march");
        fixture.add(3, "scan.pdf", "/w", 9, 100, "paper", {"invoices"});

        IndexedDocumentSearch index(indexPath(), sink());
        const auto results = searchFor(index, "invoice");
        QCOMPARE(names(results), QStringList({"invoice-march.pdf", "scan.pdf", "summary.txt"}));
        // The name match was also found in the text (its name column) and gains a snippet.
        QVERIFY(results[0].snippet);
        QVERIFY(!results[1].snippet); // tag only
        QCOMPARE(*results[2].snippet, QStringLiteral("the <mark>invoice</mark> total is attached"));
    }

    void prefixOfLastWordMatchesText() {
        IndexFixture fixture(indexPath());
        fixture.add(1, "a.txt", "/w", 0, 100, "quarterly report 2024 final");
        fixture.add(2, "b.txt", "/w", 0, 100, "annual report 2023");
        IndexedDocumentSearch index(indexPath(), sink());
        QCOMPARE(sortedNames(searchFor(index, "report 20")), QStringList({"a.txt", "b.txt"}));
        QCOMPARE(sortedNames(searchFor(index, "report 202")), QStringList({"a.txt", "b.txt"}));
        QCOMPARE(names(searchFor(index, "2023 report")), QStringList());
        QCOMPARE(names(searchFor(index, "report 2024")), QStringList({"a.txt"}));
    }

    // Without a full-text table the full-text statement would fail, which shows
    // that these queries run the name statement only.
    void queriesWithoutFullTextRunNameStatementOnly_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("empty matches every file")
            << "" << QStringList({"b c.txt", "50% off.pdf", "a-b.txt"});
        QTest::addRow("blank is not trimmed") << " " << QStringList({"b c.txt", "50% off.pdf"});
        QTest::addRow("percent sign") << "50% off" << QStringList({"50% off.pdf"});
        QTest::addRow("hyphen") << "a-b" << QStringList({"a-b.txt"});
    }

    void queriesWithoutFullTextRunNameStatementOnly() {
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        IndexFixture fixture(indexPath(), false);
        fixture.add(1, "a-b.txt", "/w", 1, 100);
        fixture.add(2, "b c.txt", "/w", 3, 100);
        fixture.add(3, "50% off.pdf", "/w", 2, 100);
        IndexedDocumentSearch index(indexPath(), sink());
        QCOMPARE(names(searchFor(index, query)), expected);
        QCOMPARE(m_lines, QStringList());
    }

    void failingFullTextStatementDropsNameRowsToo() {
        IndexFixture fixture(indexPath(), false);
        fixture.add(1, "report.txt", "/w", 1, 100);
        IndexedDocumentSearch index(indexPath(), sink());
        QVERIFY(searchFor(index, "report").isEmpty());
        QCOMPARE(m_lines.size(), 1);
        QVERIFY2(m_lines[0].startsWith("Search query failed: ") && m_lines[0].contains("files_fts"),
                 qPrintable(m_lines[0]));
    }

    void eachStatementIsLimitedTo250Rows() {
        IndexFixture fixture(indexPath());
        QVERIFY(!fixture.connection().execute("BEGIN"));
        for (int i = 1; i <= 300; ++i)
            fixture.add(i, QStringLiteral("doc-%1.txt").arg(i), "/w", i, 100, "alpha");
        QVERIFY(!fixture.connection().execute("COMMIT"));
        IndexedDocumentSearch index(indexPath(), sink());
        const auto byName = searchFor(index, "doc-");
        QCOMPARE(byName.size(), 250);
        QCOMPARE(byName.first().filename, QStringLiteral("doc-300.txt"));
        QCOMPARE(byName.last().filename, QStringLiteral("doc-51.txt"));
        QCOMPARE(searchFor(index, "alpha").size(), 250);
    }

    void recordsCarryIndexFields() {
        IndexFixture fixture(indexPath());
        fixture.add(7, "Tool.app", "/Applications", 3, 100);
        fixture.add(8, "tool.APP", "/Downloads", 2, 100);
        fixture.add(9, "toolkit.pdf", "/Docs/", 1, 100);
        IndexedDocumentSearch index(indexPath(), sink());
        const auto results = searchFor(index, "tool");
        QCOMPARE(results.size(), 3);

        QCOMPARE(results[0].id, 7);
        QCOMPARE(toString(results[0].kind), QStringLiteral("app"));
        QCOMPARE(results[0].databaseID(), std::optional<std::int64_t>(7));
        QCOMPARE(results[0].givenDatabaseID, std::optional<std::int64_t>(7));
        QCOMPARE(results[0].openCount, 3);
        QCOMPARE(results[0].fullPath(), QStringLiteral("/Applications/Tool.app"));
        QCOMPARE(toString(results[1].kind), QStringLiteral("file"));
        QCOMPARE(results[2].fullPath(), QStringLiteral("/Docs/toolkit.pdf"));
        for (const SearchResult& result : results) {
            QVERIFY(!result.action && !result.actionURLString && !result.fallbackActionURLString);
            QVERIFY(!result.isDirectPathMatch && !result.isRecentActivation);
            QVERIFY(!result.relevanceScore && !result.usageKey);
        }
    }

    void unexpectedColumnTypesFallBack() {
        {
            auto db = db::Connection::open(indexPath(), db::ReadWrite | db::Create);
            QVERIFY(db.ok());
            QVERIFY(
                !db->execute("CREATE TABLE files(id, filename, directory, open_count, indexed_at);"
                             "CREATE TABLE file_tags(file_id, tag);"
                             "INSERT INTO files VALUES ('seven', 42, NULL, 'many', 2);"
                             "INSERT INTO files VALUES (2, 'x.app', x'00', 4.0, 1);"));
        }
        IndexedDocumentSearch index(indexPath(), sink());
        const auto results = searchFor(index, "");
        QCOMPARE(results.size(), 2);
        QCOMPARE(results[0].id, 0);
        QCOMPARE(results[0].databaseID(), std::optional<std::int64_t>(0));
        QVERIFY(results[0].filename.isEmpty());
        QCOMPARE(results[1].id, 2);
        QCOMPARE(results[1].filename, QStringLiteral("x.app"));
        QCOMPARE(toString(results[1].kind), QStringLiteral("app"));
        for (const SearchResult& result : results) {
            QCOMPARE(result.openCount, 0);
            QVERIFY(result.directory.isEmpty());
            QVERIFY(!result.snippet);
        }
    }

    void learnedCountsAndUsageKeys() {
        IndexFixture fixture(indexPath());
        fixture.add(1, "Report.TXT", "/Docs", 2, 100);
        fixture.add(2, "report-old.txt", "/Docs", 30, 100);
        fixture.add(3, "report.key", "/Slides", 1, 100);

        QStringList askedKeys;
        QStringList askedPaths;
        const IndexedDocumentSearch::UsageKeyProvider usageKeyFor =
            [&](const QString& fullPath, const QString& filename) -> std::optional<QString> {
            askedPaths << fullPath + "|" + filename;
            if (filename == "report.key")
                return QStringLiteral("Shortcut:Report.KEY");
            return std::nullopt;
        };
        const IndexedDocumentSearch::LearnedCountProvider learned = [&](const QString& key) {
            askedKeys << key;
            if (key == "/docs/report.txt" || key == "/docs/report-old.txt")
                return std::int64_t(12);
            if (key == "shortcut:report.key")
                return std::int64_t(5);
            return std::int64_t(0);
        };

        IndexedDocumentSearch index(indexPath(), sink());
        const auto results = index.search("report-", usageKeyFor, learned);
        QCOMPARE(names(results), QStringList({"report-old.txt"}));
        QCOMPARE(results[0].openCount, 30); // the database count is larger

        const auto all = index.search("report", usageKeyFor, learned);
        QCOMPARE(all.size(), 3);
        for (const SearchResult& result : all) {
            if (result.filename == "Report.TXT") {
                QCOMPARE(result.openCount, 12);
                QVERIFY(!result.usageKey);
            } else if (result.filename == "report.key") {
                QCOMPARE(result.openCount, 5);
                QCOMPARE(result.usageKey, std::optional<QString>("Shortcut:Report.KEY"));
            }
        }
        QVERIFY(askedPaths.contains("/Slides/report.key|report.key"));
        QVERIFY(askedKeys.contains("shortcut:report.key"));
        QVERIFY(!askedKeys.contains("/slides/report.key"));
    }

    void incrementsOpenCount() {
        IndexFixture fixture(indexPath());
        fixture.add(1, "a.txt", "/w", 4, 100);
        IndexedDocumentSearch index(indexPath(), sink());
        QVERIFY(index.incrementOpenCount(1));
        QVERIFY(index.incrementOpenCount(1));
        QVERIFY(index.incrementOpenCount(999)); // no row: nothing to do, still fine
        QCOMPARE(searchFor(index, "a.txt").first().openCount, 6);
        QVERIFY(m_lines.isEmpty());
    }

    void missingFolderLeavesSearchInert() {
        const QString path = m_dir.filePath("no-such-folder/index.db");
        IndexedDocumentSearch index(path, sink());
        QVERIFY(!index.isOpen());
        QCOMPARE(m_lines.size(), 1);
        QVERIFY2(m_lines[0].startsWith("Failed to open database: "), qPrintable(m_lines[0]));
        QVERIFY(searchFor(index, "anything").isEmpty());
        QVERIFY(!index.incrementOpenCount(1));
        QCOMPARE(m_lines.size(), 1);
        QVERIFY(!QFileInfo::exists(m_dir.filePath("no-such-folder")));
    }

    void emptyDatabaseIsCreatedButNeverGivenTables() {
        IndexedDocumentSearch index(indexPath(), sink());
        QVERIFY(index.isOpen());
        QVERIFY(QFileInfo::exists(indexPath()));
        QVERIFY(searchFor(index, "report").isEmpty());
        QCOMPARE(m_lines.size(), 1);
        QVERIFY2(m_lines[0].startsWith("Search query failed: ") && m_lines[0].contains("files"),
                 qPrintable(m_lines[0]));
        QVERIFY(!index.incrementOpenCount(1));
        QCOMPARE(m_lines.size(), 2);
        QVERIFY(m_lines[1].startsWith("Failed to increment open count: "));

        auto check = db::Connection::open(indexPath(), db::ReadOnly);
        auto tables = check->prepare("SELECT count(*) FROM sqlite_master");
        QVERIFY(tables.ok());
        QCOMPARE(tables->all().value().at(0).integer(0), std::optional<std::int64_t>(0));
    }

    void lockedDatabaseFailsCleanly_data() {
        QTest::addColumn<bool>("searchedBefore");
        QTest::addRow("lock before first use") << false;
        QTest::addRow("lock after the schema is known") << true;
    }

    void lockedDatabaseFailsCleanly() {
        QFETCH(bool, searchedBefore);
        IndexFixture fixture(indexPath());
        fixture.add(1, "report.txt", "/w", 1, 100, "report body");
        IndexedDocumentSearch index(indexPath(), sink());
        if (searchedBefore)
            QCOMPARE(searchFor(index, "report").size(), 1);

        // The indexer holding a write transaction.
        QVERIFY(!fixture.connection().execute("BEGIN EXCLUSIVE"));
        QVERIFY(!fixture.connection().run("UPDATE files SET open_count = 50"));

        QVERIFY(searchFor(index, "report").isEmpty());
        QVERIFY(searchFor(index, "").isEmpty());
        QVERIFY(!index.incrementOpenCount(1));
        QCOMPARE(m_lines.size(), 3);
        QVERIFY2(m_lines[0].startsWith("Search query failed: ") && m_lines[0].contains("locked"),
                 qPrintable(m_lines[0]));
        QVERIFY(m_lines[2].startsWith("Failed to increment open count: "));

        // Once the indexer commits, the same connection works again.
        QVERIFY(!fixture.connection().execute("COMMIT"));
        const auto results = searchFor(index, "report");
        QCOMPARE(results.size(), 1);
        QCOMPARE(results[0].openCount, 50);
        QVERIFY(index.incrementOpenCount(1));
    }
};

QTEST_GUILESS_MAIN(TestIndexedDocumentSearch)
#include "tst_indexeddocumentsearch.moc"
