#pragma once
// Notion pages matching the query. Empty until the Notion client arrives.

#include "launcher/engine/sources/Source.h"

namespace trovi {

class NotionSource final : public Source {
public:
    explicit NotionSource(SourceHost& host) : m_host(host) {}
    QList<SearchResult> search(const SearchContext&) override { return {}; }

private:
    [[maybe_unused]] SourceHost& m_host;
};

} // namespace trovi
