#include "launcher/engine/sources/documents/SnippetSegment.h"

#include <QTest>

using namespace trovi;

namespace QTest {
template <> char* toString(const SnippetSegment& segment) {
    return QTest::toString(
        QStringLiteral("%1%2").arg(segment.isHighlighted ? "*" : "", segment.text));
}
} // namespace QTest

using Segments = QList<SnippetSegment>;

class TestSnippetSegment : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parsesMarkup_data() {
        QTest::addColumn<QString>("snippet");
        QTest::addColumn<Segments>("expected");

        QTest::addRow("empty text gives nothing") << QString() << Segments{};
        QTest::addRow("highlight at both ends")
            << QStringLiteral("<mark>x</mark> and <mark>y</mark>")
            << Segments{{QStringLiteral("x"), true},
                        {QStringLiteral(" and "), false},
                        {QStringLiteral("y"), true}};
        QTest::addRow("extra closing tags after a highlight are rejoined")
            << QStringLiteral("<mark>a</mark>b</mark>c")
            << Segments{{QStringLiteral("a"), true}, {QStringLiteral("b</mark>c"), false}};
        QTest::addRow("unclosed highlight runs to the end")
            << QStringLiteral("see <mark>this")
            << Segments{{QStringLiteral("see "), false}, {QStringLiteral("this"), true}};
        QTest::addRow("empty highlight is dropped")
            << QStringLiteral("a<mark></mark>b")
            << Segments{{QStringLiteral("a"), false}, {QStringLiteral("b"), false}};
        QTest::addRow("line feeds become spaces")
            << QStringLiteral("one\n<mark>two\nlines</mark>\n")
            << Segments{{QStringLiteral("one "), false},
                        {QStringLiteral("two lines"), true},
                        {QStringLiteral(" "), false}};
    }

    void parsesMarkup() {
        QFETCH(QString, snippet);
        QFETCH(Segments, expected);
        QCOMPARE(parseSnippetSegments(snippet), expected);
    }
};

QTEST_GUILESS_MAIN(TestSnippetSegment)
#include "tst_snippetsegment.moc"
