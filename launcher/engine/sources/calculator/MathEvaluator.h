#pragma once
// The inline calculator: evaluates a launcher query that looks like arithmetic
// (+ - * / ^, parentheses, sqrt/abs/ceil/floor/round/sin/cos/tan/log/ln, pi, e)
// and formats the value the way the result row shows and copies it.

#include <QString>

#include <optional>

namespace trovi {

// The formatted value of the query, or nothing when the query is not an
// accepted expression or its value is not finite. Leading and trailing white
// space is ignored. Pure and safe to call from any thread.
std::optional<QString> evaluateMathExpression(const QString& query);

// How a computed value is shown: whole values below 1e15 without a fraction
// ("%.0f"), everything else with ten significant digits ("%.10g"). The decimal
// separator is always a point, whatever the process locale.
QString formatMathValue(double value);

} // namespace trovi
