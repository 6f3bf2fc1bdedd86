// Suffix boost rules: normalisation, validation, storage, and the lists and
// cache key the preferences derive from them.
#include "launcher/engine/SearchRankingSettingsStore.h"
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

SearchResult resultNamed(SearchResultKind kind, const QString& name) {
    SearchResult r;
    r.kind = kind;
    r.filename = name;
    r.directory = QStringLiteral("/home/ana");
    return r;
}

const QStringList kDefaultSuffixes = {".gsheet", ".gdoc", ".url", ".webloc",
                                      ".app",    ".pdf",  ".txt"};

} // namespace

class SearchRankingSettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void normalizedSuffix_data();
    void normalizedSuffix();
    void normalisationDropsBlanksClampsAndLastWriterWins();
    void validationMessage_data();
    void validationMessage();
    void loadsDefaultsWhenNothingUsableIsStored_data();
    void loadsDefaultsWhenNothingUsableIsStored();
    void defaultsHaveFreshDistinctIdentifiers();
    void emptyStoredListStaysEmpty();
    void saveStoresNormalisedJsonThatLoadsBack();
    void longestMatchFirstOrder();
    void basenameSuffixesIncludeBuiltInsLongestFirst();
    void cacheKeyIsBase64OfSortedCompactJson();
    void cacheKeyChangesWithRules();
    void extensionBoost_data();
    void extensionBoost();
};

void SearchRankingSettingsTest::normalizedSuffix_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected"); // null: no suffix
    QTest::addRow("asterisk, capitals, trailing space") << "*.PDF "
                                                        << ".pdf";
    QTest::addRow("bare extension gets a dot") << "pdf"
                                               << ".pdf";
    QTest::addRow("spaces inside are removed") << " p d f"
                                               << ".pdf";
    QTest::addRow("several asterisks") << "**.tar.gz"
                                       << ".tar.gz";
    QTest::addRow("tabs and line breaks trimmed") << "\t.Md\n"
                                                  << ".md";
    QTest::addRow("dots are kept") << "..."
                                   << "...";
    QTest::addRow("only the leading asterisks go") << "*.*"
                                                   << ".*";
    QTest::addRow("asterisk alone") << "*" << QString();
    QTest::addRow("dot alone") << "." << QString();
    QTest::addRow("asterisk and dot") << " *. " << QString();
    QTest::addRow("blank") << "   " << QString();
    QTest::addRow("empty") << "" << QString();
}

void SearchRankingSettingsTest::normalizedSuffix() {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    const auto suffix = SearchRankingSettingsStore::normalizedSuffix(input);
    QCOMPARE(suffix.has_value(), !expected.isNull());
    if (suffix)
        QCOMPARE(*suffix, expected);
}

