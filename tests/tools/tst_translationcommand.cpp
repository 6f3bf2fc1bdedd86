#include "launcher/tools/TranslationCommand.h"
#include "launcher/tools/TranslationSettingsStores.h"

#include <QTest>

using namespace trovi;

namespace {

using Codes = QSet<QString>;
const Codes kDefaultCodes{QStringLiteral("en"), QStringLiteral("de")};

// Stands in for the platform recogniser: "english" for texts made of a few
// known English words, nothing otherwise.
std::optional<QString> fakeRecognizer(const QString& text) {
    static const QStringList english{QStringLiteral("hello"), QStringLiteral("world"),
                                     QStringLiteral("house")};
    static const QStringList french{QStringLiteral("bonjour"), QStringLiteral("maison")};
    const QString first = text.section(u' ', 0, 0).toLower();
    if (english.contains(first))
        return QStringLiteral("EN"); // identifiers are compared lower-cased
    if (french.contains(first))
        return QStringLiteral("fr");
    return std::nullopt;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<TranslationCommand>)

class TestTranslationCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void pairTokens_data();
    void pairTokens();
    void sourceInference_data();
    void sourceInference();
    void targetInference_data();
    void targetInference();
    void normalizeTrigger_data();
    void normalizeTrigger();
    void languageCodeNormalization();

    void triggerStore();
    void languageStoreLoad_data();
    void languageStoreLoad();
    void languageStoreSave_data();
    void languageStoreSave();
    void engineStoreLoad_data();
    void engineStoreLoad();
    void engineStoreSave();
    void engineIdentity();
};

void TestTranslationCommand::parse_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<Codes>("codes");
    QTest::addColumn<std::optional<TranslationCommand>>("expected");

    const auto command = [](QString text, QString source, QString target, bool explicitPair,
                            QString trigger = QStringLiteral("cc")) {
        return std::optional(TranslationCommand{trigger, text, source, target, explicitPair});
    };
    const std::optional<TranslationCommand> none;
    const Codes enFr{QStringLiteral("en"), QStringLiteral("fr")};

    QTest::addRow("inferred English to German")
        << "cc hello world"
        << "cc" << kDefaultCodes << command("hello world", "en", "de", false);
    QTest::addRow("explicit pair") << "cc en:de hello"
                                   << "cc" << kDefaultCodes << command("hello", "en", "de", true);
    QTest::addRow("trigger and codes are case-insensitive")
        << "CC EN:DE hello"
        << "cc" << kDefaultCodes << command("hello", "en", "de", true);
    QTest::addRow("explicit reverse pair")
        << "cc de:en Haus"
        << "cc" << kDefaultCodes << command("Haus", "de", "en", true);
    QTest::addRow("runs of white space between parts")
        << "  cc \t en:de   good   morning  "
        << "cc" << kDefaultCodes << command("good   morning", "en", "de", true);
    QTest::addRow("unconfigured language in pair") << "cc en:fr hello"
                                                   << "cc" << kDefaultCodes << none;
    QTest::addRow("same language twice") << "cc en:en hello"
                                         << "cc" << kDefaultCodes << none;
    QTest::addRow("pair without text") << "cc en:de"
                                       << "cc" << kDefaultCodes << none;
    QTest::addRow("pair with only spaces after it") << "cc en:de    "
                                                    << "cc" << kDefaultCodes << none;
    QTest::addRow("empty second code is text, not a pair")
        << "cc en: hello"
        << "cc" << kDefaultCodes << command("en: hello", "en", "de", false);
    QTest::addRow("three pieces are text")
        << "cc en:de:fr hello"
        << "cc" << kDefaultCodes << command("en:de:fr hello", "en", "de", false);
    QTest::addRow("trigger alone") << "cc"
                                   << "cc" << kDefaultCodes << none;
    QTest::addRow("trigger and spaces") << "cc    "
                                        << "cc" << kDefaultCodes << none;
    QTest::addRow("trigger glued to text") << "cchello"
                                           << "cc" << kDefaultCodes << none;
    QTest::addRow("other first word") << "hello world"
                                      << "cc" << kDefaultCodes << none;
    QTest::addRow("empty query") << ""
                                 << "cc" << kDefaultCodes << none;
    QTest::addRow("one configured language") << "cc hello"
                                             << "cc" << Codes{QStringLiteral("en")} << none;
    QTest::addRow("codes that normalise to one") << "cc hello"
                                                 << "cc" << Codes{"EN", " en ", "1"} << none;
    QTest::addRow("custom trigger, normalised")
        << "tr hello"
        << " Tr! " << kDefaultCodes << command("hello", "en", "de", false, "tr");
    QTest::addRow("unusable trigger falls back to cc")
        << "cc hello"
        << "!!!" << kDefaultCodes << command("hello", "en", "de", false);
    QTest::addRow("default trigger is not active under a custom one")
        << "cc hello"
        << "tr" << kDefaultCodes << none;
    QTest::addRow("configured codes are normalised")
        << "cc en:fr hello"
        << "cc" << Codes{" EN", "Fr "} << command("hello", "en", "fr", true);
    QTest::addRow("recogniser picks a configured language")
        << "cc bonjour"
        << "cc" << enFr << command("bonjour", "fr", "en", false);
    QTest::addRow("sharp s means German")
        << "cc Straße"
        << "cc" << kDefaultCodes << command("Straße", "de", "en", false);
}

