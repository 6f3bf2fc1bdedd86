#include "launcher/shell/LauncherChrome.h"

#include "launcher/shell/ThemePalette.h"

#include <algorithm>
#include <cmath>

namespace trovi {

namespace {

double channel(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

QColor mixed(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// Lower of the ratios against both ends of the window's gradient.
QColor withContrastOnBoth(const QColor& colour, const QColor& a, const QColor& b, double ratio) {
    QColor c = withContrast(colour, a, ratio);
    if (contrastRatio(c, b) < ratio)
        c = withContrast(c, b, ratio);
    if (contrastRatio(c, a) < ratio) // the ends differ too much: take the stronger pole
        c = luminance(a) + luminance(b) > 0.36 ? Qt::black : Qt::white;
    return c;
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor composited(const QColor& colour, const QColor& background) {
    return mixed(background, colour.toRgb(), colour.alphaF());
}

QColor withContrast(const QColor& colour, const QColor& background, double ratio) {
    const QColor start = composited(colour, background);
    if (contrastRatio(start, background) >= ratio)
        return start;
    const QColor pole = contrastRatio(Qt::white, background) >= contrastRatio(Qt::black, background)
                            ? Qt::white
                            : Qt::black;
    // Smallest step towards the pole that reaches the ratio.
    double low = 0, high = 1;
    for (int i = 0; i < 20; ++i) {
        const double t = (low + high) / 2;
        (contrastRatio(mixed(start, pole, t), background) >= ratio ? high : low) = t;
    }
    return mixed(start, pole, high);
}

LauncherChrome launcherChrome(const LauncherTheme& theme) {
    const bool dark = hasDarkBackground(theme);
    LauncherChrome c;
    const QColor start = composited(themeQColor(theme.backgroundGradient.start, dark), Qt::black);
    const QColor end = composited(themeQColor(theme.backgroundGradient.end, dark), Qt::black);
    c.panel = start;
    c.panelLight = end;
    c.fieldBackground = composited(themeQColor(theme.searchBarBackground, dark), start);
    c.fieldOutline =
        withContrastOnBoth(themeQColor(theme.border, dark), start, end, kChromeTextContrast);
    c.fieldText = withContrast(themeQColor(theme.unselectedPrimaryText, dark), c.fieldBackground,
                               kChromeTextContrast);
    c.placeholder = withContrast(themeQColor(theme.unselectedSecondaryText, dark),
                                 c.fieldBackground, kChromeTextContrast);
    c.selection = composited(themeQColor(theme.uiAccent, dark), c.fieldBackground);
    c.selectionText = withContrast(themeQColor(theme.selectedPrimaryText, dark), c.selection,
                                   kChromeTextContrast);
    c.progress = withContrast(themeQColor(theme.uiAccent, dark), c.fieldBackground, 3.0);
    c.footerText = withContrastOnBoth(themeQColor(theme.unselectedSecondaryText, dark), start, end,
                                      kChromeTextContrast);
    c.listBackground = composited(themeQColor(theme.listBackground, dark), start);
    c.scrollTrack = c.listBackground;
    c.scrollHandle = withContrast(themeQColor(theme.unselectedSecondaryText, dark), c.scrollTrack,
                                  kChromeTextContrast);
    return c;
}

} // namespace trovi
