#include "launcher/settings/PreferenceRegistry.h"

#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/PreferenceKeys.h"

#include <QHash>

#include <cmath>

namespace trovi {

namespace {

namespace keys = preferenceKeys;
namespace names = notifications;
using Type = PreferenceType;

std::optional<QString> storedText(PreferenceStore& p, const PreferenceDefinition& d) {
    switch (d.type) {
    case Type::boolean:
        if (auto v = p.boolValue(d.key))
            return preferenceBoolText(*v);
        break;
    case Type::integer:
        if (auto v = p.integerValue(d.key))
            return QString::number(*v);
        break;
    case Type::real:
        if (auto v = p.realValue(d.key))
            return QString::number(*v);
        break;
    case Type::string:
        if (auto v = p.stringValue(d.key))
            return *v;
        break;
    case Type::stringList:
        return p.stringListValue(d.key).value_or(QStringList()).join(u'\n');
    }
    if (!d.defaultValue.isValid())
        return std::nullopt;
    if (d.type == Type::boolean)
        return preferenceBoolText(d.defaultValue.toBool());
    return d.defaultValue.toString();
}

PreferenceDefinition::Write typedWrite(const QString& key, Type type) {
    return [key, type](PreferenceStore& p, const QString& value) {
        switch (type) {
        case Type::boolean:
            if (const auto parsed = parsePreferenceBool(value)) {
                p.setBool(key, *parsed);
                return PreferenceWrite::stored();
            }
            return PreferenceWrite::notA(QStringLiteral("true or false"), value);
        case Type::integer:
            if (const auto parsed = parsePreferenceInteger(value)) {
                p.setInteger(key, *parsed);
                return PreferenceWrite::stored();
            }
            return PreferenceWrite::notA(QStringLiteral("a whole number"), value);
        case Type::real:
            if (const auto parsed = parsePreferenceReal(value)) {
                p.setReal(key, *parsed);
                return PreferenceWrite::stored();
            }
            return PreferenceWrite::notA(QStringLiteral("a number"), value);
        case Type::string:
            p.setString(key, value);
            return PreferenceWrite::stored();
        case Type::stringList:
            break;
        }
        return PreferenceWrite::refused(QStringLiteral("this key cannot be set"));
    };
}

PreferenceDefinition entry(const QString& key, Type type, QVariant defaultValue = {},
                           const QString& notification = {}) {
    PreferenceDefinition d{key, type, std::move(defaultValue), notification, false, {}, {}};
    d.read = [d](PreferenceStore& p) { return storedText(p, d); };
    if (type != Type::stringList)
        d.write = typedWrite(key, type);
    return d;
}

// Stored clamped to [minimum, maximum], with a note when it had to be.
PreferenceDefinition bounded(const QString& key, int minimum, int maximum, int defaultValue,
                             const QString& notification) {
    PreferenceDefinition d = entry(key, Type::integer, defaultValue, notification);
    d.read = [=](PreferenceStore& p) {
        return QString::number(
            BoundedIntegerSettingStore(p, key, minimum, maximum, defaultValue).load());
    };
    d.write = [=](PreferenceStore& p, const QString& value) {
        const auto parsed = parsePreferenceInteger(value);
        if (!parsed)
            return PreferenceWrite::notA(QStringLiteral("a whole number"), value);
        const BoundedIntegerSettingStore store(p, key, minimum, maximum, defaultValue);
        const int stored = store.clamped(*parsed);
        store.save(stored);
        if (stored == *parsed)
            return PreferenceWrite::stored();
        return PreferenceWrite::adjusted(
            QStringLiteral("stored %1 (allowed %2 to %3)").arg(stored).arg(minimum).arg(maximum));
    };
    return d;
}

QList<PreferenceDefinition> definitions() {
    using Persistence = SessionPersistenceSettingsStore;
    using Debounce = SearchDebounceSettingsStore;

    PreferenceDefinition theme = entry(keys::launcherThemeID, Type::string,
                                       defaultLauncherThemeID(), names::LauncherThemeChanged);
    theme.read = [](PreferenceStore& p) -> std::optional<QString> {
        return LauncherThemeStore(p).load();
    };
    theme.write = [](PreferenceStore& p, const QString& value) {
        if (!LauncherThemeStore(p).save(value.trimmed()))
            return PreferenceWrite::refused(QStringLiteral("'%1' is not a theme; themes: %2")
                                                .arg(value, launcherThemeIDs().join(u", ")));
        return PreferenceWrite::stored();
    };

    PreferenceDefinition token =
        entry(keys::notionIntegrationToken, Type::string, {}, names::NotionSettingsChanged);
    token.secret = true;

    // The rules of the hot key, the ranking rules, translation, Notion and the
    // window sizes live with their stores, above this layer.
    return {
        entry(keys::launcherHotKeyEnabled, Type::boolean, {}, names::LauncherHotKeyChanged),
        entry(keys::launcherHotKeyCode, Type::integer, {}, names::LauncherHotKeyChanged),
        entry(keys::launcherHotKeyModifiers, Type::integer, {}, names::LauncherHotKeyChanged),
        entry(keys::launcherHotKeyCharacter, Type::string, {}, names::LauncherHotKeyChanged),
        entry(keys::launcherShowMenuBarIcon, Type::boolean, true,
              names::LauncherMenuBarIconVisibilityChanged),
        entry(keys::launcherShowVersionNumber, Type::boolean, true,
              names::LauncherVersionVisibilityChanged),
        entry(keys::launcherShowSearchScores, Type::boolean, true,
              names::LauncherScoreVisibilityChanged),
        entry(keys::showSnippets, Type::boolean, false, names::ShowSnippetsChanged),
        entry(keys::launcherUseNativeAppIcons, Type::boolean, false,
              names::LauncherIconSettingsChanged),
        theme,
        entry(keys::launcherSnapToGrid, Type::boolean, true, names::LauncherWindowSnapChanged),
        // Unset until the first launch records the system's state.
        entry(keys::launcherRunAtLogin, Type::boolean),
        entry(keys::launcherPermissionsOnboardingCompleted, Type::boolean, false),
        entry(keys::allowMultipleInstances, Type::boolean, false),
        bounded(keys::launcherSessionPersistenceSeconds, Persistence::minimumSeconds,
                Persistence::maximumSeconds, Persistence::defaultSeconds,
                names::LauncherSessionPersistenceChanged),
        bounded(keys::launcherSearchDebounceMilliseconds, Debounce::minimumMilliseconds,
                Debounce::maximumMilliseconds, Debounce::defaultMilliseconds,
                names::LauncherSearchDebounceChanged),
        // Kept by the launcher as the user searches.
        entry(keys::launcherSearchHistoryQueries, Type::stringList),
        entry(keys::launcherExtensionBoostRules, Type::string, {},
              names::LauncherRankingSettingsChanged),
        entry(keys::launcherTranslationTrigger, Type::string),
        entry(keys::launcherTranslationLanguageCodes, Type::string),
        entry(keys::launcherTranslationEngineOrder, Type::string),
        entry(keys::launcherTranslationEngineEnabled, Type::string),
        token,
        entry(keys::notionSearchEnabled, Type::boolean, {}, names::NotionSettingsChanged),
        entry(keys::launcherWindowX, Type::real),
        entry(keys::launcherWindowTopY, Type::real),
        entry(keys::launcherWindowWidth, Type::real),
        entry(keys::launcherWindowHeight, Type::real),
        entry(keys::launcherSettingsWindowWidth, Type::real),
        entry(keys::launcherSettingsWindowHeight, Type::real),
    };
}

} // namespace

PreferenceWrite PreferenceWrite::notA(const QString& what, const QString& value) {
    return refused(QStringLiteral("'%1' is not %2").arg(value, what));
}

const PreferenceDefinition* PreferenceRegistry::find(const QString& key) const {
    for (const PreferenceDefinition& d : m_definitions) {
        if (d.key == key)
            return &d;
    }
    return nullptr;
}

void PreferenceRegistry::setAccess(const QString& key, PreferenceDefinition::Read read,
                                   PreferenceDefinition::Write write) {
    for (PreferenceDefinition& d : m_definitions) {
        if (d.key != key)
            continue;
        if (read)
            d.read = std::move(read);
        if (write)
            d.write = std::move(write);
        return;
    }
    Q_ASSERT_X(false, "PreferenceRegistry::setAccess", "unknown key");
}

const PreferenceRegistry& launcherPreferenceDefinitions() {
    static const PreferenceRegistry registry(definitions());
    return registry;
}

const PreferenceDefinition& preferenceDefinition(const QString& key) {
    const PreferenceDefinition* d = launcherPreferenceDefinitions().find(key);
    Q_ASSERT_X(d, "preferenceDefinition", "unknown key");
    return *d;
}

std::optional<bool> parsePreferenceBool(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == u"true" || t == u"yes" || t == u"on" || t == u"1")
        return true;
    if (t == u"false" || t == u"no" || t == u"off" || t == u"0")
        return false;
    return std::nullopt;
}

QString preferenceBoolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

std::optional<qint64> parsePreferenceInteger(const QString& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<double> parsePreferenceReal(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

} // namespace trovi
