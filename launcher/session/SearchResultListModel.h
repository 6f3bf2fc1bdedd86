#pragma once
// SearchResultListModel: the controller's result list as an item model, one
// row per result, each with its presentation under PresentationRole.

#include "launcher/session/ResultRowPresentation.h"

#include <QAbstractListModel>

namespace trovi {

class ContentView;

class SearchResultListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { PresentationRole = Qt::UserRole + 1 };

    explicit SearchResultListModel(ContentView& view, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    ResultRowPresentation presentation(int row) const;

private:
    void repaintAll();

    ContentView& m_view;
    int m_rowCount = 0;
};

} // namespace trovi
