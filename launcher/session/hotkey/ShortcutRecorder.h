#pragma once
// Recording a new shortcut from live key events, without any widget: the
// settings window feeds key-down and modifier changes in and shows what comes
// out. Escape cancels; modifier keys and keys without a stored form are
// passed over; a key without a modifier is refused with a message and
// recording goes on.

#include "launcher/session/hotkey/HotKeySettings.h"

#include <functional>

namespace trovi {

// What a key-down carries, in the stored encoding.
struct RecordedKeyEvent {
    quint32 keyCode = 0;
    quint32 modifiers = 0; // Carbon mask
    QString characters;    // as typed, modifiers applied
    QString charactersIgnoringModifiers;
};

// (key code, modifiers the layout needs to type it), or nothing.
using KeyboardLayoutLookup =
    std::function<std::optional<std::pair<quint32, quint32>>(const QString& character)>;

std::optional<QString> preferredCharacter(const RecordedKeyEvent& event);
std::optional<KeyShortcut> keyShortcut(const RecordedKeyEvent& event,
                                       const KeyboardLayoutLookup& lookup);

inline const QString kMissingModifierMessage =
    QStringLiteral("Please include at least one modifier key.");

class ShortcutRecorder {
public:
    using Captured = std::function<void(const KeyShortcut&)>;
    using Invalid = std::function<void(const QString& message)>;
    using Cancelled = std::function<void()>;

    explicit ShortcutRecorder(KeyboardLayoutLookup lookup = {}) : m_lookup(std::move(lookup)) {}

    void startRecording(Captured onCaptured, Invalid onInvalid, Cancelled onCancelled = {});
    void stopRecording();
    void cancelRecording();

    // Both return whether the event is consumed (every key-down while recording).
    bool keyDown(const RecordedKeyEvent& event);
    void modifiersChanged(quint32 modifiers);

    bool isRecording() const { return m_recording; }
    quint32 previewModifiers() const { return m_previewModifiers; }

private:
    KeyboardLayoutLookup m_lookup;
    bool m_recording = false;
    quint32 m_previewModifiers = 0;
    Captured m_onCaptured;
    Invalid m_onInvalid;
    Cancelled m_onCancelled;
};

} // namespace trovi
