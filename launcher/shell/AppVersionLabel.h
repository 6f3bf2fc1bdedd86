#pragma once
// The version footer's text: "1.2.0 (0) • build 2026-03-01 14:05:09", the
// short version, the build number ("0" when there is none) and the build
// date, taken as the executable file's modification time.

#include <QDateTime>
#include <QString>

#include <optional>

namespace trovi {

// An absent date reads "unknown".
QString appVersionLabel(const QString& shortVersion, const QString& buildNumber,
                        const std::optional<QDateTime>& buildDate);
// The running executable's modification time, in local time.
std::optional<QDateTime> executableBuildDate();

} // namespace trovi
