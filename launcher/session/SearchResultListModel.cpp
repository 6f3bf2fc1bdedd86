#include "launcher/session/SearchResultListModel.h"

#include "launcher/session/ContentView.h"

namespace trovi {

SearchResultListModel::SearchResultListModel(ContentView& view, QObject* parent)
    : QAbstractListModel(parent), m_view(view), m_rowCount(int(view.search().results.size())) {
    connect(&m_view, &ContentView::resultsChanged, this, [this] {
        beginResetModel();
        m_rowCount = int(m_view.search().results.size());
        endResetModel();
    });
    connect(&m_view, &ContentView::selectionChanged, this, &SearchResultListModel::repaintAll);
    connect(&m_view, &ContentView::presentationChanged, this, &SearchResultListModel::repaintAll);
}

void SearchResultListModel::repaintAll() {
    if (m_rowCount > 0)
        Q_EMIT dataChanged(index(0), index(m_rowCount - 1));
}

int SearchResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

ResultRowPresentation SearchResultListModel::presentation(int row) const {
    const SearchState& search = m_view.search();
    const SearchResult& result = search.results.at(row);
    RowContext context;
    context.isSelected = search.selectedIndex == row;
    context.isHovered = m_view.hoveredResultIdentity() == resultIdentity(result);
    context.showSnippets = m_view.showSnippets();
    context.showScore = m_view.showSearchScores();
    context.activationMode = m_view.rowActivationMode(result);
    context.themeID = m_view.launcherThemeID();
    context.useNativeAppIcons = m_view.useNativeAppIcons();
    return presentResultRow(result, context);
}

QVariant SearchResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rowCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_view.search().results.at(index.row()).displayName();
    case PresentationRole:
        return QVariant::fromValue(presentation(index.row()));
    case Qt::AccessibleTextRole: {
        // What a screen reader says: the title, the second line, the score.
        const ResultRowPresentation row = presentation(index.row());
        QString text = row.title + QStringLiteral(", ") + row.secondLine;
        if (row.score)
            text += QStringLiteral(", Search score ") + QString::number(*row.score);
        return text;
    }
    default:
        return {};
    }
}

} // namespace trovi
