#pragma once
// Run at login on a freedesktop desktop: an autostart entry
// $XDG_CONFIG_HOME/autostart/trovi-launcher.desktop whose Exec is the
// launcher's absolute path. Enabled while our entry exists and is not hidden.

#include "launcher/session/startup/LaunchAtLogin.h"

namespace trovi::platform {

class XdgAutostartLoginItem : public LaunchAtLoginManaging {
public:
    // `autostartFolder` empty: $XDG_CONFIG_HOME/autostart (or ~/.config/autostart).
    explicit XdgAutostartLoginItem(QString executablePath, QString autostartFolder = {});

    LaunchAtLoginState currentState() override;
    LaunchAtLoginUpdateResult update(bool enabled) override;

    QString entryPath() const;

private:
    QString m_executablePath;
    QString m_folder;
};

} // namespace trovi::platform
