// Scores, text tiers, the display order and the reference catalogue filter.
#include "launcher/engine/Relevance.h"
#include "launcher/engine/SearchRankingSettingsStore.h"
#include "launcher/settings/PreferenceStore.h"

#include <QTest>

using namespace trovi;

Q_DECLARE_METATYPE(trovi::SearchResult)

namespace {

SearchResult makeResult(SearchResultKind kind, const QString& name,
                        const QString& directory = QStringLiteral("/home/ana/Documents"),
                        std::int64_t openCount = 0) {
    SearchResult r;
    r.id = stableNegativeID(joinPath(directory, name));
    r.kind = kind;
    r.filename = name;
    r.directory = directory;
    r.openCount = openCount;
    return r;
}

SearchResult fileNamed(const QString& name, std::int64_t openCount = 0) {
    return makeResult(SearchResultKind::file, name, QStringLiteral("/home/ana/Documents"),
                      openCount);
}

SearchResult actionRow(SearchResultAction action, const QString& title,
                       const QString& subtitle = QStringLiteral("Action"),
                       std::int64_t openCount = 0) {
    SearchResult r = makeResult(SearchResultKind::action, title, subtitle, openCount);
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

QStringList names(const QList<SearchResult>& results) {
    QStringList list;
    for (const SearchResult& r : results)
        list.append(r.filename);
    return list;
}

} // namespace

class RelevanceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchableBasename_data();
    void searchableBasename();
    void textMatchTier_data();
    void textMatchTier();
    void scoreComponents_data();
    void scoreComponents();
    void fixedScores_data();
    void fixedScores();
    void directPathMatchScoresExactly5000();
    void displayOrder_data();
    void displayOrder();
    void scoredForDisplayLeavesEmptyQueryUnchanged();
    void scoredForDisplayKeepsExistingScoresAndSorts();
    void pathResultsOrderExactThenPrefixThenCountThenName();
    void pathResultsAskLearnedCountsOnlyForPlainPaths();
    void pathResultsAreCutTo80();
};

void RelevanceTest::searchableBasename_data() {
    QTest::addColumn<QString>("filename");
    QTest::addColumn<QString>("expected");
    QTest::addRow("spreadsheet link loses both suffixes") << "Budget.gsheet.url"
                                                          << "budget";
    QTest::addRow("web link") << "Report.webloc"
                              << "report";
    QTest::addRow("rule suffix in capitals") << "Scan.PDF"
                                             << "scan";
    QTest::addRow("unknown extension is dropped") << "Photo.JPEG"
                                                  << "photo";
    QTest::addRow("only the last extension goes") << "archive.tar.gz"
                                                  << "archive.tar";
    QTest::addRow("name that is only a suffix stays whole") << ".url"
                                                            << ".url";
    QTest::addRow("hidden file keeps its name") << ".bashrc"
                                                << ".bashrc";
    QTest::addRow("no extension") << "README"
                                  << "readme";
    QTest::addRow("trailing dot") << "draft."
                                  << "draft";
    QTest::addRow("non-ASCII") << "Ünïcode Notes.TXT"
                               << "ünïcode notes";
    QTest::addRow("empty") << ""
                           << "";
}

void RelevanceTest::searchableBasename() {
    QFETCH(QString, filename);
    QFETCH(QString, expected);
    const auto prefs = defaultPreferences();
    QCOMPARE(trovi::searchableBasename(filename, prefs.sortedSuffixesForBasenameStripping()),
             expected);
}

