#pragma once
// BrowserTabFocusRoute: the decoded form of a "browser-tab-focus://" address,
// naming a browser by bundle identifier and one tab by window and tab index.

#include <QString>

#include <cstdint>
#include <optional>

namespace trovi {

struct BrowserTabFocusRoute {
    QString bundleIdentifier;
    std::int64_t windowIndex = 0;
    std::int64_t tabIndex = 0;

    bool operator==(const BrowserTabFocusRoute&) const = default;
};

// Decodes "browser-tab-focus://<bundle id>?window=<n>&tab=<n>". Nothing for a
// missing or malformed address, another scheme, a missing host, or window/tab
// values that are absent, repeated or not whole decimal integers.
std::optional<BrowserTabFocusRoute> decodeBrowserTabFocusRoute(const QString& text);

} // namespace trovi
