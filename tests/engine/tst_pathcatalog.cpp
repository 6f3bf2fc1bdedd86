// The indexed path catalogue must answer exactly like the straightforward
// filter-and-sort over the merged list, for any catalogue, query and rules.
#include "launcher/engine/Deduplication.h"
#include "launcher/engine/PathCatalog.h"
#include "launcher/engine/Relevance.h"
#include "launcher/engine/SubstringSearch.h"

#include <QRandomGenerator>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>

using namespace trovi;

namespace {

const QStringList kWords = {"Budget",  "budget", "Report", "notes",   "Notes",
                            "Ünïcode", "résumé", "Resume", "project", "x",
                            "a",       "photo",  "url",    "app",     "Q4"};
const QStringList kSuffixes = {".gsheet.url", ".url",    ".app", ".pdf", ".PDF", ".txt", ".webloc",
                               ".gdoc",       ".tar.gz", ".md",  "",     "",     ".",    ".Url"};
const QStringList kDirectories = {"/home/ana/Documents",
                                  "/home/ana/documents",
                                  "/Applications",
                                  "/home/ana/My Drive/Team",
                                  "/",
                                  ""};

struct Generator {
    QRandomGenerator random;

    int below(int n) { return int(random.bounded(n)); }
    template <typename T> const T& pick(const QList<T>& list) {
        return list[below(int(list.size()))];
    }

    QString name() {
        QString text;
        const int words = 1 + below(3);
        for (int i = 0; i < words; ++i) {
            if (i > 0)
                text += below(2) ? QStringLiteral(" ") : QStringLiteral("-");
            text += pick(kWords);
        }
        if (below(10) == 0)
            text = QStringLiteral(".") + text; // hidden file
        return text + pick(kSuffixes);
    }

    SearchResult result() {
        SearchResult r;
        r.kind = SearchResultKind(below(4));
        r.filename = below(30) == 0 ? QString() : name();
        r.directory = pick(kDirectories);
        r.openCount = below(8) == 0 ? -1 - below(3) : below(4) * below(20);
        r.id = below(10) == 0 ? 1 + below(100) : stableNegativeID(r.filename);
        if (r.kind == SearchResultKind::action) {
            r.action = SearchResultAction(below(6));
            if (below(2))
                r.actionURLString = QStringLiteral("https://example.org/") + name();
        }
        if (below(4) == 0)
            r.usageKey = QStringLiteral("https://Shared.example/") + QString::number(below(5));
        return r;
    }

    QList<SearchResult> catalogue(int size) {
        QList<SearchResult> items;
        for (int i = 0; i < size; ++i) {
            if (!items.isEmpty() && below(8) == 0) {
                // Same file under a path differing only in case, or a repeat.
                SearchResult copy = pick(items);
                if (below(2))
                    copy.filename = copy.filename.toUpper();
                copy.openCount = below(30);
                items.append(copy);
            } else {
                items.append(result());
            }
        }
        return items;
    }

    QString query(const QList<SearchResult>& items) {
        switch (below(6)) {
        case 0:
            return QString();
        case 1:
            return pick(kSuffixes).toLower();
        case 2:
            return pick(kWords).toLower().left(1 + below(8));
        default: {
            if (items.isEmpty())
                return QStringLiteral("a");
            const QString name = pick(items).filename.toLower();
            const int from = name.isEmpty() ? 0 : below(int(name.size()));
            return name.mid(from, 1 + below(8));
        }
        }
    }

    SearchRankingPreferences preferences() {
        QList<ExtensionBoostRule> rules;
        const int count = below(5);
        for (int i = 0; i < count; ++i)
            rules.append({QUuid::createUuid(), pick(kSuffixes).toLower(), below(100)});
        return SearchRankingPreferences(rules);
    }

    QHash<QString, std::int64_t> learnedCounts(const QList<SearchResult>& items) {
        QHash<QString, std::int64_t> counts;
        const int count = below(12);
        for (int i = 0; i < count && !items.isEmpty(); ++i)
            counts.insert(pick(items).usageKeyOrFullPath().toLower(), below(60) - 3);
        counts.insert(QStringLiteral("/nowhere/at/all"), 7);
        return counts;
    }
};

QList<SearchResult> reference(const QList<SearchResult>& items, const QList<SearchResult>& extras,
                              const QString& query, const SearchRankingPreferences& prefs,
                              const QHash<QString, std::int64_t>& counts) {
    return filterAndSortPathResults(
        mergedUniqueByPath(items + extras), query, prefs,
        [&](const SearchResult& r, std::int64_t databaseCount) {
            return std::max(databaseCount, counts.value(r.usageKeyOrFullPath().toLower(), 0));
        });
}

QString describe(const QList<SearchResult>& results) {
    QStringList lines;
    for (const SearchResult& r : results)
        lines.append(QStringLiteral("%1 \"%2\" %3 [%4]")
                         .arg(r.fullPath(), r.filename)
                         .arg(int(r.kind))
                         .arg(r.openCount));
    return lines.join(u'\n');
}

// Messages are cut at about a kilobyte, so show where the lists part.
QString firstDifference(const QList<SearchResult>& expected, const QList<SearchResult>& actual) {
    qsizetype i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        ++i;
    return QStringLiteral("sizes %1/%2, first difference at %3:\nexpected:\n%4\nactual:\n%5")
        .arg(expected.size())
        .arg(actual.size())
        .arg(i)
        .arg(describe(expected.mid(i, 4)), describe(actual.mid(i, 4)));
}

SearchResult folder(const QString& directory, const QString& name, std::int64_t openCount = 0) {
    SearchResult r;
    r.kind = SearchResultKind::folder;
    r.directory = directory;
    r.filename = name;
    r.openCount = openCount;
    r.id = stableNegativeID(joinPath(directory, name));
    return r;
}

} // namespace

class PathCatalogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void substringSearchAgreesWithIndexOf();
    void answersExactlyLikeTheReference();
    void keepsItemsAsGiven();
    void extrasJoinUnlessTheirPathIsKnown();
    void learnedCountsRaiseButNeverLower();
    void aFullListOfPrefixMatchesKeepsOutMereContainment();
    void prefsChangesAreSeenOnTheSameCatalogue();
    void concurrentSearchesAgree();
};

void PathCatalogTest::substringSearchAgreesWithIndexOf() {
    Generator g{QRandomGenerator(7)};
    for (int round = 0; round < 3000; ++round) {
        QString haystack;
        const int length = g.below(60);
        for (int i = 0; i < length; ++i)
            haystack += QChar(u"abcé🙂"[g.below(6)]);
        QString needle;
        const int needleLength = g.below(5);
        for (int i = 0; i < needleLength; ++i)
            needle += QChar(u"abcé🙂"[g.below(6)]);
        const int from = g.below(length + 2);
        const qsizetype expected = haystack.indexOf(needle, from);
        QCOMPARE(findSubstring(haystack, from, needle), from > length ? -1 : expected);
    }
}

void PathCatalogTest::answersExactlyLikeTheReference() {
    // A failure prints its seed; TROVI_TEST_SEED replays it.
    bool fixedSeed = false;
    const quint32 chosen = qEnvironmentVariable("TROVI_TEST_SEED").toUInt(&fixedSeed);
    const quint32 seed = fixedSeed ? chosen : QRandomGenerator::global()->generate();
    Generator g{QRandomGenerator(seed)};
    for (int round = 0; round < 150; ++round) {
        // Some catalogues are big enough for a short query to have more than a
        // full list of names starting with it.
        const QList<SearchResult> items =
            g.catalogue(round % 5 == 0 ? 300 + g.below(500) : g.below(200));
        const PathCatalog catalogue = PathCatalog::build(items);
        for (int search = 0; search < 25; ++search) {
            const SearchRankingPreferences prefs = g.preferences();
            const QString query = g.query(items);
            const auto counts = g.learnedCounts(items);
            QList<SearchResult> extras;
            const int extraCount = g.below(2) == 0 ? g.below(6) : 0;
            for (int i = 0; i < extraCount; ++i)
                extras.append(g.below(2) && !items.isEmpty() ? g.pick(items) : g.result());
            const auto expected = reference(items, extras, query, prefs, counts);
            const auto actual = catalogue.filterAndSort(query, prefs, counts, extras);
            if (actual != expected)
                QFAIL(qPrintable(QStringLiteral("seed %1, query \"%2\"\n%3")
                                     .arg(seed)
                                     .arg(query, firstDifference(expected, actual))));
        }
    }
}

void PathCatalogTest::keepsItemsAsGiven() {
    const QList<SearchResult> items = {folder("/home/ana", "Projects"),
                                       folder("/home/ana", "PROJECTS"),
                                       folder("/home/ana", "Music")};
    const PathCatalog catalogue = PathCatalog::build(items);
    QCOMPARE(catalogue.size(), 3);
    QCOMPARE(catalogue.items(), items);
    const auto found = catalogue.filterAndSort("proj", SearchRankingPreferences({}), {});
    QCOMPARE(found.size(), 1);
    QCOMPARE(found[0].filename, "Projects");
    QCOMPARE(PathCatalog().size(), 0);
    QVERIFY(PathCatalog().filterAndSort("", SearchRankingPreferences({}), {}).isEmpty());
}

void PathCatalogTest::extrasJoinUnlessTheirPathIsKnown() {
    const PathCatalog catalogue =
        PathCatalog::build({folder("/home/ana", "Applications", 2), folder("/home/ana", "Apples")});
    const QList<SearchResult> extras = {
        folder("/HOME/ana", "applications", 40), folder("/", "Applications"),
        folder("/", "applications", 99), folder("/opt", "apps zz"), folder("/opt", "Apps aa")};
    const auto found = catalogue.filterAndSort("app", SearchRankingPreferences({}), {}, extras);
    // The catalogue's copy wins over the extra with the same path; the second
    // "/applications" repeats the first extra. Extras sort by name among
    // themselves too, not only against the catalogue.
    QCOMPARE(describe(found), describe({folder("/home/ana", "Applications", 2),
                                        folder("/home/ana", "Apples"), folder("/", "Applications"),
                                        folder("/opt", "Apps aa"), folder("/opt", "apps zz")}));
}

