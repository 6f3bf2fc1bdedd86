// Every theme against the palette as designed: the designer's tables are
// kept below verbatim and parsed, so a mistyped number in the catalogue fails.

#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/tools/themes/LauncherTheme.h"

#include <QRegularExpression>
#include <QtTest>

using namespace trovi;
using namespace trovi::themeColors;

namespace {

const char* const kDesignedPalette = R"palette(
| graphite | "Graphite" | "Clean neutral dark theme similar to the current default." | rgb(0.21, 0.21, 0.22) to rgb(0.15, 0.15, 0.16) | top to bottom |
| vitesseDarkSoft | "Vitesse Dark Soft (Syntax)" | "Vitesse with syntax-inspired per-result accents (yellow/rose/green)." | rgb(0.13, 0.13, 0.13) to rgb(0.16, 0.16, 0.16) | top to bottom |
| vitesseDarkSoftUnified | "Vitesse Dark Soft (Unified)" | "Vitesse dark soft with a consistent warm text style and subtle accents." | rgb(0.14, 0.14, 0.14) to rgb(0.12, 0.12, 0.12) | top to bottom |
| vitesseDarkSoftRoseHover | "Vitesse Dark Soft (Rose Hover)" | "Alternative hover style with a rose-tinted focus/hover emphasis." | rgb(0.14, 0.14, 0.14) to rgb(0.12, 0.12, 0.12) | top to bottom |
| midnightBlue | "Midnight Blue" | "Deep navy shell with bright azure selection accents." | rgb(0.08, 0.11, 0.18) to rgb(0.04, 0.06, 0.10) | top-leading to bottom-trailing |
| forest | "Forest" | "Dark emerald palette inspired by green developer dashboards." | rgb(0.07, 0.14, 0.11) to rgb(0.03, 0.08, 0.06) | top-leading to bottom-trailing |
| violetNoir | "Violet Noir" | "Low-key violet base with crisp luminous purple highlights." | rgb(0.12, 0.08, 0.16) to rgb(0.07, 0.05, 0.10) | top-leading to bottom-trailing |
| sunset | "Sunset" | "Warm orange-red contrast for a bold launcher look." | rgb(0.20, 0.10, 0.06) to rgb(0.11, 0.06, 0.04) | top-leading to bottom |
| roseDust | "Rose Dust" | "Muted rose and slate tones with soft but clear selection states." | rgb(0.19, 0.12, 0.15) to rgb(0.10, 0.07, 0.09) | top-leading to bottom-trailing |
| frost | "Frost" | "Cool blue-green glass look inspired by classic launcher skins." | rgb(0.07, 0.13, 0.18) to rgb(0.05, 0.09, 0.13) | top-leading to bottom-trailing |
| ember | "Ember" | "Warm dark style with amber accents and high contrast selection." | rgb(0.19, 0.10, 0.08) to rgb(0.09, 0.06, 0.05) | top-leading to bottom |
| daylight | "Daylight" | "Bright neutral theme for users who prefer a lighter window style." | rgb(0.96, 0.97, 0.98) to rgb(0.92, 0.94, 0.96) | top to bottom |
| field | graphite | vitesseDarkSoft | vitesseDarkSoftUnified | vitesseDarkSoftRoseHover |
| `searchBarBackground` | rgb(0.19, 0.19, 0.20) | rgb(0.16, 0.16, 0.16) | rgb(0.17, 0.17, 0.17) | rgb(0.17, 0.17, 0.17) |
| `divider` | white at 0.12 | rgb(0.15, 0.15, 0.15) | rgb(0.20, 0.20, 0.20) | rgb(0.20, 0.20, 0.20) |
| `border` | white at 0.10 | rgb(0.18, 0.18, 0.18) | rgb(0.22, 0.22, 0.22) | rgb(0.22, 0.22, 0.22) |
| `selectedRowBackground` | rgb(0.11, 0.49, 0.91) | rgb(0.18, 0.18, 0.18) | rgb(0.18, 0.19, 0.20) | rgb(0.23, 0.17, 0.17) |
| `hoverRowBackground` | rgb(0.11, 0.49, 0.91) at 0.18 | rgb(0.16, 0.16, 0.16) | rgb(0.16, 0.17, 0.18) | rgb(0.20, 0.16, 0.16) |
| `selectedPrimaryText` | white | rgb(0.86, 0.84, 0.79) | rgb(0.90, 0.86, 0.77) | rgb(0.90, 0.86, 0.79) |
| `selectedSecondaryText` | white at 0.82 | rgb(0.75, 0.73, 0.67) | rgb(0.79, 0.67, 0.57) | rgb(0.79, 0.67, 0.57) |
| `selectedIndicator` | white at 0.65 | rgb(0.90, 0.80, 0.47) | rgb(0.72, 0.65, 0.40) | rgb(0.79, 0.54, 0.49) |
| `snippetHighlight` | yellow at 0.32 | rgb(0.90, 0.80, 0.47) at 0.26 | rgb(0.79, 0.54, 0.49) at 0.26 | rgb(0.79, 0.54, 0.49) at 0.30 |
| `snippetHighlightSelected` | white at 0.35 | rgb(0.90, 0.80, 0.47) at 0.40 | rgb(0.79, 0.54, 0.49) at 0.40 | rgb(0.79, 0.54, 0.49) at 0.45 |
| `listBackground` | clear | rgb(0.13, 0.13, 0.13) at 0.92 | rgb(0.13, 0.13, 0.13) at 0.92 | rgb(0.13, 0.13, 0.13) at 0.92 |
| `rowBaseBackground` | clear | rgb(0.13, 0.13, 0.13) at 0.88 | rgb(0.14, 0.14, 0.14) at 0.88 | rgb(0.14, 0.14, 0.14) at 0.88 |
| `uiAccent` | rgb(0.11, 0.49, 0.91) | rgb(0.30, 0.58, 0.46) | rgb(0.31, 0.58, 0.45) | rgb(0.79, 0.54, 0.49) |
| `selectedRowStroke` | clear | rgb(0.90, 0.80, 0.47) at 0.38 | rgb(0.72, 0.65, 0.40) at 0.38 | rgb(0.79, 0.54, 0.49) at 0.45 |
| `hoverRowStroke` | clear | rgb(0.79, 0.57, 0.46) at 0.22 | rgb(0.31, 0.58, 0.45) at 0.24 | rgb(0.79, 0.54, 0.49) at 0.28 |
| `unselectedPrimaryText` | primary | rgb(0.86, 0.84, 0.79) | rgb(0.84, 0.81, 0.73) | rgb(0.84, 0.81, 0.73) |
| `unselectedSecondaryText` | secondary | rgb(0.75, 0.73, 0.67) | rgb(0.72, 0.66, 0.57) | rgb(0.72, 0.66, 0.57) |
| `actionIconColor` | secondary | rgb(0.30, 0.58, 0.46) | rgb(0.72, 0.65, 0.40) | rgb(0.79, 0.54, 0.49) |
| field | midnightBlue | forest | violetNoir | sunset |
| `searchBarBackground` | rgb(0.07, 0.14, 0.23) at 0.92 | rgb(0.08, 0.18, 0.13) at 0.92 | rgb(0.15, 0.10, 0.20) at 0.92 | rgb(0.24, 0.12, 0.08) at 0.92 |
| `divider` | rgb(0.34, 0.58, 0.99) at 0.26 | rgb(0.28, 0.79, 0.52) at 0.22 | rgb(0.71, 0.52, 0.95) at 0.22 | rgb(1.00, 0.58, 0.31) at 0.24 |
| `border` | rgb(0.34, 0.58, 0.99) at 0.24 | rgb(0.28, 0.79, 0.52) at 0.24 | rgb(0.71, 0.52, 0.95) at 0.24 | rgb(1.00, 0.58, 0.31) at 0.26 |
| `selectedRowBackground` | rgb(0.18, 0.44, 0.96) | rgb(0.18, 0.68, 0.43) | rgb(0.56, 0.36, 0.90) | rgb(0.95, 0.42, 0.18) |
| `hoverRowBackground` | rgb(0.18, 0.44, 0.96) at 0.22 | rgb(0.18, 0.68, 0.43) at 0.22 | rgb(0.56, 0.36, 0.90) at 0.22 | rgb(0.95, 0.42, 0.18) at 0.22 |
| `selectedPrimaryText` | white | white | white | white |
| `selectedSecondaryText` | white at 0.86 | white at 0.86 | white at 0.86 | white at 0.86 |
| `selectedIndicator` | white at 0.74 | white at 0.74 | white at 0.74 | white at 0.74 |
| `snippetHighlight` | rgb(0.36, 0.59, 0.99) at 0.30 | rgb(0.41, 0.89, 0.66) at 0.30 | rgb(0.76, 0.60, 0.98) at 0.30 | rgb(1.00, 0.69, 0.35) at 0.30 |
| `snippetHighlightSelected` | white at 0.38 | white at 0.40 | white at 0.38 | white at 0.38 |
| `listBackground` | clear | clear | clear | clear |
| `rowBaseBackground` | clear | clear | clear | clear |
| `uiAccent` | rgb(0.18, 0.44, 0.96) | rgb(0.18, 0.68, 0.43) | rgb(0.56, 0.36, 0.90) | rgb(0.95, 0.42, 0.18) |
| `selectedRowStroke` | clear | clear | clear | clear |
| `hoverRowStroke` | clear | clear | clear | clear |
| `unselectedPrimaryText` | primary | primary | primary | primary |
| `unselectedSecondaryText` | secondary | secondary | secondary | secondary |
| `actionIconColor` | secondary | secondary | secondary | secondary |
| field | roseDust | frost | ember | daylight |
| `searchBarBackground` | rgb(0.22, 0.13, 0.17) at 0.92 | rgb(0.08, 0.17, 0.22) at 0.92 | rgb(0.23, 0.12, 0.09) at 0.90 | white at 0.98 |
| `divider` | rgb(0.95, 0.47, 0.62) at 0.20 | rgb(0.40, 0.73, 0.77) at 0.24 | rgb(1.00, 0.60, 0.29) at 0.20 | black at 0.12 |
| `border` | rgb(0.95, 0.47, 0.62) at 0.22 | rgb(0.40, 0.73, 0.77) at 0.22 | rgb(1.00, 0.60, 0.29) at 0.22 | black at 0.14 |
| `selectedRowBackground` | rgb(0.82, 0.38, 0.57) | rgb(0.24, 0.66, 0.71) | rgb(0.93, 0.43, 0.22) | rgb(0.84, 0.90, 0.96) |
| `hoverRowBackground` | rgb(0.82, 0.38, 0.57) at 0.20 | rgb(0.24, 0.66, 0.71) at 0.20 | rgb(0.93, 0.43, 0.22) at 0.18 | rgb(0.89, 0.93, 0.97) |
| `selectedPrimaryText` | white | white | white | rgb(0.12, 0.14, 0.16) |
| `selectedSecondaryText` | white at 0.86 | white at 0.86 | white at 0.86 | rgb(0.31, 0.35, 0.41) |
| `selectedIndicator` | white at 0.74 | white at 0.74 | white at 0.74 | rgb(0.20, 0.52, 0.93) |
| `snippetHighlight` | rgb(0.97, 0.64, 0.76) at 0.30 | rgb(0.38, 0.86, 0.90) at 0.28 | rgb(1.00, 0.72, 0.33) at 0.32 | rgb(0.95, 0.84, 0.45) at 0.36 |
| `snippetHighlightSelected` | white at 0.40 | white at 0.40 | white at 0.38 | rgb(0.95, 0.84, 0.45) at 0.48 |
| `listBackground` | clear | clear | clear | white at 0.97 |
| `rowBaseBackground` | clear | clear | clear | white at 0.92 |
| `uiAccent` | rgb(0.82, 0.38, 0.57) | rgb(0.24, 0.66, 0.71) | rgb(0.93, 0.43, 0.22) | rgb(0.24, 0.48, 0.42) |
| `selectedRowStroke` | clear | clear | clear | rgb(0.24, 0.48, 0.42) at 0.28 |
| `hoverRowStroke` | clear | clear | clear | black at 0.08 |
| `unselectedPrimaryText` | primary | primary | primary | rgb(0.12, 0.14, 0.16) |
| `unselectedSecondaryText` | secondary | secondary | secondary | rgb(0.35, 0.39, 0.45) |
| `actionIconColor` | secondary | secondary | secondary | rgb(0.24, 0.48, 0.42) |
)palette";

