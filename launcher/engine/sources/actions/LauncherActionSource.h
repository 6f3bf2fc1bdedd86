#pragma once
// The launcher's own actions as a source.

#include "launcher/engine/sources/Source.h"

namespace trovi {

// "Show Launcher Settings" for queries that ask for settings.
class LauncherActionSource final : public Source {
public:
    explicit LauncherActionSource(SourceHost& host) : m_host(host) {}
    QList<SearchResult> search(const SearchContext& context) override;

private:
    SourceHost& m_host;
};

} // namespace trovi
