#include "launcher/engine/sources/paths/PathCatalog.h"

#include "launcher/core/NativePath.h"

#include "launcher/engine/ranking/NameCollation.h"
#include "launcher/engine/ranking/Relevance.h"
#include "launcher/engine/ranking/SubstringSearch.h"

#include <QSet>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <bit>
#include <mutex>
#include <numeric>
#include <unordered_map>
#include <vector>

namespace trovi {

namespace {

// Hashes cut to 32 bits: a hit is always confirmed on the text itself.
using HashIndex = std::vector<std::pair<std::uint32_t, std::int32_t>>;

struct BasenameLengths {
    QStringList suffixes;
    std::vector<std::int32_t> lengths; // per entry
};

struct LearnedCounts {
    QHash<QString, std::int64_t> counts; // shares its data with the caller's map
    std::vector<std::pair<std::int32_t, std::int64_t>> countOfEntry; // sorted by entry
    std::int64_t maxCount = 0;
};

std::pair<HashIndex::const_iterator, HashIndex::const_iterator> hashRange(const HashIndex& index,
                                                                          std::size_t hash) {
    return std::equal_range(index.cbegin(), index.cend(),
                            std::pair<std::uint32_t, std::int32_t>{std::uint32_t(hash), 0},
                            [](const auto& a, const auto& b) { return a.first < b.first; });
}

// Between the fields of a named entry's text. No typed query holds it.
constexpr QChar kFieldSeparator = u'\0';

bool learnsOpenCounts(const SearchResult& result) {
    return result.kind != SearchResultKind::action && !result.databaseID();
}

// What ranking keeps of one matching result. Items are compared on plain
// integers; collation ranks are even for catalogue entries and odd for
// extras that fall between two of them.
struct Candidate {
    std::int64_t count;
    std::int32_t rank;
    std::int32_t order; // entry index; extras follow the entries
    std::uint8_t tier;  // 2: base name equals the query, 1: starts with it
};

// The base name starts with the query when the name does and the base name
// is at least as long; it equals the query when it is exactly as long.
std::uint8_t tierFor(bool nameStartsWithQuery, qsizetype baseLength, qsizetype queryLength) {
    if (!nameStartsWithQuery || baseLength < queryLength)
        return 0;
    return baseLength == queryLength ? 2 : 1;
}

// Whether a result is only a name, a folder, an id and a kind, and its name
// comes back from its lower-cased form and the positions of upper-case
// letters. Catalogue walks give almost only such results.
bool isPlain(const SearchResult& r, QStringView lowered) {
    if (r.openCount != 0 || r.snippet || r.givenDatabaseID || r.action || r.actionURLString ||
        r.fallbackActionURLString || r.isDirectPathMatch || r.usageKey || r.isRecentActivation ||
        r.relevanceScore || r.title || r.keywords || r.iconName || r.description ||
        lowered.size() != r.filename.size())
        return false;
    for (qsizetype i = 0; i < lowered.size(); ++i)
        if (r.filename[i] != lowered[i] && r.filename[i] != lowered[i].toUpper())
            return false;
    return true;
}

} // namespace

// One entry per item whose lower-cased full path was not seen before it. Each
// entry's text is kept once: the lower-cased name that searches scan, with a
// bit per letter that was upper case; the folder is an index into a table of
// distinct folders. Entries that carry more than that are kept whole.
struct PathCatalog::Data {
    int itemCount = 0;
    std::vector<std::uint64_t> upperCase; // one bit per character of names
    // Distinct folders back to back, as names are. Not a list of the walk's
    // own strings: those were allocated between the walk's transient ones,
    // and each survivor would keep a page of freed memory resident.
    QString directories;
    std::vector<std::uint32_t> directoryStart;
    std::vector<std::uint32_t> directoryOf;
    std::vector<std::int64_t> ids;
    std::vector<std::uint8_t> kinds;
    std::vector<std::pair<std::int32_t, SearchResult>> wholeEntries; // by entry
    // Lower-cased names of all entries back to back; entry e spans
    // [nameStart[e], nameStart[e + 1]). A named entry (an application with a
    // title or keywords) has its title first, then its file name and its
    // keywords, between field separators: the title is its base name.
    QString names;
    std::vector<std::uint32_t> nameStart;
    std::vector<std::int32_t> collationRank;
    // One entry per distinct name, in collation order.
    std::vector<std::int32_t> entriesByName;
    // All entries by lower-cased name in code-unit order, so that the names
    // starting with a query form one range.
    std::vector<std::int32_t> entriesByLoweredName;
    // Open count before learned counts apply: those only ever raise a count,
    // and a missing learned count counts as 0.
    std::vector<std::int64_t> baseCount;
    std::int64_t maxBaseCount = 0;
    HashIndex pathHashes;                   // pathIdentityKey of the full path
    HashIndex usageKeyHashes;               // lower-cased usage key, learning entries only
    std::vector<std::int32_t> namedEntries; // in order

