// Usage learning as stored: open counts and the recent-activation history
// survive a restart, bad stored data reads as empty and is replaced by the
// next write, and the history keeps one record per usage key.

#include "launcher/engine/ReferenceDate.h"
#include "launcher/engine/UsageStore.h"
#include "launcher/settings/PreferenceStore.h"

#include <QCborArray>
#include <QCborMap>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace trovi;

namespace {
const QString kCountsKey = QStringLiteral("launcherPathOpenCounts");
const QString kHistoryKey = QStringLiteral("launcherPathOpenCounts.recentActivations");

QDateTime at(int seconds) {
    return QDateTime(QDate(2024, 3, 1), QTime(9, 0), QTimeZone::utc()).addSecs(seconds);
}

RecentActivationRecord appRecord(const QString& name, std::int64_t openCount, int when) {
    SearchResult app;
    app.id = stableNegativeID(QStringLiteral("/usr/share/applications/") + name);
    app.filename = name;
    app.directory = QStringLiteral("/usr/share/applications");
    app.kind = SearchResultKind::app;
    app.openCount = openCount;
    return *RecentActivationRecord::make(app, at(when));
}

QJsonArray storedHistory(const PreferenceStore& prefs) {
    return QJsonDocument::fromJson(prefs.bytesValue(kHistoryKey).value_or(QByteArray())).array();
}
} // namespace

class TestUsageStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void countsAreCaseInsensitiveAndSurviveRestart();
    void badCountMapReadsEmptyAndIsReplaced_data();
    void badCountMapReadsEmptyAndIsReplaced();
    void historySurvivesRestart();
    void sameUsageKeyInOtherCaseLeavesOneRecordInFront();
    void historyIsCutToItsLimit();
    void unknownKindRecordIsKeptButNeverMatched();
    void badHistoryReadsEmptyAndIsReplaced_data();
    void badHistoryReadsEmptyAndIsReplaced();
    void unreadableRecordIsSkippedNotTheHistory();
    void customStoreKeyNamesBothValues();
};

void TestUsageStore::countsAreCaseInsensitiveAndSurviveRestart() {
    InMemoryPreferenceStore prefs;
    {
        UsageStore usage(prefs);
        usage.increment(QStringLiteral("/Apps/Mail.desktop"));
        usage.increment(QStringLiteral("/apps/mail.DESKTOP"));
        usage.setCount(QStringLiteral("HTTPS://Example.org"), 5);
        QCOMPARE(usage.count(QStringLiteral("/apps/mail.desktop")), 2);
    }
    const auto stored = prefs.mapValue(kCountsKey);
    QVERIFY(stored);
    QCOMPARE(stored->value(QStringLiteral("/apps/mail.desktop")).toInteger(), 2);
    QCOMPARE(stored->value(QStringLiteral("https://example.org")).toInteger(), 5);

    UsageStore restarted(prefs);
    QCOMPARE(restarted.count(QStringLiteral("/APPS/MAIL.desktop")), 2);
    QCOMPARE(restarted.count(QStringLiteral("https://example.org")), 5);
    QCOMPARE(restarted.count(QStringLiteral("/never/opened")), 0);
    restarted.increment(QStringLiteral("/apps/mail.desktop"));
    QCOMPARE(UsageStore(prefs).count(QStringLiteral("/apps/mail.desktop")), 3);
}

void TestUsageStore::badCountMapReadsEmptyAndIsReplaced_data() {
    QTest::addColumn<QCborValue>("stored");
    QCborMap withText;
    withText.insert(QStringLiteral("/a"), 4);
    withText.insert(QStringLiteral("/b"), QStringLiteral("many"));
    QTest::addRow("one value is text") << QCborValue(withText);
    QCborMap withReal;
    withReal.insert(QStringLiteral("/a"), 4);
    withReal.insert(QStringLiteral("/b"), 2.5);
    QTest::addRow("one value is a real number") << QCborValue(withReal);
    QCborMap withIntegerKey;
    withIntegerKey.insert(QStringLiteral("/a"), 4);
    withIntegerKey.insert(7, 1);
    QTest::addRow("one key is a number") << QCborValue(withIntegerKey);
    QTest::addRow("not a map") << QCborValue(QCborArray{1, 2});
    QTest::addRow("bytes") << QCborValue(QByteArray("{\"/a\": 4}"));
}

void TestUsageStore::badCountMapReadsEmptyAndIsReplaced() {
    QFETCH(QCborValue, stored);
    InMemoryPreferenceStore prefs;
    prefs.setValue(kCountsKey, stored);

    UsageStore usage(prefs);
    QVERIFY(usage.openCounts().isEmpty());
    QCOMPARE(usage.count(QStringLiteral("/a")), 0);

    usage.increment(QStringLiteral("/c"));
    const auto written = prefs.mapValue(kCountsKey);
    QVERIFY(written);
    QCOMPARE(written->size(), 1);
    QCOMPARE(written->value(QStringLiteral("/c")).toInteger(), 1);
}

void TestUsageStore::historySurvivesRestart() {
    InMemoryPreferenceStore prefs;

    SearchResult shortcut;
    shortcut.id = -77;
    shortcut.filename = QStringLiteral("Budget.gsheet");
    shortcut.directory = QStringLiteral("/home/ana/My Drive");
    shortcut.snippet = QStringLiteral("snippet");
    shortcut.usageKey = QStringLiteral("https://docs.example.org/sheet/1");
    shortcut.openCount = 4;
    const auto record = RecentActivationRecord::make(shortcut, at(1).addMSecs(123));
    QVERIFY(record);
    {
        UsageStore usage(prefs);
        usage.storeRecentActivation(appRecord(QStringLiteral("Mail"), 1, 0));
        usage.storeRecentActivation(*record);
    }
    UsageStore restarted(prefs);
    const auto& history = restarted.recentActivations();
    QCOMPARE(history.size(), 2);
    QCOMPARE(history.at(0), *record);
    QCOMPARE(history.at(0).activatedAt, at(1).addMSecs(123));
    QCOMPARE(history.at(1).filename, QStringLiteral("Mail"));
}

