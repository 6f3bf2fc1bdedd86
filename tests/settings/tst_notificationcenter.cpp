// Notifications reach their observers on the main thread wherever they were
// posted, and a dropped token means no further calls, even for deliveries
// that were already queued.

#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>

using namespace trovi;
namespace names = trovi::notifications;

class TestNotificationCenter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void postOnMainThreadRunsObserversAtOnce() {
        NotificationCenter center;
        QVariantMap received;
        int calls = 0;
        auto token = center.observe(names::LauncherResultsVisibilityChanged,
                                    [&](const QVariantMap& payload) {
                                        received = payload;
                                        ++calls;
                                    });
        auto other = center.observe(names::WindowHidden, [&](const QVariantMap&) { calls += 100; });

        center.post(names::LauncherResultsVisibilityChanged, {{names::hasResultsKey, true}});
        QCOMPARE(calls, 1);
        QCOMPARE(received.value(names::hasResultsKey), QVariant(true));
    }

    void postFromWorkerRunsOnMainThread() {
        NotificationCenter center;
        std::atomic<int> calls{0};
        QThread* observedOn = nullptr;
        QVariantMap received;
        auto token = center.observe(names::LauncherHotKeyRegistrationStatusChanged,
                                    [&](const QVariantMap& payload) {
                                        observedOn = QThread::currentThread();
                                        received = payload;
                                        ++calls;
                                    });

        std::thread worker([&] {
            center.post(names::LauncherHotKeyRegistrationStatusChanged,
                        {{names::successKey, false}});
        });
        worker.join();
        QCOMPARE(calls.load(), 0); // queued, not run on the worker

        QTRY_COMPARE(calls.load(), 1);
        QCOMPARE(observedOn, QCoreApplication::instance()->thread());
        QCOMPARE(received.value(names::successKey), QVariant(false));
    }

    void manyPostersAllDelivered() {
        NotificationCenter center;
        int calls = 0; // only touched on the main thread
        bool offMainThread = false;
        auto token = center.observe(names::LauncherSearchDataRefreshed, [&](const QVariantMap&) {
            offMainThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
            ++calls;
        });
        std::vector<std::thread> workers;
        for (int t = 0; t < 4; ++t)
            workers.emplace_back([&] {
                for (int i = 0; i < 50; ++i)
                    center.post(names::LauncherSearchDataRefreshed);
            });
        for (auto& worker : workers)
            worker.join();
        QTRY_COMPARE(calls, 200);
        QVERIFY(!offMainThread);
    }

    void droppedTokenStopsQueuedDeliveries() {
        NotificationCenter center;
        int dropped = 0;
        int kept = 0;
        auto droppedToken =
            center.observe(names::LauncherThemeChanged, [&](const QVariantMap&) { ++dropped; });
        auto keptToken =
            center.observe(names::LauncherThemeChanged, [&](const QVariantMap&) { ++kept; });
        QVERIFY(droppedToken.isActive());

        std::thread worker([&] { center.post(names::LauncherThemeChanged); });
        worker.join();
        droppedToken.reset(); // while the delivery is still queued
        QVERIFY(!droppedToken.isActive());

        QTRY_COMPARE(kept, 1);
        QCOMPARE(dropped, 0);

        center.post(names::LauncherThemeChanged);
        QCOMPARE(kept, 2);
        QCOMPARE(dropped, 0);
    }

    void tokenScopeAndMoves() {
        NotificationCenter center;
        int calls = 0;
        NotificationToken outer;
        QVERIFY(!outer.isActive());
        {
            auto inner =
                center.observe(names::WindowAppeared, [&](const QVariantMap&) { ++calls; });
            center.post(names::WindowAppeared);
            QCOMPARE(calls, 1);
            outer = std::move(inner); // the moved-from token must not unregister
        }
        center.post(names::WindowAppeared);
        QCOMPARE(calls, 2);

        NotificationToken moved(std::move(outer));
        QVERIFY(!outer.isActive());
        QVERIFY(moved.isActive());
        moved = NotificationToken(); // assigning over a live token unregisters it
        center.post(names::WindowAppeared);
        QCOMPARE(calls, 2);
    }

    void observerMayDropTokensDuringDelivery() {
        NotificationCenter center;
        NotificationToken first;
        NotificationToken second;
        int firstCalls = 0;
        int secondCalls = 0;
        first = center.observe(names::WindowHidden, [&](const QVariantMap&) {
            ++firstCalls;
            first.reset();  // itself
            second.reset(); // and a later observer of the same post
        });
        second = center.observe(names::WindowHidden, [&](const QVariantMap&) { ++secondCalls; });

        center.post(names::WindowHidden);
        center.post(names::WindowHidden);
        QCOMPARE(firstCalls, 1);
        QCOMPARE(secondCalls, 0);
    }

    void observerMayPostAndObserve() {
        NotificationCenter center;
        QStringList order;
        NotificationToken late;
        auto relay = center.observe(names::LauncherHotKeyChanged, [&](const QVariantMap&) {
            order << "hotkey";
            late = center.observe(names::LauncherWindowSnapChanged,
                                  [&](const QVariantMap&) { order << "snap"; });
            center.post(names::LauncherWindowSnapChanged);
        });
        center.post(names::LauncherHotKeyChanged);
        QCOMPARE(order, (QStringList{"hotkey", "snap"}));
    }

    void centreDestroyedBeforeQueuedDelivery() {
        int calls = 0;
        NotificationToken token;
        {
            NotificationCenter center;
            token =
                center.observe(names::NotionSettingsChanged, [&](const QVariantMap&) { ++calls; });
            std::thread worker([&] { center.post(names::NotionSettingsChanged); });
            worker.join();
        }
        QCoreApplication::processEvents();
        QCOMPARE(calls, 0);
        QVERIFY(!token.isActive());
        token.reset(); // harmless after the centre is gone
    }

    void defaultCenterIsShared() {
        QCOMPARE(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
        int calls = 0;
        auto token = NotificationCenter::defaultCenter().observe(
            names::ShowSnippetsChanged, [&](const QVariantMap&) { ++calls; });
        NotificationCenter::defaultCenter().post(names::ShowSnippetsChanged);
        QCOMPARE(calls, 1);
    }

    void namesAreTheDocumentedStrings() {
        const QStringList all = {names::LauncherThemeChanged,
                                 names::LauncherIconSettingsChanged,
                                 names::LauncherWindowSnapChanged,
                                 names::LauncherMenuBarIconVisibilityChanged,
                                 names::LauncherVersionVisibilityChanged,
                                 names::LauncherScoreVisibilityChanged,
                                 names::ShowSnippetsChanged,
                                 names::LauncherSearchDebounceChanged,
                                 names::LauncherSessionPersistenceChanged,
                                 names::LauncherRankingSettingsChanged,
                                 names::LauncherHotKeyChanged,
                                 names::LauncherHotKeyRegistrationStatusChanged,
                                 names::LauncherSearchDataRefreshed,
                                 names::LauncherResultsVisibilityChanged,
                                 names::WindowAppeared,
                                 names::WindowHidden,
                                 names::NotionSettingsChanged};
        QCOMPARE(QSet<QString>(all.begin(), all.end()).size(), all.size());
        QCOMPARE(names::LauncherScoreVisibilityChanged,
                 QStringLiteral("LauncherScoreVisibilityChanged"));
        QCOMPARE(names::ShowSnippetsChanged, QStringLiteral("ShowSnippetsChanged"));
    }
};

QTEST_GUILESS_MAIN(TestNotificationCenter)
#include "tst_notificationcenter.moc"
