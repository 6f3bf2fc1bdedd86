// The incremental prefix cache: while the user keeps typing, the longest
// shorter query's results stand in, narrowed to what still matches.

#include "launcher/engine/cache/IncrementalSearchResultCache.h"
#include "tests/support/Results.h"

#include <QTest>

using namespace trovi;
using trovi::test::names;

namespace {
SearchResult result(const QString& filename, const QString& directory = QStringLiteral("/apps"),
                    std::optional<QString> snippet = {}) {
    SearchResult r = trovi::test::pathResult(SearchResultKind::file, directory, filename);
    r.snippet = snippet;
    return r;
}

} // namespace

class TestIncrementalCache : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void longestProperPrefixServes() {
        IncrementalSearchResultCache cache;
        cache.store({result("Mail"), result("Maps")}, "ma");
        cache.store({result("Mail")}, "mai");
        cache.store({result("Stale mail")}, "mail");

        QCOMPARE(names(*cache.longestPrefixResults("mail")), QStringList{"Mail"});
        QCOMPARE(names(*cache.longestPrefixResults("mailbox")), QStringList{"Stale mail"});
        QCOMPARE(names(*cache.longestPrefixResults("mai")), (QStringList{"Mail", "Maps"}));
        QCOMPARE(cache.longestPrefixResults("ma"), std::nullopt);
        QCOMPARE(cache.longestPrefixResults("notes"), std::nullopt);

        IncrementalSearchResultCache shortOnly;
        shortOnly.store({result("Mail"), result("Maps")}, "ma");
        QCOMPARE(names(*shortOnly.longestPrefixResults("mail")), (QStringList{"Mail", "Maps"}));
    }

    void trimmingRemovesOldestFirst() {
        IncrementalSearchResultCache cache;
        for (int i = 0; i < 121; ++i)
            cache.store({result(QString::number(i))},
                        QStringLiteral("q%1").arg(i, 3, 10, QChar('0')));
        QCOMPARE(cache.entries().size(), 120);
        QVERIFY(!cache.entries().contains("q000"));
        QCOMPARE(cache.insertionOrder().first(), QStringLiteral("q001"));
        QCOMPARE(cache.insertionOrder().last(), QStringLiteral("q120"));
    }

    void filter_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("kept");
        QTest::addRow("filename, any case") << "mai" << QStringList{"Mail"};
        QTest::addRow("snippet") << "quarterly" << QStringList{"Report"};
        QTest::addRow("full path across the separator") << "work/bud" << QStringList{"Budget"};
    }

    void filter() {
        QFETCH(QString, query);
        QFETCH(QStringList, kept);
        const QList<SearchResult> list{result("Mail"), result("Notes"),
                                       result("Budget", "/home/ana/Documents/Work"),
                                       result("Report", "/home/ana/Documents",
                                              QStringLiteral("The <b>Quarterly</b> numbers"))};
        QCOMPARE(names(filterSearchResultsForIncrementalQuery(list, query)), kept);
    }
};

QTEST_GUILESS_MAIN(TestIncrementalCache)
#include "tst_incrementalcache.moc"
