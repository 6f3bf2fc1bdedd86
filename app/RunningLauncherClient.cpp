#include "RunningLauncherClient.h"

#include "CommandOutput.h"
#include "TerminalOutput.h"

#include "launcher/platform/linux/InstanceRequestClient.h"
#include "launcher/platform/linux/SingleInstance.h"

namespace trovi::app {

std::optional<int> runInRunningLauncher(const QStringList& arguments, double waitSeconds,
                                        bool repeatable) {
    // The standard place without the preference store: opening it is most of
    // what this path would otherwise cost.
    const SingleInstanceConfiguration configuration;
    const QByteArray line =
        encodeInstanceRequest(InstanceCommand{arguments.value(0), arguments.mid(1)});
    // The launcher waits for lookups as long as asked; beyond that it gets
    // what a second launch gets to hand over.
    const QDeadlineTimer deadline(qint64(waitSeconds * 1000) +
                                  configuration.handOverTimeout.count());
    const InstanceAnswer answer = askRunningInstance(configuration.lockDirectory(),
                                                     configuration.socketName(), line, deadline);
    using Outcome = InstanceAnswer::Outcome;
    switch (answer.outcome) {
    case Outcome::answered:
        return printOutput(answer.output);
    case Outcome::notListening:
        return std::nullopt;
    case Outcome::refused:
        // Refused requests did not run, except one whose answer was too long.
        if (repeatable || answer.message != QStringLiteral("answer-too-large")) {
            printLine(stderr, QStringLiteral("trovi: the running launcher refused the request "
                                             "(%1); answering here instead")
                                  .arg(answer.message));
            return std::nullopt;
        }
        break;
    case Outcome::failed:
        if (repeatable) {
            printLine(stderr,
                      QStringLiteral("trovi: %1; answering here instead").arg(answer.message));
            return std::nullopt;
        }
        break;
    }
    printLine(stderr, QStringLiteral("trovi: %1; the running launcher may have carried out the "
                                     "request, so it is not repeated here")
                          .arg(answer.message));
    return 1;
}

} // namespace trovi::app
