// The hotkey as stored, shown and recorded.

#include "launcher/session/hotkey/HotKeySettings.h"
#include "launcher/session/hotkey/ShortcutRecorder.h"
#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <QtTest>

using namespace trovi;
namespace keys = preferenceKeys;

class HotKeySettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void storeLoadsWhatIsUsable_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("display");
        const auto row = [](const char* name, const QString& key, const QVariant& stored,
                            const char* display) {
            QTest::newRow(name) << key << stored << QString(display);
        };
        row("nothing stored", {}, {}, "Ctrl + Space");
        row("code beyond 32 bits is absent", keys::launcherHotKeyCode, qint64(1) << 33,
            "Ctrl + Space");
        row("negative modifiers are absent", keys::launcherHotKeyModifiers, qint64(-1),
            "Ctrl + Space");
        row("character wins over the code", keys::launcherHotKeyCharacter, "K", "Ctrl + K");
        row("control character is ignored", keys::launcherHotKeyCharacter, "\t", "Ctrl + Space");
        row("disabled", keys::launcherHotKeyEnabled, false, "Disabled");
        row("code outside the table", keys::launcherHotKeyCode, qint64(200), "Ctrl + Key 200");
    }
    void storeLoadsWhatIsUsable() {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QString, display);
        InMemoryPreferenceStore preferences;
        if (!key.isEmpty())
            preferences.setValue(key, QCborValue::fromVariant(stored));
        const HotKeySettings settings =
            HotKeySettingsStore(preferences).load(HotKeySettings::defaultSettings());
        QCOMPARE(hotKeyDisplayString(settings), display);
    }

    void savingWithoutCharacterRemovesIt() {
        InMemoryPreferenceStore preferences;
        HotKeySettings settings;
        settings.character = QStringLiteral("k");
        HotKeySettingsStore(preferences).save(settings);
        settings.character.reset();
        settings.modifiers = carbonModifier::command | carbonModifier::shift;
        HotKeySettingsStore(preferences).save(settings);
        QVERIFY(!preferences.value(keys::launcherHotKeyCharacter));
        const HotKeySettings loaded =
            HotKeySettingsStore(preferences).load(HotKeySettings::defaultSettings());
        QCOMPARE(loaded, settings);
        QCOMPARE(hotKeySymbolDisplayString(loaded), QStringLiteral("Shift+Super+Space"));
    }

    void recorderRefusesWhatCannotBeAShortcut() {
        // On this layout "?" is Shift + "/".
        ShortcutRecorder recorder(
            [](const QString& c) -> std::optional<std::pair<quint32, quint32>> {
                if (c == QStringLiteral("?"))
                    return std::pair<quint32, quint32>{44, carbonModifier::shift};
                return std::nullopt;
            });
        QStringList messages;
        std::optional<KeyShortcut> captured;
        bool cancelled = false;
        recorder.startRecording([&](const KeyShortcut& s) { captured = s; },
                                [&](const QString& m) { messages.append(m); },
                                [&] { cancelled = true; });

        QVERIFY(recorder.keyDown({56, carbonModifier::shift, {}, {}})); // Shift alone
        QVERIFY(recorder.keyDown({0, 0, QStringLiteral("a"), QStringLiteral("a")}));
        // Shift + "/" types "?": Shift is the layout's, not the user's modifier.
        QVERIFY(recorder.keyDown({44, carbonModifier::shift, QStringLiteral("?"), {}}));
        QCOMPARE(messages, QStringList(2, kMissingModifierMessage));
        QVERIFY(recorder.isRecording() && !captured);

        QVERIFY(recorder.keyDown(
            {44, carbonModifier::shift | carbonModifier::control, QStringLiteral("?"), {}}));
        QVERIFY(!recorder.isRecording());
        QVERIFY(captured == (KeyShortcut{44, carbonModifier::control, QStringLiteral("?")}));

        recorder.startRecording([&](const KeyShortcut&) { QFAIL("Escape recorded"); },
                                [&](const QString&) {}, [&] { cancelled = true; });
        QVERIFY(recorder.keyDown({53, carbonModifier::control, {}, {}}));
        QVERIFY(cancelled && !recorder.isRecording());
        QVERIFY(!recorder.keyDown({0, carbonModifier::control, {}, {}})); // passes through
    }
};

QTEST_GUILESS_MAIN(HotKeySettingsTest)
#include "tst_hotkeysettings.moc"
