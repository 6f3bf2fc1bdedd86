// Usage learning as stored: open counts and the recent-activation history
// survive a restart, bad stored data reads as empty and is replaced by the
// next write, and the history keeps one record per usage key.

#include "launcher/engine/usage/RecentActivationRecord.h"
#include "launcher/engine/usage/UsageStore.h"
#include "launcher/settings/PreferenceStore.h"

#include <QCborMap>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QTimeZone>

using namespace trovi;

namespace {
const QString kCountsKey = QStringLiteral("launcherPathOpenCounts");
const QString kHistoryKey = QStringLiteral("launcherPathOpenCounts.recentActivations");

QDateTime at(int seconds) {
    return QDateTime(QDate(2024, 3, 1), QTime(9, 0), QTimeZone::utc()).addSecs(seconds);
}

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

RecentActivationRecord appRecord(const QString& name, std::int64_t openCount, int when) {
    SearchResult app = result(SearchResultKind::app);
    app.filename = name;
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
    void whatIsRemembered_data() {
        QTest::addColumn<SearchResult>("result");
        QTest::addColumn<bool>("persist");
        using K = SearchResultKind;
        using A = SearchResultAction;
        QTest::addRow("shortcut file") << result(K::file, {}, "https://x.org") << true;
        QTest::addRow("bookmark") << result(K::action, A::openBrowserFavorite) << true;
        QTest::addRow("browser tab") << result(K::action, A::focusBrowserTab) << false;
    }

    void whatIsRemembered() {
        QFETCH(SearchResult, result);
        QFETCH(bool, persist);
        QCOMPARE(RecentActivationRecord::make(result, at(0)).has_value(), persist);
    }

    void recordRoundTripsThroughJson() {
        SearchResult page = result(SearchResultKind::action, SearchResultAction::openNotionPage,
                                   QStringLiteral("notion://page/0123456789abcdef"));
        page.snippet = QStringLiteral("Workspace");
        page.givenDatabaseID = 5;
        page.actionURLString = QStringLiteral("https://www.notion.so/0123456789abcdef");
        page.fallbackActionURLString = QStringLiteral("https://www.notion.so/Old-Title-0123");
        page.isDirectPathMatch = true;
        page.openCount = 11;
        for (const SearchResult& original : {result(SearchResultKind::folder), page}) {
            const auto record = RecentActivationRecord::make(original, at(0).addMSecs(250));
            const QByteArray bytes = QJsonDocument(record->toJson()).toJson();
            const auto loaded =
                RecentActivationRecord::fromJson(QJsonDocument::fromJson(bytes).object());
            QVERIFY(loaded);
            QCOMPARE(*loaded, *record);
            QCOMPARE(loaded->toSearchResult(), std::optional<SearchResult>(original));
        }
        // The date is stored as seconds since 2001-01-01 UTC.
        const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
        const auto record = RecentActivationRecord::make(page, reference.addSecs(90));
        QCOMPARE(record->toJson().value("activatedAt").toDouble(), 90.0);
        QCOMPARE(record->usageKeyOrFullPath(), *page.usageKey);
    }

    void badRecordsAreRefused_data() {
        QTest::addColumn<QJsonObject>("json");
        const QJsonObject valid = appRecord(QStringLiteral("Mail"), 4, 0).toJson();
        for (const char* key : {"id", "filename", "openCount", "kind", "activatedAt"}) {
            QJsonObject missing = valid;
            missing.remove(QLatin1String(key));
            QTest::addRow("missing %s", key) << missing;
        }
        QJsonObject farDate = valid;
        farDate.insert("activatedAt", 1e300);
        QTest::addRow("date out of any range") << farDate;
        QJsonObject numberKey = valid;
        numberKey.insert("usageKey", 12);
        QTest::addRow("usage key as number") << numberKey;
    }

    void badRecordsAreRefused() {
        QFETCH(QJsonObject, json);
        QCOMPARE(RecentActivationRecord::fromJson(json), std::nullopt);
    }

    void countsAreCaseInsensitiveAndSurviveRestart() {
        InMemoryPreferenceStore prefs;
        {
            UsageStore usage(prefs);
            usage.increment(QStringLiteral("/Apps/Mail.desktop"));
            usage.increment(QStringLiteral("/apps/mail.DESKTOP"));
            usage.setCount(QStringLiteral("HTTPS://Example.org"), 5);
        }
        QCOMPARE(
            prefs.mapValue(kCountsKey)->value(QStringLiteral("https://example.org")).toInteger(),
            5);
        UsageStore restarted(prefs);
        QCOMPARE(restarted.count(QStringLiteral("/APPS/MAIL.desktop")), 2);
        QCOMPARE(restarted.count(QStringLiteral("/never/opened")), 0);
        restarted.increment(QStringLiteral("/apps/mail.desktop"));
        QCOMPARE(UsageStore(prefs).count(QStringLiteral("/apps/mail.desktop")), 3);
    }

    void badCountMapReadsEmptyAndIsReplaced_data() {
        QTest::addColumn<QCborValue>("stored");
        QTest::addRow("one value is text")
            << QCborValue(QCborMap{{QStringLiteral("/a"), 4}, {QStringLiteral("/b"), "many"}});
        QTest::addRow("one key is a number")
            << QCborValue(QCborMap{{QStringLiteral("/a"), 4}, {7, 1}});
        QTest::addRow("bytes") << QCborValue(QByteArray("{\"/a\": 4}"));
    }

    void badCountMapReadsEmptyAndIsReplaced() {
        QFETCH(QCborValue, stored);
        InMemoryPreferenceStore prefs;
        prefs.setValue(kCountsKey, stored);
        UsageStore usage(prefs);
        QCOMPARE(usage.count(QStringLiteral("/a")), 0);
        usage.increment(QStringLiteral("/c"));
        QCOMPARE(prefs.mapValue(kCountsKey), std::optional(QCborMap{{QStringLiteral("/c"), 1}}));
    }

    void historyKeepsOneRecordPerKeyNewestFirst() {
        InMemoryPreferenceStore prefs;
        const auto shortcut = RecentActivationRecord::make(
            result(SearchResultKind::file, {}, "https://docs.example.org/1"), at(1).addMSecs(123));
        {
            UsageStore usage(prefs);
            usage.storeRecentActivation(appRecord(QStringLiteral("Mail"), 1, 0));
            usage.storeRecentActivation(*shortcut);
            usage.storeRecentActivation(appRecord(QStringLiteral("Notes"), 1, 2));
            usage.storeRecentActivation(appRecord(QStringLiteral("MAIL"), 2, 3));
        }
        const auto history = UsageStore(prefs).recentActivations();
        QCOMPARE(history.size(), 3);
        QCOMPARE(history.at(0).filename, QStringLiteral("MAIL"));
        QCOMPARE(history.at(0).openCount, 2);
        QCOMPARE(history.at(2), *shortcut);
    }

    void historyIsCutToItsLimit() {
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

    void unknownKindRecordIsKeptButNeverMatched() {
        InMemoryPreferenceStore prefs;
        // Written by a newer version: same path as Mail, but a kind we don't know.
        QJsonObject foreign = appRecord(QStringLiteral("Mail"), 9, 0).toJson();
        foreign.insert("kind", "widget");
        foreign.insert("action", "doSomethingNew");
        prefs.setBytes(kHistoryKey, QJsonDocument(QJsonArray{foreign}).toJson());

        UsageStore usage(prefs);
        QCOMPARE(usage.recentActivations().first().toSearchResult(), std::nullopt);
        usage.storeRecentActivation(appRecord(QStringLiteral("Mail"), 1, 5));
        QCOMPARE(usage.recentActivations().size(), 2);
        QCOMPARE(storedHistory(prefs).at(1).toObject(), foreign); // written back untouched
    }

    void badHistoryReadsWhatItCanAndIsReplaced_data() {
        QTest::addColumn<QCborValue>("stored");
        QTest::addColumn<QStringList>("readable");
        QTest::addRow("truncated JSON")
            << QCborValue(QByteArray("[{\"id\": 1, \"filen")) << QStringList();
        QJsonObject noDate = appRecord(QStringLiteral("Broken"), 1, 0).toJson();
        noDate.remove("activatedAt");
        const QJsonArray records{appRecord(QStringLiteral("Mail"), 1, 0).toJson(), noDate, 42,
                                 appRecord(QStringLiteral("Notes"), 1, 0).toJson()};
        QTest::addRow("some records unreadable")
            << QCborValue(QJsonDocument(records).toJson()) << QStringList{"Mail", "Notes"};
    }

    void badHistoryReadsWhatItCanAndIsReplaced() {
        QFETCH(QCborValue, stored);
        QFETCH(QStringList, readable);
        InMemoryPreferenceStore prefs;
        prefs.setValue(kHistoryKey, stored);
        UsageStore usage(prefs);
        QStringList names;
        for (const auto& record : usage.recentActivations())
            names << record.filename;
        QCOMPARE(names, readable);
        usage.storeRecentActivation(appRecord(QStringLiteral("Clock"), 1, 0));
        QCOMPARE(storedHistory(prefs).size(), readable.size() + 1);
    }
};

QTEST_GUILESS_MAIN(TestUsageStore)
#include "tst_usagestore.moc"
