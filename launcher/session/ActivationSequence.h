#pragma once
// The one way a chosen result is carried out, by the window and by
// `trovi open` alike: the engine learns the activation (the list that led to
// the choice cached with the choice promoted, the use recorded; queued on the
// engine's thread, never waited for here), then the item is opened or
// revealed or the action run. A reveal neither records nor caches; a result
// that cannot be carried out here records nothing.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/session/ActivationOutcome.h"

#include <QFuture>
#include <QList>
#include <QString>

namespace trovi {

class DatabaseManager;
class ResultActivator;

struct ActivationRequest {
    SearchResult result;
    ResultActivationMode mode = ResultActivationMode::open;
    QString query;               // the text the shown list answers to
    QList<SearchResult> shown;   // the list the result was chosen from
    bool shownIsPreview = false; // an earlier text's list: never cached
};

struct ActivationRun {
    ActivationOutcome outcome;
    // Finishes on the engine's thread once usage and caches are written (at
    // once when nothing is written).
    QFuture<void> stored;
};

ActivationRun activateResult(DatabaseManager& engine, ResultActivator& activator,
                             const ActivationRequest& request);

} // namespace trovi
