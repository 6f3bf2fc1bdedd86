// Suffix boost rules: normalisation, validation, storage, and the lists and
// cache key the preferences derive from them.
#include "launcher/engine/ranking/SearchRankingSettingsStore.h"
#include "launcher/settings/PreferenceStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace trovi;

namespace {

ExtensionBoostRule rule(const QString& suffix, std::int64_t boost) {
    return {QUuid::createUuid(), suffix, boost};
}

QStringList suffixesOf(const QList<ExtensionBoostRule>& rules) {
    QStringList list;
    for (const auto& r : rules)
        list.append(r.suffix);
    return list;
}

QList<std::int64_t> boostsOf(const QList<ExtensionBoostRule>& rules) {
    QList<std::int64_t> list;
    for (const auto& r : rules)
        list.append(r.boost);
    return list;
}

const QStringList kDefaultSuffixes = {".gsheet", ".gdoc", ".url", ".webloc",
                                      ".app",    ".pdf",  ".txt"};

} // namespace

class SearchRankingSettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void normalizedSuffix() {
        const auto normalized = [](const QString& input) {
            return SearchRankingSettingsStore::normalizedSuffix(input).value_or("none");
        };
        QCOMPARE(normalized("*.PDF "), ".pdf");
        QCOMPARE(normalized(" p d f"), ".pdf");
        QCOMPARE(normalized("**.tar.gz"), ".tar.gz");
        QCOMPARE(normalized("*.*"), ".*"); // only the leading asterisks go
        QCOMPARE(normalized(" *. "), "none");
        QCOMPARE(normalized("   "), "none");
    }

    void normalisationDropsBlanksClampsAndLastWriterWins() {
        InMemoryPreferenceStore preferences;
        const SearchRankingSettingsStore store(preferences);
        const QList<ExtensionBoostRule> input = {
            rule(".PDF ", 10), rule("*", 99),     rule("txt", 900),
            rule("pdf", 25),   rule("md", -1000), rule("  ", 5),
        };
        const auto normalized = store.normalizedExtensionBoostRules(input);
        QCOMPARE(suffixesOf(normalized), (QStringList{".pdf", ".txt", ".md"}));
        QCOMPARE(boostsOf(normalized), (QList<std::int64_t>{25, 500, -200}));
        // The later ".pdf" rule took the earlier one's place, identity included.
        QCOMPARE(normalized[0].id, input[3].id);
        QCOMPARE(normalized[1].id, input[2].id);
    }

    void validationMessage_data() {
        QTest::addColumn<QStringList>("suffixes");
        QTest::addColumn<QString>("expected"); // null: may be saved
        const QString empty = "Complete or delete empty suffix rules before saving.";
        const QString twice = "Each suffix can only appear once.";
        QTest::addRow("fine") << QStringList{".pdf", "txt"} << QString();
        QTest::addRow("asterisk only") << QStringList{"*"} << empty;
        QTest::addRow("same suffix written two ways") << QStringList{"*.PDF", "pdf"} << twice;
    }

    void validationMessage() {
        QFETCH(QStringList, suffixes);
        QFETCH(QString, expected);
        QList<ExtensionBoostRule> rules;
        for (const QString& suffix : suffixes)
            rules.append(rule(suffix, 1));
        const auto message = SearchRankingSettingsStore::validationMessage(rules);
        QCOMPARE(message.value_or(QString()), expected);
    }

    void loadsDefaultsWhenNothingUsableIsStored_data() {
        QTest::addColumn<QCborValue>("stored"); // undefined: nothing stored
        QTest::addRow("nothing stored") << QCborValue(QCborSimpleType::Undefined);
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
        const auto loaded = store.load();
        QCOMPARE(suffixesOf(loaded.extensionBoostRules()), kDefaultSuffixes);
        QCOMPARE(boostsOf(loaded.extensionBoostRules()),
                 (QList<std::int64_t>{140, 120, 320, 320, 120, 40, 10}));
        // Loading never repairs the store behind the user's back.
        QCOMPARE(preferences.value("launcherExtensionBoostRules").value_or(QCborValue()),
                 stored.isUndefined() ? QCborValue() : stored);
    }

    void emptyStoredListStaysEmpty() {
        InMemoryPreferenceStore preferences;
        const SearchRankingSettingsStore store(preferences);
        store.save({});
        QVERIFY(store.load().extensionBoostRules().isEmpty());
        // The built-in web-link suffixes are still stripped for matching.
        QVERIFY(store.load().sortedSuffixesForBasenameStripping().contains(".gsheet.url"));
    }

    void saveStoresNormalisedJsonThatLoadsBack() {
        InMemoryPreferenceStore preferences;
        const SearchRankingSettingsStore store(preferences);
        const QList<ExtensionBoostRule> rules = {rule("*.Key", 900), rule(".pdf", 5), rule("", 3),
                                                 rule("PDF", -7)};
        store.save(rules);

        const QJsonArray array =
            QJsonDocument::fromJson(*preferences.bytesValue("launcherExtensionBoostRules")).array();
        QCOMPARE(array.size(), 2);
        QCOMPARE(QUuid::fromString(array[0]["id"].toString()), rules[0].id);
        QCOMPARE(array[0]["suffix"].toString(), ".key");
        QCOMPARE(array[0]["boost"].toInteger(), 500);
        QCOMPARE(store.load().extensionBoostRules(), store.normalizedExtensionBoostRules(rules));
    }

    void cacheKey() {
        const QUuid a = QUuid::createUuid();
        const SearchRankingPreferences prefs({{a, ".pdf", 40}, rule(".gsheet.url", -20)});
        // Sorted compact JSON in base64, so it is stable across runs and orderings.
        QCOMPARE(
            QByteArray::fromBase64(prefs.cacheKey().toLatin1()),
            QByteArray(R"([{"boost":-20,"suffix":".gsheet.url"},{"boost":40,"suffix":".pdf"}])"));
        // Identifiers are not part of the ranking, so they do not change the key.
        const SearchRankingPreferences first({{a, ".pdf", 40}});
        QCOMPARE(SearchRankingPreferences({rule(".pdf", 40)}).cacheKey(), first.cacheKey());
        QVERIFY(SearchRankingPreferences({{a, ".pdf", 41}}).cacheKey() != first.cacheKey());
        QVERIFY(SearchRankingPreferences({{a, ".txt", 40}}).cacheKey() != first.cacheKey());
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
        SearchResult result;
        result.kind = SearchResultKind(kind);
        result.filename = name;
        QCOMPARE(store.load().extensionBoost(result), expected);
    }
};

QTEST_GUILESS_MAIN(SearchRankingSettingsTest)
#include "tst_searchrankingsettings.moc"
