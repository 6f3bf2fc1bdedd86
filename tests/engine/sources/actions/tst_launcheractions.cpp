#include "launcher/engine/sources/actions/LauncherActions.h"

#include <QTest>

using namespace trovi;

class TestLauncherActions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settingsActionMatching_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("matches");
        QTest::addRow("inside a keyword") << "tting" << true;
        QTest::addRow("query containing a keyword") << "my settings page" << true;
        QTest::addRow("old launcher's name") << "alfred" << true;
        QTest::addRow("subtitle phrase") << "configure hotkey and" << true;
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
        QCOMPARE(result.filename, QStringLiteral("Show Launcher Settings"));
        QVERIFY(result.action == SearchResultAction::openSettings);
        QCOMPARE(result.fullPath(), QStringLiteral("action://openSettings"));
    }
};

QTEST_GUILESS_MAIN(TestLauncherActions)
#include "tst_launcheractions.moc"
