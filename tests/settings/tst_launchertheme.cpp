// Every theme against the palette as designed (fixtures/themes/palette.md, kept
// verbatim and parsed), so a mistyped number in the catalogue fails.

#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/themes/LauncherTheme.h"

#include "tests/support/Files.h"

#include <QRegularExpression>
#include <QtTest>

using namespace trovi;
using namespace trovi::themeColors;
using trovi::test::readFile;

namespace {

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
        for (const QString& line :
             QString::fromUtf8(readFile(TROVI_FIXTURES_DIR "/themes/palette.md")).split(u'\n')) {
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
