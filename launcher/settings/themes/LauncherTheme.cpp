#include "launcher/settings/themes/LauncherTheme.h"

#include "launcher/settings/LauncherSettingsStores.h"

#include <array>

namespace trovi {

using namespace themeColors;

namespace {

constexpr UnitPoint top{0.5, 0}, bottom{0.5, 1}, topLeading{0, 0}, bottomTrailing{1, 1};

constexpr std::array<const char*, 12> kRawValues = {"graphite",
                                                    "vitesseDarkSoft",
                                                    "vitesseDarkSoftUnified",
                                                    "vitesseDarkSoftRoseHover",
                                                    "midnightBlue",
                                                    "forest",
                                                    "violetNoir",
                                                    "sunset",
                                                    "roseDust",
                                                    "frost",
                                                    "ember",
                                                    "daylight"};

// Every theme in one table, in catalogue order: id, name, blurb, background
// gradient (start, end, start point, end point), then the colours in the
// order of LauncherTheme's fields.
QList<LauncherTheme> makeCatalog() {
    // clang-format off
    return {
    {LauncherThemeID::graphite, QStringLiteral("Graphite"),
     QStringLiteral("Clean neutral dark theme similar to the current default."),
     {rgb(0.21, 0.21, 0.22), rgb(0.15, 0.15, 0.16), top, bottom},
     rgb(0.19, 0.19, 0.20), white.at(0.12), white.at(0.10), rgb(0.11, 0.49, 0.91), rgb(0.11, 0.49, 0.91).at(0.18), white, white.at(0.82), white.at(0.65), yellow.at(0.32), white.at(0.35), clear, clear, rgb(0.11, 0.49, 0.91), clear, clear, primary, secondary, secondary},
    {LauncherThemeID::vitesseDarkSoft, QStringLiteral("Vitesse Dark Soft (Syntax)"),
     QStringLiteral("Vitesse with syntax-inspired per-result accents (yellow/rose/green)."),
     {rgb(0.13, 0.13, 0.13), rgb(0.16, 0.16, 0.16), top, bottom},
     rgb(0.16, 0.16, 0.16), rgb(0.15, 0.15, 0.15), rgb(0.18, 0.18, 0.18), rgb(0.18, 0.18, 0.18), rgb(0.16, 0.16, 0.16), rgb(0.86, 0.84, 0.79), rgb(0.75, 0.73, 0.67), rgb(0.90, 0.80, 0.47), rgb(0.90, 0.80, 0.47).at(0.26), rgb(0.90, 0.80, 0.47).at(0.40), rgb(0.13, 0.13, 0.13).at(0.92), rgb(0.13, 0.13, 0.13).at(0.88), rgb(0.30, 0.58, 0.46), rgb(0.90, 0.80, 0.47).at(0.38), rgb(0.79, 0.57, 0.46).at(0.22), rgb(0.86, 0.84, 0.79), rgb(0.75, 0.73, 0.67), rgb(0.30, 0.58, 0.46)},
    {LauncherThemeID::vitesseDarkSoftUnified, QStringLiteral("Vitesse Dark Soft (Unified)"),
     QStringLiteral("Vitesse dark soft with a consistent warm text style and subtle accents."),
     {rgb(0.14, 0.14, 0.14), rgb(0.12, 0.12, 0.12), top, bottom},
     rgb(0.17, 0.17, 0.17), rgb(0.20, 0.20, 0.20), rgb(0.22, 0.22, 0.22), rgb(0.18, 0.19, 0.20), rgb(0.16, 0.17, 0.18), rgb(0.90, 0.86, 0.77), rgb(0.79, 0.67, 0.57), rgb(0.72, 0.65, 0.40), rgb(0.79, 0.54, 0.49).at(0.26), rgb(0.79, 0.54, 0.49).at(0.40), rgb(0.13, 0.13, 0.13).at(0.92), rgb(0.14, 0.14, 0.14).at(0.88), rgb(0.31, 0.58, 0.45), rgb(0.72, 0.65, 0.40).at(0.38), rgb(0.31, 0.58, 0.45).at(0.24), rgb(0.84, 0.81, 0.73), rgb(0.72, 0.66, 0.57), rgb(0.72, 0.65, 0.40)},
    {LauncherThemeID::vitesseDarkSoftRoseHover, QStringLiteral("Vitesse Dark Soft (Rose Hover)"),
     QStringLiteral("Alternative hover style with a rose-tinted focus/hover emphasis."),
     {rgb(0.14, 0.14, 0.14), rgb(0.12, 0.12, 0.12), top, bottom},
     rgb(0.17, 0.17, 0.17), rgb(0.20, 0.20, 0.20), rgb(0.22, 0.22, 0.22), rgb(0.23, 0.17, 0.17), rgb(0.20, 0.16, 0.16), rgb(0.90, 0.86, 0.79), rgb(0.79, 0.67, 0.57), rgb(0.79, 0.54, 0.49), rgb(0.79, 0.54, 0.49).at(0.30), rgb(0.79, 0.54, 0.49).at(0.45), rgb(0.13, 0.13, 0.13).at(0.92), rgb(0.14, 0.14, 0.14).at(0.88), rgb(0.79, 0.54, 0.49), rgb(0.79, 0.54, 0.49).at(0.45), rgb(0.79, 0.54, 0.49).at(0.28), rgb(0.84, 0.81, 0.73), rgb(0.72, 0.66, 0.57), rgb(0.79, 0.54, 0.49)},
    {LauncherThemeID::midnightBlue, QStringLiteral("Midnight Blue"),
     QStringLiteral("Deep navy shell with bright azure selection accents."),
     {rgb(0.08, 0.11, 0.18), rgb(0.04, 0.06, 0.10), topLeading, bottomTrailing},
     rgb(0.07, 0.14, 0.23).at(0.92), rgb(0.34, 0.58, 0.99).at(0.26), rgb(0.34, 0.58, 0.99).at(0.24), rgb(0.18, 0.44, 0.96), rgb(0.18, 0.44, 0.96).at(0.22), white, white.at(0.86), white.at(0.74), rgb(0.36, 0.59, 0.99).at(0.30), white.at(0.38), clear, clear, rgb(0.18, 0.44, 0.96), clear, clear, primary, secondary, secondary},
    {LauncherThemeID::forest, QStringLiteral("Forest"),
     QStringLiteral("Dark emerald palette inspired by green developer dashboards."),
     {rgb(0.07, 0.14, 0.11), rgb(0.03, 0.08, 0.06), topLeading, bottomTrailing},
     rgb(0.08, 0.18, 0.13).at(0.92), rgb(0.28, 0.79, 0.52).at(0.22), rgb(0.28, 0.79, 0.52).at(0.24), rgb(0.18, 0.68, 0.43), rgb(0.18, 0.68, 0.43).at(0.22), white, white.at(0.86), white.at(0.74), rgb(0.41, 0.89, 0.66).at(0.30), white.at(0.40), clear, clear, rgb(0.18, 0.68, 0.43), clear, clear, primary, secondary, secondary},
    {LauncherThemeID::violetNoir, QStringLiteral("Violet Noir"),
     QStringLiteral("Low-key violet base with crisp luminous purple highlights."),
     {rgb(0.12, 0.08, 0.16), rgb(0.07, 0.05, 0.10), topLeading, bottomTrailing},
     rgb(0.15, 0.10, 0.20).at(0.92), rgb(0.71, 0.52, 0.95).at(0.22), rgb(0.71, 0.52, 0.95).at(0.24), rgb(0.56, 0.36, 0.90), rgb(0.56, 0.36, 0.90).at(0.22), white, white.at(0.86), white.at(0.74), rgb(0.76, 0.60, 0.98).at(0.30), white.at(0.38), clear, clear, rgb(0.56, 0.36, 0.90), clear, clear, primary, secondary, secondary},
    {LauncherThemeID::sunset, QStringLiteral("Sunset"),
     QStringLiteral("Warm orange-red contrast for a bold launcher look."),
     {rgb(0.20, 0.10, 0.06), rgb(0.11, 0.06, 0.04), topLeading, bottom},
     rgb(0.24, 0.12, 0.08).at(0.92), rgb(1.00, 0.58, 0.31).at(0.24), rgb(1.00, 0.58, 0.31).at(0.26), rgb(0.95, 0.42, 0.18), rgb(0.95, 0.42, 0.18).at(0.22), white, white.at(0.86), white.at(0.74), rgb(1.00, 0.69, 0.35).at(0.30), white.at(0.38), clear, clear, rgb(0.95, 0.42, 0.18), clear, clear, primary, secondary, secondary},
    {LauncherThemeID::roseDust, QStringLiteral("Rose Dust"),
     QStringLiteral("Muted rose and slate tones with soft but clear selection states."),
     {rgb(0.19, 0.12, 0.15), rgb(0.10, 0.07, 0.09), topLeading, bottomTrailing},
     rgb(0.22, 0.13, 0.17).at(0.92), rgb(0.95, 0.47, 0.62).at(0.20), rgb(0.95, 0.47, 0.62).at(0.22), rgb(0.82, 0.38, 0.57), rgb(0.82, 0.38, 0.57).at(0.20), white, white.at(0.86), white.at(0.74), rgb(0.97, 0.64, 0.76).at(0.30), white.at(0.40), clear, clear, rgb(0.82, 0.38, 0.57), clear, clear, primary, secondary, secondary},
    {LauncherThemeID::frost, QStringLiteral("Frost"),
     QStringLiteral("Cool blue-green glass look inspired by classic launcher skins."),
     {rgb(0.07, 0.13, 0.18), rgb(0.05, 0.09, 0.13), topLeading, bottomTrailing},
     rgb(0.08, 0.17, 0.22).at(0.92), rgb(0.40, 0.73, 0.77).at(0.24), rgb(0.40, 0.73, 0.77).at(0.22), rgb(0.24, 0.66, 0.71), rgb(0.24, 0.66, 0.71).at(0.20), white, white.at(0.86), white.at(0.74), rgb(0.38, 0.86, 0.90).at(0.28), white.at(0.40), clear, clear, rgb(0.24, 0.66, 0.71), clear, clear, primary, secondary, secondary},
    {LauncherThemeID::ember, QStringLiteral("Ember"),
     QStringLiteral("Warm dark style with amber accents and high contrast selection."),
     {rgb(0.19, 0.10, 0.08), rgb(0.09, 0.06, 0.05), topLeading, bottom},
     rgb(0.23, 0.12, 0.09).at(0.90), rgb(1.00, 0.60, 0.29).at(0.20), rgb(1.00, 0.60, 0.29).at(0.22), rgb(0.93, 0.43, 0.22), rgb(0.93, 0.43, 0.22).at(0.18), white, white.at(0.86), white.at(0.74), rgb(1.00, 0.72, 0.33).at(0.32), white.at(0.38), clear, clear, rgb(0.93, 0.43, 0.22), clear, clear, primary, secondary, secondary},
    {LauncherThemeID::daylight, QStringLiteral("Daylight"),
     QStringLiteral("Bright neutral theme for users who prefer a lighter window style."),
     {rgb(0.96, 0.97, 0.98), rgb(0.92, 0.94, 0.96), top, bottom},
     white.at(0.98), black.at(0.12), black.at(0.14), rgb(0.84, 0.90, 0.96), rgb(0.89, 0.93, 0.97), rgb(0.12, 0.14, 0.16), rgb(0.31, 0.35, 0.41), rgb(0.20, 0.52, 0.93), rgb(0.95, 0.84, 0.45).at(0.36), rgb(0.95, 0.84, 0.45).at(0.48), white.at(0.97), white.at(0.92), rgb(0.24, 0.48, 0.42), rgb(0.24, 0.48, 0.42).at(0.28), black.at(0.08), rgb(0.12, 0.14, 0.16), rgb(0.35, 0.39, 0.45), rgb(0.24, 0.48, 0.42)},
    };
    // clang-format on
}

bool isVitesse(LauncherThemeID id) {
    return id == LauncherThemeID::vitesseDarkSoft ||
           id == LauncherThemeID::vitesseDarkSoftUnified ||
           id == LauncherThemeID::vitesseDarkSoftRoseHover;
}

// The syntax-coloured Vitesse theme, per kind: {file, app, folder, action}.
ThemeColor byKind(ThemedResultKind kind, std::array<ThemeColor, 4> colors) {
    return colors[size_t(kind)];
}

} // namespace

QString rawValue(LauncherThemeID id) {
    return QString::fromLatin1(kRawValues[size_t(id)]);
}

std::optional<LauncherThemeID> launcherThemeIDFromRawValue(QStringView raw) {
    for (size_t i = 0; i < kRawValues.size(); ++i) {
        if (raw == QLatin1StringView(kRawValues[i]))
            return LauncherThemeID(i);
    }
    return std::nullopt;
}

ThemeColor LauncherTheme::primaryTextColor(ThemedResultKind kind, bool isSelected) const {
    if (id == LauncherThemeID::vitesseDarkSoft) {
        return isSelected ? byKind(kind, {rgb(0.88, 0.84, 0.77), rgb(0.92, 0.84, 0.55),
                                          rgb(0.88, 0.63, 0.46), rgb(0.88, 0.52, 0.52)})
                          : byKind(kind, {unselectedPrimaryText, rgb(0.90, 0.80, 0.47),
                                          rgb(0.83, 0.59, 0.42), rgb(0.80, 0.46, 0.46)});
    }
    if (!isSelected)
        return unselectedPrimaryText;
    return isVitesse(id) ? rgb(0.90, 0.86, 0.79) : selectedPrimaryText;
}

ThemeColor LauncherTheme::secondaryTextColor(ThemedResultKind kind, bool isSelected) const {
    if (id == LauncherThemeID::vitesseDarkSoft) {
        if (isSelected)
            return rgb(0.80, 0.62, 0.52);
        return kind == ThemedResultKind::file ? rgb(0.75, 0.73, 0.67) : rgb(0.79, 0.57, 0.46);
    }
    if (!isSelected)
        return unselectedSecondaryText;
    return isVitesse(id) ? rgb(0.79, 0.67, 0.57) : selectedSecondaryText;
}

ThemeColor LauncherTheme::iconTintColor(ThemedResultKind kind, bool isSelected) const {
    if (id == LauncherThemeID::vitesseDarkSoft) {
        return isSelected ? byKind(kind, {rgb(0.84, 0.79, 0.70), rgb(0.92, 0.84, 0.55),
                                          rgb(0.31, 0.62, 0.49), rgb(0.88, 0.52, 0.52)})
                          : byKind(kind, {actionIconColor, rgb(0.90, 0.80, 0.47),
                                          rgb(0.30, 0.58, 0.46), rgb(0.80, 0.46, 0.46)});
    }
    if (!isSelected)
        return actionIconColor;
    return isVitesse(id) ? rgb(0.72, 0.65, 0.40) : selectedPrimaryText;
}

const QList<LauncherTheme>& LauncherThemeCatalog::all() {
    static const QList<LauncherTheme> themes = makeCatalog();
    return themes;
}

const LauncherTheme& LauncherThemeCatalog::theme(LauncherThemeID id) {
    for (const LauncherTheme& theme : all()) {
        if (theme.id == id)
            return theme;
    }
    return all().front();
}

const LauncherTheme& LauncherThemeCatalog::theme(const LauncherThemeStore& store) {
    return theme(launcherThemeIDFromRawValue(store.load()).value_or(LauncherThemeID::graphite));
}

} // namespace trovi
