#include "launcher/session/ResultActivator.h"

#include <QUrl>

namespace trovi {

namespace {

std::optional<QUrl> parseActionURL(const std::optional<QString>& urlString) {
    if (!urlString)
        return std::nullopt;
    const QString trimmed = urlString->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Tolerant, so that an address with a stray blank still opens; a text
    // without a scheme is not an address at all.
    const QUrl url(trimmed, QUrl::TolerantMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    return url;
}

ActivationOutcome outcome(ActivationStatus status, QString message, QString value = {}) {
    return ActivationOutcome{status, std::move(message), std::move(value)};
}

} // namespace

ResultActivationMode effectiveActivationMode(const SearchResult& result,
                                             ResultActivationMode requested) {
    switch (result.kind) {
    case SearchResultKind::action:
        return ResultActivationMode::open;
    case SearchResultKind::folder:
        return result.isDirectPathMatch ? requested : ResultActivationMode::open;
    case SearchResultKind::file:
    case SearchResultKind::app:
        break;
    }
    return requested;
}

bool openActionURL(Workspace& workspace, const std::optional<QString>& urlString) {
    const auto url = parseActionURL(urlString);
    return url && workspace.open(*url);
}

ResultActivator::ResultActivator(Workspace& workspace, Clipboard& clipboard,
                                 BrowserTabFocuser focusBrowserTab)
    : workspace_(workspace), clipboard_(clipboard), focusBrowserTab_(std::move(focusBrowserTab)) {}

ActivationOutcome ResultActivator::activate(const SearchResult& result, ResultActivationMode mode) {
    if (result.kind == SearchResultKind::action)
        return activateAction(result);
    return activateItem(result, effectiveActivationMode(result, mode));
}

ActivationOutcome ResultActivator::activateItem(const SearchResult& result,
                                                ResultActivationMode mode) {
    const QString path = result.fullPath();
    if (path.isEmpty())
        return outcome(ActivationStatus::openFailed,
                       QStringLiteral("Nothing to open: the result has no path"));
    if (mode == ResultActivationMode::revealInFileBrowser) {
        workspace_.reveal(path);
        return outcome(ActivationStatus::revealed,
                       QStringLiteral("Revealed in the file manager: ") + path, path);
    }
    if (workspace_.open(QUrl::fromLocalFile(path)))
        return outcome(ActivationStatus::opened, QStringLiteral("Opened ") + path, path);
    return outcome(ActivationStatus::openFailed, QStringLiteral("Could not open ") + path, path);
}

std::optional<ActivationOutcome> ResultActivator::refusal(const SearchResult& result) {
    if (result.kind != SearchResultKind::action)
        return std::nullopt;
    if (!result.action)
        return outcome(ActivationStatus::noAction, QStringLiteral("This result has no action"));
    if (*result.action == SearchResultAction::openSettings)
        return outcome(ActivationStatus::needsWindow,
                       QStringLiteral("The settings window opens only from the running launcher"));
    return std::nullopt;
}

ActivationOutcome ResultActivator::activateAction(const SearchResult& result) {
    if (auto refused = refusal(result))
        return *refused;
    switch (*result.action) {
    case SearchResultAction::openSettings: // refused above
        break;
    case SearchResultAction::openSystemSettings:
    case SearchResultAction::openNotionPage:
        return openFirst({result.actionURLString, result.fallbackActionURLString});
    case SearchResultAction::openBrowserFavorite:
        return openFirst({result.actionURLString});
    case SearchResultAction::focusBrowserTab:
        return focusTabOrOpenPage(result);
    case SearchResultAction::copyToClipboard:
        return copy(result.actionURLString);
    }
    return outcome(ActivationStatus::noAction, QStringLiteral("This result has no action"));
}

ActivationOutcome
ResultActivator::openFirst(std::initializer_list<std::optional<QString>> candidates) {
    QString tried;
    for (const auto& candidate : candidates) {
        if (openActionURL(workspace_, candidate))
            return outcome(ActivationStatus::opened, QStringLiteral("Opened ") + *candidate,
                           *candidate);
        if (tried.isEmpty() && candidate && !candidate->trimmed().isEmpty())
            tried = *candidate;
    }
    if (tried.isEmpty())
        return outcome(ActivationStatus::openFailed,
                       QStringLiteral("Nothing to open: the result has no address"));
    return outcome(ActivationStatus::openFailed, QStringLiteral("Could not open ") + tried, tried);
}

ActivationOutcome ResultActivator::focusTabOrOpenPage(const SearchResult& result) {
    // The route travels in the fallback field; the page's own address is the
    // way out whenever the tab cannot be focused.
    if (focusBrowserTab_ && result.fallbackActionURLString) {
        const QString page = result.actionURLString.value_or(QString());
        const auto route = decodeBrowserTabFocusRoute(*result.fallbackActionURLString);
        switch (route ? focusBrowserTab_(*route, page) : BrowserTabReach::failed) {
        case BrowserTabReach::focused:
            return outcome(ActivationStatus::focusedTab,
                           QStringLiteral("Switched to the browser tab"), page);
        case BrowserTabReach::openedInBrowser:
            return outcome(ActivationStatus::opened, QStringLiteral("Opened ") + page, page);
        case BrowserTabReach::failed:
            break;
        }
    }
    return openFirst({result.actionURLString});
}

ActivationOutcome ResultActivator::copy(const std::optional<QString>& text) {
    if (!text || text->isEmpty())
        return outcome(ActivationStatus::nothingToCopy, QStringLiteral("Nothing to copy"));
    if (!clipboard_.setText(*text))
        return outcome(ActivationStatus::clipboardUnavailable,
                       QStringLiteral("No clipboard is available; the value is: ") + *text, *text);
    return outcome(ActivationStatus::copied, QStringLiteral("Copied to the clipboard: ") + *text,
                   *text);
}

} // namespace trovi