void TestUsageStore::sameUsageKeyInOtherCaseLeavesOneRecordInFront() {
    InMemoryPreferenceStore prefs;
    UsageStore usage(prefs);
    usage.storeRecentActivation(appRecord(QStringLiteral("Mail"), 1, 0));
    usage.storeRecentActivation(appRecord(QStringLiteral("Notes"), 1, 1));
    usage.storeRecentActivation(appRecord(QStringLiteral("MAIL"), 2, 2));

    const auto& history = usage.recentActivations();
    QCOMPARE(history.size(), 2);
    QCOMPARE(history.at(0).filename, QStringLiteral("MAIL"));
    QCOMPARE(history.at(0).openCount, 2);
    QCOMPARE(history.at(1).filename, QStringLiteral("Notes"));
    QCOMPARE(storedHistory(prefs).size(), 2);
}

void TestUsageStore::historyIsCutToItsLimit() {
    InMemoryPreferenceStore prefs;
    UsageStore usage(prefs);
    for (int i = 0; i < 81; ++i)
        usage.storeRecentActivation(appRecord(QStringLiteral("App %1").arg(i), 1, i));

    const auto& history = usage.recentActivations();
    QCOMPARE(history.size(), 80);
    QCOMPARE(history.first().filename, QStringLiteral("App 80"));
    QCOMPARE(history.last().filename, QStringLiteral("App 1"));
    QCOMPARE(UsageStore(prefs).recentActivations(), history);
}

void TestUsageStore::unknownKindRecordIsKeptButNeverMatched() {
    InMemoryPreferenceStore prefs;
    // Written by a newer version: same path as Mail, but a kind we don't know.
    QJsonObject foreign = appRecord(QStringLiteral("Mail"), 9, 0).toJson();
    foreign.insert("kind", "widget");
    prefs.setBytes(kHistoryKey, QJsonDocument(QJsonArray{foreign}).toJson());

    UsageStore usage(prefs);
    QCOMPARE(usage.recentActivations().size(), 1);
    QVERIFY(!usage.recentActivations().first().hasKnownKind());
    QCOMPARE(usage.recentActivations().first().toSearchResult(), std::nullopt);

    usage.storeRecentActivation(appRecord(QStringLiteral("Mail"), 1, 5));
    const auto& history = usage.recentActivations();
    QCOMPARE(history.size(), 2);
    QCOMPARE(history.at(0).kind, QStringLiteral("app"));
    QCOMPARE(history.at(1).kind, QStringLiteral("widget"));
    QCOMPARE(storedHistory(prefs).at(1).toObject().value("kind").toString(),
             QStringLiteral("widget"));
}

void TestUsageStore::badHistoryReadsEmptyAndIsReplaced_data() {
    QTest::addColumn<QCborValue>("stored");
    QTest::addRow("truncated JSON") << QCborValue(QByteArray("[{\"id\": 1, \"filen"));
    QTest::addRow("JSON object, not an array") << QCborValue(QByteArray("{\"id\": 1}"));
    QTest::addRow("not bytes") << QCborValue(QStringLiteral("[]"));
    QTest::addRow("binary noise") << QCborValue(QByteArray("\xff\xfe\x00\x01", 4));
}

void TestUsageStore::badHistoryReadsEmptyAndIsReplaced() {
    QFETCH(QCborValue, stored);
    InMemoryPreferenceStore prefs;
    prefs.setValue(kHistoryKey, stored);

    UsageStore usage(prefs);
    QVERIFY(usage.recentActivations().isEmpty());
    usage.storeRecentActivation(appRecord(QStringLiteral("Mail"), 1, 0));
    QCOMPARE(storedHistory(prefs).size(), 1);
    QCOMPARE(UsageStore(prefs).recentActivations().size(), 1);
}

void TestUsageStore::unreadableRecordIsSkippedNotTheHistory() {
    InMemoryPreferenceStore prefs;
    QJsonObject noDate = appRecord(QStringLiteral("Broken"), 1, 0).toJson();
    noDate.remove("activatedAt");
    const QJsonArray stored{appRecord(QStringLiteral("Mail"), 1, 0).toJson(), noDate, 42,
                            appRecord(QStringLiteral("Notes"), 1, 0).toJson()};
    prefs.setBytes(kHistoryKey, QJsonDocument(stored).toJson());

    UsageStore usage(prefs);
    const auto& history = usage.recentActivations();
    QCOMPARE(history.size(), 2);
    QCOMPARE(history.at(0).filename, QStringLiteral("Mail"));
    QCOMPARE(history.at(1).filename, QStringLiteral("Notes"));
}

void TestUsageStore::customStoreKeyNamesBothValues() {
    InMemoryPreferenceStore prefs;
    UsageStore usage(prefs, QStringLiteral("testCounts"));
    QCOMPARE(usage.recentActivationsStoreKey(), QStringLiteral("testCounts.recentActivations"));
    usage.increment(QStringLiteral("/x"));
    usage.storeRecentActivation(appRecord(QStringLiteral("Mail"), 1, 0));
    QCOMPARE(prefs.keys(), (QStringList{QStringLiteral("testCounts"),
                                        QStringLiteral("testCounts.recentActivations")}));
}

QTEST_GUILESS_MAIN(TestUsageStore)
#include "tst_usagestore.moc"
