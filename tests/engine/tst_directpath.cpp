#include "launcher/engine/DirectPath.h"

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
        QVERIFY(m_home.isValid());
        QDir dir(home());
        QVERIFY(dir.mkpath("Documents/My Reports"));
        QVERIFY(dir.mkpath("Applications/Tool.app/Contents"));
        QVERIFY(dir.mkpath("Downloads"));
        QFile file(dir.filePath("Documents/My Reports/q1 report.pdf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QFile archive(dir.filePath("Downloads/Setup.APP"));
        QVERIFY(archive.open(QIODevice::WriteOnly));
    }

    void resolution_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<QString>>("expected");
        const QString h = QStringLiteral("/home/ana");
        auto path = [](const QString& p) { return std::optional<QString>(p); };
        const std::optional<QString> none;

        QTest::addRow("absolute") << "/etc/hosts" << path("/etc/hosts");
        QTest::addRow("surrounding blanks") << "  /etc/hosts \n" << path("/etc/hosts");
        QTest::addRow("tilde alone") << "~" << path(h);
        QTest::addRow("tilde path") << "~/Documents" << path(h + "/Documents");
        QTest::addRow("double quotes with spaces")
            << "\"/Users/ana/My Docs/a b.txt\"" << path("/Users/ana/My Docs/a b.txt");
        QTest::addRow("single quotes with spaces")
            << "'~/My Docs/a b.txt'" << path(h + "/My Docs/a b.txt");
        QTest::addRow("mismatched quotes") << "\"/tmp/x'" << none;
        QTest::addRow("apostrophe inside") << "/tmp/it's" << path("/tmp/it's");
        QTest::addRow("lone quote") << "\"" << none;
        QTest::addRow("empty quotes") << "''" << none;
        QTest::addRow("file URL with escapes") << "file:///Users/ana/My%20Docs/r%C3%A9sum%C3%A9.pdf"
                                               << path("/Users/ana/My Docs/résumé.pdf");
        QTest::addRow("quoted file URL") << "'file:///tmp/a%20b'" << path("/tmp/a b");
        QTest::addRow("file URL with localhost") << "file://localhost/tmp/x" << path("/tmp/x");
        QTest::addRow("other URL scheme") << "https://example.com/a" << none;
        QTest::addRow("dot segments and doubled separators")
            << "/usr//local/./lib/../bin/" << path("/usr/local/bin");
        QTest::addRow("tilde with dot-dot") << "~/../other" << path("/home/other");
        QTest::addRow("relative") << "Documents/report.pdf" << none;
        QTest::addRow("dot relative") << "./report.pdf" << none;
        QTest::addRow("other user's tilde is not expanded") << "~bob/x" << none;
        QTest::addRow("blank") << "  " << none;
    }

    void resolution() {
        QFETCH(QString, text);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(resolveDirectPath(text, QStringLiteral("/home/ana")), expected);
    }

    void resultForExistingItems_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expectedPath");
        QTest::addColumn<QString>("expectedKind");

        QTest::addRow("app bundle") << "~/Applications/Tool.app"
                                    << "/Applications/Tool.app"
                                    << "app";
        QTest::addRow("app bundle with trailing slash") << "~/Applications/Tool.app/"
                                                        << "/Applications/Tool.app"
                                                        << "app";
        QTest::addRow("plain file named like a bundle") << "~/Downloads/Setup.APP"
                                                        << "/Downloads/Setup.APP"
                                                        << "app";
        QTest::addRow("ordinary folder") << "~/Documents/"
                                         << "/Documents"
                                         << "folder";
        QTest::addRow("quoted file with spaces") << "\"~/Documents/My Reports/q1 report.pdf\""
                                                 << "/Documents/My Reports/q1 report.pdf"
                                                 << "file";
        QTest::addRow("file URL") << "file://%1/Documents/My%20Reports/q1%20report.pdf"
                                  << "/Documents/My Reports/q1 report.pdf"
                                  << "file";
    }

    void resultForExistingItems() {
        QFETCH(QString, query);
        QFETCH(QString, expectedPath);
        QFETCH(QString, expectedKind);
        if (query.contains("%1"))
            query = query.arg(home());
        const QString fullPath = home() + expectedPath;

        QStringList asked;
        const UsageKeyProvider usageKeyFor = [&](const QString& path, const QString& name) {
            asked << path + "|" + name;
            return std::optional<QString>(QStringLiteral("key:") + name);
        };
        const auto result = directPathResult(query, home(), usageKeyFor);
        QVERIFY(result);
        QCOMPARE(result->fullPath(), fullPath);
        QCOMPARE(result->filename, fullPath.section('/', -1));
        QCOMPARE(result->directory, fullPath.section('/', 0, -2));
        QCOMPARE(toString(result->kind), expectedKind);
        QCOMPARE(result->id, stableNegativeID("direct-path:" + fullPath));
        QVERIFY(result->isDirectPathMatch);
        QCOMPARE(result->openCount, 0);
        QCOMPARE(result->usageKey, std::optional<QString>("key:" + result->filename));
        QCOMPARE(asked, QStringList({fullPath + "|" + result->filename}));
        QVERIFY(!result->databaseID() && !result->snippet && !result->action);
        QVERIFY(!result->actionURLString && !result->relevanceScore && !result->isRecentActivation);
    }

    void noResultWithoutAnExistingAbsolutePath_data() {
        QTest::addColumn<QString>("query");
        QTest::addRow("nothing at the path") << "~/Documents/missing.pdf";
        QTest::addRow("relative path") << "Documents";
        QTest::addRow("plain words") << "q1 report";
        QTest::addRow("empty") << "";
    }

    void noResultWithoutAnExistingAbsolutePath() {
        QFETCH(QString, query);
        QVERIFY(!directPathResult(query, home(), {}));
    }

    void rootDirectoryIsAFolder() {
        const auto result = directPathResult("/", home(), {});
        QVERIFY(result);
        QCOMPARE(toString(result->kind), QStringLiteral("folder"));
        QCOMPARE(result->fullPath(), QStringLiteral("/"));
        QVERIFY(!result->usageKey);
    }
};

QTEST_GUILESS_MAIN(TestDirectPath)
#include "tst_directpath.moc"
