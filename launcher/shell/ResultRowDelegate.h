#pragma once
// ResultRowDelegate: paints one search result row: icon, title, folder or
// reveal hint, highlighted snippet, score and the selected row's Return
// symbol.

#include "launcher/settings/themes/LauncherTheme.h"
#include "launcher/shell/ResultIconProvider.h"
#include "launcher/shell/ResultRowStyle.h"

#include <QStyledItemDelegate>

namespace trovi {

class ResultRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ResultRowDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static int rowHeight(bool withSnippet);
    // Where a row's score is drawn; its tooltip answers there.
    static QRect scoreArea(const QRect& rowRect, bool hasTrailingSymbol);
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
    // `theme` is a catalogue entry, which lives as long as the program.
    void setTheme(const LauncherTheme& theme);

private:
    mutable ResultIconProvider m_icons;
    const LauncherTheme* m_theme;
    ResultRowStyle m_style;
};

} // namespace trovi
