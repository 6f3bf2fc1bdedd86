#include "launcher/shell/AppVersionLabel.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace trovi {

QString appVersionLabel(const QString& shortVersion, const QString& buildNumber,
                        const std::optional<QDateTime>& buildDate) {
    const QString date = buildDate && buildDate->isValid()
                             ? buildDate->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                             : QStringLiteral("unknown");
    return QStringLiteral("%1 (%2) • build %3")
        .arg(shortVersion.isEmpty() ? QStringLiteral("0") : shortVersion,
             buildNumber.isEmpty() ? QStringLiteral("0") : buildNumber, date);
}

std::optional<QDateTime> executableBuildDate() {
    const QFileInfo executable(QCoreApplication::applicationFilePath());
    if (!executable.exists())
        return std::nullopt;
    return executable.lastModified();
}

} // namespace trovi
