#include "launcher/session/LauncherPreferences.h"

#include "launcher/clients/TranslationSettingsStores.h"
#include "launcher/clients/notion/NotionSettingsStore.h"
#include "launcher/engine/ranking/SearchRankingSettingsStore.h"
#include "launcher/session/hotkey/HotKeySettings.h"
#include "launcher/session/window/WindowGeometry.h"
#include "launcher/settings/PreferenceKeys.h"

#include <QSet>

namespace trovi {

namespace {

namespace keys = preferenceKeys;

void describeHotKey(PreferenceRegistry& registry) {
    for (const QString& key : {keys::launcherHotKeyEnabled, keys::launcherHotKeyCode,
                               keys::launcherHotKeyModifiers, keys::launcherHotKeyCharacter}) {
        registry.setAccess(
            key,
            [key](PreferenceStore& p) -> std::optional<QString> {
                const HotKeySettings s = HotKeySettingsStore(p).load();
                if (key == keys::launcherHotKeyEnabled)
                    return preferenceBoolText(s.isEnabled);
                if (key == keys::launcherHotKeyCode)
                    return QString::number(s.keyCode);
                if (key == keys::launcherHotKeyModifiers)
                    return QString::number(s.modifiers);
                return s.character;
            },
            [key](PreferenceStore& p, const QString& value) {
                const HotKeySettingsStore store(p);
                HotKeySettings s = store.load();
                if (key == keys::launcherHotKeyEnabled) {
                    const auto parsed = parsePreferenceBool(value);
                    if (!parsed)
                        return PreferenceWrite::notA(QStringLiteral("true or false"), value);
                    s.isEnabled = *parsed;
                } else if (key == keys::launcherHotKeyCharacter) {
                    if (value.isEmpty()) {
                        s.character.reset();
                    } else {
                        s.character = normalizedHotKeyCharacter(value);
                        if (!s.character || value.toUcs4().size() != 1)
                            return PreferenceWrite::notA(QStringLiteral("one printable character"),
                                                         value);
                    }
                } else {
                    const auto parsed = parsePreferenceInteger(value);
                    if (!parsed || *parsed < 0 || *parsed > qint64(0xFFFFFFFF))
                        return PreferenceWrite::notA(
                            QStringLiteral("a number from 0 to 4294967295"), value);
                    (key == keys::launcherHotKeyCode ? s.keyCode : s.modifiers) = quint32(*parsed);
                }
                store.save(s);
                return PreferenceWrite::stored();
            });
    }
}

void describeWindowSize(PreferenceRegistry& registry, const QString& key, bool settingsWindow,
                        bool width) {
    registry.setAccess(key, {}, [=](PreferenceStore& p, const QString& value) {
        const auto parsed = parsePreferenceReal(value);
        if (!parsed)
            return PreferenceWrite::notA(QStringLiteral("a number"), value);
        const WindowSizeStore store = settingsWindow ? WindowSizeStore::settingsWindow(p)
                                                     : WindowSizeStore::launcherWindow(p);
        const double stored = width ? store.clampedWidth(*parsed) : store.clampedHeight(*parsed);
        p.setReal(key, stored);
        if (stored != *parsed)
            return PreferenceWrite::adjusted(QStringLiteral("stored %1").arg(stored));
        return PreferenceWrite::stored();
    });
}

void describeRanking(PreferenceRegistry& registry) {
    registry.setAccess(
        keys::launcherExtensionBoostRules,
        [](PreferenceStore& p) -> std::optional<QString> {
            return QString::fromUtf8(SearchRankingSettingsStore::encodedRules(
                SearchRankingSettingsStore(p).load().extensionBoostRules()));
        },
        [](PreferenceStore& p, const QString& value) {
            const auto rules = SearchRankingSettingsStore::decodedRules(value.toUtf8());
            if (!rules)
                return PreferenceWrite::refused(QStringLiteral(
                    "the rules must be a JSON array of {\"id\", \"suffix\", \"boost\"}"));
            if (auto message = SearchRankingSettingsStore::validationMessage(*rules))
                return PreferenceWrite::refused(*message);
            SearchRankingSettingsStore(p).save(*rules);
            return PreferenceWrite::stored();
        });
}

void describeTranslation(PreferenceRegistry& registry) {
    registry.setAccess(
        keys::launcherTranslationTrigger,
        [](PreferenceStore& p) -> std::optional<QString> {
            return TranslationCommandSettingsStore(p).loadTrigger();
        },
        [](PreferenceStore& p, const QString& value) {
            const QString stored = TranslationCommandSettingsStore(p).saveTrigger(value);
            if (stored != value)
                return PreferenceWrite::adjusted(QStringLiteral("stored '%1'").arg(stored));
            return PreferenceWrite::stored();
        });
    registry.setAccess(
        keys::launcherTranslationLanguageCodes,
        [](PreferenceStore& p) -> std::optional<QString> {
            return TranslationLanguageSettingsStore(p).load().join(u',');
        },
        [](PreferenceStore& p, const QString& value) {
            const TranslationLanguageSettingsStore store(p);
            store.save(value);
            return PreferenceWrite::adjusted(
                QStringLiteral("stored '%1'").arg(store.load().join(u',')));
        });
    for (const bool order : {true, false}) {
        registry.setAccess(
            order ? keys::launcherTranslationEngineOrder : keys::launcherTranslationEngineEnabled,
            [order](PreferenceStore& p) -> std::optional<QString> {
                const auto prefs = TranslationEngineSettingsStore(p).load();
                return TranslationEngineSettingsStore::encodeEngineIDs(
                    order ? prefs.order : prefs.prioritizedEnabledEngineIDs());
            },
            [order](PreferenceStore& p, const QString& value) {
                const auto ids = TranslationEngineSettingsStore::parseEngineIDs(value);
                if (!ids)
                    return PreferenceWrite::refused(
                        QStringLiteral("name the engines 'apple' and/or 'argos'"));
                const TranslationEngineSettingsStore store(p);
                const auto prefs = store.load();
                if (order)
                    store.save(*ids, prefs.enabledEngineIDs);
                else
                    store.save(prefs.order, QSet<TranslationEngineID>(ids->begin(), ids->end()));
                return PreferenceWrite::stored();
            });
    }
}

void describeNotion(PreferenceRegistry& registry) {
    registry.setAccess(keys::notionIntegrationToken, {},
                       [](PreferenceStore& p, const QString& value) {
                           const QString token = value.trimmed();
                           if (token.isEmpty())
                               p.remove(keys::notionIntegrationToken);
                           else
                               NotionSettingsStore(p).saveToken(token);
                           return PreferenceWrite::stored();
                       });
    registry.setAccess(keys::notionSearchEnabled,
                       [](PreferenceStore& p) -> std::optional<QString> {
                           return preferenceBoolText(NotionSettingsStore(p).loadEnabled());
                       },
                       {});
}

} // namespace

PreferenceRegistry launcherPreferences() {
    PreferenceRegistry registry = launcherPreferenceDefinitions();
    describeHotKey(registry);
    describeRanking(registry);
    describeTranslation(registry);
    describeNotion(registry);
    describeWindowSize(registry, keys::launcherWindowWidth, false, true);
    describeWindowSize(registry, keys::launcherWindowHeight, false, false);
    describeWindowSize(registry, keys::launcherSettingsWindowWidth, true, true);
    describeWindowSize(registry, keys::launcherSettingsWindowHeight, true, false);
    return registry;
}

} // namespace trovi
