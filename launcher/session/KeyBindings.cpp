#include "launcher/session/KeyBindings.h"

namespace trovi {

std::optional<LauncherKeyCommand> launcherKeyCommand(int key, Qt::KeyboardModifiers modifiers) {
    // The keypad flag and Shift do not change what a key means here.
    const Qt::KeyboardModifiers m =
        modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool plain = m == Qt::NoModifier;
    const bool command = m == Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Up:
        return plain ? std::optional(LauncherKeyCommand::selectPrevious) : std::nullopt;
    case Qt::Key_Down:
        return plain ? std::optional(LauncherKeyCommand::selectNext) : std::nullopt;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (plain)
            return LauncherKeyCommand::open;
        return command ? std::optional(LauncherKeyCommand::reveal) : std::nullopt;
    case Qt::Key_V:
        // Command+V and Control+V (Meta is macOS's Control key).
        return command || m == Qt::MetaModifier ? std::optional(LauncherKeyCommand::paste)
                                                : std::nullopt;
    case Qt::Key_Q:
        return command ? std::optional(LauncherKeyCommand::quit) : std::nullopt;
    case Qt::Key_Escape:
        return LauncherKeyCommand::hide;
    default:
        return std::nullopt;
    }
}

} // namespace trovi
