#pragma once
// Linux browsers offer no way to bring one of their tabs to the front from
// outside, so a tab row opens its page in the browser it was found in: that
// browser's own executable (or its Flatpak, or its snap) with the address.

#include "launcher/session/ResultActivator.h"

namespace trovi {

// Starts the browser that the route's identifier names with `pageURL`;
// `failed` for an unknown browser, one not installed, or an address that is
// not http(s), so the caller falls back to the default browser.
BrowserTabReach openTabPageInItsBrowser(const BrowserTabFocusRoute& route, const QString& pageURL);

} // namespace trovi
