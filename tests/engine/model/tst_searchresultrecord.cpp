// Result identity and stored result records: what goes into the persistent
// query cache or the recent history must come back unchanged, and a damaged or
// foreign record must be refused, not crash.

#include "launcher/core/NativePath.h"
#include "launcher/engine/model/Deduplication.h"
#include "launcher/engine/model/SearchResultRecord.h"
#include "launcher/engine/usage/RecentActivationRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QTimeZone>

using namespace trovi;

namespace {
SearchResult fileResult() {
    SearchResult r;
    r.id = 42;
    r.filename = "Report.pdf";
    r.directory = "/home/ana/Documents";
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
        {"id", 7},       {"filename", "Mail"},         {"directory", "/a"},  {"openCount", 2},
        {"kind", "app"}, {"isDirectPathMatch", false}, {"activatedAt", 10.5}};
}
} // namespace

class TestSearchResultRecord : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void identity() {
        // Stored inside cached results: these exact values must survive any rewrite.
        QCOMPARE(stableNegativeID(QString()), -1469598103934665604LL);
        QCOMPARE(stableNegativeID("abc"), -7018861466891099904LL);

        SearchResult file = fileResult();
        file.usageKey = "https://Example.org/Report";
        // Linux file systems keep "Report.pdf" and "report.pdf" apart, and
        // bytes that are not UTF-8 apart from each other.
        QCOMPARE(file.identity(), "/home/ana/Documents/Report.pdf");
        file.filename = QStringLiteral("Ärger Über.PDF");
        QCOMPARE(file.identity(), QStringLiteral("/home/ana/Documents/Ärger Über.PDF"));
        SearchResult other = file;
        file.filename = trovi::decodedPath("coll\xff.url");
        other.filename = trovi::decodedPath("coll\xfe.url");
        QVERIFY(file.identity() != other.identity());
        QCOMPARE(trovi::deduplicatedSearchResults({file, other}).size(), 2);
        QCOMPARE(trovi::mergedUniqueByPath({file, other}).size(), 2);
        SearchResult page;
        page.kind = SearchResultKind::action;
        page.action = SearchResultAction::openNotionPage;
        page.actionURLString = "https://Example.org/Page";
        QCOMPARE(page.identity(), "https://example.org/page");
        page.usageKey = "notion://Page/1";
        QCOMPARE(page.identity(), "notion://page/1");
    }

    void roundTripKeepsEverythingButTheRecentFlag() {
        SearchResult bookmark;
        bookmark.id = -9223372036854775806LL;
        bookmark.filename = "Ünïcode ☃ bookmark";
        bookmark.directory = "Brave · Bookmarks Bar";
        bookmark.openCount = 9223372036854775807LL;
        bookmark.snippet = "the <b>quarterly</b> report";
        bookmark.givenDatabaseID = 99;
        bookmark.kind = SearchResultKind::action;
        bookmark.action = SearchResultAction::openBrowserFavorite;
        bookmark.actionURLString = "https://example.org/ä?q=1&r=2";
        bookmark.fallbackActionURLString = "https://example.org/";
        bookmark.isDirectPathMatch = true;
        bookmark.usageKey = "https://example.org/report";
        bookmark.relevanceScore = 1234;
        SearchResult app = fileResult();
        app.kind = SearchResultKind::app;
        app.title = QStringLiteral("Dateien");
        app.keywords = QStringLiteral("Dateimanager;Ordner");
        app.iconName = QStringLiteral("org.gnome.Nautilus");
        const QDateTime at(QDate(2001, 1, 1), QTime(0, 1, 30), QTimeZone::utc());
        for (const SearchResult& result : {fileResult(), bookmark, app}) {
            SearchResult marked = result;
            marked.isRecentActivation = true; // never stored
            QCOMPARE(throughBytes(marked), std::optional<SearchResult>(result));
        }
        // The recent history keeps the same fields, and its date as seconds since 2001.
        for (const SearchResult& result : {bookmark, app}) {
            const QJsonObject history = RecentActivationRecord::make(result, at)->toJson();
            QCOMPARE(history["activatedAt"].toDouble(), 90.0);
            QCOMPARE(RecentActivationRecord::fromJson(history)->toSearchResult(),
                     std::optional(result.withRelevanceScore(std::nullopt)));
        }
    }

    void databaseIDFollowsPositiveID() {
        QCOMPARE(persistentSearchResultRecord(fileResult()).value("databaseID").toInteger(), 42);
        QJsonObject record = validRecord();
        QCOMPARE(searchResultFromPersistentRecord(record)->databaseID(),
                 std::optional<std::int64_t>(7));
        record.insert("id", -5);
        QCOMPARE(searchResultFromPersistentRecord(record)->databaseID(), std::nullopt);
        record.insert("databaseID", 17);
        QCOMPARE(searchResultFromPersistentRecord(record)->databaseID(),
                 std::optional<std::int64_t>(17));
    }

    // The cached-result and the recent-history readers share the rules for
    // the fields they have in common.
    void badRecordsAreRefused_data() {
        QTest::addColumn<QJsonObject>("record");
        QTest::addColumn<QString>("refusedBy"); // "both", "cache" or "history"
        for (const char* key :
             {"id", "filename", "directory", "openCount", "kind", "isDirectPathMatch"}) {
            QJsonObject missing = validRecord();
            missing.remove(QLatin1String(key));
            QTest::addRow("missing %s", key) << missing << "both";
        }
        const auto with = [](const char* key, const QJsonValue& value) {
            QJsonObject record = validRecord();
            record.insert(QLatin1String(key), value);
            return record;
        };
        QJsonObject undated = validRecord();
        undated.remove("activatedAt");
        QTest::addRow("missing activatedAt") << undated << "history";
        QTest::addRow("date out of any range") << with("activatedAt", 1e300) << "history";
        QTest::addRow("kind in other case") << with("kind", "App") << "cache";
        QTest::addRow("fractional open count") << with("openCount", 1.5) << "both";
        QTest::addRow("huge open count") << with("openCount", 1e300) << "both";
        QTest::addRow("action as array") << with("action", QJsonArray{"openSettings"}) << "both";
        QTest::addRow("usage key as number") << with("usageKey", 12) << "both";
    }

    void badRecordsAreRefused() {
        QFETCH(QJsonObject, record);
        QFETCH(QString, refusedBy);
        QCOMPARE(!searchResultFromPersistentRecord(record), refusedBy != "history");
        QCOMPARE(!RecentActivationRecord::fromJson(record), refusedBy != "cache");
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
        QCOMPARE(result->fullPath(), "https://example.org");
    }
};

QTEST_GUILESS_MAIN(TestSearchResultRecord)
#include "tst_searchresultrecord.moc"
