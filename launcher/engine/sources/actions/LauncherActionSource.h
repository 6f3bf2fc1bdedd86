#pragma once
// The inline calculator and the launcher's own actions as sources.

#include "launcher/engine/sources/Source.h"

namespace trovi {

// A query that is an arithmetic expression gives one row holding its value.
class CalculatorSource final : public Source {
public:
    QList<SearchResult> search(const SearchContext& context) override;
};

// "Show Launcher Settings" for queries that ask for settings.
class LauncherActionSource final : public Source {
public:
    explicit LauncherActionSource(SourceHost& host) : m_host(host) {}
    QList<SearchResult> search(const SearchContext& context) override;

private:
    SourceHost& m_host;
};

} // namespace trovi
