#include "launcher/shell/HotKeySection.h"

#include "launcher/session/hotkey/HotKeySettings.h"
#include "launcher/session/hotkey/ShortcutRecorder.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/settings/PreferenceKeys.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace trovi {

namespace {

namespace keys = preferenceKeys;
namespace names = notifications;

quint32 carbonModifiers(Qt::KeyboardModifiers modifiers) {
    quint32 mask = 0;
    if (modifiers & Qt::ControlModifier)
        mask |= carbonModifier::control;
    if (modifiers & Qt::AltModifier)
        mask |= carbonModifier::option;
    if (modifiers & Qt::ShiftModifier)
        mask |= carbonModifier::shift;
    if (modifiers & Qt::MetaModifier)
        mask |= carbonModifier::command;
    return mask;
}

// Qt's key in the stored encoding; modifier keys get their own codes so the
// recorder can ignore them.
std::optional<RecordedKeyEvent> recorded(const QKeyEvent& event) {
    RecordedKeyEvent r;
    r.modifiers = carbonModifiers(event.modifiers());
    r.characters = event.text();
    switch (event.key()) {
    case Qt::Key_Shift:
        r.keyCode = 56;
        return r;
    case Qt::Key_Control:
        r.keyCode = 59;
        return r;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        r.keyCode = 58;
        return r;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        r.keyCode = 55;
        return r;
    case Qt::Key_CapsLock:
        r.keyCode = 57;
        return r;
    default:
        break;
    }
    const std::optional<quint32> code = keyCodeForQtKey(event.key());
    if (!code)
        return std::nullopt;
    r.keyCode = *code;
    if (const auto info = keyCodeInfo(*code); info && info->label && QChar(info->keysym).isPrint())
        r.charactersIgnoringModifiers = QString(QChar(info->keysym));
    return r;
}

// A button that, while recording, takes every key pressed.
class RecorderButton : public QPushButton {
public:
    RecorderButton(ShortcutRecorder& recorder, QWidget* parent)
        : QPushButton(parent), m_recorder(recorder) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!m_recorder.isRecording())
            return QPushButton::keyPressEvent(event);
        m_recorder.modifiersChanged(carbonModifiers(event->modifiers()));
        if (const auto key = recorded(*event))
            m_recorder.keyDown(*key);
        else if (m_onUnknownKey)
            m_onUnknownKey();
    }
    void focusOutEvent(QFocusEvent* event) override {
        if (m_recorder.isRecording())
            m_recorder.cancelRecording();
        QPushButton::focusOutEvent(event);
    }

public:
    std::function<void()> m_onUnknownKey;

private:
    ShortcutRecorder& m_recorder;
};

} // namespace

QGroupBox* makeHotKeySection(PreferenceStore& preferences, NotificationCenter& notifications,
                             QWidget* parent) {
    auto* box = new QGroupBox(QStringLiteral("Hotkey"), parent);
    box->setObjectName(QStringLiteral("hotKeySection"));
    auto store = std::make_shared<HotKeySettingsStore>(
        preferences, keys::launcherHotKeyEnabled, keys::launcherHotKeyCode,
        keys::launcherHotKeyModifiers, keys::launcherHotKeyCharacter);
    auto recorder = std::make_shared<ShortcutRecorder>();

    auto* enabled = new QCheckBox(QStringLiteral("Show the launcher with a global hotkey"), box);
    enabled->setObjectName(QStringLiteral("hotKeyEnabled"));
    auto* record = new RecorderButton(*recorder, box);
    record->setObjectName(QStringLiteral("hotKeyRecord"));
    auto* reset = new QPushButton(QStringLiteral("Reset to Default"), box);
    reset->setObjectName(QStringLiteral("hotKeyReset"));
    auto* status = new QLabel(box);
    status->setObjectName(QStringLiteral("hotKeyStatus"));
    status->setWordWrap(true);

    auto* row = new QHBoxLayout;
    row->addWidget(record, 1);
    row->addWidget(reset);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(enabled);
    layout->addLayout(row);
    layout->addWidget(status);

    auto refresh = [store, enabled, record] {
        const HotKeySettings settings = store->load(HotKeySettings::defaultSettings());
        enabled->setChecked(settings.isEnabled);
        HotKeySettings shown = settings;
        shown.isEnabled = true;
        record->setText(hotKeyDisplayString(shown));
        record->setEnabled(settings.isEnabled);
    };
    auto save = [store, &notifications, refresh](const HotKeySettings& settings) {
        store->save(settings);
        refresh();
        notifications.post(names::LauncherHotKeyChanged);
    };
    refresh();

    QObject::connect(enabled, &QCheckBox::toggled, box, [store, save](bool on) {
        HotKeySettings settings = store->load(HotKeySettings::defaultSettings());
        if (settings.isEnabled == on)
            return;
        settings.isEnabled = on;
        save(settings);
    });
    QObject::connect(reset, &QPushButton::clicked, box,
                     [save] { save(HotKeySettings::defaultSettings()); });
    record->m_onUnknownKey = [status] {
        status->setText(QStringLiteral("This key cannot be part of the hotkey."));
    };
    QObject::connect(record, &QPushButton::clicked, box, [recorder, record, status, save, refresh] {
        record->setText(QStringLiteral("Press the new shortcut… (Escape cancels)"));
        record->setFocus();
        recorder->startRecording(
            [save](const KeyShortcut& shortcut) {
                save({true, shortcut.keyCode, shortcut.modifiers, shortcut.character});
            },
            [status](const QString& message) { status->setText(message); }, refresh);
    });

    // Keeps the observation as long as the section lives.
    auto token = std::make_shared<NotificationToken>(notifications.observe(
        names::LauncherHotKeyRegistrationStatusChanged, [status](const QVariantMap& payload) {
            const bool success = payload.value(names::successKey).toBool();
            const QString message = payload.value(QStringLiteral("message")).toString();
            status->setText(success ? QStringLiteral("Hotkey registered successfully.")
                            : message.isEmpty()
                                ? QStringLiteral("Hotkey could not be registered. It may be used "
                                                 "by another app.")
                                : message);
        }));
    QObject::connect(box, &QObject::destroyed, [token] { token->reset(); });
    return box;
}

} // namespace trovi
