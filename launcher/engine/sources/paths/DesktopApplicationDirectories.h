#pragma once
// Where freedesktop application entries live. Reading them is the platform's
// business; the folders are configuration the engine passes along.

#include <QString>
#include <QStringList>

namespace trovi {

// $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS, then the flatpak
// and snap export folders; with the specification's defaults when unset. An
// entry in an earlier folder hides one with the same desktop id in a later one.
QStringList defaultDesktopApplicationDirectories(const QString& home);

} // namespace trovi
