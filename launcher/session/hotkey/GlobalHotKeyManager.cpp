#include "launcher/session/hotkey/GlobalHotKeyManager.h"

namespace trovi {

GlobalHotKeyManager::GlobalHotKeyManager(HotKeyBackend& backend) : m_backend(backend) {
    m_backend.pressed = [this] {
        if (onHotKeyPressed)
            onHotKeyPressed();
    };
    m_backend.layoutChanged = [this] {
        if (m_registered && m_registered->isEnabled)
            registerHotKey(*m_registered);
    };
}

GlobalHotKeyManager::~GlobalHotKeyManager() {
    m_backend.release();
    m_backend.pressed = {};
    m_backend.layoutChanged = {};
}

HotKeyRegistration GlobalHotKeyManager::registerHotKey(const HotKeySettings& settings) {
    m_registered = settings;
    m_backend.release();
    if (!settings.isEnabled)
        return {true, {}};
    return m_backend.grab(settings);
}

void GlobalHotKeyManager::unregisterHotKey() {
    m_registered.reset();
    m_backend.release();
}

} // namespace trovi
