// Result identity and stored result records: what goes into the persistent
// query cache must come back unchanged, and a damaged or foreign record must be
// refused, not crash.

#include "launcher/engine/model/SearchResultRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace trovi;

namespace {
SearchResult fileResult() {
    SearchResult r;
    r.id = 42;
    r.filename = QStringLiteral("Report.pdf");
    r.directory = QStringLiteral("/home/ana/Documents");
    r.openCount = 3;
    return r;
}

// Through bytes, as the store does, so number precision is part of the test.
std::optional<SearchResult> throughBytes(const SearchResult& result) {
    const QByteArray bytes =
        QJsonDocument(persistentSearchResultRecord(result)).toJson(QJsonDocument::Compact);
    return searchResultFromPersistentRecord(QJsonDocument::fromJson(bytes).object());
}

QJsonObject validRecord() {
    return QJsonObject{
        {"id", 7},        {"filename", "Mail"}, {"directory", "/usr/share/applications"},
        {"openCount", 2}, {"kind", "app"},      {"isDirectPathMatch", false}};
}
} // namespace

class TestSearchResultRecord : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stableNegativeIDsNeverChange() {
        // Stored inside cached results: these exact values must survive any rewrite.
        QCOMPARE(stableNegativeID(QString()), -1469598103934665604LL);
        QCOMPARE(stableNegativeID(QStringLiteral("abc")), -7018861466891099904LL);
        QVERIFY(stableNegativeID(QStringLiteral("Ünïcode ☃")) < 0);
    }

    void identityFoldsCaseAndPrefersActionUsageKeys() {
        SearchResult file = fileResult();
        file.usageKey = QStringLiteral("https://Example.org/Report");
        QCOMPARE(file.identity(), QStringLiteral("/home/ana/documents/report.pdf"));
        SearchResult page;
        page.kind = SearchResultKind::action;
        page.action = SearchResultAction::openNotionPage;
        page.actionURLString = QStringLiteral("https://Example.org/Page");
        QCOMPARE(page.identity(), QStringLiteral("https://example.org/page"));
        page.usageKey = QStringLiteral("notion://Page/1");
        QCOMPARE(page.identity(), QStringLiteral("notion://page/1"));
    }

    void roundTripKeepsEverythingButTheRecentFlag() {
        SearchResult bookmark;
        bookmark.id = -9223372036854775806LL;
        bookmark.filename = QStringLiteral("Ünïcode ☃ bookmark");
        bookmark.directory = QStringLiteral("Brave · Bookmarks Bar");
        bookmark.openCount = 9223372036854775807LL;
        bookmark.snippet = QStringLiteral("the <b>quarterly</b> report");
        bookmark.givenDatabaseID = 99;
        bookmark.kind = SearchResultKind::action;
        bookmark.action = SearchResultAction::openBrowserFavorite;
        bookmark.actionURLString = QStringLiteral("https://example.org/ä?q=1&r=2");
        bookmark.fallbackActionURLString = QStringLiteral("https://example.org/");
        bookmark.isDirectPathMatch = true;
        bookmark.usageKey = QStringLiteral("https://example.org/report");
        bookmark.relevanceScore = 1234;
        SearchResult app = fileResult();
        app.kind = SearchResultKind::app;
        app.title = QStringLiteral("Dateien");
        app.keywords = QStringLiteral("Dateimanager;Ordner");
        app.iconName = QStringLiteral("org.gnome.Nautilus");
        for (const SearchResult& result : {fileResult(), bookmark, app}) {
            SearchResult marked = result;
            marked.isRecentActivation = true; // never stored
            QCOMPARE(throughBytes(marked), std::optional<SearchResult>(result));
        }
    }

    void databaseIDFollowsPositiveID() {
        // A positive id doubles as the row id, in both directions.
        QCOMPARE(persistentSearchResultRecord(fileResult()).value("databaseID").toInteger(), 42);

        QJsonObject record = validRecord();
        record.insert("id", 42);
        QCOMPARE(searchResultFromPersistentRecord(record)->databaseID(),
                 std::optional<std::int64_t>(42));

        record.insert("id", -5);
        QCOMPARE(searchResultFromPersistentRecord(record)->databaseID(), std::nullopt);

        record.insert("databaseID", 17);
        QCOMPARE(searchResultFromPersistentRecord(record)->databaseID(),
                 std::optional<std::int64_t>(17));
    }

    void badRecordsAreRefused_data() {
        QTest::addColumn<QJsonObject>("record");
        for (const char* key :
             {"id", "filename", "directory", "openCount", "kind", "isDirectPathMatch"}) {
            QJsonObject missing = validRecord();
            missing.remove(QLatin1String(key));
            QTest::addRow("missing %s", key) << missing;
        }
        const auto with = [](const char* key, const QJsonValue& value) {
            QJsonObject record = validRecord();
            record.insert(QLatin1String(key), value);
            return record;
        };
        QTest::addRow("kind in other case") << with("kind", "App");
        QTest::addRow("fractional open count") << with("openCount", 1.5);
        QTest::addRow("huge open count") << with("openCount", 1e300);
        QTest::addRow("action as array") << with("action", QJsonArray{"openSettings"});
    }

    void badRecordsAreRefused() {
        QFETCH(QJsonObject, record);
        QCOMPARE(searchResultFromPersistentRecord(record), std::nullopt);
    }

    void unknownActionGivesNoAction() {
        QJsonObject record = validRecord();
        record.insert("kind", "action");
        record.insert("action", "launchRocket");
        record.insert("actionURLString", "https://example.org");
        record.insert("snippet", QJsonValue::Null); // null reads as absent
        const auto result = searchResultFromPersistentRecord(record);
        QVERIFY(result);
        QCOMPARE(result->action, std::nullopt);
        QCOMPARE(result->snippet, std::nullopt);
        QCOMPARE(result->fullPath(), QStringLiteral("https://example.org"));
    }
};

QTEST_GUILESS_MAIN(TestSearchResultRecord)
#include "tst_searchresultrecord.moc"
