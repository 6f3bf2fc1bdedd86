#include "launcher/engine/sources/settingspanes/SystemSettingsBundleScan.h"

#include "launcher/engine/sources/settingspanes/SystemSettingsPanes.h"

namespace trovi {

namespace {

std::optional<QString> nonBlankString(const QVariantMap& dictionary, const QString& key) {
    const QVariant value = dictionary.value(key);
    if (value.typeId() != QMetaType::QString || value.toString().trimmed().isEmpty())
        return std::nullopt;
    return value.toString();
}

QString extensionPointIdentifier(const QVariantMap& info) {
    const QVariant extension = info.value(QStringLiteral("NSExtension"));
    if (extension.typeId() != QMetaType::QVariantMap)
        return {};
    const QVariant point = extension.toMap().value(QStringLiteral("NSExtensionPointIdentifier"));
    return point.typeId() == QMetaType::QString ? point.toString() : QString();
}

} // namespace

QString systemSettingsTitle(const SystemSettingsBundle& bundle, const QString& bundleIdentifier) {
    if (auto title = systemSettingsTitleOverride(bundleIdentifier))
        return *title;
    const QString displayName = QStringLiteral("CFBundleDisplayName");
    const QString bundleName = QStringLiteral("CFBundleName");
    for (const auto& [dictionary, key] : {std::pair{&bundle.localizedInfoDictionary, displayName},
                                          std::pair{&bundle.infoDictionary, displayName},
                                          std::pair{&bundle.localizedInfoDictionary, bundleName},
                                          std::pair{&bundle.infoDictionary, bundleName}}) {
        if (auto name = nonBlankString(*dictionary, key))
            return cleanupSystemSettingsTitle(*name);
    }
    QString base = bundle.fileName;
    if (const qsizetype dot = base.lastIndexOf(u'.'); dot > 0)
        base.truncate(dot);
    return cleanupSystemSettingsTitle(base);
}

QList<SystemSettingsShortcut> discoverSystemSettingsShortcuts(SystemSettingsBundleReader& reader,
                                                              const QString& folder) {
    const auto entries = reader.listEntries(folder);
    if (!entries)
        return {};
    QList<SystemSettingsShortcut> shortcuts;
    for (const QString& name : *entries) {
        if (!name.endsWith(u".appex") || name.size() <= 6)
            continue;
        const auto bundle = reader.openBundle(folder + u'/' + name);
        if (!bundle || !bundle->bundleIdentifier || bundle->bundleIdentifier->isEmpty())
            continue;
        const QString& identifier = *bundle->bundleIdentifier;
        if (!shouldIncludeSystemSettingsBundle(identifier,
                                               extensionPointIdentifier(bundle->infoDictionary)))
            continue;
        const QString title = systemSettingsTitle(*bundle, identifier);
        shortcuts.append({title, systemSettingsSubtitle(),
                          QStringLiteral("x-apple.systempreferences:") + identifier, std::nullopt,
                          systemSettingsKeywords(title, identifier)});
    }
    return shortcuts;
}

} // namespace trovi
