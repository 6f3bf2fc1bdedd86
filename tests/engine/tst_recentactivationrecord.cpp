// Recent-activation records: which activations are remembered, and that a
// record comes back from JSON exactly as written.

#include "launcher/engine/RecentActivationRecord.h"
#include "launcher/engine/ReferenceDate.h"

#include <QJsonDocument>
#include <QTest>

using namespace trovi;

namespace {
SearchResult result(SearchResultKind kind, std::optional<SearchResultAction> action = {},
                    std::optional<QString> usageKey = {}) {
    SearchResult r;
    r.id = -12;
    r.filename = QStringLiteral("Name");
    r.directory = QStringLiteral("/place");
    r.kind = kind;
    r.action = action;
    r.usageKey = usageKey;
    return r;
}

const QDateTime kWhen = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9, 250), QTimeZone::utc());

QJsonObject validJson() {
    return QJsonObject{{"id", -3},          {"filename", "Mail"}, {"directory", "/apps"},
                       {"openCount", 4},    {"kind", "app"},      {"isDirectPathMatch", false},
                       {"activatedAt", 0.5}};
}
} // namespace

class TestRecentActivationRecord : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void shouldPersist_data();
    void shouldPersist();
    void roundTripsThroughJson_data();
    void roundTripsThroughJson();
    void activationDateIsReferenceSeconds();
    void missingOrMistypedFieldsAreRefused_data();
    void missingOrMistypedFieldsAreRefused();
    void unknownKindLoadsButGivesNoResult();
    void usageKeyFallsBackToFullPath();
};

void TestRecentActivationRecord::shouldPersist_data() {
    QTest::addColumn<SearchResult>("result");
    QTest::addColumn<bool>("persist");
    using K = SearchResultKind;
    using A = SearchResultAction;
    QTest::addRow("app") << result(K::app) << true;
    QTest::addRow("folder") << result(K::folder) << true;
    QTest::addRow("plain file") << result(K::file) << false;
    QTest::addRow("shortcut file") << result(K::file, {}, QStringLiteral("https://x.org")) << true;
    QTest::addRow("bookmark") << result(K::action, A::openBrowserFavorite) << true;
    QTest::addRow("notion page") << result(K::action, A::openNotionPage) << true;
    QTest::addRow("calculator") << result(K::action, A::copyToClipboard) << false;
    QTest::addRow("browser tab") << result(K::action, A::focusBrowserTab) << false;
    QTest::addRow("settings pane") << result(K::action, A::openSystemSettings) << false;
    QTest::addRow("launcher settings") << result(K::action, A::openSettings) << false;
    QTest::addRow("action without action") << result(K::action) << false;
}

void TestRecentActivationRecord::shouldPersist() {
    QFETCH(SearchResult, result);
    QFETCH(bool, persist);
    QCOMPARE(RecentActivationRecord::shouldPersist(result), persist);
    QCOMPARE(RecentActivationRecord::make(result, kWhen).has_value(), persist);
}

void TestRecentActivationRecord::roundTripsThroughJson_data() {
    QTest::addColumn<SearchResult>("result");
    SearchResult bare = result(SearchResultKind::folder);
    QTest::addRow("folder without optionals") << bare;

    SearchResult page = result(SearchResultKind::action, SearchResultAction::openNotionPage,
                               QStringLiteral("notion://page/0123456789abcdef0123456789abcdef"));
    page.id = stableNegativeID(*page.usageKey);
    page.snippet = QStringLiteral("Workspace");
    page.givenDatabaseID = 5;
    page.actionURLString = QStringLiteral("https://www.notion.so/0123456789abcdef0123456789abcdef");
    page.fallbackActionURLString = QStringLiteral("https://www.notion.so/Old-Title-0123");
    page.isDirectPathMatch = true;
    page.openCount = 11;
    QTest::addRow("notion page with every optional") << page;
}

void TestRecentActivationRecord::roundTripsThroughJson() {
    QFETCH(SearchResult, result);
    const auto record = RecentActivationRecord::make(result, kWhen);
    QVERIFY(record);
    const QByteArray bytes = QJsonDocument(record->toJson()).toJson();
    const auto loaded = RecentActivationRecord::fromJson(QJsonDocument::fromJson(bytes).object());
    QVERIFY(loaded);
    QCOMPARE(*loaded, *record);
    QCOMPARE(loaded->toSearchResult(), std::optional<SearchResult>(result));
}

void TestRecentActivationRecord::activationDateIsReferenceSeconds() {
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    auto record =
        *RecentActivationRecord::make(result(SearchResultKind::app), reference.addSecs(90));
    QCOMPARE(record.toJson().value("activatedAt").toDouble(), 90.0);
    QVERIFY(!record.toJson().contains("usageKey"));
    QVERIFY(!record.toJson().contains("databaseID")); // id is negative
}

void TestRecentActivationRecord::missingOrMistypedFieldsAreRefused_data() {
    QTest::addColumn<QJsonObject>("json");
    for (const char* key :
         {"id", "filename", "directory", "openCount", "kind", "isDirectPathMatch", "activatedAt"}) {
        QJsonObject missing = validJson();
        missing.remove(QLatin1String(key));
        QTest::addRow("missing %s", key) << missing;
    }
    QJsonObject textDate = validJson();
    textDate.insert("activatedAt", "2024-01-01");
    QTest::addRow("date as text") << textDate;
    QJsonObject farDate = validJson();
    farDate.insert("activatedAt", 1e300);
    QTest::addRow("date out of any range") << farDate;
    QJsonObject numberKey = validJson();
    numberKey.insert("usageKey", 12);
    QTest::addRow("usage key as number") << numberKey;
}

void TestRecentActivationRecord::missingOrMistypedFieldsAreRefused() {
    QFETCH(QJsonObject, json);
    QCOMPARE(RecentActivationRecord::fromJson(json), std::nullopt);
}

void TestRecentActivationRecord::unknownKindLoadsButGivesNoResult() {
    QJsonObject json = validJson();
    json.insert("kind", "widget");
    json.insert("action", "doSomethingNew");
    const auto record = RecentActivationRecord::fromJson(json);
    QVERIFY(record);
    QVERIFY(!record->hasKnownKind());
    QCOMPARE(record->toSearchResult(), std::nullopt);
    // Written back untouched.
    QCOMPARE(record->toJson().value("kind").toString(), QStringLiteral("widget"));
    QCOMPARE(record->toJson().value("action").toString(), QStringLiteral("doSomethingNew"));

    json.insert("kind", "action");
    const auto action = RecentActivationRecord::fromJson(json)->toSearchResult();
    QVERIFY(action);
    QCOMPARE(action->action, std::nullopt);
}

void TestRecentActivationRecord::usageKeyFallsBackToFullPath() {
    auto app = *RecentActivationRecord::make(result(SearchResultKind::app), kWhen);
    QCOMPARE(app.usageKeyOrFullPath(), QStringLiteral("/place/Name"));

    SearchResult bookmark =
        result(SearchResultKind::action, SearchResultAction::openBrowserFavorite);
    bookmark.actionURLString = QStringLiteral("https://Example.org/");
    QCOMPARE(RecentActivationRecord::make(bookmark, kWhen)->usageKeyOrFullPath(),
             QStringLiteral("https://Example.org/"));
    bookmark.usageKey = QStringLiteral("key");
    QCOMPARE(RecentActivationRecord::make(bookmark, kWhen)->usageKeyOrFullPath(),
             QStringLiteral("key"));
}

QTEST_GUILESS_MAIN(TestRecentActivationRecord)
#include "tst_recentactivationrecord.moc"
