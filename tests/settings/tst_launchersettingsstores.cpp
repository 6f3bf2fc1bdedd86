// The typed settings stores: wrong types load the default, integers are
// clamped into their bounds, unknown themes load as the default theme.

#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <QCborValue>
#include <QTest>

#include <functional>
#include <limits>

using namespace trovi;

class TestLauncherSettingsStores : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void booleansLoadOnlyFromBooleans() {
        InMemoryPreferenceStore defaults;
        const BooleanSettingStore store(defaults, "k");
        for (const QCborValue& wrong : {QCborValue("true"), QCborValue(1), QCborValue(nullptr)}) {
            defaults.setValue("k", wrong);
            QVERIFY(store.load(true) && !store.load(false));
            QVERIFY(!store.storedValue());
        }
        // A toggle replaces whatever was there with a real boolean.
        QCOMPARE(store.toggle(), true);
        QCOMPARE(defaults.value("k"), std::optional(QCborValue(true)));
        QCOMPARE(store.toggle(), false);
    }

    // Each switch loads its own default when unset and tells observers when
    // saved, so the window, the tray menu and `trovi config` agree.
    void switchesLoadTheirDefaultAndAnnounceTheirChange_data() {
        QTest::addColumn<std::function<BooleanSettingStore(PreferenceStore&, NotificationCenter*)>>(
            "make");
        QTest::addColumn<bool>("defaultValue");
        QTest::addColumn<QString>("notification");
        const auto row = [](const char* name, auto make, bool defaultValue, const QString& note) {
            QTest::addRow("%s", name)
                << std::function<BooleanSettingStore(PreferenceStore&, NotificationCenter*)>(make)
                << defaultValue << note;
        };
        namespace names = notifications;
        row(
            "snippets start off",
            [](PreferenceStore& p, NotificationCenter* c) { return ShowSnippetsStore(p, c); },
            false, names::ShowSnippetsChanged);
        row(
            "menu bar icon starts shown",
            [](PreferenceStore& p, NotificationCenter* c) {
                return MenuBarIconVisibilityStore(p, c);
            },
            true, names::LauncherMenuBarIconVisibilityChanged);
        row(
            "snapping starts on",
            [](PreferenceStore& p, NotificationCenter* c) { return WindowSnapSettingsStore(p, c); },
            true, names::LauncherWindowSnapChanged);
        row(
            "native icons start off",
            [](PreferenceStore& p, NotificationCenter* c) {
                return LauncherIconSettingsStore(p, c);
            },
            false, names::LauncherIconSettingsChanged);
    }

    void switchesLoadTheirDefaultAndAnnounceTheirChange() {
        QFETCH(std::function<BooleanSettingStore(PreferenceStore&, NotificationCenter*)>, make);
        QFETCH(bool, defaultValue);
        QFETCH(QString, notification);
        InMemoryPreferenceStore defaults;
        NotificationCenter center;
        int posted = 0;
        const NotificationToken token =
            center.observe(notification, [&posted](const QVariantMap&) { ++posted; });
        QCOMPARE(make(defaults, nullptr).load(), defaultValue);
        // A string where a boolean belongs still loads the default.
        defaults.setString(make(defaults, nullptr).key(), "yes");
        QCOMPARE(make(defaults, nullptr).load(), defaultValue);
        QCOMPARE(make(defaults, &center).toggle(), !defaultValue);
        QCOMPARE(posted, 1);
        make(defaults, nullptr).save(defaultValue);
        QCOMPARE(posted, 1);
    }

    void boundedIntegers_data() {
        QTest::addColumn<bool>("session"); // otherwise the debounce store
        QTest::addColumn<QCborValue>("stored");
        QTest::addColumn<int>("expected");
        QTest::addRow("session 500 clamps to 120") << true << QCborValue(500) << 120;
        QTest::addRow("session missing is 10") << true << QCborValue() << 10;
        QTest::addRow("debounce 5 clamps to 10") << false << QCborValue(5) << 10;
        QTest::addRow("debounce string is 50") << false << QCborValue("fast") << 50;
        QTest::addRow("debounce int64 max clamps to 500")
            << false << QCborValue(std::numeric_limits<qint64>::max()) << 500;
    }

    void boundedIntegers() {
        QFETCH(bool, session);
        QFETCH(QCborValue, stored);
        QFETCH(int, expected);
        InMemoryPreferenceStore defaults;
        SessionPersistenceSettingsStore sessionStore(defaults);
        SearchDebounceSettingsStore debounceStore(defaults);
        const BoundedIntegerSettingStore& store =
            session ? static_cast<BoundedIntegerSettingStore&>(sessionStore) : debounceStore;
        if (!stored.isUndefined())
            defaults.setValue(store.key(), stored);
        QCOMPARE(store.load(), expected);
        // Saving writes the integer as given; loading clamps.
        store.save(900);
        QCOMPARE(defaults.integerValue(store.key()), std::optional<qint64>(900));
        QCOMPARE(store.load(), store.maximum());
    }

    void themes() {
        InMemoryPreferenceStore defaults;
        LauncherThemeStore store(defaults);
        QCOMPARE(store.load(), "graphite");
        for (const QCborValue& stored : {QCborValue("MidnightBlue"), QCborValue(4)}) {
            defaults.setValue("launcherThemeID", stored);
            QCOMPARE(store.load(), "graphite");
        }
        for (const QString& id : launcherThemeIDs()) {
            QVERIFY(store.save(id));
            QCOMPARE(store.load(), id);
        }
        QVERIFY(!store.save("neon"));
        QCOMPARE(store.load(), launcherThemeIDs().back());
    }
};

QTEST_GUILESS_MAIN(TestLauncherSettingsStores)
#include "tst_launchersettingsstores.moc"
