#pragma once
// Launcher themes on screen: their colours as QColor (the adaptive text
// colours follow the theme's own background), the rows' style, and the
// previews the settings window shows.

#include "launcher/shell/ResultRowStyle.h"
#include "launcher/shell/settings/ThemePreviewCard.h"
#include "launcher/settings/themes/LauncherTheme.h"

#include <QLinearGradient>

namespace trovi {

// `darkBackground` picks the adaptive label colours.
QColor themeQColor(const ThemeColor& color, bool darkBackground);
bool hasDarkBackground(const LauncherTheme& theme);
QLinearGradient themeBackgroundGradient(const LauncherTheme& theme, const QRectF& rect);
ResultRowStyle resultRowStyle(const LauncherTheme& theme);

// A row's text and icon colours; the Vitesse themes colour them by kind.
struct RowColours {
    QColor primary, secondary, icon;
};
RowColours rowColours(const LauncherTheme& theme, ThemedResultKind kind, bool isSelected);
// The Vitesse themes draw symbol icons in one colour, like their syntax palette.
bool tintsSymbolIcons(const LauncherTheme& theme);
QList<ThemePreview> themePreviews();

} // namespace trovi