void RelevanceTest::textMatchTier_data() {
    QTest::addColumn<SearchResult>("result");
    QTest::addColumn<QString>("query");
    QTest::addColumn<TextMatchTier>("expected");
    QTest::addRow("base name equals query")
        << fileNamed("Budget.gsheet.url") << "budget" << TextMatchTier::exact;
    QTest::addRow("whole name equals query")
        << fileNamed("Budget.gsheet.url") << "budget.gsheet.url" << TextMatchTier::exact;
    QTest::addRow("base name starts with query")
        << fileNamed("Budget 2024.xlsx") << "bud" << TextMatchTier::prefix;
    QTest::addRow("name contains query")
        << fileNamed("Team budget.xlsx") << "budget" << TextMatchTier::contains;
    QTest::addRow("only the suffix matches")
        << fileNamed("Team.xlsx") << "xlsx" << TextMatchTier::contains;
    QTest::addRow("directory contains query")
        << makeResult(SearchResultKind::file, "a.txt", "/home/ana/Taxes") << "taxes"
        << TextMatchTier::contains;
    QTest::addRow("snippet contains query")
        << with(fileNamed("a.txt"), [](SearchResult& r) { r.snippet = "Quarterly TAXES due"; })
        << "taxes" << TextMatchTier::contains;
    QTest::addRow("action URL contains query")
        << actionRow(SearchResultAction::openBrowserFavorite, "Home") << "example.org"
        << TextMatchTier::contains;
    QTest::addRow("no match") << fileNamed("Team.xlsx") << "budget" << TextMatchTier::none;
}

void RelevanceTest::textMatchTier() {
    QFETCH(SearchResult, result);
    QFETCH(QString, query);
    QFETCH(TextMatchTier, expected);
    const auto prefs = defaultPreferences();
    QCOMPARE(trovi::textMatchTier(result, query, prefs.sortedSuffixesForBasenameStripping()),
             expected);
}

void RelevanceTest::scoreComponents_data() {
    QTest::addColumn<SearchResult>("result");
    QTest::addColumn<QString>("query");
    QTest::addColumn<qint64>("expected");

    // Tiers, on a file without boost or usage.
    QTest::addRow("no text match") << fileNamed("notes.md") << "zq" << qint64(0);
    QTest::addRow("contains 250") << fileNamed("old notes.md") << "notes" << qint64(250);
    QTest::addRow("prefix 500") << fileNamed("notes old.md") << "notes" << qint64(500);
    QTest::addRow("exact 1000") << fileNamed("Notes.md") << "notes" << qint64(1000);

    // Base points by kind and action.
    QTest::addRow("app 600") << makeResult(SearchResultKind::app, "Calendar", "/usr/share") << "zq"
                             << qint64(600);
    QTest::addRow("folder 70") << makeResult(SearchResultKind::folder, "Stuff") << "zq"
                               << qint64(70);
    QTest::addRow("plain action 60")
        << actionRow(SearchResultAction::openSettings, "Settings") << "zq" << qint64(60);
    QTest::addRow("settings pane 300")
        << actionRow(SearchResultAction::openSystemSettings, "Displays") << "zq" << qint64(300);
    QTest::addRow("browser tab 300")
        << actionRow(SearchResultAction::focusBrowserTab, "Inbox") << "zq" << qint64(300);
    QTest::addRow("notion page 280")
        << actionRow(SearchResultAction::openNotionPage, "Roadmap") << "zq" << qint64(280);
    QTest::addRow("bookmark 250") << actionRow(SearchResultAction::openBrowserFavorite, "News")
                                  << "zq" << qint64(250);

    // Usage: capped at 50 opens, 120 a time for apps and panes, 40 otherwise.
    QTest::addRow("app opened 50 times")
        << makeResult(SearchResultKind::app, "Calendar", "/usr/share", 50) << "zq"
        << qint64(600 + 6000);
    QTest::addRow("app opened 80 times counts as 50")
        << makeResult(SearchResultKind::app, "Calendar", "/usr/share", 80) << "zq"
        << qint64(600 + 6000);
    QTest::addRow("indexed app weighs like a file")
        << with(makeResult(SearchResultKind::app, "Calendar", "/usr/share", 80),
                [](SearchResult& r) { r.id = 12; })
        << "zq" << qint64(600 + 2000);
    QTest::addRow("settings pane opened 80 times")
        << actionRow(SearchResultAction::openSystemSettings, "Displays", "Action", 80) << "zq"
        << qint64(300 + 6000);
    QTest::addRow("file opened 80 times") << fileNamed("notes.md", 80) << "zq" << qint64(2000);
    QTest::addRow("file opened 3 times") << fileNamed("notes.md", 3) << "zq" << qint64(120);

    // Flags and boosts.
    QTest::addRow("recent activation 800")
        << with(fileNamed("notes.md"), [](SearchResult& r) { r.isRecentActivation = true; }) << "zq"
        << qint64(800);
    QTest::addRow("snippet 50") << with(fileNamed("notes.md"), [](SearchResult& r) {
        r.snippet = QString();
    }) << "zq" << qint64(50);
    QTest::addRow("web link boost 320") << fileNamed("Report.webloc") << "zq" << qint64(320);
    QTest::addRow("text file boost 10") << fileNamed("notes.txt") << "zq" << qint64(10);
    QTest::addRow("action ending in .pdf gets no boost")
        << actionRow(SearchResultAction::openSettings, "Manual.pdf") << "zq" << qint64(60);

    QTest::addRow("everything together")
        << with(makeResult(SearchResultKind::app, "Calendar.app", "/Applications", 9),
                [](SearchResult& r) {
                    r.isRecentActivation = true;
                    r.snippet = "x";
                })
        << "calendar" << qint64(1000 + 600 + 9 * 120 + 800 + 50 + 120);
}

