// The typed settings stores: wrong types load the default, integers are
// clamped into their bounds, unknown themes load as the default theme.

#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/SqlitePreferenceStore.h"

#include <QCborArray>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <memory>

using namespace trovi;

namespace {

std::unique_ptr<BooleanSettingStore> makeBooleanStore(const QString& type,
                                                      PreferenceStore& defaults) {
    if (type == "WindowSnapSettingsStore")
        return std::make_unique<WindowSnapSettingsStore>(defaults);
    if (type == "MenuBarIconVisibilityStore")
        return std::make_unique<MenuBarIconVisibilityStore>(defaults);
    if (type == "VersionVisibilityStore")
        return std::make_unique<VersionVisibilityStore>(defaults);
    if (type == "SearchScoreVisibilityStore")
        return std::make_unique<SearchScoreVisibilityStore>(defaults);
    if (type == "LauncherIconSettingsStore")
        return std::make_unique<LauncherIconSettingsStore>(defaults);
    if (type == "PermissionOnboardingStore")
        return std::make_unique<PermissionOnboardingStore>(defaults);
    if (type == "LaunchAtLoginSettingsStore")
        return std::make_unique<LaunchAtLoginSettingsStore>(defaults);
    return nullptr;
}

std::unique_ptr<BoundedIntegerSettingStore> makeIntegerStore(const QString& type,
                                                             PreferenceStore& defaults) {
    if (type == "session")
        return std::make_unique<SessionPersistenceSettingsStore>(defaults);
    return std::make_unique<SearchDebounceSettingsStore>(defaults);
}

const QList<QPair<QString, QString>> kBooleanStores = {
    {"WindowSnapSettingsStore", "launcherSnapToGrid"},
    {"MenuBarIconVisibilityStore", "launcherShowMenuBarIcon"},
    {"VersionVisibilityStore", "launcherShowVersionNumber"},
    {"SearchScoreVisibilityStore", "launcherShowSearchScores"},
    {"LauncherIconSettingsStore", "launcherUseNativeAppIcons"},
    {"PermissionOnboardingStore", "launcherPermissionsOnboardingCompleted"},
    {"LaunchAtLoginSettingsStore", "launcherRunAtLogin"},
};

} // namespace

class TestLauncherSettingsStores : public QObject {
    Q_OBJECT

