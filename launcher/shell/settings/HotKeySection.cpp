#include "launcher/session/hotkey/HotKeySettings.h"
#include "launcher/session/hotkey/ShortcutRecorder.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/shell/settings/SettingsEnvironment.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <memory>

namespace trovi {

namespace {

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

// The modifiers held so far while recording, written as the keys on this
// platform's keyboard ("Ctrl+Alt+" off macOS).
QString modifierSymbols(quint32 mask) {
#ifdef Q_OS_MACOS
    QString symbols;
    if (mask & carbonModifier::control)
        symbols += u'⌃';
    if (mask & carbonModifier::option)
        symbols += u'⌥';
    if (mask & carbonModifier::shift)
        symbols += u'⇧';
    if (mask & carbonModifier::command)
        symbols += u'⌘';
    return symbols;
#else
    QString symbols;
    const std::pair<quint32, const char*> names[] = {{carbonModifier::control, "Ctrl+"},
                                                     {carbonModifier::option, "Alt+"},
                                                     {carbonModifier::shift, "Shift+"},
                                                     {carbonModifier::command, "Super+"}};
    for (const auto& [bit, name] : names)
        if (mask & bit)
            symbols += QLatin1String(name);
    return symbols;
#endif
}

// The modifier a modifier key adds: X11 reports a modifier's own press
// without it.
Qt::KeyboardModifiers modifierOfKey(int key) {
    switch (key) {
    case Qt::Key_Control:
        return Qt::ControlModifier;
    case Qt::Key_Shift:
        return Qt::ShiftModifier;
    case Qt::Key_Alt:
        return Qt::AltModifier;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return Qt::MetaModifier;
    default:
        return {};
    }
}

RecordedKeyEvent recordedKeyEvent(const QKeyEvent& event) {
    RecordedKeyEvent recorded;
    // Qt's key first; else the X11 keysym (a symbol typed with Shift, say).
    std::optional<quint32> code = keyCodeForQtKey(event.key());
    if (!code && event.nativeVirtualKey() != 0)
        code = keyCodeForKeysym(event.nativeVirtualKey());
    recorded.keyCode = code.value_or(0xFFFF);
    recorded.modifiers = carbonModifiers(event.modifiers());
    recorded.characters = event.text();
    // With Ctrl held the text is a control character: name the key instead.
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        recorded.charactersIgnoringModifiers = QString(QChar(key)).toLower();
    else
        recorded.charactersIgnoringModifiers = event.text();
    return recorded;
}

// The recorder button: takes every key while recording.
class RecorderButton : public QPushButton {
public:
    using QPushButton::QPushButton;
    std::function<bool(QKeyEvent*)> onKeyPress;
    std::function<void(Qt::KeyboardModifiers)> onModifiers;

protected:
    bool event(QEvent* e) override {
        // Tab and Escape must reach the recorder too, not move focus.
        if (e->type() == QEvent::ShortcutOverride && onKeyPress) {
            e->accept();
            return true;
        }
        return QPushButton::event(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (onModifiers)
            onModifiers(e->modifiers() | modifierOfKey(e->key()));
        if (!(onKeyPress && onKeyPress(e)))
            QPushButton::keyPressEvent(e);
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        if (onModifiers)
            onModifiers(e->modifiers() & ~modifierOfKey(e->key()));
        QPushButton::keyReleaseEvent(e);
    }
};

class HotKeyEditor : public QObject {
public:
    HotKeyEditor(PreferenceStore& preferences, NotificationCenter& center, QGroupBox* box)
        : QObject(box), m_store(HotKeySettingsStore(preferences, &center)) {
        m_settings = m_store.load();
        auto* layout = static_cast<QVBoxLayout*>(box->layout());

        m_enabled = new QCheckBox(QStringLiteral("&Enable Global Hotkey"), box);
        m_enabled->setObjectName(QStringLiteral("hotKeyEnabled"));
        m_enabled->setChecked(m_settings.isEnabled);
        m_disabledNote = new QLabel(QStringLiteral("Global hotkey is currently disabled."), box);
        m_button = new RecorderButton(box);
        m_button->setObjectName(QStringLiteral("hotKeyRecorder"));
        m_hint = new QLabel(QStringLiteral("Press modifier + key. Press Escape to cancel."), box);
        m_message = new QLabel(box);
        m_message->setObjectName(QStringLiteral("hotKeyMessage"));
        m_current = new QLabel(box);
        m_current->setObjectName(QStringLiteral("hotKeyCurrent"));
        m_symbols = new QLabel(box);
        auto* reset =
            new QPushButton(QStringLiteral("Reset shortcut to de&fault (Ctrl + Space)"), box);
        reset->setObjectName(QStringLiteral("hotKeyReset"));
        m_status = new QLabel(box);
        m_status->setObjectName(QStringLiteral("hotKeyStatus"));
        m_status->setWordWrap(true);
        m_button->setMinimumWidth(160);
        auto* recorderRow = new QHBoxLayout;
        recorderRow->addWidget(new QLabel(QStringLiteral("Shortcut:"), box));
        recorderRow->addWidget(m_button);
        recorderRow->addStretch();
        auto* resetRow = new QHBoxLayout;
        resetRow->addWidget(reset);
        resetRow->addStretch();
        layout->addWidget(m_enabled);
        layout->addWidget(m_disabledNote);
        layout->addLayout(recorderRow);
        for (QWidget* w : {m_hint, m_message, m_current, m_symbols})
            layout->addWidget(w);
        layout->addLayout(resetRow);
        layout->addWidget(m_status);

        connect(m_enabled, &QCheckBox::toggled, this, [this](bool on) {
            m_recorder.stopRecording();
            m_settings.isEnabled = on;
            store();
        });
        connect(m_button, &QPushButton::clicked, this, [this] {
            if (!m_settings.isEnabled)
                return;
            m_message->clear();
            m_recorder.startRecording(
                [this](const KeyShortcut& shortcut) {
                    m_recorder.stopRecording();
                    m_settings.keyCode = shortcut.keyCode;
                    m_settings.modifiers = shortcut.modifiers;
                    m_settings.character = shortcut.character;
                    store();
                },
                [this](const QString& message) {
                    m_message->setText(message);
                    refresh();
                },
                [this] { refresh(); });
            refresh();
        });
        m_button->onKeyPress = [this](QKeyEvent* e) {
            if (!m_recorder.isRecording())
                return false;
            m_recorder.keyDown(recordedKeyEvent(*e));
            refresh();
            return true;
        };
        m_button->onModifiers = [this](Qt::KeyboardModifiers modifiers) {
            m_recorder.modifiersChanged(carbonModifiers(modifiers));
            refresh();
        };
        connect(reset, &QPushButton::clicked, this, [this] {
            m_recorder.stopRecording();
            const HotKeySettings defaults = HotKeySettings::defaultSettings();
            m_settings.keyCode = defaults.keyCode;
            m_settings.modifiers = defaults.modifiers;
            m_settings.character = defaults.character;
            store();
        });
        // `trovi config` or another window changed the hotkey: show what is stored.
        m_changedToken =
            center.observe(notifications::LauncherHotKeyChanged, [this](const QVariantMap&) {
                m_settings = m_store.load(HotKeySettings::defaultSettings());
                const QSignalBlocker quiet(m_enabled);
                m_enabled->setChecked(m_settings.isEnabled);
                refresh();
            });
        m_token = center.observe(
            notifications::LauncherHotKeyRegistrationStatusChanged,
            [this](const QVariantMap& payload) {
                const bool success = payload.value(notifications::successKey).toBool();
                m_status->setText(success
                                      ? QStringLiteral("Hotkey registered successfully.")
                                      : QStringLiteral("Hotkey could not be registered. It may be "
                                                       "used by another app or the desktop."));
            });
        refresh();
    }

private:
    void store() {
        m_store.save(m_settings);
        refresh();
    }

