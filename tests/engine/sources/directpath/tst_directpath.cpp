#include "launcher/engine/sources/directpath/DirectPath.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace trovi;

class TestDirectPath : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;

    QString home() const { return m_home.path(); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(test::writeFile(home() + "/Documents/My Reports/q1 report.pdf"));
    }

    void resolution_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<QString>>("expected");
        const QString h = QStringLiteral("/home/ana");
        auto path = [](const QString& p) { return std::optional<QString>(p); };
        const std::optional<QString> none;

        QTest::addRow("surrounding blanks") << "  /etc/hosts \n" << path("/etc/hosts");
        QTest::addRow("tilde with dot-dot") << "~/../other" << path("/home/other");
        QTest::addRow("double quotes with spaces")
            << "\"/Users/ana/My Docs/a b.txt\"" << path("/Users/ana/My Docs/a b.txt");
        QTest::addRow("single quotes around a tilde path")
            << "'~/My Docs/a b.txt'" << path(h + "/My Docs/a b.txt");
        QTest::addRow("mismatched quotes") << "\"/tmp/x'" << none;
        QTest::addRow("file URL with escapes") << "file:///Users/ana/My%20Docs/r%C3%A9sum%C3%A9.pdf"
                                               << path("/Users/ana/My Docs/résumé.pdf");
        QTest::addRow("quoted file URL") << "'file:///tmp/a%20b'" << path("/tmp/a b");
        QTest::addRow("other URL scheme") << "https://example.com/a" << none;
        QTest::addRow("dot segments and doubled separators")
            << "/usr//local/./lib/../bin/" << path("/usr/local/bin");
        QTest::addRow("relative") << "Documents/report.pdf" << none;
        QTest::addRow("other user's tilde is not expanded") << "~bob/x" << none;
    }

    void resolution() {
        QFETCH(QString, text);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(resolveDirectPath(text, QStringLiteral("/home/ana")), expected);
    }

    void resultForExistingItems_data() {
        using K = SearchResultKind;
        QTest::addColumn<QString>("query");
        QTest::addColumn<K>("kind");
        QTest::addColumn<QString>("expectedPath"); // empty: no result
        QTest::addRow("folder") << "~/Documents/" << K::folder << "/Documents";
        QTest::addRow("file URL") << "file://%1/Documents/My%20Reports/q1%20report.pdf" << K::file
                                  << "/Documents/My Reports/q1 report.pdf";
        QTest::addRow("nothing at the path") << "~/Documents/missing.pdf" << K::file << "";
        QTest::addRow("relative path") << "Documents" << K::folder << "";
    }

    void resultForExistingItems() {
        QFETCH(QString, query);
        QFETCH(SearchResultKind, kind);
        QFETCH(QString, expectedPath);
        const UsageKeyProvider usageKeyFor = [](const QString& path, const QString& name) {
            return std::optional<QString>(path + "|" + name);
        };
        query.replace("%1", home());
        const auto result = directPathResult(query, home(), usageKeyFor);
        QCOMPARE(result.has_value(), !expectedPath.isEmpty());
        if (!result)
            return;
        const QString fullPath = home() + expectedPath;
        QCOMPARE(result->fullPath(), fullPath);
        QVERIFY(result->kind == kind);
        QCOMPARE(result->id, stableNegativeID("direct-path:" + fullPath));
        QVERIFY(result->isDirectPathMatch);
        QCOMPARE(result->usageKey, std::optional<QString>(fullPath + "|" + result->filename));
    }
};

QTEST_GUILESS_MAIN(TestDirectPath)
#include "tst_directpath.moc"
