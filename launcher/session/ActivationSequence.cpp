#include "launcher/session/ActivationSequence.h"

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/session/ActivationCaching.h"
#include "launcher/session/ResultActivator.h"

#include <QFuture>

namespace trovi {

ActivationRun activateResult(DatabaseManager& engine, ResultActivator& activator,
                             const ActivationRequest& request) {
    if (auto refused = ResultActivator::refusal(request.result))
        return {*refused, QtFuture::makeReadyFuture()};
    const ResultActivationMode mode = effectiveActivationMode(request.result, request.mode);
    QFuture<void> stored = QtFuture::makeReadyFuture();
    if (mode == ResultActivationMode::open) {
        stored = engine.run([request](DatabaseManager& m) {
            cachePromotedSearchResultsAfterActivation(m, request.result, request.query,
                                                      request.shown, request.shownIsPreview);
            m.recordActivation(request.result);
        });
    }
    return {activator.activate(request.result, mode), stored};
}

} // namespace trovi
