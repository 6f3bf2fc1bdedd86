#pragma once
// The result rows' colours and measures in one place; the colours come from
// the launcher theme (ThemePalette).

#include <QColor>

namespace trovi {

struct ResultRowStyle {
    QColor selectedBackground;
    QColor hoverBackground;
    QColor rowBackground;
    QColor selectedStroke;
    QColor hoverStroke;
    QColor selectedIndicator;
    QColor primaryText;
    QColor secondaryText;
    QColor selectedPrimaryText;
    QColor selectedSecondaryText;
    QColor snippetHighlight;
    QColor selectedSnippetHighlight;
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
};

} // namespace trovi
