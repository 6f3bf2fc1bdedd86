// Stored result records: what goes into the persistent query cache must come
// back unchanged, and a damaged or foreign record must be refused, not crash.

#include "launcher/engine/SearchResultRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
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
    void roundTrip_data();
    void roundTrip();
    void absentOptionalsAreOmitted();
    void databaseIDFollowsPositiveID();
    void badRecordsAreRefused_data();
    void badRecordsAreRefused();
    void unknownActionGivesNoAction();
    void nullOptionalReadsAsAbsent();
    void commandLineJsonAddsFullPathAndRecentFlag();
};

void TestSearchResultRecord::roundTrip_data() {
    QTest::addColumn<SearchResult>("result");

    QTest::addRow("plain document-index file") << fileResult();

    SearchResult everything = fileResult();
    everything.snippet = QStringLiteral("the <b>quarterly</b> report");
    everything.givenDatabaseID = 99;
    everything.isDirectPathMatch = true;
    everything.usageKey = QStringLiteral("https://example.org/report");
    everything.relevanceScore = 1234;
    QTest::addRow("file with every optional") << everything;

    SearchResult app;
    app.id = stableNegativeID(QStringLiteral("/usr/share/applications/firefox.desktop"));
    app.filename = QStringLiteral("Firefox");
    app.directory = QStringLiteral("/usr/share/applications");
    app.kind = SearchResultKind::app;
    app.relevanceScore = -20;
    QTest::addRow("app with a 64-bit negative id") << app;

    SearchResult bookmark;
    bookmark.id = -9223372036854775806LL;
    bookmark.filename = QStringLiteral("Ünïcode ☃ bookmark");
    bookmark.directory = QStringLiteral("Brave · Bookmarks Bar");
    bookmark.kind = SearchResultKind::action;
    bookmark.action = SearchResultAction::openBrowserFavorite;
    bookmark.actionURLString = QStringLiteral("https://example.org/ä?q=1&r=2");
    bookmark.fallbackActionURLString = QStringLiteral("https://example.org/");
    bookmark.openCount = 9223372036854775807LL;
    QTest::addRow("bookmark at the integer limits") << bookmark;

    SearchResult settings;
    settings.id = stableNegativeID(QStringLiteral("action://open-settings"));
    settings.filename = QStringLiteral("Settings");
    settings.kind = SearchResultKind::action;
    settings.action = SearchResultAction::openSettings;
    QTest::addRow("action without URLs") << settings;
}

void TestSearchResultRecord::roundTrip() {
    QFETCH(SearchResult, result);
    SearchResult marked = result;
    marked.isRecentActivation = true; // never stored

    const auto decoded = throughBytes(marked);
    QVERIFY(decoded);
    QCOMPARE(*decoded, result);
    QVERIFY(!decoded->isRecentActivation);
    QCOMPARE(decoded->databaseID(), result.databaseID());
}

void TestSearchResultRecord::absentOptionalsAreOmitted() {
    SearchResult r = fileResult();
    r.id = -5;
    const QJsonObject record = persistentSearchResultRecord(r);
    const QStringList keys = record.keys();
    QCOMPARE(
        QSet<QString>(keys.begin(), keys.end()),
        (QSet<QString>{"id", "filename", "directory", "openCount", "kind", "isDirectPathMatch"}));
    QCOMPARE(record.value("kind").toString(), QStringLiteral("file"));
}

void TestSearchResultRecord::databaseIDFollowsPositiveID() {
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

void TestSearchResultRecord::badRecordsAreRefused_data() {
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
    QTest::addRow("unknown kind") << with("kind", "widget");
    QTest::addRow("kind in other case") << with("kind", "App");
    QTest::addRow("id as text") << with("id", "7");
    QTest::addRow("fractional open count") << with("openCount", 1.5);
    QTest::addRow("huge open count") << with("openCount", 1e300);
    QTest::addRow("flag as text") << with("isDirectPathMatch", "false");
    QTest::addRow("filename as number") << with("filename", 3);
    QTest::addRow("snippet as number") << with("snippet", 5);
    QTest::addRow("databaseID as text") << with("databaseID", "12");
    QTest::addRow("action as array") << with("action", QJsonArray{"openSettings"});
    QTest::addRow("usage key as object") << with("usageKey", QJsonObject{});
    QTest::addRow("score as bool") << with("relevanceScore", true);
}

void TestSearchResultRecord::badRecordsAreRefused() {
    QFETCH(QJsonObject, record);
    QCOMPARE(searchResultFromPersistentRecord(record), std::nullopt);
}

void TestSearchResultRecord::unknownActionGivesNoAction() {
    QJsonObject record = validRecord();
    record.insert("kind", "action");
    record.insert("action", "launchRocket");
    record.insert("actionURLString", "https://example.org");
    const auto result = searchResultFromPersistentRecord(record);
    QVERIFY(result);
    QVERIFY(result->kind == SearchResultKind::action);
    QCOMPARE(result->action, std::nullopt);
    QCOMPARE(result->fullPath(), QStringLiteral("https://example.org"));
}

void TestSearchResultRecord::nullOptionalReadsAsAbsent() {
    QJsonObject record = validRecord();
    record.insert("snippet", QJsonValue::Null);
    record.insert("relevanceScore", QJsonValue::Null);
    const auto result = searchResultFromPersistentRecord(record);
    QVERIFY(result);
    QCOMPARE(result->snippet, std::nullopt);
    QCOMPARE(result->relevanceScore, std::nullopt);
}

void TestSearchResultRecord::commandLineJsonAddsFullPathAndRecentFlag() {
    SearchResult r = fileResult();
    r.isRecentActivation = true;
    r.relevanceScore = 800;
    const QJsonObject json = searchResultJson(r);
    QCOMPARE(json.value("fullPath").toString(), QStringLiteral("/home/ana/Documents/Report.pdf"));
    QCOMPARE(json.value("isRecentActivation").toBool(), true);
    QCOMPARE(json.value("relevanceScore").toInteger(), 800);
    QVERIFY(!json.contains("snippet"));
    QVERIFY(!json.contains("usageKey"));
}

QTEST_GUILESS_MAIN(TestSearchResultRecord)
#include "tst_searchresultrecord.moc"
