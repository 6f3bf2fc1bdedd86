#include "launcher/shell/LauncherHotKey.h"

#include "launcher/session/hotkey/HotKeySettings.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/PreferenceKeys.h"

#include <cstdio>

namespace trovi {

namespace names = notifications;

LauncherHotKey::LauncherHotKey(HotKeyBackend* backend, PreferenceStore& preferences,
                               NotificationCenter& notifications)
    : m_preferences(preferences), m_notifications(notifications) {
    if (backend)
        m_manager = std::make_unique<GlobalHotKeyManager>(*backend);
}

LauncherHotKey::~LauncherHotKey() {
    m_observer = {};
    if (m_manager)
        m_manager->unregisterHotKey();
}

void LauncherHotKey::start(std::function<void()> onPressed) {
    if (m_manager)
        m_manager->onHotKeyPressed = std::move(onPressed);
    m_observer = m_notifications.observe(names::LauncherHotKeyChanged,
                                         [this](const QVariantMap&) { reload(); });
}

void LauncherHotKey::activateWindow(quintptr windowID) {
    if (m_manager)
        m_manager->activateWindow(windowID);
}

void LauncherHotKey::reload() {
    const HotKeySettings settings = HotKeySettingsStore(m_preferences).load();
    if (m_manager)
        m_lastRegistration = m_manager->registerHotKey(settings);
    else
        m_lastRegistration = {!settings.isEnabled, QStringLiteral("No global hotkeys here.")};
    if (!m_lastRegistration.success)
        std::fprintf(stderr, "trovi: hotkey %s not registered: %s\n",
                     hotKeyDisplayString(settings).toUtf8().constData(),
                     m_lastRegistration.message.toUtf8().constData());
    m_notifications.post(names::LauncherHotKeyRegistrationStatusChanged,
                         {{names::successKey, m_lastRegistration.success},
                          {QStringLiteral("message"), m_lastRegistration.message}});
}

} // namespace trovi
