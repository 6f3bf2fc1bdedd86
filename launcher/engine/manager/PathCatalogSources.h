#pragma once
// The application, folder and shortcut catalogues as a configuration asks for
// them: which roots each walks, how deep, and how long its index stays fresh.

#include "launcher/engine/sources/paths/PathCatalogSource.h"

#include <memory>

namespace trovi {

struct DatabaseManagerConfiguration;

// The standard catalogues for a configuration.
std::unique_ptr<PathCatalogSource> makeApplicationSource(SourceHost& host,
                                                         const DatabaseManagerConfiguration& config,
                                                         InstalledApplications installed);
std::unique_ptr<PathCatalogSource> makeFolderSource(SourceHost& host,
                                                    const DatabaseManagerConfiguration& config);
std::unique_ptr<PathCatalogSource> makeShortcutSource(SourceHost& host,
                                                      const DatabaseManagerConfiguration& config);

} // namespace trovi