void RelevanceTest::scoreComponents() {
    QFETCH(SearchResult, result);
    QFETCH(QString, query);
    QFETCH(qint64, expected);
    QCOMPARE(relevanceScore(result, query, defaultPreferences()), expected);
}

void RelevanceTest::fixedScores_data() {
    QTest::addColumn<SearchResult>("result");
    QTest::addColumn<qint64>("expected"); // -1: no fixed score
    QTest::addRow("copy row") << actionRow(SearchResultAction::copyToClipboard, "42")
                              << qint64(10000);
    QTest::addRow("translating locally")
        << actionRow(SearchResultAction::openBrowserFavorite, "hola", "Translating locally…")
        << qint64(9500);
    QTest::addRow("local engine unavailable")
        << actionRow(SearchResultAction::openBrowserFavorite, "hola",
                     "Local engine unavailable — open dictionary")
        << qint64(9000);
    QTest::addRow("local result unchanged")
        << actionRow(SearchResultAction::openBrowserFavorite, "hola", "LOCAL RESULT UNCHANGED")
        << qint64(8800);
    QTest::addRow("first matching text wins")
        << actionRow(SearchResultAction::openBrowserFavorite, "hola",
                     "local result unchanged, translating locally")
        << qint64(9500);
    QTest::addRow("plain bookmark")
        << actionRow(SearchResultAction::openBrowserFavorite, "hola", "Bookmarks") << qint64(-1);
    QTest::addRow("file in a folder of that name")
        << makeResult(SearchResultKind::file, "a.txt", "/tmp/translating locally") << qint64(-1);
}

void RelevanceTest::fixedScores() {
    QFETCH(SearchResult, result);
    QFETCH(qint64, expected);
    const auto fixed = fixedScore(result);
    QCOMPARE(fixed.value_or(-1), expected);
    if (fixed) {
        // A fixed score ignores everything else about the row.
        SearchResult busy = result;
        busy.openCount = 80;
        busy.isRecentActivation = true;
        busy.isDirectPathMatch = true;
        busy.snippet = "x";
        QCOMPARE(relevanceScore(busy, "hola", defaultPreferences()), expected);
    }
}

void RelevanceTest::directPathMatchScoresExactly5000() {
    SearchResult path = fileNamed("Budget.gsheet.url", 80);
    path.isDirectPathMatch = true;
    path.isRecentActivation = true;
    path.snippet = "x";
    QCOMPARE(relevanceScore(path, "budget", defaultPreferences()), 5000);
    QCOMPARE(relevanceScore(path, "zq", defaultPreferences()), 5000);
}

void RelevanceTest::displayOrder_data() {
    // Each row: name, score (-1 = absent), open count; in incoming order.
    using Row = std::tuple<QString, qint64, qint64>;
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<QStringList>("expected");
    QTest::addRow("higher score first")
        << QList<Row>{{"a", 10, 0}, {"b", 30, 0}, {"c", 20, 0}} << QStringList{"b", "c", "a"};
    QTest::addRow("absent score counts as zero")
        << QList<Row>{{"neg", -5, 9}, {"none", -1, 0}, {"zero", 0, 1}}
        << QStringList{"zero", "none", "neg"};
    QTest::addRow("equal score: more opens first")
        << QList<Row>{{"a", 10, 1}, {"b", 10, 7}, {"c", 10, 3}} << QStringList{"b", "c", "a"};
    QTest::addRow("equal score and opens: name regardless of case")
        << QList<Row>{{"banana", 10, 2}, {"Cherry", 10, 2}, {"apple", 10, 2}, {"Apricot", 10, 2}}
        << QStringList{"apple", "Apricot", "banana", "Cherry"};
    QTest::addRow("names equal but for case keep incoming order")
        << QList<Row>{{"report", 10, 2}, {"Report", 10, 2}, {"REPORT", 10, 2}}
        << QStringList{"report", "Report", "REPORT"};
}

