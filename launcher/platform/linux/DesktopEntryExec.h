#pragma once
// The Exec line of a desktop entry turned into a program and its arguments:
// the format's quoting undone first, then the field codes expanded, without
// ever going through a shell.

#include "launcher/platform/linux/DesktopEntry.h"

#include <QList>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace trovi::platform {

// Splits an Exec value into arguments. Double quotes group an argument, with
// \" \` \$ \\ escaped inside; single quotes and backslashes outside quotes are
// accepted as well, because many installed entries rely on them. Nothing for
// an unterminated quote.
std::optional<QStringList> splitExecLine(const QString& exec);

// The command to run for the entry, with %f %F %u %U filled from urls, %i as
// "--icon <Icon>", %c as the name, %k as the entry's file and %% as "%";
// deprecated and unknown codes expand to nothing. Nothing when Exec is
// missing, malformed or names no program.
std::optional<QStringList> desktopEntryCommandLine(const DesktopEntry& entry,
                                                   const QList<QUrl>& urls = {});

} // namespace trovi::platform