void TestTranslationCommand::parse() {
    QFETCH(QString, query);
    QFETCH(QString, trigger);
    QFETCH(Codes, codes);
    QFETCH(std::optional<TranslationCommand>, expected);

    const auto actual = TranslationCommandParser::parse(query, trigger, codes, fakeRecognizer);
    QCOMPARE(actual.has_value(), expected.has_value());
    if (expected) {
        QCOMPARE(actual->trigger, expected->trigger);
        QCOMPARE(actual->sourceText, expected->sourceText);
        QCOMPARE(actual->sourceLanguageCode, expected->sourceLanguageCode);
        QCOMPARE(actual->targetLanguageCode, expected->targetLanguageCode);
        QCOMPARE(actual->usesExplicitLanguagePair, expected->usesExplicitLanguagePair);
    }
}

void TestTranslationCommand::pairTokens_data() {
    QTest::addColumn<QString>("token");
    QTest::addColumn<bool>("looksLikePair");
    QTest::addColumn<QString>("parsedPair"); // "source>target", or empty when not configured

    QTest::addRow("configured pair") << "en:de" << true << "en>de";
    QTest::addRow("upper case") << "EN:DE" << true << "en>de";
    QTest::addRow("region subtags survive") << "pt-BR:en" << true << "pt-br>en";
    QTest::addRow("unconfigured code") << "en:fr" << true << "";
    QTest::addRow("same code twice") << "de:de" << true << "";
    QTest::addRow("empty second piece") << "en:" << false << "";
    QTest::addRow("empty first piece") << ":de" << false << "";
    QTest::addRow("digits only normalise to nothing") << "12:de" << false << "";
    QTest::addRow("three pieces") << "en:de:fr" << false << "";
    QTest::addRow("no colon") << "ende" << false << "";
}

void TestTranslationCommand::pairTokens() {
    QFETCH(QString, token);
    QFETCH(bool, looksLikePair);
    QFETCH(QString, parsedPair);

    const Codes codes{QStringLiteral("en"), QStringLiteral("de"), QStringLiteral("pt-br")};
    QCOMPARE(TranslationCommandParser::isLanguagePairToken(token), looksLikePair);
    const auto pair = TranslationCommandParser::parseLanguagePairToken(token, codes);
    QCOMPARE(pair ? pair->sourceLanguageCode + u'>' + pair->targetLanguageCode : QString(),
             parsedPair);
}

