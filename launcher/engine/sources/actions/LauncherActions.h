#pragma once
// The launcher's own built-in action: opening its settings window when the
// query looks like a request for settings.

#include "launcher/engine/model/SearchResult.h"

#include <QString>

namespace trovi {

// True when a settings keyword contains the query or the query contains one,
// or when the action's title or subtitle contains it. An empty query never
// matches.
bool launcherSettingsActionMatches(const QString& queryLowercased);

// The "Show Launcher Settings" record with open count 0; learned counts are
// applied by the caller.
SearchResult launcherSettingsActionResult();

} // namespace trovi
