#include "launcher/clients/notion/NotionTransport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace trovi {

NotionTransportLoad loadNotionTransport(const QString& modulePath) {
    QStringList candidates{modulePath};
    if (modulePath.isEmpty()) {
        const QDir executableDir(QCoreApplication::applicationDirPath());
        const QString file = QString::fromLatin1(kNotionTransportModuleFile);
        candidates = {executableDir.filePath(file), QDir::cleanPath(executableDir.filePath(
                                                        QStringLiteral("../lib/trovi/") + file))};
    }
    for (const QString& candidate : candidates) {
        if (!QFileInfo::exists(candidate))
            continue;
        QLibrary library(candidate);
        if (!library.load())
            return {nullptr, library.errorString()};
        const auto factory = reinterpret_cast<NotionTransportFactory>(
            library.resolve(kNotionTransportFactorySymbol));
        if (!factory) {
            library.unload();
            return {nullptr,
                    QStringLiteral("%1 has no %2 (a module of another version?)")
                        .arg(candidate, QString::fromLatin1(kNotionTransportFactorySymbol))};
        }
        // Never unloaded: the transport's code runs until the process ends.
        return {std::unique_ptr<NotionTransport>(factory()), {}};
    }
    return {nullptr, QStringLiteral("%1 not found (looked for %2)")
                         .arg(QString::fromLatin1(kNotionTransportModuleFile),
                              candidates.join(QStringLiteral(" and ")))};
}

} // namespace trovi
