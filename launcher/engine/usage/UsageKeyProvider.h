#pragma once
// Callbacks through which result sources reach usage learning without owning
// it: the usage key of an item and the learned open count behind a key.

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace trovi {

// The usage key for an item, or nothing when the item has none.
using UsageKeyProvider =
    std::function<std::optional<QString>(const QString& fullPath, const QString& filename)>;

// Learned open count for a lower-cased usage key or path; 0 when unknown.
using LearnedCountProvider = std::function<std::int64_t(const QString& lowerCasedKey)>;

} // namespace trovi
