#pragma once
// The twelve launcher themes: the window's background gradient and the colour
// of every part of the search field and result list, plus the per-kind result
// colours of the Vitesse family. Colours are plain values (no QtGui here); the
// adaptive label colours are resolved by whoever paints.

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace trovi {

enum class LauncherThemeID {
    graphite,
    vitesseDarkSoft,
    vitesseDarkSoftUnified,
    vitesseDarkSoftRoseHover,
    midnightBlue,
    forest,
    violetNoir,
    sunset,
    roseDust,
    frost,
    ember,
    daylight,
};

QString rawValue(LauncherThemeID id);
std::optional<LauncherThemeID> launcherThemeIDFromRawValue(QStringView raw);

struct ThemeColor {
    // The platform's adaptive text colours, or a fixed sRGB colour.
    enum class Kind { rgb, primaryLabel, secondaryLabel };
    Kind kind = Kind::rgb;
    double red = 0, green = 0, blue = 0, opacity = 1;

    // The same colour with its opacity multiplied by `factor`.
    constexpr ThemeColor at(double factor) const {
        ThemeColor c = *this;
        c.opacity *= factor;
        return c;
    }
    bool operator==(const ThemeColor&) const = default;
};

namespace themeColors {
constexpr ThemeColor rgb(double r, double g, double b) {
    return {ThemeColor::Kind::rgb, r, g, b, 1};
}
inline constexpr ThemeColor white = rgb(1, 1, 1);
inline constexpr ThemeColor black = rgb(0, 0, 0);
inline constexpr ThemeColor clear = {ThemeColor::Kind::rgb, 0, 0, 0, 0};
inline constexpr ThemeColor yellow = rgb(1, 0.8, 0); // the system yellow
inline constexpr ThemeColor primary = {ThemeColor::Kind::primaryLabel};
inline constexpr ThemeColor secondary = {ThemeColor::Kind::secondaryLabel};
} // namespace themeColors

// A point in a rectangle as fractions of its size, y downwards (top is 0).
struct UnitPoint {
    double x = 0, y = 0;
    bool operator==(const UnitPoint&) const = default;
};

struct ThemeGradient {
    ThemeColor start, end;
    UnitPoint startPoint, endPoint;
    bool operator==(const ThemeGradient&) const = default;
};

enum class ThemedResultKind { file, app, folder, action };

// Any result kind enumeration with the cases file, app, folder and action.
template <typename Kind> constexpr ThemedResultKind themedResultKind(Kind kind) {
    switch (kind) {
    case Kind::app:
        return ThemedResultKind::app;
    case Kind::folder:
        return ThemedResultKind::folder;
    case Kind::action:
        return ThemedResultKind::action;
    case Kind::file:
        break;
    }
    return ThemedResultKind::file;
}

struct LauncherTheme {
    LauncherThemeID id;
    QString name;
    QString blurb;
    ThemeGradient backgroundGradient;
    ThemeColor searchBarBackground;
    ThemeColor divider;
    ThemeColor border;
    ThemeColor selectedRowBackground;
    ThemeColor hoverRowBackground;
    ThemeColor selectedPrimaryText;
    ThemeColor selectedSecondaryText;
    ThemeColor selectedIndicator;
    ThemeColor snippetHighlight;
    ThemeColor snippetHighlightSelected;
    ThemeColor listBackground;
    ThemeColor rowBaseBackground;
    ThemeColor uiAccent;
    ThemeColor selectedRowStroke;
    ThemeColor hoverRowStroke;
    ThemeColor unselectedPrimaryText;
    ThemeColor unselectedSecondaryText;
    ThemeColor actionIconColor;

    ThemeColor primaryTextColor(ThemedResultKind kind, bool isSelected) const;
    ThemeColor secondaryTextColor(ThemedResultKind kind, bool isSelected) const;
    ThemeColor iconTintColor(ThemedResultKind kind, bool isSelected) const;

    // For a SearchResult (or anything with such a `kind`).
    template <typename Result>
    ThemeColor primaryTextColor(const Result& result, bool isSelected) const {
        return primaryTextColor(themedResultKind(result.kind), isSelected);
    }
    template <typename Result>
    ThemeColor secondaryTextColor(const Result& result, bool isSelected) const {
        return secondaryTextColor(themedResultKind(result.kind), isSelected);
    }
    template <typename Result>
    ThemeColor iconTintColor(const Result& result, bool isSelected) const {
        return iconTintColor(themedResultKind(result.kind), isSelected);
    }
};

class LauncherThemeStore;

class LauncherThemeCatalog {
public:
    // The twelve themes in the order of LauncherThemeID.
    static const QList<LauncherTheme>& all();
    // The theme with that id, or the first one.
    static const LauncherTheme& theme(LauncherThemeID id);
    // The stored choice; absent or unknown values give the first theme.
    static const LauncherTheme& theme(const LauncherThemeStore& store);
};

} // namespace trovi
