// Scores, text tiers, the display order and the reference catalogue filter.
#include "launcher/engine/ranking/Relevance.h"
#include "launcher/engine/ranking/SearchRankingSettingsStore.h"
#include "launcher/settings/PreferenceStore.h"
#include "tests/support/ResultNames.h"

#include <QTest>

using namespace trovi;
using trovi::test::names;

Q_DECLARE_METATYPE(trovi::SearchResult)

namespace {

SearchResult item(SearchResultKind kind, const QString& name, std::int64_t openCount = 0,
                  const QString& directory = QStringLiteral("/home/ana/Documents")) {
    SearchResult r;
    r.id = stableNegativeID(joinPath(directory, name));
    r.kind = kind;
    r.filename = name;
    r.directory = directory;
    r.openCount = openCount;
    return r;
}

SearchResult fileNamed(const QString& name, std::int64_t openCount = 0) {
    return item(SearchResultKind::file, name, openCount);
}

SearchResult actionRow(SearchResultAction action, const QString& subtitle = "Action",
                       std::int64_t openCount = 0, const QString& title = "hola") {
    SearchResult r = item(SearchResultKind::action, title, openCount, subtitle);
    r.action = action;
    r.actionURLString = QStringLiteral("https://example.org/item");
    return r;
}

SearchResult with(SearchResult r, const std::function<void(SearchResult&)>& change) {
    change(r);
    return r;
}

SearchRankingPreferences defaultPreferences() {
    InMemoryPreferenceStore store;
    return SearchRankingSettingsStore(store).load();
}

} // namespace

class RelevanceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchableBasename_data() {
        QTest::addColumn<QString>("filename");
        QTest::addColumn<QString>("expected");
        QTest::addRow("link loses both suffixes") << "Budget.gsheet.url"
                                                  << "budget";
        QTest::addRow("only the last extension goes") << "archive.tar.gz"
                                                      << "archive.tar";
        QTest::addRow("name that is only a suffix stays whole") << ".url"
                                                                << ".url";
        QTest::addRow("hidden file keeps its name") << ".bashrc"
                                                    << ".bashrc";
        QTest::addRow("non-ASCII") << "Ünïcode Notes.TXT"
                                   << "ünïcode notes";
    }

    void searchableBasename() {
        QFETCH(QString, filename);
        QFETCH(QString, expected);
        const auto suffixes = defaultPreferences().sortedSuffixesForBasenameStripping();
        QCOMPARE(trovi::searchableBasename(filename, suffixes), expected);
    }

    void scoreComponents_data() {
        using K = SearchResultKind;
        using A = SearchResultAction;
        QTest::addColumn<SearchResult>("result");
        QTest::addColumn<QString>("query");
        QTest::addColumn<qint64>("expected");
        // Tiers, on a file without boost or usage.
        QTest::addRow("contains 250") << fileNamed("old notes.md") << "notes" << qint64(250);
        QTest::addRow("prefix 500") << fileNamed("notes old.md") << "notes" << qint64(500);
        QTest::addRow("exact 1000") << fileNamed("Notes.md") << "notes" << qint64(1000);
        QTest::addRow("snippet text counts as contains, plus 50")
            << with(fileNamed("a.md"), [](SearchResult& r) { r.snippet = "Quarterly TAXES"; })
            << "taxes" << qint64(250 + 50);
        QTest::addRow("action URL counts as contains")
            << actionRow(A::openBrowserFavorite) << "example.org" << qint64(250 + 250);
        // Base points by kind and action.
        QTest::addRow("app 600") << item(K::app, "Calendar") << "zq" << qint64(600);
        QTest::addRow("folder 70") << item(K::folder, "Stuff") << "zq" << qint64(70);
        QTest::addRow("settings pane 300")
            << actionRow(A::openSystemSettings) << "zq" << qint64(300);
        QTest::addRow("notion page 280") << actionRow(A::openNotionPage) << "zq" << qint64(280);
        QTest::addRow("bookmark 250") << actionRow(A::openBrowserFavorite) << "zq" << qint64(250);
        // Usage: capped at 50 opens, 120 a time for apps and panes, 40 otherwise.
        QTest::addRow("app opened 80 times counts as 50")
            << item(K::app, "Calendar", 80) << "zq" << qint64(600 + 6000);
        QTest::addRow("indexed app weighs like a file")
            << with(item(K::app, "Calendar", 80), [](SearchResult& r) { r.id = 12; }) << "zq"
            << qint64(600 + 2000);
        QTest::addRow("settings pane opened 80 times")
            << actionRow(A::openSystemSettings, "Action", 80) << "zq" << qint64(300 + 6000);
        QTest::addRow("file opened 80 times") << fileNamed("notes.md", 80) << "zq" << qint64(2000);
        // Flags and boosts.
        QTest::addRow("recent activation 800")
            << with(fileNamed("notes.md"), [](SearchResult& r) { r.isRecentActivation = true; })
            << "zq" << qint64(800);
        QTest::addRow("snippet 50")
            << with(fileNamed("notes.md"), [](SearchResult& r) { r.snippet = QString(); }) << "zq"
            << qint64(50);
        QTest::addRow("web link boost 320") << fileNamed("Report.webloc") << "zq" << qint64(320);
        QTest::addRow("action ending in .pdf gets no boost")
            << actionRow(A::openSettings, "Action", 0, "Manual.pdf") << "zq" << qint64(60);
        QTest::addRow("everything together")
            << with(item(K::app, "Calendar.app", 9),
                    [](SearchResult& r) {
                        r.isRecentActivation = true;
                        r.snippet = "x";
                    })
            << "calendar" << qint64(1000 + 600 + 9 * 120 + 800 + 50 + 120);
        QTest::addRow("a typed path scores 5000 whatever else")
            << with(fileNamed("Budget.gsheet.url", 80),
                    [](SearchResult& r) { r.isDirectPathMatch = r.isRecentActivation = true; })
            << "budget" << qint64(5000);
    }

    void scoreComponents() {
        QFETCH(SearchResult, result);
        QFETCH(QString, query);
        QFETCH(qint64, expected);
        QCOMPARE(relevanceScore(result, query, defaultPreferences()), expected);
    }

    void fixedScores_data() {
        const auto bookmark = SearchResultAction::openBrowserFavorite;
        QTest::addColumn<SearchResult>("result");
        QTest::addColumn<qint64>("expected"); // -1: no fixed score
        QTest::addRow("copy row") << actionRow(SearchResultAction::copyToClipboard)
                                  << qint64(10000);
        QTest::addRow("translating locally")
            << actionRow(bookmark, "Translating locally…") << qint64(9500);
        QTest::addRow("local engine unavailable")
            << actionRow(bookmark, "Local engine unavailable — open dictionary") << qint64(9000);
        QTest::addRow("local result unchanged, any case")
            << actionRow(bookmark, "LOCAL RESULT UNCHANGED") << qint64(8800);
        QTest::addRow("first matching text wins")
            << actionRow(bookmark, "local result unchanged, translating locally") << qint64(9500);
        QTest::addRow("file in a folder of that name")
            << item(SearchResultKind::file, "a.txt", 0, "/tmp/translating locally") << qint64(-1);
    }

    void fixedScores() {
        QFETCH(SearchResult, result);
        QFETCH(qint64, expected);
        QCOMPARE(fixedScore(result).value_or(-1), expected);
        // A fixed score ignores everything else about the row.
        result.openCount = 80;
        result.isRecentActivation = result.isDirectPathMatch = true;
        if (expected != -1)
            QCOMPARE(relevanceScore(result, "hola", defaultPreferences()), expected);
    }

    void displayOrder_data() {
        // Each row: name, score (-1 = absent), open count; in incoming order.
        using Row = std::tuple<QString, qint64, qint64>;
        QTest::addColumn<QList<Row>>("rows");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("higher score first, absent counts as zero")
            << QList<Row>{{"neg", -5, 9}, {"none", -1, 0}, {"high", 30, 0}, {"zero", 0, 1}}
            << QStringList{"high", "zero", "none", "neg"};
        QTest::addRow("equal score: more opens first")
            << QList<Row>{{"a", 10, 1}, {"b", 10, 7}, {"c", 10, 3}} << QStringList{"b", "c", "a"};
        QTest::addRow("equal score and opens: name regardless of case")
            << QList<Row>{{"banana", 10, 2},
                          {"Cherry", 10, 2},
                          {"apple", 10, 2},
                          {"Apricot", 10, 2}}
            << QStringList{"apple", "Apricot", "banana", "Cherry"};
        QTest::addRow("names equal but for case keep incoming order")
            << QList<Row>{{"report", 10, 2}, {"Report", 10, 2}, {"REPORT", 10, 2}}
            << QStringList{"report", "Report", "REPORT"};
    }

    void displayOrder() {
        using Row = std::tuple<QString, qint64, qint64>;
        QFETCH(QList<Row>, rows);
        QFETCH(QStringList, expected);
        QList<SearchResult> results;
        for (const auto& [name, score, count] : rows)
            results.append(fileNamed(name, count)
                               .withRelevanceScore(score == -1
                                                       ? std::nullopt
                                                       : std::optional<std::int64_t>(score)));
        sortForDisplay(results);
        QCOMPARE(names(results), expected);
    }

    void pathResultsOrderExactThenPrefixThenCountThenName() {
        const QList<SearchResult> catalogue = {
            fileNamed("Team budget.xlsx", 40),   fileNamed("budgets 2023.pdf", 1),
            fileNamed("Budget planning.txt", 3), fileNamed("Budget.gsheet.url", 0),
            fileNamed("Unrelated.txt", 90),      fileNamed("budget ideas.md", 3),
        };
        const auto sorted = filterAndSortPathResults(catalogue, "budget", defaultPreferences(), {});
        QCOMPARE(names(sorted),
                 (QStringList{"Budget.gsheet.url", "budget ideas.md", "Budget planning.txt",
                              "budgets 2023.pdf", "Team budget.xlsx"}));
    }

    void pathResultsAskLearnedCountsOnlyForPlainPaths() {
        SearchResult indexed = fileNamed("notes indexed.txt", 2);
        indexed.id = 31;
        const QList<SearchResult> catalogue = {
            fileNamed("notes a.txt", 1), indexed,
            actionRow(SearchResultAction::openSettings, "Action", 0, "notes action"),
            fileNamed("notes b.txt", 0)};
        QStringList asked;
        const auto sorted = filterAndSortPathResults(
            catalogue, "notes", defaultPreferences(),
            [&](const SearchResult& r, std::int64_t databaseCount) -> std::int64_t {
                asked.append(r.filename);
                return r.filename == u"notes b.txt" ? 9 : databaseCount;
            });
        QCOMPARE(asked, (QStringList{"notes a.txt", "notes b.txt"}));
        QCOMPARE(sorted[0].filename, "notes b.txt");
        QCOMPARE(sorted[0].openCount, 9);
    }

    void pathResultsAreCutTo80() {
        QList<SearchResult> catalogue;
        for (int i = 0; i < 120; ++i)
            catalogue.append(fileNamed(QStringLiteral("report %1.pdf").arg(i), i % 7));
        const auto sorted = filterAndSortPathResults(catalogue, "report", defaultPreferences(), {});
        QCOMPARE(sorted.size(), 80);
        // The most opened are kept: all 17 with six opens.
        QCOMPARE(std::count_if(sorted.cbegin(), sorted.cend(),
                               [](const SearchResult& r) { return r.openCount == 6; }),
                 17);
    }
};

QTEST_GUILESS_MAIN(RelevanceTest)
#include "tst_relevance.moc"
