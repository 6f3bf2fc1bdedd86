// The second line of a row: what an application is, and folders a person
// can read.

#include "launcher/session/ResultRowPresentation.h"

#include <QTest>

using namespace trovi;

class TestResultRowPresentation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondLine_data() {
        QTest::addColumn<SearchResultKind>("kind");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("secondLine");
        const QString none;
        QTest::addRow("application says what it is")
            << SearchResultKind::app << "/usr/share/applications"
            << "Web Browser"
            << "Web Browser";
        QTest::addRow("application without a description")
            << SearchResultKind::app << "/usr/share/applications" << none
            << "/usr/share/applications";
        QTest::addRow("user's application without a description")
            << SearchResultKind::app << "/home/ana/.local/share/applications" << none
            << "~/.local/share/applications";
        QTest::addRow("file below home")
            << SearchResultKind::file << "/home/ana/Documents" << none << "~/Documents";
        QTest::addRow("home itself") << SearchResultKind::folder << "/home/ana" << none << "~";
        QTest::addRow("a sibling of home stays whole")
            << SearchResultKind::file << "/home/anabel/Documents" << none
            << "/home/anabel/Documents";
        QTest::addRow("outside home")
            << SearchResultKind::file << "/srv/share" << none << "/srv/share";
        QTest::addRow("not a path")
            << SearchResultKind::action << "System Settings" << none << "System Settings";
    }
    void secondLine() {
        QFETCH(SearchResultKind, kind);
        QFETCH(QString, directory);
        QFETCH(QString, description);
        QFETCH(QString, secondLine);
        qputenv("HOME", "/home/ana/");
        SearchResult result;
        result.kind = kind;
        result.filename = "x";
        result.directory = directory;
        if (!description.isNull())
            result.description = description;
        QCOMPARE(presentResultRow(result, {}).secondLine, secondLine);
        // The result itself keeps the full folder.
        QCOMPARE(result.directory, directory);
    }
};

QTEST_GUILESS_MAIN(TestResultRowPresentation)
#include "tst_resultrowpresentation.moc"
