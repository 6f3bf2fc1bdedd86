// The settings window as a person uses it: every control writes its key and
// tells the running launcher; refusals and disabled Save keep bad states out.

#include "launcher/clients/notion/NotionClient.h"
#include "launcher/session/hotkey/HotKeySettings.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/settings/PreferenceStore.h"
#include "launcher/shell/settings/SettingsWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

using namespace trovi;
namespace keys = trovi::preferenceKeys;

class TestSettingsWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<InMemoryPreferenceStore> m_preferences;
    std::unique_ptr<NotificationCenter> m_center;
    NotionClient m_notion{{QUrl(QStringLiteral("http://127.0.0.1:1"))}}; // refused
    std::unique_ptr<SettingsWindow> m_window;
    QStringList m_posted;
    std::vector<NotificationToken> m_tokens;

    SettingsEnvironment environment() {
        SettingsEnvironment env;
        env.preferences = m_preferences.get();
        env.notifications = m_center.get();
        env.themePreviews = [] {
            return QList<ThemePreview>{
                {"graphite", "Graphite", Qt::darkGray, Qt::black, Qt::blue, Qt::white,
                 Qt::lightGray},
                {"forest", "Forest", Qt::white, Qt::lightGray, Qt::cyan, Qt::black, Qt::darkGray}};
        };
        env.installDesktopShortcut = [] { return QStringLiteral("bound in the desktop"); };
        return env;
    }

    template <typename W> W* find(const QString& name) {
        W* widget = m_window->findChild<W*>(name);
        if (!widget)
            qFatal("no widget %s", qPrintable(name));
        return widget;
    }

