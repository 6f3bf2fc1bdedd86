#pragma once
// The global shortcut as the user chose it. Key codes and modifier masks keep
// the macOS encoding (virtual key codes, Carbon modifier bits) everywhere they
// are stored; each platform's backend maps them to its own keys.

#include <QString>

#include <optional>

namespace trovi {

class NotificationCenter;
class PreferenceStore;

namespace carbonModifier {
inline constexpr quint32 command = 0x100;
inline constexpr quint32 shift = 0x200;
inline constexpr quint32 option = 0x800;
inline constexpr quint32 control = 0x1000;
} // namespace carbonModifier

struct HotKeySettings {
    bool isEnabled = true;
    quint32 keyCode = 49; // Space
    quint32 modifiers = carbonModifier::control;
    // One lower-case printable character; when present it wins over keyCode,
    // looked up on the keyboard layout in use when the key is registered.
    std::optional<QString> character;

    static HotKeySettings defaultSettings() { return {}; }
    bool operator==(const HotKeySettings&) const = default;
};

struct KeyShortcut {
    quint32 keyCode = 0;
    quint32 modifiers = 0;
    std::optional<QString> character;
    bool operator==(const KeyShortcut&) const = default;
};

// The shortcut under the launcher's four hot-key preference keys. Given a
// NotificationCenter, save() announces the change.
class HotKeySettingsStore {
public:
    explicit HotKeySettingsStore(PreferenceStore& defaults,
                                 NotificationCenter* notifications = nullptr);
    static HotKeySettingsStore& standard();

    // Unset keys load as HotKeySettings::defaultSettings().
    HotKeySettings load() const { return load(HotKeySettings::defaultSettings()); }
    HotKeySettings load(const HotKeySettings& defaultSettings) const;
    void save(const HotKeySettings& settings) const;

private:
    PreferenceStore* m_defaults;
    NotificationCenter* m_notifications;
};

// No control characters and no private-use scalars (function keys produce those).
bool isPrintableCharacter(const QString& character);
// The first character, lower-cased, when printable.
std::optional<QString> normalizedHotKeyCharacter(const QString& text);

bool isModifierOnlyKeyCode(quint32 keyCode);
bool isValidKeyShortcut(quint32 keyCode, quint32 modifiers);
bool keyShortcutsConflict(const KeyShortcut& a, const KeyShortcut& b);

QString hotKeyDisplayString(const HotKeySettings& settings);
QString hotKeySymbolDisplayString(const HotKeySettings& settings);
QString keyShortcutDisplayString(const KeyShortcut& shortcut);
QString keyShortcutSymbolDisplayString(const KeyShortcut& shortcut);

// The key behind a macOS virtual key code, for the platforms that name keys
// otherwise. `label` is what the key-code table shows ("A", "7", "F5").
struct KeyCodeInfo {
    quint32 keyCode;
    int qtKey;         // Qt::Key
    quint32 keysym;    // X11 keysym
    const char* label; // null for the keys named only by the display rules
};
std::optional<KeyCodeInfo> keyCodeInfo(quint32 keyCode);
// Modifier keys map to their modifier-only codes.
std::optional<quint32> keyCodeForQtKey(int qtKey);
// An X11 keysym as the layout reports it for the key pressed.
std::optional<quint32> keyCodeForKeysym(quint32 keysym);

} // namespace trovi