    QTemporaryDir m_configHome;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_configHome.isValid());
        // The shared stores must land in a throwaway folder.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome.path()));
    }

    void booleanStores_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QCborValue>("stored"); // undefined: key absent
        QTest::addColumn<bool>("defaultValue");
        QTest::addColumn<bool>("expected");

        const QCborValue absent(QCborSimpleType::Undefined);
        for (const auto& [type, key] : kBooleanStores) {
            auto row = [&](const char* name, const QCborValue& stored, bool def, bool expected) {
                QTest::addRow("%s %s", qPrintable(type), name)
                    << type << key << stored << def << expected;
            };
            row("absent, default on", absent, true, true);
            row("absent, default off", absent, false, false);
            row("true", QCborValue(true), false, true);
            row("false", QCborValue(false), true, false);
            row("string \"true\"", QCborValue(QStringLiteral("true")), false, false);
            row("string \"false\"", QCborValue(QStringLiteral("false")), true, true);
            row("integer 1", QCborValue(1), false, false);
            row("integer 0", QCborValue(0), true, true);
            row("null", QCborValue(nullptr), true, true);
        }
    }

    void booleanStores() {
        QFETCH(QString, type);
        QFETCH(QString, key);
        QFETCH(QCborValue, stored);
        QFETCH(bool, defaultValue);
        QFETCH(bool, expected);

        InMemoryPreferenceStore defaults;
        if (!stored.isUndefined())
            defaults.setValue(key, stored);
        auto store = makeBooleanStore(type, defaults);
        QVERIFY(store);
        QCOMPARE(store->key(), key);
        QCOMPARE(store->load(defaultValue), expected);
        QCOMPARE(store->storedValue().has_value(), stored.isBool());

        // Saving replaces whatever was there with a real boolean.
        store->save(!expected);
        QCOMPARE(defaults.value(key), std::optional<QCborValue>(QCborValue(!expected)));
        QCOMPARE(store->load(defaultValue), !expected);

        // A toggle is read, invert, write.
        QCOMPARE(store->toggle(defaultValue), expected);
        QCOMPARE(store->load(!defaultValue), expected);
    }

    void namedLoadsUseTheirOwnDefault() {
        InMemoryPreferenceStore defaults;
        QVERIFY(WindowSnapSettingsStore(defaults).load(true));
        QVERIFY(MenuBarIconVisibilityStore(defaults).load(true));
        QVERIFY(!LauncherIconSettingsStore(defaults).load(false));
        QVERIFY(!PermissionOnboardingStore(defaults).load(false));
        QVERIFY(!LaunchAtLoginSettingsStore(defaults).storedValue().has_value());
        LaunchAtLoginSettingsStore(defaults).save(false);
        QCOMPARE(LaunchAtLoginSettingsStore(defaults).storedValue(), std::optional<bool>(false));
    }

    void boundedIntegers_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QCborValue>("stored"); // undefined: key absent
        QTest::addColumn<int>("expected");

        const QCborValue absent(QCborSimpleType::Undefined);
        const qint64 huge = std::numeric_limits<qint64>::max();
        const qint64 tiny = std::numeric_limits<qint64>::min();

        QTest::addRow("session 500 clamps to 120") << "session" << QCborValue(500) << 120;
        QTest::addRow("session -3 clamps to 0") << "session" << QCborValue(-3) << 0;
        QTest::addRow("session missing is 10") << "session" << absent << 10;
        QTest::addRow("session 0 stays") << "session" << QCborValue(0) << 0;
        QTest::addRow("session 120 stays") << "session" << QCborValue(120) << 120;
        QTest::addRow("session 45 stays") << "session" << QCborValue(45) << 45;
        QTest::addRow("session int64 max") << "session" << QCborValue(huge) << 120;
        QTest::addRow("session int64 min") << "session" << QCborValue(tiny) << 0;
        QTest::addRow("session string is default") << "session" << QCborValue("60") << 10;
        QTest::addRow("session real is default") << "session" << QCborValue(30.0) << 10;
        QTest::addRow("session bool is default") << "session" << QCborValue(true) << 10;

        QTest::addRow("debounce 5 clamps to 10") << "debounce" << QCborValue(5) << 10;
        QTest::addRow("debounce 900 clamps to 500") << "debounce" << QCborValue(900) << 500;
        QTest::addRow("debounce string is 50") << "debounce" << QCborValue("fast") << 50;
        QTest::addRow("debounce missing is 50") << "debounce" << absent << 50;
        QTest::addRow("debounce 10 stays") << "debounce" << QCborValue(10) << 10;
        QTest::addRow("debounce 500 stays") << "debounce" << QCborValue(500) << 500;
        QTest::addRow("debounce 120 stays") << "debounce" << QCborValue(120) << 120;
        QTest::addRow("debounce int64 max") << "debounce" << QCborValue(huge) << 500;
        QTest::addRow("debounce list is 50") << "debounce" << QCborValue(QCborArray{100}) << 50;
    }

    void boundedIntegers() {
        QFETCH(QString, type);
        QFETCH(QCborValue, stored);
        QFETCH(int, expected);

        InMemoryPreferenceStore defaults;
        auto store = makeIntegerStore(type, defaults);
        if (!stored.isUndefined())
            defaults.setValue(store->key(), stored);
        QCOMPARE(store->load(), expected);
    }

    void integerStoresKeysAndBounds() {
        InMemoryPreferenceStore defaults;
        SessionPersistenceSettingsStore session(defaults);
        QCOMPARE(session.key(), QStringLiteral("launcherSessionPersistenceSeconds"));
        QCOMPARE(session.minimum(), 0);
        QCOMPARE(session.maximum(), 120);
        QCOMPARE(session.defaultValue(), 10);

        SearchDebounceSettingsStore debounce(defaults);
        QCOMPARE(debounce.key(), QStringLiteral("launcherSearchDebounceMilliseconds"));
        QCOMPARE(debounce.minimum(), 10);
        QCOMPARE(debounce.maximum(), 500);
        QCOMPARE(debounce.defaultValue(), 50);

        // Saving writes the integer as given; loading clamps.
        debounce.save(900);
        QCOMPARE(defaults.integerValue(debounce.key()), std::optional<qint64>(900));
        QCOMPARE(debounce.load(), 500);
        debounce.save(80);
        QCOMPARE(debounce.load(), 80);
    }

    void theme_data() {
        QTest::addColumn<QCborValue>("stored"); // undefined: key absent
        QTest::addColumn<QString>("expected");

        QTest::addRow("absent") << QCborValue(QCborSimpleType::Undefined) << "graphite";
        QTest::addRow("known") << QCborValue("midnightBlue") << "midnightBlue";
        QTest::addRow("last of the list") << QCborValue("daylight") << "daylight";
        QTest::addRow("unknown") << QCborValue("solarizedPurple") << "graphite";
        QTest::addRow("wrong case") << QCborValue("MidnightBlue") << "graphite";
        QTest::addRow("empty") << QCborValue("") << "graphite";
        QTest::addRow("integer") << QCborValue(4) << "graphite";
        QTest::addRow("bytes") << QCborValue(QByteArray("forest")) << "graphite";
    }

    void theme() {
        QFETCH(QCborValue, stored);
        QFETCH(QString, expected);

        InMemoryPreferenceStore defaults;
        if (!stored.isUndefined())
            defaults.setValue(QStringLiteral("launcherThemeID"), stored);
        QCOMPARE(LauncherThemeStore(defaults).load(), expected);
    }

    void everyThemeRoundTrips() {
        QCOMPARE(launcherThemeIDs().size(), 12);
        QCOMPARE(launcherThemeIDs().front(), QStringLiteral("graphite"));
        QCOMPARE(defaultLauncherThemeID(), QStringLiteral("graphite"));
        QCOMPARE(QSet<QString>(launcherThemeIDs().begin(), launcherThemeIDs().end()).size(), 12);

        InMemoryPreferenceStore defaults;
        LauncherThemeStore store(defaults);
        QCOMPARE(store.key(), QStringLiteral("launcherThemeID"));
        for (const QString& id : launcherThemeIDs()) {
            QVERIFY(store.save(id));
            QCOMPARE(store.load(), id);
        }
        // An unknown choice is refused and the previous one kept.
        QVERIFY(!store.save(QStringLiteral("neon")));
        QCOMPARE(store.load(), QStringLiteral("daylight"));
    }

    void showSnippetsStartsOffAndToggles() {
        InMemoryPreferenceStore defaults;
        QVERIFY(!showSnippets(defaults));
        QVERIFY(toggleShowSnippets(defaults));
        QCOMPARE(defaults.boolValue(preferenceKeys::showSnippets), std::optional<bool>(true));
        QVERIFY(!toggleShowSnippets(defaults));
        QVERIFY(!showSnippets(defaults));

        defaults.setString(preferenceKeys::showSnippets, QStringLiteral("yes"));
        QVERIFY(!showSnippets(defaults));
        QVERIFY(toggleShowSnippets(defaults));
        setShowSnippets(defaults, false);
        QVERIFY(!showSnippets(defaults));
    }

    void standardStoresShareTheUserFile() {
        auto& snap = WindowSnapSettingsStore::standard();
        QCOMPARE(&snap, &WindowSnapSettingsStore::standard());
        snap.save(false);
        SearchDebounceSettingsStore::standard().save(120);
        LauncherThemeStore::standard().save(QStringLiteral("forest"));

        // A second connection to the user's file sees the values.
        auto reopened = SqlitePreferenceStore::open(SqlitePreferenceStore::defaultPath());
        QVERIFY(reopened);
        QCOMPARE(SqlitePreferenceStore::defaultPath(),
                 m_configHome.filePath(QStringLiteral("trovi-launcher/preferences.sqlite3")));
        QCOMPARE(WindowSnapSettingsStore(*reopened).load(true), false);
        QCOMPARE(SearchDebounceSettingsStore(*reopened).load(), 120);
        QCOMPARE(LauncherThemeStore(*reopened).load(), QStringLiteral("forest"));
        QCOMPARE(SessionPersistenceSettingsStore::standard().load(), 10);
        QCOMPARE(PermissionOnboardingStore::standard().load(false), false);
    }
};

QTEST_GUILESS_MAIN(TestLauncherSettingsStores)
#include "tst_launchersettingsstores.moc"