void TestTranslationCommand::sourceInference_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Codes>("codes");
    QTest::addColumn<bool>("withRecognizer");
    QTest::addColumn<QString>("expected");

    QTest::addRow("recognised and configured") << "bonjour" << Codes{"fr", "en"} << true << "fr";
    QTest::addRow("recognised but not configured falls through")
        << "bonjour" << kDefaultCodes << true << "en";
    QTest::addRow("umlaut without recogniser") << "Käse" << kDefaultCodes << false << "de";
    QTest::addRow("umlaut, German not configured") << "Käse" << Codes{"en", "fr"} << false << "en";
    QTest::addRow("upper-case umlaut is not a hint") << "KÄSE" << kDefaultCodes << false << "en";
    QTest::addRow("recogniser wins over umlauts")
        << "hello Müller" << kDefaultCodes << true << "en";
    QTest::addRow("English when configured") << "xyz" << kDefaultCodes << false << "en";
    QTest::addRow("alphabetically first otherwise") << "xyz" << Codes{"fr", "es"} << false << "es";
    QTest::addRow("nothing configured") << "xyz" << Codes{} << false << "en";
}

void TestTranslationCommand::sourceInference() {
    QFETCH(QString, text);
    QFETCH(Codes, codes);
    QFETCH(bool, withRecognizer);
    QFETCH(QString, expected);
    const LanguageRecognizer recognizer =
        withRecognizer ? LanguageRecognizer(fakeRecognizer) : LanguageRecognizer();
    QCOMPARE(TranslationCommandParser::inferredSourceLanguageCode(text, codes, recognizer),
             expected);
}

void TestTranslationCommand::targetInference_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<Codes>("codes");
    QTest::addColumn<QString>("expected");

    QTest::addRow("English goes to German") << "en" << Codes{"en", "de", "fr"} << "de";
    QTest::addRow("German goes to English") << "de" << Codes{"en", "de", "fr"} << "en";
    QTest::addRow("anything else goes to English") << "fr" << Codes{"en", "de", "fr"} << "en";
    QTest::addRow("English without German") << "en" << Codes{"en", "fr", "es"} << "es";
    QTest::addRow("neither en nor de") << "fr" << Codes{"fr", "it", "es"} << "es";
    QTest::addRow("only the source itself") << "fr" << Codes{"fr"} << "fr";
}

void TestTranslationCommand::targetInference() {
    QFETCH(QString, source);
    QFETCH(Codes, codes);
    QFETCH(QString, expected);
    QCOMPARE(TranslationCommandParser::inferredTargetLanguageCode(source, codes), expected);
}

void TestTranslationCommand::normalizeTrigger_data() {
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("expected");

    QTest::addRow("trimmed, lower-cased, punctuation dropped") << "  Tr! \n"
                                                               << "tr";
    QTest::addRow("only punctuation falls back") << "!?."
                                                 << "cc";
    QTest::addRow("empty falls back") << ""
                                      << "cc";
    QTest::addRow("cut to 12 characters") << "abcdefghijklmnopqrst"
                                          << "abcdefghijkl";
    QTest::addRow("dash, underscore and digits kept") << "t-r_2"
                                                      << "t-r_2";
    QTest::addRow("inner space dropped") << "t r"
                                         << "tr";
    QTest::addRow("non-ASCII letters kept") << "Übersetze"
                                            << "übersetze";
    QTest::addRow("counted in characters, not code units")
        << QString::fromUtf8("\U0001D552\U0001D552\U0001D552\U0001D552\U0001D552\U0001D552"
                             "\U0001D552\U0001D552\U0001D552\U0001D552\U0001D552\U0001D552x")
        << QString::fromUtf8("\U0001D552\U0001D552\U0001D552\U0001D552\U0001D552\U0001D552"
                             "\U0001D552\U0001D552\U0001D552\U0001D552\U0001D552\U0001D552");
}

void TestTranslationCommand::normalizeTrigger() {
    QFETCH(QString, raw);
    QFETCH(QString, expected);
    QCOMPARE(TranslationCommandParser::normalizeTrigger(raw, QStringLiteral("cc")), expected);
}

