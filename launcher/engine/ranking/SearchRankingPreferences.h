#pragma once
// ExtensionBoostRule and SearchRankingPreferences: the user's file-suffix
// rules together with the lists derived from them for ranking (suffixes to
// strip before text matching, rules in boost-lookup order, the cache key).

#include "launcher/engine/model/SearchResult.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <cstdint>

namespace trovi {

struct ExtensionBoostRule {
    QUuid id;
    QString suffix;
    std::int64_t boost = 0;

    bool operator==(const ExtensionBoostRule& other) const = default;
};

class SearchRankingPreferences {
public:
    // Takes the rules as given; normalising them is the settings store's job.
    explicit SearchRankingPreferences(QList<ExtensionBoostRule> extensionBoostRules);

    const QList<ExtensionBoostRule>& extensionBoostRules() const { return m_rules; }

    // The rules' suffixes plus the cloud-document and web-link suffixes, without
    // duplicates, longest first (equal lengths in plain string order).
    const QStringList& sortedSuffixesForBasenameStripping() const { return m_sortedSuffixes; }

    // Longest suffix first, equal lengths by locale-aware case-insensitive order,
    // so the most specific rule wins a lookup.
    const QList<ExtensionBoostRule>& longestMatchFirstBoostRules() const {
        return m_longestMatchFirst;
    }

    // Base64 of the compact JSON [{"boost":…,"suffix":…},…] of the rules in
    // lookup order. Part of the query-cache key, so results ranked under other
    // rules are never reused.
    const QString& cacheKey() const { return m_cacheKey; }

    // 0 for actions; otherwise the boost of the first lookup-order rule whose
    // suffix ends the lower-cased file name, 0 when none does.
    std::int64_t extensionBoost(const SearchResult& result) const;

    bool operator==(const SearchRankingPreferences& other) const;

private:
    QList<ExtensionBoostRule> m_rules;
    QStringList m_sortedSuffixes;
    QList<ExtensionBoostRule> m_longestMatchFirst;
    QString m_cacheKey;
};

// Length in user-perceived characters (grapheme clusters), which is how suffix
// lengths are compared.
qsizetype characterCount(const QString& text);

} // namespace trovi
