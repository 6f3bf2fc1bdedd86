#include "launcher/engine/sources/actions/LauncherActions.h"

namespace trovi {

namespace {

constexpr const char16_t* kSettingsKeywords[] = {
    u"settings", u"preference", u"preferences", u"config", u"configuration",
    u"hotkey",   u"shortcut",   u"launcher",    u"alfred",
};

const QString& settingsTitle() {
    static const QString title = QStringLiteral("Show Launcher Settings");
    return title;
}

const QString& settingsSubtitle() {
    static const QString subtitle = QStringLiteral("Configure hotkey and launcher options");
    return subtitle;
}

} // namespace

bool launcherSettingsActionMatches(const QString& queryLowercased) {
    if (queryLowercased.isEmpty())
        return false;
    for (const char16_t* keyword : kSettingsKeywords) {
        const QStringView word(keyword);
        if (word.contains(queryLowercased) || queryLowercased.contains(word))
            return true;
    }
    return settingsTitle().toLower().contains(queryLowercased) ||
           settingsSubtitle().toLower().contains(queryLowercased);
}

SearchResult launcherSettingsActionResult() {
    SearchResult result;
    result.id = stableNegativeID(QStringLiteral("action://open-settings"));
    result.filename = settingsTitle();
    result.directory = settingsSubtitle();
    result.kind = SearchResultKind::action;
    result.action = SearchResultAction::openSettings;
    result.openCount = 0;
    return result;
}

} // namespace trovi
