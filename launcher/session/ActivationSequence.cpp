#include "launcher/session/ActivationSequence.h"

#include "launcher/engine/manager/DatabaseManager.h"
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
            m.recordActivation(request.result,
                               {request.query, request.shown, request.shownIsPreview});
        });
    }
    return {activator.activate(request.result, mode), stored};
}

} // namespace trovi
