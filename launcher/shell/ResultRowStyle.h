#pragma once
// The result rows' colours and measures in one place, derived from the
// window's palette until themes take over.

#include <QColor>
#include <QPalette>

namespace trovi {

struct ResultRowStyle {
    QColor selectedBackground;
    QColor hoverBackground;
    QColor primaryText;
    QColor secondaryText;
    QColor selectedPrimaryText;
    QColor selectedSecondaryText;
    QColor snippetHighlight;
    QColor iconTint;

    static constexpr int iconSize = 32;
    static constexpr int horizontalPadding = 12;
    static constexpr int verticalPadding = 8;
    static constexpr int iconTextGap = 12;
    static constexpr int scoreWidth = 52;
    static constexpr int trailingSymbolWidth = 18;
    static constexpr int cornerRadius = 8;
    static constexpr int titlePixelSize = 16;
    static constexpr int detailPixelSize = 11;

    static ResultRowStyle fromPalette(const QPalette& palette) {
        ResultRowStyle s;
        const QColor accent = palette.color(QPalette::Highlight);
        s.selectedBackground = accent;
        s.hoverBackground = palette.color(QPalette::Text);
        s.hoverBackground.setAlphaF(0.06f);
        s.primaryText = palette.color(QPalette::Text);
        s.secondaryText = palette.color(QPalette::PlaceholderText);
        s.selectedPrimaryText = palette.color(QPalette::HighlightedText);
        s.selectedSecondaryText = s.selectedPrimaryText;
        s.selectedSecondaryText.setAlphaF(0.8f);
        s.snippetHighlight = QColor(255, 214, 10, 110); // a marker pen, on light and dark alike
        s.iconTint = accent;
        return s;
    }
};

} // namespace trovi
