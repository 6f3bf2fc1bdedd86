// Translation queries: when a query is a command, which languages it names or
// implies, and how the trigger, language and engine settings load and save.

#include "launcher/clients/TranslationCommand.h"
#include "launcher/clients/TranslationSettingsStores.h"

#include <QTest>

using namespace trovi;

namespace {

using Codes = QSet<QString>;
const Codes kDefaultCodes{"en", "de"};

// Stands in for the platform recogniser: a language for texts starting with a
// few known words, nothing otherwise.
std::optional<QString> fakeRecognizer(const QString& text) {
    const QString first = text.section(u' ', 0, 0).toLower();
    if (first == "hello" || first == "house")
        return "EN"; // identifiers are compared lower-cased
    if (first == "bonjour")
        return "fr";
    return std::nullopt;
}

} // namespace

class TestTranslationCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Expected commands are written "trigger|text|en>de", with ":" instead of
    // ">" for an explicit pair; empty when the query is not a command.
    void parse_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<Codes>("codes");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* query, const char* expected,
                            const Codes& codes = kDefaultCodes, const char* trigger = "cc") {
            QTest::newRow(name) << QString(query) << QString(trigger) << codes << QString(expected);
        };

        row("inferred English to German", "cc hello world", "cc|hello world|en>de");
        row("trigger and pair are case-insensitive", "CC EN:DE hello", "cc|hello|en:de");
        row("runs of white space", "  cc \t de:en   guten   Tag  ", "cc|guten   Tag|de:en");
        row("unconfigured language in pair", "cc en:fr hello", "");
        row("same language twice", "cc en:en hello", "");
        row("pair without text", "cc en:de    ", "");
        row("empty second code is text", "cc en: hello", "cc|en: hello|en>de");
        row("three codes are text", "cc en:de:fr hi", "cc|en:de:fr hi|en>de");
        row("regional code in a pair", "cc pt-BR:en olá", "cc|olá|pt-br:en", {"en", "pt-br"});
        row("trigger alone", "cc", "");
        row("trigger glued to text", "cchello", "");
        row("codes that normalise to one", "cc hello", "", {"EN", " en ", "1"});
        row("custom trigger, normalised", "tr hello", "tr|hello|en>de", kDefaultCodes, " Tr! ");
        row("default trigger inactive under a custom one", "cc hello", "", kDefaultCodes, "tr");
        // Inference: the recogniser if it names a configured language, German
        // for "ß" and lower-case umlauts, else English, else the first code.
        row("recognised and configured", "cc bonjour", "cc|bonjour|fr>en", {"en", "fr"});
        row("recognised but not configured", "cc bonjour", "cc|bonjour|en>de");
        row("sharp s means German", "cc Straße", "cc|Straße|de>en");
        row("upper-case umlaut is no hint", "cc KÄSE", "cc|KÄSE|en>de");
        row("English without German", "cc hello", "cc|hello|en>es", {"en", "fr", "es"});
        row("neither English nor German", "cc xyz", "cc|xyz|es>fr", {"fr", "it", "es"});
    }

    void parse() {
        QFETCH(QString, query);
        QFETCH(QString, trigger);
        QFETCH(Codes, codes);
        QFETCH(QString, expected);
        const auto command = TranslationCommandParser::parse(query, trigger, codes, fakeRecognizer);
        QString actual;
        if (command)
            actual =
                command->trigger + u'|' + command->sourceText + u'|' + command->sourceLanguageCode +
                (command->usesExplicitLanguagePair ? u':' : u'>') + command->targetLanguageCode;
        QCOMPARE(actual, expected);
    }

    void triggers() {
        InMemoryPreferenceStore preferences;
        const TranslationCommandSettingsStore store(preferences);
        const QString key = TranslationCommandSettingsStore::translationTriggerKey;
        QCOMPARE(store.loadTrigger(), "cc");

        preferences.setString(key, " Tr! ");
        QCOMPARE(store.loadTrigger(), "tr");
        preferences.setString(key, "%%%");
        QCOMPARE(store.loadTrigger(), "cc");
        preferences.setInteger(key, 7);
        QCOMPARE(store.loadTrigger(), "cc");

        QCOMPARE(store.saveTrigger("  ÜB-2 "), "üb-2");
        QCOMPARE(preferences.stringValue(key), "üb-2");

        // At most 12 characters, counted as characters rather than UTF-16 units.
        const QString wide = QString::fromUtf8("\U0001D552");
        QCOMPARE(TranslationCommandParser::normalizeTrigger("abcdefghijklmnopq", "cc"),
                 "abcdefghijkl");
        QCOMPARE(TranslationCommandParser::normalizeTrigger(wide.repeated(13), "cc"),
                 wide.repeated(12));
    }

    void languageStore() {
        // Stored, then loaded: a single code gets English or German, at most eight.
        const QList<std::pair<const char*, const char*>> storedAndLoaded = {
            {nullptr, "en,de"},
            {"fr", "fr,en"},
            {"en", "en,de"},
            {"a,b,c,d,e,f,g,h,i,j", "a,b,c,d,e,f,g,h"},
            {" FR , ,es,fr,1", "fr,es"},
            {", 12 ,!", "en,de"}};
        const QString key = TranslationLanguageSettingsStore::languageCodesKey;
        for (const auto& [stored, loaded] : storedAndLoaded) {
            InMemoryPreferenceStore preferences;
            if (stored)
                preferences.setString(key, stored);
            QCOMPARE(TranslationLanguageSettingsStore(preferences).load().join(u','),
                     QString(loaded));
        }
        // Saved, then written: normalised the same way.
        for (const auto& [saved, written] : storedAndLoaded) {
            InMemoryPreferenceStore preferences;
            TranslationLanguageSettingsStore(preferences).save(saved ? saved : " , ;");
            QCOMPARE(preferences.stringValue(key), QString(written));
        }
    }

    void engineStoreLoadsAndSaves() {
        using ID = TranslationEngineID;
        InMemoryPreferenceStore preferences;
        const TranslationEngineSettingsStore store(preferences);
        const QString orderKey = TranslationEngineSettingsStore::orderKey;
        const QString enabledKey = TranslationEngineSettingsStore::enabledKey;
        // Only engines that can exist here are offered: no Apple engine on Linux.
        QCOMPARE(store.load().order, (QList{ID::argos, ID::apertium}));
        QCOMPARE(store.load().prioritizedEnabledEngineIDs(), (QList{ID::argos, ID::apertium}));

        // Unknown names and repeats are dropped, missing engines appended.
        preferences.setString(orderKey, " APERTIUM ,foo,,apertium");
        preferences.setString(enabledKey, "apertium");
        QCOMPARE(store.load().order, (QList{ID::apertium, ID::argos}));
        QCOMPARE(store.load().prioritizedEnabledEngineIDs(), QList{ID::apertium});
        // No known enabled engine means all of them.
        preferences.setString(enabledKey, "deepl,google");
        QCOMPARE(store.load().prioritizedEnabledEngineIDs(), (QList{ID::apertium, ID::argos}));
        // Lists stored where the Apple engine exists keep working without it.
        preferences.setString(orderKey, "apple,apertium,argos");
        preferences.setString(enabledKey, "apple");
        QCOMPARE(store.load().prioritizedEnabledEngineIDs(), (QList{ID::apertium, ID::argos}));
        preferences.setString(enabledKey, "apple,argos");
        QCOMPARE(store.load().prioritizedEnabledEngineIDs(), QList{ID::argos});

        store.save({ID::apertium, ID::argos}, {ID::argos});
        QCOMPARE(preferences.stringValue(orderKey), "apertium,argos");
        QCOMPARE(preferences.stringValue(enabledKey), "argos");
        QCOMPARE(store.load(),
                 (TranslationEnginePreferences{{ID::apertium, ID::argos}, {ID::argos}}));
        // The order is completed, and "none enabled" is never stored.
        store.save({ID::apertium}, {});
        QCOMPARE(preferences.stringValue(orderKey), "apertium,argos");
        QCOMPARE(preferences.stringValue(enabledKey), "apertium,argos");
    }
};

QTEST_GUILESS_MAIN(TestTranslationCommand)
#include "tst_translationcommand.moc"
