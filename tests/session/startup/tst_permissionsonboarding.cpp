// First-run onboarding: the file-access card reports what the warm-up found
// (in words without consent where none is asked for), the hotkey card says
// how to open the launcher on this desktop, and only an unfinished onboarding
// (or no readable folder) brings it back.

#include "launcher/session/startup/PermissionsOnboarding.h"

#include <QPromise>
#include <QtTest>

using namespace trovi;
using Kind = PermissionWarmupStatus::Kind;
Q_DECLARE_METATYPE(trovi::OnboardingKind)
Q_DECLARE_METATYPE(trovi::HotKeyAdviceInput)

class TestPermissionsOnboarding : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileCardFollowsTheWarmup_data() {
        QTest::addColumn<OnboardingKind>("onboarding");
        QTest::addColumn<int>("folders");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        const auto prompts = OnboardingKind::permissionPrompts;
        const auto firstStart = OnboardingKind::firstStart;
        QTest::addRow("folders found") << prompts << 12 << int(Kind::success)
                                       << "Access check finished. Indexed 12 folders and 3 apps.";
        QTest::addRow("nothing readable")
            << prompts << 0 << int(Kind::warning)
            << "No folders were indexed. Grant Files & Folders access and try again.";
        QTest::addRow("first start counts without asking")
            << firstStart << 12 << int(Kind::success) << "Found 12 folders and 3 apps.";
        QTest::addRow("first start in an empty home")
            << firstStart << 0 << int(Kind::warning)
            << "No folders were found in your home folder. Folders you add later are found as "
               "you search.";
    }
    void fileCardFollowsTheWarmup() {
        QFETCH(OnboardingKind, onboarding);
        QFETCH(int, folders);
        QFETCH(int, kind);
        QFETCH(QString, message);
        QPromise<FileSystemWarmupCounts> warmup;
        PermissionsOnboardingViewModel model([&] { return warmup.future(); },
                                             &browserAccessStatusWithoutTabListing, onboarding);
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

    void hotKeyCardSaysHowToOpenTheLauncher_data() {
        QTest::addColumn<HotKeyAdviceInput>("input");
        QTest::addColumn<QString>("says");
        QTest::addRow("X11, registered")
            << HotKeyAdviceInput{"Ctrl+Space", true, true, {}, false} << "Press Ctrl+Space";
        QTest::addRow("X11, key taken")
            << HotKeyAdviceInput{"Ctrl+Space", true, false, "It is taken.", false}
            << "Ctrl+Space could not be registered: It is taken.";
        QTest::addRow("Wayland") << HotKeyAdviceInput{"Ctrl+Space", true, false, "", true}
                                 << "Run “trovi shortcut install” once";
    }
    void hotKeyCardSaysHowToOpenTheLauncher() {
        QFETCH(HotKeyAdviceInput, input);
        QFETCH(QString, says);
        QVERIFY2(hotKeyAdvice(input).contains(says), qPrintable(hotKeyAdvice(input)));
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