private Q_SLOTS:
    void init() {
        m_preferences = std::make_unique<InMemoryPreferenceStore>();
        m_center = std::make_unique<NotificationCenter>();
        m_posted.clear();
        m_tokens.clear();
        for (const QString& name :
             {notifications::ShowSnippetsChanged, notifications::LauncherScoreVisibilityChanged,
              notifications::LauncherSearchDebounceChanged,
              notifications::LauncherSessionPersistenceChanged,
              notifications::LauncherWindowSnapChanged,
              notifications::LauncherMenuBarIconVisibilityChanged,
              notifications::LauncherVersionVisibilityChanged,
              notifications::LauncherIconSettingsChanged, notifications::LauncherThemeChanged,
              notifications::LauncherRankingSettingsChanged, notifications::NotionSettingsChanged})
            m_tokens.push_back(
                m_center->observe(name, [this, name](const QVariantMap&) { m_posted << name; }));
        m_window.reset();
        SettingsExtraSections extras;
        extras.notion = makeNotionSection(environment(), m_notion, nullptr);
        m_window = std::make_unique<SettingsWindow>(environment(), extras);
        m_window->present();
    }

    void everyControlStoresAndTells_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QVariant>("input"); // bool: click the toggle; int: type the number
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("notification");
        QTest::addRow("snippets") << "showSnippets" << QVariant(true) << keys::showSnippets
                                  << QVariant(true) << notifications::ShowSnippetsChanged;
        QTest::addRow("scores") << "showSearchScores" << QVariant(true)
                                << keys::launcherShowSearchScores << QVariant(false)
                                << notifications::LauncherScoreVisibilityChanged;
        QTest::addRow("debounce") << "searchDebounce" << QVariant(120)
                                  << keys::launcherSearchDebounceMilliseconds << QVariant(120)
                                  << notifications::LauncherSearchDebounceChanged;
        QTest::addRow("persistence")
            << "sessionPersistence" << QVariant(30) << keys::launcherSessionPersistenceSeconds
            << QVariant(30) << notifications::LauncherSessionPersistenceChanged;
        QTest::addRow("snapping") << "snapToGrid" << QVariant(true) << keys::launcherSnapToGrid
                                  << QVariant(false) << notifications::LauncherWindowSnapChanged;
        QTest::addRow("tray icon")
            << "showMenuBarIcon" << QVariant(true) << keys::launcherShowMenuBarIcon
            << QVariant(false) << notifications::LauncherMenuBarIconVisibilityChanged;
        QTest::addRow("version") << "showVersionNumber" << QVariant(true)
                                 << keys::launcherShowVersionNumber << QVariant(false)
                                 << notifications::LauncherVersionVisibilityChanged;
        QTest::addRow("real icons")
            << "useNativeAppIcons" << QVariant(true) << keys::launcherUseNativeAppIcons
            << QVariant(true) << notifications::LauncherIconSettingsChanged;
        QTest::addRow("theme card") << "theme_forest" << QVariant(true) << keys::launcherThemeID
                                    << QVariant("forest") << notifications::LauncherThemeChanged;
        QTest::addRow("notion") << "notionSearchEnabled" << QVariant(true)
                                << keys::notionSearchEnabled << QVariant(true)
                                << notifications::NotionSettingsChanged;
    }
    void everyControlStoresAndTells() {
        QFETCH(QString, control);
        QFETCH(QVariant, input);
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QString, notification);
        if (input.typeId() == QMetaType::Bool) {
            find<QAbstractButton>(control)->click();
        } else {
            auto* spin = find<QSpinBox>(control);
            spin->selectAll();
            QTest::keyClicks(spin, input.toString());
        }
        const std::optional<QCborValue> value = m_preferences->value(key);
        QVERIFY(value.has_value());
        QCOMPARE(value->toVariant(), stored);
        QVERIFY(m_posted.contains(notification));
    }

    void notionTokenIsStoredButNotShown() {
        auto* token = find<QLineEdit>("notionToken");
        QCOMPARE(token->echoMode(), QLineEdit::Password);
        QTest::keyClicks(token, "ntn_secret");
        QCOMPARE(m_preferences->stringValue(keys::notionIntegrationToken), "ntn_secret");
        QVERIFY(m_posted.contains(notifications::NotionSettingsChanged));
        find<QPushButton>("notionTokenVisibility")->click();
        QCOMPARE(token->echoMode(), QLineEdit::Normal);
    }

    void triggerIsStoredNormalisedWithItsExamples() {
        QTest::keyClicks(find<QLineEdit>("translationTrigger"), "X!");
        QCOMPARE(m_preferences->stringValue(keys::launcherTranslationTrigger), "ccx");
        QVERIFY(find<QLabel>("translationTriggerCaption")->text().contains("\"ccx en:de hello\""));
    }

    // Keys as X11 delivers them: a modifier's own press does not carry it yet.
    void recorderWaitsForTheShortcutsKey_data() {
        QTest::addColumn<QList<int>>("keys"); // modifiers first, the key last
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("shown");
        using namespace carbonModifier;
        QTest::addRow("Ctrl+K") << QList<int>{Qt::Key_Control, Qt::Key_K} << 40 << int(control)
                                << "Ctrl + K";
        QTest::addRow("Alt+Space")
            << QList<int>{Qt::Key_Alt, Qt::Key_Space} << 49 << int(option) << "Alt + Space";
        QTest::addRow("Ctrl+Alt+K") << QList<int>{Qt::Key_Control, Qt::Key_Alt, Qt::Key_K} << 40
                                    << int(control | option) << "Ctrl + Alt + K";
        QTest::addRow("Super+Space")
            << QList<int>{Qt::Key_Super_L, Qt::Key_Space} << 49 << int(command) << "Super + Space";
    }

    void recorderWaitsForTheShortcutsKey() {
        QFETCH(QList<int>, keys);
        QFETCH(int, keyCode);
        QFETCH(int, modifiers);
        QFETCH(QString, shown);
        auto* recorder = find<QPushButton>("hotKeyRecorder");
        recorder->click();
        Qt::KeyboardModifiers held;
        for (int key : keys) {
            QTest::keyPress(recorder, Qt::Key(key), held);
            if (key == Qt::Key_Control)
                held |= Qt::ControlModifier;
            else if (key == Qt::Key_Alt)
                held |= Qt::AltModifier;
            else if (key == Qt::Key_Super_L)
                held |= Qt::MetaModifier;
        }
        QCOMPARE(m_preferences->integerValue(keys::launcherHotKeyCode).value_or(-1), keyCode);
        QCOMPARE(m_preferences->integerValue(keys::launcherHotKeyModifiers).value_or(-1),
                 modifiers);
        QCOMPARE(find<QLabel>("hotKeyCurrent")->text(), "Current: " + shown);
    }

    void hotKeySectionFollowsChangesAndInstallsTheDesktopShortcut() {
        // As `trovi config set launcherHotKeyCode 0` does to a running launcher.
        m_preferences->setInteger(keys::launcherHotKeyCode, 0);
        m_center->post(notifications::LauncherHotKeyChanged);
        QCOMPARE(find<QLabel>("hotKeyCurrent")->text(), QStringLiteral("Current: Ctrl + A"));
        find<QPushButton>("installDesktopShortcut")->click();
        QCOMPARE(find<QLabel>("desktopShortcutResult")->text(), "bound in the desktop");
    }

    void hidingTheTrayIconNeedsTheHotkey() {
        m_preferences->setBool(keys::launcherHotKeyEnabled, false);
        auto* icon = find<QCheckBox>("showMenuBarIcon");
        icon->click();
        QVERIFY(icon->isChecked());
        QVERIFY(!m_preferences->value(keys::launcherShowMenuBarIcon));
        QCOMPARE(find<QLabel>("menuBarIconRefusal")->text(),
                 "Enable Global Hotkey before hiding the tray icon.");
        QVERIFY(m_posted.isEmpty());
    }

    void saveWaitsForACompleteRule() {
        auto* save = find<QPushButton>("saveRankingRules");
        QVERIFY(!save->isEnabled()); // nothing changed yet
        find<QPushButton>("addRankingRule")->click();
        QVERIFY(!save->isEnabled());
        auto* field = qobject_cast<QLineEdit*>(m_window->focusWidget());
        QVERIFY(field);
        QVERIFY(!find<QLabel>("rankingValidationMessage")->text().isEmpty());
        QTest::keyClicks(field, ".md");
        QVERIFY(save->isEnabled());
        save->click();
        QVERIFY(m_posted.contains(notifications::LauncherRankingSettingsChanged));
        QVERIFY(m_preferences->value(keys::launcherExtensionBoostRules));
        QVERIFY(!save->isEnabled());
    }

    void layoutFollowsTheWidth() {
        m_window->resize(500, 600);
        QCOMPARE(m_window->columnCount(), 1);
        m_window->resize(SettingsWindow::wideLayoutMinimumWidth + 40, 600);
        QCOMPARE(m_window->columnCount(), 2);
        QTest::keyClick(m_window.get(), Qt::Key_Escape);
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_preferences->realValue(keys::launcherSettingsWindowWidth),
                 double(SettingsWindow::wideLayoutMinimumWidth + 40));
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
