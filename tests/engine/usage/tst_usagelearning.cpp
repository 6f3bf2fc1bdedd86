// What the engine learns from activations and how it feeds back into search.

#include "tests/support/EngineHarness.h"

#include <QtTest>

using namespace trovi;
using namespace trovi::test;

class UsageLearningTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void appOpenedTwiceCountsTwoWithOneHistoryRecord() {
        EngineHarness h;
        const QString apps = h.mkdir("Applications");
        h.mkdir("Applications/Mail.app");
        auto& m = h.make();
        const SearchResult mail = pathResult(SearchResultKind::app, apps, "Mail.app");
        m.setCatalogs({mail}, {}, {});

        m.recordActivation(m.search("mail", false).first());
        h.advance(1);
        m.recordActivation(m.search("mail", false).first());

        QCOMPARE(m.learnedOpenCount(mail, 0), 2);
        const auto results = m.search("mail", false);
        QCOMPARE(results.size(), 1);
        QVERIFY(results.first().isRecentActivation);
        QCOMPARE(results.first().openCount, 2);
        // 1000 exact + 600 app + 2×120 usage + 800 recent + 120 ".app" boost
        QCOMPARE(results.first().relevanceScore, 1000 + 600 + 240 + 800 + 120);
    }

    void shortcutFilesWithTheSameUrlShareOneCount() {
        EngineHarness h;
        const QByteArray link = "[InternetShortcut]\r\nURL=https://example.org/Board\r\n";
        h.touch("Desktop/board.url", link);
        h.touch("Documents/Team board.url", link);
        h.config.shortcutSearchRoots = {h.home.path() + "/Desktop", h.home.path() + "/Documents"};
        auto& m = h.make();
        m.refreshCatalogsNow();

        const auto first = m.search("board", false);
        QCOMPARE(first.size(), 2);
        m.recordActivation(first.first());
        const auto after = m.search("team", false);
        QCOMPARE(after.size(), 1);
        QCOMPARE(after.first().openCount, 1);
        QCOMPARE(after.first().usageKey, "https://example.org/Board");
    }

    void deletedAppLeavesRecentListOnceCatalogueRefreshed() {
        EngineHarness h;
        const QString apps = h.mkdir("Applications");
        h.mkdir("Applications/Old.app");
        auto& m = h.make();
        const SearchResult old = pathResult(SearchResultKind::app, apps, "Old.app");
        m.recordActivation(old);
        QDir(apps + "/Old.app").removeRecursively();
        // Never refreshed: the history is trusted.
        QCOMPARE(m.search("old", false).size(), 1);
        m.refreshCatalogsNow();
        QVERIFY(m.search("old", false).isEmpty());
    }

    void plainFilesAndUnpersistedActionsStayOutOfHistory() {
        EngineHarness h;
        auto& m = h.make();
        const SearchResult calc = actionResult(SearchResultAction::copyToClipboard, "4", "4");
        m.recordActivation(calc);
        SearchResult file = pathResult(SearchResultKind::file, h.home.path(), "a.txt");
        m.recordActivation(file);
        QVERIFY(m.search("4", false).isEmpty()); // nothing entered the history
        QCOMPARE(m.learnedOpenCount(file, 0), 1);
        QCOMPARE(m.learnedOpenCount(calc, 0), 1); // counted under its action URL
    }

    void notionCountUnderPageUrlMigratesToUsageKey() {
        EngineHarness h;
        auto& m = h.make();
        SearchResult page = actionResult(
            SearchResultAction::openNotionPage,
            "https://www.notion.so/roadmap-0123456789abcdef0123456789abcdef", "Roadmap");
        page.usageKey = "notion://page/0123456789abcdef0123456789abcdef";
        h.preferences.setMap(h.config.usageStoreKey,
                             QCborMap{{page.actionURLString->toLower(), 4}});
        QCOMPARE(m.learnedOpenCount(page, 0), 4);
        m.recordActivation(page.withOpenCount(4));
        const auto counts = h.preferences.mapValue(h.config.usageStoreKey);
        QCOMPARE(counts->value(page.usageKey->toLower()).toInteger(), 5);
    }
};

QTEST_GUILESS_MAIN(UsageLearningTest)
#include "tst_usagelearning.moc"
