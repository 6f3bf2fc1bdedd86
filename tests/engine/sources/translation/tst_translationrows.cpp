// Translation rows through the engine (in an empty home, so they are the only
// rows): a placeholder and the web dictionary
// at once, lookups in the background (started once per pair), then the
// finished rows with their exact texts, order, notes and retries; the cache's
// expiry and eviction.

#include "launcher/clients/TranslationSettingsStores.h"
#include "launcher/engine/sources/translation/TranslationSource.h"
#include "tests/support/EngineHarness.h"

#include <QtTest>

#include <atomic>

using namespace trovi;

namespace {

using Engine = TranslationEngineID;

// Answers from a fixed table keyed "engine:source>target:text".
class FakeEngines : public TranslationEngines {
public:
    QHash<QString, QString> answers;
    QSet<Engine> unavailable;
    std::atomic<int> calls{0};

    std::optional<TranslationLookupResult> translate(Engine engine, const QString& text,
                                                     const QString& source,
                                                     const QString& target) override {
        ++calls;
        const QString key = rawValue(engine) + ':' + source + '>' + target + ':' + text;
        if (!answers.contains(key))
            return std::nullopt;
        return TranslationLookupResult{answers.value(key), displayName(engine), engine};
    }
    TranslationEngineAvailability availability(Engine engine) override {
        return {!unavailable.contains(engine), {}, {}};
    }
    // Apertium is installed but has no English-German pair.
    TranslationEngineAvailability pairAvailability(Engine engine, const QString& source,
                                                   const QString& target) override {
        if (engine == Engine::apertium && source + target == "ende")
            return {false, {}, "Apertium unavailable for EN -> DE"};
        return availability(engine);
    }
};

QStringList rowTexts(const QList<SearchResult>& rows) {
    QStringList texts;
    for (const SearchResult& row : rows)
        texts << row.filename + " | " + row.directory;
    return texts;
}

const QString dot = QStringLiteral(" \u00b7 ");

} // namespace

class TestTranslationRows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rows_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("engineOrder");
        QTest::addColumn<QStringList>("answers"); // key=answer
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("finished");

        // The web dictionary row always comes last; the finished rows above it.
        const auto row = [](const char* name, const char* query, const char* engineOrder,
                            const QStringList& answers, const char* label,
                            const QStringList& finished) {
            QTest::newRow(name) << QString(query) << QString(engineOrder) << answers
                                << QString(label) << finished;
        };
        const QString argos = " via Argos (local)";
        const QString copies = dot + "Enter copies";
        row("inferred pair: both directions, ordered by score", "cc hello", "argos,apertium",
            {"argos:en>de:hello=hallo", "argos:de>en:hello=hi"}, "EN <-> DE",
            {"hallo | EN -> DE" + argos + copies, "hi | DE -> EN" + argos + copies});
        row("named pair: one direction, no note when nothing above is unavailable",
            "cc en:de hello", "argos", {"argos:en>de:hello=hallo"}, "EN -> DE",
            {"hallo | EN -> DE" + argos + copies});
        row("unchanged German word retried capitalised", "cc de:en haus", "argos",
            {"argos:de>en:haus=haus", "argos:de>en:Haus=house"}, "DE -> EN",
            {"house | DE -> EN" + argos + copies});
        row("unchanged after the retry: alternatives row", "cc de:en xyz", "argos",
            {"argos:de>en:xyz=XYZ", "argos:de>en:Xyz=xyz"}, "DE -> EN",
            {"XYZ | DE -> EN" + argos + copies, "Search dict.cc for alternatives | DE -> EN" + dot +
                                                    "Local result unchanged" + dot +
                                                    "Enter opens dict.cc"});
        row("unchanged by one engine, changed by the next", "cc en:es Berlin", "apertium,argos",
            {"apertium:en>es:Berlin=berlin", "argos:en>es:Berlin=Berlín!"}, "EN -> ES",
            {"Berlín! | EN -> ES" + argos + copies});
        // Both directions open the same page, so the engine keeps one of them.
        row("nothing answers: unavailable row", "cc hello", "argos", {}, "EN <-> DE",
            {"hello | EN -> DE" + dot + "Local engine unavailable" + dot + "Enter opens dict.cc"});
        row("Argos first but missing, Apertium answered: Argos note", "cc en:es hello",
            "argos,apertium", {"apertium:en>es:hello=hola"}, "EN -> ES",
            {"hola | EN -> ES via Apertium" + dot + "Argos (local) unavailable" + copies});
        row("Apertium first without the pair: its note names the pair", "cc en:de hello",
            "apertium,argos", {"argos:en>de:hello=hallo"}, "EN -> DE",
            {"hallo | EN -> DE" + argos + dot + "Apertium unavailable for EN -> DE" + copies});
    }
    void rows() {
        QFETCH(QString, query);
        QFETCH(QString, engineOrder);
        QFETCH(QStringList, answers);
        QFETCH(QString, label);
        QFETCH(QStringList, finished);
        auto engines = std::make_shared<FakeEngines>();
        for (const QString& answer : answers)
            engines->answers.insert(answer.section('=', 0, 0), answer.section('=', 1));
        if (engineOrder.startsWith("argos,"))
            engines->unavailable = {Engine::argos};
        test::EngineHarness harness;
        TranslationLanguageSettingsStore(harness.preferences).save("en,de,es");
        harness.translationEngines = engines;
        const auto order = TranslationEngineSettingsStore::parseEngineIDs(engineOrder).value();
        TranslationEngineSettingsStore(harness.preferences)
            .save(order, QSet<Engine>(order.begin(), order.end()));
        DatabaseManager& manager = harness.make();
        QSignalSpy refreshed(&manager, &DatabaseManager::searchDataRefreshed);

        const QStringList first = rowTexts(manager.search(query, false));
        const QString text = query.section(' ', -1);
        QCOMPARE(first, (QStringList{text + " | " + label + dot + "Translating locally..." + dot +
                                         "Enter opens dict.cc",
                                     "Search dict.cc | " + label + dot + "Enter opens dict.cc"}));
        // Asked again while the lookups run: the same rows, no second lookup.
        QCOMPARE(rowTexts(manager.search(query, false)), first);
        QVERIFY(manager.hasPendingLookups());
        QTRY_VERIFY(!manager.hasPendingLookups());
        const int calls = engines->calls;
        QCOMPARE(rowTexts(manager.search(query, false)),
                 finished + QStringList{"Search dict.cc | " + label + dot + "Enter opens dict.cc"});
        QCOMPARE(engines->calls.load(), calls);
        QCOMPARE(refreshed.size(), label.contains("<->") ? 2 : 1);
    }

    void cacheExpiresAndEvicts() {
        QDateTime now = QDateTime::fromSecsSinceEpoch(1'000'000, QTimeZone::utc());
        TimedCache<QList<SearchResult>> cache(1800, 300);
        for (int i = 0; i <= 300; ++i)
            cache.store(QString::number(i), {}, now.addSecs(i));
        QCOMPARE(cache.size(), 300);
        QVERIFY(!cache.lookup("0", now.addSecs(300)));
        QVERIFY(cache.lookup("1", now.addSecs(1801)));
        QVERIFY(!cache.lookup("1", now.addSecs(1802)));
    }
};

QTEST_GUILESS_MAIN(TestTranslationRows)
#include "tst_translationrows.moc"
