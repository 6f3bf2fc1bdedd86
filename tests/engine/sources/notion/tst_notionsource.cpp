// Notion pages in the engine: searches never wait for the network, one
// request per query, rows cached for 30 seconds, and stored rows normalised
// onto one identity.

#include "launcher/clients/notion/NotionSettingsStore.h"
#include "launcher/engine/sources/notion/NotionRows.h"
#include "launcher/engine/usage/UsageStore.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/NotionFixtures.h"

#include <QSignalSpy>
#include <QtTest>

using namespace trovi;
using namespace trovi::test;

namespace {

const QString kRoadmapID = "0123abcd00004000800000000000000a";
const QString kRoadmapKey = QStringLiteral("notion://page/") + kRoadmapID;
const QString kRoadmapAddress = QStringLiteral("https://www.notion.so/") + kRoadmapID;

QList<SearchResult> notionRows(QList<SearchResult> results) {
    results.removeIf(
        [](const SearchResult& r) { return r.action != SearchResultAction::openNotionPage; });
    return results;
}

} // namespace

class NotionSourceTest : public QObject {
    Q_OBJECT

    LocalHttpServer* m_server = nullptr;
    std::unique_ptr<EngineHarness> m_harness;

    DatabaseManager& makeEngine(const std::optional<QString>& token = kNotionTestToken,
                                std::function<void(PreferenceStore&)> prepare = {}) {
        m_harness = std::make_unique<EngineHarness>();
        m_harness->config.notionClient.apiBaseURL = QUrl(m_server->baseURL());
        m_harness->config.notionClient.timeoutSeconds = 0.3;
        m_harness->config.notionClient.transportModule = kNotionTestModule;
        if (token)
            NotionSettingsStore(m_harness->preferences).saveToken(*token);
        if (prepare)
            prepare(m_harness->preferences);
        return m_harness->make();
    }

private Q_SLOTS:
    void init() { m_server = new LocalHttpServer; }
    void cleanup() {
        m_harness.reset();
        delete m_server;
    }

    void rowsArriveAfterOneBackgroundRequest() {
        m_server->reply(200, notionTestResponse());
        DatabaseManager& engine = makeEngine(kNotionTestToken, [](PreferenceStore& preferences) {
            UsageStore(preferences).increment(kRoadmapKey);
        });
        QSignalSpy refreshed(&engine, &DatabaseManager::searchDataRefreshed);

        QVERIFY(notionRows(engine.search("Roadmap", true)).isEmpty());
        QVERIFY(engine.hasPendingLookups());
        // Letter case does not make a second request.
        QVERIFY(notionRows(engine.search("ROADMAP", false)).isEmpty());
        QVERIFY(refreshed.wait(10000));
        QVERIFY(!engine.hasPendingLookups());
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(QJsonDocument::fromJson(m_server->requests().first().body)["query"].toString(),
                 "Roadmap");

        // The query cache was dropped, so the same search shows the pages now.
        QHash<QString, SearchResult> rows;
        for (const SearchResult& row : notionRows(engine.search("Roadmap", true)))
            rows.insert(row.filename, row);
        QCOMPARE(rows.size(), 3);
        const SearchResult roadmap = rows.value("🗺 Roadmap 2027");
        QCOMPARE(roadmap.directory, "Notion · 1m ago");
        QCOMPARE(roadmap.actionURLString, kRoadmapAddress);
        QCOMPARE(roadmap.fallbackActionURLString,
                 QString(QStringLiteral("https://www.notion.so/Roadmap-2027-") + kRoadmapID));
        QCOMPARE(roadmap.usageKey, kRoadmapKey);
        QCOMPARE(roadmap.openCount, qint64(1));
        QCOMPARE(rows.value("Plan").directory, "Notion · yesterday");
        QVERIFY(!rows.value("Plan").fallbackActionURLString);
        QCOMPARE(rows.value("Zürich – 東京 Notizen").directory, "Notion");

        m_harness->advance(30);
        QCOMPARE(notionRows(engine.search("roadmap", false)).size(), 3);
        QVERIFY(!engine.hasPendingLookups());
        m_harness->advance(1);
        QVERIFY(notionRows(engine.search("roadmap", false)).isEmpty());
        QVERIFY(engine.hasPendingLookups());
    }

    void anotherTokenDropsCachedPages() {
        m_server->reply(200, notionTestResponse());
        DatabaseManager& engine = makeEngine();
        QSignalSpy refreshed(&engine, &DatabaseManager::searchDataRefreshed);
        engine.search("roadmap", false);
        QVERIFY(refreshed.wait(10000));
        QCOMPARE(notionRows(engine.search("roadmap", false)).size(), 3);

        NotionSettingsStore(m_harness->preferences).saveToken("ntn_other");
        QVERIFY(notionRows(engine.search("roadmap", false)).isEmpty());
        QVERIFY(refreshed.wait(10000));
        QCOMPARE(m_server->requests().last().headers.value("authorization"),
                 QByteArray("Bearer ntn_other"));
    }

