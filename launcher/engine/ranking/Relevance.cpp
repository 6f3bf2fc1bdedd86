#include "launcher/engine/ranking/Relevance.h"

#include "launcher/engine/model/Deduplication.h"
#include "launcher/engine/ranking/NameCollation.h"

#include <algorithm>
#include <vector>

namespace trovi {

namespace {

// Where the extension of the last path component starts (its "."), or -1.
// A leading dot names a hidden file rather than starting an extension.
qsizetype pathExtensionStart(QStringView name) {
    qsizetype end = name.size();
    while (end > 1 && name[end - 1] == u'/')
        --end;
    const qsizetype componentStart = name.lastIndexOf(u'/', end - 1) + 1;
    const QStringView component = name.mid(componentStart, end - componentStart);
    if (component == u"..")
        return -1;
    const qsizetype dot = component.lastIndexOf(u'.');
    if (dot <= 0)
        return -1;
    return componentStart + dot;
}

// QString::startsWith says a null string does not start with an empty one;
// here an empty query is a prefix of every name, null or not.
bool hasPrefix(QStringView text, QStringView prefix) {
    return text.size() >= prefix.size() && text.first(prefix.size()) == prefix;
}

bool containsQuery(const std::optional<QString>& text, const QString& query) {
    return text && text->toLower().contains(query);
}

} // namespace

qsizetype searchableBasenameLength(QStringView lowercasedFilename,
                                   const QStringList& sortedSuffixes) {
    for (const QString& suffix : sortedSuffixes) {
        if (lowercasedFilename.endsWith(suffix)) {
            const qsizetype rest = lowercasedFilename.size() - suffix.size();
            return rest > 0 ? rest : lowercasedFilename.size();
        }
    }
    const qsizetype dot = pathExtensionStart(lowercasedFilename);
    return dot < 0 ? lowercasedFilename.size() : dot;
}

QString searchableBasename(const QString& filename, const QStringList& sortedSuffixes) {
    QString name = filename.toLower();
    name.truncate(searchableBasenameLength(name, sortedSuffixes));
    return name;
}

QString searchableBasename(const SearchResult& result, const QStringList& sortedSuffixes) {
    return result.title ? result.title->toLower()
                        : searchableBasename(result.filename, sortedSuffixes);
}

std::optional<int> pathMatchTier(const SearchResult& result, const QString& queryLowercased,
                                 const QStringList& sortedSuffixes) {
    const QString base = searchableBasename(result, sortedSuffixes);
    if (!base.contains(queryLowercased) && !result.namesContain(queryLowercased))
        return std::nullopt;
    if (base == queryLowercased)
        return 2;
    return hasPrefix(base, queryLowercased) ? 1 : 0;
}

std::int64_t tierPoints(TextMatchTier tier) {
    switch (tier) {
    case TextMatchTier::none:
        return 0;
    case TextMatchTier::contains:
        return 250;
    case TextMatchTier::prefix:
        return 500;
    case TextMatchTier::exact:
        return 1000;
    }
    return 0;
}

namespace {

// `name` is the lower-cased file name, computed once per scored row.
TextMatchTier matchTier(const SearchResult& result, const QString& name,
                        const QString& queryLowercased, const QStringList& sortedSuffixes) {
    // An application's own name stands in for the base name; its generic
    // name and keywords count as containing the query.
    QString title;
    QStringView base;
    if (result.title) {
        title = result.title->toLower();
        base = title;
    } else {
        base = QStringView(name).first(searchableBasenameLength(name, sortedSuffixes));
    }
    if (base == queryLowercased || name == queryLowercased)
        return TextMatchTier::exact;
    if (hasPrefix(base, queryLowercased) || hasPrefix(name, queryLowercased))
        return TextMatchTier::prefix;
    if (base.contains(queryLowercased) || result.namesContain(queryLowercased))
        return TextMatchTier::contains;
    if (result.directory.toLower().contains(queryLowercased) ||
        containsQuery(result.snippet, queryLowercased) ||
        result.fullPath().toLower().contains(queryLowercased))
        return TextMatchTier::contains;
    return TextMatchTier::none;
}

} // namespace

TextMatchTier textMatchTier(const SearchResult& result, const QString& queryLowercased,
                            const QStringList& sortedSuffixes) {
    return matchTier(result, result.filename.toLower(), queryLowercased, sortedSuffixes);
}

std::optional<std::int64_t> fixedScore(const SearchResult& result) {
    if (result.kind != SearchResultKind::action || !result.action)
        return std::nullopt;
    if (*result.action == SearchResultAction::copyToClipboard)
        return 10000;
    if (*result.action == SearchResultAction::openBrowserFavorite) {
        // Translation rows: their subtitles say which state they stand for.
        const QString subtitle = result.directory.toLower();
        if (subtitle.contains(u"translating locally"))
            return 9500;
        if (subtitle.contains(u"local engine unavailable"))
            return 9000;
        if (subtitle.contains(u"local result unchanged"))
            return 8800;
    }
    return std::nullopt;
}

static std::int64_t basePoints(const SearchResult& result) {
    if (result.kind == SearchResultKind::app)
        return 600;
    if (result.kind == SearchResultKind::action && result.action) {
        switch (*result.action) {
        case SearchResultAction::openSystemSettings:
        case SearchResultAction::focusBrowserTab:
            return 300;
        case SearchResultAction::openNotionPage:
            return 280;
        case SearchResultAction::openBrowserFavorite:
            return 250;
        case SearchResultAction::openSettings:
        case SearchResultAction::copyToClipboard:
            break;
        }
    }
    switch (result.kind) {
    case SearchResultKind::file:
        return 0;
    case SearchResultKind::folder:
        return 70;
    case SearchResultKind::action:
        return 60;
    case SearchResultKind::app:
        break;
    }
    return 600;
}

static std::int64_t usagePoints(const SearchResult& result) {
    // Apps and settings panes are opened by habit, so use lifts them harder.
    const bool heavy = (result.kind == SearchResultKind::app && !result.databaseID()) ||
                       (result.kind == SearchResultKind::action &&
                        result.action == SearchResultAction::openSystemSettings);
    return std::min<std::int64_t>(result.openCount, 50) * (heavy ? 120 : 40);
}

std::int64_t relevanceScore(const SearchResult& result, const QString& queryLowercased,
                            const SearchRankingPreferences& preferences) {
    if (const auto fixed = fixedScore(result))
        return *fixed;
    if (result.isDirectPathMatch)
        return 5000;
    const QString name = result.filename.toLower();
    std::int64_t score = tierPoints(
        matchTier(result, name, queryLowercased, preferences.sortedSuffixesForBasenameStripping()));
    score += basePoints(result);
    score += usagePoints(result);
    if (result.isRecentActivation)
        score += 800;
    if (result.snippet)
        score += 50;
    // As SearchRankingPreferences::extensionBoost, on the name lowered above.
    if (result.kind != SearchResultKind::action) {
        for (const ExtensionBoostRule& rule : preferences.longestMatchFirstBoostRules()) {
            if (name.endsWith(rule.suffix)) {
                score += rule.boost;
                break;
            }
        }
    }
    return score;
}

void sortForDisplay(QList<SearchResult>& results) {
    std::stable_sort(results.begin(), results.end(),
                     [](const SearchResult& a, const SearchResult& b) {
                         const std::int64_t scoreA = a.relevanceScore.value_or(0);
                         const std::int64_t scoreB = b.relevanceScore.value_or(0);
                         if (scoreA != scoreB)
                             return scoreA > scoreB;
                         if (a.openCount != b.openCount)
                             return a.openCount > b.openCount;
                         return compareNames(a.displayName(), b.displayName()) < 0;
                     });
}

void sortForDisplay(QList<SearchResult>& results, qsizetype limit) {
    struct Key {
        std::int64_t score;
        std::int64_t count;
        qsizetype index;
    };
    std::vector<Key> keys;
    keys.reserve(std::size_t(results.size()));
    for (qsizetype i = 0; i < results.size(); ++i)
        keys.push_back({results[i].relevanceScore.value_or(0), results[i].openCount, i});
    // Ties keep their list order, as the stable sort would.
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.score != b.score)
            return a.score > b.score;
        if (a.count != b.count)
            return a.count > b.count;
        return a.index < b.index;
    });
    const auto kept = std::size_t(std::clamp<qsizetype>(limit, 0, results.size()));
    const auto byName = [&](const Key& a, const Key& b) {
        const int order =
            compareNames(results[a.index].displayName(), results[b.index].displayName());
        return order != 0 ? order < 0 : a.index < b.index;
    };
    for (std::size_t start = 0; start < kept;) {
        std::size_t end = start + 1;
        while (end < keys.size() && keys[end].score == keys[start].score &&
               keys[end].count == keys[start].count)
            ++end;
        if (end - start > 1) {
            const auto first = keys.begin() + std::ptrdiff_t(start);
            const auto middle = keys.begin() + std::ptrdiff_t(std::min(end, kept));
            std::partial_sort(first, middle, keys.begin() + std::ptrdiff_t(end), byName);
        }
        start = end;
    }
    QList<SearchResult> sorted;
    sorted.reserve(qsizetype(kept));
    for (std::size_t k = 0; k < kept; ++k)
        sorted.append(std::move(results[keys[k].index]));
    results = std::move(sorted);
}