void TestTranslationCommand::languageCodeNormalization() {
    QCOMPARE(TranslationCommandParser::normalizedLanguageCode(" zh-Hant "),
             QStringLiteral("zh-hant"));
    QCOMPARE(TranslationCommandParser::normalizedLanguageCode("pt_BR"), QStringLiteral("ptbr"));
    QCOMPARE(TranslationCommandParser::normalizedLanguageCode("42"), QString());
    QCOMPARE(TranslationCommandParser::normalizedSupportedLanguageCodes({"EN", "en", "!", "De"}),
             (Codes{"en", "de"}));
}

void TestTranslationCommand::triggerStore() {
    InMemoryPreferenceStore preferences;
    const TranslationCommandSettingsStore store(preferences);
    QCOMPARE(store.loadTrigger(), QStringLiteral("cc"));

    preferences.setString(TranslationCommandSettingsStore::translationTriggerKey, " Tr! ");
    QCOMPARE(store.loadTrigger(), QStringLiteral("tr"));
    preferences.setString(TranslationCommandSettingsStore::translationTriggerKey, "%%%");
    QCOMPARE(store.loadTrigger(), QStringLiteral("cc"));
    preferences.setInteger(TranslationCommandSettingsStore::translationTriggerKey, 7);
    QCOMPARE(store.loadTrigger(), QStringLiteral("cc"));

    QCOMPARE(store.saveTrigger("  ÜB-2 "), QStringLiteral("üb-2"));
    QCOMPARE(preferences.stringValue(TranslationCommandSettingsStore::translationTriggerKey),
             QStringLiteral("üb-2"));
    QCOMPARE(store.loadTrigger(), QStringLiteral("üb-2"));
}

void TestTranslationCommand::languageStoreLoad_data() {
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<QStringList>("expected");

    using Stored = std::optional<QString>;
    QTest::addRow("nothing stored") << Stored() << QStringList{"en", "de"};
    QTest::addRow("single code gets English") << Stored("fr") << QStringList{"fr", "en"};
    QTest::addRow("single English gets German") << Stored("en") << QStringList{"en", "de"};
    QTest::addRow("single German gets English") << Stored("de") << QStringList{"de", "en"};
    QTest::addRow("ten codes keep the first eight")
        << Stored("a,b,c,d,e,f,g,h,i,j") << QStringList{"a", "b", "c", "d", "e", "f", "g", "h"};
    QTest::addRow("repeats do not count towards eight")
        << Stored("a,A,b,c,d,e,f,g,h,i") << QStringList{"a", "b", "c", "d", "e", "f", "g", "h"};
    QTest::addRow("messy input normalised") << Stored(" FR , ,es,fr,1") << QStringList{"fr", "es"};
    QTest::addRow("nothing usable falls back") << Stored(", 12 ,!") << QStringList{"en", "de"};
}

void TestTranslationCommand::languageStoreLoad() {
    QFETCH(std::optional<QString>, stored);
    QFETCH(QStringList, expected);
    InMemoryPreferenceStore preferences;
    if (stored)
        preferences.setString(TranslationLanguageSettingsStore::languageCodesKey, *stored);
    QCOMPARE(TranslationLanguageSettingsStore(preferences).load(), expected);
}

void TestTranslationCommand::languageStoreSave_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");

    QTest::addRow("normalised, no spaces") << " EN, de ,Fr "
                                           << "en,de,fr";
    QTest::addRow("one code completed") << "es"
                                        << "es,en";
    QTest::addRow("nothing valid stores defaults") << " , ;"
                                                   << "en,de";
    QTest::addRow("cut to eight") << "a,b,c,d,e,f,g,h,i,j"
                                  << "a,b,c,d,e,f,g,h";
}

void TestTranslationCommand::languageStoreSave() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    InMemoryPreferenceStore preferences;
    const TranslationLanguageSettingsStore store(preferences);
    store.save(typed);
    QCOMPARE(preferences.stringValue(TranslationLanguageSettingsStore::languageCodesKey), stored);
    QCOMPARE(store.load().join(u','), stored);
}