    void searchIsOffWithoutTokenSwitchOrTwoCharacters_data() {
        QTest::addColumn<std::optional<QString>>("token");
        QTest::addColumn<std::optional<bool>>("enabled");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("requests");
        const std::optional<bool> unset;
        QTest::addRow("a token turns it on")
            << std::optional(kNotionTestToken) << unset << "ro" << true;
        QTest::addRow("one character") << std::optional(kNotionTestToken) << unset << "r" << false;
        QTest::addRow("no token") << std::optional<QString>() << unset << "roadmap" << false;
        QTest::addRow("blank token")
            << std::optional<QString>(" \n") << std::optional(true) << "roadmap" << false;
        QTest::addRow("switched off")
            << std::optional(kNotionTestToken) << std::optional(false) << "roadmap" << false;
    }

    void searchIsOffWithoutTokenSwitchOrTwoCharacters() {
        QFETCH(std::optional<QString>, token);
        QFETCH(std::optional<bool>, enabled);
        QFETCH(QString, query);
        QFETCH(bool, requests);
        DatabaseManager& engine = makeEngine(token);
        if (enabled)
            NotionSettingsStore(m_harness->preferences).saveEnabled(*enabled);
        engine.search(query, false);
        QCOMPARE(engine.hasPendingLookups(), requests);
    }

    void aSilentServerNeitherDelaysNorRepeats() {
        m_server->neverAnswer();
        DatabaseManager& engine = makeEngine();
        QSignalSpy refreshed(&engine, &DatabaseManager::searchDataRefreshed);
        // The search answers while the request is still open.
        QVERIFY(notionRows(engine.search("roadmap", true)).isEmpty());
        QVERIFY(engine.hasPendingLookups());
        QVERIFY(refreshed.wait(10000));
        QVERIFY(!engine.hasPendingLookups());
        // The empty answer is cached too.
        QVERIFY(notionRows(engine.search("roadmap", false)).isEmpty());
        QVERIFY(!engine.hasPendingLookups());
    }

    // "1m ago" and "yesterday" are checked on the rows above.
    void relativeTimes_data() {
        QTest::addColumn<qint64>("age");
        QTest::addColumn<QString>("text");
        QTest::addRow("future") << qint64(-600) << "just now";
        QTest::addRow("59 s") << qint64(59) << "just now";
        QTest::addRow("2 h") << qint64(7200) << "2h ago";
        QTest::addRow("50 h") << qint64(50 * 3600) << "2d ago";
    }

    void relativeTimes() {
        QFETCH(qint64, age);
        QFETCH(QString, text);
        const QDateTime now(QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc());
        QCOMPARE(relativeTimeString(now.addSecs(-age), now), text);
    }

    void storedRowsCollapseOntoOneIdentity_data() {
        QTest::addColumn<std::optional<QString>>("usageKey");
        QTest::addColumn<std::optional<QString>>("address");
        QTest::addColumn<std::optional<QString>>("fallback");
        QTest::addColumn<std::optional<QString>>("expectedFallback");
        const std::optional<QString> none;
        const QString hyphenated = QString::fromLatin1(kRoadmapPageID).toUpper();
        const QString titled = QStringLiteral("https://www.notion.so/Roadmap-") % hyphenated;
        QTest::addRow("hyphenated id in an old address")
            << none << std::optional(titled) << none << std::optional(titled);
        QTest::addRow("plain id in the usage key")
            << std::optional(kRoadmapKey) << std::optional(kRoadmapAddress) << none << none;
        QTest::addRow("id only in the fallback")
            << none << std::optional(QString("notion://old")) << std::optional(titled)
            << std::optional(QString("notion://old"));
    }

    void storedRowsCollapseOntoOneIdentity() {
        QFETCH(std::optional<QString>, usageKey);
        QFETCH(std::optional<QString>, address);
        QFETCH(std::optional<QString>, fallback);
        QFETCH(std::optional<QString>, expectedFallback);
        SearchResult stored;
        stored.filename = "Roadmap";
        stored.kind = SearchResultKind::action;
        stored.action = SearchResultAction::openNotionPage;
        stored.usageKey = usageKey;
        stored.actionURLString = address;
        stored.fallbackActionURLString = fallback;
        const SearchResult row = normalizedNotionSearchResult(stored);
        QCOMPARE(row.usageKey, kRoadmapKey);
        QCOMPARE(row.id, stableNegativeID(*row.usageKey));
        QCOMPARE(row.actionURLString, kRoadmapAddress);
        QCOMPARE(row.fallbackActionURLString, expectedFallback);
        QCOMPARE(row.filename, stored.filename);

        stored.action = SearchResultAction::openBrowserFavorite;
        QCOMPARE(normalizedNotionSearchResult(stored), stored);
    }
};

QTEST_GUILESS_MAIN(NotionSourceTest)
#include "tst_notionsource.moc"
