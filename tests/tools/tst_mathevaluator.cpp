#include "launcher/tools/MathEvaluator.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace trovi;

class TestMathEvaluator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void acceptedExpressions_data();
    void acceptedExpressions();
    void rejectedQueries_data();
    void rejectedQueries();
    void formatting_data();
    void formatting();
    void deepNestingIsRejectedNotCrashing();
    void concurrentFirstUseIsSafe();
    void decimalPointIgnoresProcessLocale();
};

void TestMathEvaluator::acceptedExpressions_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");

    QTest::addRow("* binds tighter than +") << "1+2*3"
                                            << "7";
    QTest::addRow("parentheses group") << "(1+2)*3"
                                       << "9";
    QTest::addRow("^ is right-associative") << "2^3^2"
                                            << "512";
    QTest::addRow("^ binds tighter than *") << "2*3^2"
                                            << "18";
    QTest::addRow("division is floating point") << "10/4"
                                                << "2.5";
    QTest::addRow("- is left-associative") << "7-2-1"
                                           << "4";
    QTest::addRow("/ is left-associative") << "8/2/2"
                                           << "2";
    QTest::addRow("spaces between tokens") << " 1 +  2 * 3 "
                                           << "7";
    QTest::addRow("subtraction gives negatives") << "0-5"
                                                 << "-5";

    QTest::addRow("sqrt") << "sqrt(16)"
                          << "4";
    QTest::addRow("upper-case name, space before parenthesis") << "SQRT (16)"
                                                               << "4";
    QTest::addRow("round halves away from zero") << "round(2.5)"
                                                 << "3";
    QTest::addRow("round negative half away from zero") << "round(0-2.5)"
                                                        << "-3";
    QTest::addRow("log is base 10") << "log(10)"
                                    << "1";
    QTest::addRow("ln is natural") << "ln(1)"
                                   << "0";
    QTest::addRow("ln of e") << "ln(e)+0"
                             << "1";
    QTest::addRow("pi constant") << "pi*2"
                                 << "6.283185307";
    QTest::addRow("constant names are case-insensitive") << "Pi*2"
                                                         << "6.283185307";
    QTest::addRow("sin in radians") << "sin(pi)"
                                    << "1.224646799e-16";
    QTest::addRow("cos") << "cos(0)"
                         << "1";
    QTest::addRow("tan") << "tan(0)"
                         << "0";
    QTest::addRow("abs") << "abs(3-10)"
                         << "7";
    QTest::addRow("ceil") << "ceil(1.2)"
                          << "2";
    QTest::addRow("floor") << "floor(1.8)"
                           << "1";
    QTest::addRow("nested calls") << "sqrt(abs(0-16))*2"
                                  << "8";

    QTest::addRow("trailing point") << "2.+1"
                                    << "3";
    QTest::addRow("number starting with a point") << "1+.5"
                                                  << "1.5";
    QTest::addRow("surrounding spaces and newlines") << "  \n1+1\t\n"
                                                     << "2";
}

void TestMathEvaluator::acceptedExpressions() {
    QFETCH(QString, query);
    QFETCH(QString, expected);
    const std::optional<QString> value = evaluateMathExpression(query);
    QVERIFY2(value.has_value(), qPrintable(query));
    QCOMPARE(*value, expected);
}

void TestMathEvaluator::rejectedQueries_data() {
    QTest::addColumn<QString>("query");

    // Ordinary queries must not turn into a calculator row.
    QTest::addRow("bare number") << "42";
    QTest::addRow("bare constant") << "pi";
    QTest::addRow("unknown letters") << "abc";
    QTest::addRow("function name without number") << "sqrt";
    QTest::addRow("word with operator") << "foo+1";
    QTest::addRow("empty") << "";
    QTest::addRow("only spaces") << "   ";
    QTest::addRow("tab inside") << "1\t+1";

    // No unary signs, incomplete or unbalanced input.
    QTest::addRow("leading minus") << "-5+3";
    QTest::addRow("unary minus after operator") << "2*-3";
    QTest::addRow("parenthesised negative") << "(-1)";
    QTest::addRow("dangling plus") << "5+";
    QTest::addRow("dangling times") << "5*";
    QTest::addRow("unclosed parenthesis") << "(2";
    QTest::addRow("unopened parenthesis") << "2)";
    QTest::addRow("reversed parentheses") << ")(";
    QTest::addRow("two decimal points") << "1.2.3+1";
    QTest::addRow("lone point") << "1+.";
    QTest::addRow("expression may not start with a point") << ".5+1";

    // Non-finite values.
    QTest::addRow("division by zero") << "1/0";
    QTest::addRow("zero by zero") << "0/0";
    QTest::addRow("sqrt of negative") << "sqrt(0-4)";
    QTest::addRow("log of negative") << "log(0-1)";
    QTest::addRow("overflow") << "10^400";
    QTest::addRow("overlong literal") << QString(400, u'9') + "+1";

    // Text left over after a complete expression; no implicit multiplication.
    QTest::addRow("number glued to constant") << "2pi+1";
    QTest::addRow("second number after space") << "2+3 4";
    QTest::addRow("number glued to constant, no operation") << "2pi";
    QTest::addRow("two numbers, no operation") << "2 3";

    // Names used in the wrong role.
    QTest::addRow("constant called as function") << "pi(2)+1";
    QTest::addRow("unknown function hiding known names") << "sine(1)";
    QTest::addRow("function name used as constant") << "ceil";
    QTest::addRow("function without parentheses") << "sqrt 16";

    // Letters outside the lower/upper-case classes never get in.
    QTest::addRow("CJK letter") << QString::fromUtf8("1+\u4e00");
    QTest::addRow("accented unknown name") << QString::fromUtf8("\u00e9+1");
}