void TestTranslationCommand::engineStoreLoad_data() {
    using ID = TranslationEngineID;
    using Stored = std::optional<QString>;
    QTest::addColumn<Stored>("storedOrder");
    QTest::addColumn<Stored>("storedEnabled");
    QTest::addColumn<QList<ID>>("order");
    QTest::addColumn<QList<ID>>("prioritizedEnabled");

    QTest::addRow("defaults") << Stored() << Stored() << QList{ID::apple, ID::argos}
                              << QList{ID::apple, ID::argos};
    QTest::addRow("missing engine appended")
        << Stored("argos") << Stored() << QList{ID::argos, ID::apple}
        << QList{ID::argos, ID::apple};
    QTest::addRow("unknown names and repeats dropped")
        << Stored(" ARGOS ,foo,,argos,apple") << Stored("argos") << QList{ID::argos, ID::apple}
        << QList{ID::argos};
    QTest::addRow("no known enabled engine means all")
        << Stored("argos,apple") << Stored("deepl,google") << QList{ID::argos, ID::apple}
        << QList{ID::argos, ID::apple};
    QTest::addRow("empty enabled value means all")
        << Stored() << Stored("") << QList{ID::apple, ID::argos} << QList{ID::apple, ID::argos};
}

void TestTranslationCommand::engineStoreLoad() {
    using ID = TranslationEngineID;
    QFETCH(std::optional<QString>, storedOrder);
    QFETCH(std::optional<QString>, storedEnabled);
    QFETCH(QList<ID>, order);
    QFETCH(QList<ID>, prioritizedEnabled);

    InMemoryPreferenceStore preferences;
    if (storedOrder)
        preferences.setString(TranslationEngineSettingsStore::orderKey, *storedOrder);
    if (storedEnabled)
        preferences.setString(TranslationEngineSettingsStore::enabledKey, *storedEnabled);
    const TranslationEnginePreferences loaded = TranslationEngineSettingsStore(preferences).load();
    QCOMPARE(loaded.order, order);
    QCOMPARE(loaded.prioritizedEnabledEngineIDs(), prioritizedEnabled);
    QVERIFY(!loaded.enabledEngineIDs.isEmpty());
}

void TestTranslationCommand::engineStoreSave() {
    using ID = TranslationEngineID;
    InMemoryPreferenceStore preferences;
    const TranslationEngineSettingsStore store(preferences);

    store.save({ID::argos, ID::apple}, {ID::apple});
    QCOMPARE(preferences.stringValue(TranslationEngineSettingsStore::orderKey),
             QStringLiteral("argos,apple"));
    QCOMPARE(preferences.stringValue(TranslationEngineSettingsStore::enabledKey),
             QStringLiteral("apple"));
    QCOMPARE(store.load(), (TranslationEnginePreferences{{ID::argos, ID::apple}, {ID::apple}}));

    // The enabled list follows the priority order, and "none" is never stored.
    store.save({ID::argos}, {});
    QCOMPARE(preferences.stringValue(TranslationEngineSettingsStore::orderKey),
             QStringLiteral("argos,apple"));
    QCOMPARE(preferences.stringValue(TranslationEngineSettingsStore::enabledKey),
             QStringLiteral("argos,apple"));
}

void TestTranslationCommand::engineIdentity() {
    for (TranslationEngineID id : allTranslationEngineIDs)
        QCOMPARE(translationEngineIDFromRawValue(rawValue(id)), id);
    QCOMPARE(translationEngineIDFromRawValue("Apple"), std::nullopt);
    QCOMPARE(displayName(TranslationEngineID::apple), QStringLiteral("Apple Translation"));
    QCOMPARE(displayName(TranslationEngineID::argos), QStringLiteral("Argos (local)"));
}

QTEST_GUILESS_MAIN(TestTranslationCommand)
#include "tst_translationcommand.moc"
