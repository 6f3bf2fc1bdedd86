// The theme catalogue as the settings list and the result rows use it.

#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/tools/themes/LauncherTheme.h"

#include <QtTest>

using namespace trovi;
using namespace trovi::themeColors;

class LauncherThemeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void catalogueListsEveryStoredThemeOnceInOrder() {
        QStringList listed;
        QSet<QString> names;
        for (const LauncherTheme& theme : LauncherThemeCatalog::all()) {
            listed.append(rawValue(theme.id));
            names.insert(theme.name);
        }
        QCOMPARE(listed, launcherThemeIDs());
        QCOMPARE(names.size(), listed.size());
    }

    void kindColouring_data() {
        QTest::addColumn<LauncherThemeID>("theme");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<ThemeColor>("title");
        QTest::addColumn<ThemeColor>("subtitle");
        QTest::addColumn<ThemeColor>("icon");
        const auto soft = LauncherThemeID::vitesseDarkSoft;
        const auto unified = LauncherThemeID::vitesseDarkSoftUnified;
        const auto file = int(ThemedResultKind::file), app = int(ThemedResultKind::app);
        const auto folder = int(ThemedResultKind::folder), action = int(ThemedResultKind::action);
        QTest::addRow("syntax: app is yellow") << soft << app << false << rgb(0.90, 0.80, 0.47)
                                               << rgb(0.79, 0.57, 0.46) << rgb(0.90, 0.80, 0.47);
        QTest::addRow("syntax: file is ordinary") << soft << file << false << rgb(0.86, 0.84, 0.79)
                                                  << rgb(0.75, 0.73, 0.67) << rgb(0.30, 0.58, 0.46);
        QTest::addRow("syntax: folder") << soft << folder << false << rgb(0.83, 0.59, 0.42)
                                        << rgb(0.79, 0.57, 0.46) << rgb(0.30, 0.58, 0.46);
        QTest::addRow("syntax: selected action") << soft << action << true << rgb(0.88, 0.52, 0.52)
                                                 << rgb(0.80, 0.62, 0.52) << rgb(0.88, 0.52, 0.52);
        QTest::addRow("syntax: selected file") << soft << file << true << rgb(0.88, 0.84, 0.77)
                                               << rgb(0.80, 0.62, 0.52) << rgb(0.84, 0.79, 0.70);
        QTest::addRow("unified: unselected app is ordinary")
            << unified << app << false << rgb(0.84, 0.81, 0.73) << rgb(0.72, 0.66, 0.57)
            << rgb(0.72, 0.65, 0.40);
        QTest::addRow("rose hover: selected is warm")
            << LauncherThemeID::vitesseDarkSoftRoseHover << folder << true << rgb(0.90, 0.86, 0.79)
            << rgb(0.79, 0.67, 0.57) << rgb(0.72, 0.65, 0.40);
        QTest::addRow("graphite: selected")
            << LauncherThemeID::graphite << app << true << white << white.at(0.82) << white;
        QTest::addRow("daylight: unselected")
            << LauncherThemeID::daylight << action << false << rgb(0.12, 0.14, 0.16)
            << rgb(0.35, 0.39, 0.45) << rgb(0.24, 0.48, 0.42);
    }

    void kindColouring() {
        QFETCH(LauncherThemeID, theme);
        QFETCH(int, kind);
        QFETCH(bool, selected);
        QFETCH(ThemeColor, title);
        QFETCH(ThemeColor, subtitle);
        QFETCH(ThemeColor, icon);
        const LauncherTheme& t = LauncherThemeCatalog::theme(theme);
        const ThemedResultKind k = ThemedResultKind(kind);
        QVERIFY(t.primaryTextColor(k, selected) == title);
        QVERIFY(t.secondaryTextColor(k, selected) == subtitle);
        QVERIFY(t.iconTintColor(k, selected) == icon);
    }
};

QTEST_GUILESS_MAIN(LauncherThemeTest)
#include "tst_launchertheme.moc"
