#include "launcher/shell/LauncherWindow.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace trovi {

namespace {

QString rowText(const SearchResult& r) {
    QString text = r.displayName();
    if (!r.directory.isEmpty())
        text += QStringLiteral("\n") + r.directory;
    return text;
}

} // namespace

LauncherWindow::LauncherWindow(SearchFunction search, ActivateFunction activate,
                               int debounceMilliseconds, QWidget* parent)
    : QWidget(parent), m_search(std::move(search)), m_activate(std::move(activate)),
      m_field(new QLineEdit(this)), m_list(new QListWidget(this)), m_debounce(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Trovi"));
    setObjectName(QStringLiteral("launcherWindow"));
    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setPlaceholderText(QStringLiteral("Search apps, folders, documents, or type 2+2"));
    m_list->setObjectName(QStringLiteral("resultList"));
    m_list->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_field);
    layout->addWidget(m_list);
    resize(680, 420);

    m_debounce->setSingleShot(true);
    m_debounce->setInterval(debounceMilliseconds);
    connect(m_debounce, &QTimer::timeout, this, [this] { startSearch(true); });
    connect(m_field, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.trimmed().isEmpty()) {
            ++m_generation; // drop answers still on their way
            m_debounce->stop();
            applyResults({}, {});
            return;
        }
        m_debounce->start();
    });
    connect(m_list, &QListWidget::itemActivated, this,
            [this] { activateSelection(ResultActivationMode::open); });
}

void LauncherWindow::rerunCurrentQuery() {
    if (!m_field->text().trimmed().isEmpty())
        startSearch(false);
}

void LauncherWindow::startSearch(bool allowPersistentQueryCache) {
    const quint64 generation = ++m_generation;
    const QString query = m_field->text();
    m_search(query, allowPersistentQueryCache)
        .then(this, [this, generation, query](const QList<SearchResult>& results) {
            // Only the answer to the latest text counts.
            if (generation == m_generation)
                applyResults(results, query);
        });
}

void LauncherWindow::applyResults(const QList<SearchResult>& results, const QString& query) {
    m_resultsQuery = query;
    QString selectedIdentity;
    if (const int row = m_list->currentRow(); row >= 0 && row < m_results.size())
        selectedIdentity = m_results.at(row).identity();
    m_results = results;
    m_list->clear();
    int selectRow = results.isEmpty() ? -1 : 0;
    for (int i = 0; i < results.size(); ++i) {
        m_list->addItem(rowText(results.at(i)));
        if (!selectedIdentity.isEmpty() && results.at(i).identity() == selectedIdentity)
            selectRow = i;
    }
    m_list->setCurrentRow(selectRow);
}

void LauncherWindow::activateSelection(ResultActivationMode mode) {
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_results.size())
        return;
    const SearchResult chosen = m_results.at(row);
    const QString query = m_field->text();
    const QList<SearchResult> shown = m_results;
    const bool shownIsPreview = m_resultsQuery != query;
    m_field->clear();
    hide();
    m_activate(chosen, mode, query, shown, shownIsPreview);
}

void LauncherWindow::keyPressEvent(QKeyEvent* event) {
    const int count = m_list->count();
    switch (event->key()) {
    case Qt::Key_Down:
        if (count > 0)
            m_list->setCurrentRow((m_list->currentRow() + 1) % count);
        return;
    case Qt::Key_Up:
        if (count > 0)
            m_list->setCurrentRow((m_list->currentRow() + count - 1) % count);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        activateSelection(event->modifiers() & Qt::ControlModifier
                              ? ResultActivationMode::revealInFileBrowser
                              : ResultActivationMode::open);
        return;
    case Qt::Key_Escape:
        if (!m_field->text().isEmpty()) {
            m_field->clear();
        } else {
            hide();
            Q_EMIT dismissed();
        }
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace trovi
