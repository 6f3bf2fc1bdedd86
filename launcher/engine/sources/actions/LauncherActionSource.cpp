#include "launcher/engine/sources/actions/LauncherActionSource.h"

#include "launcher/engine/sources/actions/LauncherActions.h"

namespace trovi {

QList<SearchResult> LauncherActionSource::search(const SearchContext& context) {
    if (context.isSingleCharacter() || !launcherSettingsActionMatches(context.queryLowercased))
        return {};
    return {m_host.withLearnedOpenCount(launcherSettingsActionResult())};
}

} // namespace trovi