void PathCatalogTest::learnedCountsRaiseButNeverLower() {
    SearchResult link = folder("/home/ana/Desktop", "Board.url", 3);
    link.kind = SearchResultKind::file;
    link.usageKey = "https://Board.example/x";
    SearchResult indexed = folder("/home/ana", "Board notes.txt", 1);
    indexed.kind = SearchResultKind::file;
    indexed.id = 5;
    const PathCatalog catalogue =
        PathCatalog::build({folder("/home/ana", "Boards", 4), link, indexed});
    const QHash<QString, std::int64_t> counts = {
        {"https://board.example/x", 9}, {"/home/ana/boards", 2}, {"/home/ana/board notes.txt", 50}};
    const auto found = catalogue.filterAndSort("board", SearchRankingPreferences({}), counts);
    QCOMPARE(found.size(), 3);
    QCOMPARE(found[0].filename, "Board.url");
    QCOMPARE(found[0].openCount, 9);
    QCOMPARE(found[1].openCount, 4); // the learned 2 does not lower it
    QCOMPARE(found[2].openCount, 1); // index rows keep their own count
}

void PathCatalogTest::aFullListOfPrefixMatchesKeepsOutMereContainment() {
    QList<SearchResult> items;
    for (int i = 0; i < 100; ++i)
        items.append(folder("/srv", QStringLiteral("Old box %1").arg(i), 90)); // contains "box"
    for (int i = 0; i < 79; ++i)
        items.append(folder("/srv", QStringLiteral("Box %1").arg(i)));
    items.append(folder("/srv", "box"));
    const PathCatalog catalogue = PathCatalog::build(items);
    const SearchRankingPreferences prefs({});
    const auto found = catalogue.filterAndSort("box", prefs, {{"/srv/box 3", 5}});
    QCOMPARE(found, reference(items, {}, "box", prefs, {{"/srv/box 3", 5}}));
    QCOMPARE(found.size(), 80);
    QCOMPARE(found[0].filename, "box");
    QCOMPARE(found[1].filename, "Box 3");
    QVERIFY(std::none_of(found.cbegin(), found.cend(),
                         [](const SearchResult& r) { return r.filename.startsWith(u"Old"); }));
    // One prefix match fewer and the best of the rest fill the list.
    items.removeLast();
    const auto refilled = PathCatalog::build(items).filterAndSort("box", prefs, {});
    QCOMPARE(refilled, reference(items, {}, "box", prefs, {}));
    QCOMPARE(refilled.last().filename, "Old box 0");
}

void PathCatalogTest::prefsChangesAreSeenOnTheSameCatalogue() {
    SearchResult doc = folder("/home/ana", "Plan.key");
    doc.kind = SearchResultKind::file;
    const PathCatalog catalogue = PathCatalog::build({doc, folder("/home/ana", "Plan.keynote")});
    const SearchRankingPreferences plain({});
    const SearchRankingPreferences keyRule({{QUuid::createUuid(), ".key", 10}});
    // ".key" is an extension either way; ".keynote" becomes one only by rule.
    for (const auto* prefs : {&plain, &keyRule, &plain}) {
        QCOMPARE(catalogue.filterAndSort("plan", *prefs, {}),
                 reference(catalogue.items(), {}, "plan", *prefs, {}));
    }
    const SearchRankingPreferences keynote({{QUuid::createUuid(), "note", 10}});
    QCOMPARE(catalogue.filterAndSort("plan.key", keynote, {}).first().filename, "Plan.keynote");
}

void PathCatalogTest::concurrentSearchesAgree() {
    Generator g{QRandomGenerator(11)};
    const QList<SearchResult> items = g.catalogue(2000);
    const SearchRankingPreferences first({});
    const SearchRankingPreferences second({{QUuid::createUuid(), ".md", 5}});
    // Built with one rule set, searched from two threads with two.
    const PathCatalog catalogue = PathCatalog::build(items, first);
    auto run = [&](const SearchRankingPreferences& prefs) {
        bool same = true;
        for (const QString query : {"not", "a", "budget", ".md", "q4"})
            same = same && catalogue.filterAndSort(query, prefs, {}) ==
                               reference(items, {}, query, prefs, {});
        return same;
    };
    QFuture<bool> a = QtConcurrent::run([&] { return run(first) && run(second); });
    QFuture<bool> b = QtConcurrent::run([&] { return run(second) && run(first); });
    QVERIFY(a.result());
    QVERIFY(b.result());
}

QTEST_GUILESS_MAIN(PathCatalogTest)
#include "tst_pathcatalog.moc"
