#include "launcher/session/ResultRowPresentation.h"

#include <QDir>

namespace trovi {

std::optional<CustomFileIconKind> customFileIcon(const SearchResult& result) {
    if (result.kind != SearchResultKind::file)
        return std::nullopt;
    const QString name = result.filename.toLower();
    if (name.endsWith(QLatin1String(".gsheet")))
        return CustomFileIconKind::googleSheets;
    if (name.endsWith(QLatin1String(".gdoc")))
        return CustomFileIconKind::googleDocs;
    if (name.endsWith(QLatin1String(".gslides")))
        return CustomFileIconKind::googleSlides;
    if (name.endsWith(QLatin1String(".pdf")))
        return CustomFileIconKind::pdf;
    return std::nullopt;
}

QString symbolName(const SearchResult& result) {
    switch (result.kind) {
    case SearchResultKind::file:
        return QStringLiteral("doc.fill");
    case SearchResultKind::app:
        return QStringLiteral("app.fill");
    case SearchResultKind::folder:
        return QStringLiteral("folder.fill");
    case SearchResultKind::action:
        break;
    }
    if (!result.action)
        return QStringLiteral("slider.horizontal.3");
    switch (*result.action) {
    case SearchResultAction::copyToClipboard:
        return QStringLiteral("equal.circle");
    case SearchResultAction::focusBrowserTab:
        return QStringLiteral("globe");
    case SearchResultAction::openBrowserFavorite:
        return QStringLiteral("bookmark.fill");
    case SearchResultAction::openSystemSettings:
        return QStringLiteral("gearshape.fill");
    case SearchResultAction::openNotionPage:
        return QStringLiteral("doc.richtext");
    case SearchResultAction::openSettings:
        break;
    }
    return QStringLiteral("slider.horizontal.3");
}

bool themeUsesSymbolIcons(const QString& themeID) {
    return themeID == QLatin1String("vitesseDarkSoft") ||
           themeID == QLatin1String("vitesseDarkSoftUnified") ||
           themeID == QLatin1String("vitesseDarkSoftRoseHover");
}

RowIcon rowIcon(const SearchResult& result, const QString& themeID, bool useNativeAppIcons) {
    using Kind = RowIcon::Kind;
    // Google's document links keep their product symbols (no network images).
    if (const auto custom = customFileIcon(result)) {
        switch (*custom) {
        case CustomFileIconKind::pdf:
            return {Kind::pdfTypeIcon, {}, result.fullPath()};
        case CustomFileIconKind::googleSheets:
            return {Kind::symbol, QStringLiteral("tablecells.fill"), {}};
        case CustomFileIconKind::googleDocs:
            return {Kind::symbol, QStringLiteral("doc.text.fill"), {}};
        case CustomFileIconKind::googleSlides:
            return {Kind::symbol, QStringLiteral("rectangle.on.rectangle"), {}};
        }
    }
    const bool isAction = result.kind == SearchResultKind::action;
    const bool native = !isAction && (!themeUsesSymbolIcons(themeID) ||
                                      (result.kind == SearchResultKind::app && useNativeAppIcons));
    if (!native && !isAction)
        return {Kind::symbol, symbolName(result), {}};
    if (isAction) {
        if (result.action == SearchResultAction::openSystemSettings)
            return {Kind::systemSettingsIcon, {}, {}};
        return {Kind::symbol, symbolName(result), {}};
    }
    if (result.kind == SearchResultKind::app)
        return {Kind::applicationIcon, result.iconName.value_or(QString()), result.fullPath()};
    return {Kind::fileIcon, symbolName(result), result.fullPath()};
}

QString homeAbbreviatedPath(const QString& path, const QString& home) {
    QStringView root(home);
    while (root.size() > 1 && root.endsWith(u'/'))
        root.chop(1);
    if (root.isEmpty() || root == u"/")
        return path;
    if (path == root)
        return QStringLiteral("~");
    if (path.startsWith(root) && path.size() > root.size() && path[root.size()] == u'/')
        return u'~' + path.mid(root.size());
    return path;
}

ResultRowPresentation presentResultRow(const SearchResult& result, const RowContext& context) {
    ResultRowPresentation row;
    row.icon = rowIcon(result, context.themeID, context.useNativeAppIcons);
    row.kind = result.kind;
    row.title = result.displayName();
    // A desktop entry found without its display name still reads as a name.
    if (result.kind == SearchResultKind::app && !result.title &&
        row.title.endsWith(QLatin1String(".desktop")))
        row.title.chop(8);
    row.isSelected = context.isSelected;
    row.isHovered = context.isHovered;
    const bool reveals = context.activationMode == ResultActivationMode::revealInFileBrowser;
    if (context.isSelected && reveals) {
        row.secondLine = ResultRowPresentation::revealHint;
        row.secondLineIsRevealHint = true;
    } else if (result.description) { // an application's, or what Enter does on a tab
        row.secondLine = *result.description;
    } else {
        row.secondLine = homeAbbreviatedPath(result.directory, QDir::homePath());
    }
    if (context.showSnippets && result.snippet && !result.snippet->isEmpty())
        row.snippet = parseSnippetSegments(*result.snippet);
    if (context.showScore)
        row.score = result.relevanceScore;
    if (context.isSelected)
        row.trailingSymbol = reveals ? QStringLiteral("folder.fill") : QStringLiteral("return");
    return row;
}

} // namespace trovi
