// Suffix boost rules: normalisation, validation, storage, and the lists and
// cache key the preferences derive from them.
#include "launcher/engine/ranking/SearchRankingSettingsStore.h"
#include "launcher/settings/PreferenceStore.h"
#include "tests/support/Results.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace trovi;

namespace {

ExtensionBoostRule rule(const QString& suffix, std::int64_t boost) {
    return {QUuid::createUuid(), suffix, boost};
}

// "suffix boost" per rule, in order.
QStringList summary(const QList<ExtensionBoostRule>& rules) {
    QStringList list;
    for (const auto& r : rules)
        list.append(r.suffix + u' ' + QString::number(r.boost));
    return list;
}

} // namespace

class SearchRankingSettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void normalisation() {
        const auto normalized = [](const QString& input) {
            return SearchRankingSettingsStore::normalizedSuffix(input).value_or("none");
        };
        QCOMPARE(normalized("*.PDF "), ".pdf");
        QCOMPARE(normalized(" p d f"), ".pdf");
        QCOMPARE(normalized("**.tar.gz"), ".tar.gz");
        QCOMPARE(normalized("*.*"), ".*"); // only the leading asterisks go
        QCOMPARE(normalized(" *. "), "none");

        // Blank rules go, boosts are clamped, and the later rule for a suffix wins.
        InMemoryPreferenceStore preferences;
        const QList<ExtensionBoostRule> input = {rule(".PDF ", 10), rule("*", 99),
                                                 rule("txt", 900),  rule("pdf", 25),
                                                 rule("md", -1000), rule("  ", 5)};
        const auto rules =
            SearchRankingSettingsStore(preferences).normalizedExtensionBoostRules(input);
        QCOMPARE(summary(rules), (QStringList{".pdf 25", ".txt 500", ".md -200"}));
        QCOMPARE(rules[0].id, input[3].id); // identity included
    }

    void validationMessage_data() {
        QTest::addColumn<QStringList>("suffixes");
        QTest::addColumn<QString>("expected"); // null: may be saved
        QTest::addRow("fine") << QStringList{".pdf", "txt"} << QString();
        QTest::addRow("asterisk only")
            << QStringList{"*"} << "Complete or delete empty suffix rules before saving.";
        QTest::addRow("same suffix written two ways")
            << QStringList{"*.PDF", "pdf"} << "Each suffix can only appear once.";
    }

    void validationMessage() {
        QFETCH(QStringList, suffixes);
        QFETCH(QString, expected);
        QList<ExtensionBoostRule> rules;
        for (const QString& suffix : suffixes)
            rules.append(rule(suffix, 1));
        QCOMPARE(SearchRankingSettingsStore::validationMessage(rules).value_or(QString()),
                 expected);
    }

    void loadsDefaultsWhenNothingUsableIsStored_data() {
        QTest::addColumn<QCborValue>("stored"); // undefined: nothing stored
        QTest::addRow("nothing stored") << QCborValue();
        QTest::addRow("fractional boost") << QCborValue(QByteArray(
            R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","suffix":".pdf","boost":1.5}])"));
        QTest::addRow("stored as text instead of bytes") << QCborValue(QStringLiteral("[]"));
    }

    void loadsDefaultsWhenNothingUsableIsStored() {
        QFETCH(QCborValue, stored);
        InMemoryPreferenceStore preferences;
        if (!stored.isUndefined())
            preferences.setValue("launcherExtensionBoostRules", stored);
        const SearchRankingSettingsStore store(preferences);
        QCOMPARE(summary(store.load().extensionBoostRules()),
                 summary(store.defaultExtensionBoostRules()));
        QVERIFY(!store.load().extensionBoostRules().isEmpty());
        // Loading never repairs the store behind the user's back.
        QCOMPARE(preferences.value("launcherExtensionBoostRules").value_or(QCborValue()), stored);
    }

    void saveStoresNormalisedRulesThatLoadBack() {
        InMemoryPreferenceStore preferences;
        const SearchRankingSettingsStore store(preferences);
        const QList<ExtensionBoostRule> rules = {rule("*.Key", 900), rule(".pdf", 5), rule("", 3),
                                                 rule("PDF", -7)};
        store.save(rules);
        const QJsonArray array =
            QJsonDocument::fromJson(*preferences.bytesValue("launcherExtensionBoostRules")).array();
        QCOMPARE(array.size(), 2);
        QCOMPARE(QUuid::fromString(array[0]["id"].toString()), rules[0].id);
        QCOMPARE(store.load().extensionBoostRules(), store.normalizedExtensionBoostRules(rules));

        // An empty list stays empty, but web-link suffixes are still stripped for matching.
        store.save({});
        QVERIFY(store.load().extensionBoostRules().isEmpty());
        QVERIFY(store.load().sortedSuffixesForBasenameStripping().contains(".gsheet.url"));
    }

    void cacheKeyFollowsOnlyWhatRanks() {
        const QUuid a = QUuid::createUuid();
        const SearchRankingPreferences first({{a, ".pdf", 40}, rule(".url", 9)});
        // Neither identifiers nor the order of the rules change the ranking.
        QCOMPARE(SearchRankingPreferences({rule(".url", 9), rule(".pdf", 40)}).cacheKey(),
                 first.cacheKey());
        QVERIFY(SearchRankingPreferences({{a, ".pdf", 41}, rule(".url", 9)}).cacheKey() !=
                first.cacheKey());
        QVERIFY(SearchRankingPreferences({{a, ".txt", 40}, rule(".url", 9)}).cacheKey() !=
                first.cacheKey());
    }

    void extensionBoost_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("expected");
        const int file = int(SearchResultKind::file);
        QTest::addRow("longest matching suffix wins") << file << "Budget.gsheet.url" << qint64(-50);
        QTest::addRow("case of the name is ignored") << file << "REPORT.URL" << qint64(320);
        QTest::addRow("suffix must end the name") << file << "notes.txt.bak" << qint64(0);
        QTest::addRow("folders are boosted too")
            << int(SearchResultKind::folder) << "Old.app" << qint64(120);
        QTest::addRow("actions never")
            << int(SearchResultKind::action) << "Manual.pdf" << qint64(0);
    }

    void extensionBoost() {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(qint64, expected);
        InMemoryPreferenceStore preferences;
        const SearchRankingSettingsStore store(preferences);
        store.save(store.defaultExtensionBoostRules() + QList{rule(".gsheet.url", -50)});
        QCOMPARE(store.load().extensionBoost(test::pathResult(SearchResultKind(kind), "/d", name)),
                 expected);
    }
};

QTEST_GUILESS_MAIN(SearchRankingSettingsTest)
#include "tst_searchrankingsettings.moc"