void SearchRankingSettingsTest::normalisationDropsBlanksClampsAndLastWriterWins() {
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

void SearchRankingSettingsTest::validationMessage_data() {
    QTest::addColumn<QStringList>("suffixes");
    QTest::addColumn<QString>("expected"); // null: may be saved
    const QString empty = "Complete or delete empty suffix rules before saving.";
    const QString twice = "Each suffix can only appear once.";
    QTest::addRow("fine") << QStringList{".pdf", "txt"} << QString();
    QTest::addRow("no rules") << QStringList{} << QString();
    QTest::addRow("blank suffix") << QStringList{".pdf", " "} << empty;
    QTest::addRow("asterisk only") << QStringList{"*"} << empty;
    QTest::addRow("same suffix written two ways") << QStringList{".pdf", "pdf"} << twice;
    QTest::addRow("same suffix in other case") << QStringList{"*.PDF", ".pdf"} << twice;
    QTest::addRow("blank wins over duplicate") << QStringList{".pdf", "pdf", ""} << empty;
}

void SearchRankingSettingsTest::validationMessage() {
    QFETCH(QStringList, suffixes);
    QFETCH(QString, expected);
    QList<ExtensionBoostRule> rules;
    for (const QString& suffix : suffixes)
        rules.append(rule(suffix, 1));
    const auto message = SearchRankingSettingsStore::validationMessage(rules);
    QCOMPARE(message.value_or(QString()), expected);
}

void SearchRankingSettingsTest::loadsDefaultsWhenNothingUsableIsStored_data() {
    QTest::addColumn<QCborValue>("stored"); // undefined: nothing stored
    QTest::addRow("nothing stored") << QCborValue(QCborSimpleType::Undefined);
    QTest::addRow("not JSON") << QCborValue(QByteArray("{oops"));
    QTest::addRow("JSON object, not array") << QCborValue(QByteArray(R"({"suffix":".pdf"})"));
    QTest::addRow("missing boost") << QCborValue(
        QByteArray(R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","suffix":".pdf"}])"));
    QTest::addRow("fractional boost") << QCborValue(QByteArray(
        R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","suffix":".pdf","boost":1.5}])"));
    QTest::addRow("bad identifier")
        << QCborValue(QByteArray(R"([{"id":"not-a-uuid","suffix":".pdf","boost":1}])"));
    QTest::addRow("suffix of wrong type") << QCborValue(
        QByteArray(R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","suffix":3,"boost":1}])"));
    QTest::addRow("stored as text instead of bytes") << QCborValue(QStringLiteral("[]"));
}

void SearchRankingSettingsTest::loadsDefaultsWhenNothingUsableIsStored() {
    QFETCH(QCborValue, stored);
    InMemoryPreferenceStore preferences;
    if (!stored.isUndefined())
        preferences.setValue("launcherExtensionBoostRules", stored);
    const SearchRankingSettingsStore store(preferences);
    const auto loaded = store.load();
    QCOMPARE(suffixesOf(loaded.extensionBoostRules()), kDefaultSuffixes);
    QCOMPARE(boostsOf(loaded.extensionBoostRules()),
             (QList<std::int64_t>{140, 120, 320, 320, 120, 40, 10}));
    QCOMPARE(loaded.extensionBoostRules(), store.defaultExtensionBoostRules());
    // Loading never repairs the store behind the user's back.
    QCOMPARE(preferences.value("launcherExtensionBoostRules").value_or(QCborValue()),
             stored.isUndefined() ? QCborValue() : stored);
}

void SearchRankingSettingsTest::defaultsHaveFreshDistinctIdentifiers() {
    InMemoryPreferenceStore preferences;
    const SearchRankingSettingsStore first(preferences);
    const SearchRankingSettingsStore second(preferences);
    QSet<QUuid> ids;
    for (const auto& r : first.defaultExtensionBoostRules() + second.defaultExtensionBoostRules())
        ids.insert(r.id);
    QCOMPARE(ids.size(), 14);
    QCOMPARE(first.extensionBoostRulesKey(), "launcherExtensionBoostRules");
    QCOMPARE(first.minimumBoost(), -200);
    QCOMPARE(first.maximumBoost(), 500);
}

void SearchRankingSettingsTest::emptyStoredListStaysEmpty() {
    InMemoryPreferenceStore preferences;
    const SearchRankingSettingsStore store(preferences);
    store.save({});
    QVERIFY(store.load().extensionBoostRules().isEmpty());
    // The built-in web-link suffixes are still stripped for matching.
    QVERIFY(store.load().sortedSuffixesForBasenameStripping().contains(".gsheet.url"));
}

void SearchRankingSettingsTest::saveStoresNormalisedJsonThatLoadsBack() {
    InMemoryPreferenceStore preferences;
    const SearchRankingSettingsStore store(preferences);
    const QList<ExtensionBoostRule> rules = {rule("*.Key", 900), rule(".pdf", 5), rule("", 3),
                                             rule("PDF", -7)};
    store.save(rules);

    const auto bytes = preferences.bytesValue("launcherExtensionBoostRules");
    QVERIFY(bytes);
    const QJsonArray array = QJsonDocument::fromJson(*bytes).array();
    QCOMPARE(array.size(), 2);
    const QJsonObject first = array[0].toObject();
    QCOMPARE(QUuid::fromString(first["id"].toString()), rules[0].id);
    QCOMPARE(first["suffix"].toString(), ".key");
    QCOMPARE(first["boost"].toInteger(), 500);

    const auto loaded = store.load().extensionBoostRules();
    QCOMPARE(loaded, store.normalizedExtensionBoostRules(rules));
    QCOMPARE(loaded[1].id, rules[3].id);
    QCOMPARE(loaded[1].boost, -7);
}

void SearchRankingSettingsTest::longestMatchFirstOrder() {
    const SearchRankingPreferences prefs(
        {rule(".b", 1), rule(".url", 2), rule(".gsheet.url", 3), rule(".A", 4), rule(".pdf", 5)});
    QCOMPARE(suffixesOf(prefs.longestMatchFirstBoostRules()),
             (QStringList{".gsheet.url", ".pdf", ".url", ".A", ".b"}));
    // Stored order is untouched.
    QCOMPARE(suffixesOf(prefs.extensionBoostRules()),
             (QStringList{".b", ".url", ".gsheet.url", ".A", ".pdf"}));
}

void SearchRankingSettingsTest::basenameSuffixesIncludeBuiltInsLongestFirst() {
    const SearchRankingPreferences prefs({rule(".pdf", 1), rule(".url", 2), rule(".tar.gz", 3)});
    QCOMPARE(prefs.sortedSuffixesForBasenameStripping(),
             (QStringList{".gslides.url", ".gsheet.url", ".gdoc.url", ".gslides", ".gsheet",
                          ".tar.gz", ".webloc", ".gdoc", ".pdf", ".url"}));
}

void SearchRankingSettingsTest::cacheKeyIsBase64OfSortedCompactJson() {
    const SearchRankingPreferences prefs({rule(".pdf", 40), rule(".gsheet.url", -20)});
    const QByteArray json = QByteArray::fromBase64(prefs.cacheKey().toLatin1());
    QCOMPARE(json,
             QByteArray(R"([{"boost":-20,"suffix":".gsheet.url"},{"boost":40,"suffix":".pdf"}])"));
    QCOMPARE(SearchRankingPreferences({}).cacheKey(), QByteArray("[]").toBase64());
}

void SearchRankingSettingsTest::cacheKeyChangesWithRules() {
    const QUuid a = QUuid::createUuid();
    const QUuid b = QUuid::createUuid();
    const SearchRankingPreferences first({{a, ".pdf", 40}});
    // Identifiers are not part of the ranking, so they do not change the key.
    QCOMPARE(SearchRankingPreferences({{b, ".pdf", 40}}).cacheKey(), first.cacheKey());
    QVERIFY(SearchRankingPreferences({{a, ".pdf", 41}}).cacheKey() != first.cacheKey());
    QVERIFY(SearchRankingPreferences({{a, ".txt", 40}}).cacheKey() != first.cacheKey());
    QVERIFY(SearchRankingPreferences({{a, ".pdf", 40}}) == first);
    QVERIFY(!(SearchRankingPreferences({{b, ".pdf", 40}}) == first));
}

void SearchRankingSettingsTest::extensionBoost_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("expected");
    const int file = int(SearchResultKind::file);
    QTest::addRow("longest matching suffix wins") << file << "Budget.gsheet.url" << qint64(-50);
    QTest::addRow("shorter rule for other links") << file << "Site.url" << qint64(320);
    QTest::addRow("case of the name is ignored") << file << "REPORT.WEBLOC" << qint64(320);
    QTest::addRow("text file") << file << "notes.txt" << qint64(10);
    QTest::addRow("no rule") << file << "photo.jpeg" << qint64(0);
    QTest::addRow("suffix must end the name") << file << "notes.txt.bak" << qint64(0);
    QTest::addRow("folders are boosted too")
        << int(SearchResultKind::folder) << "Old.app" << qint64(120);
    QTest::addRow("actions never") << int(SearchResultKind::action) << "Manual.pdf" << qint64(0);
}

void SearchRankingSettingsTest::extensionBoost() {
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(qint64, expected);
    InMemoryPreferenceStore preferences;
    const SearchRankingSettingsStore store(preferences);
    store.save(store.defaultExtensionBoostRules() + QList{rule(".gsheet.url", -50)});
    const auto prefs = store.load();
    QCOMPARE(prefs.extensionBoost(resultNamed(SearchResultKind(kind), name)), expected);
}

QTEST_GUILESS_MAIN(SearchRankingSettingsTest)
#include "tst_searchrankingsettings.moc"
