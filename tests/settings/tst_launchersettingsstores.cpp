// The typed settings stores: wrong types load the default, integers are
// clamped into their bounds, unknown themes load as the default theme.

#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <QCborValue>
#include <QTest>

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
        QCOMPARE(store.toggle(false), true);
        QCOMPARE(defaults.value("k"), std::optional(QCborValue(true)));
        QCOMPARE(store.toggle(true), false);
        // The snippet switch starts off and follows the same rule.
        QVERIFY(!showSnippets(defaults));
        defaults.setString(preferenceKeys::showSnippets, "yes");
        QVERIFY(!showSnippets(defaults));
        QVERIFY(toggleShowSnippets(defaults));
        QCOMPARE(defaults.boolValue(preferenceKeys::showSnippets), std::optional<bool>(true));
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
