#pragma once
// Translation rows for queries that are translation commands. Empty until the
// translation engines arrive.

#include "launcher/engine/sources/Source.h"

namespace trovi {

class TranslationSource final : public Source {
public:
    explicit TranslationSource(SourceHost& host) : m_host(host) {}
    QList<SearchResult> search(const SearchContext&) override { return {}; }

private:
    [[maybe_unused]] SourceHost& m_host;
};

} // namespace trovi
