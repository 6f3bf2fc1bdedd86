#pragma once
// The engine's sources in search order, and the order their catalogues refresh.

#include "launcher/clients/TranslationCommand.h"
#include "launcher/engine/sources/Source.h"
#include "launcher/engine/sources/paths/PathCatalogSource.h"

#include <climits>
#include <memory>
#include <vector>

namespace trovi {

class DocumentSource;
class PathCatalogSource;
class UsageStore;
struct DatabaseManagerConfiguration;

class SourceList {
public:
    // Sources without a refresh slot refresh after the numbered ones, in list order.
    static constexpr int afterStandardCatalogs = INT_MAX;

    template <typename S>
    S& add(std::unique_ptr<S> source, int refreshSlot = afterStandardCatalogs) {
        S& added = *source;
        m_entries.push_back({std::move(source), refreshSlot});
        return added;
    }
    // In the order results are merged.
    std::vector<Source*> searchOrder() const;
    // Catalogues are rebuilt one after another in this order.
    std::vector<Source*> refreshOrder() const;

private:
    struct Entry {
        std::unique_ptr<Source> source;
        int refreshSlot;
    };
    std::vector<Entry> m_entries;
};

// The sources the engine itself needs to reach directly.
struct StandardSources {
    PathCatalogSource* apps = nullptr;
    PathCatalogSource* folders = nullptr;
    PathCatalogSource* shortcuts = nullptr;
    DocumentSource* documents = nullptr;
};

class TranslationEngines;

// Services the standard sources need beyond the host and the configuration.
struct StandardSourceServices {
    std::shared_ptr<TranslationEngines> translationEngines;
    InstalledApplications installedApplications;
};

StandardSources addStandardSources(SourceList& list, SourceHost& host, UsageStore& usage,
                                   const DatabaseManagerConfiguration& config,
                                   const StandardSourceServices& services);

} // namespace trovi
