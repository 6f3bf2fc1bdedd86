// First-run onboarding: the file-access card reports what the warm-up found,
// and only an unfinished onboarding (or no readable folder) brings it back.

#include "launcher/session/startup/PermissionsOnboarding.h"

#include <QPromise>
#include <QtTest>

using namespace trovi;
using Kind = PermissionWarmupStatus::Kind;

class TestPermissionsOnboarding : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileCardFollowsTheWarmup_data() {
        QTest::addColumn<int>("folders");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::addRow("folders found")
            << 12 << int(Kind::success) << "Access check finished. Indexed 12 folders and 3 apps.";
        QTest::addRow("nothing readable")
            << 0 << int(Kind::warning)
            << "No folders were indexed. Grant Files & Folders access and try again.";
    }
    void fileCardFollowsTheWarmup() {
        QFETCH(int, folders);
        QFETCH(int, kind);
        QFETCH(QString, message);
        QPromise<FileSystemWarmupCounts> warmup;
        PermissionsOnboardingViewModel model([&] { return warmup.future(); },
                                             &browserAccessStatusWithoutTabListing);
        QCOMPARE(model.fileAccessStatus().message, "Not requested yet.");
        model.requestFileAndFolderAccess();
        QVERIFY(model.isRequestingFileAccess());
        QCOMPARE(model.fileAccessStatus().kind, Kind::running);
        warmup.start();
        warmup.addResult(FileSystemWarmupCounts{3, folders});
        warmup.finish();
        QTRY_VERIFY(!model.isRequestingFileAccess());
        QCOMPARE(int(model.fileAccessStatus().kind), kind);
        QCOMPARE(model.fileAccessStatus().message, message);
    }

    void closingDuringTheWarmupIsHarmless() {
        QPromise<FileSystemWarmupCounts> warmup;
        warmup.start();
        PermissionsOnboardingViewModel([&] { return warmup.future(); },
                                       &browserAccessStatusWithoutTabListing)
            .requestFileAndFolderAccess();
        warmup.addResult(FileSystemWarmupCounts{3, 4});
        warmup.finish();
        QCoreApplication::processEvents();
    }

    void onboardingComesBackOnlyWhenNeeded() {
        QCOMPARE(launchDecision(false), LaunchDecision::showOnboarding);
        QCOMPARE(launchDecision(true), LaunchDecision::showLauncher);
        QVERIFY(!shouldReopenOnboarding(true, {5, 40}));
        QVERIFY(shouldReopenOnboarding(true, {5, 0}));
        QVERIFY(shouldReopenOnboarding(false, {5, 40})); // skipped last time
    }
};

QTEST_GUILESS_MAIN(TestPermissionsOnboarding)
#include "tst_permissionsonboarding.moc"
