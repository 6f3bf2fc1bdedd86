// The Apertium engine with the real Debian pair (apertium-eng-spa): both
// directions through one warm pipeline each, the launcher's codes mapped to
// the pairs' names, a missing pair, a pipeline that dies, unknown-word marks.

#include "launcher/clients/translation/ApertiumEngine.h"
#include "launcher/clients/translation/ApertiumModes.h"

#include <QtTest>

#include <csignal>

using namespace trovi;

namespace {

// Loading the dictionaries takes seconds on a busy machine.
ApertiumEngine::Options patientOptions() {
    ApertiumEngine::Options options;
    options.responseTimeoutSeconds = 60;
    options.startupTimeoutSeconds = 120;
    return options;
}

} // namespace

class TestApertium : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (!ApertiumEngine().availability("en", "es").isAvailable)
            QFAIL("apertium-eng-spa is not installed: run scripts/install-deps.sh");
    }

    void translatesThroughWarmPipelines_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* source, const char* target,
                            const char* text, const char* expected) {
            QTest::newRow(name) << QString(source) << QString(target) << QString(text)
                                << QString(expected);
        };
        row("en -> es", "en", "es", "good morning", "buenos días");
        row("es -> en", "es", "en", "buenos días", "good morning");
        row("en -> es again, same pipeline", "en", "es", "the dog", "El perro");
        row("unknown word shown without its mark", "en", "es", "the xyzzy dog", "El xyzzy perro");
        row("stream characters and line breaks are text", "en", "es", "the dog\n[a/b]",
            "El perro [un/b]");
    }
    void translatesThroughWarmPipelines() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(m_engine.translate(text, source, target), std::optional<QString>(expected));
        // One pipeline per direction, kept between requests.
        QVERIFY(m_engine.startCount() <= 2);
    }

    void codesMapToInstalledModes_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("mode"); // empty: none
        const auto row = [](const char* name, const char* source, const char* target,
                            const char* mode) {
            QTest::newRow(name) << QString(source) << QString(target) << QString(mode);
        };
        row("two letters to three", "en", "es", "eng-spa");
        row("plain mode before a regional one", "es", "en", "spa-eng");
        row("pair named with two letters", "en", "gl", "en-gl");
        row("three letters asked, two named", "glg", "en", "gl-en");
        row("region dropped", "pt-br", "es", "por-spa");
        row("only the other direction installed", "en", "eo", "");
        row("no such pair", "en", "de", "");
    }
    void codesMapToInstalledModes() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QString, mode);
        const QStringList modes{"en-gl",   "eng-spa", "eo-en",     "gl-en",
                                "por-spa", "spa-eng", "spa-eng_US"};
        QCOMPARE(apertium::modeForPair(modes, source, target).value_or(QString()), mode);
    }

    void missingPairIsReportedAndStartsNothing() {
        ApertiumEngine engine(patientOptions());
        QVERIFY(!engine.translate("hello", "en", "de"));
        QCOMPARE(engine.startCount(), 0);
        const auto german = engine.availability("en", "de");
        QVERIFY(!german.isAvailable);
        QCOMPARE(german.message, QString("No Apertium pair for EN -> DE."));
        QCOMPARE(german.rowNote, QString("Apertium unavailable for EN -> DE"));
        // A pair Debian has names the package that brings it.
        QCOMPARE(engine.availability("en", "ca").message,
                 QString("apertium-eng-cat not installed: apt install apertium-eng-cat"));
        QVERIFY(engine.availability("es", "en").isAvailable);

        ApertiumEngine::Options absent;
        absent.program = "/nonexistent/apertium";
        const auto missing = ApertiumEngine(absent).availability();
        QVERIFY(!missing.isAvailable);
        QCOMPARE(missing.message,
                 QString("apertium not installed: apt install apertium apertium-eng-spa"));
    }

    void deadPipelineIsReplaced() {
        ApertiumEngine engine(patientOptions());
        QCOMPARE(engine.translate("good morning", "en", "es"),
                 std::optional<QString>("buenos días"));
        const auto group = engine.pipelineProcessGroup("en", "es");
        QVERIFY(group);
        ::kill(-pid_t(*group), SIGKILL); // as the system would under memory pressure
        QCOMPARE(engine.translate("the dog", "en", "es"), std::optional<QString>("El perro"));
        QCOMPARE(engine.startCount(), 2);
    }

    void pipelineDyingMidRequestGivesNothing() {
        // A pair whose pipeline reads the request, then dies without a reply.
        QTemporaryDir data;
        QDir(data.path()).mkpath("modes");
        QFile mode(data.filePath("modes/eng-spa.mode"));
        QVERIFY(mode.open(QIODevice::WriteOnly));
        mode.write("head -c 1 >/dev/null; exit 3\n");
        mode.close();
        ApertiumEngine::Options options = patientOptions();
        options.dataDirectory = data.path();
        ApertiumEngine engine(options);
        QVERIFY(!engine.translate("good morning", "en", "es"));
        // Tried once more on a new pipeline, then given up.
        QCOMPARE(engine.startCount(), 2);
    }

private:
    ApertiumEngine m_engine{patientOptions()};
};

QTEST_GUILESS_MAIN(TestApertium)
#include "tst_apertium.moc"
