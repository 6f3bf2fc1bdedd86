#pragma once
// ActivationOutcome: what became of activating one result, small enough for the
// command line to print and turn into an exit status, and for the window to
// turn into a status line.

#include <QString>

namespace trovi {

enum class ActivationStatus {
    opened,               // the workspace accepted the item or address
    revealed,             // the item was handed to the file browser
    focusedTab,           // the browser tab was brought to the front
    copied,               // the value is on the clipboard
    nothingToCopy,        // a copy action without text; the clipboard is untouched
    clipboardUnavailable, // no clipboard to copy to; the value travels in the outcome
    openFailed,           // no usable address, or every route was refused
    needsWindow,          // the action only exists inside the launcher window
    noAction,             // an action result that carries no action
};

struct ActivationOutcome {
    ActivationStatus status = ActivationStatus::noAction;
    // One line for the user.
    QString message;
    // The address or path that was opened or revealed, or the text that was
    // (or could not be) copied.
    QString value;

    // True when the user's intent was carried out.
    bool succeeded() const {
        return status == ActivationStatus::opened || status == ActivationStatus::revealed ||
               status == ActivationStatus::focusedTab || status == ActivationStatus::copied;
    }

    bool operator==(const ActivationOutcome&) const = default;
};

} // namespace trovi