void TestMathEvaluator::rejectedQueries() {
    QFETCH(QString, query);
    const std::optional<QString> value = evaluateMathExpression(query);
    QVERIFY2(!value.has_value(), qPrintable(query + " gave " + value.value_or(QString())));
}

void TestMathEvaluator::formatting_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");

    QTest::addRow("10^15 switches to exponent form") << "100000000*10000000"
                                                     << "1e+15";
    QTest::addRow("just below 10^15 stays whole") << "99999999999999*10"
                                                  << "999999999999990";
    QTest::addRow("large whole value") << "123456789*1000"
                                       << "123456789000";
    QTest::addRow("2^60") << "2^60"
                          << "1.152921505e+18";
    QTest::addRow("one third") << "1/3"
                               << "0.3333333333";
    QTest::addRow("small magnitude") << "1/100000"
                                     << "1e-05";
    QTest::addRow("negative fraction") << "0-1/4"
                                       << "-0.25";
    QTest::addRow("negative large whole") << "0-10^15"
                                          << "-1e+15";
}

void TestMathEvaluator::formatting() {
    QFETCH(QString, query);
    QFETCH(QString, expected);
    QCOMPARE(evaluateMathExpression(query).value_or(QStringLiteral("<none>")), expected);
}

void TestMathEvaluator::deepNestingIsRejectedNotCrashing() {
    const int depth = 100000;
    const QString parens = QString(depth, u'(') + "1+1" + QString(depth, u')');
    QVERIFY(!evaluateMathExpression(parens).has_value());

    QString powers = QStringLiteral("1");
    for (int i = 0; i < depth; ++i)
        powers += QStringLiteral("^1");
    QVERIFY(!evaluateMathExpression(powers).has_value());

    // Reasonable nesting still works.
    QCOMPARE(evaluateMathExpression(QString(50, u'(') + "1+1" + QString(50, u')')),
             QStringLiteral("2"));
}

void TestMathEvaluator::concurrentFirstUseIsSafe() {
    // The function and constant tables are built on first use; several
    // threads racing into that first use must all see complete tables.
    std::vector<std::thread> threads;
    std::vector<QString> results(8);
    for (std::size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&results, i] {
            results[i] = evaluateMathExpression(QStringLiteral("sqrt(16)+pi-pi")).value_or("");
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const QString& result : results)
        QCOMPARE(result, QStringLiteral("4"));
}

void TestMathEvaluator::decimalPointIgnoresProcessLocale() {
    // Build a German locale (comma as decimal separator) so the test does not
    // depend on which locales the machine happens to have compiled.
    const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
    if (localedef.isEmpty())
        QSKIP("localedef is not installed");
    QTemporaryDir localeDir;
    QVERIFY(localeDir.isValid());
    const QString localeName = QStringLiteral("de_DE.UTF-8");
    QProcess process;
    process.start(localedef, {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                              QStringLiteral("UTF-8"), localeDir.filePath(localeName)});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        QSKIP("could not build the de_DE locale");

    const QByteArray previousLocPath = qgetenv("LOCPATH");
    qputenv("LOCPATH", QFile::encodeName(localeDir.path()));
    const std::string previousNumeric = std::setlocale(LC_NUMERIC, nullptr);
    const char* applied = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    auto restore = qScopeGuard([&] {
        std::setlocale(LC_NUMERIC, previousNumeric.c_str());
        if (previousLocPath.isNull())
            qunsetenv("LOCPATH");
        else
            qputenv("LOCPATH", previousLocPath);
    });
    if (!applied)
        QSKIP("the de_DE locale could not be applied");

    // Make sure the locale really is active, or the test would prove nothing.
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    QCOMPARE(QByteArray(probe), QByteArray("1,5"));

    QCOMPARE(evaluateMathExpression(QStringLiteral("10/4")), QStringLiteral("2.5"));
    QCOMPARE(evaluateMathExpression(QStringLiteral("1.5+1.25")), QStringLiteral("2.75"));
    QCOMPARE(evaluateMathExpression(QStringLiteral("2^60")), QStringLiteral("1.152921505e+18"));
    QCOMPARE(formatMathValue(0.5), QStringLiteral("0.5"));
}

QTEST_GUILESS_MAIN(TestMathEvaluator)
#include "tst_mathevaluator.moc"
