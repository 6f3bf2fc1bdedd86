#pragma once
// The launcher's shortcut as one of GNOME's custom keybindings, written through
// `gsettings` so that the desktop itself runs `trovi` on the key: the only way
// to a global key on Wayland there. Install appends one entry under a path of
// its own to the person's list; remove takes out exactly that entry.

#include "launcher/session/hotkey/HotKeySettings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace trovi {

struct DesktopShortcutOutcome {
    bool success = false;
    QString message; // one or more lines for the person
    // Nothing was changed: the message tells the person what to do instead.
    bool stepsForPerson = false;
};

// GNOME's accelerator text for the hotkey ("<Control>space"); nothing for a
// key without a name there.
std::optional<QString> gnomeAccelerator(const HotKeySettings& settings);

// The entries of a `gsettings get` string array ("@as []", "['/a/', '/b/']");
// nothing when the text is not one.
std::optional<QStringList> parseGVariantStringArray(const QString& text);
QString gVariantStringArray(const QStringList& items);
QString gVariantString(const QString& text);

class GnomeCustomKeybinding {
public:
    static constexpr char listSchema[] = "org.gnome.settings-daemon.plugins.media-keys";
    static constexpr char entrySchema[] =
        "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
    static constexpr char entryPath[] =
        "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/trovi-launcher/";

    explicit GnomeCustomKeybinding(QString gsettings = QStringLiteral("gsettings"));

    // Binds `accelerator` to `command`; run again, it updates its own entry.
    DesktopShortcutOutcome install(const QString& accelerator, const QString& command) const;
    DesktopShortcutOutcome remove() const;

private:
    struct Run {
        bool ok = false;
        QString output;
    };
    Run gsettings(const QStringList& arguments) const;
    std::optional<QStringList> entries(QString* problem) const;

    QString m_gsettings;
};

} // namespace trovi
