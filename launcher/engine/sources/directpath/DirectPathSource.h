#pragma once
// A typed path ("~/Notes", "/etc", file:// URLs) as one row for that item.

#include "launcher/engine/sources/Source.h"

namespace trovi {

class DirectPathSource final : public Source {
public:
    DirectPathSource(SourceHost& host, QString homeDirectory)
        : m_host(host), m_homeDirectory(std::move(homeDirectory)) {}
    QList<SearchResult> search(const SearchContext& context) override;

private:
    SourceHost& m_host;
    QString m_homeDirectory;
};

} // namespace trovi
