// The theme catalogue against what the rest of the launcher relies on: the
// settings offer exactly its themes, and only the syntax theme colours rows by
// kind. Readability and painting are checked on the real window.

#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/themes/LauncherTheme.h"

#include <QtTest>

using namespace trovi;

class LauncherThemeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void catalogueMatchesTheStorableThemes() {
        QStringList listed;
        for (const LauncherTheme& theme : LauncherThemeCatalog::all()) {
            listed.append(rawValue(theme.id));
            QCOMPARE(launcherThemeIDFromRawValue(listed.last()), theme.id);
        }
        QCOMPARE(listed, launcherThemeIDs());
    }

    void onlyTheSyntaxThemeColoursByKind() {
        for (const LauncherTheme& theme : LauncherThemeCatalog::all())
            for (bool selected : {false, true}) {
                const ThemeColor file = theme.primaryTextColor(ThemedResultKind::file, selected);
                const bool byKind = theme.primaryTextColor(ThemedResultKind::app, selected) != file;
                QCOMPARE(byKind, theme.id == LauncherThemeID::vitesseDarkSoft);
            }
    }
};

QTEST_GUILESS_MAIN(LauncherThemeTest)
#include "tst_launchertheme.moc"
