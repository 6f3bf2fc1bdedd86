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

namespace {

using MakeSwitch = std::function<BooleanSettingStore(PreferenceStore&, NotificationCenter*)>;

template <typename Store>
void addSwitch(const char* name, bool defaultValue, const QString& notification) {
    QTest::addRow("%s", name) << MakeSwitch([](PreferenceStore& p, NotificationCenter* c) {
        return BooleanSettingStore(Store(p, c));
    }) << defaultValue << notification;
}

} // namespace

class TestLauncherSettingsStores : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each switch loads its own default when unset or not a boolean, and
    // tells observers when toggled, so the window, the tray menu and `trovi
    // config` agree.
    void switchesLoadTheirDefaultAndAnnounceTheirChange_data() {
        QTest::addColumn<MakeSwitch>("make");
        QTest::addColumn<bool>("defaultValue");
        QTest::addColumn<QString>("notification");
        namespace names = notifications;
        addSwitch<ShowSnippetsStore>("snippets start off", false, names::ShowSnippetsChanged);
        addSwitch<MenuBarIconVisibilityStore>("menu bar icon starts shown", true,
                                              names::LauncherMenuBarIconVisibilityChanged);
        addSwitch<WindowSnapSettingsStore>("snapping starts on", true,
                                           names::LauncherWindowSnapChanged);
        addSwitch<LauncherIconSettingsStore>("native icons start off", false,
                                             names::LauncherIconSettingsChanged);
    }

    void switchesLoadTheirDefaultAndAnnounceTheirChange() {
        QFETCH(MakeSwitch, make);
        QFETCH(bool, defaultValue);
        QFETCH(QString, notification);
        InMemoryPreferenceStore defaults;
        NotificationCenter center;
        int posted = 0;
        const NotificationToken token =
            center.observe(notification, [&posted](const QVariantMap&) { ++posted; });
        const BooleanSettingStore quiet = make(defaults, nullptr);
        QCOMPARE(quiet.load(), defaultValue);
        for (const QCborValue& wrong : {QCborValue("true"), QCborValue(1), QCborValue(nullptr)}) {
            defaults.setValue(quiet.key(), wrong);
            QCOMPARE(quiet.load(), defaultValue);
            QVERIFY(!quiet.storedValue());
        }
        // A toggle replaces whatever was there with a real boolean.
        QCOMPARE(make(defaults, &center).toggle(), !defaultValue);
        QCOMPARE(defaults.value(quiet.key()), std::optional(QCborValue(!defaultValue)));
        QCOMPARE(posted, 1);
        quiet.save(defaultValue);
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
