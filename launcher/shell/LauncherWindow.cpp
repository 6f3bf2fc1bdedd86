#include "launcher/shell/LauncherWindow.h"

#include "launcher/session/SearchResultListModel.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/shell/ResultRowDelegate.h"
#include "launcher/shell/ThemePalette.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMetaMethod>
#include <QPainter>
#include <QVBoxLayout>

namespace trovi {

namespace {

ContentViewServices withHost(ContentViewServices services, LauncherHost* host) {
    services.host = host;
    return services;
}

QString cssColour(const QColor& c) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue())
        .arg(c.alphaF(), 0, 'f', 3);
}

bool isCommandKey(int key) {
    return key == Qt::Key_Control || key == Qt::Key_Meta;
}

} // namespace

LauncherWindow::LauncherWindow(ContentViewServices services, QWidget* parent)
    : QWidget(parent), m_field(new QLineEdit(this)), m_list(new QListView(this)),
      m_footer(new QLabel(this)), m_delegate(new ResultRowDelegate(this)),
      m_notifications(services.notifications) {
    m_view = std::make_unique<ContentView>(withHost(std::move(services), this));
    m_model = new SearchResultListModel(*m_view, this);

    setWindowTitle(QStringLiteral("Trovi"));
    setObjectName(QStringLiteral("launcherWindow"));
    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setPlaceholderText(QStringLiteral("Search..."));
    m_field->setFrame(false);
    QFont fieldFont = m_field->font();
    fieldFont.setPixelSize(22);
    m_field->setFont(fieldFont);
    m_field->setMinimumHeight(44);
    m_field->setTextMargins(6, 0, 6, 0);

    m_list->setObjectName(QStringLiteral("resultList"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setMouseTracking(true);
    m_list->setUniformItemSizes(false);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setSelectionMode(QAbstractItemView::NoSelection); // the controller owns it
    m_list->viewport()->setAttribute(Qt::WA_Hover);

    m_footer->setObjectName(QStringLiteral("versionFooter"));
    m_footer->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    layout->addWidget(m_field);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_footer);
    resize(720, 460);
    applyTheme();

    m_field->installEventFilter(this);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);

    ContentView& view = *m_view;
    connect(m_field, &QLineEdit::textEdited, &view, &ContentView::setQuery);
    connect(&view, &ContentView::queryChanged, this, [this](const QString& query) {
        if (m_field->text() != query)
            m_field->setText(query);
        updateChrome();
    });
    connect(&view, &ContentView::resultsChanged, this, [this] {
        updateChrome();
        syncSelection(m_view->search().selectedIndex.value_or(-1));
    });
    connect(&view, &ContentView::selectionChanged, this, &LauncherWindow::syncSelection);
    connect(&view, &ContentView::resultsVisibilityChanged, this,
            &LauncherWindow::resultsVisibilityChanged);
    connect(&view, &ContentView::presentationChanged, this, &LauncherWindow::updateChrome);
    connect(m_list, &QListView::clicked, this,
            [this](const QModelIndex& index) { m_view->activateRow(index.row()); });
    connect(m_list, &QListView::entered, this,
            [this](const QModelIndex& index) { m_view->hoverEntered(index.row()); });
    updateChrome();
}

LauncherWindow::~LauncherWindow() {
    m_list->setModel(nullptr);
}

void LauncherWindow::setVersionLabel(const QString& label) {
    m_footer->setText(label);
    updateChrome();
}

void LauncherWindow::applyTheme() {
    const LauncherTheme& theme = LauncherThemeCatalog::theme(
        launcherThemeIDFromRawValue(m_view->launcherThemeID()).value_or(LauncherThemeID::graphite));
    if (m_theme == &theme)
        return;
    m_theme = &theme;
    m_delegate->setTheme(theme);
    const bool dark = hasDarkBackground(theme);
    const QColor primary = themeQColor(theme.unselectedPrimaryText, dark);
    const QColor secondary = themeQColor(theme.unselectedSecondaryText, dark);
    const QColor accent = themeQColor(theme.uiAccent, dark);

    QPalette field = m_field->palette();
    field.setColor(QPalette::Text, primary);
    field.setColor(QPalette::PlaceholderText, secondary);
    field.setColor(QPalette::Highlight, accent);
    field.setColor(QPalette::HighlightedText, themeQColor(theme.selectedPrimaryText, dark));
    m_field->setPalette(field);
    m_field->setStyleSheet(
        QStringLiteral("QLineEdit#searchField { background: %1; border-radius: 10px; "
                       "selection-background-color: %2; }")
            .arg(cssColour(themeQColor(theme.searchBarBackground, dark)), cssColour(accent)));

    m_list->setStyleSheet(QStringLiteral("QListView#resultList { background: %1; border: none; "
                                         "border-radius: 8px; }")
                              .arg(cssColour(themeQColor(theme.listBackground, dark))));
    QPalette footer = m_footer->palette();
    footer.setColor(QPalette::WindowText, secondary);
    m_footer->setPalette(footer);
    update();
    m_list->viewport()->update();
}

void LauncherWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRectF area = rect();
    p.fillRect(area, themeBackgroundGradient(*m_theme, area));
    const bool dark = hasDarkBackground(*m_theme);
    if (m_list->isVisible()) {
        // Between the field and the list, in the layout's gap.
        const qreal y = (m_field->geometry().bottom() + 1 + m_list->geometry().top()) / 2.0;
        p.setPen(QPen(themeQColor(m_theme->divider, dark), 1));
        p.drawLine(QPointF(m_field->geometry().left(), y), QPointF(m_field->geometry().right(), y));
    }
    p.setPen(QPen(themeQColor(m_theme->border, dark), 1));
    p.drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));
}

void LauncherWindow::updateChrome() {
    applyTheme();
    const bool hasResults = !m_view->search().results.isEmpty();
    m_list->setVisible(hasResults);
    m_footer->setVisible(!hasResults && m_view->showVersionNumber() &&
                         !m_footer->text().isEmpty() && m_view->search().query.trimmed().isEmpty());
    m_list->viewport()->update();
}

void LauncherWindow::syncSelection(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    m_list->scrollTo(m_model->index(row), QAbstractItemView::PositionAtCenter);
}

void LauncherWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        m_view->viewAppeared();
    }
    activateWindow();
    m_field->setFocus(Qt::ActiveWindowFocusReason);
    // A restored query is ready to be typed over.
    m_field->selectAll();
}

bool LauncherWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isCommandKey(key->key()))
            m_commandHeld = event->type() == QEvent::KeyPress;
        else
            m_commandHeld = key->modifiers().testFlag(Qt::ControlModifier);
        m_view->setCommandKeyHeld(m_commandHeld);
        if (event->type() == QEvent::KeyPress && m_view->handleKey(key->key(), key->modifiers()))
            return true;
        if (watched != m_field && event->type() == QEvent::KeyPress && !key->text().isEmpty() &&
            key->text().at(0).isPrint()) {
            // A key that reached the list before the field took focus.
            m_field->setFocus();
            QCoreApplication::sendEvent(m_field, event);
            return true;
        }
        break;
    }
    case QEvent::HoverLeave:
    case QEvent::Leave:
        if (watched == m_list->viewport() && m_view->hoveredResultIdentity()) {
            for (int row = 0; row < m_model->rowCount(); ++row)
                m_view->hoverLeft(row);
        }
        break;
    case QEvent::WindowDeactivate:
        m_commandHeld = false;
        m_view->setCommandKeyHeld(false);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void LauncherWindow::keyPressEvent(QKeyEvent* event) {
    // Keys that arrive before the field has focus (right after the hotkey)
    // are the start of the query.
    if (m_view->handleKey(event->key(), event->modifiers()))
        return;
    if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        m_field->setFocus();
        QCoreApplication::sendEvent(m_field, event);
        return;
    }
    QWidget::keyPressEvent(event);
}

void LauncherWindow::hideLauncher() {
    if (isSignalConnected(QMetaMethod::fromSignal(&LauncherWindow::hideRequested))) {
        Q_EMIT hideRequested();
        return;
    }
    hide();
    if (m_notifications)
        m_notifications->post(notifications::WindowHidden);
    else
        m_view->saveSessionOnHide();
}

void LauncherWindow::showSettingsWindow() {
    Q_EMIT settingsRequested();
}

void LauncherWindow::terminate() {
    if (isSignalConnected(QMetaMethod::fromSignal(&LauncherWindow::quitRequested))) {
        Q_EMIT quitRequested();
        return;
    }
    QCoreApplication::quit();
}

bool LauncherWindow::isCommandKeyHeld() const {
    return m_commandHeld || QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

QString LauncherWindow::clipboardText() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

} // namespace trovi
