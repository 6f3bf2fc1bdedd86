#pragma once
// The inline calculator as a source.

#include "launcher/engine/sources/Source.h"

namespace trovi {

// A query that is an arithmetic expression gives one row holding its value.
class CalculatorSource final : public Source {
public:
    QList<SearchResult> search(const SearchContext& context) override;
};

} // namespace trovi
