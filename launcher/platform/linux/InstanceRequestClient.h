#pragma once
// The sending end of the per-user socket in Qt's terms, for processes that
// have no event loop yet (a second launch runs before any application object
// exists): the plain blocking client of InstanceSocketClient.h underneath.

#include "launcher/platform/linux/InstanceRequest.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

namespace trovi {

struct InstanceDelivery {
    enum class Outcome {
        delivered,    // the running launcher took the request
        notListening, // nobody there yet, or it turned us away: worth another try
        refused,      // answered with an error, or the peer is not this user
        noAnswer,     // the line went out but no answer came in time
    };
    Outcome outcome = Outcome::notListening;
    // Why, when not delivered; when delivered, what followed "ok " in the
    // answer (a status request's JSON), if anything.
    QString message;
};

// One attempt: connects to `name` in the folder (checked to be this user's),
// sends `line`, waits for the one-line answer until `deadline`.
InstanceDelivery deliverInstanceRequest(const QString& folder, const QString& name,
                                        const QByteArray& line, QDeadlineTimer deadline);

} // namespace trovi
