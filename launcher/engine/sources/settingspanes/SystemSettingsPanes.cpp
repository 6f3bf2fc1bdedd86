#include "launcher/engine/sources/settingspanes/SystemSettingsPanes.h"

#include "launcher/engine/ranking/NameCollation.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace trovi {

namespace {

struct KeywordGroup {
    const char* fragment;
    std::initializer_list<const char*> keywords;
};

const KeywordGroup kKeywordGroups[] = {
    {"sound", {"audio", "speaker", "microphone", "mic", "volume"}},
    {"displays", {"monitor", "screen", "resolution", "brightness"}},
    {"time machine", {"backup", "restore", "sicherung"}},
    {"notifications", {"alerts", "banner", "benachrichtigung"}},
    {"wallpaper", {"background", "desktop", "hintergrund"}},
    {"wi-fi", {"wifi", "wireless", "wlan"}},
    {"lock screen", {"sleep", "screen lock"}},
};

int termScore(const QString& term, const QString& query) {
    // An empty term would be contained in every query.
    if (term.isEmpty())
        return 0;
    if (term == query)
        return 3;
    if (term.startsWith(query))
        return 2;
    if (term.contains(query))
        return 1;
    // A query holding a whole term ("sound settings") finds it; a term of one
    // letter only as a word of its own, or every query with an "r" would.
    if (term.size() > 1 ? query.contains(term) : alphanumericPieces(query).contains(term))
        return 1;
    return 0;
}

} // namespace

bool shouldIncludeSystemSettingsBundle(const QString& bundleIdentifier,
                                       const QString& extensionPointIdentifier) {
    const QString id = bundleIdentifier.toLower();
    const QString point = extensionPointIdentifier.toLower();
    const bool candidate =
        id.contains(u"-settings.extension") || point == u"com.apple.settings.extension.ui" ||
        id.startsWith(u"com.apple.systempreferences.") || id.contains(u"wifi-settings");
    const bool rejected = id.contains(u"intentsextension") || id.contains(u"widget") ||
                          id.contains(u"followupsettings.followupsettingsextension");
    return candidate && !rejected;
}

QString cleanupSystemSettingsTitle(const QString& title) {
    static const QRegularExpression camelBoundary(QStringLiteral("([a-z0-9])([A-Z])"));
    static const QRegularExpression whiteSpace(QStringLiteral("\\s+"));
    QString text = title.trimmed();
    text.replace(camelBoundary, QStringLiteral("\\1 \\2"));
    for (const char* suffix : {" Settings Extension", " Settings Intents Extension",
                               " Intents Extension", " Extension", " Settings"}) {
        const QString s = QString::fromLatin1(suffix);
        if (text.endsWith(s))
            text.chop(s.size());
    }
    text.replace(whiteSpace, QStringLiteral(" "));
    return text.trimmed();
}

std::optional<QString> systemSettingsTitleOverride(const QString& bundleIdentifier) {
    static const QHash<QString, QString> overrides = {
        {QStringLiteral("com.apple.wifi-settings-extension"), QStringLiteral("Wi-Fi")},
        {QStringLiteral("com.apple.users-groups-settings.extension"),
         QStringLiteral("Users & Groups")},
        {QStringLiteral("com.apple.battery-settings.extension"), QStringLiteral("Battery")},
        {QStringLiteral("com.apple.time-machine-settings.extension"),
         QStringLiteral("Time Machine")},
        {QStringLiteral("com.apple.touch-id-settings.extension"),
         QStringLiteral("Touch ID & Password")},
        {QStringLiteral("com.apple.networkextensionsettingsui.nesettingsuiextension"),
         QStringLiteral("VPN")},
        {QStringLiteral("com.apple.systempreferences.appleidsettings"),
         QStringLiteral("Apple Account")},
        {QStringLiteral("com.apple.desktop-settings.extension"), QStringLiteral("Wallpaper")},
        {QStringLiteral("com.apple.screensaver-settings.extension"),
         QStringLiteral("Screen Saver")},
        {QStringLiteral("com.apple.lock-screen-settings.extension"), QStringLiteral("Lock Screen")},
        {QStringLiteral("com.apple.software-update-settings.extension"),
         QStringLiteral("Software Update")},
        {QStringLiteral("com.apple.print-scan-settings.extension"),
         QStringLiteral("Printers & Scanners")},
    };
    const auto it = overrides.constFind(bundleIdentifier.toLower());
    if (it == overrides.constEnd())
        return std::nullopt;
    return *it;
}

