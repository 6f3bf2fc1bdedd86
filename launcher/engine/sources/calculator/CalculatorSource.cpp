#include "launcher/engine/sources/calculator/CalculatorSource.h"

#include "launcher/engine/sources/calculator/MathEvaluator.h"

namespace trovi {

QList<SearchResult> CalculatorSource::search(const SearchContext& context) {
    const QString& query = context.trimmedQuery;
    const std::optional<QString> value = evaluateMathExpression(query);
    if (!value)
        return {};
    SearchResult row;
    row.id = stableNegativeID(QStringLiteral("action://calculator/") + query);
    row.filename = *value;
    row.directory = query;
    row.kind = SearchResultKind::action;
    row.action = SearchResultAction::copyToClipboard;
    row.actionURLString = *value;
    return {row};
}

} // namespace trovi