    // Derived per rule set and per learned-count map; both change far less
    // often than the query. Guarded because copies of a catalogue may be
    // searched from more than one thread.
    mutable std::mutex cacheMutex;
    mutable std::shared_ptr<const BasenameLengths> lengths;
    mutable std::shared_ptr<const LearnedCounts> learned;

    qsizetype entryCount() const { return qsizetype(ids.size()); }
    QStringView loweredName(qsizetype e) const {
        return QStringView(names).mid(nameStart[e], nameStart[e + 1] - nameStart[e]);
    }
    const SearchResult* wholeEntry(qsizetype e) const {
        const auto it = std::lower_bound(
            wholeEntries.cbegin(), wholeEntries.cend(), e,
            [](const auto& whole, qsizetype entry) { return whole.first < entry; });
        return it != wholeEntries.cend() && it->first == e ? &it->second : nullptr;
    }
    QString filename(qsizetype e) const {
        QString name = loweredName(e).toString();
        // Every result is rebuilt here: visit only the upper-case bits.
        const std::size_t start = nameStart[e];
        const std::size_t end = nameStart[e + 1];
        for (std::size_t word = start / 64; word * 64 < end; ++word) {
            std::uint64_t bits = upperCase[word];
            if (word == start / 64)
                bits &= ~std::uint64_t(0) << (start % 64);
            while (bits) {
                const std::size_t at = word * 64 + std::size_t(std::countr_zero(bits));
                if (at >= end)
                    break;
                name[qsizetype(at - start)] = name[qsizetype(at - start)].toUpper();
                bits &= bits - 1;
            }
        }
        return name;
    }
    SearchResult entry(qsizetype e) const {
        if (const SearchResult* whole = wholeEntry(e))
            return *whole;
        SearchResult r;
        r.id = ids[e];
        r.kind = SearchResultKind(kinds[e]);
        r.filename = filename(e);
        const std::uint32_t d = directoryOf[e];
        r.directory = directories.mid(directoryStart[d], directoryStart[d + 1] - directoryStart[d]);
        return r;
    }
    QString displayName(qsizetype e) const {
        const SearchResult* whole = wholeEntry(e);
        return whole ? whole->displayName() : filename(e);
    }

    std::shared_ptr<const BasenameLengths> basenameLengths(const QStringList& suffixes) const;
    std::shared_ptr<const LearnedCounts>
    learnedCountsFor(const QHash<QString, std::int64_t>& counts) const;
    std::int32_t collationRankOf(const QString& name) const;
    std::pair<std::vector<std::int32_t>::const_iterator, std::vector<std::int32_t>::const_iterator>
    entriesStartingWith(QStringView query) const;
};

std::shared_ptr<const BasenameLengths>
PathCatalog::Data::basenameLengths(const QStringList& suffixes) const {
    std::lock_guard lock(cacheMutex);
    if (lengths && lengths->suffixes == suffixes)
        return lengths;
    auto fresh = std::make_shared<BasenameLengths>();
    fresh->suffixes = suffixes;
    fresh->lengths.resize(ids.size());
    auto named = namedEntries.cbegin();
    for (qsizetype e = 0; e < entryCount(); ++e) {
        QStringView name = loweredName(e);
        if (named != namedEntries.cend() && *named == e) {
            ++named;
            name = name.first(std::max<qsizetype>(0, name.indexOf(kFieldSeparator)));
            if (wholeEntry(e)->title) {
                fresh->lengths[e] = std::int32_t(name.size());
                continue;
            }
        }
        fresh->lengths[e] = std::int32_t(searchableBasenameLength(name, suffixes));
    }
    lengths = std::move(fresh);
    return lengths;
}

std::shared_ptr<const LearnedCounts>
PathCatalog::Data::learnedCountsFor(const QHash<QString, std::int64_t>& counts) const {
    std::lock_guard lock(cacheMutex);
    // The engine passes the same map until something is opened, so this is
    // usually a pointer comparison.
    if (learned && learned->counts == counts)
        return learned;
    auto fresh = std::make_shared<LearnedCounts>();
    fresh->counts = counts;
    // Walk the (small) map rather than look up every item.
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const auto [first, last] = hashRange(usageKeyHashes, qHash(it.key(), 0));
        for (auto hit = first; hit != last; ++hit) {
            const SearchResult item = entry(hit->second);
            if (item.usageKeyOrFullPath().toLower() == it.key())
                fresh->countOfEntry.emplace_back(hit->second, std::max(item.openCount, it.value()));
        }
    }
    std::sort(fresh->countOfEntry.begin(), fresh->countOfEntry.end());
    for (const auto& [e, count] : fresh->countOfEntry)
        fresh->maxCount = std::max(fresh->maxCount, count);
    learned = std::move(fresh);
    return learned;
}

