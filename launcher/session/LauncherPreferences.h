#pragma once
// The full preference table: the settings layer's entries with the rules of
// the stores that live above it (hot key, window sizes, ranking rules,
// translation), so `trovi config` checks a value exactly as the settings
// window does.

#include "launcher/settings/PreferenceRegistry.h"

namespace trovi {

PreferenceRegistry launcherPreferences();

} // namespace trovi
