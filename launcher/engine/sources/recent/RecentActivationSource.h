#pragma once
// Recently activated results that match the query, newest first, marked as
// recent activations so they win over catalogue copies of the same item.

#include "launcher/engine/sources/Source.h"
#include "launcher/engine/sources/TimedCatalog.h"
#include "launcher/engine/sources/paths/PathCatalog.h"

namespace trovi {

class UsageStore;

class RecentActivationSource final : public Source {
public:
    // The catalogues tell whether an item's kind has been listed yet: until
    // then a recent item is shown without checking that it still exists.
    struct Catalogs {
        const TimedCatalog<PathCatalog>* apps;
        const TimedCatalog<PathCatalog>* folders;
        const TimedCatalog<PathCatalog>* shortcuts;
    };
    RecentActivationSource(SourceHost& host, UsageStore& usage, bool enabled, Catalogs catalogs)
        : m_host(host), m_usage(usage), m_enabled(enabled), m_catalogs(catalogs) {}
    QList<SearchResult> search(const SearchContext& context) override;

private:
    bool shouldInclude(const SearchResult& result) const;

    SourceHost& m_host;
    UsageStore& m_usage;
    bool m_enabled;
    Catalogs m_catalogs;
};

} // namespace trovi