QList<SearchResult> scoredSearchResultsForDisplay(
    QList<SearchResult> results, const QString& normalizedQuery,
    const std::function<std::int64_t(const SearchResult&)>& scoreProvider) {
    QList<SearchResult> unique = deduplicatedSearchResults(results);
    if (normalizedQuery.isEmpty())
        return unique;
    for (SearchResult& result : unique)
        if (!result.relevanceScore)
            result.relevanceScore = scoreProvider(result);
    sortForDisplay(unique);
    return unique;
}

QList<SearchResult> filterAndSortPathResults(const QList<SearchResult>& results,
                                             const QString& queryLowercased,
                                             const SearchRankingPreferences& preferences,
                                             const LearnedOpenCount& learnedOpenCount) {
    const QStringList& suffixes = preferences.sortedSuffixesForBasenameStripping();
    struct Kept {
        SearchResult result;
        int tier = 0;
    };
    QList<Kept> kept;
    for (const SearchResult& result : results) {
        const std::optional<int> tier = pathMatchTier(result, queryLowercased, suffixes);
        if (!tier)
            continue;
        SearchResult copy = result;
        if (learnedOpenCount && result.kind != SearchResultKind::action && !result.databaseID()) {
            const std::int64_t learned = learnedOpenCount(result, result.openCount);
            if (learned != result.openCount)
                copy = result.withOpenCount(learned);
        }
        kept.append({std::move(copy), *tier});
    }
    std::stable_sort(kept.begin(), kept.end(), [&](const Kept& a, const Kept& b) {
        if ((a.tier == 2) != (b.tier == 2))
            return a.tier == 2;
        if ((a.tier >= 1) != (b.tier >= 1))
            return a.tier >= 1;
        if (a.result.openCount != b.result.openCount)
            return a.result.openCount > b.result.openCount;
        return compareNames(a.result.displayName(), b.result.displayName()) < 0;
    });
    QList<SearchResult> sorted;
    const qsizetype count = std::min(kept.size(), kPathResultLimit);
    sorted.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        sorted.append(std::move(kept[i].result));
    return sorted;
}

} // namespace trovi