QStringList alphanumericPieces(const QString& text) {
    QStringList pieces;
    QString current;
    for (const QChar c : text) {
        if (c.isLetterOrNumber()) {
            current.append(c);
        } else if (!current.isEmpty()) {
            pieces.append(current);
            current.clear();
        }
    }
    if (!current.isEmpty())
        pieces.append(current);
    return pieces;
}

QStringList systemSettingsKeywords(const QString& title, const QString& bundleIdentifier) {
    const QString lowerTitle = title.toLower();
    QStringList keywords{lowerTitle};
    for (const KeywordGroup& group : kKeywordGroups) {
        if (!lowerTitle.contains(QLatin1String(group.fragment)))
            continue;
        for (const char* keyword : group.keywords)
            keywords.append(QString::fromLatin1(keyword));
    }
    for (const QString& piece : alphanumericPieces(bundleIdentifier.toLower()))
        if (piece.size() >= 2)
            keywords.append(piece);
    keywords.removeDuplicates();
    return keywords;
}

QList<SystemSettingsShortcut>
mergeSystemSettingsShortcuts(const QList<SystemSettingsShortcut>& preferred,
                             const QList<SystemSettingsShortcut>& discovered) {
    QList<SystemSettingsShortcut> merged;
    QSet<QString> seen;
    for (const auto* list : {&preferred, &discovered}) {
        for (const SystemSettingsShortcut& shortcut : *list) {
            const QString key = shortcut.primaryURLString.toLower();
            if (seen.contains(key))
                continue;
            seen.insert(key);
            merged.append(shortcut);
        }
    }
    std::stable_sort(merged.begin(), merged.end(), [](const auto& a, const auto& b) {
        return compareNames(a.title, b.title) < 0;
    });
    return merged;
}

SearchResult systemSettingsResult(const SystemSettingsShortcut& shortcut) {
    SearchResult result;
    result.id =
        stableNegativeID(QStringLiteral("action://system-settings/") + shortcut.primaryURLString);
    result.filename = shortcut.title;
    result.directory = shortcut.subtitle;
    result.kind = SearchResultKind::action;
    result.action = SearchResultAction::openSystemSettings;
    result.actionURLString = shortcut.primaryURLString;
    result.fallbackActionURLString = shortcut.fallbackURLString;
    return result;
}

QList<SearchResult>
searchSystemSettingsActionResults(const QString& queryLowercased,
                                  const QList<SystemSettingsShortcut>& shortcuts,
                                  const LearnedCountLookup& learnedOpenCount) {
    struct Scored {
        int score;
        SearchResult result;
    };
    QList<Scored> matches;
    for (const SystemSettingsShortcut& shortcut : shortcuts) {
        const QString lowerTitle = shortcut.title.toLower();
        int best = termScore(lowerTitle, queryLowercased);
        for (const QString& piece : alphanumericPieces(lowerTitle))
            best = std::max(best, termScore(piece, queryLowercased));
        for (const QString& keyword : shortcut.keywords)
            best = std::max(best, termScore(keyword.toLower(), queryLowercased));
        if (best == 0)
            continue;
        SearchResult result = systemSettingsResult(shortcut);
        if (learnedOpenCount) {
            if (const std::int64_t learned = learnedOpenCount(result); learned != 0)
                result = result.withOpenCount(learned);
        }
        matches.append({best, std::move(result)});
    }
    std::stable_sort(matches.begin(), matches.end(), [](const Scored& a, const Scored& b) {
        if (a.score != b.score)
            return a.score > b.score;
        return compareNames(a.result.filename, b.result.filename) < 0;
    });
    QList<SearchResult> results;
    for (qsizetype i = 0; i < matches.size() && i < 10; ++i)
        results.append(std::move(matches[i].result));
    return results;
}

} // namespace trovi
