#include "launcher/session/hotkey/ShortcutRecorder.h"

namespace trovi {

namespace {

std::optional<QString> printableLowered(const QString& text) {
    return text.isEmpty() ? std::nullopt : normalizedHotKeyCharacter(text);
}

} // namespace

std::optional<QString> preferredCharacter(const RecordedKeyEvent& event) {
    // Option gives symbols on many layouts; keep the symbol the user saw.
    if ((event.modifiers & carbonModifier::option) && !event.characters.isEmpty()) {
        const QChar first = event.characters.at(0);
        if (first.unicode() < 0x80 && (first.isPunct() || first.isSymbol()))
            return QString(first).toLower();
    }
    if (auto c = printableLowered(event.charactersIgnoringModifiers))
        return c;
    return printableLowered(event.characters);
}

std::optional<KeyShortcut> keyShortcut(const RecordedKeyEvent& event,
                                       const KeyboardLayoutLookup& lookup) {
    quint32 modifiers = event.modifiers;
    const std::optional<QString> character = preferredCharacter(event);
    if (character) {
        // A character typed with Shift is stored without it: the layout adds it back.
        if (lookup)
            if (const auto found = lookup(*character))
                modifiers &= ~found->second;
        if (!isValidKeyShortcut(event.keyCode, modifiers))
            return std::nullopt;
        return KeyShortcut{event.keyCode, modifiers, character};
    }
    if (!isValidKeyShortcut(event.keyCode, modifiers))
        return std::nullopt;
    return KeyShortcut{event.keyCode, modifiers, std::nullopt};
}

void ShortcutRecorder::startRecording(Captured onCaptured, Invalid onInvalid,
                                      Cancelled onCancelled) {
    stopRecording();
    m_onCaptured = std::move(onCaptured);
    m_onInvalid = std::move(onInvalid);
    m_onCancelled = std::move(onCancelled);
    m_recording = true;
    m_previewModifiers = 0;
}

void ShortcutRecorder::stopRecording() {
    m_onCaptured = {};
    m_onInvalid = {};
    m_onCancelled = {};
    m_recording = false;
    m_previewModifiers = 0;
}

void ShortcutRecorder::cancelRecording() {
    Cancelled cancelled = m_onCancelled;
    stopRecording();
    if (cancelled)
        cancelled();
}

void ShortcutRecorder::modifiersChanged(quint32 modifiers) {
    if (m_recording)
        m_previewModifiers = modifiers;
}

bool ShortcutRecorder::keyDown(const RecordedKeyEvent& event) {
    if (!m_recording)
        return false;
    if (event.keyCode == 53) { // Escape
        cancelRecording();
        return true;
    }
    // Modifiers are held until the shortcut's own key arrives; a key with no
    // stored form cannot be registered, so recording goes on.
    if (isModifierOnlyKeyCode(event.keyCode) || !keyCodeInfo(event.keyCode))
        return true;
    const std::optional<KeyShortcut> shortcut = keyShortcut(event, m_lookup);
    if (!shortcut) {
        if (m_onInvalid)
            m_onInvalid(kMissingModifierMessage);
        return true;
    }
    Captured captured = m_onCaptured;
    stopRecording();
    if (captured)
        captured(*shortcut);
    return true;
}

} // namespace trovi
