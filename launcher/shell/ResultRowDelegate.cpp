#include "launcher/shell/ResultRowDelegate.h"

#include "launcher/session/SearchResultListModel.h"
#include "launcher/shell/ThemePalette.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QToolTip>

namespace trovi {

namespace {

QFont sized(const QFont& base, int pixelSize, QFont::Weight weight) {
    QFont font = base;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

constexpr int kLineGap = 2;

int lineHeight(int pixelSize) {
    return QFontMetrics(sized(QFont(), pixelSize, QFont::Normal)).height();
}

// One line of plain and highlighted runs, cut with an ellipsis at the end.
void drawSnippet(QPainter* p, const QRect& rect, const QList<SnippetSegment>& segments,
                 const QFont& font, const QColor& plain, const QColor& highlightText,
                 const QColor& highlightBackground) {
    const QFontMetrics fm(font);
    const int ellipsisWidth = fm.horizontalAdvance(QChar(0x2026));
    int x = rect.left();
    const int baseline = rect.top() + fm.ascent();
    p->setFont(font);
    for (qsizetype i = 0; i < segments.size(); ++i) {
        QString text = segments.at(i).text;
        if (i == 0) {
            qsizetype lead = 0;
            while (lead < text.size() && text.at(lead).isSpace())
                ++lead;
            text.remove(0, lead);
        }
        const int room = rect.right() - x;
        int width = fm.horizontalAdvance(text);
        bool cut = false;
        if (width > room) {
            text = fm.elidedText(text, Qt::ElideRight, std::max(room, ellipsisWidth));
            width = fm.horizontalAdvance(text);
            cut = true;
        }
        if (segments.at(i).isHighlighted) {
            QPainterPath mark;
            mark.addRoundedRect(QRectF(x - 1, rect.top(), width + 2, fm.height()), 3, 3);
            p->fillPath(mark, highlightBackground);
            p->setPen(highlightText);
        } else {
            p->setPen(plain);
        }
        p->drawText(x, baseline, text);
        x += width;
        if (cut || x >= rect.right())
            break;
    }
}

// The icon as a one-colour silhouette.
void paintTinted(QPainter* p, const QIcon& icon, const QRect& rect, const QColor& tint) {
    const qreal ratio = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    QPixmap pixmap = icon.pixmap(rect.size(), ratio);
    {
        QPainter mask(&pixmap);
        mask.setCompositionMode(QPainter::CompositionMode_SourceIn);
        mask.fillRect(pixmap.rect(), tint);
    }
    p->drawPixmap(rect, pixmap);
}

} // namespace

ResultRowDelegate::ResultRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {
    setTheme(LauncherThemeCatalog::all().first());
}

void ResultRowDelegate::setTheme(const LauncherTheme& theme) {
    m_theme = &theme;
    m_style = resultRowStyle(theme);
}

int ResultRowDelegate::rowHeight(bool withSnippet) {
    using S = ResultRowStyle;
    int text = lineHeight(S::titlePixelSize) + kLineGap + lineHeight(S::detailPixelSize);
    if (withSnippet)
        text += kLineGap + lineHeight(S::detailPixelSize);
    return std::max(text, int(S::iconSize)) + 2 * S::verticalPadding;
}

QSize ResultRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const auto row =
        index.data(SearchResultListModel::PresentationRole).value<ResultRowPresentation>();
    return {option.rect.width(), rowHeight(!row.snippet.isEmpty())};
}

QRect ResultRowDelegate::scoreArea(const QRect& rowRect, bool hasTrailingSymbol) {
    using S = ResultRowStyle;
    const QRect content = rowRect.adjusted(4 + S::horizontalPadding, 1 + S::verticalPadding,
                                           -4 - S::horizontalPadding, -1 - S::verticalPadding);
    const int right =
        hasTrailingSymbol ? content.right() - S::trailingSymbolWidth - 6 : content.right();
    return {right - S::scoreWidth + 1, content.top(), S::scoreWidth, content.height()};
}

bool ResultRowDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const auto row =
        index.data(SearchResultListModel::PresentationRole).value<ResultRowPresentation>();
    if (row.score && scoreArea(option.rect, !row.trailingSymbol.isEmpty()).contains(event->pos())) {
        QToolTip::showText(event->globalPos(), QStringLiteral("Search score"), view);
        return true;
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

void ResultRowDelegate::paint(QPainter* p, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    using S = ResultRowStyle;
    const auto row =
        index.data(SearchResultListModel::PresentationRole).value<ResultRowPresentation>();
    const ResultRowStyle& style = m_style;
    const RowColours colours = rowColours(*m_theme, themedResultKind(row.kind), row.isSelected);
    p->save();
    p->setRenderHint(QPainter::Antialiasing);

    const QRect card = option.rect.adjusted(4, 1, -4, -1);
    QPainterPath cardPath;
    cardPath.addRoundedRect(QRectF(card).adjusted(0.5, 0.5, -0.5, -0.5), S::cornerRadius,
                            S::cornerRadius);
    const QColor fill = row.isSelected  ? style.selectedBackground
                        : row.isHovered ? style.hoverBackground
                                        : style.rowBackground;
    p->fillPath(cardPath, fill);
    const QColor stroke = row.isSelected  ? style.selectedStroke
                          : row.isHovered ? style.hoverStroke
                                          : QColor(Qt::transparent);
    if (stroke.alpha() > 0)
        p->strokePath(cardPath, QPen(stroke, 1));
    if (row.isSelected) {
        // A short bar at the leading edge marks the selection beyond its fill.
        QPainterPath marker;
        marker.addRoundedRect(QRectF(card.left() + 3, card.center().y() - 9, 3, 18), 1.5, 1.5);
        p->fillPath(marker, style.selectedIndicator);
    }
    const QColor primary = colours.primary;
    const QColor secondary = colours.secondary;

    QRect content = card.adjusted(S::horizontalPadding, S::verticalPadding, -S::horizontalPadding,
                                  -S::verticalPadding);
    const QRect iconRect(content.left(), content.center().y() - S::iconSize / 2, S::iconSize,
                         S::iconSize);
    if (row.icon.kind == RowIcon::Kind::symbol && tintsSymbolIcons(*m_theme))
        paintTinted(p, m_icons.monochromeIcon(row.icon), iconRect, colours.icon);
    else
        m_icons.icon(row.icon).paint(p, iconRect);
    content.setLeft(iconRect.right() + 1 + S::iconTextGap);

    // Trailing column: the selected row's symbol, then the score to its left.
    if (!row.trailingSymbol.isEmpty()) {
        const QRect symbolRect(content.right() - S::trailingSymbolWidth + 1, content.top(),
                               S::trailingSymbolWidth, content.height());
        if (row.trailingSymbol == QLatin1String("folder.fill")) {
            const int side = 16;
            m_icons.icon({RowIcon::Kind::symbol, row.trailingSymbol, {}})
                .paint(p, QRect(symbolRect.center().x() - side / 2,
                                symbolRect.center().y() - side / 2, side, side));
        } else {
            p->setPen(primary);
            p->setFont(sized(option.font, 14, QFont::Bold));
            p->drawText(symbolRect, Qt::AlignCenter, QStringLiteral("\u21B5"));
        }
        content.setRight(symbolRect.left() - 6);
    }
    if (row.score) {
        const QRect scoreRect = scoreArea(option.rect, !row.trailingSymbol.isEmpty());
        QFont font = sized(option.font, S::detailPixelSize, QFont::DemiBold);
        font.setFamily(QStringLiteral("monospace")); // digits line up across rows
        QColor colour = secondary;
        colour.setAlphaF(0.78f * colour.alphaF());
        p->setFont(font);
        p->setPen(colour);
        p->drawText(scoreRect, Qt::AlignRight | Qt::AlignVCenter, QString::number(*row.score));
        content.setRight(scoreRect.left() - 8);
    }

    // Text stack, centred as a block.
    const QFont titleFont = sized(option.font, S::titlePixelSize, QFont::Medium);
    const QFont detailFont = sized(option.font, S::detailPixelSize,
                                   row.secondLineIsRevealHint ? QFont::DemiBold : QFont::Normal);
    const int titleHeight = QFontMetrics(titleFont).height();
    const int detailHeight = QFontMetrics(detailFont).height();
    int block = titleHeight + kLineGap + detailHeight;
    if (!row.snippet.isEmpty())
        block += kLineGap + detailHeight;
    int y = content.center().y() - block / 2;

    p->setFont(titleFont);
    p->setPen(primary);
    QRect line(content.left(), y, content.width(), titleHeight);
    p->drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                QFontMetrics(titleFont).elidedText(row.title, Qt::ElideRight, line.width()));
    y += titleHeight + kLineGap;

    p->setFont(detailFont);
    p->setPen(secondary);
    line = QRect(content.left(), y, content.width(), detailHeight);
    p->drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                QFontMetrics(detailFont)
                    .elidedText(row.secondLine,
                                row.secondLineIsRevealHint ? Qt::ElideRight : Qt::ElideMiddle,
                                line.width()));
    y += detailHeight + kLineGap;

    if (!row.snippet.isEmpty())
        drawSnippet(p, QRect(content.left(), y, content.width(), detailHeight), row.snippet,
                    sized(option.font, S::detailPixelSize, QFont::Normal), secondary, primary,
                    row.isSelected ? style.selectedSnippetHighlight : style.snippetHighlight);
    p->restore();
}

} // namespace trovi