    void refresh() {
        QString title;
        if (!m_settings.isEnabled)
            title = QStringLiteral("Disabled");
        else if (m_recorder.isRecording())
            title = m_recorder.previewModifiers()
                        ? modifierSymbols(m_recorder.previewModifiers()) + QStringLiteral("…")
                        : QStringLiteral("Record Shortcut");
        else
            title = hotKeySymbolDisplayString(m_settings);
        m_button->setText(title);
        m_button->setEnabled(m_settings.isEnabled);
        m_disabledNote->setVisible(!m_settings.isEnabled);
        m_hint->setVisible(m_recorder.isRecording());
        m_message->setVisible(!m_message->text().isEmpty());
        m_current->setText(QStringLiteral("Current: ") + hotKeyDisplayString(m_settings));
        m_symbols->setText(QStringLiteral("Symbols: ") + hotKeySymbolDisplayString(m_settings));
    }

    HotKeySettingsStore m_store;
    HotKeySettings m_settings;
    ShortcutRecorder m_recorder;
    NotificationToken m_token;
    NotificationToken m_changedToken;
    QCheckBox* m_enabled;
    QLabel* m_disabledNote;
    RecorderButton* m_button;
    QLabel* m_hint;
    QLabel* m_message;
    QLabel* m_current;
    QLabel* m_symbols;
    QLabel* m_status;
};

} // namespace

QGroupBox* makeHotKeySection(const SettingsEnvironment& env, QWidget* parent) {
    QGroupBox* box =
        makeSection(QStringLiteral("Global Hotkey"), QStringLiteral("hotKeySection"), parent);
    new HotKeyEditor(*env.preferences, *env.notifications, box);
    if (env.installDesktopShortcut) {
        // A Wayland client cannot grab keys; the desktop runs `trovi` on the key instead.
        auto* route = makeCaption(
            QStringLiteral("On Wayland the desktop calls the launcher up: the button (or "
                           "'trovi shortcut install') binds the hotkey to 'trovi' in its "
                           "keyboard settings, and 'trovi shortcut remove' takes it out again."),
            box);
        route->setObjectName(QStringLiteral("desktopShortcutRoute"));
        auto* install = new QPushButton(QStringLiteral("Add to Desktop Shortcuts"), box);
        install->setObjectName(QStringLiteral("installDesktopShortcut"));
        auto* result = makeCaption(QString(), box);
        result->setObjectName(QStringLiteral("desktopShortcutResult"));
        result->hide();
        QObject::connect(install, &QPushButton::clicked, box,
                         [result, run = env.installDesktopShortcut] {
                             result->setText(run());
                             result->show();
                         });
        box->layout()->addWidget(route);
        box->layout()->addWidget(install);
        box->layout()->addWidget(result);
    }
    return box;
}

} // namespace trovi
