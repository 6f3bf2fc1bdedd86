#include "launcher/session/hotkey/HotKeySettings.h"

#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <QStringList>

#include <array>

namespace trovi {

// ---- Store ----------------------------------------------------------------

namespace keys = preferenceKeys;

HotKeySettingsStore::HotKeySettingsStore(PreferenceStore& defaults,
                                         NotificationCenter* notifications)
    : m_defaults(&defaults), m_notifications(notifications) {}

HotKeySettingsStore& HotKeySettingsStore::standard() {
    static HotKeySettingsStore store(PreferenceStore::standard());
    return store;
}

namespace {

std::optional<quint32> storedUInt32(const PreferenceStore& defaults, const QString& key) {
    const std::optional<qint64> value = defaults.integerValue(key);
    if (!value || *value < 0 || *value > qint64(0xFFFFFFFF))
        return std::nullopt;
    return quint32(*value);
}

} // namespace

HotKeySettings HotKeySettingsStore::load(const HotKeySettings& defaultSettings) const {
    HotKeySettings settings;
    settings.isEnabled =
        m_defaults->boolValue(keys::launcherHotKeyEnabled).value_or(defaultSettings.isEnabled);
    settings.keyCode =
        storedUInt32(*m_defaults, keys::launcherHotKeyCode).value_or(defaultSettings.keyCode);
    settings.modifiers = storedUInt32(*m_defaults, keys::launcherHotKeyModifiers)
                             .value_or(defaultSettings.modifiers);
    settings.character = defaultSettings.character;
    if (const auto stored = m_defaults->stringValue(keys::launcherHotKeyCharacter); stored)
        settings.character = stored->isEmpty() ? std::nullopt : normalizedHotKeyCharacter(*stored);
    return settings;
}

void HotKeySettingsStore::save(const HotKeySettings& settings) const {
    m_defaults->setBool(keys::launcherHotKeyEnabled, settings.isEnabled);
    m_defaults->setInteger(keys::launcherHotKeyCode, settings.keyCode);
    m_defaults->setInteger(keys::launcherHotKeyModifiers, settings.modifiers);
    if (settings.character)
        m_defaults->setString(keys::launcherHotKeyCharacter, *settings.character);
    else
        m_defaults->remove(keys::launcherHotKeyCharacter);
    if (m_notifications)
        m_notifications->post(notifications::LauncherHotKeyChanged);
}

// ---- Characters -----------------------------------------------------------

bool isPrintableCharacter(const QString& character) {
    if (character.isEmpty())
        return false;
    for (const char32_t scalar : character.toUcs4()) {
        if (QChar::category(scalar) == QChar::Other_Control)
            return false;
        if ((scalar >= 0xE000 && scalar <= 0xF8FF) || (scalar >= 0xF0000 && scalar <= 0xFFFFD) ||
            (scalar >= 0x100000 && scalar <= 0x10FFFD))
            return false;
    }
    return true;
}

std::optional<QString> normalizedHotKeyCharacter(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    // The first user-visible character: one scalar, surrogate pairs kept whole.
    const QString first =
        text.at(0).isHighSurrogate() && text.size() > 1 ? text.left(2) : text.left(1);
    if (!isPrintableCharacter(first))
        return std::nullopt;
    return first.toLower();
}

// ---- Shortcuts ------------------------------------------------------------

bool isModifierOnlyKeyCode(quint32 keyCode) {
    switch (keyCode) {
    case 54:
    case 55:
    case 56:
    case 60:
    case 58:
    case 61:
    case 59:
    case 62:
    case 57:
    case 63:
        return true;
    default:
        return false;
    }
}

bool isValidKeyShortcut(quint32 keyCode, quint32 modifiers) {
    return modifiers != 0 && !isModifierOnlyKeyCode(keyCode);
}

bool keyShortcutsConflict(const KeyShortcut& a, const KeyShortcut& b) {
    if (a.modifiers != b.modifiers)
        return false;
    if (!a.character || !b.character)
        return a.keyCode == b.keyCode;
    return *a.character == *b.character;
}

// ---- Key table ------------------------------------------------------------

namespace {

constexpr std::array<KeyCodeInfo, 72> kKeys{{
    {0, 'A', 'a', "A"},
    {1, 'S', 's', "S"},
    {2, 'D', 'd', "D"},
    {3, 'F', 'f', "F"},
    {4, 'H', 'h', "H"},
    {5, 'G', 'g', "G"},
    {6, 'Z', 'z', "Z"},
    {7, 'X', 'x', "X"},
    {8, 'C', 'c', "C"},
    {9, 'V', 'v', "V"},
    {11, 'B', 'b', "B"},
    {12, 'Q', 'q', "Q"},
    {13, 'W', 'w', "W"},
    {14, 'E', 'e', "E"},
    {15, 'R', 'r', "R"},
    {16, 'Y', 'y', "Y"},
    {17, 'T', 't', "T"},
    {18, '1', '1', "1"},
    {19, '2', '2', "2"},
    {20, '3', '3', "3"},
    {21, '4', '4', "4"},
    {22, '6', '6', "6"},
    {23, '5', '5', "5"},
    {24, '=', '=', "="},
    {25, '9', '9', "9"},
    {26, '7', '7', "7"},
    {27, '-', '-', "-"},
    {28, '8', '8', "8"},
    {29, '0', '0', "0"},
    {30, ']', ']', "]"},
    {31, 'O', 'o', "O"},
    {32, 'U', 'u', "U"},
    {33, '[', '[', "["},
    {34, 'I', 'i', "I"},
    {35, 'P', 'p', "P"},
    {37, 'L', 'l', "L"},
    {38, 'J', 'j', "J"},
    {39, '\'', '\'', "'"},
    {40, 'K', 'k', "K"},
    {41, ';', ';', ";"},
    {42, '\\', '\\', "\\"},
    {43, ',', ',', ","},
    {44, '/', '/', "/"},
    {45, 'N', 'n', "N"},
    {46, 'M', 'm', "M"},
    {47, '.', '.', "."},
    {50, '`', '`', "`"},
    // Function keys: Qt::Key_F1 = 0x01000030, XK_F1 = 0xffbe.
    {122, 0x01000030, 0xffbe, "F1"},
    {120, 0x01000031, 0xffbf, "F2"},
    {99, 0x01000032, 0xffc0, "F3"},
    {118, 0x01000033, 0xffc1, "F4"},
    {96, 0x01000034, 0xffc2, "F5"},
    {97, 0x01000035, 0xffc3, "F6"},
    {98, 0x01000036, 0xffc4, "F7"},
    {100, 0x01000037, 0xffc5, "F8"},
    {101, 0x01000038, 0xffc6, "F9"},
    {109, 0x01000039, 0xffc7, "F10"},
    {103, 0x0100003a, 0xffc8, "F11"},
    {111, 0x0100003b, 0xffc9, "F12"},
    // Named only by the display rules.
    {36, 0x01000004, 0xff0d, nullptr},
    {76, 0x01000005, 0xff8d, nullptr},
    {48, 0x01000001, 0xff09, nullptr},
    {49, ' ', 0x20, nullptr},
    {51, 0x01000003, 0xff08, nullptr},
    {53, 0x01000000, 0xff1b, nullptr},
    {117, 0x01000007, 0xffff, nullptr},
    {123, 0x01000012, 0xff51, nullptr},
    {124, 0x01000014, 0xff53, nullptr},
    {125, 0x01000015, 0xff54, nullptr},
    {126, 0x01000013, 0xff52, nullptr},
    {115, 0x01000010, 0xff50, nullptr},
    {119, 0x01000011, 0xff57, nullptr},
}};

QString keyName(quint32 keyCode, const std::optional<QString>& character, bool symbols) {
    if (character && isPrintableCharacter(*character))
        return *character == QStringLiteral(" ") ? QStringLiteral("Space") : character->toUpper();
    switch (keyCode) {
    case 36:
    case 76:
        return symbols ? QStringLiteral("↩") : QStringLiteral("Return");
    case 48:
        return symbols ? QStringLiteral("⇥") : QStringLiteral("Tab");
    case 49:
        return QStringLiteral("Space");
    case 51:
        return symbols ? QStringLiteral("⌫") : QStringLiteral("Delete");
    case 53:
        return symbols ? QStringLiteral("⎋") : QStringLiteral("Escape");
    case 117:
        return symbols ? QStringLiteral("⌦") : QStringLiteral("Forward Delete");
    case 123:
        return symbols ? QStringLiteral("←") : QStringLiteral("Left");
    case 124:
        return symbols ? QStringLiteral("→") : QStringLiteral("Right");
    case 125:
        return symbols ? QStringLiteral("↓") : QStringLiteral("Down");
    case 126:
        return symbols ? QStringLiteral("↑") : QStringLiteral("Up");
    default:
        break;
    }
    if (const auto info = keyCodeInfo(keyCode); info && info->label)
        return QString::fromLatin1(info->label);
    return QStringLiteral("Key %1").arg(keyCode);
}

QString displayString(quint32 keyCode, quint32 modifiers, const std::optional<QString>& character,
                      bool symbols) {
    QStringList parts;
#ifdef Q_OS_MACOS
    const std::pair<quint32, const char*> names[] = {
        {carbonModifier::control, symbols ? "⌃" : "Control"},
        {carbonModifier::option, symbols ? "⌥" : "Option"},
        {carbonModifier::shift, symbols ? "⇧" : "Shift"},
        {carbonModifier::command, symbols ? "⌘" : "Command"},
    };
    const QString separator = symbols ? QString() : QStringLiteral(" + ");
#else
    // The keys a person presses here (the X11 grab maps Command to Super),
    // short as desktops write them: "Ctrl+Alt+Space".
    const std::pair<quint32, const char*> names[] = {
        {carbonModifier::control, "Ctrl"},
        {carbonModifier::option, "Alt"},
        {carbonModifier::shift, "Shift"},
        {carbonModifier::command, "Super"},
    };
    const QString separator = symbols ? QStringLiteral("+") : QStringLiteral(" + ");
    symbols = false; // arrows and Return keep their names
#endif
    for (const auto& [bit, name] : names)
        if (modifiers & bit)
            parts.append(QString::fromUtf8(name));
    parts.append(keyName(keyCode, character, symbols));
    return parts.join(separator);
}

} // namespace

std::optional<KeyCodeInfo> keyCodeInfo(quint32 keyCode) {
    for (const KeyCodeInfo& info : kKeys)
        if (info.keyCode == keyCode)
            return info;
    return std::nullopt;
}

std::optional<quint32> keyCodeForQtKey(int qtKey) {
    for (const KeyCodeInfo& info : kKeys)
        if (info.qtKey == qtKey)
            return info.keyCode;
    // Modifier keys have codes of their own, so a recorder can tell them
    // from the key of a shortcut.
    switch (qtKey) {
    case Qt::Key_Control:
        return 59;
    case Qt::Key_Shift:
        return 56;
    case Qt::Key_Alt:
        return 58;
    case Qt::Key_AltGr:
        return 61;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Hyper_L:
        return 55;
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_R:
        return 54;
    case Qt::Key_CapsLock:
        return 57;
    case Qt::Key_Mode_switch:
        return 63;
    default:
        return std::nullopt;
    }
}

std::optional<quint32> keyCodeForKeysym(quint32 keysym) {
    for (const KeyCodeInfo& info : kKeys)
        if (info.keysym == keysym)
            return info.keyCode;
    return std::nullopt;
}

QString hotKeyDisplayString(const HotKeySettings& settings) {
    if (!settings.isEnabled)
        return QStringLiteral("Disabled");
    return displayString(settings.keyCode, settings.modifiers, settings.character, false);
}

QString hotKeySymbolDisplayString(const HotKeySettings& settings) {
    if (!settings.isEnabled)
        return QStringLiteral("Disabled");
    return displayString(settings.keyCode, settings.modifiers, settings.character, true);
}

QString keyShortcutDisplayString(const KeyShortcut& shortcut) {
    return displayString(shortcut.keyCode, shortcut.modifiers, shortcut.character, false);
}

QString keyShortcutSymbolDisplayString(const KeyShortcut& shortcut) {
    return displayString(shortcut.keyCode, shortcut.modifiers, shortcut.character, true);
}

} // namespace trovi
