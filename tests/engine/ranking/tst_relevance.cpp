// Scores, text tiers, the display order and the reference catalogue filter;
// the suffix boost rules: normalisation, validation, storage, and the lists and
// cache key the preferences derive from them.
#include "launcher/engine/ranking/Relevance.h"
#include "launcher/engine/ranking/SearchRankingSettingsStore.h"
#include "launcher/settings/PreferenceStore.h"
#include "tests/support/Results.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace trovi;
using namespace trovi::test;

Q_DECLARE_METATYPE(trovi::SearchResult)

namespace {

using K = SearchResultKind;
using A = SearchResultAction;
const QString kDocs = "/home/ana/Documents";

SearchResult file(const QString& name, std::int64_t openCount = 0) {
    return pathResult(K::file, kDocs, name, openCount);
}

SearchResult action(A action, const QString& subtitle = "Action", const QString& title = "hola") {
    return actionResult(action, "https://example.org/item", title, subtitle);
}

SearchResult with(SearchResult r, const std::function<void(SearchResult&)>& change) {
    change(r);
    return r;
}

SearchRankingPreferences defaultPreferences() {
    InMemoryPreferenceStore store;
    return SearchRankingSettingsStore(store).load();
}

ExtensionBoostRule rule(const QString& suffix, std::int64_t boost) {
    return {QUuid::createUuid(), suffix, boost};
}

// "suffix boost" per rule, in order.
QStringList summary(const QList<ExtensionBoostRule>& rules) {
    QStringList list;
    for (const auto& r : rules)
        list.append(r.suffix + u' ' + QString::number(r.boost));
    return list;
}

} // namespace

class RelevanceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchableBasename_data() {
        QTest::addColumn<QString>("filename");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* filename, const char* expected) {
            QTest::newRow(name) << QString(filename) << QString(expected);
        };
        row("link loses both suffixes", "Budget.gsheet.url", "budget");
        row("only the last extension goes", "archive.tar.gz", "archive.tar");
        row("name that is only a suffix stays whole", ".url", ".url");
        row("hidden file keeps its name", ".bashrc", ".bashrc");
        row("non-ASCII", "Ünïcode Notes.TXT", "ünïcode notes");
    }

    void searchableBasename() {
        QFETCH(QString, filename);
        QFETCH(QString, expected);
        const auto suffixes = defaultPreferences().sortedSuffixesForBasenameStripping();
        QCOMPARE(trovi::searchableBasename(filename, suffixes), expected);
    }

    void scoreComponents_data() {
        QTest::addColumn<SearchResult>("result");
        QTest::addColumn<QString>("query");
        QTest::addColumn<qint64>("expected");
        // The exact, prefix and contains tiers show in pathResultsOrderAndCut.
        QTest::addRow("snippet text counts as contains, plus 50")
            << with(file("a.md"), [](SearchResult& r) { r.snippet = "Quarterly TAXES"; }) << "taxes"
            << qint64(250 + 50);
        QTest::addRow("action URL counts as contains")
            << action(A::openBrowserFavorite) << "example.org" << qint64(250 + 250);
        // Usage: capped at 50 opens, 120 a time for apps and panes, 40 otherwise.
        QTest::addRow("app opened 80 times counts as 50")
            << pathResult(K::app, kDocs, "Calendar", 80) << "zq" << qint64(600 + 6000);
        QTest::addRow("indexed app weighs like a file")
            << with(pathResult(K::app, kDocs, "Calendar", 80), [](SearchResult& r) { r.id = 12; })
            << "zq" << qint64(600 + 2000);
        QTest::addRow("settings pane weighs like an app")
            << with(action(A::openSystemSettings), [](SearchResult& r) { r.openCount = 80; })
            << "zq" << qint64(300 + 6000);
        QTest::addRow("file opened 80 times") << file("notes.md", 80) << "zq" << qint64(2000);
        QTest::addRow("action ending in .pdf gets no boost")
            << action(A::openSettings, "Action", "Manual.pdf") << "zq" << qint64(60);
        QTest::addRow("a typed path scores 5000 whatever else")
            << with(file("Budget.gsheet.url", 80),
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
        const auto bookmark = A::openBrowserFavorite;
        QTest::addColumn<SearchResult>("result");
        QTest::addColumn<qint64>("expected"); // -1: no fixed score
        QTest::addRow("copy row") << action(A::copyToClipboard) << qint64(10000);
        QTest::addRow("translating locally")
            << action(bookmark, "Translating locally…") << qint64(9500);
        QTest::addRow("local result unchanged, any case")
            << action(bookmark, "LOCAL RESULT UNCHANGED") << qint64(8800);
        QTest::addRow("first matching text wins")
            << action(bookmark, "local result unchanged, translating locally") << qint64(9500);
        QTest::addRow("file in a folder of that name")
            << pathResult(K::file, "/tmp/translating locally", "a.txt") << qint64(-1);
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
        QTest::addRow("equal score and opens: name regardless of case, else incoming order")
            << QList<Row>{{"banana", 10, 2},
                          {"report", 10, 2},
                          {"apple", 10, 2},
                          {"Report", 10, 2},
                          {"Apricot", 10, 2}}
            << QStringList{"apple", "Apricot", "banana", "report", "Report"};
    }

    void displayOrder() {
        using Row = std::tuple<QString, qint64, qint64>;
        QFETCH(QList<Row>, rows);
        QFETCH(QStringList, expected);
        QList<SearchResult> results;
        for (const auto& [name, score, count] : rows) {
            const auto given = score == -1 ? std::nullopt : std::optional<std::int64_t>(score);
            results.append(file(name, count).withRelevanceScore(given));
        }
        sortForDisplay(results);
        QCOMPARE(names(results), expected);
    }

    void pathResultsOrderAndCut() {
        QList<SearchResult> catalogue = {
            file("Team budget.xlsx", 40),   file("budgets 2023.pdf", 1),
            file("Budget planning.txt", 3), file("Budget.gsheet.url", 0),
            file("Unrelated.txt", 90),      file("budget ideas.md", 3),
        };
        QCOMPARE(names(filterAndSortPathResults(catalogue, "budget", defaultPreferences(), {})),
                 (QStringList{"Budget.gsheet.url", "budget ideas.md", "Budget planning.txt",
                              "budgets 2023.pdf", "Team budget.xlsx"}));
        // Cut to 80, keeping the most opened: all 17 with six opens.
        catalogue.clear();
        for (int i = 0; i < 120; ++i)
            catalogue.append(file(QStringLiteral("report %1.pdf").arg(i), i % 7));
        const auto cut = filterAndSortPathResults(catalogue, "report", defaultPreferences(), {});
        QCOMPARE(cut.size(), 80);
        QCOMPARE(std::count_if(cut.cbegin(), cut.cend(),
                               [](const SearchResult& r) { return r.openCount == 6; }),
                 17);
    }

    void pathResultsAskLearnedCountsOnlyForPlainPaths() {
        const QList<SearchResult> catalogue = {
            file("notes a.txt", 1), with(file("notes indexed.txt", 2), [](auto& r) { r.id = 31; }),
            action(A::openSettings, "Action", "notes action"), file("notes b.txt", 0)};
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

    void normalisation() {
        const auto normalized = [](const QString& input) {
            return SearchRankingSettingsStore::normalizedSuffix(input).value_or("none");
        };
        QCOMPARE(normalized("*.PDF "), ".pdf");
        QCOMPARE(normalized(" p d f"), ".pdf");
        QCOMPARE(normalized("**.tar.gz"), ".tar.gz");
        QCOMPARE(normalized("*.*"), ".*"); // only the leading asterisks go
        QCOMPARE(normalized(" *. "), "none");

        // Blank rules go, boosts are clamped, and the later rule for a suffix wins.
        InMemoryPreferenceStore preferences;
        const QList<ExtensionBoostRule> input = {rule(".PDF ", 10), rule("*", 99),
                                                 rule("txt", 900),  rule("pdf", 25),
                                                 rule("md", -1000), rule("  ", 5)};
        const auto rules =
            SearchRankingSettingsStore(preferences).normalizedExtensionBoostRules(input);
        QCOMPARE(summary(rules), (QStringList{".pdf 25", ".txt 500", ".md -200"}));
        QCOMPARE(rules[0].id, input[3].id); // identity included
    }

    void validationMessage_data() {
        QTest::addColumn<QStringList>("suffixes");
        QTest::addColumn<QString>("expected"); // null: may be saved
        QTest::addRow("fine") << QStringList{".pdf", "txt"} << QString();
        QTest::addRow("asterisk only")
            << QStringList{"*"} << "Complete or delete empty suffix rules before saving.";
        QTest::addRow("same suffix written two ways")
            << QStringList{"*.PDF", "pdf"} << "Each suffix can only appear once.";
    }

    void validationMessage() {
        QFETCH(QStringList, suffixes);
        QFETCH(QString, expected);
        QList<ExtensionBoostRule> rules;
        for (const QString& suffix : suffixes)
            rules.append(rule(suffix, 1));
        QCOMPARE(SearchRankingSettingsStore::validationMessage(rules).value_or(QString()),
                 expected);
    }

    void loadsDefaultsWhenNothingUsableIsStored_data() {
        QTest::addColumn<QCborValue>("stored"); // undefined: nothing stored
        QTest::addRow("nothing stored") << QCborValue();
        QTest::addRow("fractional boost") << QCborValue(QByteArray(
            R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","suffix":".pdf","boost":1.5}])"));
        QTest::addRow("stored as text instead of bytes") << QCborValue(QStringLiteral("[]"));
    }

    void loadsDefaultsWhenNothingUsableIsStored() {
        QFETCH(QCborValue, stored);
        InMemoryPreferenceStore preferences;
        if (!stored.isUndefined())
            preferences.setValue("launcherExtensionBoostRules", stored);
        const SearchRankingSettingsStore store(preferences);
        QCOMPARE(summary(store.load().extensionBoostRules()),
                 summary(store.defaultExtensionBoostRules()));
        QVERIFY(!store.load().extensionBoostRules().isEmpty());
        // Loading never repairs the store behind the user's back.
        QCOMPARE(preferences.value("launcherExtensionBoostRules").value_or(QCborValue()), stored);
    }

    void saveStoresNormalisedRulesThatLoadBack() {
        InMemoryPreferenceStore preferences;
        const SearchRankingSettingsStore store(preferences);
        const QList<ExtensionBoostRule> rules = {rule("*.Key", 900), rule(".pdf", 5), rule("", 3),
                                                 rule("PDF", -7)};
        store.save(rules);
        const QJsonArray array =
            QJsonDocument::fromJson(*preferences.bytesValue("launcherExtensionBoostRules")).array();
        QCOMPARE(array.size(), 2);
        QCOMPARE(QUuid::fromString(array[0]["id"].toString()), rules[0].id);
        QCOMPARE(store.load().extensionBoostRules(), store.normalizedExtensionBoostRules(rules));

        // An empty list stays empty, but web-link suffixes are still stripped for matching.
        store.save({});
        QVERIFY(store.load().extensionBoostRules().isEmpty());
        QVERIFY(store.load().sortedSuffixesForBasenameStripping().contains(".gsheet.url"));
    }

    void cacheKeyFollowsOnlyWhatRanks() {
        const QUuid a = QUuid::createUuid();
        const SearchRankingPreferences first({{a, ".pdf", 40}, rule(".url", 9)});
        // Neither identifiers nor the order of the rules change the ranking.
        QCOMPARE(SearchRankingPreferences({rule(".url", 9), rule(".pdf", 40)}).cacheKey(),
                 first.cacheKey());
        QVERIFY(SearchRankingPreferences({{a, ".pdf", 41}, rule(".url", 9)}).cacheKey() !=
                first.cacheKey());
        QVERIFY(SearchRankingPreferences({{a, ".txt", 40}, rule(".url", 9)}).cacheKey() !=
                first.cacheKey());
    }

    void extensionBoost_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("expected");
        const int file = int(SearchResultKind::file);
        QTest::addRow("longest matching suffix wins") << file << "Budget.gsheet.url" << qint64(-50);
        QTest::addRow("case of the name is ignored") << file << "REPORT.URL" << qint64(320);
        QTest::addRow("suffix must end the name") << file << "notes.txt.bak" << qint64(0);
        QTest::addRow("folders are boosted too")
            << int(SearchResultKind::folder) << "Old.app" << qint64(120);
    }

    void extensionBoost() {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(qint64, expected);
        InMemoryPreferenceStore preferences;
        const SearchRankingSettingsStore store(preferences);
        store.save(store.defaultExtensionBoostRules() + QList{rule(".gsheet.url", -50)});
        QCOMPARE(store.load().extensionBoost(pathResult(SearchResultKind(kind), "/d", name)),
                 expected);
    }
};

QTEST_GUILESS_MAIN(RelevanceTest)
#include "tst_relevance.moc"
