#include "launcher/shell/ThemePalette.h"

namespace trovi {

QColor themeQColor(const ThemeColor& color, bool darkBackground) {
    QColor c;
    switch (color.kind) {
    case ThemeColor::Kind::rgb:
        c = QColor::fromRgbF(float(color.red), float(color.green), float(color.blue));
        break;
    case ThemeColor::Kind::primaryLabel:
        c = darkBackground ? QColor(255, 255, 255, 235) : QColor(0, 0, 0, 217);
        break;
    case ThemeColor::Kind::secondaryLabel:
        c = darkBackground ? QColor(235, 235, 245, 153) : QColor(60, 60, 67, 153);
        break;
    }
    c.setAlphaF(float(c.alphaF() * color.opacity));
    return c;
}

bool hasDarkBackground(const LauncherTheme& theme) {
    const ThemeColor& a = theme.backgroundGradient.start;
    const ThemeColor& b = theme.backgroundGradient.end;
    // Relative luminance of the gradient's middle.
    const double r = (a.red + b.red) / 2, g = (a.green + b.green) / 2, bl = (a.blue + b.blue) / 2;
    return 0.2126 * r + 0.7152 * g + 0.0722 * bl < 0.5;
}

QLinearGradient themeBackgroundGradient(const LauncherTheme& theme, const QRectF& rect) {
    const ThemeGradient& g = theme.backgroundGradient;
    const bool dark = hasDarkBackground(theme);
    QLinearGradient gradient(
        rect.left() + g.startPoint.x * rect.width(), rect.top() + g.startPoint.y * rect.height(),
        rect.left() + g.endPoint.x * rect.width(), rect.top() + g.endPoint.y * rect.height());
    gradient.setColorAt(0, themeQColor(g.start, dark));
    gradient.setColorAt(1, themeQColor(g.end, dark));
    return gradient;
}

ResultRowStyle resultRowStyle(const LauncherTheme& theme) {
    const bool dark = hasDarkBackground(theme);
    ResultRowStyle s;
    s.selectedBackground = themeQColor(theme.selectedRowBackground, dark);
    s.hoverBackground = themeQColor(theme.hoverRowBackground, dark);
    s.rowBackground = themeQColor(theme.rowBaseBackground, dark);
    s.selectedStroke = themeQColor(theme.selectedRowStroke, dark);
    s.hoverStroke = themeQColor(theme.hoverRowStroke, dark);
    s.selectedIndicator = themeQColor(theme.selectedIndicator, dark);
    s.primaryText = themeQColor(theme.unselectedPrimaryText, dark);
    s.secondaryText = themeQColor(theme.unselectedSecondaryText, dark);
    s.selectedPrimaryText = themeQColor(theme.selectedPrimaryText, dark);
    s.selectedSecondaryText = themeQColor(theme.selectedSecondaryText, dark);
    s.snippetHighlight = themeQColor(theme.snippetHighlight, dark);
    s.selectedSnippetHighlight = themeQColor(theme.snippetHighlightSelected, dark);
    s.iconTint = themeQColor(theme.actionIconColor, dark);
    return s;
}

RowColours rowColours(const LauncherTheme& theme, ThemedResultKind kind, bool isSelected) {
    const bool dark = hasDarkBackground(theme);
    return {themeQColor(theme.primaryTextColor(kind, isSelected), dark),
            themeQColor(theme.secondaryTextColor(kind, isSelected), dark),
            themeQColor(theme.iconTintColor(kind, isSelected), dark)};
}

bool tintsSymbolIcons(const LauncherTheme& theme) {
    return theme.id == LauncherThemeID::vitesseDarkSoft ||
           theme.id == LauncherThemeID::vitesseDarkSoftUnified ||
           theme.id == LauncherThemeID::vitesseDarkSoftRoseHover;
}

QList<ThemePreview> themePreviews() {
    QList<ThemePreview> previews;
    for (const LauncherTheme& theme : LauncherThemeCatalog::all()) {
        const bool dark = hasDarkBackground(theme);
        previews.append({rawValue(theme.id), theme.name,
                         themeQColor(theme.backgroundGradient.start, dark),
                         themeQColor(theme.backgroundGradient.end, dark),
                         themeQColor(theme.selectedRowBackground, dark),
                         themeQColor(theme.unselectedPrimaryText, dark),
                         themeQColor(theme.unselectedSecondaryText, dark)});
    }
    return previews;
}

} // namespace trovi
