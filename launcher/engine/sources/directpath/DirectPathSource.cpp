#include "launcher/engine/sources/directpath/DirectPathSource.h"

#include "launcher/engine/sources/directpath/DirectPath.h"

namespace trovi {

QList<SearchResult> DirectPathSource::search(const SearchContext& context) {
    auto result = directPathResult(context.trimmedQuery, m_homeDirectory,
                                   [this](const QString& fullPath, const QString& filename) {
                                       return m_host.shortcutUsageKey(fullPath, filename);
                                   });
    if (!result)
        return {};
    return {m_host.withLearnedOpenCount(*result)};
}

} // namespace trovi
