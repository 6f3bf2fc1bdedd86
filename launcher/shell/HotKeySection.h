#pragma once
// The settings window's "Hotkey" section: the current shortcut, a button that
// records a new one from the keys pressed next, an on/off switch, a reset to
// Control + Space, and the outcome of the last registration.

#include <QGroupBox>

namespace trovi {

class NotificationCenter;
class PreferenceStore;

QGroupBox* makeHotKeySection(PreferenceStore& preferences, NotificationCenter& notifications,
                             QWidget* parent = nullptr);

} // namespace trovi
