#pragma once
// The launcher's icon for the tray and its windows; the same drawing as the
// installed data/trovi-launcher.svg, painted so it needs no image plugin.

#include <QIcon>

namespace trovi {

QIcon launcherIcon();

} // namespace trovi
