// Notifications reach their observers on the main thread wherever they were
// posted, and a dropped token means no further calls, even for deliveries
// that were already queued.

#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <thread>

using namespace trovi;
namespace names = trovi::notifications;

class TestNotificationCenter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void postsFromWorkersRunOnMainThread() {
        NotificationCenter center;
        QList<QVariantMap> received; // only ever touched on the main thread, or the check fails
        bool offMainThread = false;
        auto token = center.observe(
            names::LauncherHotKeyRegistrationStatusChanged, [&](const QVariantMap& payload) {
                offMainThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
                received.append(payload);
            });
        std::vector<std::thread> workers;
        for (int t = 0; t < 4; ++t)
            workers.emplace_back([&] {
                for (int i = 0; i < 25; ++i)
                    center.post(names::LauncherHotKeyRegistrationStatusChanged,
                                {{names::successKey, false}});
            });
        for (auto& worker : workers)
            worker.join();
        QVERIFY(received.isEmpty()); // queued, not run on the workers
        // Posted on the main thread: only matching observers, at once.
        center.post(names::WindowHidden, {});
        QVERIFY(received.isEmpty());

        QTRY_COMPARE(received.size(), 100);
        QVERIFY(!offMainThread);
        QCOMPARE(received.last(), (QVariantMap{{names::successKey, false}}));
        center.post(names::LauncherHotKeyRegistrationStatusChanged, {{names::successKey, true}});
        QCOMPARE(received.last(), (QVariantMap{{names::successKey, true}}));
    }

    void droppedTokenStopsQueuedDeliveries() {
        NotificationCenter center;
        int dropped = 0;
        int kept = 0;
        auto droppedToken =
            center.observe(names::LauncherThemeChanged, [&](const QVariantMap&) { ++dropped; });
        NotificationToken keptToken;
        {
            auto inner =
                center.observe(names::LauncherThemeChanged, [&](const QVariantMap&) { ++kept; });
            keptToken = std::move(inner); // the moved-from token must not unregister
        }

        std::thread worker([&] { center.post(names::LauncherThemeChanged); });
        worker.join();
        droppedToken.reset(); // while the delivery is still queued
        QVERIFY(!droppedToken.isActive());

        QTRY_COMPARE(kept, 1);
        center.post(names::LauncherThemeChanged);
        QCOMPARE(kept, 2);
        QCOMPARE(dropped, 0);
        keptToken = NotificationToken(); // assigning over a live token unregisters it
        center.post(names::LauncherThemeChanged);
        QCOMPARE(kept, 2);
    }

    void observersMayChangeRegistrationsDuringDelivery() {
        NotificationCenter center;
        NotificationToken first;
        NotificationToken second;
        NotificationToken late;
        QStringList order;
        first = center.observe(names::WindowHidden, [&](const QVariantMap&) {
            order << "first";
            first.reset();  // itself
            second.reset(); // and a later observer of the same post
            late = center.observe(names::LauncherWindowSnapChanged,
                                  [&](const QVariantMap&) { order << "late"; });
            center.post(names::LauncherWindowSnapChanged);
        });
        second =
            center.observe(names::WindowHidden, [&](const QVariantMap&) { order << "second"; });

        center.post(names::WindowHidden);
        center.post(names::WindowHidden);
        QCOMPARE(order, (QStringList{"first", "late"}));
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
};

QTEST_GUILESS_MAIN(TestNotificationCenter)
#include "tst_notificationcenter.moc"
