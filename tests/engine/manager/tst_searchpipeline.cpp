// The search pipeline end to end on a manager with injected catalogues.

#include "tests/support/DocumentIndex.h"
#include "tests/support/EngineHarness.h"

#include <QtTest>

using namespace trovi;
using namespace trovi::test;

namespace {
SearchResult mail() {
    return pathResult(SearchResultKind::app, "/Apps", "Mail.app");
}
} // namespace

class SearchPipelineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Which queries reach the settings action, through the whole pipeline.
    void settingsAction_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("found");
        QTest::addRow("blank") << "  \t " << false;
        QTest::addRow("one character never reaches it") << "s" << false;
        QTest::addRow("two characters") << "se" << true;
        QTest::addRow("inside a keyword") << "tting" << true;
        QTest::addRow("query containing a keyword") << "my settings page" << true;
        QTest::addRow("old launcher's name") << "alfred" << true;
        QTest::addRow("subtitle phrase") << "configure hotkey and" << true;
        QTest::addRow("near miss") << "settingz" << false;
    }

    void settingsAction() {
        QFETCH(QString, query);
        QFETCH(bool, found);
        EngineHarness h;
        const auto results = h.make().search(query, true);
        QCOMPARE(results.size(), found ? 1 : 0);
        if (found)
            QCOMPARE(results.first().fullPath(), "action://openSettings");
        else if (query.trimmed().isEmpty()) // nothing was cached for a blank query
            QVERIFY(!h.preferences.value(h.config.persistentQueryResultCacheKey()).has_value());
    }

    void sourceOrderDecidesWhichDuplicateSurvives() {
        EngineHarness h;
        h.config.recentActivationsEnabled = true;
        auto& m = h.make();
        const QString apps = h.mkdir("Applications");
        h.mkdir("Applications/Mail.app");
        SearchResult mail = pathResult(SearchResultKind::app, apps, "Mail.app");
        m.setCatalogs({mail}, {}, {});
        m.recordActivation(mail);
        // The catalogue lists the same path again.
        m.setCatalogs({pathResult(SearchResultKind::app, apps, "Mail.app")}, {}, {});
        const auto results = m.search("mail", false);
        QCOMPARE(results.size(), 1);
        QVERIFY(results.first().isRecentActivation);
        QCOMPARE(results.first().filename, "Mail.app");
    }

    void scoresSortAndCutToTwenty() {
        EngineHarness h;
        auto& m = h.make();
        QList<SearchResult> files;
        // 25 equally scored shortcut files: the 20 with the highest counts, ties by name.
        for (int i = 0; i < 25; ++i)
            files.append(pathResult(SearchResultKind::file, QString("/docs/%1").arg(i),
                                    QString("note %1.txt").arg(QChar(u'a' + (i % 5)))));
        files[24].openCount = 1; // +40 usage points puts it first
        m.setCatalogs({}, {}, files);
        const auto results = m.search("note", false);
        QCOMPARE(results.size(), 20);
        QCOMPARE(results.first().directory, "/docs/24");
        for (int i = 2; i < results.size(); ++i) {
            QCOMPARE(results[i].relevanceScore, results[1].relevanceScore);
            QVERIFY(results[i - 1].filename <= results[i].filename);
        }
        // "note a" to "note d" fill the list; the other "note e" rows fall off.
        for (const auto& r : results.mid(1))
            QVERIFY(r.filename != "note e.txt");
    }

    // The same query within five seconds comes from memory; a search that may
    // not use the cache searches afresh and refills it.
    void sameQueryWithinFiveSecondsComesFromMemory() {
        EngineHarness h;
        h.config.persistentQueryResultCacheEnabled = false;
        auto& m = h.make();
        m.setCatalogs({mail()}, {}, {});
        const auto first = m.search("mail", true);
        QCOMPARE(first.size(), 1);
        m.setCatalogs({}, {}, {});
        h.advance(5.0);
        QCOMPARE(m.search("Mail ", true), first); // same key after trim + lower-case
        QVERIFY(m.search("mail", false).isEmpty());
        QVERIFY(m.search("mail", true).isEmpty());
        m.setCatalogs({mail()}, {}, {});
        h.advance(5.0);
        QVERIFY(m.search("mail", true).isEmpty());
        h.advance(1.0);
        QCOMPARE(m.search("mail", true), first);
    }

    void aSupersededSearchIsDroppedAndNeverCached() {
        EngineHarness h;
        h.config.persistentQueryResultCacheEnabled = false;
        auto& m = h.make();
        m.setCatalogs({mail()}, {}, {});
        auto generation = std::make_shared<SearchGeneration>();
        const SearchTicket ticket(generation);
        QCOMPARE(m.search("mail", true, ticket), m.search("mail", false));
        generation->bump();
        h.advance(10.0);
        QVERIFY(m.search("mail", true, ticket).isEmpty());
        m.setCatalogs({}, {}, {});
        QVERIFY(m.search("mail", true).isEmpty()); // nothing was left behind
    }

    // The document index answers after the other sources: their list comes
    // first, the whole list is the one a plain search gives, and a search
    // overtaken in between leaves nothing cached.
    void documentRowsFollowTheEarlyListAndOnlyTheWholeListIsCached() {
        EngineHarness h;
        h.config.persistentQueryResultCacheEnabled = false;
        h.mkdir(".pelmora");
        DocumentIndex(h.home.path() + "/.pelmora/index.db").add(1, "mail merge.txt", 0, 1, "mail");
        auto& m = h.make();
        m.setCatalogs({mail()}, {}, {});
        QList<QStringList> early;
        auto generation = std::make_shared<SearchGeneration>();
        const auto overtake = [&](const QList<SearchResult>& rows) {
            early << names(rows);
            generation->bump();
        };
        QVERIFY(m.search("mail", true, SearchTicket(generation), overtake).isEmpty());
        const auto whole = m.search("mail", true, {},
                                    [&](const QList<SearchResult>& rows) { early << names(rows); });
        QCOMPARE(early, QList<QStringList>({{"Mail.app"}, {"Mail.app"}}));
        QCOMPARE(names(whole), QStringList({"Mail.app", "mail merge.txt"}));
        QCOMPARE(m.search("mail", false), whole);
    }

    void persistentCacheAnswersAfterRestartUntilInvalidated() {
        EngineHarness h;
        h.make().setCatalogs({mail()}, {}, {});
        const auto first = h.manager->search("mail", true);
        QCOMPARE(first.size(), 1);

        h.advance(3600);
        auto& restarted = h.make(); // empty catalogues, same preference store
        QCOMPARE(restarted.search("mail", true), first);

        h.advance(1);
        restarted.invalidateQueryResultCache();
        QVERIFY(restarted.search("mail", true).isEmpty());
    }
};

QTEST_GUILESS_MAIN(SearchPipelineTest)
#include "tst_searchpipeline.moc"
