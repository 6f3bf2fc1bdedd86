#include "ConfigCommand.h"

#include "launcher/engine/ranking/SearchRankingSettingsStore.h"
#include "launcher/session/hotkey/HotKeySettings.h"
#include "launcher/session/window/WindowGeometry.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/PreferenceKeys.h"
#include "launcher/clients/TranslationSettingsStores.h"

#include <QList>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <variant>

namespace trovi::app {

namespace {

namespace keys = preferenceKeys;
namespace names = notifications;

// A refused value: the message says why.
struct Refused {
    QString message;
};
// nullopt: stored as given; a string: stored, with a note (clamped, normalised).
using SetOutcome = std::variant<std::monostate, QString, Refused>;

struct Entry {
    QString key;
    QString notification; // empty when nothing observes the key
    bool secret = false;
    std::function<std::optional<QString>(PreferenceStore&)> get; // nullopt: unset
    std::function<SetOutcome(PreferenceStore&, const QString&)> set;
};

std::optional<bool> parseBool(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == u"true" || t == u"yes" || t == u"on" || t == u"1")
        return true;
    if (t == u"false" || t == u"no" || t == u"off" || t == u"0")
        return false;
    return std::nullopt;
}

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

std::optional<qint64> parseInteger(const QString& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<double> parseReal(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

Refused notA(const QString& what, const QString& value) {
    return Refused{QStringLiteral("'%1' is not %2").arg(value, what)};
}

Entry booleanEntry(const QString& key, const QString& notification, bool defaultValue) {
    return {key, notification, false,
            [key, defaultValue](PreferenceStore& p) -> std::optional<QString> {
                return boolText(p.boolValue(key).value_or(defaultValue));
            },
            [key](PreferenceStore& p, const QString& value) -> SetOutcome {
                const auto parsed = parseBool(value);
                if (!parsed)
                    return notA(QStringLiteral("true or false"), value);
                p.setBool(key, *parsed);
                return {};
            }};
}

template <typename Store>
Entry boundedEntry(const QString& key, const QString& notification,
                   Store (*make)(PreferenceStore&)) {
    return {key, notification, false,
            [make](PreferenceStore& p) -> std::optional<QString> {
                return QString::number(make(p).load());
            },
            [make](PreferenceStore& p, const QString& value) -> SetOutcome {
                const auto parsed = parseInteger(value);
                if (!parsed)
                    return notA(QStringLiteral("a whole number"), value);
                const Store store = make(p);
                const int stored = store.clamped(*parsed);
                store.save(stored);
                if (stored != *parsed)
                    return QStringLiteral("stored %1 (allowed %2 to %3)")
                        .arg(stored)
                        .arg(store.minimum())
                        .arg(store.maximum());
                return {};
            }};
}

Entry hotKeyEntry(const QString& key) {
    auto load = [](PreferenceStore& p) {
        return HotKeySettingsStore(p, keys::launcherHotKeyEnabled, keys::launcherHotKeyCode,
                                   keys::launcherHotKeyModifiers, keys::launcherHotKeyCharacter);
    };
    return {key, names::LauncherHotKeyChanged, false,
            [key, load](PreferenceStore& p) -> std::optional<QString> {
                const HotKeySettings s = load(p).load(HotKeySettings::defaultSettings());
                if (key == keys::launcherHotKeyEnabled)
                    return boolText(s.isEnabled);
                if (key == keys::launcherHotKeyCode)
                    return QString::number(s.keyCode);
                if (key == keys::launcherHotKeyModifiers)
                    return QString::number(s.modifiers);
                return s.character;
            },
            [key, load](PreferenceStore& p, const QString& value) -> SetOutcome {
                const HotKeySettingsStore store = load(p);
                HotKeySettings s = store.load(HotKeySettings::defaultSettings());
                if (key == keys::launcherHotKeyEnabled) {
                    const auto parsed = parseBool(value);
                    if (!parsed)
                        return notA(QStringLiteral("true or false"), value);
                    s.isEnabled = *parsed;
                } else if (key == keys::launcherHotKeyCharacter) {
                    if (value.isEmpty()) {
                        s.character.reset();
                    } else {
                        s.character = normalizedHotKeyCharacter(value);
                        if (!s.character || value.toUcs4().size() != 1)
                            return notA(QStringLiteral("one printable character"), value);
                    }
                } else {
                    const auto parsed = parseInteger(value);
                    if (!parsed || *parsed < 0 || *parsed > qint64(0xFFFFFFFF))
                        return notA(QStringLiteral("a number from 0 to 4294967295"), value);
                    (key == keys::launcherHotKeyCode ? s.keyCode : s.modifiers) = quint32(*parsed);
                }
                store.save(s);
                return {};
            }};
}

Entry windowSizeEntry(const QString& key, bool settingsWindow, bool width) {
    auto make = [settingsWindow](PreferenceStore& p) {
        return settingsWindow ? WindowSizeStore::settingsWindow(p)
                              : WindowSizeStore::launcherWindow(p);
    };
    return {key, QString(), false,
            [key](PreferenceStore& p) -> std::optional<QString> {
                if (auto v = p.realValue(key))
                    return QString::number(*v);
                return std::nullopt;
            },
            [key, make, width](PreferenceStore& p, const QString& value) -> SetOutcome {
                const auto parsed = parseReal(value);
                if (!parsed)
                    return notA(QStringLiteral("a number"), value);
                const WindowSizeStore store = make(p);
                const double stored =
                    width ? store.clampedWidth(*parsed) : store.clampedHeight(*parsed);
                p.setReal(key, stored);
                if (stored != *parsed)
                    return QStringLiteral("stored %1").arg(stored);
                return {};
            }};
}

Entry realEntry(const QString& key) {
    return {key, QString(), false,
            [key](PreferenceStore& p) -> std::optional<QString> {
                if (auto v = p.realValue(key))
                    return QString::number(*v);
                return std::nullopt;
            },
            [key](PreferenceStore& p, const QString& value) -> SetOutcome {
                const auto parsed = parseReal(value);
                if (!parsed)
                    return notA(QStringLiteral("a number"), value);
                p.setReal(key, *parsed);
                return {};
            }};
}

const QList<Entry>& entries() {
    static const QList<Entry> table = [] {
        QList<Entry> t;
        for (const QString& key : {keys::launcherHotKeyEnabled, keys::launcherHotKeyCode,
                                   keys::launcherHotKeyModifiers, keys::launcherHotKeyCharacter})
            t.append(hotKeyEntry(key));
        t.append(booleanEntry(keys::launcherShowMenuBarIcon,
                              names::LauncherMenuBarIconVisibilityChanged, true));
        t.append(booleanEntry(keys::launcherShowVersionNumber,
                              names::LauncherVersionVisibilityChanged, true));
        t.append(booleanEntry(keys::launcherShowSearchScores, names::LauncherScoreVisibilityChanged,
                              true));
        t.append(booleanEntry(keys::showSnippets, names::ShowSnippetsChanged, false));
        t.append(booleanEntry(keys::launcherUseNativeAppIcons, names::LauncherIconSettingsChanged,
                              false));
        t.append({keys::launcherThemeID, names::LauncherThemeChanged, false,
                  [](PreferenceStore& p) -> std::optional<QString> {
                      return LauncherThemeStore(p).load();
                  },
                  [](PreferenceStore& p, const QString& value) -> SetOutcome {
                      if (!LauncherThemeStore(p).save(value.trimmed()))
                          return Refused{QStringLiteral("'%1' is not a theme; themes: %2")
                                             .arg(value, launcherThemeIDs().join(u", "))};
                      return {};
                  }});
        t.append(booleanEntry(keys::launcherSnapToGrid, names::LauncherWindowSnapChanged, true));
        Entry runAtLogin = booleanEntry(keys::launcherRunAtLogin, QString(), false);
        runAtLogin.get = [](PreferenceStore& p) -> std::optional<QString> {
            if (auto v = p.boolValue(keys::launcherRunAtLogin))
                return boolText(*v);
            return std::nullopt;
        };
        t.append(runAtLogin);
        t.append(booleanEntry(keys::launcherPermissionsOnboardingCompleted, QString(), false));
        t.append(booleanEntry(keys::allowMultipleInstances, QString(), false));
        t.append(boundedEntry<SessionPersistenceSettingsStore>(
            keys::launcherSessionPersistenceSeconds, names::LauncherSessionPersistenceChanged,
            +[](PreferenceStore& p) { return SessionPersistenceSettingsStore(p); }));
        t.append(boundedEntry<SearchDebounceSettingsStore>(
            keys::launcherSearchDebounceMilliseconds, names::LauncherSearchDebounceChanged,
            +[](PreferenceStore& p) { return SearchDebounceSettingsStore(p); }));
        t.append({keys::launcherSearchHistoryQueries, QString(), false,
                  [](PreferenceStore& p) -> std::optional<QString> {
                      return p.stringListValue(keys::launcherSearchHistoryQueries)
                          .value_or(QStringList())
                          .join(u'\n');
                  },
                  nullptr});
        t.append({keys::launcherExtensionBoostRules, names::LauncherRankingSettingsChanged, false,
                  [](PreferenceStore& p) -> std::optional<QString> {
                      return QString::fromUtf8(SearchRankingSettingsStore::encodedRules(
                          SearchRankingSettingsStore(p).load().extensionBoostRules()));
                  },
                  [](PreferenceStore& p, const QString& value) -> SetOutcome {
                      const auto rules = SearchRankingSettingsStore::decodedRules(value.toUtf8());
                      if (!rules)
                          return Refused{QStringLiteral(
                              "the rules must be a JSON array of {\"id\", \"suffix\", \"boost\"}")};
                      if (auto message = SearchRankingSettingsStore::validationMessage(*rules))
                          return Refused{*message};
                      SearchRankingSettingsStore(p).save(*rules);
                      return {};
                  }});
        t.append({QString(TranslationCommandSettingsStore::translationTriggerKey), QString(), false,
                  [](PreferenceStore& p) -> std::optional<QString> {
                      return TranslationCommandSettingsStore(p).loadTrigger();
                  },
                  [](PreferenceStore& p, const QString& value) -> SetOutcome {
                      const QString stored = TranslationCommandSettingsStore(p).saveTrigger(value);
                      if (stored != value)
                          return QStringLiteral("stored '%1'").arg(stored);
                      return {};
                  }});
        t.append({QString(TranslationLanguageSettingsStore::languageCodesKey), QString(), false,
                  [](PreferenceStore& p) -> std::optional<QString> {
                      return TranslationLanguageSettingsStore(p).load().join(u',');
                  },
                  [](PreferenceStore& p, const QString& value) -> SetOutcome {
                      const TranslationLanguageSettingsStore store(p);
                      store.save(value);
                      return QStringLiteral("stored '%1'").arg(store.load().join(u','));
                  }});
        auto engineEntry = [](bool order) -> Entry {
            return {QString(order ? TranslationEngineSettingsStore::orderKey
                                  : TranslationEngineSettingsStore::enabledKey),
                    QString(), false,
                    [order](PreferenceStore& p) -> std::optional<QString> {
                        const auto prefs = TranslationEngineSettingsStore(p).load();
                        return TranslationEngineSettingsStore::encodeEngineIDs(
                            order ? prefs.order : prefs.prioritizedEnabledEngineIDs());
                    },
                    [order](PreferenceStore& p, const QString& value) -> SetOutcome {
                        const auto ids = TranslationEngineSettingsStore::parseEngineIDs(value);
                        if (!ids)
                            return Refused{
                                QStringLiteral("name the engines 'apple' and/or 'argos'")};
                        const TranslationEngineSettingsStore store(p);
                        const auto prefs = store.load();
                        if (order)
                            store.save(*ids, prefs.enabledEngineIDs);
                        else
                            store.save(prefs.order,
                                       QSet<TranslationEngineID>(ids->begin(), ids->end()));
                        return {};
                    }};
        };
        t.append(engineEntry(true));
        t.append(engineEntry(false));
        t.append({keys::notionIntegrationToken, names::NotionSettingsChanged, true,
                  [](PreferenceStore& p) -> std::optional<QString> {
                      return p.stringValue(keys::notionIntegrationToken);
                  },
                  [](PreferenceStore& p, const QString& value) -> SetOutcome {
                      const QString token = value.trimmed();
                      if (token.isEmpty())
                          p.remove(keys::notionIntegrationToken);
                      else
                          p.setString(keys::notionIntegrationToken, token);
                      return {};
                  }});
        Entry notionEnabled =
            booleanEntry(keys::notionSearchEnabled, names::NotionSettingsChanged, false);
        notionEnabled.get = [](PreferenceStore& p) -> std::optional<QString> {
            if (auto v = p.boolValue(keys::notionSearchEnabled))
                return boolText(*v);
            return boolText(!p.stringValue(keys::notionIntegrationToken)
                                 .value_or(QString())
                                 .trimmed()
                                 .isEmpty());
        };
        t.append(notionEnabled);
        t.append(realEntry(keys::launcherWindowX));
        t.append(realEntry(keys::launcherWindowTopY));
        t.append(windowSizeEntry(keys::launcherWindowWidth, false, true));
        t.append(windowSizeEntry(keys::launcherWindowHeight, false, false));
        t.append(windowSizeEntry(keys::launcherSettingsWindowWidth, true, true));
        t.append(windowSizeEntry(keys::launcherSettingsWindowHeight, true, false));
        return t;
    }();
    return table;
}

void printLine(FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", line.toUtf8().constData());
}

QString shown(const Entry& entry, PreferenceStore& preferences) {
    const std::optional<QString> value = entry.get(preferences);
    if (entry.secret)
        return value && !value->isEmpty() ? QStringLiteral("(set)") : QStringLiteral("(unset)");
    return value ? *value : QStringLiteral("(unset)");
}

} // namespace

int runConfigCommand(const ConfigCommand& command, PreferenceStore& preferences,
                     const std::function<void(const QString&)>& notify) {
    if (command.action == ConfigCommand::Action::list) {
        for (const Entry& entry : entries()) {
            QString value = shown(entry, preferences);
            value.replace(u'\n', QStringLiteral(", "));
            printLine(stdout, entry.key + QStringLiteral(" = ") + value);
        }
        return 0;
    }
    const auto it = std::find_if(entries().begin(), entries().end(),
                                 [&](const Entry& e) { return e.key == command.key; });
    if (it == entries().end()) {
        printLine(stderr, QStringLiteral("trovi: unknown preference key '%1' (see 'trovi config "
                                         "list')")
                              .arg(command.key));
        return 2;
    }
    if (command.action == ConfigCommand::Action::get) {
        if (it->secret) {
            printLine(stdout, shown(*it, preferences));
            return 0;
        }
        const std::optional<QString> value = it->get(preferences);
        if (!value)
            return 1; // unset: nothing printed, like `git config`
        printLine(stdout, *value);
        return 0;
    }
    if (!it->set) {
        printLine(
            stderr,
            QStringLiteral("trovi: '%1' is kept by the launcher and cannot be set").arg(it->key));
        return 1;
    }
    const SetOutcome outcome = it->set(preferences, command.value);
    if (const auto* refused = std::get_if<Refused>(&outcome)) {
        printLine(stderr, QStringLiteral("trovi: %1: %2").arg(it->key, refused->message));
        return 1;
    }
    if (const auto* note = std::get_if<QString>(&outcome))
        printLine(stderr, QStringLiteral("trovi: %1: %2").arg(it->key, *note));
    if (!it->notification.isEmpty() && notify)
        notify(it->notification);
    return 0;
}

} // namespace trovi::app
