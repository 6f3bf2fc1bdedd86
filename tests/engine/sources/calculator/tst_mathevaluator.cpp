// The calculator row: which queries count as arithmetic, what they evaluate
// to, and how the value is written, independent of the process locale.

#include "launcher/engine/sources/calculator/MathEvaluator.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using namespace trovi;

class TestMathEvaluator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void evaluates_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* query, const char* expected) {
            QTest::newRow(query) << QString(query) << QString(expected);
        };

        row("1+2*3", "7");
        row("(1+2)*3", "9");
        row("2^3^2", "512"); // right-associative
        row("7-2-1", "4");   // left-associative
        row("10/4", "2.5");
        row(" \n1 +  2 * 3\t\n", "7");
        row("SQRT (16)", "4");
        row("round(0-2.5)", "-3"); // halves away from zero
        row("log(10)", "1");       // base 10
        row("ln(e)+0", "1");
        row("Pi*2", "6.283185307");
        row("sin(pi)", "1.224646799e-16"); // radians
        row("sqrt(abs(0-16))*2", "8");
        row("2.+.5", "2.5");
        // Ten significant digits; exponent form from 10^15 on and for small values.
        row("100000000*10000000", "1e+15");
        row("99999999999999*10", "999999999999990");
        row("0-10^15", "-1e+15");
        row("1/3", "0.3333333333");
        row("1/100000", "1e-05");
    }

    void evaluates() {
        QFETCH(QString, query);
        QFETCH(QString, expected);
        QCOMPARE(evaluateMathExpression(query).value_or("<none>"), expected);
    }

    void rejects_data() {
        QTest::addColumn<QString>("query");
        const auto row = [](const QString& query) { QTest::newRow(qPrintable(query)) << query; };

        // Ordinary queries must not turn into a calculator row.
        for (const char* query : {"42", "pi", "foo+1", "", "1\t+1"})
            row(query);
        // No unary signs, incomplete or unbalanced input.
        for (const char* query : {"-5+3", "2*-3", "5+", "(2", "2)", "1.2.3+1", ".5+1"})
            row(query);
        // Non-finite values.
        for (const char* query : {"1/0", "sqrt(0-4)", "10^400"})
            row(query);
        // No implicit multiplication, nothing left over, names only in their own role.
        for (const char* query : {"2pi+1", "2+3 4", "pi(2)+1", "sqrt 16"})
            row(query);
        row(QString::fromUtf8("1+\u4e00"));
    }

    void rejects() {
        QFETCH(QString, query);
        const std::optional<QString> value = evaluateMathExpression(query);
        QVERIFY2(!value.has_value(), qPrintable(query + " gave " + value.value_or(QString())));
    }

    void deepNestingIsRejectedNotCrashing() {
        const int depth = 100000;
        QVERIFY(!evaluateMathExpression(QString(depth, u'(') + "1+1" + QString(depth, u')')));
        QVERIFY(
            !evaluateMathExpression(QStringLiteral("1") + QStringLiteral("^1").repeated(depth)));
        QCOMPARE(evaluateMathExpression(QString(50, u'(') + "1+1" + QString(50, u')')), "2");
    }

    void decimalPointIgnoresProcessLocale() {
        // Build a German locale (comma as decimal separator) so the test does not
        // depend on which locales the machine happens to have compiled.
        const QString localedef = QStandardPaths::findExecutable("localedef");
        if (localedef.isEmpty())
            QSKIP("localedef is not installed");
        QTemporaryDir localeDir;
        QVERIFY(localeDir.isValid());
        QProcess process;
        process.start(localedef, {"-i", "de_DE", "-f", "UTF-8", localeDir.filePath("de_DE.UTF-8")});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            QSKIP("could not build the de_DE locale");

        // The last test: the locale stays for the rest of the process.
        qputenv("LOCPATH", QFile::encodeName(localeDir.path()));
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("the de_DE locale could not be applied");
        // Make sure the locale really is active, or the test would prove nothing.
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        QCOMPARE(QByteArray(probe), QByteArray("1,5"));

        QCOMPARE(evaluateMathExpression("1.5+1.25"), "2.75");
        QCOMPARE(evaluateMathExpression("2^60"), "1.152921505e+18");
    }
};

QTEST_GUILESS_MAIN(TestMathEvaluator)
#include "tst_mathevaluator.moc"
