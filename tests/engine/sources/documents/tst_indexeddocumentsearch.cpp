#include "db/SqliteDatabase.h"
#include "launcher/engine/sources/documents/IndexedDocumentSearch.h"
#include "launcher/engine/sources/documents/SnippetSegment.h"
#include "tests/support/DocumentIndex.h"
#include "tests/support/Results.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <thread>

using namespace trovi;
using trovi::test::DocumentIndex;
using trovi::test::names;

namespace {} // namespace

class TestIndexedDocumentSearch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_lines;

    QString indexPath() const { return m_dir.filePath(QStringLiteral("index.db")); }
    IndexedDocumentSearch::DiagnosticSink sink() {
        return [this](const QString& line) { m_lines << line; };
    }
    static QStringList find(IndexedDocumentSearch& index, const QString& query) {
        return names(index.search(query, {}, {}));
    }

private Q_SLOTS:
    void init() {
        m_lines.clear();
        QFile::remove(indexPath());
    }

    void nameMatchesComeFirstByOpenCountThenTagMatches() {
        DocumentIndex fixture(indexPath());
        fixture.add(1, "report-a.txt", 5, 100);
        fixture.add(2, "report-b.txt", 9, 100);
        fixture.add(3, "report-c.txt", 5, 200); // newer than report-a
        fixture.add(4, "notes.txt", 100, 100, {}, {"report"});
        fixture.add(5, "minutes.txt", 1, 100, {}, {"Quarterly-Report", "work"});
        fixture.add(6, "holiday.jpg", 50, 100, {}, {"beach"});
        IndexedDocumentSearch index(indexPath(), sink());
        // Punctuation keeps the full-text statement out of this one.
        QCOMPARE(find(index, "report-"),
                 QStringList({"report-b.txt", "report-c.txt", "report-a.txt"}));
        QCOMPARE(find(index, "REPORT"), QStringList({"report-b.txt", "report-c.txt", "report-a.txt",
                                                     "notes.txt", "minutes.txt"}));
        // "%" and "_" are text, not wildcards.
        QCOMPARE(find(index, "%%"), QStringList());
        QCOMPARE(find(index, "report_"), QStringList());
        QVERIFY(m_lines.isEmpty());
    }

    void contentMatchesFollowNameAndTagMatchesByTextRank() {
        DocumentIndex fixture(indexPath());
        fixture.add(1, "summary.txt", 0, 100, "the invoice total is attached");
        fixture.add(2, "invoice-march.pdf", 1, 100, "march");
        fixture.add(3, "scan.pdf", 9, 100, "paper", {"invoices"});
        fixture.add(4, "plan.txt", 7, 100,
                    "a long plan that mentions the invoice once among many other words about "
                    "schedules, staffing, venues and travel");
        fixture.add(5, "memo.txt", 0, 100, "invoice invoice invoice");
        fixture.add(6, "report.txt", 0, 100, "quarterly report 2024 final");
        IndexedDocumentSearch index(indexPath(), sink());
        const auto results = index.search("invoice", {}, {});
        QCOMPARE(names(results), QStringList({"invoice-march.pdf", "scan.pdf", "memo.txt",
                                              "summary.txt", "plan.txt"}));
        // The name match was also found in the text (its name column): listed
        // once, with a snippet.
        QVERIFY(results[0].snippet);
        QVERIFY(!results[1].snippet); // tag only
        QCOMPARE(*results[3].snippet, QStringLiteral("the <mark>invoice</mark> total is attached"));
        // The last word is a prefix; the words keep their order.
        QCOMPARE(find(index, "report 20"), QStringList({"report.txt"}));
        QCOMPARE(find(index, "2024 report"), QStringList());
        QVERIFY(m_lines.isEmpty());
    }

    void unexpectedColumnTypesFallBack() {
        {
            auto db = db::Connection::open(indexPath(), db::ReadWrite | db::Create);
            QVERIFY(
                !db->execute("CREATE TABLE files(id, filename, directory, open_count, indexed_at);"
                             "CREATE TABLE file_tags(file_id, tag);"
                             "INSERT INTO files VALUES ('seven', 42, NULL, 'many', 2);"
                             "INSERT INTO files VALUES (2, 'x.app', x'00', 4.0, 1);"
                             "INSERT INTO files VALUES (3, 'y.APP', '/d', 1, 1);"));
        }
        IndexedDocumentSearch index(indexPath(), sink());
        const auto results = index.search("", {}, {});
        QCOMPARE(names(results), QStringList({"", "x.app", "y.APP"}));
        QCOMPARE(results[0].databaseID(), std::optional<std::int64_t>(0));
        QCOMPARE(results[0].openCount, 0);
        QVERIFY(results[1].directory.isEmpty());
        QVERIFY(results[1].kind == SearchResultKind::app); // the suffix is case-sensitive
        QVERIFY(results[2].kind == SearchResultKind::file);
    }

    void learnedCountsAndUsageKeys() {
        DocumentIndex fixture(indexPath());
        fixture.add(1, "Report.TXT", 2, 100);
        fixture.add(2, "report-old.txt", 30, 100);
        fixture.add(3, "report.key", 1, 100);
        const auto usageKeyFor = [](const QString& fullPath, const QString&) {
            return fullPath == u"/w/report.key" ? std::optional<QString>("Shortcut:Report.KEY")
                                                : std::nullopt;
        };
        // Keys are looked up lower-cased, under the usage key when there is one.
        const QHash<QString, std::int64_t> learned = {
            {"/w/report.txt", 12}, {"/w/report-old.txt", 12}, {"shortcut:report.key", 5}};
        IndexedDocumentSearch index(indexPath(), sink());
        QHash<QString, std::int64_t> counts;
        for (const SearchResult& r :
             index.search("report", usageKeyFor, [&](const QString& key) { return learned[key]; }))
            counts.insert(r.filename, r.openCount);
        // The larger of the database's count and the learned one.
        QCOMPARE(counts, (QHash<QString, std::int64_t>{
                             {"Report.TXT", 12}, {"report-old.txt", 30}, {"report.key", 5}}));
    }

    void aSupersededSearchFindsNothingAndSaysNothing() {
        DocumentIndex fixture(indexPath());
        fixture.add(1, "budget.txt", 1, 100, "the budget for next year");
        fixture.add(2, "plan.txt", 1, 100, "budget lines");
        IndexedDocumentSearch index(indexPath(), sink());
        auto generation = std::make_shared<SearchGeneration>();
        const SearchTicket live(generation);
        QCOMPARE(names(index.search("budget", {}, {}, live)), find(index, "budget"));
        generation->bump();
        QVERIFY(index.search("budget", {}, {}, live).isEmpty());
        QVERIFY(m_lines.isEmpty());
    }

    // A count update waits out the indexer's brief write lock, and a count at
    // the top of the integer range stays there rather than turning into a
    // real number that reads back as never opened.
    void countUpdateWaitsForABriefLockAndStopsAtTheTop() {
        constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();
        DocumentIndex fixture(indexPath());
        fixture.add(1, "a.txt", largest - 1, 100);
        IndexedDocumentSearch index(indexPath(), sink());
        QVERIFY(!fixture.db.execute("BEGIN EXCLUSIVE; UPDATE files SET indexed_at = 200;"));
        std::thread indexer([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            fixture.db.execute("COMMIT");
        });
        const bool counted = index.incrementOpenCount(1);
        indexer.join();
        QVERIFY2(counted, qPrintable(m_lines.join(u'\n')));
        QCOMPARE(index.search("a.txt", {}, {}).value(0).openCount, largest);
        QVERIFY(index.incrementOpenCount(1));
        QCOMPARE(index.search("a.txt", {}, {}).value(0).openCount, largest);
        QVERIFY(m_lines.isEmpty());
    }

    // An index that cannot answer leaves search empty with one line per failed
    // statement, creates nothing, and works again once it can answer.
    void unusableIndexFailsCleanly_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("failure"); // expected in the first line
        const auto row = [](const char* state, const char* failure) {
            QTest::newRow(state) << QString(state) << QString(failure);
        };
        row("missing", "Failed to open database: "); // its folder is missing
        row("empty", "Search query failed: no such table");
        row("locked", "Search query failed: database is locked");       // before first use
        row("locked later", "Search query failed: database is locked"); // once prepared
    }

    void unusableIndexFailsCleanly() {
        QFETCH(QString, state);
        QFETCH(QString, failure);
        const QString path =
            state == "missing" ? m_dir.filePath("no-such-folder/index.db") : indexPath();
        std::optional<DocumentIndex> fixture;
        if (state.startsWith("locked")) {
            fixture.emplace(indexPath());
            fixture->add(1, "report.txt", 1, 100, "report body");
        }
        IndexedDocumentSearch index(path, sink());
        if (state == "locked later")
            QCOMPARE(find(index, "report").size(), 1);
        if (fixture) // the indexer holding a write transaction
            QVERIFY(!fixture->db.execute("BEGIN EXCLUSIVE; UPDATE files SET open_count = 50;"));

        QVERIFY(find(index, "report").isEmpty());
        QVERIFY(!index.incrementOpenCount(1));
        QVERIFY2(m_lines.value(0).startsWith(failure), qPrintable(m_lines.value(0)));
        QCOMPARE(m_lines.size(), state == "missing" ? 1 : 2);
        if (state != "missing")
            QVERIFY(m_lines[1].startsWith("Failed to increment open count: "));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("no-such-folder")));
        if (state == "empty") {
            auto check = db::Connection::open(indexPath(), db::ReadOnly);
            auto tables = check->prepare("SELECT count(*) FROM sqlite_master");
            QCOMPARE(tables->all().value().at(0).integer(0), std::optional<std::int64_t>(0));
        }
        if (fixture) { // once the indexer commits, the same connection works again
            QVERIFY(!fixture->db.execute("COMMIT"));
            QCOMPARE(index.search("report", {}, {}).value(0).openCount, 50);
            QVERIFY(index.incrementOpenCount(1));
            QCOMPARE(index.search("report", {}, {}).value(0).openCount, 51);
        }
    }

    // Segments joined by "|", a highlighted one marked with a leading "*".
    void snippetMarkupParses_data() {
        QTest::addColumn<QString>("snippet");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& snippet, const char* expected) {
            QTest::newRow(name) << snippet << QString(expected);
        };
        row("empty text gives nothing", QString(), "");
        row("highlight at both ends", "<mark>x</mark> and <mark>y</mark>", "*x| and |*y");
        row("extra closing tags after a highlight are rejoined", "<mark>a</mark>b</mark>c",
            "*a|b</mark>c");
        row("unclosed highlight runs to the end", "see <mark>this", "see |*this");
        row("empty highlight is dropped", "a<mark></mark>b", "a|b");
        row("line feeds become spaces", "one\n<mark>two\nlines</mark>\n", "one |*two lines| ");
    }

    void snippetMarkupParses() {
        QFETCH(QString, snippet);
        QFETCH(QString, expected);
        QStringList segments;
        for (const SnippetSegment& segment : parseSnippetSegments(snippet))
            segments.append((segment.isHighlighted ? "*" : "") + segment.text);
        QCOMPARE(segments.join(u'|'), expected);
    }
};

QTEST_GUILESS_MAIN(TestIndexedDocumentSearch)
#include "tst_indexeddocumentsearch.moc"
