#include "launcher/platform/linux/InstanceRequestClient.h"

#include "launcher/platform/linux/InstanceSocketClient.h"
#include "launcher/platform/linux/PrivateFolder.h"

#include <QFile>

#include <chrono>
#include <variant>

namespace trovi {

InstanceDelivery deliverInstanceRequest(const QString& folderPath, const QString& name,
                                        const QByteArray& line, QDeadlineTimer deadline) {
    // The folder is made private (or refused) before anything goes through it.
    auto opened = PrivateFolder::open(folderPath);
    if (const auto* problem = std::get_if<QString>(&opened))
        return {InstanceDelivery::Outcome::refused, *problem};
    const qint64 left = deadline.isForever() ? qint64(24) * 3600 * 1000 : deadline.remainingTime();
    const LauncherAnswer answer = handOverToRunningLauncher(
        QFile::encodeName(folderPath).toStdString(), QFile::encodeName(name).toStdString(),
        line.toStdString(), std::chrono::steady_clock::now() + std::chrono::milliseconds(left));
    const QString message = QString::fromStdString(answer.message);
    using Outcome = LauncherAnswer::Outcome;
    switch (answer.outcome) {
    case Outcome::answered:
        return {InstanceDelivery::Outcome::delivered, QString::fromStdString(answer.out)};
    case Outcome::notListening:
        return {InstanceDelivery::Outcome::notListening, message};
    case Outcome::unsafe:
        return {InstanceDelivery::Outcome::refused, message};
    case Outcome::refused:
        return {InstanceDelivery::Outcome::refused,
                QStringLiteral("the running launcher refused the request: %1").arg(message)};
    case Outcome::failed:
        break;
    }
    return {InstanceDelivery::Outcome::noAnswer, message};
}

} // namespace trovi
