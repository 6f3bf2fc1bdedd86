#include "launcher/engine/LauncherActions.h"

#include <QTest>

using namespace trovi;

class TestLauncherActions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settingsActionMatching_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("matches");
        QTest::addRow("prefix of a keyword") << "set" << true;
        QTest::addRow("inside a keyword") << "tting" << true;
        QTest::addRow("query containing a keyword") << "my settings page" << true;
        QTest::addRow("singular keyword") << "preference" << true;
        QTest::addRow("old launcher's name") << "alfred" << true;
        QTest::addRow("hotkey") << "change hotkey" << true;
        QTest::addRow("title only") << "show launcher s" << true;
        QTest::addRow("subtitle only") << "options" << true;
        QTest::addRow("subtitle phrase") << "configure hotkey and" << true;
        QTest::addRow("unrelated") << "xyz" << false;
        QTest::addRow("near miss") << "settingz" << false;
        QTest::addRow("empty") << "" << false;
    }

    void settingsActionMatching() {
        QFETCH(QString, query);
        QFETCH(bool, matches);
        QCOMPARE(launcherSettingsActionMatches(query), matches);
    }

    void settingsActionRecord() {
        const SearchResult result = launcherSettingsActionResult();
        QCOMPARE(result.id, stableNegativeID(QStringLiteral("action://open-settings")));
        QVERIFY(result.id < 0);
        QCOMPARE(result.filename, QStringLiteral("Show Launcher Settings"));
        QCOMPARE(result.directory, QStringLiteral("Configure hotkey and launcher options"));
        QCOMPARE(toString(result.kind), QStringLiteral("action"));
        QVERIFY(result.action == SearchResultAction::openSettings);
        QCOMPARE(result.openCount, 0);
        QCOMPARE(result.fullPath(), QStringLiteral("action://openSettings"));
        QVERIFY(!result.snippet && !result.databaseID() && !result.actionURLString);
        QVERIFY(!result.fallbackActionURLString && !result.usageKey && !result.relevanceScore);
        QVERIFY(!result.isDirectPathMatch && !result.isRecentActivation);
    }
};

QTEST_GUILESS_MAIN(TestLauncherActions)
#include "tst_launcheractions.moc"
