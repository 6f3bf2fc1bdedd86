#include "launcher/engine/sources/settingspanes/SettingsPanels.h"
#include "launcher/engine/sources/settingspanes/SystemSettingsPanes.h"
#include "tests/support/Results.h"

#include <QTest>

using namespace trovi;

namespace {

const QString kPrefix = QStringLiteral("x-apple.systempreferences:");

SystemSettingsShortcut discovered(const QString& title, const QString& identifier) {
    return {title, systemSettingsSubtitle(), kPrefix + identifier, std::nullopt,
            systemSettingsKeywords(title, identifier)};
}

// The panes a Mac would offer after a scan: seeds plus a few discovered ones.
QList<SystemSettingsShortcut> scannedPanes() {
    return mergeSystemSettingsShortcuts(
        systemSettingsSeedShortcuts(),
        {discovered(QStringLiteral("Wi-Fi"), QStringLiteral("com.apple.wifi-settings-extension")),
         discovered(QStringLiteral("Battery"),
                    QStringLiteral("com.apple.battery-settings.extension")),
         discovered(QStringLiteral("Sound Thing"),
                    QStringLiteral("com.apple.Sound-Settings.extension"))});
}

} // namespace

class TestSystemSettingsPanes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void titleCleanup_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("title");
        const auto row = [](const char* name, const char* raw, const char* title) {
            QTest::newRow(name) << QString(raw) << QString(title);
        };
        row("run-together words split", "SoftwareUpdate", "Software Update");
        row("settings extension suffix", " Displays Settings Extension\n", "Displays");
        row("intents suffix", "Siri Settings Intents Extension", "Siri");
        row("suffixes in order, each once", "Foo Intents Extension Settings",
            "Foo Intents Extension");
        row("runs of blanks", "Touch  ID\t&  Password", "Touch ID & Password");
    }
    void titleCleanup() {
        QFETCH(QString, raw);
        QFETCH(QString, title);
        QCOMPARE(cleanupSystemSettingsTitle(raw), title);
    }

    void keywordsAndMerge() {
        const QStringList keywords =
            systemSettingsKeywords("Wi-Fi", "com.apple.wifi-settings-extension");
        for (const char* k : {"wi-fi", "wifi", "wireless", "wlan", "com", "apple", "extension"})
            QVERIFY2(keywords.contains(k), k);
        QCOMPARE(keywords.count("wifi"), 1);
        QVERIFY(!systemSettingsKeywords("X", "a.b-c").contains("a"));

        // The seed wins over the discovered pane with its address in another case.
        const auto panes = scannedPanes();
        QCOMPARE(panes.size(), 8);
        QCOMPARE(panes.first().title, "Battery");
    }

    void search_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("wlan finds Wi-Fi by its group") << "wlan" << QStringList{"Wi-Fi"};
        QTest::addRow("a prefix beats containment") << "so" << QStringList{"Sound"};
        QTest::addRow("query containing terms scores them all")
            << "sound settings" << QStringList{"Battery", "Sound", "Wi-Fi"};
        QTest::addRow("german seed keyword") << "hintergrund" << QStringList{"Wallpaper"};
        QTest::addRow("equal terms tie, then by title")
            << "screen" << QStringList{"Displays", "Screen Time"};
    }
    void search() {
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        QCOMPARE(test::names(searchSystemSettingsActionResults(query, scannedPanes(), {})),
                 expected);
    }

    void searchCutsToTenAndLearns() {
        QList<SystemSettingsShortcut> many;
        for (int i = 0; i < 12; ++i)
            many << discovered(QStringLiteral("Pane %1").arg(QChar(u'L' - i)),
                               QStringLiteral("com.apple.p%1-settings.extension").arg(i));
        const auto results = searchSystemSettingsActionResults(
            "apple", many, [](const SearchResult& r) { return r.filename == "Pane J" ? 7 : 0; });
        QCOMPARE(results.size(), 10);
        QCOMPARE(results.first().filename, "Pane A"); // by title, then cut
        QCOMPARE(results.last().openCount, 7);
        const SearchResult& row = results.first();
        QCOMPARE(row.directory, "System Settings");
        QVERIFY(row.action == SearchResultAction::openSystemSettings);
        QCOMPARE(row.id, stableNegativeID("action://system-settings/" + *row.actionURLString));
    }

    void linuxPanelsBorrowSeedKeywords_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("title");
        QTest::addRow("seed keyword for GNOME sound") << QString("lautsprecher") << "Klang";
        QTest::addRow("seed keyword for the background panel")
            << QString("hintergrund") << "Background";
        QTest::addRow("entry keywords") << QString("proxy") << "Network";
        QTest::addRow("groups from the English name") << QString("wlan") << "Drahtlos";
    }
    void linuxPanelsBorrowSeedKeywords() {
        QFETCH(QString, query);
        QFETCH(QString, title);
        const auto panel = [](const QString& id, const QString& name, const QString& english,
                              const QStringList& keywords = {}) {
            const QString file = "gnome-" + id + "-panel.desktop";
            return SettingsPanelEntry{"/a/" + file, file, id, name, english, keywords};
        };
        const auto panes = mergeSystemSettingsShortcuts(
            {}, settingsPanelShortcuts({panel("sound", "Klang", "Sound"),
                                        panel("background", "Background", "Background"),
                                        panel("network", "Network", "Network", {"Proxy", "IP"}),
                                        panel("wifi", "Drahtlos", "Wi-Fi")}));
        const auto results = searchSystemSettingsActionResults(query, panes, {});
        QVERIFY(!results.isEmpty());
        QCOMPARE(results.first().filename, title);
        QVERIFY(results.first().actionURLString->startsWith("file:///a/"));
    }
};

QTEST_GUILESS_MAIN(TestSystemSettingsPanes)
#include "tst_systemsettingspanes.moc"
