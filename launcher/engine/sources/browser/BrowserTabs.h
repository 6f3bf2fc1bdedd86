#pragma once
// Open tabs of the supported Chromium browsers, listed and focused through
// their scripting dictionaries: the two scripts, their output protocol, the
// probe with its permission check, the warm-up snapshot and focusing.

#include "launcher/engine/sources/browser/AppleScriptRunner.h"
#include "launcher/engine/sources/browser/BrowserShortcuts.h"

#include <functional>

namespace trovi {

struct SupportedBrowser {
    QString browserName;
    QString applicationName;
    QString bundleIdentifier;
};

// Edge, then Brave.
const QList<SupportedBrowser>& supportedTabBrowsers();

struct BrowserTabProbeFailure {
    bool isPermissionDenied = false;
    QString detail;
};

struct BrowserTabProbe {
    QList<BrowserTabShortcut> tabs;
    std::optional<BrowserTabProbeFailure> failure;
};

struct BrowserAutomationWarmupResult {
    enum class Kind { tabsFound, noTabsFound, permissionDenied, scriptError, browserNotRunning };
    Kind kind = Kind::browserNotRunning;
    int tabCount = 0;            // tabsFound
    QStringList runningBrowsers; // noTabsFound
    QString browserName;         // permissionDenied, scriptError
    QString details;             // scriptError
};

struct BrowserAutomationWarmupSnapshot {
    BrowserAutomationWarmupResult result;
    QList<BrowserTabShortcut> tabs;
};

// Whether the script host's error text says automation was refused.
bool isAppleEventsPermissionDenied(const QString& standardError);

// The tab-listing and focusing scripts.
QString browserTabListingScript();
QString browserTabFocusScript();

// Lines of window, US, tab, US, title, US, URL (US = ASCII 31); lines that do
// not parse, and pages other than http(s), are skipped.
QList<BrowserTabShortcut> parseBrowserTabs(const QString& output, const QString& browserName,
                                           const QString& bundleIdentifier);

BrowserTabProbe probeBrowserTabs(const AppleScriptRunner& runner, const QString& browserName,
                                 const QString& appName, const QString& bundleIdentifier);

// Every tab of every supported browser, failures ignored.
QList<BrowserTabShortcut> discoverBrowserTabs(const AppleScriptRunner& runner);

// Whether an application with the bundle identifier runs.
using RunningApplicationCheck = std::function<bool(const QString& bundleIdentifier)>;

BrowserAutomationWarmupSnapshot
browserAutomationWarmupSnapshot(const AppleScriptRunner& runner,
                                const RunningApplicationCheck& isRunning);

bool focusBrowserTab(const AppleScriptRunner& runner, const QString& bundleIdentifier,
                     int windowIndex, int tabIndex);

// browser-tab-focus://<bundle id>?window=<w>&tab=<t>
QString browserTabFocusTargetURLString(const QString& bundleIdentifier, int windowIndex,
                                       int tabIndex);

} // namespace trovi