void RelevanceTest::displayOrder() {
    using Row = std::tuple<QString, qint64, qint64>;
    QFETCH(QList<Row>, rows);
    QFETCH(QStringList, expected);
    QList<SearchResult> results;
    for (const auto& [name, score, count] : rows) {
        SearchResult r = fileNamed(name, count);
        if (score != -1)
            r.relevanceScore = score;
        results.append(r);
    }
    sortForDisplay(results);
    QCOMPARE(names(results), expected);
}

void RelevanceTest::scoredForDisplayLeavesEmptyQueryUnchanged() {
    const QList<SearchResult> input = {fileNamed("b"), fileNamed("a", 5), fileNamed("B")};
    int calls = 0;
    const auto output = scoredSearchResultsForDisplay(input, QString(), [&](const SearchResult&) {
        ++calls;
        return std::int64_t(1);
    });
    // "B" is the same path as "b" but for case, so it goes; nothing is scored or moved.
    QCOMPARE(names(output), (QStringList{"b", "a"}));
    QCOMPARE(calls, 0);
    QVERIFY(!output[0].relevanceScore && !output[1].relevanceScore);
}

void RelevanceTest::scoredForDisplayKeepsExistingScoresAndSorts() {
    QList<SearchResult> input;
    input.append(fileNamed("low"));
    input.append(fileNamed("kept").withRelevanceScore(700));
    input.append(fileNamed("high"));
    input.append(fileNamed("KEPT").withRelevanceScore(9999)); // duplicate of "kept"
    for (int i = 0; i < 30; ++i)
        input.append(fileNamed(QStringLiteral("filler %1").arg(i)));
    QStringList scored;
    const auto output = scoredSearchResultsForDisplay(input, "x", [&](const SearchResult& r) {
        scored.append(r.filename);
        return r.filename == u"high" ? std::int64_t(900) : std::int64_t(100);
    });
    QVERIFY(!scored.contains("kept"));
    QCOMPARE(output.size(), 33); // de-duplicated, never cut
    QCOMPARE(output[0].filename, "high");
    QCOMPARE(output[1].filename, "kept");
    QCOMPARE(output[1].relevanceScore, std::optional<std::int64_t>(700));
    QCOMPARE(output[2].relevanceScore, std::optional<std::int64_t>(100));
}

void RelevanceTest::pathResultsOrderExactThenPrefixThenCountThenName() {
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

void RelevanceTest::pathResultsAskLearnedCountsOnlyForPlainPaths() {
    SearchResult indexed = fileNamed("notes indexed.txt", 2);
    indexed.id = 31;
    SearchResult action = actionRow(SearchResultAction::openSettings, "notes action");
    const QList<SearchResult> catalogue = {fileNamed("notes a.txt", 1), indexed, action,
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

void RelevanceTest::pathResultsAreCutTo80() {
    QList<SearchResult> catalogue;
    for (int i = 0; i < 120; ++i)
        catalogue.append(
            fileNamed(QStringLiteral("report %1.pdf").arg(i, 3, 10, QLatin1Char('0')), i % 7));
    const auto sorted = filterAndSortPathResults(catalogue, "report", defaultPreferences(), {});
    QCOMPARE(sorted.size(), 80);
    QCOMPARE(sorted.first().openCount, 6);
    // Whatever is cut has no more opens than anything kept.
    QVERIFY(std::count_if(sorted.cbegin(), sorted.cend(),
                          [](const SearchResult& r) { return r.openCount == 6; }) == 17);
    QCOMPARE(
        filterAndSortPathResults(catalogue.mid(0, 50), "report", defaultPreferences(), {}).size(),
        50);
}

QTEST_GUILESS_MAIN(RelevanceTest)
#include "tst_relevance.moc"
