#pragma once
// Which folders trovi-index reads: the XDG Documents, Desktop and Download
// folders (from user-dirs.dirs), plus folders added and minus folders removed
// in a small config file ($XDG_CONFIG_HOME/trovi-launcher/indexer.conf):
//
//   add /home/me/Notes
//   remove /home/me/Downloads
//   max-size-mb 64
//
// Lines starting with '#' are comments.

#include "db/Result.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace trovi::indexer {

struct IndexConfig {
    QStringList roots;
    // Larger files are indexed by name only.
    std::int64_t maxFileBytes = 64ll << 20;

    // `home` and `configHome` come from the environment in main().
    static IndexConfig load(const QString& configFile, const QString& home,
                            const QString& configHome, QStringList* warnings);
    static QString defaultConfigFile(const QString& configHome);
    // The XDG Documents, Desktop and Download folders; a folder set to the
    // home folder itself means "not used" and is left out.
    static QStringList defaultRoots(const QString& home, const QString& configHome);

    // Edit the config file so that `path` is (or is no longer) indexed.
    static std::optional<Error> addRoot(const QString& configFile, const QString& path,
                                        const QStringList& defaults);
    static std::optional<Error> removeRoot(const QString& configFile, const QString& path,
                                           const QStringList& defaults);
};

} // namespace trovi::indexer
