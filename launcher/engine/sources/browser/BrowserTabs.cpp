#include "launcher/engine/sources/browser/BrowserTabs.h"

#include <QUrl>

#include <limits>

namespace trovi {

namespace {

const QChar kFieldSeparator(31);

// Decimal digits after an optional sign, nothing else (blanks included).
std::optional<int> positiveIndex(const QString& field) {
    qsizetype i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-'))
        negative = field[i++] == u'-';
    if (i == field.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < field.size(); ++i) {
        const char16_t c = field[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > std::numeric_limits<int>::max())
            return std::nullopt;
    }
    if (negative || value < 1)
        return std::nullopt;
    return int(value);
}

bool isWebURL(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https");
}

} // namespace

const QList<SupportedBrowser>& supportedTabBrowsers() {
    static const QList<SupportedBrowser> browsers = {
        {QStringLiteral("Edge"), QStringLiteral("Microsoft Edge"),
         QStringLiteral("com.microsoft.edgemac")},
        {QStringLiteral("Brave"), QStringLiteral("Brave Browser"),
         QStringLiteral("com.brave.Browser")},
    };
    return browsers;
}

bool isAppleEventsPermissionDenied(const QString& standardError) {
    const QString text = standardError.toLower();
    for (const char* marker :
         {"(-1743)", "not authorized to send apple events", "not authorised to send apple events",
          "erraeeventnotpermitted", "event not permitted"})
        if (text.contains(QLatin1String(marker)))
            return true;
    return false;
}

QString browserTabListingScript() {
    return QStringLiteral(R"(on run argv
    set appName to item 1 of argv
    set fieldSeparator to ASCII character 31
    set lineSeparator to ASCII character 10
    set output to {}
    using terms from application "Microsoft Edge"
        if application appName is not running then return ""
        tell application appName
            repeat with w from 1 to (count of windows)
                repeat with t from 1 to (count of tabs of window w)
                    set tabTitle to ""
                    set tabURL to ""
                    try
                        set tabTitle to (title of tab t of window w) as text
                    end try
                    try
                        set tabURL to (URL of tab t of window w) as text
                    end try
                    set end of output to (w as text) & fieldSeparator & (t as text) & fieldSeparator & tabTitle & fieldSeparator & tabURL
                end repeat
            end repeat
        end tell
    end using terms from
    set AppleScript's text item delimiters to lineSeparator
    set joined to output as text
    set AppleScript's text item delimiters to ""
    return joined
end run)");
}

QString browserTabFocusScript() {
    return QStringLiteral(R"(on run argv
    set appName to item 1 of argv
    set windowIndex to (item 2 of argv) as integer
    set tabIndex to (item 3 of argv) as integer
    if windowIndex < 1 or tabIndex < 1 then return "false"
    using terms from application "Microsoft Edge"
        if application appName is not running then return "false"
        tell application appName
            if (count of windows) < windowIndex then return "false"
            if (count of tabs of window windowIndex) < tabIndex then return "false"
            set active tab index of window windowIndex to tabIndex
            set index of window windowIndex to 1
            activate
        end tell
    end using terms from
    return "true"
end run)");
}

QList<BrowserTabShortcut> parseBrowserTabs(const QString& output, const QString& browserName,
                                           const QString& bundleIdentifier) {
    QList<BrowserTabShortcut> tabs;
    for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(kFieldSeparator);
        if (fields.size() < 4)
            continue;
        const auto window = positiveIndex(fields[0]);
        const auto tab = positiveIndex(fields[1]);
        if (!window || !tab)
            continue;
        const QString urlString = fields[3].trimmed();
        const QUrl url(urlString);
        if (!isWebURL(url))
            continue;
        tabs.append({browserName, bundleIdentifier, *window, *tab, fields[2].trimmed(), urlString,
                     url.host(QUrl::FullyDecoded)});
    }
    return tabs;
}

