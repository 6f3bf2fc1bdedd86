#pragma once
// ResultActivator: carries out a chosen search result without any window:
// opens or reveals files, folders and applications, and runs the actions that
// need no launcher window (addresses, clipboard, browser tabs). Usage learning
// and cache promotion stay with the caller, which knows the query.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/session/ActivationOutcome.h"
#include "launcher/session/BrowserTabFocusRoute.h"
#include "launcher/session/Clipboard.h"
#include "launcher/session/Workspace.h"

#include <functional>
#include <optional>

namespace trovi {

// The mode an activation really uses: actions always open; a folder is
// revealed only when it was reached by a typed path, so Command+Return on a
// folder found by name still opens it; files and applications keep the mode.
ResultActivationMode effectiveActivationMode(const SearchResult& result,
                                             ResultActivationMode requested);

// Parses text as an absolute URL and asks the workspace to open it. False for
// a missing, empty or unparsable text, else the workspace's answer.
bool openActionURL(Workspace& workspace, const std::optional<QString>& urlString);

// How a browser tab was reached: brought to the front, or (where a tab cannot
// be focused from outside, as on Linux) its page opened in that same browser.
enum class BrowserTabReach { failed, focused, openedInBrowser };

// Reaches the tab the route names, whose page is `pageURL`.
using BrowserTabFocuser =
    std::function<BrowserTabReach(const BrowserTabFocusRoute&, const QString& pageURL)>;

class ResultActivator {
public:
    // Without a focuser, or when it fails, browser-tab results open the
    // page's address with the default browser instead.
    ResultActivator(Workspace& workspace, Clipboard& clipboard,
                    BrowserTabFocuser focusBrowserTab = {});

    ActivationOutcome activate(const SearchResult& result, ResultActivationMode mode);
    // The outcome when the result cannot be carried out here at all (an action
    // that only exists inside the launcher window, or no action), else nothing.
    static std::optional<ActivationOutcome> refusal(const SearchResult& result);

private:
    ActivationOutcome activateItem(const SearchResult& result, ResultActivationMode mode);
    ActivationOutcome activateAction(const SearchResult& result);
    ActivationOutcome openFirst(std::initializer_list<std::optional<QString>> candidates);
    ActivationOutcome focusTabOrOpenPage(const SearchResult& result);
    ActivationOutcome copy(const std::optional<QString>& text);

    Workspace& workspace_;
    Clipboard& clipboard_;
    BrowserTabFocuser focusBrowserTab_;
};

} // namespace trovi