std::pair<std::vector<std::int32_t>::const_iterator, std::vector<std::int32_t>::const_iterator>
PathCatalog::Data::entriesStartingWith(QStringView query) const {
    const auto first = std::lower_bound(
        entriesByLoweredName.cbegin(), entriesByLoweredName.cend(), query,
        [this](std::int32_t e, QStringView q) { return loweredName(e).compare(q) < 0; });
    const auto last = std::partition_point(first, entriesByLoweredName.cend(), [&](std::int32_t e) {
        const QStringView name = loweredName(e);
        return name.size() >= query.size() && name.first(query.size()) == query;
    });
    return {first, last};
}

std::int32_t PathCatalog::Data::collationRankOf(const QString& name) const {
    const auto after = std::lower_bound(entriesByName.cbegin(), entriesByName.cend(), name,
                                        [this](std::int32_t e, const QString& other) {
                                            return compareNames(displayName(e), other) < 0;
                                        });
    if (after != entriesByName.cend() && compareNames(displayName(*after), name) == 0)
        return collationRank[*after];
    if (after == entriesByName.cbegin())
        return -1;
    return collationRank[*(after - 1)] + 1;
}

PathCatalog::PathCatalog() {
    static const std::shared_ptr<const Data> empty = std::make_shared<Data>();
    d = empty;
}

PathCatalog::PathCatalog(std::shared_ptr<const Data> data) : d(std::move(data)) {}

PathCatalog PathCatalog::build(QList<SearchResult> items) {
    return build(PathRecords(std::move(items)));
}

