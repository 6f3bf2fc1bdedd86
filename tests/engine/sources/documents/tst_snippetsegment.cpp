#include "launcher/engine/sources/documents/SnippetSegment.h"

#include <QTest>

using namespace trovi;

class TestSnippetSegment : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Segments joined by "|", a highlighted one marked with a leading "*".
    void parsesMarkup_data() {
        QTest::addColumn<QString>("snippet");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& snippet, const char* expected) {
            QTest::newRow(name) << snippet << QString(expected);
        };
        row("empty text gives nothing", QString(), "");
        row("highlight at both ends", "<mark>x</mark> and <mark>y</mark>", "*x| and |*y");
        row("extra closing tags after a highlight are rejoined", "<mark>a</mark>b</mark>c",
            "*a|b</mark>c");
        row("unclosed highlight runs to the end", "see <mark>this", "see |*this");
        row("empty highlight is dropped", "a<mark></mark>b", "a|b");
        row("line feeds become spaces", "one\n<mark>two\nlines</mark>\n", "one |*two lines| ");
    }

    void parsesMarkup() {
        QFETCH(QString, snippet);
        QFETCH(QString, expected);
        QStringList segments;
        for (const SnippetSegment& segment : parseSnippetSegments(snippet))
            segments.append((segment.isHighlighted ? "*" : "") + segment.text);
        QCOMPARE(segments.join(u'|'), expected);
    }
};

QTEST_GUILESS_MAIN(TestSnippetSegment)
#include "tst_snippetsegment.moc"
