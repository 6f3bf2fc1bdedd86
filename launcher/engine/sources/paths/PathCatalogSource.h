#pragma once
// The three path catalogues (applications, folders, shortcut files) as
// sources: each walks its roots on the pool when stale and answers from its
// PathCatalog index.

#include "launcher/engine/sources/Source.h"
#include "launcher/engine/sources/TimedCatalog.h"
#include "launcher/engine/sources/paths/PathCatalog.h"

namespace trovi {

class PathCatalogSource final : public Source {
public:
    // Captures, on the engine thread, what one walk needs; the walk itself
    // runs on any thread.
    using Walk = std::function<PathRecords()>;
    using WalkFactory = std::function<Walk(const SearchRankingPreferences&)>;
    // Rows added to every search before filtering (pinned folders).
    using Extras = std::function<QList<SearchResult>()>;

    PathCatalogSource(SourceHost& host, double timeToLive, WalkFactory walk, Extras extras = {});

    QList<SearchResult> search(const SearchContext& context) override;
    BackgroundJob refreshJob() override;

    // Walks and indexes the catalogue; the returned function runs on any thread.
    std::function<PathCatalog()> builder() const;
    void adopt(PathCatalog catalog) { m_catalog.adopt(std::move(catalog), m_host.now()); }

    TimedCatalog<PathCatalog>& catalog() { return m_catalog; }
    const TimedCatalog<PathCatalog>& catalog() const { return m_catalog; }

private:
    SourceHost& m_host;
    WalkFactory m_walk;
    Extras m_extras;
    TimedCatalog<PathCatalog> m_catalog;
};

// The platform's installed applications (on Linux the freedesktop entries in
// the given folders), listed beside the bundles. Runs on the builder pool.
using InstalledApplications = std::function<QList<SearchResult>(const QStringList& directories)>;

} // namespace trovi