PathCatalog PathCatalog::build(const PathRecords& items) {
    auto data = std::make_shared<Data>();
    data->itemCount = int(items.size());
    const qsizetype count = items.size();
    std::vector<std::int32_t> itemOfEntry;
    itemOfEntry.reserve(count);
    data->ids.reserve(count);
    data->kinds.reserve(count);
    data->directoryOf.reserve(count);
    data->nameStart.reserve(count + 1);
    data->baseCount.reserve(count);
    data->pathHashes.reserve(count);
    data->usageKeyHashes.reserve(count);

    // Paths seen so far by a 64-bit hash, each hit confirmed on the text: a
    // set of the paths themselves would be the largest thing alive here.
    std::unordered_multimap<std::uint64_t, std::int32_t> entriesOfPathHash;
    entriesOfPathHash.reserve(std::size_t(count));
    QHash<QString, std::uint32_t> directoryIndex;
    for (qsizetype i = 0; i < count; ++i) {
        const SearchResult item = items.at(i);
        const QString path = pathIdentityKey(item.fullPath());
        const std::uint64_t pathHash = std::hash<QString>{}(path);
        const auto [first, last] = entriesOfPathHash.equal_range(pathHash);
        if (std::any_of(first, last, [&](const auto& seen) {
                return pathIdentityKey(
                           items.at(itemOfEntry[std::size_t(seen.second)]).fullPath()) == path;
            }))
            continue;
        const auto e = std::int32_t(data->ids.size());
        itemOfEntry.push_back(std::int32_t(i));
        data->ids.push_back(item.id);
        data->kinds.push_back(std::uint8_t(item.kind));
        auto directory = directoryIndex.constFind(item.directory);
        if (directory == directoryIndex.cend()) {
            directory =
                directoryIndex.insert(item.directory, std::uint32_t(data->directoryStart.size()));
            data->directoryStart.push_back(std::uint32_t(data->directories.size()));
            data->directories += item.directory;
        }
        data->directoryOf.push_back(*directory);
        data->nameStart.push_back(std::uint32_t(data->names.size()));
        const QString lowered = item.filename.toLower();
        if (item.title || item.keywords) {
            data->namedEntries.push_back(e);
            if (item.title)
                data->names += item.title->toLower() + kFieldSeparator;
            data->names += lowered;
            if (item.keywords)
                data->names += kFieldSeparator + item.keywords->toLower();
        } else {
            data->names += lowered;
        }
        if (!isPlain(item, lowered)) {
            data->wholeEntries.emplace_back(e, item);
        } else {
            const qsizetype start = data->names.size() - lowered.size();
            data->upperCase.resize(std::size_t(data->names.size() + 63) / 64);
            for (qsizetype k = 0; k < lowered.size(); ++k)
                if (item.filename[k] != lowered[k])
                    data->upperCase[std::size_t(start + k) / 64] |= std::uint64_t(1)
                                                                    << ((start + k) % 64);
        }
        const bool learns = learnsOpenCounts(item);
        data->baseCount.push_back(learns ? std::max<std::int64_t>(item.openCount, 0)
                                         : item.openCount);
        data->maxBaseCount = std::max(data->maxBaseCount, data->baseCount.back());
        data->pathHashes.emplace_back(std::uint32_t(qHash(path, 0)), e);
        if (learns) {
            const std::size_t keyHash =
                qHash(item.usageKey ? item.usageKey->toLower() : item.fullPath().toLower(), 0);
            data->usageKeyHashes.emplace_back(std::uint32_t(keyHash), e);
        }
        entriesOfPathHash.emplace(pathHash, e);
    }
    data->nameStart.push_back(std::uint32_t(data->names.size()));
    data->directoryStart.push_back(std::uint32_t(data->directories.size()));
    data->upperCase.resize(std::size_t(data->names.size() + 63) / 64);
    // Kept until the next refresh: give back what growing left spare.
    data->names.squeeze();
    data->directories.squeeze();
    data->directoryStart.shrink_to_fit();
    data->upperCase.shrink_to_fit();
    data->wholeEntries.shrink_to_fit();
    data->usageKeyHashes.shrink_to_fit();
    entriesOfPathHash = {};
    directoryIndex = {};
    std::sort(data->pathHashes.begin(), data->pathHashes.end());
    std::sort(data->usageKeyHashes.begin(), data->usageKeyHashes.end());

    // Many entries share a name ("src", "docs"), so each distinct name is
    // collated once. Sort keys would be cheaper to compare, but in the C
    // locale Qt's ignore the collator's case setting; compare() is what the
    // ranking itself uses.
    const qsizetype entries = data->entryCount();
    QHash<QString, std::int32_t> distinct;
    std::vector<std::int32_t> nameOfEntry(entries);
    std::vector<std::int32_t> representatives;
    for (qsizetype e = 0; e < entries; ++e) {
        const QString& name = items.displayName(itemOfEntry[e]);
        auto it = distinct.constFind(name);
        if (it == distinct.cend()) {
            it = distinct.insert(name, std::int32_t(representatives.size()));
            representatives.push_back(std::int32_t(e));
        }
        nameOfEntry[e] = *it;
    }
    std::vector<std::int32_t> rankOfName(representatives.size());
    data->entriesByName = representatives;
    std::sort(data->entriesByName.begin(), data->entriesByName.end(),
              [&](std::int32_t a, std::int32_t b) {
                  return compareNames(items.displayName(itemOfEntry[a]),
                                      items.displayName(itemOfEntry[b])) < 0;
              });
    std::int32_t rank = 0;
    for (std::size_t k = 0; k < data->entriesByName.size(); ++k) {
        const std::int32_t e = data->entriesByName[k];
        if (k > 0 && compareNames(items.displayName(itemOfEntry[data->entriesByName[k - 1]]),
                                  items.displayName(itemOfEntry[e])) != 0)
            rank += 2;
        rankOfName[nameOfEntry[e]] = rank;
    }
    data->collationRank.resize(entries);
    for (qsizetype e = 0; e < entries; ++e)
        data->collationRank[e] = rankOfName[nameOfEntry[e]];

    data->entriesByLoweredName.resize(entries);
    std::iota(data->entriesByLoweredName.begin(), data->entriesByLoweredName.end(), 0);
    std::sort(data->entriesByLoweredName.begin(), data->entriesByLoweredName.end(),
              [&](std::int32_t a, std::int32_t b) {
                  return data->loweredName(a).compare(data->loweredName(b)) < 0;
              });
    return PathCatalog(std::move(data));
}

