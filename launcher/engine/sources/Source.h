#pragma once
// Source: one place results come from (applications, actions, documents, …).
// The engine asks every source, in one fixed order, with the same prepared
// context, and offers them a SourceHost for what they share: learned counts,
// background work, the clock and the preference store.

#include "launcher/clients/TranslationCommand.h"
#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/model/SearchTicket.h"
#include "launcher/engine/ranking/SearchRankingPreferences.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace trovi {

class PreferenceStore;

// One search, as the engine prepared it.
struct SearchContext {
    QString trimmedQuery; // blanks and tabs trimmed; line breaks kept
    QString queryLowercased;
    SearchRankingPreferences ranking{{}};
    QDateTime now;
    // The trimmed query read as a translation command, parsed once per search.
    std::optional<TranslationCommand> translationCommand;
    // Superseded once the caller has asked for a newer search.
    SearchTicket ticket;

    // Action sources that match keywords stay quiet for one-character queries.
    bool isSingleCharacter() const { return characterCount(queryLowercased) < 2; }
};

// Work that runs on the low-priority pool and returns the step to apply on the
// engine thread (an empty step: nothing to apply).
using BackgroundStep = std::function<void()>;
using BackgroundJob = std::function<BackgroundStep()>;

class SourceHost {
public:
    virtual ~SourceHost() = default;
    // The one place learned open counts are applied to a row: the larger of
    // databaseOpenCount and what usage learning holds for the row.
    virtual std::int64_t learnedOpenCount(const SearchResult& result,
                                          std::int64_t databaseOpenCount) = 0;
    // Learned counts keyed by the lower-cased usage key, for catalogues that
    // apply them to many rows at once (same rule as learnedOpenCount).
    virtual const QHash<QString, std::int64_t>& learnedCounts() = 0;
    // The usage key of a shortcut file, cached until the shortcut roots change.
    virtual std::optional<QString> shortcutUsageKey(const QString& fullPath,
                                                    const QString& filename) = 0;
    // `job` runs on the pool; its step runs on the engine thread (dropped if the
    // engine is gone). Requests under a key already in flight merge into one
    // re-run with the latest job.
    virtual void runInBackground(const QString& key, BackgroundJob job) = 0;
    // New data arrived: drop the query caches and announce it.
    virtual void searchDataChanged() = 0;
    virtual SearchRankingPreferences rankingPreferences() const = 0;
    virtual QDateTime now() const = 0;
    virtual void diagnostic(const QString& line) const = 0;
    virtual PreferenceStore& preferences() = 0;
    // Lives on the engine thread: asynchronous completions (network replies)
    // queued to it run there, and are dropped once the engine is gone.
    virtual QObject& engineContext() = 0;

    // `result` with its learned open count applied.
    SearchResult withLearnedOpenCount(SearchResult result) {
        result.openCount = learnedOpenCount(result, result.openCount);
        return result;
    }
};

class Source {
public:
    virtual ~Source() = default;
    virtual QList<SearchResult> search(const SearchContext& context) = 0;
    // A catalogue source: the job that rebuilds it when it is stale (run on the
    // pool; its step swaps the result in on the engine thread), or nothing when
    // it is fresh.
    virtual BackgroundJob refreshJob() { return {}; }
    // A background lookup that a search started is still in flight.
    virtual bool hasPendingLookups() const { return false; }
    // Slow enough that a caller who asks for it gets the other sources' list
    // first, and this source's rows merged in afterwards.
    virtual bool answersLate() const { return false; }
};

} // namespace trovi
