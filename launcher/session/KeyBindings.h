#pragma once
// The launcher window's hidden key bindings as plain operations, so the table
// holds whichever widget has focus. "Command" is Ctrl on Linux (Qt reports
// macOS's Command key as Ctrl too).

#include <Qt>

#include <optional>

namespace trovi {

enum class LauncherKeyCommand {
    selectPrevious,
    selectNext,
    open,
    reveal,
    paste,
    quit,
    hide,
};

std::optional<LauncherKeyCommand> launcherKeyCommand(int key, Qt::KeyboardModifiers modifiers);

} // namespace trovi