PathCatalog PathCatalog::build(PathRecords items, const SearchRankingPreferences& preferences) {
    PathCatalog catalog = build(items);
    items = {};
#ifdef __GLIBC__
    // The walk's records were many small blocks, now free: hand them back
    // rather than keep them resident until the next refresh.
    malloc_trim(0);
#endif
    catalog.d->basenameLengths(preferences.sortedSuffixesForBasenameStripping());
    return catalog;
}

PathCatalog PathCatalog::build(QList<SearchResult> items,
                               const SearchRankingPreferences& preferences) {
    return build(PathRecords(std::move(items)), preferences);
}

int PathCatalog::size() const {
    return d->itemCount;
}

QList<SearchResult> PathCatalog::filterAndSort(const QString& queryLowercased,
                                               const SearchRankingPreferences& preferences,
                                               const QHash<QString, std::int64_t>& learnedCounts,
                                               const QList<SearchResult>& extras) const {
    const Data& data = *d;
    const QStringList& suffixes = preferences.sortedSuffixesForBasenameStripping();
    const std::shared_ptr<const BasenameLengths> lengths = data.basenameLengths(suffixes);
    const qsizetype queryLength = queryLowercased.size();
    const qsizetype entries = data.entryCount();

    const std::shared_ptr<const LearnedCounts> learnedForSearch =
        data.learnedCountsFor(learnedCounts);
    const auto& learned = learnedForSearch->countOfEntry;

    // Short queries match most names; reusing the buffer spares a large
    // allocation, and its page faults, on every keystroke.
    thread_local std::vector<Candidate> candidates;
    candidates.clear();
    auto nextLearned = learned.cbegin();
    auto tierOf = [&](std::int32_t e, bool atStart) {
        return tierFor(atStart, lengths->lengths[e], queryLength);
    };
    auto countOfEntry = [&](std::int32_t e) {
        const auto found = std::lower_bound(
            learned.cbegin(), learned.cend(), std::pair<std::int32_t, std::int64_t>{e, 0},
            [](const auto& a, const auto& b) { return a.first < b.first; });
        return found != learned.cend() && found->first == e ? found->second : data.baseCount[e];
    };
    auto consider = [&](std::int32_t e, bool atStart) {
        while (nextLearned != learned.cend() && nextLearned->first < e)
            ++nextLearned;
        const std::int64_t count = nextLearned != learned.cend() && nextLearned->first == e
                                       ? nextLearned->second
                                       : data.baseCount[e];
        candidates.push_back({count, data.collationRank[e], e, tierOf(e, atStart)});
    };

    QList<SearchResult> extraResults;
    auto filenameOf = [&](std::int32_t order) -> QString {
        return order < entries ? data.displayName(order)
                               : extraResults[order - entries].displayName();
    };
    auto before = [&](const Candidate& a, const Candidate& b) {
        if (a.tier != b.tier)
            return a.tier > b.tier;
        if (a.count != b.count)
            return a.count > b.count;
        if (a.rank != b.rank)
            return a.rank < b.rank;
        // Odd ranks belong to extras that fell between the same two entries.
        if ((a.rank & 1) != 0) {
            const int byName = compareNames(filenameOf(a.order), filenameOf(b.order));
            if (byName != 0)
                return byName < 0;
        }
        return a.order < b.order;
    };
    auto scanAll = [&] {
        if (queryLength == 0) {
            for (qsizetype e = 0; e < entries; ++e)
                consider(std::int32_t(e), true);
            return;
        }
        // Every name in one scan. A hit that runs past the end of its name
        // means no later start in that name can match either, so each name
        // is decided by its first hit and the scan moves on to the next name.
        const QStringView names(data.names);
        qsizetype position = 0;
        qsizetype e = 0;
        while ((position = findSubstring(names, position, queryLowercased)) >= 0) {
            while (data.nameStart[e + 1] <= position)
                ++e;
            const qsizetype end = data.nameStart[e + 1];
            if (position + queryLength <= end)
                consider(std::int32_t(e), position == data.nameStart[e]);
            position = end;
        }
    };

    // A query holding the field separator could match across the fields of a
    // named entry: those are then matched one by one.
    const bool acrossFields = queryLowercased.contains(kFieldSeparator);
    const auto [prefixFirst, prefixLast] = data.entriesStartingWith(queryLowercased);
    const qsizetype prefixCount = prefixLast - prefixFirst;
    bool decided = false;
    if (prefixCount >= kPathResultLimit && !acrossFields) {
        // Short queries, the most common and the costliest, have a full list
        // of names starting with them; try to decide from those alone.
        for (auto it = prefixFirst; it != prefixLast; ++it) {
            const std::int32_t e = *it;
            candidates.push_back({countOfEntry(e), data.collationRank[e], e, tierOf(e, true)});
        }
        decided = true;
        if (prefixCount < entries) {
            // A name that merely contains the query has a base name that does
            // not start with it, so it only ranks by count and name. The
            // prefix matches are the answer when the last one kept would beat
            // any such name: it has a base-name tier, or a count above every
            // count in the catalogue.
            const auto last = candidates.begin() + (kPathResultLimit - 1);
            std::nth_element(candidates.begin(), last, candidates.end(), before);
            const std::int64_t highestCount =
                std::max(data.maxBaseCount, learnedForSearch->maxCount);
            if (last->tier == 0 && last->count <= highestCount) {
                candidates.clear();
                decided = false;
            } else {
                // The rest can no longer make the cut: spare the final sort them.
                candidates.resize(std::size_t(kPathResultLimit));
            }
        }
    }
    if (!decided) {
        nextLearned = learned.cbegin();
        scanAll();
    }
    if (acrossFields) {
        std::erase_if(candidates, [&](const Candidate& c) {
            return std::binary_search(data.namedEntries.cbegin(), data.namedEntries.cend(),
                                      c.order);
        });
        for (const std::int32_t e : data.namedEntries)
            if (const auto tier = pathMatchTier(data.entry(e), queryLowercased, suffixes))
                candidates.push_back(
                    {countOfEntry(e), data.collationRank[e], e, std::uint8_t(*tier)});
    }

    // Extras (pinned folders and the like) join after the catalogue, unless
    // the catalogue or an earlier extra already has their path.
    if (!extras.isEmpty()) {
        QSet<QString> seenExtraPaths;
        for (const SearchResult& extra : extras) {
            QString path = pathIdentityKey(extra.fullPath());
            const auto [first, last] = hashRange(data.pathHashes, qHash(path, 0));
            const bool inCatalogue = std::any_of(first, last, [&](const auto& hit) {
                return pathIdentityKey(data.entry(hit.second).fullPath()) == path;
            });
            if (inCatalogue || seenExtraPaths.contains(path))
                continue;
            seenExtraPaths.insert(std::move(path));
            const qsizetype index = extraResults.size();
            extraResults.append(extra);
            const std::optional<int> tier = pathMatchTier(extra, queryLowercased, suffixes);
            if (!tier)
                continue;
            std::int64_t count = extra.openCount;
            if (learnsOpenCounts(extra))
                count =
                    std::max(count, learnedCounts.value(extra.usageKeyOrFullPath().toLower(), 0));
            candidates.push_back({count, data.collationRankOf(extra.displayName()),
                                  std::int32_t(entries + index), std::uint8_t(*tier)});
        }
    }

    const qsizetype kept = std::min<qsizetype>(qsizetype(candidates.size()), kPathResultLimit);
    std::partial_sort(candidates.begin(), candidates.begin() + kept, candidates.end(), before);

    QList<SearchResult> sorted;
    sorted.reserve(kept);
    for (qsizetype k = 0; k < kept; ++k) {
        const Candidate& candidate = candidates[k];
        SearchResult result = candidate.order < entries ? data.entry(candidate.order)
                                                        : extraResults[candidate.order - entries];
        if (result.openCount != candidate.count)
            result = result.withOpenCount(candidate.count);
        sorted.append(std::move(result));
    }
    return sorted;
}

} // namespace trovi