BrowserTabProbe probeBrowserTabs(const AppleScriptRunner& runner, const QString& browserName,
                                 const QString& appName, const QString& bundleIdentifier) {
    const auto run = runner.runAppleScriptDetailed(browserTabListingScript(), {appName});
    if (!run)
        return {{},
                BrowserTabProbeFailure{false,
                                       QStringLiteral("Failed to execute AppleScript process.")}};
    if (run->status != 0) {
        const QString detail =
            run->standardError.isEmpty()
                ? QStringLiteral("AppleScript exited with status %1.").arg(run->status)
                : run->standardError;
        runner.diagnosticLine(QStringLiteral("Browser tab probe failed for ") + browserName +
                              QStringLiteral(": ") + detail);
        return {{}, BrowserTabProbeFailure{isAppleEventsPermissionDenied(detail), detail}};
    }
    if (run->standardOutput.isEmpty())
        return {};
    return {parseBrowserTabs(run->standardOutput, browserName, bundleIdentifier), std::nullopt};
}

QList<BrowserTabShortcut> discoverBrowserTabs(const AppleScriptRunner& runner) {
    QList<BrowserTabShortcut> tabs;
    for (const SupportedBrowser& browser : supportedTabBrowsers())
        tabs += probeBrowserTabs(runner, browser.browserName, browser.applicationName,
                                 browser.bundleIdentifier)
                    .tabs;
    return tabs;
}

BrowserAutomationWarmupSnapshot
browserAutomationWarmupSnapshot(const AppleScriptRunner& runner,
                                const RunningApplicationCheck& isRunning) {
    using Kind = BrowserAutomationWarmupResult::Kind;
    BrowserAutomationWarmupSnapshot snapshot;
    QStringList running;
    for (const SupportedBrowser& browser : supportedTabBrowsers()) {
        if (isRunning && isRunning(browser.bundleIdentifier))
            running.append(browser.browserName);
        BrowserTabProbe probe = probeBrowserTabs(runner, browser.browserName,
                                                 browser.applicationName, browser.bundleIdentifier);
        if (probe.failure) {
            snapshot.result.browserName = browser.browserName;
            if (probe.failure->isPermissionDenied) {
                snapshot.result.kind = Kind::permissionDenied;
            } else {
                snapshot.result.kind = Kind::scriptError;
                snapshot.result.details = probe.failure->detail;
            }
            return snapshot;
        }
        snapshot.tabs += probe.tabs;
    }
    if (!snapshot.tabs.isEmpty()) {
        snapshot.result.kind = Kind::tabsFound;
        snapshot.result.tabCount = int(snapshot.tabs.size());
    } else if (!running.isEmpty()) {
        snapshot.result.kind = Kind::noTabsFound;
        snapshot.result.runningBrowsers = running;
    } else {
        snapshot.result.kind = Kind::browserNotRunning;
    }
    return snapshot;
}

bool focusBrowserTab(const AppleScriptRunner& runner, const QString& bundleIdentifier,
                     int windowIndex, int tabIndex) {
    if (windowIndex < 1 || tabIndex < 1)
        return false;
    QString appName = bundleIdentifier;
    for (const SupportedBrowser& browser : supportedTabBrowsers())
        if (browser.bundleIdentifier == bundleIdentifier)
            appName = browser.applicationName;
    const auto output =
        runner.runAppleScript(browserTabFocusScript(),
                              {appName, QString::number(windowIndex), QString::number(tabIndex)});
    return output && output->trimmed().toLower() == u"true";
}

QString browserTabFocusTargetURLString(const QString& bundleIdentifier, int windowIndex,
                                       int tabIndex) {
    // Written out rather than built with QUrl, which would lower-case the
    // bundle identifier in the host position.
    return QStringLiteral("browser-tab-focus://") + bundleIdentifier +
           QStringLiteral("?window=%1&tab=%2").arg(windowIndex).arg(tabIndex);
}

} // namespace trovi
