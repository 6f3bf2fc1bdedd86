// The real recogniser under the translation parser: clear sentences name their
// language, short words fall through to the parser's fallback rules.

#include "launcher/platform/linux/Cld2LanguageRecognizer.h"

#include <QtTest>

using namespace trovi;

class TestCld2LanguageRecognizer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inferredPair_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addRow("German sentence goes to English")
            << QString("wie geht es dir heute") << QString("de") << "en";
        QTest::addRow("English sentence goes to German")
            << QString("good morning how are you") << QString("en") << "de";
        QTest::addRow("too short to judge falls back to English")
            << QString("hello") << QString("en") << "de";
        QTest::addRow("French when configured")
            << QString("je voudrais un café s'il vous plaît") << QString("fr") << "en";
    }
    void inferredPair() {
        QFETCH(QString, text);
        QFETCH(QString, source);
        QFETCH(QString, target);
        const auto command = TranslationCommandParser::parse("cc " + text, "cc", {"en", "de", "fr"},
                                                             platform::cld2LanguageRecognizer());
        QVERIFY(command);
        QCOMPARE(command->sourceLanguageCode, source);
        QCOMPARE(command->targetLanguageCode, target);
    }
};

QTEST_GUILESS_MAIN(TestCld2LanguageRecognizer)
#include "tst_cld2languagerecognizer.moc"