ThemeColor parsedColor(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:rgb\(([\d.]+), ([\d.]+), ([\d.]+)\)|(\w+))(?: at ([\d.]+))?$)"));
    const auto m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return {ThemeColor::Kind::rgb, -1, -1, -1, -1};
    const QHash<QString, ThemeColor> named{{"white", white},     {"black", black},
                                           {"clear", clear},     {"yellow", yellow},
                                           {"primary", primary}, {"secondary", secondary}};
    ThemeColor color =
        m.captured(4).isEmpty()
            ? rgb(m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble())
            : named.value(m.captured(4), {ThemeColor::Kind::rgb, -1, -1, -1, -1});
    return m.captured(5).isEmpty() ? color : color.at(m.captured(5).toDouble());
}

QStringList cells(const QString& line) {
    QStringList parts = line.split(u'|');
    parts = parts.mid(1, parts.size() - 2);
    for (QString& part : parts)
        part = part.trimmed();
    return parts;
}

using Field = ThemeColor LauncherTheme::*;
const QHash<QString, Field> kFields{
    {"searchBarBackground", &LauncherTheme::searchBarBackground},
    {"divider", &LauncherTheme::divider},
    {"border", &LauncherTheme::border},
    {"selectedRowBackground", &LauncherTheme::selectedRowBackground},
    {"hoverRowBackground", &LauncherTheme::hoverRowBackground},
    {"selectedPrimaryText", &LauncherTheme::selectedPrimaryText},
    {"selectedSecondaryText", &LauncherTheme::selectedSecondaryText},
    {"selectedIndicator", &LauncherTheme::selectedIndicator},
    {"snippetHighlight", &LauncherTheme::snippetHighlight},
    {"snippetHighlightSelected", &LauncherTheme::snippetHighlightSelected},
    {"listBackground", &LauncherTheme::listBackground},
    {"rowBaseBackground", &LauncherTheme::rowBaseBackground},
    {"uiAccent", &LauncherTheme::uiAccent},
    {"selectedRowStroke", &LauncherTheme::selectedRowStroke},
    {"hoverRowStroke", &LauncherTheme::hoverRowStroke},
    {"unselectedPrimaryText", &LauncherTheme::unselectedPrimaryText},
    {"unselectedSecondaryText", &LauncherTheme::unselectedSecondaryText},
    {"actionIconColor", &LauncherTheme::actionIconColor},
};

} // namespace

class LauncherThemeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void catalogueMatchesTheDesignedPalette() {
        const QHash<QString, std::pair<UnitPoint, UnitPoint>> directions{
            {"top to bottom", {{0.5, 0}, {0.5, 1}}},
            {"top-leading to bottom-trailing", {{0, 0}, {1, 1}}},
            {"top-leading to bottom", {{0, 0}, {0.5, 1}}}};
        QStringList columns;
        QStringList catalogueOrder;
        int checkedColours = 0;
        for (const QString& line : QString::fromUtf8(kDesignedPalette).split(u'\n')) {
            const QStringList c = cells(line);
            if (c.isEmpty())
                continue;
            if (c[0] == QStringLiteral("field")) {
                columns = c.mid(1);
            } else if (c[0].startsWith(u'`')) {
                const Field field = kFields.value(c[0].mid(1, c[0].size() - 2));
                QVERIFY2(field, qPrintable(c[0]));
                for (qsizetype i = 0; i < columns.size(); ++i) {
                    const auto id = launcherThemeIDFromRawValue(columns[i]);
                    QVERIFY(id);
                    QVERIFY2(LauncherThemeCatalog::theme(*id).*field == parsedColor(c[i + 1]),
                             qPrintable(columns[i] + u' ' + c[0]));
                    ++checkedColours;
                }
            } else {
                const auto id = launcherThemeIDFromRawValue(c[0]);
                QVERIFY2(id, qPrintable(c[0]));
                catalogueOrder.append(c[0]);
                const LauncherTheme& theme = LauncherThemeCatalog::theme(*id);
                QCOMPARE(QString(u'"' + theme.name + u'"'), c[1]);
                QCOMPARE(QString(u'"' + theme.blurb + u'"'), c[2]);
                const QStringList stops = c[3].split(QStringLiteral(" to "));
                const auto direction = directions.value(c[4]);
                QCOMPARE(theme.backgroundGradient,
                         (ThemeGradient{parsedColor(stops[0]), parsedColor(stops[1]),
                                        direction.first, direction.second}));
            }
        }
        QCOMPARE(checkedColours, 12 * 18);
        QStringList listed;
        for (const LauncherTheme& theme : LauncherThemeCatalog::all())
            listed.append(rawValue(theme.id));
        QCOMPARE(listed, catalogueOrder);
        // The preference store lists the same identifiers, in the same order.
        QCOMPARE(listed, launcherThemeIDs());
    }

    void storedChoiceFallsBackToGraphite() {
        InMemoryPreferenceStore preferences;
        const LauncherThemeStore store(preferences);
        QCOMPARE(LauncherThemeCatalog::theme(store).id, LauncherThemeID::graphite);
        preferences.setString(store.key(), QStringLiteral("removedTheme"));
        QCOMPARE(LauncherThemeCatalog::theme(store).id, LauncherThemeID::graphite);
        QVERIFY(store.save(QStringLiteral("midnightBlue")));
        QCOMPARE(LauncherThemeCatalog::theme(store).id, LauncherThemeID::midnightBlue);
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
