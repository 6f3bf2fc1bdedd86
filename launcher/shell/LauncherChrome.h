#pragma once
// LauncherChrome: the colours of the window's own parts around the rows:
// the search field, its placeholder and outline, the progress line, the
// version footer and the scroll bar. They start from the theme and are
// pushed towards black or white until they can be read on what lies behind
// them, so every theme keeps a visible field and a readable footer.

#include "launcher/settings/themes/LauncherTheme.h"

#include <QColor>

namespace trovi {

// WCAG 2 contrast ratio of two opaque colours (1 to 21).
double contrastRatio(const QColor& a, const QColor& b);
// `colour` painted over the opaque `background`.
QColor composited(const QColor& colour, const QColor& background);
// `colour` (composited on `background`) moved towards black or white, whichever
// reads better, just far enough to reach `ratio` against `background`.
QColor withContrast(const QColor& colour, const QColor& background, double ratio);

// Text needs 4.5:1; the field's outline and the scroll bar's handle, being
// shapes, are held to the same figure so they stay plain to see.
inline constexpr double kChromeTextContrast = 4.5;

struct LauncherChrome {
    QColor panel;           // the window behind the field and footer (its darker end)
    QColor panelLight;      // the other end of the window's gradient
    QColor fieldBackground; // opaque
    QColor fieldOutline;
    QColor fieldText;
    QColor placeholder;
    QColor selection; // selected text's background in the field
    QColor selectionText;
    QColor progress;
    QColor footerText;
    QColor listBackground; // opaque
    QColor scrollTrack;    // opaque
    QColor scrollHandle;
};

LauncherChrome launcherChrome(const LauncherTheme& theme);

} // namespace trovi
