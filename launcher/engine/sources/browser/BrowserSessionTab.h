#pragma once
// One open tab as a browser's session file records it: where it sits and the
// page it shows now (not its back and forward history).

#include <QList>
#include <QString>

namespace trovi {

struct BrowserSessionTab {
    int windowIndex = 1; // 1-based, in the browser's own order
    int tabIndex = 1;    // 1-based within its window
    QString title;
    QString urlString;
    bool operator==(const BrowserSessionTab&) const = default;
};

// Past these, a session file is not what it claims to be: the rest is ignored.
namespace session_limits {
inline constexpr int maxTabs = 10000;
inline constexpr int maxNavigations = 200000; // kept entries, all tabs together
} // namespace session_limits

} // namespace trovi
